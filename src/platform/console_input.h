// Command lines from standard input: one console input per platform.
// Linux: the descriptor, read without blocking once a wait says it is
// readable. Windows: a console, a pipe or a file cannot be waited on, so a
// thread of its own reads the source and hands complete lines over through an
// event. Either way the loop waits on Handle(), gathers what came and takes
// the lines one by one, so it can stop between two of them.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/wait_handle.h"

namespace tapix {

// The longest command line; commands are far shorter.
inline constexpr std::size_t kMaxCommandLine = 4096;

using LineSink = std::function<void(std::string_view)>;

// Cuts a byte stream into command lines: the line end is removed ("\r\n"
// too); a line longer than kMaxCommandLine bytes is delivered cut to
// kMaxCommandLine + 1 bytes, so the reader of the line can tell it is too
// long.
class LineSplitter {
 public:
  void Feed(std::string_view bytes, const LineSink& line);
  // The end of input: a last line without a line end still counts.
  void Finish(const LineSink& line);

 private:
  std::string partial_;
};

class ConsoleInput {
 public:
  // The process's standard input. One per process: the port question and
  // the loop read the same stream, and lines after the answer stay here.
  static ConsoleInput& Standard();

  // Reads `source`: Linux, a descriptor; Windows, a file handle (a thread
  // reads it until its end; it is never closed here).
  explicit ConsoleInput(WaitHandle source);
  ~ConsoleInput();
  ConsoleInput(const ConsoleInput&) = delete;
  ConsoleInput& operator=(const ConsoleInput&) = delete;

  // What a wait watches: ready when input has come (or ended). kNoWaitHandle
  // once the end has been seen; what is left is held (Holding()).
  WaitHandle Handle() const { return ended_ ? kNoWaitHandle : handle_; }
  // Takes in what has come, without waiting: one read of what the
  // descriptor holds (Linux), the lines the reader has handed over (Windows).
  void Gather();

  enum class Next { Line, None, End };
  // The next line gathered (line end removed); None when none is held; End
  // once the input has ended and every line has been taken.
  Next Take(std::string& line);
  // True while gathered lines (or the end) wait to be taken: the next wait
  // must not sleep on Handle(), which may not show them.
  bool Holding() const { return !held_.empty() || (ended_ && open_); }
  // False once Take has returned End.
  bool Open() const { return open_; }

  // The answer to the port question: waits for one line, or for a stop
  // request on `stop` (the handle of InstallStopSignals); the lines after the
  // answer stay for the loop. False at the end of input or when a stop came
  // first.
  bool ReadAnswer(std::string& line, WaitHandle stop);

  struct Reader;

 private:
  std::shared_ptr<Reader> reader_;  // the platform's reading
  WaitHandle handle_ = kNoWaitHandle;
  std::deque<std::string> held_;
  bool ended_ = false;  // the end of input has been seen
  bool open_ = true;    // the end has not been taken yet
};

}  // namespace tapix
