#include "blocks/blk_distances.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_taxa.h"
#include "blocks/unused_commands.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "distances/commonconst.h"
#include "distances/covarion.h"
#include "distances/fitchsidow.h"
#include "distances/gapdist.h"
#include "distances/hamming.h"
#include "distances/jukecantor.h"
#include "distances/kimura3st.h"
#include "distances/logdet.h"
#include "distances/nei_miller.h"
#include "distances/pam250.h"
#include "distances/triangle_check.h"
#include "distances/usermatrix.h"
#include "nexus/nexus.h"

namespace {

// Excesses up to this size are rounding, not a violation.
constexpr double TRIANGLE_EPSILON = 1e-8;

bool known(double d) { return d != tDistancesBlk::UNKNOWN; }

typedef int (*tTransformFunction)(tTaxaBlk*, tAssumptionsBlk*, tCharactersBlk*, tDistancesBlk*);

struct tTransform {
  const char* name;
  const char* text;
  tTransformFunction function;  // null: refused as not implemented
  bool discounts_constant;      // takes constant-site frequencies off its pair counts
};

const tTransform TRANSFORMS[] = {
  {"HAMMING", "(Hamming distances): ...", computeHamming, false},
  {"COVARION", "(Covarion distances): ...", computeCovarion, false},
  {"CCONST", "(CCONST distances): ...", computeCConst, false},
  {"FITCHSIDOW", "(Fitch+Sidow distances): ...", computeFitchSidow, false},
  {"NEI_MILLER", "(Restriction site distances (Nei Miller 1990)): ...", computeNeiMiller, false},
  {"LOGDET", "(LogDet): ...", computeLogDet, true},
  {"JC", "(Jukes-Cantor): ...", computeJukeCantor, true},
  {"K3ST", "(Kimura 3ST): ...", computeK3ST, true},
  {"GAPDIST", "(Gap distances): ...", computeGapdist, false},
  {"USERMATRIX", "(Haming distances using user-matrix): ...", computeUsermatrix, false},
  {"PAM250", "(Haming distances using PAM250): ...", computePAM250, false},
};

} // namespace

tDistancesBlk::tDistancesBlk() = default;
tDistancesBlk::~tDistancesBlk() = default;

void tDistancesBlk::out_of_range(int i, int j) const
{
  error("tDistancesBlk: entry (%d,%d) out of range: 1..%d", i, j, ntax);
}

bool tDistancesBlk::compare_name(const char* name) const { return same_token(name, "DISTANCES"); }

void tDistancesBlk::show_usage() const
{
  static const char* const lines[] = {
    "BEGIN DISTANCES;\n",
    "    [DIMENSIONS [NTAX=number-of-taxa] [NCHAR=number-of-chars];]\n",
    "    [FORMAT\n",
    "        [TRIANGLE={LOWER|UPPER|BOTH}]\n",
    "        [[NO] DIAGONAL]\n",
    "        [[NO] LABELS]\n",
    "        [MISSING=symbol]\n",
    "    ;]\n",
    "    [[NO] FORCE_METRIC [:OFFSET=number];];\n",
    "    MATRIX\n",
    "        distance data in specified format\n",
    "    ;\n",
    "END;\n",
  };
  for (const char* line : lines)
    message("%s", line);
}

void tDistancesBlk::show_info() const
{
  if (_valid)
    message("Valid DISTANCES block: %dx%d matrix\n", ntax, ntax);
  else
    message("No valid DISTANCES block\n");
}

void tDistancesBlk::set_matrix(int i, int j, double value)
{
  matrix[index(i, j)] = value;
  matrix[index(j, i)] = value;
}

int tDistancesBlk::set_ntax(int n)
{
  if (n < 1)
    return 0;
  ntax = n;
  matrix.assign(static_cast<size_t>(n + 1) * static_cast<size_t>(n + 1), 0.0);
  return 1;
}

bool tDistancesBlk::set_char(int c, int* field)
{
  if (c <= 0 || std::strchr(" \f\n\r\t\v()[]{}/\\,;:=*<>'\"`", c))
    return false;
  *field = c;
  return true;
}

