#include "ui/Layout.h"

#include <algorithm>

namespace qm {

const ControlSpec* WindowSpec::Find(std::string_view controlName, int index) const {
  for (const ControlSpec& c : controls) {
    if (c.name == controlName && c.index == index) return &c;
  }
  return nullptr;
}

std::string ObjectName(const ControlSpec& control) {
  std::string name(control.name);
  if (control.index != kNoIndex) name += '_' + std::to_string(control.index);
  return name;
}

std::vector<const ControlSpec*> TabChain(std::span<const ControlSpec> controls) {
  std::vector<const ControlSpec*> chain;
  for (const ControlSpec& c : controls) {
    if (TakesFocus(c.kind) && c.tabIndex != kNoTab) chain.push_back(&c);
  }
  std::stable_sort(chain.begin(), chain.end(),
                   [](const ControlSpec* a, const ControlSpec* b) { return a->tabIndex < b->tabIndex; });
  return chain;
}

}  // namespace qm
