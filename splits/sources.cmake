list(APPEND QV_CORE_SOURCES
  splits/buneman_tree.cpp
  splits/compute_cycle.cpp
  splits/compute_splits.cpp
  splits/iso_max_width.cpp
  splits/least_squares.cpp
  splits/lin_solve.cpp
  splits/quartets.cpp
  splits/splits_adjust.cpp
  splits/splits_decomp.cpp
  splits/splits_greedy.cpp
  splits/splits_p.cpp
  splits/splits_p_tree.cpp
  splits/splits_sort.cpp
  splits/splits_sys.cpp
)
