#pragma once
// Parameterised tests name their rows after the row's `name` (else `label`).

#include <string>

namespace qm::test {

struct RowName {
  template <class Info>
  std::string operator()(const Info& info) const {
    if constexpr (requires { info.param.name; }) {
      return std::string(info.param.name);
    } else {
      return std::string(info.param.label);
    }
  }
};

}  // namespace qm::test