void tDistancesBlk::reset_format()
{
  force_triangle_ineq = 0;
  offset_triangle_ineq = 0.0;
  triangle = "LOWER";
  diagonal = 1;
  labels = 1;
  missing = '?';
  interleave = 0;
}

// ---------------------------------------------------------------- reading

int tDistancesBlk::read(tNexusInput* in, tTaxaBlk* taxa)
{
  if (!taxa->valid())
    return in->Error("DISTANCES", "Must be preceeded by TAXA-block");
  // A new block replaces the old data (a diagonal it leaves out is 0) and
  // describes its own layout; an offset left from an earlier block belongs
  // to that block's values.
  const int n = taxa->get_ntax();
  // The smallest layout (no diagonal, one triangle) still takes a byte per entry.
  const long long entries = static_cast<long long>(n) * (n - 1) / 2;
  if (!in->Fits(entries))
    return in->Error("DISTANCES", "ntax=%d makes %lld distances, more than %s", n, entries, in->RoomText().c_str());
  set_ntax(n);
  _valid = 0;
  reset_format();
  if (!in->CompareNextToken(";"))
    return in->Error("DISTANCES", "Missing ';'");

  for (;;) {
    const char* token = in->NextToken();
    if (!token)
      return in->Error("DISTANCES", "Unexpected EOF");
    if (in->CurrentTokenIsEnd())
      break;
    int ok;
    if (in->CompareCurrentToken("DIMENSIONS")) {
      ok = read_dimensions(in, taxa);
    } else if (in->CompareCurrentToken("FORMAT")) {
      ok = read_format(in);
    } else if (in->CompareCurrentToken("FORCE_METRIC")) {
      ok = read_force_metric(in, 1);
    } else if (in->CompareCurrentToken("NO")) {
      if (!in->CompareNextToken("FORCE_METRIC"))
        return in->Error("DISTANCES", "NO FORCE_METRIC expected");
      ok = read_force_metric(in, 0);
    } else if (in->CompareCurrentToken("MATRIX")) {
      _valid = 0;
      ok = interleave ? read_matrix_interleave(in, taxa) : read_matrix(in, taxa);
      if (!ok)
        return 0;
      // The interleaved reader can only tell its end by the ";" itself.
      if (!(interleave ? in->CompareCurrentToken(";") : in->CompareNextToken(";")))
        return in->Error("DISTANCES-Matrix", "Missing ';'?");
      _valid = 1;
      show_info();
    } else if (skip_unused_command(in, "DISTANCES")) {
      ok = 1;
    } else {
      return in->Error("DISTANCES", "Unknown command: %s", token);
    }
    if (!ok)
      return 0;
  }
  if (!_valid)
    return in->Error("DISTANCES", "Didn't find MATRIX");
  check_triangular_inequalities();
  keep_in_full_matrix(taxa);
  return 1;
}

int tDistancesBlk::read_dimensions(tNexusInput* in, const tTaxaBlk* taxa)
{
  const char* where = "DISTANCES-dimensions";
  for (;;) {
    if (!in->NextToken())
      return in->Error(where, "Didn't find ';'");
    if (in->CompareCurrentToken(";"))
      return 1;
    if (in->CompareCurrentToken("NEWTAXA"))
      return in->Error(where, "NEWTAXA not implemented");
    if (in->CompareCurrentToken("NTAX")) {
      int n = 0;
      if (!in->CompareNextToken("=") || !in->ReadNextTokenInt(&n) || n != ntax)
        return in->Error(where, "Expected NTAX=%d", ntax);
    } else if (in->CompareCurrentToken("NCHAR")) {
      int m = 0;
      if (!in->CompareNextToken("=") || !in->ReadNextTokenInt(&m))
        return in->Error(where, "Bad NCHAR command");
      if (m != taxa->get_nchar())
        return in->Error(where, "Expected NCHAR=%d", taxa->get_nchar());
    } else {
      return in->Error(where, "Didn't find ';'");
    }
  }
}

