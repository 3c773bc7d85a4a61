list(APPEND QV_TEST_SOURCES
  tests/draw/tcltk_draw_test.cpp
  tests/draw/ps_draw_test.cpp
  tests/draw/pictures_test.cpp
)
