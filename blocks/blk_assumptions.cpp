#include "blocks/blk_assumptions.h"

#include <cmath>
#include <cstring>

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
    "    [METHOD={DSPLITS|PSPLITS|SPECTRAL|DTREE|PTREE|STREE|NNET|CONSENSUS|TREE [N=number]|NONE};]\n",
    "    [CONSENSUS_THRESHOLD=fraction-of-trees;]\n",
    "    [CONSENSUS_WEIGHT={FREQUENCY|MEAN|MEDIAN};]\n",
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

namespace {

const char* const BLOCK = "QV_ASSUMPTIONS";

const char* const METHODS[] = {"DSPLITS", "PSPLITS", "LSPLITS", "SPECTRAL", "WCSPLITS", "DTREE",
                               "PTREE",   "LTREE",   "STREE",   "WCTREE",   "NNET", "CONSENSUS", "TREE", "NONE"};
const char* const CONSENSUS_WEIGHTS[] = {"FREQUENCY", "MEAN", "MEDIAN"};
const char* const TRANSFORMS[] = {"HAMMING",  "LOGDET",   "JC",         "PAM250",
                                  "K3ST",     "NEI_MILLER", "GAPDIST",  "USERMATRIX",
                                  "COVARION", "CCONST",   "FITCHSIDOW", "NONE"};
const char* const EDGE_TRANSFORMS[] = {"NONE", "AVERAGE", "LEAST_SQUARES", "FM_POW1", "FM_POW2"};
// Transforms that measure between groups of taxa and so need TAXA_PARTITION.
const char* const GROUP_TRANSFORMS[] = {"CCONST", "COVARION", "FITCHSIDOW"};

template <size_t N>
bool is_one_of(const char* word, const char* const (&names)[N])
{
  for (const char* name : names)
    if (same_token(word, name))
      return true;
  return false;
}

// The current token for a report; end of input reads as nothing.
const char* token_text(const tNexusInput* in)
{
  const char* t = in->CurrentToken();
  return t ? t : "";
}

// Numbers are read under the label punctuation, where "-" and "+" are no
// token of their own: a sign or an exponent stays in the number.
bool read_signed_double(tNexusInput* in, double* value)
{
  tPunctuationScope scope(in, tNexusInput::LABEL_PUNCTUATION);
  double v = 0;
  if (!in->ReadNextTokenDouble(&v) || std::isnan(v))
    return false;
  *value = v;
  return true;
}

bool read_signed_int(tNexusInput* in, int* value)
{
  tPunctuationScope scope(in, tNexusInput::LABEL_PUNCTUATION);
  return in->ReadNextTokenInt(value);
}

// Reads "[name] =" behind EXSET, EXTAXA or TAXA_PARTITION; a missing name
// gives `fallback`.
bool read_name_and_equals(tNexusInput* in, std::string* name, const char* fallback)
{
  if (!in->NextToken())
    return false;
  if (in->CompareCurrentToken("=")) {
    *name = fallback;
    return true;
  }
  *name = in->CurrentToken();
  return in->CompareNextToken("=");
}

enum class tItem { ok, bad, bad_end };

// Reads one list item from the current token on: a number in 1..max, a range
// "a - b" or "a - ." (a to max), or, with `label2n`, a label. Leaves the
// token behind the item current. A word that is both a number and a label
// means the label when `labels_first` (lists written with labels must read
// back as the same taxa), else the number.
template <class tLookup>
tItem read_item(tNexusInput* in, int max, tLookup label2n, bool labels_first, int* first, int* last)
{
  if (!in->CurrentToken())
    return tItem::bad;
  int a = 0;
  const bool number = in->ReadCurrentTokenInt(&a) && a >= 1 && a <= max;
  const int label = label2n(in->CurrentToken());
  if (!number && label < 1)
    return tItem::bad;
  in->NextToken();
  if (number && in->CompareCurrentToken("-")) {
    int b = 0;
    in->NextToken();
    if (in->CompareCurrentToken("."))
      b = max;
    else if (!in->ReadCurrentTokenInt(&b) || b < 1 || b > max)
      return tItem::bad_end;
    in->NextToken();
    *first = a;
    *last = b;
    return tItem::ok;
  }
  *first = *last = (label >= 1 && (labels_first || !number)) ? label : a;
  return tItem::ok;
}

int no_label(const char*) { return 0; }

// Skips the rest of a statement, its ";" included.
int skip_statement(tNexusInput* in)
{
  while (in->NextToken())
    if (in->CompareCurrentToken(";"))
      return 1;
  return in->Error(BLOCK, "Unexpected EOF");
}

// A set name as NEXUS text that reads back as one token under the default
// punctuation: as it is, or quoted when it holds blanks or punctuation.
std::string nexus_name(const std::string& name)
{
  bool quote = false;
  for (unsigned char c : name)
    quote = quote || c <= ' ' || c == 127 || std::strchr(tNexusInput::DEFAULT_PUNCTUATION, c);
  if (!quote)
    return name;
  std::string text = "'";
  for (char c : name) {
    if (c == '\'')
      text += '\'';
    text += c;
  }
  return text + "'";
}

} // namespace

