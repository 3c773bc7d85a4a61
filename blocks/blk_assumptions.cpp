#include "blocks/blk_assumptions.h"

#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "nexus/nexus.h"

tAssumptionsBlk::tAssumptionsBlk() = default;
tAssumptionsBlk::~tAssumptionsBlk() = default;

bool tAssumptionsBlk::compare_name(const char* name) const { return same_token(name, "QV_ASSUMPTIONS"); }

void tAssumptionsBlk::show_usage() const
{
  static const char* const lines[] = {
    "BEGIN QV_ASSUMPTIONS;\n",
    "    [DIMENSIONS [NTAX=number-of-taxa] [NCHAR=number-of-characters];]\n",
    "    [CONSISTENT;]\n",
    "    [OPTIONS GAPMODE={MISSING|NEWSTATE};]\n",
    "    [[NO] GREEDY_TREE;]\n",
    "    [[NO] REDUCE_GRAPH;]\n",
    "    [EXCLUDE [[NO] MISSING] [[NO] GAPS] [[NO] NONPARSIMONY] [[NO] CONSTANT [number]]\n",
    "     [CODON1] [CODON2] [CODON3] [ADD0|ADD1|ADD2];]\n",
    "    [EXSET [exset-name] =  {characters|NONE};]\n",
    "    [EXTAXA [taxset-name] = {taxa|NONE};]\n",
    "    [TAXA_PARTITION [name] [= {[taxon ... taxon,] [taxon ... taxon,] ... ]|NONE};]\n",
    "    [METHOD={DSPLITS|PSPLITS|SPECTRAL|DTREE|PTREE|STREE|NONE};]\n",
    "    [[NO] REFINE [N=number] [CUT=number];]\n",
    "    [EDGE_TRANSFORM={NONE|AVERAGE|LEAST_SQUARES|FM_POW1|FM_POW2}]\n",
    "    [[NO] MAX_WIDTH [=number];]\n",
    "    [THRESHOLD=non-negative-number;]\n",
    "    [TRANSFORM={HAMMING|LOGDET|JC|K3ST|NEI_MILLER|GAPDIST|USERMATRIX|PAM250\n",
    "    |COVARION|FITCHSIDOW|CCONST [number]|NONE};]\n",
    "    [PARAMETER=number]\n",
    "    [USERMATRIX nstates\n",
    "        user defined distance-matrix;]\n",
    "END;\n",
  };
  for (const char* line : lines)
    message("%s", line);
}

void tAssumptionsBlk::show_info() const
{
  if (_valid)
    message("Valid QV_ASSUMPTIONS block\n");
  else
    message("No valid QV_ASSUMPTIONS block\n");
}

int tAssumptionsBlk::read(tNexusInput* in, tTaxaBlk* taxa)
{
  (void)taxa;
  return in->Error("QV_ASSUMPTIONS", "not implemented");
}

void tAssumptionsBlk::update_taxa(tTaxaBlk* taxa) { (void)taxa; }

namespace {

// Writes " name" items, breaking the line once it has grown to 70 characters.
class tWrappedList {
public:
  explicit tWrappedList(tNexusOutput* out) : out(out) {}
  void item(const char* format, int a, int b = 0)
  {
    width += out->Print(format, a, b);
    wrap();
  }
  void item_text(const char* text)
  {
    width += out->Print(" %s", text);
    wrap();
  }

private:
  void wrap()
  {
    if (width >= 70) {
      out->Print("\n    ");
      width = 0;
    }
  }
  tNexusOutput* out;
  int width = 0;
};

} // namespace

