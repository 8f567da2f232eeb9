#include "platform/os.h"

namespace qm {

PathStyle NativePathStyle() { return PathStyle::Posix; }
Interpreter NativeInterpreter() { return Interpreter::PosixShell; }

}  // namespace qm