int tAssumptionsBlk::read(tNexusInput* in, tTaxaBlk* taxa)
{
  if (!taxa || !taxa->valid())
    return in->Error(BLOCK, "Must be preceeded by TAXA-block");
  if (!in->CompareNextToken(";"))
    return in->Error(BLOCK, "Missing ';'");
  bool consistent = false;
  for (;;) {
    if (!in->NextToken())
      return in->Error(BLOCK, "Unexpected EOF");
    if (in->CurrentTokenIsEnd())
      break;
    if (in->CompareCurrentToken("CONSISTENT")) {
      if (!in->CompareNextToken(";"))
        return in->Error(BLOCK, "Expected ';'");
      consistent = true;
    } else if (!read_statement(in, taxa)) {
      return 0;
    }
  }
  if (!check_transform(in))
    return 0;
  _valid = 1;
  show_info();
  if (consistent) {
    // Whatever was read with this block is taken as it stands.
    update.unpost(tUpdate::ALL);
    update.post(2048);
    message("Assuming data is consistent\n");
  }
  return 1;
}

// Dispatches on the command word (the current token); reads through the ";".
int tAssumptionsBlk::read_statement(tNexusInput* in, tTaxaBlk* taxa)
{
  if (in->CompareCurrentToken("DIMENSIONS"))
    return read_dimensions(in, taxa);
  if (in->CompareCurrentToken("OPTIONS"))
    return read_options(in);
  if (in->CompareCurrentToken("NO"))
    return read_no(in);
  if (in->CompareCurrentToken("PARAMETER"))
    return read_parameter(in);
  if (in->CompareCurrentToken("REFINE"))
    return read_refine(in);
  if (in->CompareCurrentToken("MAX_WIDTH"))
    return read_max_width(in);
  if (in->CompareCurrentToken("METHOD"))
    return read_method(in);
  if (in->CompareCurrentToken("CONSENSUS_THRESHOLD") || in->CompareCurrentToken("CONSENSUS_WEIGHT"))
    return read_consensus(in);
  if (in->CompareCurrentToken("EDGE_TRANSFORM"))
    return read_edge_transform(in);
  if (in->CompareCurrentToken("TRANSFORM"))
    return read_transform(in);
  if (in->CompareCurrentToken("THRESHOLD"))
    return read_threshold(in);
  if (in->CompareCurrentToken("EXCLUDE"))
    return read_exclude(in);
  if (in->CompareCurrentToken("EXSET") || in->CompareCurrentToken("EXCHAR"))
    return read_exset(in, taxa);
  if (in->CompareCurrentToken("EXTAXA"))
    return read_extaxa(in, taxa);
  if (in->CompareCurrentToken("TAXA_PARTITION"))
    return read_taxa_partition(in, taxa);
  if (in->CompareCurrentToken("USERMATRIX"))
    return read_usermatrix(in);
  const int switched = read_switch(in, true);
  if (switched >= 0)
    return switched;
  return in->Error(BLOCK, "Unknown command: %s", token_text(in));
}

