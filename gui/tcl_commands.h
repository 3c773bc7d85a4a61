// The Tcl commands through which the GUI script drives and questions the
// document:
//   qv_cmd0 text        read text as a stream of blocks and commands
//   qv_state0 key       answer a question (gui_state.h); unknown keys fail
//   qv_draw_graph0      redraw the splits graph on the canvas .display
//   qv_xy2angle x y     direction of (x, y) in degrees
//   qv_updating flag    "1" while a GUI command runs (the event pump works)
#pragma once

#include <tcl.h>

class tDocument;
class tTkFrontEnd;

struct tGuiContext {
  tDocument* doc = nullptr;
  tTkFrontEnd* front_end = nullptr; // may be null: qv_updating is then a no-op
};

// The context must outlive the interpreter's use of the commands.
void register_tcl_commands(Tcl_Interp* interp, tGuiContext* ctx);
