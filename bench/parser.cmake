# Throughput of the progress parser on a large generated console stream.
add_executable(bench_parser ${CMAKE_CURRENT_LIST_DIR}/parser_throughput.cpp)
target_link_libraries(bench_parser PRIVATE quillmere_runner quillmere_warnings)
