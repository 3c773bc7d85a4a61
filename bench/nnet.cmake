qv_bench(nnet bench/bench_nnet.cpp)
