#pragma once
// The program's icons, from the executable's resources (resource.h).

#include "ui/Layout.h"
#include "ui/win32/Owned.h"

namespace qm {

// The icon drawn `size` pixels square: the image of that size where the icon
// has one, else the system scales the nearest. Empty for IconId::None or an
// executable without the resources.
OwnedIcon LoadProgramIcon(IconId id, int size);

}  // namespace qm
