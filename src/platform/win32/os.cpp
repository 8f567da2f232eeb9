#include "platform/os.h"

namespace qm {

PathStyle NativePathStyle() { return PathStyle::Windows; }
Interpreter NativeInterpreter() { return Interpreter::Cmd; }

}  // namespace qm
