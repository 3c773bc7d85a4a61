#include "blocks/blk_splits.h"

#include <cmath>
#include <cstring>
#include <string>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_spectra.h"
#include "blocks/blk_taxa.h"
#include "blocks/blk_trees.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "core/sets.h"
#include "nexus/nexus.h"
#include "splits/consensus.h"
#include "splits/neighbor_net.h"

namespace {

const char* const BLOCK = "QV_SPLITS";
// Printed lists wrap once an item takes the running count above this.
constexpr int LINE_COUNT = 70;

// Reads "= x" with x a finite number >= 0; signs and exponents stay in the token.
bool read_non_negative(tNexusInput* in, double* value)
{
  if (!in->CompareNextToken("="))
    return false;
  tPunctuationScope scope(in, tNexusInput::LABEL_PUNCTUATION);
  double x = 0.0;
  if (!in->ReadNextTokenDouble(&x) || !std::isfinite(x) || x < 0.0)
    return false;
  *value = x;
  return true;
}

const char* text_of(const std::optional<std::string>& text) { return text ? text->c_str() : ""; }

bool is_compatible(const std::optional<std::string>& text)
{
  return text && same_token(text->c_str(), "compatible");
}

// Edge-weight transforms that replace the weights of a computed system;
// each returns 0 when it could not determine the weights (and says why).
typedef int (*tEdgeFunction)(tSplitsSystem*, tTaxaBlk*, tAssumptionsBlk*, tDistancesBlk*);

struct tEdgeTransform {
  const char* name;
  tEdgeFunction apply;
};

int average(tSplitsSystem* s, tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tDistancesBlk* distances)
{
  return s->iso_max_width(taxa, assumptions, distances);
}
int least_squares(tSplitsSystem* s, tTaxaBlk*, tAssumptionsBlk*, tDistancesBlk* distances)
{
  return s->OLS_isolation_indices(distances);
}
int fm_pow1(tSplitsSystem* s, tTaxaBlk*, tAssumptionsBlk*, tDistancesBlk* distances)
{
  return s->WLS_isolation_indices(distances, 1);
}
int fm_pow2(tSplitsSystem* s, tTaxaBlk*, tAssumptionsBlk*, tDistancesBlk* distances)
{
  return s->WLS_isolation_indices(distances, 2);
}

const tEdgeTransform EDGE_TRANSFORMS[] = {
  {"AVERAGE", average},
  {"LEAST_SQUARES", least_squares},
  {"FM_POW1", fm_pow1},
  {"FM_POW2", fm_pow2},
};

// The block a method computes from.
enum class tInput { distances, spectra, characters, trees };

// How a method's result sets the compatibility text.
enum class tCompat {
  none,               // left to the method
  by_result,          // when it succeeded and the cycle/fit/compatibility are wanted: tested
  compatible,         // always "compatible"
  compatible_if_flag  // "compatible" when it succeeded and they are wanted
};

} // namespace

struct tSplitsBlk::tSources {
  tTaxaBlk* taxa;
  tAssumptionsBlk* assumptions;
  tDistancesBlk* distances;
  tSpectraBlk* spectra;
  tCharactersBlk* characters;
  int compute_cycle_fit_compat;
  const tTreesBlk* trees;
};

struct tSplitsBlk::tMethod {
  const char* name;
  const char* head;          // first log line
  const char* text;          // behind it, REFINE off
  const char* refined_text;  // behind it, REFINE on
  tInput input;
  tCompat compat;
  int (tSplitsBlk::*run)(const tSources&);          // null: not available yet
  int (tSplitsBlk::*run_refined)(const tSources&);  // null: not available yet
};

tSplitsBlk::tSplitsBlk() : splits_system(std::make_unique<tSplitsSystem>()) {}

tSplitsBlk::~tSplitsBlk() = default;

bool tSplitsBlk::compare_name(const char* name) const { return same_token(name, BLOCK); }

void tSplitsBlk::show_usage() const
{
  static const char* const lines[] = {
    "BEGIN QV_SPLITS;\n",
    "    [DIMENSIONS [NTAX=number-of-taxa] [NSPLITS=number-of-splits];]\n",
    "    [FORMAT\n",
    "        [[NO] LABELS]\n",
    "        [[NO] WEIGHTS]\n",
    "        [[NO] SPECTRUM]\n",
    "    ;]\n",
    "    [THRESHOLD=non-negative-number];\n",
    "    [PROPERTIES\n",
    "        [FIT=non-negative-number]\n",
    "        [[{NON|WEAKLY}] COMPATIBLE]\n",
    "        [[NON] CYCLIC]\n",
    "    ;]\n",
    "    [CYCLE [taxon_i_1 taxon_i_2 ... taxon_i_ntax];]\n",
    "    [SPLITSLABELS label_1 label_2 ... label_nsplits;]\n",
    "    MATRIX\n",
    "        [label_1] [weight_1] [split_1,]\n",
    "        [label_2] [weight_2] [split_2,]\n",
    "        ...\n",
    "        [label_nsplits] [weight_nsplits] [split_nsplits,]\n",
    "    ;\n",
    "END;\n",
  };
  for (const char* line : lines)
    message("%s", line);
}

void tSplitsBlk::show_info() const
{
  if (_valid)
    message("Valid QV_SPLITS block: %d %s splits (%s)\n", nsplits, text_of(compatibility), text_of(cyclicity));
  else
    message("No valid QV_SPLITS block\n");
}

void tSplitsBlk::set_label(int n, const char* text)
{
  if (n < 1)
    error("tSplitsBlk::set_label (n=%d): out of range", n);
  if (n > splitslabels.get_n()) {
    const tLabels old = splitslabels;
    splitslabels.set_n(imax(n, nsplits));
    for (int i = 1; i <= old.get_n(); i++)
      if (old.has(i))
        splitslabels.set(i, old.get(i));
  }
  splitslabels.set(n, text);
}

