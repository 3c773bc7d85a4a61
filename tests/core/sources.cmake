list(APPEND QV_TEST_SOURCES
  tests/core/auxilary_test.cpp
  tests/core/labels_test.cpp
  tests/core/memory_test.cpp
  tests/core/message_test.cpp
  tests/core/random_test.cpp
  tests/core/set_array_test.cpp
  tests/core/sets_test.cpp
  tests/core/set_text_test.cpp
)
