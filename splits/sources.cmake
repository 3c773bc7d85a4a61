list(APPEND QV_CORE_SOURCES
  splits/buneman_tree.cpp
  splits/compute_cycle.cpp
  splits/compute_splits.cpp
  splits/quartets.cpp
  splits/splits_decomp.cpp
  splits/splits_greedy.cpp
  splits/splits_p.cpp
  splits/splits_p_tree.cpp
  splits/splits_sort.cpp
  splits/splits_sys.cpp
)
