qv_bench(graph bench/bench_graph.cpp)
