qv_bench(splits bench/bench_splits.cpp)