int tAssumptionsBlk::read_dimensions(tNexusInput* in, const tTaxaBlk* taxa)
{
  const char* const where = "QV_ASSUMPTIONS-dimensions";
  for (;;) {
    in->NextToken();
    if (in->CompareCurrentToken(";"))
      return 1;
    if (in->CompareCurrentToken("NTAX")) {
      int n = 0;
      if (!in->CompareNextToken("=") || !in->ReadNextTokenInt(&n) || n != taxa->get_ntax())
        return in->Error(where, "Expected NTAX=%d", taxa->get_ntax());
    } else if (in->CompareCurrentToken("NCHAR")) {
      int m = 0;
      if (!in->CompareNextToken("=") || !in->ReadNextTokenInt(&m))
        return in->Error(where, "Usage: NCHAR=number");
      if (taxa->get_nchar() > 0 && m != taxa->get_nchar())
        return in->Error(where, "Expected NCHAR=%d", taxa->get_nchar());
    } else {
      return in->Error(where, "Didn't find ';'");
    }
  }
}

int tAssumptionsBlk::read_options(tNexusInput* in)
{
  const char* const where = "QV_ASSUMPTIONS-options";
  for (;;) {
    in->NextToken();
    if (in->CompareCurrentToken(";"))
      return 1;
    if (!in->CompareCurrentToken("GAPMODE"))
      return in->Error(where, "Unknown command: %s", token_text(in));
    if (!in->CompareNextToken("=") || !in->NextToken() ||
        !(in->CompareCurrentToken("MISSING") || in->CompareCurrentToken("NEWSTATE")))
      return in->Error(where, "Usage: GAPMODE={MISSING|NEWSTATE}");
    gapmode = in->CurrentToken();
    update.post(68);
  }
}

// The on/off statements. With the current token not one of them: -1.
int tAssumptionsBlk::read_switch(tNexusInput* in, bool on)
{
  struct tSwitch {
    const char* word;
    int tAssumptionsBlk::*field;
    int on_bits, off_bits;
    const char* where; // of a missing ";" after the word alone
  };
  static const tSwitch switches[] = {
    {"GREEDY_TREE", &tAssumptionsBlk::greedy_tree, 128, 8, "QV_ASSUMPTIONS"},
    {"REDUCE_GRAPH", &tAssumptionsBlk::reduce_graph, 16, 16, "QV_ASSUMPTIONS"},
    {"ADJUST", &tAssumptionsBlk::adjust, 8, 8, "QV_ASSUMPTIONS-adjust"},
    {"X", &tAssumptionsBlk::x, 0, 0, "QV_ASSUMPTIONS"},
    {"Y", &tAssumptionsBlk::y, 0, 0, "QV_ASSUMPTIONS"},
    {"Z", &tAssumptionsBlk::z, 0, 0, "QV_ASSUMPTIONS"},
  };
  for (const tSwitch& s : switches) {
    if (!in->CompareCurrentToken(s.word))
      continue;
    if (!in->CompareNextToken(";"))
      return on ? in->Error(s.where, "Expected ';'")
                : in->Error(BLOCK, "Usage: NO {GREEDY_TREE|REDUCE_GRAPH|REFINE|MAX_WIDTH|ADJUST};");
    this->*s.field = on ? 1 : 0;
    update.post(on ? s.on_bits : s.off_bits);
    return 1;
  }
  return -1;
}

int tAssumptionsBlk::read_no(tNexusInput* in)
{
  const char* const usage = "Usage: NO {GREEDY_TREE|REDUCE_GRAPH|REFINE|MAX_WIDTH|ADJUST};";
  in->NextToken();
  const int switched = read_switch(in, false);
  if (switched >= 0)
    return switched;
  const bool no_refine = in->CompareCurrentToken("REFINE");
  if (!(no_refine || in->CompareCurrentToken("MAX_WIDTH")) || !in->CompareNextToken(";"))
    return in->Error(BLOCK, "%s", usage);
  if (no_refine) {
    refine = 0;
    refine_count = 1;
    refine_cut = REFINE_CUT_UNSET;
    update.post(8);
  } else if (max_width != 0) {
    max_width = 0;
    if (same_token(edge_transform.c_str(), "AVERAGE"))
      update.post(8);
  }
  return 1;
}

int tAssumptionsBlk::read_parameter(tNexusInput* in)
{
  int n = 0;
  if (!in->CompareNextToken("=") || !read_signed_int(in, &n) || !in->CompareNextToken(";"))
    return in->Error(BLOCK, "Usage: PARAMETER=number;");
  parameter = n;
  update.post(4);
  return 1;
}

