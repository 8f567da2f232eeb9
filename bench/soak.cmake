# Soak: batches of 20 and 2000 fast jobs through the runner; peak memory and
# time per job. Needs the fake tool (built with the tests), /bin/sh and /proc.
if(TARGET quillmere_fakes AND NOT WIN32)
  add_executable(bench_soak
    ${CMAKE_CURRENT_LIST_DIR}/soak.cpp
    ${CMAKE_CURRENT_LIST_DIR}/capture/Support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/capture/Workspace.cpp)
  target_include_directories(bench_soak PRIVATE ${CMAKE_CURRENT_LIST_DIR}/capture ${PROJECT_SOURCE_DIR}/tests/support)
  target_link_libraries(bench_soak PRIVATE quillmere_runner quillmere_fakes quillmere_warnings)
endif()
