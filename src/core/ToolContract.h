#pragma once
// The command lines of the external tool, one per job kind. Pieces are
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

// Today's kinds, which only the bridge carries out:
// "-createcd INPUT TMP" and "-createdvd INPUT TMP": a CHD of the disc image, written to TMP.
std::string CreateCdArguments(std::string_view input, std::string_view temp, Interpreter interp);
std::string CreateDvdArguments(std::string_view input, std::string_view temp, Interpreter interp);
// "-verify IMG": the image checked, never changed.
std::string VerifyArguments(std::string_view image, Interpreter interp);
// "-extract IMG TMPDIR": the image's original files, written into the new folder TMPDIR.
std::string ExtractArguments(std::string_view image, std::string_view tempFolder, Interpreter interp);

}  // namespace qm
