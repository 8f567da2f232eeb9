#pragma once
// The program's icons, from the PNGs under assets/icons/ compiled into the
// executable as Qt resources (":/icons/NAME-SIZE.png").

#include <QIcon>
#include <QPixmap>

#include "ui/Layout.h"

namespace qm {

// Every drawn size of one icon; a null icon for IconId::None.
QIcon MakeIcon(IconId id);

// The image of `size` x `size` pixels: the drawn one where that size exists,
// else the largest drawn one scaled. Null for IconId::None.
QPixmap IconPixmap(IconId id, int size);

}  // namespace qm
