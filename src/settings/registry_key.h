// RegistryKey: one open registry key, closed on every way out; and the text
// conversions the settings use for their values.
#pragma once

#include <cstdint>
#include <string_view>

#include "settings/registry_backend.h"

namespace tapix {

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() { Close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Opens the key, creating it when missing. On success a key already held is
  // closed first; on failure the held key stays.
  long Create(RegHandle root, std::string_view subkey, std::uint32_t access);
  long CreateMachine(std::string_view subkey, std::uint32_t access);
  // base_path + '\' + key_name below HKEY_LOCAL_MACHINE. A path that does not
  // fit MAX_PATH gives ERROR_BUFFER_OVERFLOW and opens nothing.
  long CreatePath(std::string_view base_path, std::string_view key_name, std::uint32_t access);
  // The same below another root.
  long CreatePath(RegHandle root, std::string_view base_path, std::string_view key_name,
                  std::uint32_t access);
  // Opens the key only when it exists (ERROR_FILE_NOT_FOUND otherwise); the
  // held key as with Create.
  long Open(RegHandle root, std::string_view subkey, std::uint32_t access);
  // base_path + '\' + key_name below root, opened only when it exists; the
  // path limit as with CreatePath.
  long OpenPath(RegHandle root, std::string_view base_path, std::string_view key_name,
                std::uint32_t access);
  // Closes the held key (0 when none is held).
  long Close();

  RegHandle Handle() const { return handle_; }

  // The value's bytes, whatever its type. size: the buffer's size in, the
  // bytes returned out. A buffer too small gives ERROR_MORE_DATA and stays
  // untouched.
  long QueryValue(void* buffer, const char* name, std::uint32_t& size);
  // Stores text as REG_SZ with its terminating zero.
  long SetText(const char* text, const char* name);

  // Reads a number value as text (at most 18 characters) into the target's
  // width. A value that is missing, too long or empty leaves target as it is.
  long ReadLong(const char* name, std::uint32_t& target);
  long ReadWord(const char* name, std::uint16_t& target);
  // The same 16-bit reading into a 32-bit field (the port number).
  long ReadWord(const char* name, std::uint32_t& target);
  long ReadByte(const char* name, std::uint8_t& target);

  // "%lu", "%u" of the low 16 bits, "%hu" of the low 8 bits.
  long WriteLong(const char* name, std::uint32_t value);
  long WriteWord(const char* name, std::uint32_t value);
  long WriteByte(const char* name, std::uint32_t value);

  // flag = fallback, then 1 when the text (at most 8 characters) starts with
  // one of "1JTWjtw", 0 for any other start; empty or unreadable keeps it.
  long ReadFlag(const char* name, std::uint32_t& flag, std::uint32_t fallback);
  // "1" when flag is 1, "0" for any other value.
  long WriteFlag(const char* name, std::uint32_t flag);

 private:
  // After an open or create that returned `err`: on success the key held
  // before is closed and `opened` held instead.
  long Hold(long err, RegHandle opened);
  // CreatePath (create) or OpenPath.
  long AtPath(RegHandle root, std::string_view base_path, std::string_view key_name,
              std::uint32_t access, bool create);
  // The text of a value of at most capacity - 1 bytes, cut at the first zero.
  long ReadText(const char* name, char* buffer, std::uint32_t capacity, std::string_view& text);
  template <typename Narrow, typename Target>
  long ReadNumber(const char* name, Target& target);

  RegHandle handle_ = 0;
};

// True for '0' to '9' and '-'.
bool IsNumberChar(char c);

// The first number in text: the first run of number characters, read as an
// optional '-' and decimal digits that wrap in 32 bits. 0 when there is no
// run or it does not start with a digit or '-' and a digit.
std::int32_t ExtractNumber(std::string_view text);

}  // namespace tapix
