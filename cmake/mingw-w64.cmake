# Cross build for 64-bit Windows with Debian's mingw-w64 compilers (the posix
# thread model, which std::thread needs). Test executables run under Wine
# through wine-run, with a throwaway prefix inside the build tree. The Qt
# windows are left out (-DQUILLMERE_QT=ON asks for them, with a Qt for Windows).
#
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLMERE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLMERE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLMERE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLMERE_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLMERE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No compiler DLLs (libstdc++, libgcc, winpthread) beside the executables:
# each one runs alone in a fresh Wine prefix, and chdman.exe copies of the
# fake tool run from any folder.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# `wine-run PREFIX program args...`; the prefix lives in the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run;${CMAKE_BINARY_DIR}/wineprefix")
