#include "ui/Layout.h"

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

}  // namespace qm
