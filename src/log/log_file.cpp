#include "log/log_file.h"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace tapix {

std::unique_ptr<LogFileConsole> LogFileConsole::Open(Console& inner, const std::string& path,
                                                     std::string* error) {
  errno = 0;
  std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "ab");
  if (!file) {
    const int code = path.empty() ? ENOENT : errno;
    if (error) *error = "Fehler " + std::to_string(code) + " - " + std::strerror(code);
    return nullptr;
  }
  std::unique_ptr<LogFileConsole> log(new LogFileConsole(inner, file, path));
  const std::time_t now = std::time(nullptr);
  char line[64];
  if (const std::tm* local = std::localtime(&now)) {
    std::strftime(line, sizeof line, "---- Tapix, Protokoll vom %d.%m.%Y %H:%M:%S ----\n", local);
    log->Write(line);
  }
  return log;
}

LogFileConsole::LogFileConsole(Console& inner, std::FILE* file, std::string path)
    : inner_(inner), file_(file), path_(std::move(path)) {}

LogFileConsole::~LogFileConsole() {
  if (!open_line_.empty()) Write(open_line_);
  std::fclose(file_);
}

void LogFileConsole::Log(std::string_view text) {
  inner_.Log(text);
  open_line_.append(text);
  const std::size_t end = open_line_.rfind('\n');
  if (end == std::string::npos) return;
  Write(std::string_view(open_line_).substr(0, end + 1));
  open_line_.erase(0, end + 1);
}

void LogFileConsole::Sent(std::string_view bytes, std::string_view prefix) {
  inner_.Sent(bytes, prefix);
  std::string line(prefix);
  line += kSentMarker;
  line.append(bytes);
  line += '\n';
  Write(line);
}

void LogFileConsole::Write(std::string_view text) {
  if (failed_) return;
  if (std::fwrite(text.data(), 1, text.size(), file_) == text.size() && std::fflush(file_) == 0) {
    return;
  }
  // A full disk or a lost mount: said once, then the run goes on without the file.
  const int code = errno;
  failed_ = true;
  inner_.Log("Protokolldatei " + path_ + ": Schreibfehler " + std::to_string(code) + " - " +
             std::strerror(code) + ", keine weiteren Zeilen.\n");
}

}  // namespace tapix
