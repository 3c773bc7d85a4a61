# Benchmarks print their own figures; `make bench` builds and runs them all.
add_custom_target(benches)
function(qv_bench name)
  add_executable(bench_${name} ${ARGN})
  target_compile_options(bench_${name} PRIVATE ${QV_WARNINGS})
  target_link_libraries(bench_${name} PRIVATE quivet_core)
  add_dependencies(benches bench_${name})
endfunction()

# One benchmark a line: each lists its own sources in bench/NAME.cmake.
foreach(b
    distances
    splits
    graph
    bootstrap
    window
    spectra
    nnet
    open
    parsimony
    trees
  )
  include(bench/${b}.cmake OPTIONAL)
endforeach()
