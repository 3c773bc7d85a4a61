// The front end of the command-line program: the log goes to standard
// output, warnings and fatal errors to standard error. On a terminal, long
// computations show their progress on standard error; Ctrl-C asks them to
// stop (a second Ctrl-C ends the program at once).
#pragma once

#include <chrono>
#include <csignal>
#include <string>

#include "core/message.h"

class tConsoleFrontEnd : public tFrontEnd {
public:
  tConsoleFrontEnd();
  ~tConsoleFrontEnd() override;
  tConsoleFrontEnd(const tConsoleFrontEnd&) = delete;
  tConsoleFrontEnd& operator=(const tConsoleFrontEnd&) = delete;

  void log(const char* text) override;
  void show_warning(const char* text) override;
  void show_fatal(const char* text) override;
  bool progress(const char* step, int done, int total) override;

private:
  void erase_progress();
  // The computation is over: the line goes, held text is written.
  void end_progress();
  struct sigaction _old_interrupt = {};
  bool _terminal;     // standard error
  bool _terminal_out; // standard output
  bool _shown = false;  // the progress line is on the terminal
  bool _active = false; // a computation reports progress
  std::string _pending; // its log text not yet written
  std::string _step;
  std::chrono::steady_clock::time_point _started, _last;
};
