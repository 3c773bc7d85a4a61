list(APPEND QV_TEST_SOURCES
  tests/app/cli_test.cpp
  tests/app/real_files_test.cpp
  tests/app/corpus_table_test.cpp
)
