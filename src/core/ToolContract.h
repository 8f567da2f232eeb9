#pragma once
// The command lines of the external tool for the three job kinds. Pieces are
// joined by one blank; every name is quoted for `interp` when it needs it
// (see Quoting.h), so plain names appear exactly as typed.

#include <string>
#include <string_view>

#include "core/ChsGeometry.h"
#include "core/Quoting.h"

namespace qm {

// "-update IMG TMP"
std::string UpdateArguments(std::string_view image, std::string_view temp, Interpreter interp);
// "-merge IMG DIFF TMP"
std::string MergeArguments(std::string_view image, std::string_view diff, std::string_view temp,
                           Interpreter interp);
// "-setchs IMG C H S " (each geometry field followed by one blank). An
// unconfirmed geometry gives "-setchs IMG ".
std::string SetChsArguments(std::string_view image, const ChsGeometry& geometry, Interpreter interp);

}  // namespace qm
