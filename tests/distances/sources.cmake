list(APPEND QV_TEST_SOURCES
  tests/distances/transforms_test.cpp
  tests/distances/packed_test.cpp
  tests/distances/triangle_check_test.cpp
)
