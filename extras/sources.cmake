list(APPEND QV_CORE_SOURCES
  extras/compute_clock.cpp
  extras/compute_diverge.cpp
  extras/compute_support.cpp
  extras/estimate_variable.cpp
  extras/patterns.cpp
  extras/site_data.cpp
)
