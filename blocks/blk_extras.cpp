#include "blocks/blk_extras.h"

#include "core/auxilary.h"
#include "core/message.h"
#include "nexus/nexus.h"

bool tExtrasBlk::compare_name(const char* name) const { return same_token(name, "QV_EXTRAS"); }

void tExtrasBlk::show_usage() const { message("BEGIN QV_EXTRAS;\n"); message("END;\n"); }

void tExtrasBlk::show_info() const { message("No valid QV_EXTRAS block\n"); }

int tExtrasBlk::print(tNexusOutput* out, const tTaxaBlk* taxa) const
{
  (void)out; (void)taxa;
  message("No valid QV_EXTRAS block\n");
  return 0;
}

void tExtrasBlk::compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters, tDistancesBlk* distances)
{
  (void)taxa; (void)assumptions; (void)characters; (void)distances;
}

int tExtrasBlk::read(tNexusInput* in, tTaxaBlk* taxa, tAssumptionsBlk* assumptions)
{
  (void)taxa; (void)assumptions;
  return in->Warning("QV_EXTRAS", "QV_EXTRAS block not implemented");
}
