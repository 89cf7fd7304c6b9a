// ExtractNumber on arbitrary text against a plain reference, and the number
// and flag reads of RegistryKey on arbitrary value bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "settings/registry_key.h"

namespace {

// The same rule written out differently: 64-bit sum of the digits, reduced
// modulo 2^32 at the end.
std::int32_t Reference(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && !((text[i] >= '0' && text[i] <= '9') || text[i] == '-')) ++i;
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return 0;
  std::uint64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = (value * 10 + static_cast<std::uint64_t>(text[i] - '0')) & 0xFFFFFFFFu;
  }
  if (negative) value = (0x100000000u - value) & 0xFFFFFFFFu;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// A registry with one key whose every value holds the fuzz bytes.
class OneValueRegistry final : public tapix::RegistryBackend {
 public:
  std::string_view bytes_;
  long CreateKey(tapix::RegHandle, std::string_view, std::uint32_t, tapix::RegHandle* key) override {
    *key = 1;
    return tapix::ERROR_SUCCESS;
  }
  long OpenKey(tapix::RegHandle r, std::string_view s, std::uint32_t a, tapix::RegHandle* k) override {
    return CreateKey(r, s, a, k);
  }
  long CloseKey(tapix::RegHandle) override { return tapix::ERROR_SUCCESS; }
  long QueryValue(tapix::RegHandle, const char*, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    if (type != nullptr) *type = tapix::REG_BINARY;
    if (*size < bytes_.size()) {
      *size = static_cast<std::uint32_t>(bytes_.size());
      return tapix::ERROR_MORE_DATA;
    }
    if (!bytes_.empty()) std::memcpy(data, bytes_.data(), bytes_.size());
    *size = static_cast<std::uint32_t>(bytes_.size());
    return tapix::ERROR_SUCCESS;
  }
  long SetValue(tapix::RegHandle, const char*, std::uint32_t, const std::uint8_t*, std::uint32_t) override {
    return tapix::ERROR_ACCESS_DENIED;
  }
  long DeleteValue(tapix::RegHandle, const char*) override { return tapix::ERROR_ACCESS_DENIED; }
  long EnumValue(tapix::RegHandle, std::uint32_t, char*, std::uint32_t*, std::uint32_t*, std::uint8_t*,
                 std::uint32_t*) override {
    return tapix::ERROR_NO_MORE_ITEMS;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (tapix::ExtractNumber(text) != Reference(text)) std::abort();

  static OneValueRegistry registry;
  registry.bytes_ = text;
  tapix::SetRegistry(&registry);
  tapix::RegistryKey key;
  key.CreateMachine("SOFTWARE\\TRESOL\\Ventrix Test", tapix::KEY_READ);
  // The value's bytes as text up to the first zero: 19 bytes fit a number
  // buffer, 9 a flag buffer (a stored text counts its terminating zero).
  const std::string_view value = text.substr(0, text.find('\0'));

  std::uint32_t number = 0xDEADBEEF;
  key.ReadLong("Baud", number);
  const std::uint32_t want = size > 19 || value.empty()
                                 ? 0xDEADBEEFu
                                 : static_cast<std::uint32_t>(tapix::ExtractNumber(value));
  if (number != want) std::abort();

  std::uint32_t flag = 7;
  key.ReadFlag("Autoconnect", flag, 5);
  const std::uint32_t want_flag =
      size > 9 || value.empty() ? 5u : (std::strchr("1JTWjtw", value[0]) != nullptr ? 1u : 0u);
  if (flag != want_flag) std::abort();
  key.Close();
  tapix::SetRegistry(nullptr);
  return 0;
}
