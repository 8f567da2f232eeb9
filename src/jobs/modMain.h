#pragma once
// Text-only path splitting, in either path form (core/PathStyle.h). Nothing
// here touches the file system. The add operation uses the form of the
// platform it runs on (NativePathStyle in platform/os.h).

#include <string>
#include <string_view>

#include "core/PathStyle.h"

namespace qm {

// Flag false: the file name without folder and without its last extension.
// Flag true: the whole path without its last extension.
std::string GetBaseName(std::string_view path, bool fullPath, PathStyle style = PathStyle::Windows);

// The folder part without its trailing separator. Windows keeps the colon of
// a bare drive ("C:\x" gives "C:"); POSIX gives "/" for a file in the root.
// Empty when the path has no separator.
std::string GetFolder(std::string_view path, PathStyle style = PathStyle::Windows);

// The path itself when at most maxLength characters long, else with inner
// folder names replaced by "..." from the left until it fits (or all are
// replaced). Length counts UTF-8 characters, not bytes.
std::string ShortenPath(std::string_view path, int maxLength, PathStyle style = PathStyle::Windows);

// Number of characters (code points) of a UTF-8 text.
std::size_t Utf8Length(std::string_view text);

}  // namespace qm
