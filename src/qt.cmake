# The Qt windows (Linux front end) and the quillmere executable.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(quillmere_qt STATIC
  app/qt/Icons.cpp
  app/qt/LayoutBuilder.cpp
  app/qt/GridModel.cpp
  app/qt/GridView.cpp
  app/qt/QtFileOpenDialog.cpp
  app/qt/frmMain.cpp
  dialogs/qt/frmInfo.cpp
  dialogs/qt/frmSetCHS.cpp
)
set_target_properties(quillmere_qt PROPERTIES AUTOMOC ON)
target_include_directories(quillmere_qt PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(quillmere_qt PUBLIC quillmere_runner Qt6::Widgets
                      PRIVATE quillmere_warnings)

# The icons as resources ":/icons/NAME-SIZE.png", from the committed PNGs
# (scripts/make-icons regenerates them); Icons.cpp initialises them, so any
# executable linking quillmere_qt carries them.
set(QUILLMERE_ICON_DIR ${PROJECT_SOURCE_DIR}/assets/icons)
target_sources(quillmere_qt PRIVATE ${QUILLMERE_ICON_DIR}/icons.qrc)
set_target_properties(quillmere_qt PROPERTIES AUTORCC ON)

add_executable(quillmere app/qt/main.cpp)
target_link_libraries(quillmere PRIVATE quillmere_qt quillmere_warnings)

# cmake --install: the executable in bin/ (chdman goes beside it: the
# program's folder is the executable's), the desktop entry and the icons.
include(GNUInstallDirs)
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
target_link_libraries(quillmere_screenshot PRIVATE quillmere_qt quillmere_warnings)