int tAssumptionsBlk::read_refine(tNexusInput* in)
{
  int count = 0;
  double cut = REFINE_CUT_UNSET;
  for (;;) {
    in->NextToken();
    if (in->CompareCurrentToken(";"))
      break;
    if (in->CompareCurrentToken("N")) {
      if (!in->CompareNextToken("=") || !read_signed_int(in, &count))
        return in->Error(BLOCK, "Usage: REFINE N=number");
    } else if (in->CompareCurrentToken("CUT")) {
      if (!in->CompareNextToken("=") || !read_signed_double(in, &cut))
        return in->Error(BLOCK, "Usage: REFINE CUT=number");
    } else {
      return in->Error(BLOCK, "Usage: REFINE [N=number] [CUT=number];");
    }
  }
  refine = 1;
  refine_count = count;
  refine_cut = cut;
  update.post(8);
  return 1;
}

int tAssumptionsBlk::read_max_width(tNexusInput* in)
{
  double w = 0;
  if (!in->CompareNextToken("=") || !read_signed_double(in, &w) || w < 0 ||
      !in->CompareNextToken(";"))
    return in->Error(BLOCK, "Usage: MAX_WIDTH =number");
  if (w != max_width) {
    // Switching the width on only reweights; changing it recomputes.
    if (same_token(edge_transform.c_str(), "AVERAGE"))
      update.post(max_width != 0 ? 8 : 128);
    max_width = w;
  }
  return 1;
}

int tAssumptionsBlk::read_method(tNexusInput* in)
{
  const char* const where = "QV_ASSUMPTIONS-method";
  if (!in->CompareNextToken("=") || !in->NextToken() || !is_one_of(in->CurrentToken(), METHODS))
    return in->Error(where, "Usage: METHOD={DSPLITS|PSPLITS|LSPLITS|SPECTRAL|WCSPLITS|DTREE|PTREE|LTREE|STREE|WCTREE|NNET|CONSENSUS|TREE [N=number]|NONE};");
  const std::string name = in->CurrentToken();
  int n = 1;
  in->NextToken();
  if (same_token(name.c_str(), "TREE") && in->CompareCurrentToken("N")) {
    if (!in->CompareNextToken("=") || !in->ReadNextTokenInt(&n) || n < 1 || !in->NextToken())
      return in->Error(where, "Usage: METHOD=TREE [N=number];");
  }
  if (!in->CompareCurrentToken(";"))
    return in->Error(where, "Missing ';'");
  method = name;
  if (same_token(name.c_str(), "TREE"))
    tree_number = n;
  if (!same_token(name.c_str(), "NONE"))
    update.post(72);
  return 1;
}

int tAssumptionsBlk::read_consensus(tNexusInput* in)
{
  if (in->CompareCurrentToken("CONSENSUS_THRESHOLD")) {
    double t = 0;
    if (!in->CompareNextToken("=") || !read_signed_double(in, &t) || t < 0 || t >= 1 || !in->CompareNextToken(";"))
      return in->Error(BLOCK, "Usage: CONSENSUS_THRESHOLD=fraction-of-trees; (0 to below 1)");
    consensus_threshold = t;
  } else {
    if (!in->CompareNextToken("=") || !in->NextToken() || !is_one_of(in->CurrentToken(), CONSENSUS_WEIGHTS))
      return in->Error(BLOCK, "Usage: CONSENSUS_WEIGHT={FREQUENCY|MEAN|MEDIAN};");
    const std::string name = in->CurrentToken();
    if (!in->CompareNextToken(";"))
      return in->Error(BLOCK, "Usage: CONSENSUS_WEIGHT={FREQUENCY|MEAN|MEDIAN};");
    consensus_weight = name;
  }
  update.post(8);
  return 1;
}

int tAssumptionsBlk::read_edge_transform(tNexusInput* in)
{
  if (!in->CompareNextToken("=") || !in->NextToken() ||
      !is_one_of(in->CurrentToken(), EDGE_TRANSFORMS))
    return in->Error(BLOCK, "Usage: EDGE_TRANSFORM ={NONE|AVERAGE|LEAST_SQUARES|FP_POW1|FP_POW2");
  const std::string name = in->CurrentToken();
  if (!in->CompareNextToken(";"))
    return in->Error(BLOCK, "Usage: EDGE_TRANSFORM ={NONE|AVERAGE|LEAST_SQUARES|FP_POW1|FP_POW2");
  edge_transform = name;
  update.post(8);
  return 1;
}

