#include "platform/error.h"

#include "platform/win32/CodePage.h"

namespace qm {

std::string SystemMessage(long code) { return win32::ErrorText(static_cast<unsigned long>(code)); }

}  // namespace qm
