# The native Windows front end over the same core, layout tables and runner
# as the Qt windows, and quillmere.exe with its resources. The program folder
# (quillmere.exe and the bridge) is zipped for users; chdman.exe is theirs to
# add beside them.
add_subdirectory(win32)  # version resource, icons, manifest

add_library(quillmere_app_win32 STATIC win32/frmMain.cpp)
target_link_libraries(quillmere_app_win32 PUBLIC quillmere_app quillmere_dialogs_win32 shell32 PRIVATE quillmere_warnings)

add_executable(quillmere WIN32 win32/main.cpp)
target_link_libraries(quillmere PRIVATE quillmere_app_win32 quillmere_resources quillmere_warnings)
set_target_properties(quillmere PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QUILLMERE_PROGRAM_FOLDER})
install(TARGETS quillmere RUNTIME DESTINATION .)

# quillmere-<version>-win64.zip in the build folder, made by every build. Its
# rule is made once the whole project is read, when the bridge target is known.
function(quillmere_win32_zip)
  set(zip ${PROJECT_BINARY_DIR}/quillmere-${PROJECT_VERSION}-win64.zip)
  set(files Quillmere/quillmere.exe)
  set(targets quillmere)
  if(TARGET quillmere_chdman_bridge)
    list(APPEND files Quillmere/${QUILLMERE_BRIDGE_NAME}.exe)
    list(APPEND targets quillmere_chdman_bridge)
  endif()
  add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
    COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip -- ${files}
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
    DEPENDS ${targets}
    COMMENT "Zipping the program folder into ${zip}"
    VERBATIM)
  add_custom_target(quillmere_zip ALL DEPENDS ${zip})
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL quillmere_win32_zip)
