list(APPEND QV_TEST_SOURCES
  tests/distances/group_transforms_test.cpp
  tests/distances/logdet_test.cpp
  tests/distances/nei_miller_test.cpp
  tests/distances/transforms_test.cpp
  tests/distances/packed_test.cpp
  tests/distances/triangle_check_test.cpp
)
