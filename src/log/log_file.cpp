#include "log/log_file.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/open_file.h"

namespace tapix {

std::FILE* OpenAppending(const std::string& path, std::string* error) {
  errno = 0;
  std::FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "ab");
  if (!file) {
    const int code = path.empty() ? ENOENT : errno;
    if (error) *error = "Fehler " + std::to_string(code) + " - " + std::strerror(code);
  }
  return file;
}

std::unique_ptr<LogFileConsole> LogFileConsole::Open(Console& inner, const std::string& path,
                                                     std::string* error) {
  std::FILE* file = OpenAppending(path, error);
  if (!file) return nullptr;
  // No buffer of the stream's own: each line goes to the file in one write,
  // and nothing is left in a buffer to land after a failure.
  std::setvbuf(file, nullptr, _IONBF, 0);
  std::unique_ptr<LogFileConsole> log(new LogFileConsole(inner, file, path));
  log->end_ = OpenFileSize(file);
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
  Finish();
  std::fclose(file_);
}

void LogFileConsole::Finish() {
  if (!open_line_.empty()) Write(open_line_);
  open_line_.clear();
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

bool LogFileConsole::Append(std::string_view text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file_) == text.size() && std::fflush(file_) == 0) {
    if (end_ >= 0) end_ += static_cast<std::int64_t>(text.size());
    return true;
  }
  const int code = errno;
  // A part of it may have reached the file: cut it off, so that no half line
  // passes for a whole one. Only when the growth can be this write's alone
  // (another program may append to the same file).
  const std::int64_t now = OpenFileSize(file_);
  if (end_ >= 0 && now > end_ && now - end_ <= static_cast<std::int64_t>(text.size()))
    TruncateOpenFile(file_, end_);
  std::clearerr(file_);
  errno = code;
  return false;
}

void LogFileConsole::BeginBatch() {
  inner_.BeginBatch();
  ++batches_;
}

void LogFileConsole::EndBatch() {
  inner_.EndBatch();
  if (batches_ == 0 || --batches_ > 0 || held_.empty()) return;
  const std::string lines = std::move(held_);
  held_.clear();
  Write(lines);
}

void LogFileConsole::Write(std::string_view text) {
  if (batches_ > 0) {
    held_.append(text);
    return;
  }
  if (failed_) return;
  if (Append(text)) return;
  // A full disk or a lost mount: said once, then the run goes on without the
  // file, whose last line says where it stops when that line still fits.
  const int code = errno != 0 ? errno : EIO;
  failed_ = true;
  const std::string why = std::to_string(code) + " - " + std::strerror(code);
  Append(std::string(kStopLine) + why + " ----\n");
  inner_.Log("Protokolldatei " + path_ + ": Schreibfehler " + why + ", keine weiteren Zeilen.\n");
}

}  // namespace tapix
