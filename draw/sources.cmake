list(APPEND QV_CORE_SOURCES
  draw/labels.cpp
  draw/transform.cpp
  draw/tcltk_draw.cpp
  draw/ps_draw.cpp
  draw/ps_draw_graph.cpp
)
