// Bytes from the line: the first two bytes choose the options and where the
// line pauses, the rest is the received stream, read as the loop reads it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>

#include "core/control_ids.h"
#include "core/memory_panel.h"
#include "core/receiver.h"
#include "core/session.h"

namespace {

class NullConsole final : public tapix::Console {
 public:
  void Log(std::string_view text) override { bytes += text.size(); }
  void Echo(char) override { ++bytes; }
  std::size_t bytes = 0;
};

class FuzzDevice final : public tapix::SerialDevice {
 public:
  FuzzDevice(const std::uint8_t* data, std::size_t size, std::uint8_t pause_every)
      : data_(data), size_(size), pause_every_(pause_every ? pause_every : 255) {}
  std::size_t Read(void* buffer, std::size_t n) override {
    std::size_t got = 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (got < n && pos_ < size_) {
      out[got++] = data_[pos_++];
      if (pos_ % pause_every_ == 0) break;  // a pause on the line
    }
    return got;
  }
  std::size_t Write(const void*, std::size_t n) override { return n % 3 == 2 ? n - 1 : n; }
  void ClearErrors() override {}
  bool SetState(const tapix::DCB&) override { return true; }
  tapix::CommTimeouts GetTimeouts() const override { return {}; }
  void SetTimeouts(const tapix::CommTimeouts&) override {}

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  std::size_t pause_every_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t flags = data[0];
  tapix::Session session;
  tapix::SetDefaults(session.settings);
  tapix::ResetOptions(session);
  session.options.Checksum = flags & 1;
  session.options.Waiter3 = (flags >> 1) & 1;
  session.options.CreditQuantity = (flags >> 2) & 1;
  session.options.AutoAnswer = (flags >> 3) & 1;
  session.options.AnswerOk = (flags >> 4) & 1;
  session.options.SendRecord = (flags >> 5) & 1;
  NullConsole console;
  session.console = &console;
  tapix::MemoryPanel panel;
  panel.SetFieldText(tapix::ctl::IsbWaiter, "4294967295");
  panel.SetFieldText(tapix::ctl::IsbPlu, "-1");
  panel.SetChecked(tapix::ctl::Checksum, flags & 0x40);
  if (flags & 0x80) session.window = &panel;
  session.port = std::make_unique<FuzzDevice>(data + 2, size - 2, data[1]);
  unsigned char byte;
  while (session.port->Read(&byte, 1) == 1) tapix::DispatchByte(session, byte);
  return 0;
}
