#pragma once
// A hard disk's geometry as the geometry dialog confirms it: the three texts
// that end a Set CHS job's argument string.

#include <string>

namespace qm {

struct ChsGeometry {
  std::string cylinders, heads, sectors;  // trimmed texts of txtC, txtH, txtS

  // The geometry text: each field followed by one blank ("1024 16 63 ").
  // Empty for a geometry that was never confirmed.
  std::string ChsValue() const;
  bool confirmed = false;  // false until the dialog's first confirmation
};

}  // namespace qm
