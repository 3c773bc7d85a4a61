list(APPEND QV_CORE_SOURCES
  splits/buneman_tree.cpp
  splits/circular_nnls.cpp
  splits/compute_cycle.cpp
  splits/compute_spectra.cpp
  splits/compute_splits.cpp
  splits/compute_wc.cpp
  splits/hadamard.cpp
  splits/neighbor_net.cpp
  splits/quartets.cpp
  splits/splits_decomp.cpp
  splits/splits_greedy.cpp
  splits/splits_sort.cpp
  splits/splits_sys.cpp
  splits/packed_splits.cpp
)
