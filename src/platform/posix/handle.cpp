#include "platform/handle.h"

#include <unistd.h>

namespace qm {

NativeHandle UniqueHandle::Empty() { return -1; }

bool UniqueHandle::valid() const { return h_ >= 0; }

// The one ::close of the program. Its result is ignored: on Linux the
// descriptor is released even when close reports an error.
void UniqueHandle::reset(NativeHandle h) {
  if (h_ >= 0 && h_ != h) ::close(h_);
  h_ = h;
}

}  // namespace qm
