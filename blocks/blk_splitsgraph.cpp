#include "blocks/blk_splitsgraph.h"

#include "core/auxilary.h"
#include "core/message.h"
#include "nexus/nexus.h"

bool tSplitsGraphBlk::compare_name(const char* name) const { return same_token(name, "QV_GRAPH"); }

void tSplitsGraphBlk::show_usage() const { message("BEGIN QV_GRAPH;\n"); message("END;\n"); }

void tSplitsGraphBlk::show_info() const { message("No valid QV_GRAPH block\n"); }

int tSplitsGraphBlk::print(tNexusOutput* out, const tTaxaBlk* taxa) const
{
  (void)out; (void)taxa;
  message("No valid QV_GRAPH block\n");
  return 0;
}

void tSplitsGraphBlk::compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tSplitsBlk* splits)
{
  (void)taxa; (void)assumptions; (void)splits;
}

int tSplitsGraphBlk::read(tNexusInput* in, tTaxaBlk* taxa, tSplitsBlk* splits)
{
  (void)taxa; (void)splits;
  return in->Warning("QV_GRAPH", "QV_GRAPH block not implemented");
}

int tSplitsGraphBlk::read_draw(tNexusInput* in, tSplitsBlk* splits)
{
  (void)splits;
  in->SkipToSemiColon();
  in->NextToken();
  message("No valid QV_GRAPH block\n");
  return 0;
}

int tSplitsGraphBlk::write_ps(const tTaxaBlk* taxa, const tSplitsBlk* splits, const tBootstrapBlk* bootstrap,
                              const char* info, const char* filename, const char* title) const
{
  (void)taxa; (void)splits; (void)bootstrap; (void)info; (void)filename; (void)title;
  message("No valid QV_GRAPH block\n");
  return 0;
}
