# cmake -DSOURCE_DIR=<repository> -P check_layers.cmake
#
# Fails when a file includes upward: src/ is built as floors, each of which
# may include only itself and the floors below it; the qt/ and win32/ folders
# are the only places that see their toolkit; the bridge sees only the two
# lowest floors.
set(floors core platform jobs runner ui dialogs app)

# The floor's place from the bottom; -1 for a folder that is not a floor.
function(floor_rank path out)
  list(FIND floors "${path}" rank)
  set(${out} ${rank} PARENT_SCOPE)
endfunction()

set(violations "")
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
     ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp
     ${SOURCE_DIR}/tools/chdman-bridge/*.h ${SOURCE_DIR}/tools/chdman-bridge/*.cpp)
foreach(file IN LISTS sources)
  if(file MATCHES "^src/([^/]+)/")
    floor_rank(${CMAKE_MATCH_1} own)
  else()
    set(own 1)  # the bridge: core and platform
  endif()
  set(toolkit "")
  if(file MATCHES "/(qt|win32)/")
    set(toolkit ${CMAKE_MATCH_1})
  elseif(file MATCHES "_win32[.]cpp$")
    set(toolkit win32)
  endif()
  file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^#include [<\"]")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include [<\"]([^>\"]+)[>\"].*" "\\1" target "${line}")
    if(target MATCHES "^([a-z]+)/")
      floor_rank(${CMAKE_MATCH_1} rank)
      if(rank GREATER own)
        list(APPEND violations "${file}: ${target} lies on a floor above")
      endif()
    endif()
    if(target MATCHES "(^|/)qt/|^Q[A-Za-z]+$|^Qt" AND NOT toolkit STREQUAL "qt")
      list(APPEND violations "${file}: ${target} is Qt, outside a qt/ folder")
    endif()
    if(target MATCHES "(^|/)win32/|^windows\\.h$|^commctrl\\.h$|^commdlg\\.h$" AND NOT toolkit STREQUAL "win32")
      list(APPEND violations "${file}: ${target} is Win32, outside a win32/ folder")
    endif()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Includes that look upward:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files, no upward include")
