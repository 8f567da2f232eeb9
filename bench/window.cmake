# Start-up cost of the main window against an empty window of the same size.
if(TARGET quillmere_app_qt)
  add_executable(bench_window_startup ${CMAKE_CURRENT_LIST_DIR}/window_startup.cpp)
  target_link_libraries(bench_window_startup PRIVATE quillmere_app_qt quillmere_warnings)
endif()