int tAssumptionsBlk::print(tNexusOutput* out, const tTaxaBlk* taxa, int consistent) const
{
  if (!_valid) {
    show_info();
    return 0;
  }
  const int nchar = taxa->get_nchar();
  out->Print("BEGIN qv_assumptions;\n");
  if (nchar > 0)
    out->Print("    DIMENSIONS ntax=%d nchar=%d;\n", taxa->get_ntax(), nchar);
  else
    out->Print("    DIMENSIONS ntax=%d;\n", taxa->get_ntax());
  out->Print("    OPTIONS gapmode=%s;\n", gapmode.c_str());
  if (greedy_tree)
    out->Print("    GREEDY_TREE;\n");
  if (!reduce_graph)
    out->Print("    NO REDUCE_GRAPH;\n");
  if (parameter != 0)
    out->Print("    PARAMETER=%d;\n", parameter);
  if (x)
    out->Print("    X;\n");
  if (y)
    out->Print("    Y;\n");
  if (z)
    out->Print("    Z;\n");

  if (!exset.empty()) {
    out->Print("    EXSET %s =", exset_name.c_str());
    tWrappedList list(out);
    const int n = static_cast<int>(exset.size()) - 1;
    for (int c = 1; c <= n; c++) {
      if (!exset[c])
        continue;
      int d = c;
      while (d + 1 <= n && exset[d + 1])
        d++;
      if (d == c)
        list.item(" %d", c);
      else
        list.item(" %d-%d", c, d);
      c = d;
    }
    out->Print(";\n");
  }

  if (!extaxa.empty()) {
    out->Print("    EXTAXA %s =", extaxa_name.c_str());
    tWrappedList list(out);
    const int n = static_cast<int>(extaxa.size()) - 1;
    for (int t = 1; t <= n; t++)
      if (extaxa[t])
        list.item_text(taxa->getlabel_orig(t));
    out->Print(";\n");
  }

  if (!taxa_partition.empty()) {
    if (!taxa_partition_name.empty())
      out->Print("    TAXA_PARTITION %s =", taxa_partition_name.c_str());
    else
      out->Print("    TAXA_PARTITION =");
    const int groups = taxa_partition[0];
    const int n = static_cast<int>(taxa_partition.size()) - 1;
    for (int g = 1; g <= groups; g++) {
      for (int t = 1; t <= n; t++)
        if (taxa_partition[t] == g)
          out->Print(" %d", t);
      out->Print(",");
    }
    out->Print(" [%d groups];\n", groups);
  }

  const bool codon_excluded = exclude_codon1 || exclude_codon2 || exclude_codon3;
  if (exclude_nonparsimony || exclude_gaps || exclude_missing || exclude_constant || codon_excluded) {
    out->Print("    EXCLUDE");
    if (exclude_nonparsimony)
      out->Print(" NONPARSIMONY");
    if (exclude_gaps)
      out->Print(" GAPS");
    if (exclude_missing)
      out->Print(" MISSING");
    if (exclude_constant == -1)
      out->Print(" CONSTANT");
    else if (exclude_constant >= 1)
      out->Print(" CONSTANT %d", exclude_constant);
    if (exclude_codon1)
      out->Print(" CODON1");
    if (exclude_codon2)
      out->Print(" CODON2");
    if (exclude_codon3)
      out->Print(" CODON3");
    if (codon_offset != 0 && codon_excluded)
      out->Print(" ADD%d", codon_offset % 3);
    out->Print(";\n");
  }

  out->Print("    METHOD=%s;\n", method.c_str());
  if (!same_token(transform.c_str(), "NONE")) {
    out->Print("    TRANSFORM=%s", transform.c_str());
    if (same_token(transform.c_str(), "CCONST") && cconst_x != 2.0)
      out->Print(" %lg", cconst_x);
    out->Print(";\n");
  }
  if (!same_token(edge_transform.c_str(), "NONE")) {
    out->Print("    EDGE_TRANSFORM=%s;\n", edge_transform.c_str());
    if (max_width != 0)
      out->Print("    MAX_WIDTH=%G;\n", max_width);
  }
  if (refine) {
    out->Print("    REFINE");
    if (refine_count != 0)
      out->Print(" N=%d", refine_count);
    if (refine_cut != REFINE_CUT_UNSET)
      out->Print(" CUT=%G", refine_cut);
    out->Print(";\n");
  }
  if (adjust)
    out->Print("    ADJUST;\n");
  if (same_token(transform.c_str(), "USERMATRIX") && !usermatrix.empty())
    print_usermatrix(out);
  if (threshold != 0)
    out->Print("    THRESHOLD=%G;\n", threshold);
  if (consistent)
    out->Print("    CONSISTENT;\n");
  out->Print("END;\n");
  return 1;
}

void tAssumptionsBlk::print_usermatrix(tNexusOutput* out) const
{
  out->Print("    USERMATRIX %d", n_colors);
  if (colors2symbols[1]) {
    out->Print("\n       [");
    for (int i = 1; i <= n_colors; i++)
      out->Print(" %c", colors2symbols[i]);
    out->Print("]");
  }
  for (int i = 1; i <= n_colors; i++) {
    if (colors2symbols[i])
      out->Print("\n     [%c]", colors2symbols[i]);
    else
      out->Print("\n        ");
    for (int j = 1; j <= n_colors; j++)
      out->Print(" %G", usermatrix[i][j]);
  }
  out->Print("\n    ;\n");
}