// ---------------------------------------------------------------- derived properties

void tSplitsBlk::compute_compatibility()
{
  if (splits_system->strongly_compatible())
    compatibility = "compatible";
  else if (splits_system->weakly_compatible())
    compatibility = "weakly compatible";
  else
    compatibility = "non compatible";
}

void tSplitsBlk::compute_cyclicity()
{
  cyclicity = splits_system->compute_cyclic_configuration() ? "cyclic" : "non cyclic";
}

void tSplitsBlk::compute_greedy_weak_splits()
{
  tSplitsSystem chosen;
  chosen.greedy_weakly_compatible_splits(splits_system.get());
  replace_by(&chosen);
}

void tSplitsBlk::compute_greedy_strong_splits()
{
  tSplitsSystem chosen;
  chosen.greedy_compatible_splits(splits_system.get());
  replace_by(&chosen);
}

// The selection reorders the splits: each label follows its split.
void tSplitsBlk::replace_by(tSplitsSystem* chosen)
{
  if (has_labels()) {
    std::vector<int> source_of(static_cast<size_t>(chosen->get_n()) + 1, 0);
    for (int i = 1; i <= chosen->get_n(); i++)
      for (int j = 1; j <= splits_system->get_n() && !source_of[i]; j++)
        if (chosen->get_split(i)->split_equal(splits_system->get_split(j)))
          source_of[i] = j;
    relabel(source_of, splitslabels);
  }
  splits_system->move_splits(chosen);
  nsplits = splits_system->get_n();
}

// Split i gets label source_of[i] of `from` (none for 0).
void tSplitsBlk::relabel(const std::vector<int>& source_of, tLabels from)
{
  splitslabels.clear();
  if (from.get_n() == 0)
    return;
  const int n = static_cast<int>(source_of.size()) - 1;
  splitslabels.set_n(n);
  for (int i = 1; i <= n; i++)
    if (from.has(source_of[i]))
      splitslabels.set(i, from.get(source_of[i]));
}

// ---------------------------------------------------------------- reading

void tSplitsBlk::reset_format()
{
  labels = 1;
  weights = 1;
  spectrum = 0;
  threshold = 0.0;
  fit = 0.0;
  compatibility.reset();
  cyclicity.reset();
  splitslabels.clear();
  splits_system->minimal_rest = 2;
}

void tSplitsBlk::forget_orig()
{
  splits_system_orig.reset();
  ntax_orig = 0;
  nsplits_orig = 0;
  fit_orig = 0.0;
  cyclicity_orig.reset();
  compatibility_orig.reset();
  splitslabels_orig.clear();
  induce_pending = false;
}

int tSplitsBlk::read(tNexusInput* in, tTaxaBlk* taxa)
{
  if (!taxa->valid())
    return in->Error(BLOCK, "Must be preceeded by TAXA-block");
  ntax = taxa->get_ntax();
  _valid = 0;
  reset_format();
  if (!in->CompareNextToken(";"))
    return in->Error(BLOCK, "Missing ';'");

  bool nsplits_given = false;
  bool compatibility_given = false;
  bool cycle_read = false;
  bool matrix_read = false;
  for (;;) {
    const char* token = in->NextToken();
    if (!token)
      return in->Error(BLOCK, "Unexpected EOF");
    if (in->CurrentTokenIsEnd())
      break;
    int ok;
    if (in->CompareCurrentToken("DIMENSIONS")) {
      ok = read_dimensions(in, &nsplits_given);
    } else if (in->CompareCurrentToken("FORMAT")) {
      ok = read_format(in);
    } else if (in->CompareCurrentToken("MINIMAL_REST")) {
      ok = read_minimal_rest(in);
    } else if (in->CompareCurrentToken("THRESHOLD")) {
      ok = read_threshold(in);
    } else if (in->CompareCurrentToken("PROPERTIES")) {
      ok = read_properties(in, &compatibility_given);
    } else if (in->CompareCurrentToken("CYCLE")) {
      ok = read_cycle(in, taxa, &cycle_read);
    } else if (in->CompareCurrentToken("SPLITSLABELS")) {
      // Written before the MATRIX: NSPLITS tells how many labels follow.
      ok = read_splitslabels(in, !matrix_read && nsplits_given ? nsplits : splits_system->get_n());
    } else if (in->CompareCurrentToken("MATRIX")) {
      ok = read_matrix(in, taxa, nsplits_given, compatibility_given, cycle_read);
      matrix_read = matrix_read || ok;
    } else {
      return in->Error(BLOCK, "Unknown command: %s", token);
    }
    if (!ok)
      return 0;
  }
  if (!matrix_read)
    return in->Error(BLOCK, "Didn't find MATRIX");
  if (!splits_system->has_cycle()) {
    compute_cyclicity();
    message("QV_SPLITS: %s\n", text_of(cyclicity));
  }
  return 1;
}

int tSplitsBlk::read_dimensions(tNexusInput* in, bool* nsplits_given)
{
  const char* where = "QV_SPLITS-dimensions";
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
    } else if (in->CompareCurrentToken("NSPLITS")) {
      int n = 0;
      // 0 is what a method that found no split writes.
      if (!in->CompareNextToken("=") || !in->ReadNextTokenInt(&n) || n < 0)
        return in->Error(where, "Bad NSPLITS command");
      nsplits = n;
      *nsplits_given = true;
    } else {
      return in->Error(where, "Didn't find ';'");
    }
  }
}

