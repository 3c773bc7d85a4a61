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

bool tTkFrontEnd::progress(const char* step, int done, int total)
{
  using namespace std::chrono;
  const steady_clock::time_point now = steady_clock::now();
  if (done <= 0 || _step != step) {
    _step = step;
    _started = _last = now;
  }
  const bool finished = done >= total;
  if (!finished && now - _last < milliseconds(PROGRESS_INTERVAL_MS))
    return true;
  _last = now;
  const long long elapsed = duration_cast<milliseconds>(now - _started).count();
  // A script without show_progress (an older splits.rsc) just goes on.
  if (tcl_eval_words(_interp, {"show_progress", step, std::to_string(done), std::to_string(total),
                               std::to_string(elapsed)}) != TCL_OK)
    return true;
  int stop = 0;
  Tcl_GetBooleanFromObj(nullptr, Tcl_GetObjResult(_interp), &stop);
  return stop == 0;
}
