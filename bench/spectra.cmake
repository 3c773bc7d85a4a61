qv_bench(spectra bench/bench_spectra.cpp)
