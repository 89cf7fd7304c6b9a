#include "settings/store_format.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "settings/registry_backend.h"

namespace tapix {

namespace {

constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

void SkipBlanks(std::string_view s, std::size_t& pos) {
  while (pos < s.size() && IsBlank(s[pos])) ++pos;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && FoldName(s.substr(0, prefix.size())) == FoldName(prefix);
}

// 1 to 8 hex digits, the whole of s.
std::optional<std::uint32_t> ParseHex32(std::string_view s) {
  if (s.empty() || s.size() > 8) return std::nullopt;
  std::uint32_t v = 0;
  for (char c : s) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    v = (v << 4) | static_cast<std::uint32_t>(d);
  }
  return v;
}

// A quoted name or text starting at s[pos] == '"'. Inside, "\\" stands for a
// backslash and "\"" for a quote; a backslash before any other character is
// taken as it stands. pos ends after the closing quote.
bool ParseQuoted(std::string_view s, std::size_t& pos, std::string& out) {
  if (pos >= s.size() || s[pos] != '"') return false;
  ++pos;
  while (pos < s.size()) {
    const char c = s[pos++];
    if (c == '"') return true;
    if (c == '\\') {
      if (pos >= s.size()) return false;
      const char next = s[pos];
      if (next == '\\' || next == '"') {
        out.push_back(next);
        ++pos;
        continue;
      }
    }
    out.push_back(c);
  }
  return false;
}

// Comma-separated bytes of one or two hex digits; blanks around them allowed.
bool ParseByteList(std::string_view s, std::vector<std::uint8_t>& out) {
  s = Trim(s);
  if (s.empty()) return true;
  std::size_t pos = 0;
  for (;;) {
    SkipBlanks(s, pos);
    std::size_t start = pos;
    while (pos < s.size() && HexDigit(s[pos]) >= 0) ++pos;
    auto byte = ParseHex32(s.substr(start, pos - start));
    if (!byte || pos - start > 2) return false;
    out.push_back(static_cast<std::uint8_t>(*byte));
    SkipBlanks(s, pos);
    if (pos == s.size()) return true;
    if (s[pos] != ',') return false;
    ++pos;
  }
}

// A key path: a root name starting with "HKEY_", then names, separated by
// single backslashes.
bool ValidKeyPath(std::string_view path) {
  if (!StartsWithNoCase(path, "HKEY_")) return false;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = path.find('\\', start);
    const std::size_t len = (end == std::string_view::npos ? path.size() : end) - start;
    if (len == 0) return false;
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

class Reader {
 public:
  explicit Reader(std::string_view text) {
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines_.push_back(line);
      start = end + 1;
    }
  }

  bool Run(RegistryTree& tree, std::size_t* error_line) {
    for (next_ = 0; next_ < lines_.size();) {
      const std::size_t first = next_;
      const std::string_view line = Trim(lines_[next_++]);
      switch (Line(line, tree)) {
        case Read::kTaken:
          break;
        case Read::kUnread:
          Keep(tree, first);
          break;
        case Read::kBroken:
          if (error_line != nullptr) *error_line = first + 1;
          return false;
      }
    }
    return true;
  }

 private:
  // What became of a line: taken, a value line of a key that could not be
  // read (kept, the rest of the file still counts), or a fault that leaves
  // the file's structure unknown (no header, a bad key line, a value before
  // any key, a zero byte).
  enum class Read { kTaken, kUnread, kBroken };

  Read Line(std::string_view line, RegistryTree& tree) {
    if (line.find('\0') != std::string_view::npos) return Read::kBroken;
    if (line.empty() || line.front() == ';') return Read::kTaken;
    if (!header_seen_) {
      header_seen_ = line == kStoreHeader || line == kOldHeader;
      return header_seen_ ? Read::kTaken : Read::kBroken;
    }
    if (line.front() == '[') return KeyLine(line, tree) ? Read::kTaken : Read::kBroken;
    if (!key_seen_) return Read::kBroken;
    if (ValueLine(line, tree)) return Read::kTaken;
    // Below a deleted key nothing is kept anyway.
    return key_ ? Read::kUnread : Read::kTaken;
  }

  // Keeps the lines from `first` to the one read last, as they stand, with
  // the key they belong to.
  void Keep(RegistryTree& tree, std::size_t first) {
    std::string text;
    for (std::size_t i = first; i < next_; ++i) {
      if (i > first) text.push_back('\n');
      text.append(Trim(lines_[i]));
    }
    const std::string_view line = Trim(lines_[first]);
    std::optional<std::string> name;
    std::size_t pos = 0;
    std::string quoted;
    if (line.front() == '@') {
      name.emplace();
    } else if (ParseQuoted(line, pos, quoted)) {
      name = std::move(quoted);
    }
    tree.Find(*key_)->KeepUnread(name, std::move(text), first + 1);
  }

  bool KeyLine(std::string_view line, RegistryTree& tree) {
    if (line.size() < 2 || line.back() != ']') return false;
    std::string_view path = line.substr(1, line.size() - 2);
    const bool erase = !path.empty() && path.front() == '-';
    if (erase) path.remove_prefix(1);
    if (!ValidKeyPath(path)) return false;
    if (erase) {
      tree.EraseTree(path);
      key_.reset();
    } else {
      key_ = std::string(tree.Create(path).Path());
    }
    key_seen_ = true;
    return true;
  }

  bool ValueLine(std::string_view line, RegistryTree& tree) {
    std::size_t pos = 0;
    std::string name;
    if (line.front() == '@') {
      pos = 1;
    } else if (!ParseQuoted(line, pos, name)) {
      return false;
    }
    SkipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != '=') return false;
    ++pos;
    SkipBlanks(line, pos);
    std::string_view data = line.substr(pos);

    std::optional<RegValue> value;
    if (data == "-") {
      // A deletion line: the value is not there.
    } else if (!data.empty() && data.front() == '"') {
      std::string text;
      std::size_t at = 0;
      if (!ParseQuoted(data, at, text) || at != data.size()) return false;
      std::vector<std::uint8_t> bytes(text.begin(), text.end());
      bytes.push_back(0);
      value = RegValue{name, REG_SZ, std::move(bytes)};
    } else if (StartsWithNoCase(data, "dword:")) {
      auto number = ParseHex32(data.substr(6));
      if (!number) return false;
      std::vector<std::uint8_t> bytes(4);
      for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(*number >> (8 * i));
      value = RegValue{name, REG_DWORD, std::move(bytes)};
    } else if (StartsWithNoCase(data, "hex")) {
      std::string joined;
      if (!JoinContinued(data, joined)) return false;
      std::string_view rest = std::string_view(joined).substr(3);
      std::uint32_t type = REG_BINARY;
      if (!rest.empty() && rest.front() == '(') {
        const std::size_t close = rest.find(')');
        if (close == std::string_view::npos) return false;
        auto number = ParseHex32(rest.substr(1, close - 1));
        if (!number) return false;
        type = *number;
        rest.remove_prefix(close + 1);
      }
      if (rest.empty() || rest.front() != ':') return false;
      std::vector<std::uint8_t> bytes;
      if (!ParseByteList(rest.substr(1), bytes)) return false;
      value = RegValue{name, type, std::move(bytes)};
    } else {
      return false;
    }

    // Values below a deleted key are read for their form only.
    if (!key_) return true;
    RegKeyNode* key = tree.Find(*key_);
    if (value) {
      key->Set(value->name, value->type, std::move(value->data));
    } else {
      key->Erase(name);
    }
    return true;
  }

