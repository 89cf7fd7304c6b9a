#include "settings/registry_tree.h"

#include <utility>

namespace tapix {

std::string FoldName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

const RegValue* RegKeyNode::Find(std::string_view name) const {
  auto it = index_.find(FoldName(name));
  return it == index_.end() ? nullptr : &values_[it->second];
}

void RegKeyNode::Set(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data) {
  std::string folded = FoldName(name);
  auto it = index_.find(folded);
  if (it != index_.end()) {
    RegValue& value = values_[it->second];
    value.type = type;
    value.data = std::move(data);
    return;
  }
  index_.emplace(std::move(folded), values_.size());
  values_.push_back(RegValue{std::string(name), type, std::move(data)});
}

bool RegKeyNode::Erase(std::string_view name) {
  auto it = index_.find(FoldName(name));
  if (it == index_.end()) return false;
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(it->second));
  index_.clear();
  for (std::size_t i = 0; i < values_.size(); ++i) index_.emplace(FoldName(values_[i].name), i);
  return true;
}

RegKeyNode* RegistryTree::Find(std::string_view path) {
  auto it = index_.find(FoldName(path));
  return it == index_.end() ? nullptr : &keys_[it->second];
}

const RegKeyNode* RegistryTree::Find(std::string_view path) const {
  auto it = index_.find(FoldName(path));
  return it == index_.end() ? nullptr : &keys_[it->second];
}

RegKeyNode& RegistryTree::Create(std::string_view path) {
  std::string folded = FoldName(path);
  auto it = index_.find(folded);
  if (it != index_.end()) return keys_[it->second];
  index_.emplace(std::move(folded), keys_.size());
  keys_.emplace_back(std::string(path));
  return keys_.back();
}

namespace {

// True when path is below parent (both folded).
bool IsBelow(std::string_view path, std::string_view parent) {
  return path.size() > parent.size() && path.substr(0, parent.size()) == parent &&
         path[parent.size()] == '\\';
}

}  // namespace

bool RegistryTree::Exists(std::string_view path) const {
  const std::string folded = FoldName(path);
  if (index_.count(folded) != 0) return true;
  for (const auto& entry : index_) {
    if (IsBelow(entry.first, folded)) return true;
  }
  return false;
}

void RegistryTree::EraseTree(std::string_view path) {
  const std::string folded = FoldName(path);
  std::vector<RegKeyNode> kept;
  kept.reserve(keys_.size());
  for (RegKeyNode& key : keys_) {
    const std::string key_folded = FoldName(key.Path());
    if (key_folded == folded || IsBelow(key_folded, folded)) continue;
    kept.push_back(std::move(key));
  }
  keys_ = std::move(kept);
  Reindex();
}

void RegistryTree::Reindex() {
  index_.clear();
  for (std::size_t i = 0; i < keys_.size(); ++i) index_.emplace(FoldName(keys_[i].Path()), i);
}

bool SameContent(const RegistryTree& a, const RegistryTree& b) {
  if (a.Keys().size() != b.Keys().size()) return false;
  for (std::size_t i = 0; i < a.Keys().size(); ++i) {
    const RegKeyNode& x = a.Keys()[i];
    const RegKeyNode& y = b.Keys()[i];
    if (x.Path() != y.Path() || x.Values() != y.Values()) return false;
  }
  return true;
}

}  // namespace tapix
