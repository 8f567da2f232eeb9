#pragma once
// What the geometry dialog does with its boxes: the confirm rule and the
// character filter.

#include <string_view>

#include "core/ChsGeometry.h"

namespace qm {

// Geometry from the three box texts as the confirm button reads them:
// leading and trailing blanks removed, inner blanks kept.
ChsGeometry ConfirmChs(std::string_view c, std::string_view h, std::string_view s);

// The boxes' key filter: backspace (8) and the digits pass; every other
// character code becomes 0 (discarded).
int FilterChsChar(int code);

}  // namespace qm
