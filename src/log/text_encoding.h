// How the program's code page 1252 texts and the bytes from the line reach a
// terminal, a pipe or a log file.
#pragma once

#include <string>
#include <string_view>

#include "log/console.h"

namespace tapix {

enum class TextMode {
  Raw,   // the code page 1252 bytes exactly as they stand (the Windows console)
  Utf8,  // readable and safe on a UTF-8 terminal (see ToUtf8)
};

// Raw when asked for (--raw) or when the locale's character set is not UTF-8.
TextMode ChooseTextMode(bool raw);

// Code page 1252 bytes as UTF-8, losslessly: line feed and tab stay, other
// control bytes become their Unicode control pictures (ESC is U+241B, DEL
// U+2421), and the five bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) show as "<81>". A terminal never receives a control byte
// from the line. Without `line_ends` (bytes that are data only, such as
// the bytes of a write) line feed and tab become pictures too.
std::string ToUtf8(std::string_view bytes, bool line_ends = true);

// `text` as `mode` writes it.
std::string ForOutput(std::string_view text, TextMode mode);

// Passes everything on converted to UTF-8.
class Utf8Console final : public Console {
 public:
  explicit Utf8Console(Console& inner) : inner_(inner) {}
  void Log(std::string_view text) override;
  void Echo(char byte) override;
  void Sent(std::string_view bytes, std::string_view prefix) override;
  void Mark(LogClock::time_point when) override { inner_.Mark(when); }
  void BeginBatch() override { inner_.BeginBatch(); }
  void EndBatch() override { inner_.EndBatch(); }

 private:
  Console& inner_;
};

}  // namespace tapix
