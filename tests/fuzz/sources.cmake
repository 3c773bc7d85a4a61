list(APPEND QV_TEST_SOURCES
  tests/fuzz/regressions_test.cpp
)
