#include "settings/file_store.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "settings/store_format.h"

namespace tapix {

namespace {

// Longest key name and value name the registry allows.
constexpr std::size_t kMaxKeyName = 255;
constexpr std::size_t kMaxValueName = 16383;

long FromErrno(int err) {
  switch (err) {
    case 0:
      return ERROR_SUCCESS;
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case ENOENT:
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_CANTWRITE;
  }
}

const char* RootName(RegHandle root) {
  switch (root) {
    case HKEY_CLASSES_ROOT:
      return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER:
      return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE:
      return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS:
      return "HKEY_USERS";
    case HKEY_CURRENT_CONFIG:
      return "HKEY_CURRENT_CONFIG";
    default:
      return nullptr;
  }
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  struct passwd entry;
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return "";
}

}  // namespace

std::string DefaultStorePath() {
  std::string base;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') {
    base = config;
  } else {
    const std::string home = HomeDirectory();
    if (home.empty()) return "";
    base = home + "/.config";
  }
  return base + "/tapix/settings.reg";
}

// --- sessions: the file is read when the first key opens ---------------------

void FileStore::Load() {
  cursor_ = EnumCursor();
  tree_ = RegistryTree();
  dirty_ = false;
  write_refused_ = ERROR_SUCCESS;
  if (path_.empty()) {
    write_refused_ = ERROR_PATH_NOT_FOUND;
    return;
  }
  std::string bytes;
  FileIdentity identity;
  const int err = ReadWholeFile(path_, kMaxStoreBytes, bytes, identity);
  if (err == ENOENT || err == ENOTDIR) return;  // no store yet
  if (err == 0) {
    RegistryTree tree;
    if (ParseStore(bytes, tree)) {
      tree_ = std::move(tree);
      ReportUnread();
      return;
    }
  } else if (err != EFBIG) {
    // Unreadable: what it holds is unknown, so it is not written over.
    write_refused_ = ERROR_ACCESS_DENIED;
    return;
  }
  TakeBroken(identity);
}

void FileStore::TakeBroken(const FileIdentity& identity) {
  for (const BrokenFile& known : broken_) {
    if (known.identity == identity) {
      if (!known.copied) write_refused_ = ERROR_REGISTRY_CORRUPT;
      return;
    }
  }
  std::string copy;
  const int err = CopyAside(path_, copy);
  broken_.push_back(BrokenFile{identity, err == 0});
  if (err != 0) write_refused_ = ERROR_REGISTRY_CORRUPT;
  if (err == 0) {
    AddStoreNoticef("Einstellungsdatei %s ist besch\xE4" "digt; Kopie unter %s\n",
         path_.c_str(), copy.c_str());
  } else {
    AddStoreNoticef(
         "Einstellungsdatei %s ist besch\xE4" "digt und bleibt unver\xE4" "ndert; keine Kopie m\xF6"
         "glich: %s\n",
         path_.c_str(), std::strerror(err));
  }
}

void FileStore::ReportUnread() {
  std::size_t shown = 0, more = 0;
  for (const RegKeyNode& key : tree_.Keys()) {
    for (const UnreadLine& kept : key.Unread()) {
      if (!reported_unread_.insert(key.Path() + '\n' + kept.text).second) continue;
      if (shown == kUnreadLinesShown) {
        ++more;
        continue;
      }
      ++shown;
      // The first line of it, short enough for one console line.
      std::string text = kept.text.substr(0, kept.text.find('\n'));
      if (text.size() > 60) text = text.substr(0, 57) + "...";
      for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
      }
      AddStoreNoticef(
           "Einstellungsdatei %s, Zeile %zu nicht lesbar, bleibt ohne Wirkung: %s\n",
           path_.c_str(), kept.line, text.c_str());
    }
  }
  if (more > 0) {
    AddStoreNoticef("Einstellungsdatei %s: %zu weitere Zeilen nicht lesbar\n",
         path_.c_str(), more);
  }
}

