#pragma once
// Facts about the operating system the program runs on.

#include "core/PathStyle.h"
#include "core/Quoting.h"

namespace qm {

// The path form of this system: Windows or POSIX.
PathStyle NativePathStyle();

// The interpreter that runs the per-job batch file on this system.
Interpreter NativeInterpreter();

}  // namespace qm
