# One real update batch through the program and the chdman bridge against the
# same chdman copy runs made by hand.
if(TARGET quillmere_app_qt AND TARGET quillmere_chdman_bridge)
  add_executable(bench_bridge_batch ${CMAKE_CURRENT_LIST_DIR}/bridge_batch.cpp)
  target_link_libraries(bench_bridge_batch PRIVATE quillmere_app_qt quillmere_warnings)
  target_compile_definitions(bench_bridge_batch PRIVATE QM_BRIDGE="$<TARGET_FILE:quillmere_chdman_bridge>")
  add_dependencies(bench_bridge_batch quillmere_chdman_bridge)
endif()
