// Making the assumptions fit the data, and the one-line summary.
#include "document/document.h"

void tDocument::check_assumptions() {}

const char* tDocument::short_info_string()
{
  info_line.clear();
  return info_line.c_str();
}