int tSplitsBlk::read_format(tNexusInput* in)
{
  const char* where = "QV_SPLITS-format";
  for (;;) {
    const char* token = in->NextToken();
    if (!token)
      return in->Error(where, "Unexpected EOF");
    if (in->CompareCurrentToken(";"))
      break;
    if (in->CompareCurrentToken("LABELS")) {
      labels = 1;
    } else if (in->CompareCurrentToken("WEIGHTS")) {
      weights = 1;
    } else if (in->CompareCurrentToken("SPECTRUM")) {
      if (ntax > MAX_NTAX_SPECTRUM)
        return in->Error(where, "Maximal number of taxa for SPECTRUM format is: %d", MAX_NTAX_SPECTRUM);
      spectrum = 1;
    } else if (in->CompareCurrentToken("NO")) {
      in->NextToken();
      if (in->CompareCurrentToken("LABELS"))
        labels = 0;
      else if (in->CompareCurrentToken("WEIGHTS"))
        weights = 0;
      else if (in->CompareCurrentToken("SPECTRUM"))
        spectrum = 0;
      else
        return in->Error(where, "Usage: NO {LABELS|WEIGHTS|SPECTRUM}");
    } else {
      return in->Error(where, "Unknown command: %s", token);
    }
  }
  if (spectrum && !weights && !labels)
    return in->Error(where, "SPECTRUM: Must not specify both NO WEIGHTS and NO LABELS");
  return 1;
}

int tSplitsBlk::read_minimal_rest(tNexusInput* in)
{
  int n = -1;
  if (!in->CompareNextToken("=") || !in->ReadNextTokenInt(&n) || n < 0 || n > 2 || !in->CompareNextToken(";"))
    return in->Error(BLOCK, "Usage: MINIMAL_REST={0|1|2};");
  splits_system->minimal_rest = n;
  return 1;
}

int tSplitsBlk::read_threshold(tNexusInput* in)
{
  double x = 0.0;
  if (!read_non_negative(in, &x) || !in->CompareNextToken(";"))
    return in->Error(BLOCK, "Usage: THRESHHOLD=non-negative-number;");
  threshold = x;
  return 1;
}

int tSplitsBlk::read_properties(tNexusInput* in, bool* compatibility_given)
{
  const char* where = "QV_SPLITS-properties";
  for (;;) {
    const char* token = in->NextToken();
    if (!token)
      return in->Error(where, "Unexpected EOF");
    if (in->CompareCurrentToken(";"))
      return 1;
    if (in->CompareCurrentToken("FIT")) {
      double x = 0.0;
      if (!read_non_negative(in, &x))
        return in->Error(where, "Usage: FIT=non-negative-number;");
      fit = x;
    } else if (in->CompareCurrentToken("COMPATIBLE")) {
      compatibility = "compatible";
      *compatibility_given = true;
    } else if (in->CompareCurrentToken("WEAKLY")) {
      if (!in->CompareNextToken("COMPATIBLE"))
        return in->Error(where, "Usage: WEAKLY COMPATIBLE");
      compatibility = "weakly compatible";
      *compatibility_given = true;
    } else if (in->CompareCurrentToken("NON")) {
      const char* word = in->NextToken();
      if (!word)
        return in->Error(where, "Unexpected EOF");
      if (in->CompareCurrentToken("COMPATIBLE")) {
        compatibility = "non compatible";
        *compatibility_given = true;
      } else if (in->CompareCurrentToken("CYCLIC")) {
        cyclicity = "non cyclic";
      } else {
        return in->Error(where, "Unknown command: NON %s", word);
      }
    } else if (in->CompareCurrentToken("CYCLIC")) {
      cyclicity = "cyclic";
    } else {
      return in->Error(where, "Unknown command: %s", token);
    }
  }
}

int tSplitsBlk::read_cycle(tNexusInput* in, const tTaxaBlk* taxa, bool* cycle_read)
{
  const char* where = "QV_SPLITS-cycle";
  tPunctuationScope scope(in, tNexusInput::LABEL_PUNCTUATION);
  std::vector<int> cycle(static_cast<size_t>(ntax) + 1, 0);
  std::vector<char> placed(static_cast<size_t>(ntax) + 1, 0);
  int n = 0;
  for (;;) {
    const char* token = in->NextToken();
    if (!token)
      return in->Error(where, "Unexpected EOF");
    if (in->CompareCurrentToken(";"))
      break;
    if (n >= ntax)
      return in->Error(where, "Too many taxa");
    int t = 0;
    if (!in->ReadCurrentTokenInt(&t) || t < 1 || t > ntax)
      t = taxa->label2n(token);
    if (t < 1 || t > ntax)
      return in->Error(where, "Taxon expected (found: %s)", token);
    // The drawing walks the cycle once around: every taxon exactly once.
    if (placed[t])
      return in->Error(where, "Taxon listed twice: %s", token);
    placed[t] = 1;
    cycle[++n] = t;
  }
  if (n == 0) {
    splits_system->cycle.clear();
    *cycle_read = false;
    return 1;
  }
  if (n < ntax)
    return in->Error(where, "Too few taxon");
  splits_system->cycle.swap(cycle);
  *cycle_read = true;
  return 1;
}

int tSplitsBlk::read_splitslabels(tNexusInput* in, int n)
{
  const char* where = "QV_SPLITS-splitslabels";
  tPunctuationScope scope(in, tNexusInput::LABEL_PUNCTUATION);
  splitslabels.set_n(n);
  int i = 0;
  for (;;) {
    const char* token = in->NextToken();
    if (!token)
      return in->Error(where, "Unexpected EOF");
    if (in->CompareCurrentToken(";"))
      return 1;
    if (++i > n)
      return in->Error(where, "Too many labels");
    splitslabels.set(i, token);
  }
}