int tDistancesBlk::read_format(tNexusInput* in)
{
  const char* where = "DISTANCES-format";
  const char* inconsistent = "Inconsistant commands: TRIANGLE=BOTH and NO DIAGONAL";
  bool pending = false;  // the current token is the next item, already read
  // LABELS, DIAGONAL and INTERLEAVE may carry "=YES|NO" (LABELS also =LEFT).
  auto flag_value = [&](const char* name, int* flag) {
    *flag = 1;
    if (!in->CompareNextToken("=")) {
      pending = true;
      return 1;
    }
    in->NextToken();
    if (in->CompareCurrentToken("NO"))
      *flag = 0;
    else if (!in->CompareCurrentToken("YES") && !(same_token(name, "LABELS") && in->CompareCurrentToken("LEFT")))
      return in->Error(where, "Usage: %s[=YES|NO]", name);
    if (!*flag && same_token(name, "DIAGONAL") && same_token(triangle.c_str(), "BOTH"))
      return in->Error(where, "%s", inconsistent);
    return 1;
  };
  for (;;) {
    const char* token = pending ? in->CurrentToken() : in->NextToken();
    pending = false;
    if (!token)
      return in->Error(where, "Unexpected EOF");
    if (in->CompareCurrentToken(";"))
      return 1;
    if (in->CompareCurrentToken("TRIANGLE")) {
      if (!in->CompareNextToken("=") || !in->NextToken())
        return in->Error(where, "Bad triangle command");
      const char* word = in->CurrentToken();
      if (!same_token(word, "LOWER") && !same_token(word, "UPPER") && !same_token(word, "BOTH"))
        return in->Error(where, "Bad triangle command");
      if (same_token(word, "BOTH") && !diagonal)
        return in->Error(where, "%s", inconsistent);
      char* upper = strdup_toupper(word);
      triangle = upper;
      std::free(upper);
    } else if (in->CompareCurrentToken("MISSING")) {
      char c = 0;
      if (!in->CompareNextToken("=") || !in->ReadNextTokenChar(&c) ||
          !set_char(static_cast<unsigned char>(c), &missing))
        return in->Error(where, "Bad MISSING command");
    } else if (in->CompareCurrentToken("LABELS")) {
      if (!flag_value("LABELS", &labels))
        return 0;
    } else if (in->CompareCurrentToken("DIAGONAL")) {
      if (!flag_value("DIAGONAL", &diagonal))
        return 0;
    } else if (in->CompareCurrentToken("INTERLEAVE")) {
      if (!flag_value("INTERLEAVE", &interleave))
        return 0;
    } else if (in->CompareCurrentToken("NOLABELS")) {
      labels = 0;
    } else if (in->CompareCurrentToken("NODIAGONAL")) {
      // The spelling of the NEXUS standard, one word.
      if (same_token(triangle.c_str(), "BOTH"))
        return in->Error(where, "%s", inconsistent);
      diagonal = 0;
    } else if (in->CompareCurrentToken("NO")) {
      in->NextToken();
      if (in->CompareCurrentToken("LABELS")) {
        labels = 0;
      } else if (in->CompareCurrentToken("DIAGONAL")) {
        if (same_token(triangle.c_str(), "BOTH"))
          return in->Error(where, "%s", inconsistent);
        diagonal = 0;
      } else if (in->CompareCurrentToken("INTERLEAVE")) {
        interleave = 0;
      } else {
        return in->Error(where, "Bad NO [LABELS|TOKENS] command");
      }
    } else {
      return in->Error(where, "Unknown command: %s", token);
    }
  }
}

int tDistancesBlk::read_force_metric(tNexusInput* in, int on)
{
  const char* usage = on ? "FORCE_METRIC [=number];" : "NO FORCE_METRIC [: OFFSET=number];";
  if (in->CompareNextToken(";")) {
    force_triangle_ineq = on;
    if (on)
      offset_triangle_ineq = 0.0;
    return 1;
  }
  if (!in->CompareCurrentToken(":") || !in->CompareNextToken("OFFSET") || !in->CompareNextToken("="))
    return in->Error("DISTANCES", "%s", usage);
  double x = 0.0;
  bool number;
  {
    // %G writes small offsets as 1E-05: the sign must not split the number.
    tPunctuationScope punct(in, tNexusInput::LABEL_PUNCTUATION);
    number = in->ReadNextTokenDouble(&x) && std::isfinite(x);
  }
  if (!number || !in->CompareNextToken(";"))
    return in->Error("DISTANCES", "%s", usage);
  force_triangle_ineq = on;
  offset_triangle_ineq = x;
  return 1;
}

