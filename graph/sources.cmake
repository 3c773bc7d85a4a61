list(APPEND QV_CORE_SOURCES
  graph/compute_graph_n.cpp
  graph/sgraph.cpp
  graph/sgraph_2.cpp
)
list(APPEND QV_CORE_SOURCES graph/layout.cpp)
