#include "log/log_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/open_file.h"

namespace tapix {

std::optional<std::int64_t> ParseLogSize(std::string_view text) {
  std::int64_t unit = 1;
  if (!text.empty()) {
    switch (text.back()) {
      case 'k': case 'K': unit = std::int64_t{1} << 10; break;
      case 'm': case 'M': unit = std::int64_t{1} << 20; break;
      case 'g': case 'G': unit = std::int64_t{1} << 30; break;
      default: break;
    }
    if (unit != 1) text.remove_suffix(1);
  }
  if (text.empty() || text.size() > 12) return std::nullopt;  // 12 digits: past any disk
  std::int64_t count = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    count = count * 10 + (c - '0');
  }
  if (count > INT64_MAX / unit || count * unit < kLeastLogMax) return std::nullopt;
  return count * unit;
}

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
                                                     std::string* error, std::int64_t max_size) {
  std::FILE* file = OpenAppending(path, error);
  if (!file) return nullptr;
  if (max_size > 0 && !OpenFileIsRegular(file)) {
    std::fclose(file);
    if (error) *error = "--log-max braucht eine gew\xF6hnliche Datei";
    return nullptr;
  }
  // No buffer of the stream's own: each line goes to the file in one write,
  // and nothing is left in a buffer to land after a failure.
  std::setvbuf(file, nullptr, _IONBF, 0);
  std::unique_ptr<LogFileConsole> log(new LogFileConsole(inner, file, path, max_size));
  log->end_ = OpenFileSize(file);
  log->holds_lines_ = log->end_ != 0;
  log->WriteDatedLine();
  return log;
}

LogFileConsole::LogFileConsole(Console& inner, std::FILE* file, std::string path,
                               std::int64_t max_size)
    : inner_(inner), file_(file), path_(std::move(path)), max_size_(max_size) {}

void LogFileConsole::WriteDatedLine() {
  const std::time_t now = std::time(nullptr);
  char line[64];
  if (const std::tm* local = std::localtime(&now)) {
    std::strftime(line, sizeof line, "---- Tapix, Protokoll vom %d.%m.%Y %H:%M:%S ----\n", local);
    Write(line, true);
  }
}

LogFileConsole::~LogFileConsole() {
  Finish();
  if (file_) std::fclose(file_);
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

bool LogFileConsole::PastLimit(std::size_t size) const {
  return max_size_ > 0 && end_ >= 0 && end_ + static_cast<std::int64_t>(size) > max_size_;
}

bool LogFileConsole::Rotate() {
  // Closed before the rename: Windows renames no open file. The old FILE.1
  // goes first, since a rename there does not replace one.
  std::fclose(file_);
  file_ = nullptr;
  const std::string older = path_ + ".1";
  errno = 0;
  std::remove(older.c_str());
  errno = 0;
  if (std::rename(path_.c_str(), older.c_str()) != 0) {
    const int code = errno != 0 ? errno : EIO;
    // The log goes on nowhere: the file as it is ends with the stop line
    // (past the limit by that one line).
    file_ = std::fopen(path_.c_str(), "ab");
    Stop(code, "nicht in " + older + " umbenannt, Fehler ");
    return false;
  }
  errno = 0;
  file_ = std::fopen(path_.c_str(), "ab");
  if (!file_) {
    const int code = errno != 0 ? errno : EIO;
    // The last lines written are in FILE.1 now: it says where the log stops.
    file_ = std::fopen(older.c_str(), "ab");
    Stop(code, "nicht neu angelegt, Fehler ");
    return false;
  }
  std::setvbuf(file_, nullptr, _IONBF, 0);
  end_ = OpenFileSize(file_);
  holds_lines_ = false;
  return true;
}

void LogFileConsole::Stop(int code, const std::string& what) {
  failed_ = true;
  const std::string why = std::to_string(code) + " - " + std::strerror(code);
  if (file_) Append(std::string(kStopLine) + why + " ----\n");
  inner_.Log("Protokolldatei " + path_ + ": " + what + why + ", keine weiteren Zeilen.\n");
}

bool LogFileConsole::AppendOrStop(std::string_view text) {
  if (Append(text)) return true;
  // A full disk or a lost mount: said once, then the run goes on without the
  // file, whose last line says where it stops when that line still fits.
  Stop(errno != 0 ? errno : EIO, "Schreibfehler ");
  return false;
}

void LogFileConsole::Write(std::string_view text, bool dated_line) {
  if (batches_ > 0 && !dated_line) {
    held_.append(text);
    return;
  }
  if (failed_) return;
  // A batch may hold more than the file has room for, even more than a whole
  // file: each file in turn takes the lines that fit whole, and one that holds
  // no lines yet takes the next line even when that alone passes the limit.
  while (PastLimit(text.size())) {
    const std::size_t room = static_cast<std::size_t>(std::max<std::int64_t>(max_size_ - end_, 0));
    std::size_t fits = text.substr(0, room).rfind('\n') + 1;  // 0 when none fits
    if (fits == 0 && !holds_lines_) {
      if (dated_line) break;
      fits = text.find('\n') + 1;
      if (fits == 0) fits = text.size();
    }
    if (fits > 0) {
      if (!AppendOrStop(text.substr(0, fits))) return;
      if (!dated_line) holds_lines_ = true;
      text.remove_prefix(fits);
      if (text.empty()) return;
    }
    if (!Rotate()) return;
    // A new file begins with the line that dates it.
    if (!dated_line) WriteDatedLine();
    if (failed_) return;
  }
  if (AppendOrStop(text) && !dated_line) holds_lines_ = true;
}

}  // namespace tapix
