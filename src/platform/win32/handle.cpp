#include "platform/handle.h"

#include <windows.h>

namespace qm {

NativeHandle UniqueHandle::Empty() { return nullptr; }

// Windows has two failure values: most calls return null, but CreateFile and
// CreateToolhelp32Snapshot return INVALID_HANDLE_VALUE. Neither is closed.
bool UniqueHandle::valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }

// The one CloseHandle of the program.
void UniqueHandle::reset(NativeHandle h) {
  if (valid() && h_ != h) ::CloseHandle(h_);
  h_ = h;
}

}  // namespace qm