int tSplitsBlk::read_matrix(tNexusInput* in, tTaxaBlk* taxa, bool nsplits_given, bool compatibility_given,
                            bool cycle_read)
{
  // New splits replace the old ones and the full copy kept for the active
  // taxa; a cycle given by this block before its MATRIX belongs to the new
  // splits and stays.
  std::vector<int> cycle;
  if (cycle_read)
    cycle = splits_system->cycle;
  splits_system->clear();
  splits_system->cycle.swap(cycle);
  forget_orig();
  if (!nsplits_given)
    nsplits = 0;
  _valid = 0;

  const tLabels row_labels = splitslabels;
  std::vector<int> kept_rows(1, 0);
  const int ok = spectrum ? read_spectrum(in, nsplits_given, &kept_rows)
                          : read_splits(in, taxa, nsplits_given, &kept_rows);
  if (!ok)
    return 0;
  // Labels belong to rows; dropped rows must not shift them onto other splits.
  relabel(kept_rows, row_labels);

  _valid = 1;
  if (!compatibility_given)
    compute_compatibility();
  message("QV_SPLITS: %s\n", text_of(compatibility));
  if (same_token(text_of(compatibility), "non compatible")) {
    compute_greedy_weak_splits();
    compatibility = splits_system->strongly_compatible() ? "compatible" : "weakly compatible";
    message("QV_SPLITS: GREEDILY chose system of %d %s splits\n", nsplits, text_of(compatibility));
    compute_cyclicity();
  }
  return 1;
}

int tSplitsBlk::read_splits(tNexusInput* in, tTaxaBlk* taxa, bool nsplits_given, std::vector<int>* kept_rows)
{
  const char* where = "QV_SPLITS-matrix";
  if (splits_system->get_n() != 0)
    error("read_splits(): non zero splits system %d", splits_system->get_n());
  splits_system->set_ntax(ntax);
  // Labels and weights may carry a minus sign; within a split it marks a range.
  const std::string split_punct = std::string(tNexusInput::LABEL_PUNCTUATION) + "-";
  const char* row_punct = (labels || weights) ? tNexusInput::LABEL_PUNCTUATION : split_punct.c_str();
  tPunctuationScope scope(in, row_punct);
  tSet split(ntax);
  int row = 0;
  int discarded = 0;
  for (;;) {
    in->SetPunctuationChars(row_punct);
    if (!in->NextToken())
      return in->Error(where, "Expected ';'");
    if (in->CompareCurrentToken(";"))
      break;
    row++;
    if (labels) {
      const std::string expected = get_label(row);
      if (std::strcmp(in->CurrentToken(), expected.c_str()) != 0)
        return in->Error(where, "Inconsistent labels: %s vs. %s", in->CurrentToken(), expected.c_str());
      if (weights)
        in->NextToken();
    }
    double w = 1.0;
    if (weights && (!in->ReadCurrentTokenDouble(&w) || !std::isfinite(w)))
      return in->Error(where, "Weight expected in row: %d", row);
    in->SetPunctuationChars(split_punct.c_str());
    if (labels || weights)
      in->NextToken();
    if (!read_split(in, taxa, &split, ntax, ","))
      return in->Error(where, "Couldn't read split in row: %d", row);
    // "NONE ;" ends the matrix together with its row.
    const bool last = in->CompareCurrentToken(";");
    if (split.split_size() == 0) {
      warning("Input contains split of size zero");
    } else if (!(w > threshold)) {
      discarded++;
    } else {
      const int n = splits_system->append_split(&split, w);
      int same = 0;
      for (int j = 1; j < n && !same; j++)
        if (splits_system->get_split(j)->split_equal(splits_system->get_split(n)))
          same = j;
      if (same) {
        warning("Same split in rows %d and %d, ignoring latter", same, n);
        splits_system->pop_split();
      } else {
        kept_rows->push_back(row);
      }
    }
    if (last)
      break;
  }
  const int kept = splits_system->get_n();
  report_rows(nsplits_given, kept + discarded);
  if (discarded)
    message("QV_SPLITS: Read %d splits total, discarded %d under threshold\n", kept + discarded, discarded);
  else
    message("QV_SPLITS: Read %d splits total\n", kept + discarded);
  return 1;
}

int tSplitsBlk::read_spectrum(tNexusInput* in, bool nsplits_given, std::vector<int>* kept_rows)
{
  const char* where = "QV_SPLITS-matrix";
  if (splits_system->get_n() != 0)
    error("read_spectrum(): non zero splits system %d", splits_system->get_n());
  splits_system->set_ntax(ntax);
  tPunctuationScope scope(in, tNexusInput::LABEL_PUNCTUATION);
  tSet split(ntax);
  int row = 0;
  int discarded = 0;
  for (;;) {
    if (!in->NextToken())
      return in->Error(where, "Unexpected EOF");
    if (in->CompareCurrentToken(";"))
      break;
    row++;
    int code = row - 1;
    double w = 1.0;
    if (labels) {
      // A code with bits above the taxa would silently name another split.
      if (!in->ReadCurrentTokenInt(&code) || code < 0 || code >= (1 << ntax))
        return in->Error(where, "Number encoding set expected");
      if (weights && (!in->ReadNextTokenDouble(&w) || !std::isfinite(w)))
        return in->Error(where, "Weight expected in row: %d", row);
    } else if (!in->ReadCurrentTokenDouble(&w) || !std::isfinite(w)) {
      return in->Error(where, "Weight expected in row: %d", row);
    }
    split.binary2set(ntax, code);
    if (split.split_size() == 0)
      continue;
    if (!(w > threshold)) {
      discarded++;
      continue;
    }
    const int n = splits_system->append_split(&split, w);
    int same = 0;
    for (int j = 1; j < n && !same; j++)
      if (splits_system->get_split(j)->split_equal(splits_system->get_split(n)))
        same = j;
    if (same) {
      warning("Identical splits in rows %d and %d, ignoring the latter one", same, n);
      splits_system->pop_split();
    } else {
      kept_rows->push_back(row);
    }
  }
  const int kept = splits_system->get_n();
  report_rows(nsplits_given, kept + discarded);
  if (discarded)
    message("QV_SPLITS: Read %d splits total, discarded %d small ones\n", kept + discarded, discarded);
  return 1;
}

