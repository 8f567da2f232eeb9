#pragma once
// Parameterised tests name their rows after the row's `label`, else its
// `name` (a row holding both keeps the name for its data).

#include <string>

namespace qm::test {

struct RowName {
  template <class Info>
  std::string operator()(const Info& info) const {
    if constexpr (requires { info.param.label; }) {
      return std::string(info.param.label);
    } else {
      return std::string(info.param.name);
    }
  }
};

}  // namespace qm::test
