list(APPEND QV_TEST_SOURCES
  tests/gui/tcl_commands_test.cpp
  tests/gui/gui_test.cpp
)
