# Console capture and batch runner with real children: throughput on a flood
# of output, one realistic job, cancel latency. Needs the fake tool, which is
# built with the tests, and /bin/sh and /proc.
if(TARGET quillmere_fakes AND NOT WIN32)
  add_executable(bench_capture
    ${CMAKE_CURRENT_LIST_DIR}/capture/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/capture/Support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/capture/Workspace.cpp
    ${CMAKE_CURRENT_LIST_DIR}/capture/throughput.cpp
    ${CMAKE_CURRENT_LIST_DIR}/capture/realistic_job.cpp
    ${CMAKE_CURRENT_LIST_DIR}/capture/cancel_latency.cpp)
  target_include_directories(bench_capture PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_link_libraries(bench_capture PRIVATE quillmere_runner quillmere_fakes quillmere_warnings)
endif()