// The columns of row i that the layout holds; false for an unknown layout.
bool tDistancesBlk::columns(int i, int* first, int* last) const
{
  if (same_token(triangle.c_str(), "LOWER")) {
    *first = 1;
    *last = i - 1 + diagonal;
  } else if (same_token(triangle.c_str(), "UPPER")) {
    *first = i + 1 - diagonal;
    *last = ntax;
  } else if (same_token(triangle.c_str(), "BOTH")) {
    *first = 1;
    *last = ntax;
  } else {
    return false;
  }
  return true;
}

int tDistancesBlk::read_matrix(tNexusInput* in, tTaxaBlk* taxa)
{
  const char* where = "DISTANCES-matrix";
  tPunctuationScope punct(in, tNexusInput::LABEL_PUNCTUATION);
  for (int i = 1; i <= ntax; i++) {
    if (labels) {
      const char* token = in->NextToken();
      if (!token)
        return in->Error(where, "Unexpected EOF");
      if (same_token(taxa->getlabel(i), "_DETECT_"))
        taxa->setlabel(i, token);
      else if (!same_nexus_label(token, taxa->getlabel(i)))
        return in->Error(where, "Labels differ from those defined in TAXA-block");
    }
    int first = 0, last = 0;
    if (!columns(i, &first, &last))
      return in->Error(where, "Unknown triangle type");
    for (int j = first; j <= last; j++) {
      double value = 0.0;
      // +inf reads as unknown; NaN and -inf are no distances at all.
      if (in->ReadNextTokenDouble(&value) && !std::isnan(value) && value != -HUGE_VAL) {
        set_matrix(i, j, value);
        continue;
      }
      const char* token = in->CurrentToken();
      if (!token || token[0] == '\0' || static_cast<unsigned char>(token[0]) != missing)
        return in->Error(where, "Real number expected");
      set_matrix(i, j, UNKNOWN);
    }
  }
  return 1;
}

// Pages of rows, each row a label and the values on the rest of its line;
// each value goes to the next column its row still lacks. Ends at the ";",
// which is left as the current token.
int tDistancesBlk::read_matrix_interleave(tNexusInput* in, tTaxaBlk* taxa)
{
  const char* where = "DISTANCES-matrix";
  if (!labels)
    return in->Error(where, "Interleave format needs labels");
  tPunctuationScope punct(in, tNexusInput::LABEL_PUNCTUATION);
  std::vector<int> next(static_cast<size_t>(ntax) + 1, 0), last(static_cast<size_t>(ntax) + 1, 0);
  for (int i = 1; i <= ntax; i++)
    if (!columns(i, &next[i], &last[i]))
      return in->Error(where, "Unknown triangle type");
  for (;;) {
    const char* token = in->NextToken();
    if (!token)
      return in->Error(where, "Unexpected EOF");
    if (in->CompareCurrentToken(";") && !in->CurrentTokenQuoted())
      break;
    int i = 0;
    for (int t = 1; t <= ntax && i == 0; t++)
      if (same_nexus_label(taxa->getlabel(t), token))
        i = t;
    // Rows of the first page name the taxa a _DETECT_ list leaves open.
    for (int t = 1; t <= ntax && i == 0; t++)
      if (same_token(taxa->getlabel(t), "_DETECT_")) {
        taxa->setlabel(t, token);
        i = t;
      }
    if (i == 0)
      return in->Error(where, "Labels differ from those defined in TAXA-block");
    const char* line = in->NextLineToken();
    std::string rest = line ? line : "";
    size_t p = 0;
    for (;;) {
      p = rest.find_first_not_of(" \t\f\v", p);
      if (p == std::string::npos)
        break;
      const size_t end = std::min(rest.find_first_of(" \t\f\v", p), rest.size());
      const std::string word = rest.substr(p, end - p);
      p = end;
      if (next[i] > last[i])
        return in->Error(where, "Too many values in row %d", i);
      char* stop = nullptr;
      const double value = std::strtod(word.c_str(), &stop);
      if (stop == word.c_str() + word.size() && !std::isnan(value) && value != -HUGE_VAL)
        set_matrix(i, next[i]++, value);
      else if (static_cast<unsigned char>(word[0]) == missing)
        set_matrix(i, next[i]++, UNKNOWN);
      else
        return in->Error(where, "Real number expected");
    }
  }
  for (int i = 1; i <= ntax; i++)
    if (next[i] <= last[i])
      return in->Error(where, "Too few values in row %d", i);
  return 1;
}

