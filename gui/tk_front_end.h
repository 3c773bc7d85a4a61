// The front end of the graphical program: the log goes to the script's
// append_log, warnings and fatal errors to message boxes, and the event pump
// keeps the windows alive during long computations.
#pragma once

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

  // True while a command from the GUI runs (the script's qv_updating).
  void set_updating(bool on) { _updating = on; }
  bool updating() const { return _updating; }

  // Calls of the pump between two event rounds.
  static constexpr int PUMP_INTERVAL = 100;

private:
  Tcl_Interp* _interp;
  bool _updating = false;
  int _calls = 0;
};
