// The code page 1252 -> UTF-8 output on any bytes, as a UTF-8 terminal and
// the log file get them: always valid UTF-8 (no overlong form, no surrogate),
// no control character of either range but line feed and tab in log text
// (none in the bytes of a write), each byte converted on its own (nothing of
// one byte leaks into the next), and the console layer writes what the
// conversion gives. The raw mode passes the bytes unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fake_console.h"
#include "log/text_encoding.h"

namespace {

// Checks `text` as UTF-8 and its characters; aborts on a fault.
void CheckUtf8(std::string_view text, bool line_ends) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    char32_t c = 0;
    std::size_t length = 1;
    if (lead < 0x80) {
      c = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      c = lead & 0x1F;
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      c = lead & 0x0F;
      length = 3;
    } else {
      std::abort();  // a stray continuation byte, an overlong or a 4-byte lead
    }
    if (i + length > text.size()) std::abort();
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) std::abort();
      c = (c << 6) | (next & 0x3F);
    }
    if (length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) std::abort();
    const bool kept_end = line_ends && (c == '\n' || c == '\t');
    if ((c < 0x20 && !kept_end) || (c >= 0x7F && c <= 0x9F)) std::abort();
    i += length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const bool line_ends : {true, false}) {
    const std::string out = tapix::ToUtf8(bytes, line_ends);
    CheckUtf8(out, line_ends);
    std::string one_by_one;
    for (const char c : bytes) one_by_one += tapix::ToUtf8(std::string_view(&c, 1), line_ends);
    if (one_by_one != out) std::abort();
  }
  if (tapix::ForOutput(bytes, tapix::TextMode::Raw) != bytes) std::abort();
  if (tapix::ForOutput(bytes, tapix::TextMode::Utf8) != tapix::ToUtf8(bytes)) std::abort();

  tapix::testing::CaptureConsole below;
  tapix::Utf8Console console(below);
  console.Log(bytes);
  console.Sent(bytes, "[p] ");
  for (const char c : bytes) console.Echo(c);
  if (below.log_ != tapix::ToUtf8(bytes)) std::abort();
  if (below.sent_ != "[p] " + tapix::ToUtf8(bytes, false) + "\n") std::abort();
  if (below.echo_ != tapix::ToUtf8(bytes)) std::abort();
  return 0;
}
