#include "core/ChsGeometry.h"

namespace qm {

std::string ChsGeometry::ChsValue() const {
  if (!confirmed) return {};
  return cylinders + ' ' + heads + ' ' + sectors + ' ';
}

}  // namespace qm
