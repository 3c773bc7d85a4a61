#include "blocks/blk_characters.h"

#include "core/auxilary.h"
#include "core/message.h"
#include "nexus/nexus.h"

bool tCharactersBlk::compare_name(const char* name) const { return same_token(name, "CHARACTERS"); }

void tCharactersBlk::show_usage() const { message("BEGIN CHARACTERS;\n"); message("END;\n"); }

void tCharactersBlk::show_info() const { message("No valid CHARACTERS block\n"); }

int tCharactersBlk::print(int show_matrix, tNexusOutput* out, const tTaxaBlk* taxa) const
{
  (void)show_matrix; (void)out; (void)taxa;
  message("No valid CHARACTERS block\n");
  return 0;
}

void tCharactersBlk::compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions)
{
  (void)taxa; (void)assumptions;
}

void tCharactersBlk::set_active_taxa(tTaxaBlk* taxa)
{
  (void)taxa;
}

int tCharactersBlk::read(tNexusInput* in, tTaxaBlk* taxa)
{
  (void)taxa;
  return in->Warning("CHARACTERS", "CHARACTERS block not implemented");
}