long FileStore::Flush() {
  if (write_refused_ != ERROR_SUCCESS) return write_refused_;
  const std::string text = WriteStore(tree_);
  // A file that the next load would take as broken is not written.
  if (text.size() > kMaxStoreBytes) return ERROR_CANTWRITE;
  return FromErrno(ReplaceFile(path_, text, hook_));
}

// --- keys ----------------------------------------------------------------------

long FileStore::KeyPath(RegHandle root, std::string_view subkey, std::string& path) const {
  if (const char* name = RootName(root)) {
    path = name;
  } else {
    auto it = open_.find(root);
    if (it == open_.end()) return ERROR_INVALID_HANDLE;
    path = it->second.path;
  }
  if (!subkey.empty() && subkey.back() == '\\') subkey.remove_suffix(1);
  if (subkey.empty()) return ERROR_SUCCESS;
  if (HasLineBreak(subkey)) return ERROR_INVALID_PARAMETER;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = subkey.find('\\', start);
    const std::string_view part =
        subkey.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (part.empty()) return ERROR_BAD_PATHNAME;
    if (part.size() > kMaxKeyName) return ERROR_INVALID_PARAMETER;
    path += '\\';
    path += part;
    if (end == std::string_view::npos) return ERROR_SUCCESS;
    start = end + 1;
  }
}

