// Restriction-site data in REAP format, turned into NEXUS text.
#include "document/document.h"

#include "core/message.h"

int tDocument::import_reap(const char* filename)
{
  (void)filename;
  message("IMPORT REAP: not available yet\n");
  return 0;
}
