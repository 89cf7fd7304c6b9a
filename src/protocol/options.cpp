#include "protocol/options.h"

namespace tapix {

const OptionSpec* OptionOfBox(int box) {
  for (const OptionSpec& spec : kOptionList) {
    if (spec.box == box) return &spec;
  }
  return nullptr;
}

const OptionSpec* OptionNamed(std::string_view name) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  for (const OptionSpec& spec : kOptionList) {
    const std::string_view candidate(spec.name);
    if (candidate.size() != name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size() && same; ++i) {
      same = lower(candidate[i]) == lower(name[i]);
    }
    if (same) return &spec;
  }
  return nullptr;
}

}  // namespace tapix
