#include "blocks/blk_bootstrap.h"

#include "core/auxilary.h"
#include "core/message.h"
#include "nexus/nexus.h"

bool tBootstrapBlk::compare_name(const char* name) const { return same_token(name, "QV_BOOTSTRAP"); }

void tBootstrapBlk::show_usage() const { message("BEGIN QV_BOOTSTRAP;\n"); message("END;\n"); }

void tBootstrapBlk::show_info() const { message("No valid QV_BOOTSTRAP block\n"); }

int tBootstrapBlk::print(tNexusOutput* out, const tTaxaBlk* taxa) const
{
  (void)out; (void)taxa;
  message("No valid QV_BOOTSTRAP block\n");
  return 0;
}

void tBootstrapBlk::compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters, tSplitsBlk* splits, tSplitsGraphBlk* sgraph)
{
  (void)taxa; (void)assumptions; (void)characters; (void)splits; (void)sgraph;
}

int tBootstrapBlk::read(tNexusInput* in, tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters, tSplitsBlk* splits)
{
  (void)taxa; (void)assumptions; (void)characters; (void)splits;
  return in->Warning("QV_BOOTSTRAP", "QV_BOOTSTRAP block not implemented");
}
