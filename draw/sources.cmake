list(APPEND QV_CORE_SOURCES
  draw/labels.cpp
  draw/transform.cpp
  draw/tcltk_draw.cpp
  draw/ps_draw.cpp
  draw/ps_draw_graph.cpp
  draw/picture_text.cpp
  draw/vector_page.cpp
  draw/svg_draw.cpp
  draw/pdf_draw.cpp
  draw/pictures.cpp
)
