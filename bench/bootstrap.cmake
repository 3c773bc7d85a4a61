qv_bench(bootstrap bench/bench_bootstrap.cpp)