  // A hex list may go on over further lines: a line ending in '\' is followed
  // by the next one (its leading blanks dropped). Only a line that starts
  // with a hex digit goes on a list: before a blank line, a key line or a new
  // value the list ends unfinished, and that line is read on its own.
  bool JoinContinued(std::string_view first, std::string& joined) {
    joined.assign(first);
    while (!joined.empty() && joined.back() == '\\') {
      joined.pop_back();
      if (next_ >= lines_.size()) return false;
      const std::string_view more = Trim(lines_[next_]);
      if (more.empty() || HexDigit(more.front()) < 0 || more.find('\0') != std::string_view::npos) {
        return false;
      }
      ++next_;
      joined.append(more);
    }
    return true;
  }

  std::vector<std::string_view> lines_;
  std::size_t next_ = 0;
  bool header_seen_ = false;
  bool key_seen_ = false;
  std::optional<std::string> key_;  // the key the value lines belong to; none after [-key]
};

void AppendQuoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
}

// Text that reads back to the same bytes from between quotes.
bool QuotableText(const std::vector<std::uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i) {
    const std::uint8_t b = data[i];
    if (b == 0 || b == '\n' || b == '\r') return false;
  }
  return true;
}

void AppendHex(std::string& out, std::uint32_t type, const std::vector<std::uint8_t>& data,
               std::size_t line_start) {
  static constexpr char kDigits[] = "0123456789abcdef";
  if (type == REG_BINARY) {
    out += "hex:";
  } else {
    out += "hex(";
    std::string digits;
    do {
      digits.insert(digits.begin(), kDigits[type & 0xF]);
      type >>= 4;
    } while (type != 0);
    out += digits;
    out += "):";
  }
  // Lines of at most about 80 characters, continued with '\' as regedit does.
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (i > 0 && out.size() - line_start + 3 > 77) {
      out += "\\\n  ";
      line_start = out.size() - 2;
    }
    out.push_back(kDigits[data[i] >> 4]);
    out.push_back(kDigits[data[i] & 0xF]);
    if (i + 1 < data.size()) out.push_back(',');
  }
}

}  // namespace

bool ParseStore(std::string_view text, RegistryTree& tree, std::size_t* error_line) {
  Reader reader(text);
  return reader.Run(tree, error_line);
}

std::string WriteStore(const RegistryTree& tree) {
  std::string out(kStoreHeader);
  out += "\n\n";
  for (const RegKeyNode& key : tree.Keys()) {
    out += '[';
    out += key.Path();
    out += "]\n";
    for (const RegValue& value : key.Values()) {
      const std::size_t line_start = out.size();
      if (value.name.empty()) {
        out += '@';
      } else {
        AppendQuoted(out, value.name);
      }
      out += '=';
      if (value.type == REG_SZ && QuotableText(value.data)) {
        AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                           value.data.size() - 1));
      } else if (value.type == REG_DWORD && value.data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i) number = (number << 8) | value.data[static_cast<std::size_t>(i)];
        char digits[9];
        static constexpr char kDigits[] = "0123456789abcdef";
        for (int i = 7; i >= 0; --i) {
          digits[i] = kDigits[number & 0xF];
          number >>= 4;
        }
        digits[8] = '\0';
        out += "dword:";
        out += digits;
      } else {
        AppendHex(out, value.type, value.data, line_start);
      }
      out += '\n';
    }
    for (const UnreadLine& kept : key.Unread()) {
      std::string_view rest = kept.text;
      for (;;) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        out += line;
        // The reader takes one CR before the line feed as part of a CRLF.
        if (!line.empty() && line.back() == '\r') out += '\r';
        out += '\n';
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
      }
      // An unfinished hex list must not take the next line when read again.
      if (kept.text.back() == '\\') out += '\n';
    }
    out += '\n';
  }
  return out;
}

}  // namespace tapix