// While taxa are excluded the block holds only the active rows; new values
// also go into the full copy, so that a later restriction starts from them.
// Pairs with a taxon that is not active stay as they were (unknown at first).
void tDistancesBlk::keep_in_full_matrix(const tTaxaBlk* taxa)
{
  const int full = taxa->get_ntax_orig();
  if (matrix_orig.empty()) {
    if (full == ntax)
      return;
    ntax_orig = full;
    const size_t width = static_cast<size_t>(full + 1);
    matrix_orig.assign(width * width, UNKNOWN);
    for (int t = 1; t <= full; t++)
      matrix_orig[t * width + t] = 0.0;
  }
  const size_t width = static_cast<size_t>(ntax_orig + 1);
  for (int s = 1; s <= ntax; s++)
    for (int t = 1; t <= ntax; t++)
      matrix_orig[taxa->get_tax2orig(s) * width + taxa->get_tax2orig(t)] = get_matrix(s, t);
}

// ---------------------------------------------------------------- triangle inequality

void tDistancesBlk::check_triangular_inequalities()
{
  double worst = 0.0;
  const size_t width = static_cast<size_t>(ntax) + 1;
  if (offset_triangle_ineq == 0.0 && ntax > 0 && matrix.size() >= width * width) {
    std::vector<tTriple> at;
    worst = worst_triangle_excess(matrix.data(), ntax, width, TRIANGLE_EPSILON, &at);
    if (worst > TRIANGLE_EPSILON) {
      message("Warning: Non metric: Triangle inequalities are not satisfied\n");
      message("[Worst violating triplet(s): ");
      for (const tTriple& x : at)
        message("%d %d %d.", x.i, x.j, x.k);
      message("]\n");
    }
  }

  double sign = 0.0;
  if (force_triangle_ineq) {
    if (offset_triangle_ineq == 0.0 && worst > TRIANGLE_EPSILON)
      offset_triangle_ineq = worst;
    if (offset_triangle_ineq != 0.0) {
      message("FORCING triangle inequalities: Adding offset %G to all distances\n", offset_triangle_ineq);
      sign = 1.0;
    }
  } else if (offset_triangle_ineq != 0.0) {
    message("Restoring original data: subtracting offset %G from all distances\n", offset_triangle_ineq);
    sign = -1.0;
  }
  if (sign != 0.0) {
    for (int j = 1; j <= ntax; j++)
      for (int k = 1; k <= ntax; k++)
        if (j != k && known(get_matrix(j, k)))
          matrix[index(j, k)] += sign * offset_triangle_ineq;
  }
  if (sign < 0.0)
    offset_triangle_ineq = 0.0;
}

// ---------------------------------------------------------------- printing

int tDistancesBlk::print(tNexusOutput* out, const tTaxaBlk* taxa) const
{
  if (!_valid) {
    message("No valid DISTANCES block\n");
    return 0;
  }
  out->Print("BEGIN distances;\n");
  out->Print("    DIMENSIONS ntax=%d;\n", ntax);
  out->Print("    FORMAT\n");
  out->Print("        triangle=%s\n", triangle.c_str());
  out->Print(diagonal ? "        diagonal\n" : "        no diagonal\n");
  out->Print(labels ? "        labels\n" : "        no labels\n");
  if (missing)
    out->Print("        missing=%c\n", missing);
  if (interleave)
    out->Print("        interleave\n");
  out->Print("    ;\n");
  if (force_triangle_ineq && offset_triangle_ineq != 0.0)
    out->Print("    FORCE_METRIC: offset=%G;\n", offset_triangle_ineq);
  out->Print("\n    MATRIX\n");
  if (!matrix.empty())
    print_matrix(out, taxa);
  out->Print("    ;\n");
  out->Print("END;\n");
  return 1;
}