int tAssumptionsBlk::read_transform(tNexusInput* in)
{
  const char* const where = "QV_ASSUMPTIONS-transform";
  const char* const usage = "Usage:TRANSFORM={HAMMING||LOGDET|JC|K3ST|NEI_MILLER|GAPDIST|USERMATRIX|PAM250|COVARION|FITCHSIDOW|CCONST [number]|NONE};";
  if (!in->CompareNextToken("=") || !in->NextToken() || !is_one_of(in->CurrentToken(), TRANSFORMS))
    return in->Error(where, "%s", usage);
  const std::string name = in->CurrentToken();
  const bool cconst = same_token(name.c_str(), "CCONST");
  double x = 2.0;
  if (cconst) {
    tPunctuationScope scope(in, tNexusInput::LABEL_PUNCTUATION);
    in->NextToken();
    if (!in->CompareCurrentToken(";") &&
        (!in->ReadCurrentTokenDouble(&x) || std::isnan(x) || !in->CompareNextToken(";")))
      return in->Error(where, "%s", usage);
  } else if (!in->CompareNextToken(";")) {
    return in->Error(where, "Missing ';'");
  }
  transform = name;
  if (cconst)
    cconst_x = x;
  update.post(68);
  return 1;
}

int tAssumptionsBlk::read_threshold(tNexusInput* in)
{
  double t = 0;
  if (!in->CompareNextToken("=") || !read_signed_double(in, &t) || t < 0 ||
      !in->CompareNextToken(";"))
    return in->Error(BLOCK, "Usage: THRESHHOLD=non-negative-number;");
  threshold = t;
  update.post(72);
  return 1;
}

int tAssumptionsBlk::read_exclude(tNexusInput* in)
{
  // Applied only when the whole statement has been read.
  int nonparsimony = exclude_nonparsimony, gaps = exclude_gaps, missing = exclude_missing;
  int constant = exclude_constant, offset = codon_offset;
  int codon[3] = {exclude_codon1, exclude_codon2, exclude_codon3};
  const struct {
    const char* word;
    int* flag;
  } flags[] = {{"GAPS", &gaps},       {"MISSING", &missing},   {"NONPARSIMONY", &nonparsimony},
               {"NONPARSI", &nonparsimony}, {"CODON1", &codon[0]}, {"CODON2", &codon[1]},
               {"CODON3", &codon[2]}};
  in->NextToken();
  while (!in->CompareCurrentToken(";")) {
    const bool no = in->CompareCurrentToken("NO");
    if (no)
      in->NextToken();
    if (in->CompareCurrentToken("CONSTANT")) {
      in->NextToken();
      int n = 0;
      if (no) {
        constant = 0;
      } else if (in->ReadCurrentTokenInt(&n)) {
        constant = n;
        in->NextToken();
      } else {
        constant = -1;
      }
      continue;
    }
    int* flag = nullptr;
    for (const auto& f : flags)
      if (in->CompareCurrentToken(f.word))
        flag = f.flag;
    if (flag) {
      *flag = no ? 0 : 1;
    } else if (!no && in->CompareCurrentToken("ADD0")) {
      offset = 0;
    } else if (!no && in->CompareCurrentToken("ADD1")) {
      offset = 1;
    } else if (!no && in->CompareCurrentToken("ADD2")) {
      offset = 2;
    } else {
      return in->Error("QV_ASSUMPTIONS-exclude", "Unknown command: %s", token_text(in));
    }
    in->NextToken();
  }
  exclude_nonparsimony = nonparsimony;
  exclude_gaps = gaps;
  exclude_missing = missing;
  exclude_constant = constant;
  exclude_codon1 = codon[0];
  exclude_codon2 = codon[1];
  exclude_codon3 = codon[2];
  codon_offset = offset;
  update.post(2);
  return 1;
}

