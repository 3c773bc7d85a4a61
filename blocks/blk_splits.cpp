#include "blocks/blk_splits.h"

#include "core/auxilary.h"
#include "core/message.h"
#include "nexus/nexus.h"

bool tSplitsBlk::compare_name(const char* name) const { return same_token(name, "QV_SPLITS"); }

void tSplitsBlk::show_usage() const { message("BEGIN QV_SPLITS;\n"); message("END;\n"); }

void tSplitsBlk::show_info() const { message("No valid QV_SPLITS block\n"); }

int tSplitsBlk::print(tNexusOutput* out, const tTaxaBlk* taxa) const
{
  (void)out; (void)taxa;
  message("No valid QV_SPLITS block\n");
  return 0;
}

void tSplitsBlk::compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tDistancesBlk* distances, tSpectraBlk* spectra, tCharactersBlk* characters, int compute_cycle_fit_compat)
{
  (void)taxa; (void)assumptions; (void)distances; (void)spectra; (void)characters; (void)compute_cycle_fit_compat;
}

void tSplitsBlk::set_active_taxa(tTaxaBlk* taxa, tAssumptionsBlk* assumptions)
{
  (void)taxa; (void)assumptions;
}

int tSplitsBlk::read(tNexusInput* in, tTaxaBlk* taxa)
{
  (void)taxa;
  return in->Warning("QV_SPLITS", "QV_SPLITS block not implemented");
}
