#include "gui/tk_front_end.h"

#include "gui/tcl_obj.h"

void tTkFrontEnd::log(const char* text)
{
  tcl_eval_words(_interp, {"append_log", text});
  if (_updating)
    update();
  else
    Tcl_EvalEx(_interp, "update idletasks", -1, TCL_EVAL_GLOBAL);
}

void tTkFrontEnd::show_warning(const char* text)
{
  tcl_eval_words(_interp, {"tk_messageBox", "-icon", "warning", "-message", text});
}

void tTkFrontEnd::show_fatal(const char* text)
{
  tcl_eval_words(_interp, {"tk_messageBox", "-icon", "error", "-message", std::string("Fatal Error: ") + text});
}

int tTkFrontEnd::command(const char* script)
{
  return Tcl_EvalEx(_interp, script, -1, TCL_EVAL_GLOBAL);
}

void tTkFrontEnd::update()
{
  _calls++;
  if (_updating && _calls >= PUMP_INTERVAL) {
    _calls = 0;
    Tcl_EvalEx(_interp, "update", -1, TCL_EVAL_GLOBAL);
  }
}
