list(APPEND QV_GUI_SOURCES
  gui/gui_state.cpp
  gui/tcl_commands.cpp
  gui/tcltk_interface.cpp
  gui/tk_front_end.cpp
)

# The built-in copy of the GUI script.
set(QV_GUI_SCRIPT_CPP ${CMAKE_BINARY_DIR}/generated/gui_script.cpp)
add_custom_command(
  OUTPUT ${QV_GUI_SCRIPT_CPP}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_SOURCE_DIR}/gui/splits.rsc -DOUTPUT=${QV_GUI_SCRIPT_CPP}
          -P ${CMAKE_SOURCE_DIR}/gui/embed.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/gui/splits.rsc ${CMAKE_SOURCE_DIR}/gui/embed.cmake
  COMMENT "Embedding gui/splits.rsc"
  VERBATIM)
list(APPEND QV_GUI_SOURCES ${QV_GUI_SCRIPT_CPP})
