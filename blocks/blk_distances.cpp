#include "blocks/blk_distances.h"

#include "core/auxilary.h"
#include "core/message.h"
#include "nexus/nexus.h"

bool tDistancesBlk::compare_name(const char* name) const { return same_token(name, "DISTANCES"); }

void tDistancesBlk::show_usage() const { message("BEGIN DISTANCES;\n"); message("END;\n"); }

void tDistancesBlk::show_info() const { message("No valid DISTANCES block\n"); }

int tDistancesBlk::print(tNexusOutput* out, const tTaxaBlk* taxa) const
{
  (void)out; (void)taxa;
  message("No valid DISTANCES block\n");
  return 0;
}

void tDistancesBlk::compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters)
{
  (void)taxa; (void)assumptions; (void)characters;
}

void tDistancesBlk::set_active_taxa(tTaxaBlk* taxa)
{
  (void)taxa;
}

int tDistancesBlk::read(tNexusInput* in, tTaxaBlk* taxa)
{
  (void)taxa;
  return in->Warning("DISTANCES", "DISTANCES block not implemented");
}
