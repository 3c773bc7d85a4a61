list(APPEND QV_TEST_SOURCES
  tests/extras/analyses_test.cpp
  tests/extras/extras_block_test.cpp
)
