// A registry in memory for tests that must run on every platform: keys by
// root and path (no case folding), typed values in the order they were set,
// and a switch that makes one root refuse writes as the system does for a
// user without administrator rights below HKEY_LOCAL_MACHINE.
#pragma once

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "settings/registry_backend.h"

namespace tapix::testing {

class MemoryRegistry final : public RegistryBackend {
 public:
  struct Value {
    std::string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };

  // Opening a key below this root with any write right, or creating a
  // missing one whatever the rights asked for, fails with
  // ERROR_ACCESS_DENIED (reading what exists still works).
  void RefuseWrites(RegHandle root) { read_only_.insert(root); }

  // Adds a value to the key root\path (the key is made when missing).
  void Put(RegHandle root, const std::string& path, const std::string& name, std::uint32_t type,
           const std::string& bytes) {
    Set(keys_[{root, path}], name, type, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  }
  // The values of root\path; null when the key does not exist.
  const std::vector<Value>* Key(RegHandle root, const std::string& path) const {
    auto it = keys_.find({root, path});
    return it == keys_.end() ? nullptr : &it->second;
  }
  // The text of a value up to its zero; "" when missing.
  std::string Text(RegHandle root, const std::string& path, const std::string& name) const {
    if (const auto* values = Key(root, path)) {
      for (const Value& v : *values)
        if (v.name == name) return std::string(v.data.begin(), v.data.end()).c_str();
    }
    return "";
  }
  std::size_t OpenKeys() const { return open_.size(); }

  long CreateKey(RegHandle root, std::string_view subkey, std::uint32_t access,
                 RegHandle* key) override {
    const bool exists = keys_.count({root, std::string(subkey)}) != 0;
    if (read_only_.count(root) && (!exists || (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY))))
      return ERROR_ACCESS_DENIED;
    keys_[{root, std::string(subkey)}];
    return Open(root, subkey, access, key);
  }
  long OpenKey(RegHandle root, std::string_view subkey, std::uint32_t access,
               RegHandle* key) override {
    if (!keys_.count({root, std::string(subkey)})) return ERROR_FILE_NOT_FOUND;
    if (read_only_.count(root) && (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)))
      return ERROR_ACCESS_DENIED;
    return Open(root, subkey, access, key);
  }
  long CloseKey(RegHandle key) override { return open_.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; }
  long QueryValue(RegHandle key, const char* name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    auto* values = Values(key);
    if (!values) return ERROR_INVALID_HANDLE;
    for (const Value& v : *values) {
      if (v.name != (name ? name : "")) continue;
      if (type) *type = v.type;
      const auto need = static_cast<std::uint32_t>(v.data.size());
      if (data && size && *size < need) {
        *size = need;
        return ERROR_MORE_DATA;
      }
      if (data && !v.data.empty()) std::memcpy(data, v.data.data(), v.data.size());
      if (size) *size = need;
      return ERROR_SUCCESS;
    }
    return ERROR_FILE_NOT_FOUND;
  }
  long SetValue(RegHandle key, const char* name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    auto* values = Values(key);
    if (!values) return ERROR_INVALID_HANDLE;
    Set(*values, name ? name : "", type, std::vector<std::uint8_t>(data, data + size));
    return ERROR_SUCCESS;
  }
  long DeleteValue(RegHandle key, const char* name) override {
    auto* values = Values(key);
    if (!values) return ERROR_INVALID_HANDLE;
    for (auto it = values->begin(); it != values->end(); ++it) {
      if (it->name == (name ? name : "")) {
        values->erase(it);
        return ERROR_SUCCESS;
      }
    }
    return ERROR_FILE_NOT_FOUND;
  }
  long EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t* name_size,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* data_size) override {
    auto* values = Values(key);
    if (!values) return ERROR_INVALID_HANDLE;
    if (index >= values->size()) return ERROR_NO_MORE_ITEMS;
    const Value& v = (*values)[index];
    if (v.name.size() + 1 > *name_size || (data && data_size && v.data.size() > *data_size))
      return ERROR_MORE_DATA;
    std::memcpy(name, v.name.c_str(), v.name.size() + 1);
    *name_size = static_cast<std::uint32_t>(v.name.size());
    if (type) *type = v.type;
    if (data && !v.data.empty()) std::memcpy(data, v.data.data(), v.data.size());
    if (data_size) *data_size = static_cast<std::uint32_t>(v.data.size());
    return ERROR_SUCCESS;
  }

 private:
  using Path = std::pair<RegHandle, std::string>;

  static void Set(std::vector<Value>& values, const std::string& name, std::uint32_t type,
                  std::vector<std::uint8_t> data) {
    for (Value& v : values) {
      if (v.name == name) {
        v.type = type;
        v.data = std::move(data);
        return;
      }
    }
    values.push_back(Value{name, type, std::move(data)});
  }
  long Open(RegHandle root, std::string_view subkey, std::uint32_t, RegHandle* key) {
    *key = next_++;
    open_[*key] = {root, std::string(subkey)};
    return ERROR_SUCCESS;
  }
  std::vector<Value>* Values(RegHandle key) {
    auto it = open_.find(key);
    return it == open_.end() ? nullptr : &keys_[it->second];
  }

  std::map<Path, std::vector<Value>> keys_;
  std::map<RegHandle, Path> open_;
  std::set<RegHandle> read_only_;
  RegHandle next_ = 1;
};

}  // namespace tapix::testing
