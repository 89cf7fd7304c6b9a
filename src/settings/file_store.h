// The registry of the Linux build: one text file per user,
// $XDG_CONFIG_HOME/tapix/settings.reg (default ~/.config/tapix/settings.reg),
// in the format of registry export files (store_format.h).
//
// The file is read when the first key is opened and written, in one atomic
// replacement, when a key is closed after a change. Between those, the keys
// live in memory. So a load sees the file as it is at that moment, and a save
// reads it again first and changes only the values it sets: keys and values
// of others (or typed in by hand) stay as they are.
//
// The file is read value by value: a line that cannot be read as a value is
// reported once (per line and run, as a store notice), the value stays unset, the other values
// count, and the line is written back as it stands until a value of its name
// replaces it (see store_format.h). A file that cannot be parsed at all (no
// header, a bad key line, ...) is copied aside once (settings.reg.broken, or
// .broken.1, ... when that exists), a store notice says so, and
// the store starts empty; the next save then replaces the broken file. When
// no copy can be made, the broken file is never written over. A file that
// cannot be read at all (no permission, not a regular file) is left alone
// too: loads find nothing and saves are refused.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "settings/atomic_file_linux.h"
#include "settings/registry_backend.h"
#include "settings/registry_tree.h"
#include "settings/store_notices.h"

namespace tapix {

// Largest store file read; a bigger one is taken as broken.
inline constexpr std::size_t kMaxStoreBytes = 1 << 20;
// Unreadable lines reported one by one at a load; the rest are counted.
inline constexpr std::size_t kUnreadLinesShown = 10;

// $XDG_CONFIG_HOME/tapix/settings.reg when XDG_CONFIG_HOME is an absolute
// path, else $HOME/.config/tapix/settings.reg (HOME from the password
// database when unset); "" when no home is known.
std::string DefaultStorePath();

class FileStore final : public RegistryBackend {
 public:
  explicit FileStore(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }

  // Passed to every file write (see ReplaceFile); tests play failures with it.
  void SetWriteHook(WriteHook hook) { hook_ = std::move(hook); }

  long CreateKey(RegHandle root, std::string_view subkey, std::uint32_t access,
                 RegHandle* key) override;
  long OpenKey(RegHandle root, std::string_view subkey, std::uint32_t access,
               RegHandle* key) override;
  long CloseKey(RegHandle key) override;
  long QueryValue(RegHandle key, const char* name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override;
  long SetValue(RegHandle key, const char* name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long DeleteValue(RegHandle key, const char* name) override;
  long EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t* name_size,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* data_size) override;

 private:
  struct OpenKeyEntry {
    std::string path;
    std::uint32_t access;
  };
  struct BrokenFile {
    FileIdentity identity;
    bool copied;
  };
  // Where the last EnumValue stood, so that enumerating a key value by value
  // does not walk the list from its start every time.
  struct EnumCursor {
    RegHandle key = 0;  // 0: none
    std::uint32_t index = 0;
    std::list<RegValue>::const_iterator at;
  };

  long Open(RegHandle root, std::string_view subkey, std::uint32_t access, bool create,
            RegHandle* key);
  void Load();
  void TakeBroken(const FileIdentity& identity);
  void ReportUnread();
  long Flush();
  long KeyPath(RegHandle root, std::string_view subkey, std::string& path) const;
  // The open key's node for a value call needing the access bits in need.
  long Lookup(RegHandle key, std::uint32_t need, RegKeyNode** node);

  std::string path_;
  WriteHook hook_;
  RegistryTree tree_;
  std::map<RegHandle, OpenKeyEntry> open_;
  RegHandle next_handle_ = 1;
  bool dirty_ = false;
  long write_refused_ = ERROR_SUCCESS;  // why the file must not be written
  std::vector<BrokenFile> broken_;      // broken files already reported
  std::set<std::string> reported_unread_;  // key path + '\n' + line, reported
  EnumCursor cursor_;                   // reset by every change
};

}  // namespace tapix
