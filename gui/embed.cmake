# Writes the GUI script into a C++ source as a byte array, so that the
# program carries its own copy: cmake -DINPUT=... -DOUTPUT=... -P embed.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from gui/splits.rsc by gui/embed.cmake.\n"
  "#include \"gui/tcltk_interface.h\"\n"
  "extern const char gui_script[] = {\n${bytes}0};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
