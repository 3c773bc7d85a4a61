qv_bench(trees bench/bench_trees.cpp)
