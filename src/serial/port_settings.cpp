#include "serial/port_settings.h"

#include <cstring>
#include <string>

namespace tapix {

bool IsTableBaud(std::uint32_t rate) {
  for (std::uint32_t entry : BaudTable) {
    if (entry == 0) break;
    if (entry == rate) return true;
  }
  return false;
}

void Clear(PortSettings& settings) {
  std::memset(&settings.dcb, 0, sizeof settings.dcb);
  settings.port = 0;
  settings.Autoconnect = 0;
}

void InitDcb(DCB& dcb, std::uint32_t baud, std::uint8_t parity, std::uint8_t data_bits,
             std::uint8_t stop_bits) {
  std::memset(&dcb, 0, sizeof dcb);
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = baud;
  SetFlagWord(dcb, 0x20A1u | (parity != NOPARITY ? 0x0002u : 0u));
  dcb.ByteSize = data_bits;
  dcb.Parity = parity;
  dcb.StopBits = stop_bits;
}

void SetDefaults(PortSettings& settings) {
  Clear(settings);
  settings.port = 1;
  InitDcb(settings.dcb, 9600, EVENPARITY, 8, ONESTOPBIT);
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A cursor over the argument; reading past the end yields '\0', which no rule
// of the grammar accepts, so the end of the text always ends the parse.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}
  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  bool AtEnd() const { return pos_ >= text_.size(); }
  std::size_t Position() const { return pos_ < text_.size() ? pos_ : text_.size(); }
  void Next() { ++pos_; }
  // Takes up to `max` decimal digits; returns their value (0 when none).
  std::uint32_t Digits(int max) {
    std::uint32_t value = 0;
    for (int i = 0; i < max && IsDigit(Peek()); ++i) {
      value = value * 10 + static_cast<std::uint32_t>(Peek() - '0');
      Next();
    }
    return value;
  }
  // Consumes a comma; false (nothing consumed) when another character stands there.
  bool Comma() {
    if (Peek() != ',') return false;
    Next();
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

bool ParityCode(char c, std::uint8_t* code) {
  switch (c) {
    case 'E': case 'e': *code = EVENPARITY; return true;
    case 'M': case 'm': *code = MARKPARITY; return true;
    case 'N': case 'n': *code = NOPARITY; return true;
    case 'O': case 'o': *code = ODDPARITY; return true;
    case 'S': case 's': *code = SPACEPARITY; return true;
    default: return false;
  }
}

}  // namespace

void ParseArgument(PortSettings& settings, std::string_view text, ArgumentTrace* trace) {
  Cursor c(text);
  ArgumentTrace unused;
  ArgumentTrace& t = trace != nullptr ? *trace : unused;
  t = ArgumentTrace{};
  // Where the parse stands whenever it returns.
  struct Mark {
    ArgumentTrace& t;
    const Cursor& c;
    ~Mark() { t.read = c.Position(); }
  } mark{t, c};
  auto field = [&](LineField which, bool taken, std::size_t from) {
    if (taken) t.applied.push_back(which);
    else t.refused.emplace_back(which, std::string(text.substr(from, c.Position() - from)));
  };

  // Port: up to three digits, always applied (0 without a digit).
  t.port_digits = IsDigit(c.Peek());
  settings.port = c.Digits(3);
  if (!c.Comma()) return;

  // Baud rate: up to six digits, applied only when the table has it.
  if (c.Peek() != ',') {
    const std::size_t from = c.Position();
    const std::uint32_t rate = c.Digits(6);
    if (IsTableBaud(rate)) settings.dcb.BaudRate = rate;
    field(LineField::Rate, IsTableBaud(rate), from);
  }
  if (!c.Comma()) return;

  // Parity: one letter; fParity keeps the value the defaults gave it.
  if (c.Peek() != ',') {
    if (c.AtEnd()) return;
    const std::size_t from = c.Position();
    std::uint8_t code;
    const bool known = ParityCode(c.Peek(), &code);
    if (known) settings.dcb.Parity = code;
    c.Next();
    field(LineField::Parity, known, from);
  }
  if (!c.Comma()) return;

  // Data bits: one character, 5 to 8.
  if (c.Peek() != ',') {
    if (c.AtEnd()) return;
    const std::size_t from = c.Position();
    const char bits = c.Peek();
    const bool known = bits >= '5' && bits <= '8';
    if (known) settings.dcb.ByteSize = static_cast<std::uint8_t>(bits - '0');
    c.Next();
    field(LineField::DataBits, known, from);
  }
  if (!c.Comma()) return;

  // Stop bits: the run of "1", "2", "5", "." (at most four); what follows is ignored.
  const std::size_t from = c.Position();
  std::string run;
  while (run.size() < 4 && (c.Peek() == '1' || c.Peek() == '2' || c.Peek() == '5' || c.Peek() == '.')) {
    run.push_back(c.Peek());
    c.Next();
  }
  bool known = true;
  if (run == "1") settings.dcb.StopBits = ONESTOPBIT;
  else if (run == "2") settings.dcb.StopBits = TWOSTOPBITS;
  else if (run == "1.5") settings.dcb.StopBits = ONE5STOPBITS;
  else known = false;
  if (!run.empty()) field(LineField::StopBits, known, from);
}

}  // namespace tapix
