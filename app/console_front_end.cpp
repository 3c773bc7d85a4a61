#include "app/console_front_end.h"

#include <cstdio>

void tConsoleFrontEnd::log(const char* text)
{
  std::fputs(text, stdout);
}

void tConsoleFrontEnd::show_warning(const char* text)
{
  // Keep the two streams in the order the user caused them.
  std::fflush(stdout);
  std::fprintf(stderr, "Warning: %s\n", text);
}

void tConsoleFrontEnd::show_fatal(const char* text)
{
  std::fflush(stdout);
  std::fprintf(stderr, "Fatal Error: %s\n", text);
}
