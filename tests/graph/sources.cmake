list(APPEND QV_TEST_SOURCES
  tests/graph/sgraph_test.cpp
  tests/graph/compute_graph_test.cpp
)
