#pragma once
// The two path forms the program splits as text: Windows ("\" separates
// folders, ":" ends a drive prefix) and POSIX ("/" only, no drive prefix).

namespace qm {

enum class PathStyle { Windows, Posix };

}  // namespace qm
