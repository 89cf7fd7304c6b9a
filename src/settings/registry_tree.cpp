#include "settings/registry_tree.h"

#include <algorithm>
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
  return it == index_.end() ? nullptr : &*it->second;
}

void RegKeyNode::Set(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data) {
  std::string folded = FoldName(name);
  DropUnread(folded);
  auto it = index_.find(folded);
  if (it != index_.end()) {
    it->second->type = type;
    it->second->data = std::move(data);
    return;
  }
  values_.push_back(RegValue{std::string(name), type, std::move(data)});
  index_.emplace(std::move(folded), std::prev(values_.end()));
}

bool RegKeyNode::Erase(std::string_view name) {
  const std::string folded = FoldName(name);
  const bool dropped = DropUnread(folded);
  auto it = index_.find(folded);
  if (it == index_.end()) return dropped;
  values_.erase(it->second);
  index_.erase(it);
  return true;
}

void RegKeyNode::KeepUnread(std::optional<std::string_view> name, std::string text,
                            std::size_t line) {
  std::optional<std::string> folded;
  if (name) folded = FoldName(*name);
  unread_.push_back(UnreadLine{std::move(folded), std::move(text), line});
}

bool RegKeyNode::DropUnread(const std::string& folded_name) {
  if (unread_.empty()) return false;
  return std::erase_if(unread_, [&](const UnreadLine& kept) {
           return kept.folded_name == folded_name;
         }) > 0;
}

RegKeyNode* RegistryTree::Find(std::string_view path) {
  auto it = index_.find(FoldName(path));
  return it == index_.end() ? nullptr : &*it->second;
}

const RegKeyNode* RegistryTree::Find(std::string_view path) const {
  auto it = index_.find(FoldName(path));
  return it == index_.end() ? nullptr : &*it->second;
}

RegKeyNode& RegistryTree::Create(std::string_view path) {
  std::string folded = FoldName(path);
  auto it = index_.find(folded);
  if (it != index_.end()) return *it->second;
  keys_.emplace_back(std::string(path));
  index_.emplace(std::move(folded), std::prev(keys_.end()));
  return keys_.back();
}

// The keys below "p" are those whose folded paths start with "p\": one range
// of the ordered index.

bool RegistryTree::Exists(std::string_view path) const {
  std::string folded = FoldName(path);
  if (index_.count(folded) != 0) return true;
  folded += '\\';
  auto below = index_.lower_bound(folded);
  return below != index_.end() && below->first.compare(0, folded.size(), folded) == 0;
}

void RegistryTree::EraseTree(std::string_view path) {
  std::string folded = FoldName(path);
  if (auto it = index_.find(folded); it != index_.end()) {
    keys_.erase(it->second);
    index_.erase(it);
  }
  folded += '\\';
  auto first = index_.lower_bound(folded);
  auto last = first;
  while (last != index_.end() && last->first.compare(0, folded.size(), folded) == 0) {
    keys_.erase(last->second);
    ++last;
  }
  index_.erase(first, last);
}

bool SameContent(const RegistryTree& a, const RegistryTree& b) {
  return std::equal(a.Keys().begin(), a.Keys().end(), b.Keys().begin(), b.Keys().end(),
                    [](const RegKeyNode& x, const RegKeyNode& y) {
                      return x.Path() == y.Path() && x.Values() == y.Values();
                    });
}

}  // namespace tapix
