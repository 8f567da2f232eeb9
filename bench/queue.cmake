# Big queues in the main window: adding 1,000 files at once, scrolling 10,000 jobs.
if(TARGET quillmere_app_qt)
  add_executable(bench_queue ${CMAKE_CURRENT_LIST_DIR}/queue.cpp)
  target_link_libraries(bench_queue PRIVATE quillmere_app_qt quillmere_warnings)
endif()
