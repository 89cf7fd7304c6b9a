#include "log/text_encoding.h"

#include "platform/locale.h"

namespace tapix {
namespace {

// Code page 1252 from 0x80 to 0x9F; 0 where it defines no character.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The Unicode character of a code page 1252 byte; 0 where it has none.
char32_t FromCodePage1252(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHigh[byte - 0x80];
  return byte;  // ASCII and Latin-1 agree with the code page here
}

}  // namespace

TextMode ChooseTextMode(bool raw) {
  return !raw && LocaleIsUtf8() ? TextMode::Utf8 : TextMode::Raw;
}

std::string ToUtf8(std::string_view bytes, bool line_ends) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (line_ends && (byte == '\n' || byte == '\t')) {
      out.push_back(c);
    } else if (byte < 0x20) {
      AppendUtf8(out, 0x2400 + byte);
    } else if (byte == 0x7F) {
      AppendUtf8(out, 0x2421);
    } else if (const char32_t u = FromCodePage1252(byte); u != 0) {
      AppendUtf8(out, u);
    } else {
      out += '<';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
      out += '>';
    }
  }
  return out;
}

std::string ToJsonString(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  out.reserve(bytes.size() + 2);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out.push_back(c);
    } else if (byte == '\n') {
      out += "\\n";
    } else if (byte == '\r') {
      out += "\\r";
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      const char32_t u = FromCodePage1252(byte);
      AppendUtf8(out, u != 0 ? u : byte);
    }
  }
  return out + "\"";
}

std::string ForOutput(std::string_view text, TextMode mode) {
  return mode == TextMode::Utf8 ? ToUtf8(text) : std::string(text);
}

void Utf8Console::Log(std::string_view text) { inner_.Log(ToUtf8(text)); }

void Utf8Console::Echo(char byte) {
  for (char c : ToUtf8(std::string_view(&byte, 1))) inner_.Echo(c);
}

void Utf8Console::Sent(std::string_view bytes, std::string_view prefix) {
  // One line in the trace, whatever the bytes: a check character can be a
  // line feed.
  inner_.Sent(ToUtf8(bytes, false), prefix);
}

}  // namespace tapix
