#include "settings/registry_key.h"

#include <cstdio>
#include <cstring>

namespace tapix {

namespace {

// A number value: 18 characters and the zero.
constexpr std::uint32_t kNumberBuffer = 19;
// A flag value: 8 characters and the zero.
constexpr std::uint32_t kFlagBuffer = 9;
// Ten digits and the zero fit.
constexpr std::size_t kFormatBuffer = 12;

}  // namespace

long RegistryKey::Hold(long err, RegHandle opened) {
  if (err != ERROR_SUCCESS) return err;
  Close();
  handle_ = opened;
  return ERROR_SUCCESS;
}

long RegistryKey::Create(RegHandle root, std::string_view subkey, std::uint32_t access) {
  RegHandle opened = 0;
  const long err = Registry().CreateKey(root, subkey, access, &opened);
  return Hold(err, opened);
}

long RegistryKey::Open(RegHandle root, std::string_view subkey, std::uint32_t access) {
  RegHandle opened = 0;
  const long err = Registry().OpenKey(root, subkey, access, &opened);
  return Hold(err, opened);
}

long RegistryKey::CreateMachine(std::string_view subkey, std::uint32_t access) {
  return Create(HKEY_LOCAL_MACHINE, subkey, access);
}

long RegistryKey::CreatePath(std::string_view base_path, std::string_view key_name,
                             std::uint32_t access) {
  return CreatePath(HKEY_LOCAL_MACHINE, base_path, key_name, access);
}

namespace {

// base_path + '\' + key_name into `path`; false when it does not fit MAX_PATH
// with its zero.
bool JoinKeyPath(std::string_view base_path, std::string_view key_name, char (&path)[kMaxKeyPath],
                 std::string_view& joined) {
  if (base_path.size() + 1 + key_name.size() + 1 > kMaxKeyPath) return false;
  std::memcpy(path, base_path.data(), base_path.size());
  path[base_path.size()] = '\\';
  std::memcpy(path + base_path.size() + 1, key_name.data(), key_name.size());
  joined = std::string_view(path, base_path.size() + 1 + key_name.size());
  return true;
}

}  // namespace

long RegistryKey::CreatePath(RegHandle root, std::string_view base_path, std::string_view key_name,
                             std::uint32_t access) {
  return AtPath(root, base_path, key_name, access, true);
}

long RegistryKey::OpenPath(RegHandle root, std::string_view base_path, std::string_view key_name,
                           std::uint32_t access) {
  return AtPath(root, base_path, key_name, access, false);
}

long RegistryKey::AtPath(RegHandle root, std::string_view base_path, std::string_view key_name,
                         std::uint32_t access, bool create) {
  char path[kMaxKeyPath];
  std::string_view joined;
  if (!JoinKeyPath(base_path, key_name, path, joined)) return ERROR_BUFFER_OVERFLOW;
  return create ? Create(root, joined, access) : Open(root, joined, access);
}

long RegistryKey::Close() {
  if (handle_ == 0) return ERROR_SUCCESS;
  const RegHandle held = handle_;
  handle_ = 0;
  return Registry().CloseKey(held);
}

long RegistryKey::QueryValue(void* buffer, const char* name, std::uint32_t& size) {
  if (handle_ == 0) return ERROR_INVALID_HANDLE;
  std::uint32_t type = 0;
  return Registry().QueryValue(handle_, name, &type, static_cast<std::uint8_t*>(buffer), &size);
}

long RegistryKey::SetText(const char* text, const char* name) {
  if (handle_ == 0) return ERROR_INVALID_HANDLE;
  return Registry().SetValue(handle_, name, REG_SZ, reinterpret_cast<const std::uint8_t*>(text),
                             static_cast<std::uint32_t>(std::strlen(text) + 1));
}

long RegistryKey::ReadText(const char* name, char* buffer, std::uint32_t capacity,
                           std::string_view& text) {
  buffer[0] = '\0';
  std::uint32_t size = capacity;
  const long err = QueryValue(buffer, name, size);
  if (err != ERROR_SUCCESS) return err;
  // The bytes returned are text up to the first zero or the end of the data;
  // a value stored without its zero is not terminated in the buffer.
  const std::size_t returned = size < capacity ? size : capacity;
  text = std::string_view(buffer, returned);
  text = text.substr(0, text.find('\0'));
  return ERROR_SUCCESS;
}

template <typename Narrow, typename Target>
long RegistryKey::ReadNumber(const char* name, Target& target) {
  char buffer[kNumberBuffer];
  std::string_view text;
  const long err = ReadText(name, buffer, sizeof buffer, text);
  if (err != ERROR_SUCCESS) return err;
  if (text.empty()) return ERROR_SUCCESS;
  target = static_cast<Narrow>(static_cast<std::uint32_t>(ExtractNumber(text)));
  return ERROR_SUCCESS;
}

long RegistryKey::ReadLong(const char* name, std::uint32_t& target) {
  return ReadNumber<std::uint32_t>(name, target);
}

long RegistryKey::ReadWord(const char* name, std::uint16_t& target) {
  return ReadNumber<std::uint16_t>(name, target);
}

long RegistryKey::ReadWord(const char* name, std::uint32_t& target) {
  return ReadNumber<std::uint16_t>(name, target);
}

long RegistryKey::ReadByte(const char* name, std::uint8_t& target) {
  return ReadNumber<std::uint8_t>(name, target);
}

long RegistryKey::WriteLong(const char* name, std::uint32_t value) {
  char text[kFormatBuffer];
  std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value));
  return SetText(text, name);
}

long RegistryKey::WriteWord(const char* name, std::uint32_t value) {
  char text[kFormatBuffer];
  std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value & 0xFFFFu));
  return SetText(text, name);
}

long RegistryKey::WriteByte(const char* name, std::uint32_t value) {
  char text[kFormatBuffer];
  std::snprintf(text, sizeof text, "%hu", static_cast<unsigned short>(value & 0xFFu));
  return SetText(text, name);
}

long RegistryKey::ReadFlag(const char* name, std::uint32_t& flag, std::uint32_t fallback) {
  flag = fallback;
  char buffer[kFlagBuffer];
  std::string_view text;
  const long err = ReadText(name, buffer, sizeof buffer, text);
  if (err != ERROR_SUCCESS) return err;
  if (text.empty()) return ERROR_SUCCESS;
  flag = std::string_view("1JTWjtw").find(text.front()) != std::string_view::npos ? 1 : 0;
  return ERROR_SUCCESS;
}

long RegistryKey::WriteFlag(const char* name, std::uint32_t flag) {
  return SetText(flag == 1 ? "1" : "0", name);
}

bool IsNumberChar(char c) { return (c >= '0' && c <= '9') || c == '-'; }

std::int32_t ExtractNumber(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && !IsNumberChar(text[pos])) ++pos;
  std::size_t end = pos;
  while (end < text.size() && IsNumberChar(text[end])) ++end;
  std::string_view run = text.substr(pos, end - pos);

  const bool negative = !run.empty() && run.front() == '-';
  if (negative) run.remove_prefix(1);
  if (run.empty() || run.front() < '0' || run.front() > '9') return 0;
  std::uint32_t value = 0;
  for (char c : run) {
    if (c < '0' || c > '9') break;
    value = value * 10u + static_cast<std::uint32_t>(c - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

}  // namespace tapix