void tSplitsBlk::report_rows(bool nsplits_given, int rows)
{
  if (nsplits_given && nsplits != rows)
    warning("Expected (nsplits=%d) rows, found %d", nsplits, rows);
  nsplits = splits_system->get_n();
}

bool read_split(tNexusInput* in, const tTaxaBlk* taxa, tSet* split, int ntax, const char* terminators)
{
  split->resize(ntax);
  split->make_emptyset();
  auto label_of = [taxa, ntax](const char* token) {
    const int t = taxa ? taxa->label2n(token) : 0;
    return t >= 1 && t <= ntax ? t : 0;
  };
  if (in->CompareCurrentToken("NONE")) {
    in->NextToken();
    if (in->CompareCurrentToken(";"))
      return true;
    // A taxon may be called NONE.
    const int t = label_of("NONE");
    if (!t) {
      const char* token = in->CurrentToken();
      return token && std::strpbrk(token, terminators) != nullptr;
    }
    split->insert(t);
  }
  for (;;) {
    const char* token = in->CurrentToken();
    if (!token)
      return false;
    int a = 0;
    if (!in->ReadCurrentTokenInt(&a) || a < 1 || a > ntax) {
      const int t = label_of(token);
      if (!t)
        return std::strpbrk(token, terminators) != nullptr;
      split->insert(t);
      in->NextToken();
      continue;
    }
    in->NextToken();
    if (!in->CompareCurrentToken("-")) {
      split->insert(a);
      continue;
    }
    in->NextToken();
    int b = 0;
    if (in->CompareCurrentToken("."))
      b = ntax;
    else if (!in->ReadCurrentTokenInt(&b) || b < 1 || b > ntax)
      return false;
    for (int x = a; x <= b; x++)
      split->insert(x);
    in->NextToken();
  }
}

// ---------------------------------------------------------------- printing

int tSplitsBlk::print(tNexusOutput* out, const tTaxaBlk* taxa) const
{
  (void)taxa;
  if (!_valid) {
    message("No valid QV_SPLITS block\n");
    return 0;
  }
  if (!out)
    return 0;
  out->Print("BEGIN qv_splits;\n");
  out->Print("    DIMENSIONS ntax=%d nsplits=%d;\n", ntax, nsplits);
  out->Print("    FORMAT\n");
  // Spectrum rows always start with their codes, which a reader takes for labels.
  out->Print(labels || spectrum ? "        labels\n" : "        no labels\n");
  out->Print(weights ? "        weights\n" : "        no weights\n");
  if (spectrum)
    out->Print("        spectrum\n");
  out->Print("    ;\n");
  if (splits_system->minimal_rest != 2)
    out->Print("    MINIMAL_REST=%d;\n", splits_system->minimal_rest);
  if (threshold != 0.0)
    out->Print("    THRESHOLD=%G;\n", threshold);
  if (compatibility || cyclicity || fit != 0.0) {
    out->Print("    PROPERTIES\n");
    if (fit != 0.0)
      out->Print("        FIT=%G\n", fit);
    if (compatibility)
      out->Print("        %s\n", compatibility->c_str());
    if (cyclicity)
      out->Print("        %s\n", cyclicity->c_str());
    out->Print("    ;\n");
  }
  if (splits_system->has_cycle()) {
    // Counted from behind the indent, as the rows and their continuations are.
    int count = out->Print("    CYCLE") - 4;
    for (int i = 1; i <= splits_system->get_ntax(); i++) {
      count += out->Print(" %d", splits_system->cycle[i]);
      if (count > LINE_COUNT) {
        out->Print("\n    ");
        count = 0;
      }
    }
    out->Print(";\n");
  }
  if (has_labels()) {
    int count = out->Print("    SPLITSLABELS") - 4;
    for (int n = 1; n <= nsplits; n++) {
      count += out->Print(" %s", nexus_label(get_label(n)).c_str());
      if (count > LINE_COUNT) {
        out->Print("\n    ");
        count = 0;
      }
    }
    out->Print(";\n");
  }
  out->Print("    MATRIX\n");
  if (spectrum)
    print_spectrum(out);
  else
    print_splits(out);
  out->Print("    ;\n");
  out->Print("END;\n");
  return 1;
}

void tSplitsBlk::print_splits(tNexusOutput* out) const
{
  const int width = splitslabels.max_label_length();
  const int n_taxa = splits_system->get_ntax();
  for (int n = 1; n <= splits_system->get_n(); n++) {
    int count = 4;
    if (labels) {
      count = out->Print("    %s ", nexus_label(get_label(n)).c_str()) - 4;
      for (; count <= width; count++)
        out->Print(" ");
    } else {
      out->Print("    ");
    }
    if (weights) {
      count += out->Print(" %G", splits_system->get_weight(n));
      for (; count < width + 8; count++)
        out->Print(" ");
    }
    count += out->Print("\t");
    // The smaller side, so that a split reads the same whichever side was stored.
    const tSet* side = splits_system->get_split(n);
    const bool other = side->size() > n_taxa / 2;
    for (int t = 1; t <= n_taxa; t++) {
      if (side->is_element(t) == other)
        continue;
      count += out->Print(" %d", t);
      if (count > LINE_COUNT) {
        out->Print("\n    ");
        count = 0;
      }
    }
    out->Print(",\n");
  }
}

void tSplitsBlk::print_spectrum(tNexusOutput* out) const
{
  if (!labels)
    warning("FORMAT SPECTRUM NO LABELS not implemented, ignoring NO LABELS");
  for (int n = 1; n <= splits_system->get_n(); n++) {
    out->Print("%12d", splits_system->get_split(n)->set2binary());
    if (weights)
      out->Print(" %G", splits_system->get_weight(n));
    out->Print("\n");
  }
}

// ---------------------------------------------------------------- active taxa

