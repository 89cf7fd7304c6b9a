// The store file reader on arbitrary bytes. Whatever it accepts must write
// back to a text that reads to the same keys and values, keeps every line it
// could not read, and is stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/store_format.h"

namespace {

// Each key's unread lines: none may go, change or join another.
std::string UnreadText(const tapix::RegistryTree& tree) {
  std::string all;
  for (const tapix::RegKeyNode& key : tree.Keys()) {
    all += key.Path();
    for (const tapix::UnreadLine& kept : key.Unread()) {
      all += '\n';
      all += kept.text;
    }
    all += '\0';
  }
  return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  tapix::RegistryTree tree;
  if (!tapix::ParseStore(text, tree)) return 0;
  const std::string written = tapix::WriteStore(tree);
  tapix::RegistryTree again;
  if (!tapix::ParseStore(written, again)) std::abort();
  if (!tapix::SameContent(tree, again)) std::abort();
  if (UnreadText(tree) != UnreadText(again)) std::abort();
  if (tapix::WriteStore(again) != written) std::abort();
  return 0;
}
