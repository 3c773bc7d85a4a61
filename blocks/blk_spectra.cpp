#include "blocks/blk_spectra.h"

#include "core/auxilary.h"
#include "core/message.h"
#include "nexus/nexus.h"

bool tSpectraBlk::compare_name(const char* name) const { return same_token(name, "QV_SPECTRA"); }

void tSpectraBlk::show_usage() const { message("BEGIN QV_SPECTRA;\n"); message("END;\n"); }

void tSpectraBlk::show_info() const { message("No valid QV_SPECTRA block\n"); }

int tSpectraBlk::print(tNexusOutput* out, const tTaxaBlk* taxa) const
{
  (void)out; (void)taxa;
  message("No valid QV_SPECTRA block\n");
  return 0;
}

void tSpectraBlk::compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters)
{
  (void)taxa; (void)assumptions; (void)characters;
}

int tSpectraBlk::read(tNexusInput* in, tTaxaBlk* taxa)
{
  (void)taxa;
  return in->Warning("QV_SPECTRA", "QV_SPECTRA block not implemented");
}
