list(APPEND QV_TEST_SOURCES
  tests/document/document_test.cpp
  tests/document/import_reap_test.cpp
  tests/document/parser_test.cpp
  tests/document/transcript_test.cpp
  tests/document/tree_out_test.cpp
)
