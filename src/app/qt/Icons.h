#pragma once
// The program's icons, drawn in code at 16, 24, 32 and 48 pixels so that
// every size is sharp. Placeholders until finished art replaces them.

#include <QIcon>
#include <QPixmap>

#include "app/Layout.h"

namespace qm {

// Every size of one icon; a null icon for IconId::None.
QIcon MakeIcon(IconId id);

// One image of `size` x `size` pixels, transparent around the drawing.
QPixmap IconPixmap(IconId id, int size);

}  // namespace qm
