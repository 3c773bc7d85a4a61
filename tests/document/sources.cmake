list(APPEND QV_TEST_SOURCES
  tests/document/document_test.cpp
)
