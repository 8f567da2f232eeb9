#pragma once
// The main window's layout table.

#include "ui/Layout.h"

namespace qm {

const WindowSpec& MainWindowLayout();

}  // namespace qm
