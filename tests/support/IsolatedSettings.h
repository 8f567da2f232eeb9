#pragma once
// Runner settings that look for the tool in the program folder only, so that
// a chdman on the machine's PATH or in QUILLMERE_CHDMAN cannot answer for the
// fake one.

#include <string>

#include "runner/BatchRunner.h"

namespace qm::test {

inline RunnerSettings Isolated(RunnerSettings settings) {
  settings.toolVariable = std::string();
  settings.toolPathList = std::string();
  return settings;
}

}  // namespace qm::test
