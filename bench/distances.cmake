qv_bench(distances bench/bench_distances.cpp)
