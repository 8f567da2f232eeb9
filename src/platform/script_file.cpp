#include "platform/files.h"

namespace qm {

ScriptFile& ScriptFile::operator=(ScriptFile&& other) noexcept {
  if (this != &other) {
    Remove();
    path_ = std::move(other.path_);
    file_ = std::move(other.file_);
  }
  return *this;
}

ScriptFile::~ScriptFile() { Remove(); }

}  // namespace qm
