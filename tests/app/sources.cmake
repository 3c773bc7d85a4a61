list(APPEND QV_TEST_SOURCES
  tests/app/cli_test.cpp
)