void tSplitsBlk::set_active_taxa(tTaxaBlk* taxa, tAssumptionsBlk* assumptions)
{
  const int full = taxa->get_ntax_orig();
  const int minimal_rest = splits_system->minimal_rest;
  // A full copy over another taxon list (none can arise while the TAXA block
  // stays) is of no use: the current data are saved instead.
  if (splits_system_orig && splits_system_orig->get_ntax() != full)
    forget_orig();
  if (!splits_system_orig) {
    nsplits_orig = nsplits;
    ntax_orig = ntax;
    fit_orig = fit;
    cyclicity_orig = cyclicity;
    compatibility_orig = compatibility;
    splitslabels_orig = splitslabels;
    if (splits_system->get_ntax() == full) {
      splits_system_orig = std::move(splits_system);
    } else {
      // Splits made for another set of taxa cannot be placed on the full list.
      splits_system_orig = std::make_unique<tSplitsSystem>();
      splits_system_orig->set_ntax(full);
    }
  }
  splits_system = std::make_unique<tSplitsSystem>();
  splits_system->minimal_rest = minimal_rest;
  ntax = taxa->get_ntax();
  splits_system->set_ntax(ntax);
  nsplits = 0;
  splitslabels.clear();
  if (assumptions->update.check(8)) {
    // The splits are about to be recomputed for the active taxa.
    induce_pending = true;
    return;
  }
  induce_active(taxa);
}

void tSplitsBlk::induce_active(tTaxaBlk* taxa)
{
  induce_pending = false;
  message("Determining induced QV_SPLITS:");
  const tSplitsSystem* orig = splits_system_orig.get();
  const int full = orig->get_ntax();
  tSet support(full);
  for (int t = 1; t <= ntax; t++) {
    const int o = taxa->get_tax2orig(t);
    if (o >= 1 && o <= full)
      support.insert(o);
  }
  if (support.size() != ntax)
    error("tSplitsBlk::set_active_taxa(): size(A)=%d != ntax=%d", support.size(), ntax);
  splits_system->induce(orig, &support);
  nsplits = splits_system->get_n();

  if (splitslabels_orig.get_n() > 0) {
    // Split i keeps the label of the first full split that it restricts.
    std::vector<int> map_back(static_cast<size_t>(ntax) + 1, 0);
    for (int o = 1, k = 0; o <= full; o++)
      if (support.is_element(o))
        map_back[++k] = o;
    std::vector<int> source_of(static_cast<size_t>(nsplits) + 1, 0);
    tSet restricted(ntax);
    for (int j = 1; j <= orig->get_n(); j++) {
      restricted.make_emptyset();
      for (int k = 1; k <= ntax; k++)
        if (orig->get_split(j)->is_element(map_back[k]))
          restricted.insert(k);
      for (int i = 1; i <= nsplits; i++)
        if (!source_of[i] && restricted.split_equal(splits_system->get_split(i)))
          source_of[i] = j;
    }
    relabel(source_of, splitslabels_orig);
  }

  // Judged from the full system's text each time, never from an earlier restriction's.
  compatibility = compatibility_orig;
  if (!is_compatible(compatibility) && splits_system->strongly_compatible())
    compatibility = "compatible";
  message(" %d %s\n", nsplits, text_of(compatibility));
  compute_cyclicity();
}

// ---------------------------------------------------------------- computation

const tSplitsBlk::tMethod* tSplitsBlk::find_method(const char* name)
{
  static const char* const FROM_DISTANCES = "Computing QV_SPLITS from DISTANCES ";
  static const char* const FROM_CHARACTERS = "Computing QV_SPLITS from CHARACTERS ";
  static const tMethod methods[] = {
    {"DSPLITS", FROM_DISTANCES, "(Split Decomposition): ", "(Refined Split Decomposition): ", tInput::distances,
     tCompat::by_result, &tSplitsBlk::run_split_decomposition, &tSplitsBlk::run_refined_weak},
    {"DTREE", FROM_DISTANCES, "(Buneman Tree): ", "(Refined Buneman Tree): ", tInput::distances,
     tCompat::compatible, &tSplitsBlk::run_buneman_tree, &tSplitsBlk::run_refined},
    {"WCSPLITS", FROM_DISTANCES, "(Weak clusters, greedily): ", "(Weak clusters, greedily): ", tInput::distances,
     tCompat::none, &tSplitsBlk::run_weak_clusters, &tSplitsBlk::run_weak_clusters},
    {"WCTREE", FROM_DISTANCES, "(Weak clusters, tree, greedily): ", "(Weak clusters, tree, greedily): ",
     tInput::distances, tCompat::compatible_if_flag, &tSplitsBlk::run_weak_clusters_tree,
     &tSplitsBlk::run_weak_clusters_tree},
    {"SPECTRAL", "Computing QV_SPLITS from QV_SPECTRA (weak, greedily):", "", "", tInput::spectra,
     tCompat::by_result, &tSplitsBlk::run_spectral, &tSplitsBlk::run_spectral},
    {"STREE", "Computing QV_SPLITS from QV_SPECTRA (tree, greedily):", "", "", tInput::spectra,
     tCompat::compatible, &tSplitsBlk::run_spectral_tree, &tSplitsBlk::run_spectral_tree},
    {"PSPLITS", FROM_CHARACTERS, "(Parsimony Splits): ", "(Refined Parsimony Splits): ", tInput::characters,
     tCompat::by_result, &tSplitsBlk::run_parsimony_splits, &tSplitsBlk::run_refined_weak},
    {"PTREE", "Computing QV_SPLITS from CHARACTERS:", " (Parsimony Splits-Tree): ",
     "(Refined Parsimony Splits-Tree): ", tInput::characters, tCompat::compatible,
     &tSplitsBlk::run_parsimony_tree, &tSplitsBlk::run_refined},
    {"LSPLITS", FROM_CHARACTERS, "(Likelyhood Splits): ", "(Refined Likelyhood Splits): ", tInput::characters,
     tCompat::none, &tSplitsBlk::run_likelihood, &tSplitsBlk::run_likelihood},
    {"NNET", FROM_DISTANCES, "(Neighbor-Net): ", "(Neighbor-Net): ", tInput::distances, tCompat::none,
     &tSplitsBlk::run_neighbor_net, &tSplitsBlk::run_neighbor_net},
    {"CONSENSUS", "Computing QV_SPLITS from TREES (Consensus Network):", "", "", tInput::trees, tCompat::none,
     &tSplitsBlk::run_consensus, &tSplitsBlk::run_consensus},
    {"TREE", "Computing QV_SPLITS from TREES (one tree):", "", "", tInput::trees, tCompat::compatible,
     &tSplitsBlk::run_single_tree, &tSplitsBlk::run_single_tree},
    {"LTREE", FROM_CHARACTERS, "(Likelyhood Tree): ", "(Refined Likelyhood Tree): ", tInput::characters,
     tCompat::compatible, &tSplitsBlk::run_likelihood, &tSplitsBlk::run_likelihood},
  };
  for (const tMethod& m : methods)
    if (same_token(name, m.name))
      return &m;
  return nullptr;
}

