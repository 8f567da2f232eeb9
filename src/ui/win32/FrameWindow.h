#pragma once
// The frame container of the layouts: a plain border around its controls.
// The controls' notifications and colour requests go on to the top-level
// window, where every handler lives; a click on the frame itself is reported
// there like a label's click (WM_COMMAND, STN_CLICKED, the frame's id).

#include <windows.h>

namespace qm {

inline constexpr const char* kFrameClass = "QuillmereFrame";

// Registers the class once; later calls do nothing.
void RegisterFrameClass();

}  // namespace qm
