// The keys and values of the file store in memory.
//
// Key paths are full paths with the root's name first
// ("HKEY_LOCAL_MACHINE\SOFTWARE\TRESOL"). Key and value names compare without
// regard to ASCII case, as in the registry, and keep the case they were
// created with. Keys and values keep the order in which they were read or
// added, so a file written back keeps its order. Lookups, additions and
// removals take logarithmic or constant time, so even a store file full of
// deletion lines reads quickly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tapix {

struct RegValue {
  std::string name;  // "" is the key's default value
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;

  bool operator==(const RegValue&) const = default;
};

// The lower-case ASCII form used to compare names.
std::string FoldName(std::string_view name);

// A line of a key's section in the store file that could not be read as a
// value (typed wrongly by hand, say). It is kept as it stands and written
// back, so that what the operator meant is not lost, until a value of the
// same name is set or deleted: then the line has been replaced.
struct UnreadLine {
  std::optional<std::string> folded_name;  // the value name the line starts with
  std::string text;                        // continued lines joined by '\n'
  std::size_t line = 0;                    // where it stood in the file read (1-based)
};

class RegKeyNode {
 public:
  explicit RegKeyNode(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const { return path_; }
  const std::list<RegValue>& Values() const { return values_; }
  const std::vector<UnreadLine>& Unread() const { return unread_; }

  const RegValue* Find(std::string_view name) const;
  // Replaces the value of that name in its place (keeping the name's first
  // spelling) or appends a new one; an unread line of that name goes.
  void Set(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data);
  // Removes the value and any unread line of that name; false when there was
  // neither.
  bool Erase(std::string_view name);
  // name: the value name the line starts with, when one could be read.
  void KeepUnread(std::optional<std::string_view> name, std::string text, std::size_t line);

 private:
  bool DropUnread(const std::string& folded_name);

  std::string path_;
  std::list<RegValue> values_;
  std::vector<UnreadLine> unread_;
  std::unordered_map<std::string, std::list<RegValue>::iterator> index_;  // by folded name
};

class RegistryTree {
 public:
  // Pointers returned stay valid until their key is erased.
  RegKeyNode* Find(std::string_view path);
  const RegKeyNode* Find(std::string_view path) const;
  // The key of that path, appended when missing.
  RegKeyNode& Create(std::string_view path);
  // True for a stored key and for any key on the way to one.
  bool Exists(std::string_view path) const;
  // Removes the key and every key below it.
  void EraseTree(std::string_view path);

  const std::list<RegKeyNode>& Keys() const { return keys_; }
  bool Empty() const { return keys_.empty(); }

 private:
  std::list<RegKeyNode> keys_;
  // By folded path; ordered, so the keys below one are a range.
  std::map<std::string, std::list<RegKeyNode>::iterator> index_;
};

// Same keys in the same order with the same values; names compared exactly.
bool SameContent(const RegistryTree& a, const RegistryTree& b);

}  // namespace tapix
