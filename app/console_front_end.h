// The front end of the command-line program: the log goes to standard
// output, warnings and fatal errors to standard error.
#pragma once

#include "core/message.h"

class tConsoleFrontEnd : public tFrontEnd {
public:
  void log(const char* text) override;
  void show_warning(const char* text) override;
  void show_fatal(const char* text) override;
};
