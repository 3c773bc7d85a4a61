#include "blocks/blk_taxa.h"

#include "core/auxilary.h"
#include "core/message.h"
#include "nexus/nexus.h"

tTaxaBlk::tTaxaBlk() = default;
tTaxaBlk::~tTaxaBlk() = default;

bool tTaxaBlk::compare_name(const char* name) const { return same_token(name, "TAXA"); }

void tTaxaBlk::show_usage() const
{
  message("BEGIN TAXA;\n");
  message("    DIMENSIONS NTAX=number-of-taxa;\n");
  message("    TAXLABELS taxon_1 taxon_2 ... taxon_ntax;\n");
  message("END;\n");
}

void tTaxaBlk::show_info() const
{
  if (_valid)
    message("Valid TAXA block: %d taxa\n", ntax);
  else
    message("No valid TAXA block\n");
}

int tTaxaBlk::print(tNexusOutput* out) const
{
  if (!_valid) {
    message("No valid TAXA block\n");
    return 0;
  }
  (void)out;
  return ntax;
}

int tTaxaBlk::read(tNexusInput* in)
{
  return in->Error("TAXA", "not implemented");
}

void tTaxaBlk::set_ntax(int n)
{
  if (n < 1)
    error("set_ntax(n=%d): illegal value", n);
  ntax = n;
  taxlabels.set_n(n);
}

void tTaxaBlk::setlabel(int t, const char* label) { taxlabels.set(t, label); }

const char* tTaxaBlk::getlabel(int t) const
{
  if (t < 0 || t > ntax)
    error("tTaxaBlk::getlabel (n=%d): out of range: 1..%d", t, ntax);
  return taxlabels.get(t);
}

int tTaxaBlk::label2n(const char* label) const { return taxlabels.label2n(label); }

int tTaxaBlk::get_ntax_orig() const { return taxlabels_orig ? ntax_orig : ntax; }

const char* tTaxaBlk::getlabel_orig(int t) const
{
  if (!taxlabels_orig)
    return getlabel(t);
  if (t < 0 || t > ntax_orig)
    error("tTaxaBlk::getlabel_orig (n=%d): out of range: 1..%d", t, ntax_orig);
  return taxlabels_orig->get(t);
}

int tTaxaBlk::label2n_orig(const char* label) const
{
  return taxlabels_orig ? taxlabels_orig->label2n(label) : taxlabels.label2n(label);
}

int tTaxaBlk::get_tax2orig(int t) const
{
  if (t < 0 || t > ntax)
    error("tTaxaBlk::get_tax2orig(t=%d): out of range: 1..%d", t, ntax);
  if (tax2orig.empty())
    return t;
  return tax2orig[t];
}

void tTaxaBlk::set_active_taxa(const char* extaxa) { (void)extaxa; }

void tTaxaBlk::truncate_labels(int len) { taxlabels.truncate(len); }
