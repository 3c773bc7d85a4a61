list(APPEND QV_TEST_SOURCES
  tests/blocks/assumptions_test.cpp
  tests/blocks/bootstrap_test.cpp
  tests/blocks/characters_test.cpp
  tests/blocks/distances_test.cpp
  tests/blocks/s_vector_test.cpp
  tests/blocks/sets_test.cpp
  tests/blocks/splits_test.cpp
  tests/blocks/taxa_test.cpp
  tests/blocks/trees_test.cpp
  tests/blocks/splitsgraph_test.cpp
  tests/blocks/spectra_test.cpp
)
