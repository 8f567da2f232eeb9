#pragma once
// The disk geometry typed into the geometry dialog, and its character filter.

#include <string>
#include <string_view>

namespace qm {

struct ChsGeometry {
  std::string cylinders, heads, sectors;  // trimmed texts of txtC, txtH, txtS

  // The geometry text: each field followed by one blank ("1024 16 63 ").
  // Empty for a geometry that was never confirmed.
  std::string ChsValue() const;
  bool confirmed = false;  // false until the dialog's first confirmation
};

// Geometry from the three box texts as the confirm button reads them:
// leading and trailing blanks removed, inner blanks kept.
ChsGeometry ConfirmChs(std::string_view c, std::string_view h, std::string_view s);

// The boxes' key filter: backspace (8) and the digits pass; every other
// character code becomes 0 (discarded).
int FilterChsChar(int code);

}  // namespace qm
