#include "blocks/blk_sets.h"

#include "core/auxilary.h"
#include "core/message.h"
#include "nexus/nexus.h"

bool tSetsBlk::compare_name(const char* name) const { return same_token(name, "SETS"); }

void tSetsBlk::show_usage() const { message("BEGIN SETS;\n"); message("END;\n"); }

int tSetsBlk::print(tNexusOutput* out, const tTaxaBlk* taxa) const
{
  (void)out; (void)taxa;
  message("No valid SETS block\n");
  return 0;
}

int tSetsBlk::read(tNexusInput* in, tTaxaBlk* taxa)
{
  (void)taxa;
  return in->Warning("SETS", "SETS block not implemented");
}
