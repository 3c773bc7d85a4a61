qv_bench(open bench/bench_open.cpp)