int tSplitsBlk::run_split_decomposition(const tSources& src)
{
  return splits_system->split_decomposition(src.taxa, src.assumptions, src.distances);
}

int tSplitsBlk::run_buneman_tree(const tSources& src)
{
  return splits_system->buneman_tree(src.taxa, src.assumptions, src.distances);
}

// Two arcs of the ordering found are compatible exactly when they do not
// cross, which is far quicker to test than the general rule.
int tSplitsBlk::run_neighbor_net(const tSources& src)
{
  if (!splits_system->neighbor_net(src.taxa, src.assumptions, src.distances))
    return 0;
  if (src.compute_cycle_fit_compat)
    compatibility = circular_splits_compatible(splits_system.get()) ? "compatible" : "weakly compatible";
  return 1;
}

// A circular method's ordering is its cycle: searching for one anew could
// only find another order of the same arcs, at a cost exponential in the
// worst case.
void tSplitsBlk::keep_cycle()
{
  const tSplitsSystem* s = splits_system.get();
  bool arcs = s->has_cycle() && static_cast<int>(s->cycle.size()) == s->get_ntax() + 1;
  for (int i = 1; arcs && i <= s->get_n(); i++)
    arcs = !(s->get_weight(i) > 0.0) || s->is_arc(i);
  if (!arcs) {
    compute_cyclicity();
    return;
  }
  splits_system->is_cyclic = 1;
  cyclicity = "cyclic";
}

int tSplitsBlk::run_parsimony_splits(const tSources& src)
{
  return splits_system->parsimony_splits(src.assumptions, src.characters);
}

int tSplitsBlk::run_parsimony_tree(const tSources& src)
{
  return splits_system->parsimony_splits_tree(src.assumptions, src.characters);
}

int tSplitsBlk::run_refined(const tSources& src)
{
  return splits_system->compute_splits(src.taxa, src.assumptions, src.characters, src.distances);
}

int tSplitsBlk::run_refined_weak(const tSources& src)
{
  if (!run_refined(src))
    return 0;
  compute_greedy_weak_splits();
  return 1;
}

int tSplitsBlk::run_weak_clusters(const tSources& src)
{
  tSplitsSystem clusters;
  const int ok = clusters.compute_wc(src.taxa, src.assumptions, src.distances);
  if (ok)
    splits_system->greedy_weakly_compatible_splits(&clusters);
  message(" %d", clusters.get_n());
  compatibility = splits_system->strongly_compatible() ? "compatible" : "weakly compatible";
  message(" --> %d %s\n", splits_system->get_n(), text_of(compatibility));
  return ok;
}

int tSplitsBlk::run_weak_clusters_tree(const tSources& src)
{
  tSplitsSystem clusters;
  const int ok = clusters.compute_wc(src.taxa, src.assumptions, src.distances);
  message(" %d", clusters.get_n());
  if (ok) {
    splits_system->greedy_compatible_splits(&clusters);
    if (src.compute_cycle_fit_compat)
      compatibility = "compatible";
  }
  message(" --> %d %s\n", splits_system->get_n(), text_of(compatibility));
  return ok;
}

// Spectra over other taxa than these (not restricted to the active ones)
// say nothing about their splits.
bool tSplitsBlk::spectra_usable(const tSources& src) const
{
  if (src.spectra->valid() && src.spectra->get_ntax() == ntax)
    return true;
  message(" no valid QV_SPECTRA block for these %d taxa\n", ntax);
  return false;
}

int tSplitsBlk::run_spectral(const tSources& src)
{
  if (!spectra_usable(src))
    return 0;
  splits_system->greedy_weakly_compatible_splits_spectra(src.spectra);
  return 1;
}

int tSplitsBlk::run_spectral_tree(const tSources& src)
{
  if (!spectra_usable(src))
    return 0;
  splits_system->greedy_compatible_splits_spectra(src.spectra);
  return 1;
}

int tSplitsBlk::run_likelihood(const tSources&)
{
  message("not implemented");
  return 0;
}

int tSplitsBlk::run_consensus(const tSources& src)
{
  std::string why;
  if (!consensus_splits(splits_system.get(), src.trees, src.taxa, src.assumptions->consensus_threshold,
                        src.assumptions->consensus_weight.c_str(), &why)) {
    message(" %s\n", why.c_str());
    warning("Consensus network: %s", why.c_str());
    return 0;
  }
  if (src.compute_cycle_fit_compat)
    compatibility = splits_system->strongly_compatible() ? "compatible"
                    : splits_system->weakly_compatible() ? "weakly compatible"
                                                         : "non compatible";
  return 1;
}

int tSplitsBlk::run_single_tree(const tSources& src)
{
  std::string why;
  if (single_tree_splits(splits_system.get(), src.trees, src.taxa, src.assumptions->tree_number, &why))
    return 1;
  message(" %s\n", why.c_str());
  warning("Tree: %s", why.c_str());
  return 0;
}

