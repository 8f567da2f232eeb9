# The Qt front end (Linux) and the quillmere executable.
add_library(quillmere_app_qt STATIC qt/frmMain.cpp)
set_target_properties(quillmere_app_qt PROPERTIES AUTOMOC ON)
target_link_libraries(quillmere_app_qt PUBLIC quillmere_app quillmere_dialogs_qt PRIVATE quillmere_warnings)

add_executable(quillmere qt/main.cpp)
target_link_libraries(quillmere PRIVATE quillmere_app_qt quillmere_warnings)

# cmake --install: the executable in bin/ (chdman goes beside it: the
# program's folder is the executable's), the desktop entry and the icons.
include(GNUInstallDirs)
set(QUILLMERE_ICON_DIR ${PROJECT_SOURCE_DIR}/assets/icons)
install(TARGETS quillmere RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/quillmere.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
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
