// Making the assumptions fit the data, and the one-line summary.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/auxilary.h"
#include "core/message.h"
#include "document/document.h"

namespace {

bool is(const std::string& value, const char* name) { return same_token(value.c_str(), name); }

std::string lower(const std::string& s)
{
  std::string t = s;
  for (char& c : t)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return t;
}

} // namespace

void tDocument::check_assumptions()
{
  tAssumptionsBlk& a = *assumptions;
  const bool c_valid = characters->valid();
  const bool d_valid = distances->valid();
  const bool s_valid = spectra->valid();
  const bool p_valid = splits->valid();
  const bool dna = c_valid && characters->ncolors == 4;

  if (a.greedy_tree && !c_valid && !s_valid && !d_valid && !p_valid) {
    warning("Assumption GREEDY_TREE invalid for given data");
    a.greedy_tree = 0;
  }
  if (!a.exset.empty() && !c_valid) {
    warning("Assumption EXSET invalid for given data");
    a.exset.clear();
  }
  if (!a.extaxa.empty() && !taxa->valid()) {
    warning("Assumption EXTAXA invalid for given data");
    a.extaxa.clear();
  }
  if (is(a.method, "SPECTRAL") && c_valid && !dna) {
    warning("Assumption method=SPECTRAL invalid for given data");
    a.method = "DSPLITS";
  }
  if (is(a.method, "STREE") && c_valid && !dna) {
    warning("Assumption method=STREE invalid for given data");
    a.method = "DSPLITS";
  } else if (d_valid && !c_valid &&
             (is(a.method, "PSPLITS") || is(a.method, "PTREE") || is(a.method, "LSPLITS") ||
              is(a.method, "LTREE"))) {
    // These methods need characters.
    const std::string upper = [&] {
      std::string u = a.method;
      for (char& c : u)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      return u;
    }();
    warning("Assumption method=%s invalid for given data", upper.c_str());
    a.method = "DSPLITS";
  } else if (!is(a.method, "SPECTRAL") && !is(a.method, "STREE") && !c_valid && !d_valid && s_valid) {
    a.method = "SPECTRAL";
  }
  // The tree methods need trees; a document of trees alone shows their consensus.
  const bool t_valid = trees->valid();
  const bool tree_method = is(a.method, "CONSENSUS") || is(a.method, "TREE");
  if (tree_method && !t_valid) {
    warning("Assumption method=%s invalid for given data", is(a.method, "TREE") ? "TREE" : "CONSENSUS");
    a.method = "DSPLITS";
  } else if (!tree_method && t_valid && !c_valid && !d_valid && !s_valid) {
    a.method = "CONSENSUS";
  }
  if (is(a.transform, "NEI_MILLER") && c_valid && !same_token(characters->get_datatype(), "STANDARD") &&
      !characters->has_charweights()) {
    warning("Assumption transform=NEI_MILLER invalid for given data");
    a.transform = "HAMMING";
  }
  if (is(a.transform, "PAM250") && c_valid && !same_token(characters->get_datatype(), "PROTEIN")) {
    warning("Assumption transform=PAM250 invalid for given data");
    a.transform = "HAMMING";
  }
  if (is(a.transform, "K3ST") && c_valid && !dna) {
    warning("Assumption transform=K3ST invalid for given data");
    a.transform = "HAMMING";
  }
  if (is(a.transform, "JC") && c_valid && !dna) {
    warning("Assumption transform=JC invalid for given data");
    a.transform = "HAMMING";
  }
  if (is(a.method, "SPECTRAL") || is(a.method, "PSPLITS") || is(a.method, "LSPLITS") || is(a.method, "STREE") ||
      is(a.method, "PTREE") || is(a.method, "LTREE") || is(a.method, "NONE") || is(a.method, "CONSENSUS") ||
      is(a.method, "TREE")) {
    a.transform = "NONE";
    a.update.post(4);
  }
  if (is(a.method, "NONE")) {
    if (c_valid || d_valid)
      a.method = "DSPLITS";
    else if (s_valid)
      a.method = "SPECTRAL";
  }
  if (is(a.transform, "NONE") && (is(a.method, "DSPLITS") || is(a.method, "DTREE") || is(a.method, "WCSPLITS") ||
                                   is(a.method, "WCTREE") || is(a.method, "NNET"))) {
    a.transform = "HAMMING";
    a.update.post(4);
  }
  if (!c_valid) {
    if (a.exclude_nonparsimony) {
      warning("Assumption EXCLUDE NONPARSIMONY invalid for given data");
      a.exclude_nonparsimony = 0;
    }
    if (a.exclude_codon1 || a.exclude_codon2 || a.exclude_codon3) {
      if (a.exclude_codon1)
        warning("Assumption EXCLUDE CODON1 invalid for given data");
      if (a.exclude_codon2)
        warning("Assumption EXCLUDE CODON2 invalid for given data");
      if (a.exclude_codon3)
        warning("Assumption EXCLUDE CODON3 invalid for given data");
      a.exclude_codon1 = a.exclude_codon2 = a.exclude_codon3 = 0;
    }
  } else if (a.exclude_codon1 && a.exclude_codon2 && a.exclude_codon3) {
    warning("Assumption EXCLUDE codon1  codon2 codon3 illegal");
    a.exclude_codon1 = a.exclude_codon2 = a.exclude_codon3 = 0;
  }
  if (!is(a.transform, "LOGDET") && !is(a.transform, "JC") && !is(a.transform, "K3ST") && a.exclude_constant > 0)
    a.exclude_constant = 0;
  if (!c_valid) {
    if (a.exclude_constant != 0) {
      warning("Assumption EXCLUDE CONSTANT invalid for given data");
      a.exclude_constant = 0;
    }
    if (a.exclude_gaps) {
      warning("Assumption EXCLUDE GAPS invalid for given data");
      a.exclude_gaps = 0;
    }
    if (a.exclude_missing) {
      warning("Assumption EXCLUDE MISSING invalid for given data");
      a.exclude_missing = 0;
    }
  }
  if (!is(a.edge_transform, "NONE") && !d_valid) {
    warning("Assumption EDGE_TRANSFORM=%s invalid for given data", a.edge_transform.c_str());
    a.edge_transform = "NONE";
  }
  if (a.max_width != 0 && !d_valid) {
    warning("Assumption MAX_WIDTH=%G invalid for given data", a.max_width);
    a.max_width = 0;
  }
}