void tDistancesBlk::print_matrix(tNexusOutput* out, const tTaxaBlk* taxa) const
{
  // The stored values carry the forcing offset; the file holds the data as
  // they were, and its FORCE_METRIC line makes a reader add the offset again.
  const double shift = force_triangle_ineq ? offset_triangle_ineq : 0.0;
  const size_t label_width = static_cast<size_t>(taxa->max_label_length()) + 1;
  char number[64];
  for (int i = 1; i <= ntax; i++) {
    std::string line;
    if (labels) {
      line = "    " + nexus_label(taxa->getlabel(i));
      if (line.size() < 4 + label_width)
        line.resize(4 + label_width, ' ');
    }
    int first = 1, last = 0;
    columns(i, &first, &last);
    if (same_token(triangle.c_str(), "UPPER"))
      for (int k = 0; k < i - diagonal; k++)
        line += "   ";
    for (int j = first; j <= last; j++) {
      const double d = get_matrix(i, j);
      if (!known(d))
        std::snprintf(number, sizeof number, " %c", missing);
      else
        std::snprintf(number, sizeof number, " %G", i != j ? d - shift : d);
      line += number;
    }
    line += '\n';
    out->Print("%s", line.c_str());
  }
}

// ---------------------------------------------------------------- active taxa

void tDistancesBlk::set_active_taxa(tTaxaBlk* taxa)
{
  if (matrix_orig.empty()) {
    ntax_orig = taxa->get_ntax_orig();
    if (ntax == ntax_orig) {
      matrix_orig.swap(matrix);
    } else {
      // The rows present do not belong to the full list (they were made for
      // another restriction): nothing of them can be placed.
      const size_t width = static_cast<size_t>(ntax_orig + 1);
      matrix_orig.assign(width * width, UNKNOWN);
      for (int t = 1; t <= ntax_orig; t++)
        matrix_orig[t * width + t] = 0.0;
    }
  }
  set_ntax(taxa->get_ntax());
  const size_t width = static_cast<size_t>(ntax_orig + 1);
  for (int s = 1; s <= ntax; s++)
    for (int t = 1; t <= ntax; t++)
      matrix[index(s, t)] = matrix_orig[taxa->get_tax2orig(s) * width + taxa->get_tax2orig(t)];
}

// ---------------------------------------------------------------- computation

bool tDistancesBlk::compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters)
{
  if (!taxa->valid() || !assumptions->valid())
    return true;
  tUpdate& update = assumptions->update;
  if (_valid && update.check(1)) {
    set_active_taxa(taxa);
    update.post(8);
  }
  if (!update.check(4))
    return true;
  update.unpost(4);

  const char* method = assumptions->method.c_str();
  // The weak clusters are computed from distances too.
  if (!same_token(method, "DSPLITS") && !same_token(method, "DTREE") && !same_token(method, "WCSPLITS") &&
      !same_token(method, "WCTREE") && !same_token(method, "NNET")) {
    _valid = 0;
    return true;
  }
  if (!characters->valid())
    return true;

  // A matrix of another size belongs to another set of taxa.
  if (ntax != taxa->get_ntax())
    set_ntax(taxa->get_ntax());
  offset_triangle_ineq = 0.0;
  message("Computing DISTANCES from CHARACTERS ");
  const char* name = assumptions->transform.c_str();
  const tTransform* transform = nullptr;
  for (const tTransform& t : TRANSFORMS)
    if (same_token(name, t.name) && t.function)
      transform = &t;
  // The old values were made by another transform or from other data.
  _valid = 0;
  if (!transform) {
    warning("Transformation not implemented: %s", name);
    return false;
  }
  if (transform->discounts_constant && assumptions->exclude_constant >= 1)
    characters->compute_const_freq(assumptions->exclude_constant);
  message("%s", transform->text);
  if (!transform->function(taxa, assumptions, characters, this))
    return false;
  message(" done\n");
  _valid = 1;
  check_triangular_inequalities();
  update.post(8);
  return true;
}
