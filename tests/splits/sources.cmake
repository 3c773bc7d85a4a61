list(APPEND QV_TEST_SOURCES
  tests/splits/compute_cycle_test.cpp
  tests/splits/neighbor_net_test.cpp
  tests/splits/edge_transforms_test.cpp
  tests/splits/splits_decomp_test.cpp
  tests/splits/splits_greedy_test.cpp
  tests/splits/splits_p_test.cpp
  tests/splits/splits_sort_test.cpp
  tests/splits/splits_sys_test.cpp
  tests/splits/compute_spectra_test.cpp
  tests/splits/compute_wc_test.cpp
)
