#include "blocks/unused_commands.h"

#include "nexus/nexus.h"

namespace {

// ELMINATE is an old misspelling that files still carry.
const char* const UNUSED_COMMANDS[] = {
  "TITLE", "BLOCKID", "LINK", "ELIMINATE", "ELMINATE", "TAXLABELS", "CHARSTATELABELS",
  "CHARLABELS", "STATELABELS", "OPTIONS", "CHARSET",
};

} // namespace

bool skip_unused_command(tNexusInput* in, const char* where)
{
  bool unused = false;
  for (const char* name : UNUSED_COMMANDS)
    unused = unused || in->CompareCurrentToken(name);
  if (!unused || in->CurrentTokenQuoted())
    return false;
  in->Warning(where, "%s command not implemented", in->CurrentToken());
  // Token by token, so that a ';' inside a quoted label does not end the command.
  while (in->NextToken() && !(in->CompareCurrentToken(";") && !in->CurrentTokenQuoted())) {
  }
  return true;
}
