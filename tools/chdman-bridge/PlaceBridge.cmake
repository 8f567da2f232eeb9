# cmake -DSOURCE=<built bridge> -DDESTINATION=<folder>/chdman -P PlaceBridge.cmake
#
# Copies the bridge to DESTINATION unless a tool that is not a bridge is
# there: a chdman the user put into the program folder is never replaced.
# A bridge is recognised by the first line of its help text.
if(IS_SYMLINK "${DESTINATION}")
  message(STATUS "Kept ${DESTINATION} (a link the user made); the bridge was not copied there")
  return()
endif()
if(EXISTS "${DESTINATION}")
  file(STRINGS "${DESTINATION}" marker LIMIT_COUNT 1 REGEX "Quillmere chdman bridge")
  if(NOT marker)
    message(STATUS "Kept the chdman in ${DESTINATION}; the bridge was not copied there")
    return()
  endif()
endif()
get_filename_component(folder "${DESTINATION}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
file(COPY_FILE "${SOURCE}" "${DESTINATION}" ONLY_IF_DIFFERENT)