int tAssumptionsBlk::read_exset(tNexusInput* in, const tTaxaBlk* taxa)
{
  const char* const where = "QV_ASSUMPTIONS-exset";
  if (!exset.empty())
    update.post(2);
  exset.clear();
  exset_name.clear();
  const int nchar = taxa->get_nchar();
  if (nchar < 1)
    return skip_statement(in);
  std::string name;
  if (!read_name_and_equals(in, &name, "excluded"))
    return in->Error(where, "Usage: EXSET [name] = {characters|NONE};");
  in->NextToken();
  if (in->CompareCurrentToken("NONE")) {
    if (!in->CompareNextToken(";"))
      return in->Error(where, "Integer in 1..nchar expected");
    update.post(2);
    return 1;
  }
  std::vector<char> set(static_cast<size_t>(nchar) + 1, 0);
  while (!in->CompareCurrentToken(";")) {
    int first = 0, last = 0;
    if (read_item(in, nchar, no_label, false, &first, &last) != tItem::ok)
      return in->Error(where, "Integer in 1..nchar expected");
    for (int c = first; c <= last; c++)
      set[c] = 1;
  }
  exset.swap(set);
  exset_name = name;
  update.post(2);
  return 1;
}

int tAssumptionsBlk::read_extaxa(tNexusInput* in, const tTaxaBlk* taxa)
{
  const char* const where = "QV_ASSUMPTIONS-extaxa";
  extaxa.clear();
  extaxa_name.clear();
  std::string name;
  if (!read_name_and_equals(in, &name, "excluded"))
    return in->Error(where, "Usage: EXTAXA [name] = {taxa|NONE};");
  // Labels may hold signs, slashes and brackets; a range sign stands apart.
  tPunctuationScope scope(in, tNexusInput::LABEL_PUNCTUATION);
  in->NextToken();
  if (in->CompareCurrentToken("NONE")) {
    if (!in->CompareNextToken(";"))
      return in->Error(where, "Taxon expected");
    update.post(1);
    return 1;
  }
  const int ntax_orig = taxa->get_ntax_orig();
  auto label2n = [taxa](const char* label) { return taxa->label2n_orig(label); };
  std::vector<char> list(static_cast<size_t>(ntax_orig) + 1, 0);
  while (!in->CompareCurrentToken(";")) {
    int first = 0, last = 0;
    const tItem item = read_item(in, ntax_orig, label2n, true, &first, &last);
    if (item == tItem::bad_end)
      return in->Error(where, "Integer in 1..%d expected", ntax_orig);
    if (item == tItem::bad)
      return in->Error(where, "Taxon expected");
    for (int t = first; t <= last; t++)
      list[t] = 1;
  }
  extaxa.swap(list);
  extaxa_name = name;
  update.post(1);
  return 1;
}

int tAssumptionsBlk::read_taxa_partition(tNexusInput* in, const tTaxaBlk* taxa)
{
  if (!taxa_partition.empty())
    update.post(4);
  taxa_partition.clear();
  taxa_partition_orig.clear();
  taxa_partition_name.clear();
  const int ntax = taxa->get_ntax();
  auto refuse = [this, in]() {
    // The group transforms cannot run without the partition.
    taxa_partition.clear();
    fall_back_to_hamming();
    return in->Error("QV_ASSUMPTIONS-taxa_partition",
                     "Usage:TAXA_PARTITION [name] = {[taxon .. taxon,] .. [taxon .. taxon,]|NONE};");
  };
  std::string name;
  if (!read_name_and_equals(in, &name, ""))
    return refuse();
  in->NextToken();
  if (in->CompareCurrentToken("NONE")) {
    if (!in->CompareNextToken(";"))
      return refuse();
    update.post(4);
    return 1;
  }
  auto label2n = [taxa](const char* label) { return taxa->label2n(label); };
  std::vector<int> group(static_cast<size_t>(ntax) + 1, 0);
  int closed = 0;
  bool after_comma = false;
  while (!in->CompareCurrentToken(";")) {
    if (in->CompareCurrentToken(",")) {
      if (++closed > ntax)
        return refuse();
      after_comma = true;
      in->NextToken();
      continue;
    }
    int first = 0, last = 0;
    if (read_item(in, ntax, label2n, false, &first, &last) != tItem::ok)
      return refuse();
    for (int t = first; t <= last; t++)
      group[t] = closed + 1;
    after_comma = false;
  }
  if (!after_comma)
    return refuse();
  // Taxa left out of every group form one more group.
  group[0] = closed;
  bool left_out = false;
  for (int t = 1; t <= ntax; t++) {
    if (group[t] == 0) {
      group[t] = closed + 1;
      left_out = true;
    }
  }
  if (left_out)
    group[0]++;
  taxa_partition.swap(group);
  taxa_partition_name = name;
  set_taxa_partition_orig(taxa);
  update.post(4);
  return 1;
}

