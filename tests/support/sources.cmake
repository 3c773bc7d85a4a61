list(APPEND QV_TEST_SOURCES
  tests/support/capture.cpp
  tests/support/run.cpp
)
