// The front end of the graphical program: the log goes to the script's
// append_log, warnings and fatal errors to message boxes, and the event pump
// keeps the windows alive during long computations.
#pragma once

#include <chrono>
#include <string>

#include <tcl.h>

#include "core/message.h"

class tTkFrontEnd : public tFrontEnd {
public:
  explicit tTkFrontEnd(Tcl_Interp* interp) : _interp(interp) {}

  void log(const char* text) override;
  void show_warning(const char* text) override;
  void show_fatal(const char* text) override;
  int command(const char* script) override;
  void update() override;
  // Hands the figures to the script's show_progress, which shows a bar
  // with a Cancel button once the step has run for a while.
  bool progress(const char* step, int done, int total) override;

  // True while a command from the GUI runs (the script's qv_updating).
  void set_updating(bool on) { _updating = on; }
  bool updating() const { return _updating; }

  // Calls of the pump between two event rounds.
  static constexpr int PUMP_INTERVAL = 100;
  // Least time between two calls of show_progress.
  static constexpr int PROGRESS_INTERVAL_MS = 50;

private:
  Tcl_Interp* _interp;
  bool _updating = false;
  int _calls = 0;
  // The step being shown, when it started and when the script last heard.
  std::string _step;
  std::chrono::steady_clock::time_point _started, _last;
};
