qv_bench(window bench/bench_window.cpp)
target_compile_definitions(bench_window PRIVATE QV_BINARY="$<TARGET_FILE:quivet>" QV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_dependencies(bench_window quivet)
