#pragma once
// The layout tables of the geometry dialog and the About dialog.

#include "ui/Layout.h"

namespace qm {

const WindowSpec& SetChsLayout();
const WindowSpec& InfoLayout();

}  // namespace qm