const char* tDocument::short_info_string()
{
  info_line.clear();
  std::string& line = info_line;
  const tAssumptionsBlk& a = *assumptions;
  if (splits->valid() && splits->get_fit() != 0)
    line += string_printf("Fit=%3.1f", splits->get_fit());
  if (taxa->get_ntax() > 0)
    line += string_printf(" ntax=%d", taxa->get_ntax());
  const int nchar = taxa->get_nchar();
  if (nchar > 0) {
    const int active = taxa->get_active_nchar();
    if (active == nchar && a.exclude_constant < 1)
      line += string_printf(" nchar=%d", nchar);
    else
      line += string_printf(" nchar=%d(of %d)", active - (a.exclude_constant > 0 ? a.exclude_constant : 0), nchar);
  }
  const bool bootstrapped =
    same_token(sgraph->get_splitlabels(), "BOOTSTRAPS") && bootstrap->valid() && bootstrap->get_runs() != 0;
  if (bootstrapped) {
    line += string_printf(" -bootstrap %d", bootstrap->get_runs());
  } else if (characters->valid()) {
    const tCharactersBlk& c = *characters;
    if (c.n_gaps)
      line += string_printf(" gaps=%d%s", c.n_gaps, a.exclude_gaps ? "(off)" : "");
    if (c.n_missing)
      line += string_printf(" miss=%d%s", c.n_missing, a.exclude_missing ? "(off)" : "");
    if (c.n_constant) {
      line += string_printf(" const=%d", c.n_constant);
      if (a.exclude_constant == -1)
        line += string_printf("(off)");
      else if (a.exclude_constant > 0)
        line += string_printf("(%doff)", a.exclude_constant);
    }
    if (c.n_nonparsimony)
      line += string_printf(" nonparsi=%d%s", c.n_nonparsimony, a.exclude_nonparsimony ? "(off)" : "");
    if (a.exclude_codon1 || a.exclude_codon2 || a.exclude_codon3) {
      line += string_printf(" -x");
      if (a.exclude_codon1)
        line += string_printf("1");
      if (a.exclude_codon2)
        line += string_printf("2");
      if (a.exclude_codon3)
        line += string_printf("3");
      if (a.codon_offset != 0)
        line += string_printf("+%d", a.codon_offset);
    }
  }
  if (nchar > 0 && a.valid()) {
    line += string_printf(a.refine ? " -r%s" : " -%s", lower(a.method).c_str());
    if (!is(a.transform, "NONE"))
      line += string_printf(" -%s", lower(a.transform).c_str());
    if (a.greedy_tree)
      line += string_printf(" -gtree");
  }
  return info_line.c_str();
}