long FileStore::Open(RegHandle root, std::string_view subkey, std::uint32_t access, bool create,
                     RegHandle* key) {
  if (key == nullptr) return ERROR_INVALID_PARAMETER;
  if (open_.empty()) Load();
  std::string path;
  if (long err = KeyPath(root, subkey, path)) return err;
  const bool writes = (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0;
  if (writes && write_refused_ != ERROR_SUCCESS) return ERROR_ACCESS_DENIED;
  // As RegOpenKeyEx: a key that is not there is not found (a root itself
  // always is).
  if (!create && path.find('\\') != std::string::npos && !tree_.Exists(path))
    return ERROR_FILE_NOT_FOUND;
  // RegCreateKeyEx makes a missing key whatever access the handle asks for
  // (the right to make it is the caller's); it reaches the file when the
  // key closes. Where the file must not be written, the key cannot be made.
  if (create && tree_.Find(path) == nullptr) {
    if (write_refused_ != ERROR_SUCCESS) return ERROR_ACCESS_DENIED;
    tree_.Create(path);
    dirty_ = true;
  }
  const RegHandle handle = next_handle_++;
  open_.emplace(handle, OpenKeyEntry{std::move(path), access});
  *key = handle;
  return ERROR_SUCCESS;
}

long FileStore::CreateKey(RegHandle root, std::string_view subkey, std::uint32_t access,
                          RegHandle* key) {
  return Open(root, subkey, access, true, key);
}

long FileStore::OpenKey(RegHandle root, std::string_view subkey, std::uint32_t access,
                        RegHandle* key) {
  return Open(root, subkey, access, false, key);
}

long FileStore::CloseKey(RegHandle key) {
  if (RootName(key) != nullptr) return ERROR_SUCCESS;
  if (open_.erase(key) == 0) return ERROR_INVALID_HANDLE;
  if (cursor_.key == key) cursor_ = EnumCursor();
  if (!dirty_) return ERROR_SUCCESS;
  const long err = Flush();
  // A failed write is tried again on the next close; once the last key is
  // closed, the next open reads the file as it is.
  if (err == ERROR_SUCCESS || open_.empty()) dirty_ = false;
  return err;
}

// --- values --------------------------------------------------------------------

long FileStore::Lookup(RegHandle key, std::uint32_t need, RegKeyNode** node) {
  auto it = open_.find(key);
  if (it == open_.end()) return ERROR_INVALID_HANDLE;
  if ((it->second.access & need) != need) return ERROR_ACCESS_DENIED;
  *node = tree_.Find(it->second.path);
  if (*node == nullptr && (need & KEY_SET_VALUE) != 0) *node = &tree_.Create(it->second.path);
  return ERROR_SUCCESS;
}

long FileStore::QueryValue(RegHandle key, const char* name, std::uint32_t* type,
                           std::uint8_t* data, std::uint32_t* size) {
  if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
  RegKeyNode* node = nullptr;
  if (long err = Lookup(key, KEY_QUERY_VALUE, &node)) return err;
  const RegValue* value = node == nullptr ? nullptr : node->Find(name == nullptr ? "" : name);
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  const auto needed = static_cast<std::uint32_t>(value->data.size());
  if (type != nullptr) *type = value->type;
  if (size == nullptr) return ERROR_SUCCESS;
  if (data != nullptr && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data != nullptr && needed > 0) std::memcpy(data, value->data.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

long FileStore::SetValue(RegHandle key, const char* name, std::uint32_t type,
                         const std::uint8_t* data, std::uint32_t size) {
  const std::string_view value_name = name == nullptr ? "" : name;
  if (HasLineBreak(value_name) || value_name.size() > kMaxValueName) return ERROR_INVALID_PARAMETER;
  if (data == nullptr && size > 0) return ERROR_INVALID_PARAMETER;
  RegKeyNode* node = nullptr;
  if (long err = Lookup(key, KEY_SET_VALUE, &node)) return err;
  if (write_refused_ != ERROR_SUCCESS) return ERROR_ACCESS_DENIED;
  node->Set(value_name, type, std::vector<std::uint8_t>(data, data + size));
  cursor_ = EnumCursor();
  dirty_ = true;
  return ERROR_SUCCESS;
}

long FileStore::DeleteValue(RegHandle key, const char* name) {
  RegKeyNode* node = nullptr;
  if (long err = Lookup(key, KEY_SET_VALUE, &node)) return err;
  if (write_refused_ != ERROR_SUCCESS) return ERROR_ACCESS_DENIED;
  if (!node->Erase(name == nullptr ? "" : name)) return ERROR_FILE_NOT_FOUND;
  cursor_ = EnumCursor();
  dirty_ = true;
  return ERROR_SUCCESS;
}

long FileStore::EnumValue(RegHandle key, std::uint32_t index, char* name,
                          std::uint32_t* name_size, std::uint32_t* type, std::uint8_t* data,
                          std::uint32_t* data_size) {
  if (name == nullptr || name_size == nullptr) return ERROR_INVALID_PARAMETER;
  if (data != nullptr && data_size == nullptr) return ERROR_INVALID_PARAMETER;
  RegKeyNode* node = nullptr;
  if (long err = Lookup(key, KEY_QUERY_VALUE, &node)) return err;
  if (node == nullptr || index >= node->Values().size()) return ERROR_NO_MORE_ITEMS;
  if (cursor_.key == key && cursor_.index + 1 == index) {
    ++cursor_.at;
  } else if (cursor_.key != key || cursor_.index != index) {
    cursor_.at = std::next(node->Values().begin(), index);
  }
  cursor_.key = key;
  cursor_.index = index;
  const RegValue& value = *cursor_.at;
  const auto data_needed = static_cast<std::uint32_t>(value.data.size());
  if (value.name.size() + 1 > *name_size) return ERROR_MORE_DATA;
  if (data != nullptr && *data_size < data_needed) {
    *data_size = data_needed;
    return ERROR_MORE_DATA;
  }
  std::memcpy(name, value.name.c_str(), value.name.size() + 1);
  *name_size = static_cast<std::uint32_t>(value.name.size());
  if (type != nullptr) *type = value.type;
  if (data != nullptr && data_needed > 0) std::memcpy(data, value.data.data(), data_needed);
  if (data_size != nullptr) *data_size = data_needed;
  return ERROR_SUCCESS;
}

}  // namespace tapix
