# Creating CHD files from CD images through the chdman bridge against the same
# chdman createcd runs made by hand.
if(TARGET quillmere_chdman_bridge AND NOT WIN32)
  add_executable(bench_bridge_create ${CMAKE_CURRENT_LIST_DIR}/bridge_create.cpp)
  target_link_libraries(bench_bridge_create PRIVATE quillmere_platform quillmere_warnings)
  target_compile_definitions(bench_bridge_create PRIVATE QM_BRIDGE="$<TARGET_FILE:quillmere_chdman_bridge>")
  add_dependencies(bench_bridge_create quillmere_chdman_bridge)
endif()