int tAssumptionsBlk::read_usermatrix(tNexusInput* in)
{
  const char* const where = "QV_ASSUMPTIONS-usermatrix";
  const bool in_use = same_token(transform.c_str(), "USERMATRIX");
  if (in_use && !usermatrix.empty())
    update.post(68);
  usermatrix.clear();
  n_colors = 0;
  int n = 0;
  if (!in->ReadNextTokenInt(&n) || n < 1 || n > 256)
    return in->Error(where, "bad number of columns: %d", n);
  // -1 marks an entry above the diagonal that was left unspecified.
  std::vector<std::vector<double>> m(static_cast<size_t>(n) + 1,
                                     std::vector<double>(static_cast<size_t>(n) + 1, 0.0));
  tPunctuationScope scope(in, tNexusInput::LABEL_PUNCTUATION);
  for (int i = 1; i <= n; i++) {
    for (int j = 1; j <= n; j++) {
      in->NextToken();
      const bool unspecified = in->CompareCurrentToken(".");
      double v = 0;
      if (!unspecified && (!in->ReadCurrentTokenDouble(&v) || !(v >= 0)))
        return in->Error(where, "Can't read m[%d][%d]", i, j);
      if (i < j) {
        m[i][j] = unspecified ? -1 : v;
      } else if (i == j) {
        m[i][j] = unspecified ? 0 : v;
      } else if (m[j][i] == -1) {
        m[i][j] = m[j][i] = unspecified ? 1.0 : v;
      } else if (unspecified) {
        m[i][j] = m[j][i];
      } else if (v != m[j][i]) {
        return in->Error(where, "Not symmetric: m[%d][%d]!=m[%d][%d]", i, j, j, i);
      } else {
        m[i][j] = v;
      }
    }
  }
  if (!in->CompareNextToken(";"))
    return in->Error(where, "Missing ';'");
  usermatrix.swap(m);
  n_colors = n;
  // A new table changes the distances only while the transform uses it.
  if (in_use)
    update.post(68);
  return 1;
}

// The end-of-block checks: a transform that lacks its data falls back.
int tAssumptionsBlk::check_transform(tNexusInput* in)
{
  if (same_token(transform.c_str(), "USERMATRIX") && usermatrix.empty()) {
    fall_back_to_hamming();
    return in->Error("QV_ASSUMPTIONS-transform=USERMATRIX", "No USERMATRIX specified");
  }
  for (const char* name : GROUP_TRANSFORMS) {
    if (same_token(transform.c_str(), name) && taxa_partition.empty()) {
      fall_back_to_hamming();
      const std::string where = std::string("QV_ASSUMPTIONS-transform=") + name;
      return in->Error(where.c_str(), "No TAXA_PARTITION specified");
    }
  }
  return 1;
}

void tAssumptionsBlk::fall_back_to_hamming()
{
  if (same_token(transform.c_str(), "HAMMING"))
    return;
  transform = "HAMMING";
  // The distances already computed were made with the old transform.
  update.post(68);
}

bool tAssumptionsBlk::exclusion_in_force() const
{
  return exclude_gaps || exclude_constant || exclude_nonparsimony || exclude_missing ||
         exclude_codon1 || exclude_codon2 || exclude_codon3 || codon_offset || !exset.empty();
}

void tAssumptionsBlk::update_taxa(tTaxaBlk* taxa)
{
  if (!_valid || !taxa || !taxa->valid() || !update.check(1))
    return;
  if (update.check(2047) && exclusion_in_force())
    update.post(2);
  if (extaxa.empty()) {
    update.post(tUpdate::ALL);
    update.unpost(512 | 1);
    return;
  }
  // One flag for every taxon of the full list, whatever the list was read for.
  extaxa.resize(static_cast<size_t>(taxa->get_ntax_orig()) + 1, 0);
  taxa->set_active_taxa(extaxa.data());
  set_active_taxa(taxa);
  extaxa.clear();
  extaxa_name.clear();
}

