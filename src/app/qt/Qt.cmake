# The Qt front end (Linux) and the quillmere executable.
add_library(quillmere_app_qt STATIC qt/frmMain.cpp)
set_target_properties(quillmere_app_qt PROPERTIES AUTOMOC ON)
target_link_libraries(quillmere_app_qt PUBLIC quillmere_app quillmere_dialogs_qt PRIVATE quillmere_warnings)

add_executable(quillmere qt/main.cpp)
target_link_libraries(quillmere PRIVATE quillmere_app_qt quillmere_warnings)
set_target_properties(quillmere PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QUILLMERE_PROGRAM_FOLDER})

# cmake --install: the program folder is lib/quillmere (the program and the
# bridge, which no one runs by hand), with a link to the program in bin/; the
# desktop entry and the icons. Nothing named chdman: the user's own stays the
# one on PATH.
include(GNUInstallDirs)
set(QUILLMERE_ICON_DIR ${PROJECT_SOURCE_DIR}/assets/icons)
install(TARGETS quillmere RUNTIME DESTINATION lib/quillmere)
install(CODE [[
  set(bin "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
  file(MAKE_DIRECTORY "${bin}")
  file(CREATE_LINK ../lib/quillmere/quillmere "${bin}/quillmere" SYMBOLIC)
  message(STATUS "Installing: ${bin}/quillmere -> ../lib/quillmere/quillmere")
]])
install(FILES ${PROJECT_SOURCE_DIR}/packaging/quillmere.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.example.quillmere.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/quillmere.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
foreach(size 16 32 48)
  install(FILES ${QUILLMERE_ICON_DIR}/png/quillmere-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME quillmere.png)
endforeach()
install(FILES ${QUILLMERE_ICON_DIR}/quillmere.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Developer tool: renders the windows to PNG for the README.
add_executable(quillmere_screenshot ${PROJECT_SOURCE_DIR}/tools/screenshot.cpp)
target_link_libraries(quillmere_screenshot PRIVATE quillmere_app_qt quillmere_warnings)
