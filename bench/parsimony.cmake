qv_bench(parsimony bench/bench_parsimony.cpp)