// Keeps the partition over the full taxon list, so that later restrictions
// start from it rather than from an already restricted one.
void tAssumptionsBlk::set_taxa_partition_orig(const tTaxaBlk* taxa)
{
  if (!taxa_partition_orig.empty() || taxa_partition.empty())
    return;
  const int ntax = taxa->get_ntax();
  const int ntax_orig = taxa->get_ntax_orig();
  const int groups = taxa_partition[0];
  taxa_partition_orig.assign(static_cast<size_t>(ntax_orig) + 1, 0);
  for (int t = 1; t <= ntax; t++)
    taxa_partition_orig[taxa->get_tax2orig(t)] = taxa_partition[t];
  if (ntax == ntax_orig) {
    taxa_partition_orig[0] = groups;
    return;
  }
  taxa_partition_orig[0] = groups + 1;
  for (int t = 1; t <= ntax_orig; t++)
    if (taxa_partition_orig[t] == 0)
      taxa_partition_orig[t] = groups + 1;
}

void tAssumptionsBlk::set_active_taxa(const tTaxaBlk* taxa)
{
  if (taxa_partition_orig.empty())
    return;
  const int ntax = taxa->get_ntax();
  // Groups are renumbered in the order they first occur among the active taxa.
  std::vector<int> renumber(static_cast<size_t>(taxa_partition_orig[0]) + 1, 0);
  std::vector<int> group(static_cast<size_t>(ntax) + 1, 0);
  int groups = 0;
  for (int t = 1; t <= ntax; t++) {
    const int g = taxa_partition_orig[taxa->get_tax2orig(t)];
    if (g < 0)
      continue;
    if (static_cast<size_t>(g) >= renumber.size())
      renumber.resize(static_cast<size_t>(g) + 1, 0);
    if (renumber[g] == 0)
      renumber[g] = ++groups;
    group[t] = renumber[g];
  }
  group[0] = groups;
  taxa_partition.swap(group);
}

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
    out->Print("    EXSET %s =", nexus_name(exset_name).c_str());
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
    out->Print("    EXTAXA %s =", nexus_name(extaxa_name).c_str());
    tWrappedList list(out);
    const int n = static_cast<int>(extaxa.size()) - 1;
    for (int t = 1; t <= n; t++)
      if (extaxa[t])
        list.item_text(nexus_label(taxa->getlabel_orig(t)).c_str());
    out->Print(";\n");
  }

  if (!taxa_partition.empty()) {
    if (!taxa_partition_name.empty())
      out->Print("    TAXA_PARTITION %s =", nexus_name(taxa_partition_name).c_str());
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

  if (same_token(method.c_str(), "TREE") && tree_number != 1)
    out->Print("    METHOD=%s N=%d;\n", method.c_str(), tree_number);
  else
    out->Print("    METHOD=%s;\n", method.c_str());
  if (consensus_threshold != CONSENSUS_THRESHOLD_DEFAULT)
    out->Print("    CONSENSUS_THRESHOLD=%G;\n", consensus_threshold);
  if (!same_token(consensus_weight.c_str(), "FREQUENCY"))
    out->Print("    CONSENSUS_WEIGHT=%s;\n", consensus_weight.c_str());
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
  // The symbol table has no slot for color 256: such a color has no symbol.
  auto symbol = [this](int color) { return color < 256 ? colors2symbols[color] : '\0'; };
  out->Print("    USERMATRIX %d", n_colors);
  if (symbol(1)) {
    out->Print("\n       [");
    // A NUL byte would cut the text short: a color without symbol shows "?".
    for (int i = 1; i <= n_colors; i++)
      out->Print(" %c", symbol(i) ? symbol(i) : '?');
    out->Print("]");
  }
  for (int i = 1; i <= n_colors; i++) {
    if (symbol(i))
      out->Print("\n     [%c]", symbol(i));
    else
      out->Print("\n        ");
    for (int j = 1; j <= n_colors; j++)
      out->Print(" %G", usermatrix[i][j]);
  }
  out->Print("\n    ;\n");
}