int tSplitsBlk::run_method(const tMethod* method, const tSources& src)
{
  const bool refine = src.assumptions->refine != 0;
  const char* text = refine ? method->refined_text : method->text;
  message("%s", method->head);
  if (*text)
    message("%s", text);
  const auto run = refine ? method->run_refined : method->run;
  int ok = 0;
  if (run)
    ok = (this->*run)(src);
  else
    message("Method %s not implemented\n", method->name);
  switch (method->compat) {
  case tCompat::none:
    break;
  case tCompat::by_result:
    if (ok && src.compute_cycle_fit_compat)
      compatibility = splits_system->strongly_compatible() ? "compatible" : "weakly compatible";
    break;
  case tCompat::compatible:
    compatibility = "compatible";
    break;
  case tCompat::compatible_if_flag:
    if (ok && src.compute_cycle_fit_compat)
      compatibility = "compatible";
    break;
  }
  return ok;
}

// Greedy tree, edge transform, fit and cycle of a computed or reweighted
// system. Returns 0 when a step could not be carried out.
int tSplitsBlk::post_process(const tSources& src, bool* post_8)
{
  tAssumptionsBlk* assumptions = src.assumptions;
  tUpdate& update = assumptions->update;
  if (assumptions->greedy_tree) {
    if (!src.compute_cycle_fit_compat)
      compatibility = splits_system->strongly_compatible() ? "compatible" : "weakly compatible";
    if (!is_compatible(compatibility)) {
      message("Computing compatible sub-system (GREEDY TREE):");
      compute_greedy_strong_splits();
      compatibility = "compatible";
      message(" %d\n", nsplits);
    }
  }

  if (src.distances->valid()) {
    const char* name = assumptions->edge_transform.c_str();
    if (same_token(name, "FM_MATRIX")) {
      warning("edge_transform=FM_MATRIX: Not implemented\n");
      note_failure();
      assumptions->edge_transform = "NONE";
      *post_8 = true;
    } else {
      for (const tEdgeTransform& t : EDGE_TRANSFORMS) {
        if (!same_token(name, t.name))
          continue;
        if (!t.apply(splits_system.get(), src.taxa, assumptions, src.distances))
          return 0;
        update.post(16);
      }
    }
  }

  if (src.compute_cycle_fit_compat) {
    // Distances of another set of taxa say nothing about these splits.
    if (src.distances->valid() && !same_token(assumptions->transform.c_str(), "NONE") &&
        src.distances->get_ntax() == splits_system->get_ntax()) {
      message("Fit:");
      fit = splits_system->compute_fit(src.distances);
      message("%G\n", fit);
    }
    if (same_token(assumptions->method.c_str(), "NNET"))
      keep_cycle();
    else
      compute_cyclicity();
  }
  update.post(16);
  return 1;
}

bool tSplitsBlk::compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tDistancesBlk* distances, tSpectraBlk* spectra,
                         tCharactersBlk* characters, int compute_cycle_fit_compat, const tTreesBlk* trees)
{
  tUpdate& update = assumptions->update;
  const tSources src{taxa, assumptions, distances, spectra, characters, compute_cycle_fit_compat, trees};
  int ok = taxa->valid() && assumptions->valid();
  if (ok && _valid && update.check(1))
    set_active_taxa(taxa, assumptions);
  else if (!update.check(8 | 128))
    return true;
  const bool attempted = ok;

  if (ok && update.check(8)) {
    const char* name = assumptions->method.c_str();
    const tMethod* method = find_method(name);
    if (same_token(name, "NONE"))
      ok = 0;
    else if (method && method->input == tInput::distances)
      ok = distances->valid();
    else if (method && method->input == tInput::spectra)
      // With characters the spectra were due: when there are none for these
      // taxa, the method says why and fails rather than leaving old splits.
      ok = (spectra->valid() && spectra->get_ntax() == taxa->get_ntax()) || characters->valid();
    else if (method && method->input == tInput::characters)
      ok = characters->valid();
    else if (method && method->input == tInput::trees)
      ok = trees && trees->valid();
    if (!ok) {
      update.unpost(8);
      update.post(16);
      // Without a recomputation the restriction must still take place.
      if (induce_pending)
        induce_active(taxa);
      return true;
    }

    induce_pending = false;
    // Always the TAXA block's count: the taxa may have been narrowed while
    // this block was not valid.
    ntax = taxa->get_ntax();
    fit = 0.0;
    compatibility = "";
    splitslabels.clear();
    // The reading filter and a weightless format belonged to the data
    // replaced here; kept, they would lose these splits or their weights
    // when the block is saved and read back.
    threshold = 0.0;
    weights = 1;
    splits_system->clear();
    splits_system->set_ntax(ntax);
    if (method) {
      ok = run_method(method, src);
    } else {
      warning("Unknown method=%s", name);
      ok = 0;
    }
    if (ok) {
      nsplits = splits_system->get_n();
      _valid = 1;
      message(" %d %s\n", nsplits, text_of(compatibility));
    }
    if (ok && assumptions->adjust)
      ok = splits_system->adjust_isolation_indices(assumptions, characters, distances);
  }

  bool post_8 = false;
  // Post-processing needs splits: a block that holds none has nothing to reweight.
  if (ok && _valid && update.check(8 | 128))
    ok = post_process(src, &post_8);

  if (!ok) {
    discard();
    // The picture of the lost splits is out of date.
    update.post(16);
  }
  update.unpost(8 | 128);
  if (ok)
    update.post(512);
  // FM_MATRIX fell back to no transform: the splits are due again.
  if (post_8)
    update.post(8);
  return ok || !attempted;
}

void tSplitsBlk::discard()
{
  _valid = 0;
  nsplits = 0;
  splits_system->clear();
}
