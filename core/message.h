// Reporting to the user: the log, warnings and fatal errors, and the hooks
// through which the core reaches whichever front end is running.
#pragma once

#include <string>

// A front end serves the core's reports. Exactly one is registered at start
// (the Tk GUI, the console, or a capturing one in tests).
class tFrontEnd {
public:
  virtual ~tFrontEnd() = default;
  // Appends text to the log (already complete, line breaks included).
  virtual void log(const char* text) = 0;
  // Shows a warning and waits until the user has seen it.
  virtual void show_warning(const char* text) = 0;
  // Shows a fatal error; the caller ends the program afterwards.
  virtual void show_fatal(const char* text) = 0;
  // Evaluates a Tcl command; returns the Tcl completion code (0 = ok).
  virtual int command(const char* /*script*/) { return 0; }
  // The event pump, called on every allocation.
  virtual void update() {}
  // Shows how far a long computation is (core/progress.h); false when the
  // user asked to stop it.
  virtual bool progress(const char* /*step*/, int /*done*/, int /*total*/) { return true; }
};

// Registers the front end (null: reports are dropped). Returns the previous one.
tFrontEnd* set_front_end(tFrontEnd* fe);
tFrontEnd* get_front_end();

void tcltk_log(const char* text);
int tcltk_command(const char* format, ...) __attribute__((format(printf, 1, 2)));
void tcltk_update();

// Copies `in` with a backslash before [ ] { } " and backslash; `out` needs
// room for twice the length plus one.
void str2tcltk(const char* in, char* out);
std::string str2tcltk(const std::string& in);

// Shows a fatal error and ends the program with status 1.
[[noreturn]] void error(const char* format, ...) __attribute__((format(printf, 1, 2)));
// "--", "++" and "==" switch warnings off, on, and back on for good.
int warning(const char* format, ...) __attribute__((format(printf, 1, 2)));
// "--", "++" and "==" switch the log off, on, and back on for good.
int message(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Failures of the user's commands: a syntax error, a file that could not be
// read or written, a refused or failed computation. Front ends compare the
// count before and after a command to tell their caller (the console's exit
// status, the Tcl result of a GUI command). Quiet threads (bootstrap
// replicates, workers) do not count: their caller reports the outcome.
void note_failure();
long failure_count();

// The nesting counters (per thread: a worker never silences another thread).
int get_show_messages();
int get_show_warnings();

// Keeps the calling thread away from the front end while it lives: the front
// end belongs to the thread that runs the event loop, so a worker's log text,
// Tcl commands, event pumps and warnings are dropped. A fatal error on a
// quiet thread goes to `on_fatal` (which must not return), so that the main
// thread can show it; without one it goes to standard error and the process
// ends. Guards nest; the innermost handler wins.
using tFatalHandler = void (*)(const char* text, void* data);
class tQuietThread {
public:
  explicit tQuietThread(tFatalHandler on_fatal = nullptr, void* data = nullptr);
  ~tQuietThread();
  tQuietThread(const tQuietThread&) = delete;
  tQuietThread& operator=(const tQuietThread&) = delete;

private:
  bool was_quiet;
  tFatalHandler saved_handler;
  void* saved_data;
};
// True while a tQuietThread guard lives on the calling thread.
bool is_quiet_thread();

// Longest text that one message() call hands to the log.
constexpr int MESSAGE_BUFFER_SIZE = 16000;
// Longest text of one warning or fatal error.
constexpr int REPORT_BUFFER_SIZE = 1024;
