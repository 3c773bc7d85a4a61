// A front end that records every report, for tests that assert on the exact
// texts the user would see.
#pragma once

#include <string>
#include <vector>

#include "core/message.h"

class tCaptureFrontEnd : public tFrontEnd {
public:
  std::string logged;                 // everything appended to the log
  std::vector<std::string> warnings;  // each warning dialog's text
  std::vector<std::string> commands;  // each Tcl command evaluated
  std::string fatal;                  // the fatal error, if one was shown
  std::string transcript;             // log and warnings in the order they came


  void log(const char* text) override
  {
    logged += text;
    transcript += text;
  }
  void show_warning(const char* text) override
  {
    warnings.push_back(text);
    transcript += std::string("Warning: ") + text + "\n";
  }
  void show_fatal(const char* text) override { fatal = text; }
  int command(const char* script) override { commands.push_back(script); return 0; }

  void clear()
  {
    logged.clear();
    warnings.clear();
    commands.clear();
    fatal.clear();
    transcript.clear();
  }
};

// Installs a capturing front end for the lifetime of the object.
class tCaptureScope {
public:
  tCaptureScope() : previous(set_front_end(&fe)) {}
  ~tCaptureScope() { set_front_end(previous); }
  tCaptureFrontEnd fe;

private:
  tFrontEnd* previous;
};

// Reads a test data file below the source tree.
std::string read_text_file(const std::string& path);
// The source tree's root.
std::string source_dir();
// Path of the shared real-world data folder, or empty when it is absent.
std::string shared_data_dir();
