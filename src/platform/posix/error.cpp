#include "platform/error.h"

#include <system_error>

namespace qm {

std::string SystemMessage(long code) { return std::generic_category().message(static_cast<int>(code)); }

}  // namespace qm
