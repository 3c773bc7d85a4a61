#include "blocks/blk_spectra.h"

#include <cfloat>
#include <cmath>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "nexus/nexus.h"
#include "splits/compute_spectra.h"

namespace {

const char* const BLOCK = "QV_SPECTRA";

// A number that a float holds as a finite value.
bool read_float(tNexusInput* in, float* value)
{
  double x = 0.0;
  if (!in->ReadCurrentTokenDouble(&x) || !std::isfinite(x) || std::fabs(x) > FLT_MAX)
    return false;
  *value = static_cast<float>(x);
  return true;
}

const char* matrix_comment(int m)
{
  switch (m) {
  case 1: return " [AT,U vs. CG]\n";
  case 2: return " [AG vs. CT,U]\n";
  case 3: return " [AC vs. GT,U]\n";
  default: return "\n";
  }
}

} // namespace

bool tSpectraBlk::compare_name(const char* name) const { return same_token(name, BLOCK); }

void tSpectraBlk::show_usage() const
{
  static const char* const head[] = {
    "BEGIN QV_SPECTRA;\n",
    "    [DIMENSIONS [NTAX=number-of-taxa] [NSPECT=number-of-spectra];]\n",
    "    [FORMAT\n",
    "        [[NO] LABELS]\n",
    "        [[NO] WEIGHTS]\n",
    "    ;]\n",
    "    [THRESHOLD = non-negative-number];\n",
    "    [PARAMETERS para_1 para_2 ... para_nspect;]\n",
  };
  for (const char* line : head)
    message("%s", line);
  for (const char* m : {"1", "2", "nspect"}) {
    if (same_token(m, "nspect"))
      message("    ...\n");
    message("    MATRIX %s\n", m);
    message("        [label_0] [weight_0]\n");
    message("        [label_1] [weight_1]\n");
    message("        ...\n");
    message("        [label_n_1] [weight_n_1]\n");
    message("    ;\n");
  }
  message("END;\n");
}

void tSpectraBlk::show_info() const
{
  if (!_valid) {
    message("No valid QV_SPECTRA block\n");
    return;
  }
  message("Valid QV_SPECTRA block: %d spectra, param.:", nspect);
  for (int i = 1; i <= nspect; i++)
    message(" %G", parameters[static_cast<size_t>(i)]);
  message("\n");
}

// ---------------------------------------------------------------- data

void tSpectraBlk::set_ntax_nspect(int n, int nspec)
{
  if (n < 0 || nspec < 0 || n > MAX_NTAX)
    error("tSpectraBlk::set_ntax_nspect(n=%d,nspec=%d): Illegal parameter", n, nspec);
  clear_matrix();
  ntax = n;
  nsize = n > 0 ? 1 << (n - 1) : 0;
  nspect = nspec;
  matrix.assign(static_cast<size_t>(nspect) + 1, std::vector<float>());
  for (int m = 1; m <= nspect; m++)
    matrix[static_cast<size_t>(m)].assign(static_cast<size_t>(nsize), 0.0f);
  parameters.assign(static_cast<size_t>(nspect) + 1, 1.0f);
}

void tSpectraBlk::clear_matrix()
{
  // Spectra can be large: give the memory back, not just the contents.
  std::vector<std::vector<float>>().swap(matrix);
  _valid = 0;
}

double tSpectraBlk::get_para_sum(int k) const
{
  double sum = 0.0;
  for (int i = 1; i <= nspect; i++)
    sum += static_cast<double>(parameters[static_cast<size_t>(i)]) *
           matrix[static_cast<size_t>(i)][static_cast<size_t>(k)];
  return sum;
}

// ---------------------------------------------------------------- computation

bool tSpectraBlk::compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters)
{
  tUpdate& update = assumptions->update;
  if (_valid && update.check(1) && !characters->valid()) {
    message("EXTAXA is not fully implemented for QV_SPECTRA: Will compute induced QV_SPLITS,\n");
    message("not induced QV_SPECTRA...\n");
  }
  if (!update.check(64))
    return true;

  if (assumptions->threshold != 0.0)
    threshold = static_cast<float>(assumptions->threshold);
  const char* method = assumptions->method.c_str();
  int ok = same_token(method, "SPECTRAL") || same_token(method, "STREE");

  // Without characters there is nothing to compute from: spectra read from
  // a file are the data themselves and stay.
  if (_valid && !characters->valid()) {
    if (ok)
      update.post(8);
    update.unpost(64);
    return true;
  }
  const bool wanted = ok && taxa->valid() && characters->valid() && assumptions->valid();

  if (ok && taxa->get_ntax() > MAX_NTAX) {
    warning("Maximal value of ntax: %d", MAX_NTAX);
    message("QV_SPECTRA not computed: %d taxa, at most %d allowed\n", taxa->get_ntax(), MAX_NTAX);
    ok = 0;
  }
  ok = ok && taxa->valid() && characters->valid() && assumptions->valid();
  if (ok) {
    message("Computing QV_SPECTRA from CHARACTERS (4-State spectral analysis): ");
    ok = compute_kimura_spectra(taxa, assumptions, characters);
    if (ok)
      message(" done\n");
  }
  if (ok) {
    // Computed spectra are written in the full format, whatever a file read
    // before asked for.
    labels = 1;
    weights = 1;
    update.post(8);
    _valid = 1;
  } else {
    clear_matrix();
  }
  update.unpost(64);
  return ok || !wanted;
}

// ---------------------------------------------------------------- reading

int tSpectraBlk::read(tNexusInput* in, tTaxaBlk* taxa)
{
  if (!taxa->valid())
    return in->Error(BLOCK, "Must be preceeded by TAXA-block");
  if (taxa->get_ntax() > MAX_NTAX)
    return in->Error(BLOCK, "Maximal value of ntax: %d", MAX_NTAX);
  if (!in->CompareNextToken(";"))
    return in->Error(BLOCK, "Missing ';'");
  // Each block states its own format.
  labels = 1;
  weights = 1;

  // Which spectra this block has given.
  std::vector<char> given(static_cast<size_t>(nspect) + 1, 0);
  for (;;) {
    const char* token = in->NextToken();
    if (!token)
      return in->Error(BLOCK, "Unexpected EOF");
    if (in->CurrentTokenIsEnd())
      break;
    int ok;
    if (in->CompareCurrentToken("DIMENSIONS")) {
      ok = read_dimensions(in, taxa);
      given.assign(static_cast<size_t>(nspect) + 1, 0);
    } else if (in->CompareCurrentToken("FORMAT")) {
      ok = read_format(in);
    } else if (in->CompareCurrentToken("THRESHOLD")) {
      ok = read_threshold(in);
    } else if (in->CompareCurrentToken("PARAMETERS")) {
      ok = read_parameters(in);
    } else if (in->CompareCurrentToken("LENTO")) {
      if (!in->CompareNextToken(";"))
        return in->Error("QV_SPECTRA-lento", "Expected ';'");
      lento = 1;
      ok = 1;
    } else if (in->CompareCurrentToken("NO")) {
      if (!in->CompareNextToken("LENTO"))
        return in->Error("QV_SPECTRA-no", "Usage: NO LENTO;");
      if (!in->CompareNextToken(";"))
        return in->Error("QV_SPECTRA-lento", "Expected ';'");
      lento = 0;
      ok = 1;
    } else if (in->CompareCurrentToken("MATRIX")) {
      int m = 0;
      if (!in->ReadNextTokenInt(&m) || m < 1 || m > nspect)
        return in->Error("QV_SPECTRA-matrix", "Expected number 1..nspect of current matrix");
      if (given[static_cast<size_t>(m)])
        return in->Error("QV_SPECTRA-matrix", "Multiple definitions of MATRIX %d", m);
      given[static_cast<size_t>(m)] = 1;
      ok = read_matrix(m, in);
    } else {
      return in->Error(BLOCK, "Unknown command: %s", token);
    }
    if (!ok)
      return 0;
  }
  if (_valid)
    return 1;
  // A block without spectra would be written back as one that cannot be read.
  for (int m = 1; m <= nspect || m == 1; m++)
    if (m > nspect || !given[static_cast<size_t>(m)])
      return in->Error(BLOCK, "Didn't find MATRIX %d", m);
  _valid = 1;
  show_info();
  return 1;
}

int tSpectraBlk::read_dimensions(tNexusInput* in, const tTaxaBlk* taxa)
{
  const char* where = "QV_SPECTRA-dimensions";
  const int n = taxa->get_ntax();
  bool ntax_given = false;
  int m = -1;
  for (;;) {
    if (!in->NextToken())
      return in->Error(where, "Expected ';'");
    if (in->CompareCurrentToken(";"))
      break;
    if (in->CompareCurrentToken("NTAX")) {
      int value = 0;
      if (!in->CompareNextToken("=") || !in->ReadNextTokenInt(&value) || value != n)
        return in->Error(where, "Expected NTAX=%d", n);
      ntax_given = true;
    } else if (in->CompareCurrentToken("NSPECT")) {
      if (!in->CompareNextToken("=") || !in->ReadNextTokenInt(&m) || m < 0)
        return in->Error(where, "Bad NSPECT command");
    } else {
      return in->Error(where, "Expected ';'");
    }
  }
  // Applied once the command is complete, so the order of NTAX and NSPECT
  // does not matter.
  if (!ntax_given && m < 0)
    return 1;
  const int spectra = m >= 0 ? m : 1;
  // Refused before allocating: a short file must not claim gigabytes.
  if (!spectra_fit_in_memory(n, spectra))
    return in->Error(where, "%d spectra over %d taxa need %.0f MB, more than this computer can give", spectra,
                     n, spectra_bytes(n, spectra) / (1024.0 * 1024.0));
  set_ntax_nspect(n, spectra);
  return 1;
}

int tSpectraBlk::read_format(tNexusInput* in)
{
  const char* where = "QV_SPECTRA-format";
  for (;;) {
    const char* token = in->NextToken();
    if (!token)
      return in->Error(where, "Unexpected EOF");
    if (in->CompareCurrentToken(";"))
      return 1;
    if (in->CompareCurrentToken("LABELS")) {
      labels = 1;
    } else if (in->CompareCurrentToken("WEIGHTS")) {
      weights = 1;
    } else if (in->CompareCurrentToken("NO")) {
      if (!in->NextToken())
        return in->Error(where, "Unexpected EOF");
      if (in->CompareCurrentToken("LABELS"))
        labels = 0;
      else if (in->CompareCurrentToken("WEIGHTS"))
        weights = 0;
      else
        return in->Error(where, "Usage: NO {LABELS|WEIGHTS}");
    } else {
      return in->Error(where, "Unknown command: %s", token);
    }
  }
}

int tSpectraBlk::read_threshold(tNexusInput* in)
{
  float x = 0.0f;
  bool ok = in->CompareNextToken("=");
  if (ok) {
    tPunctuationScope scope(in, tNexusInput::LABEL_PUNCTUATION);
    ok = in->NextToken() && read_float(in, &x) && x >= 0.0f;
  }
  if (!ok || !in->CompareNextToken(";"))
    return in->Error(BLOCK, "Usage: THRESHHOLD=non-negative-number;");
  threshold = x;
  return 1;
}

int tSpectraBlk::read_parameters(tNexusInput* in)
{
  const char* where = "QV_SPECTRA-parameters";
  tPunctuationScope scope(in, tNexusInput::LABEL_PUNCTUATION);
  std::vector<float> p(static_cast<size_t>(nspect) + 1, 1.0f);
  for (int i = 1; i <= nspect; i++)
    if (!in->NextToken() || !read_float(in, &p[static_cast<size_t>(i)]))
      return in->Error(where, "Couldn't read %d-th parameter", i);
  if (!in->CompareNextToken(";"))
    return in->Error(where, "Expected ';'");
  parameters.swap(p);
  return 1;
}

int tSpectraBlk::read_matrix(int m, tNexusInput* in)
{
  const char* where = "QV_SPECTRA-matrix";
  _valid = 0;
  std::vector<float>& spectrum = matrix[static_cast<size_t>(m)];
  spectrum.assign(static_cast<size_t>(nsize), 0.0f);
  tPunctuationScope scope(in, tNexusInput::LABEL_PUNCTUATION);
  int row = 0;
  for (;;) {
    const char* token = in->NextToken();
    if (!token)
      return in->Error(where, "Unexpected EOF");
    if (in->CompareCurrentToken(";"))
      return 1;
    if (in->CurrentTokenIsEnd())
      return in->Error("QV_SPECTRA-Matrix", "Missing ';'?");
    int k = row;
    if (labels) {
      if (!in->ReadCurrentTokenInt(&k) || k < 0 || k >= nsize)
        return in->Error(where, "Integer 0..%d expected (got: %s)", nsize - 1, token);
      if ((weights && !in->NextToken()))
        return in->Error(where, "Unexpected EOF");
    } else if (row++ >= nsize) {
      return in->Error(where, "Too many rows, expected: %d", nsize);
    }
    float value = 1.0f;
    if (weights) {
      if (!read_float(in, &value))
        return in->Error(where, "Weight expected");
      if (!(value > threshold))
        value = 0.0f;
    }
    // The comma follows the last item of the row; a row of neither label
    // nor weight is the comma alone.
    if (labels || weights) {
      if (!in->NextToken())
        return in->Error(where, "Unexpected EOF");
    }
    if (!in->CompareCurrentToken(","))
      return in->Error(where, "Expected ','");
    spectrum[static_cast<size_t>(k)] = value;
  }
}

// ---------------------------------------------------------------- output

int tSpectraBlk::print(tNexusOutput* out, const tTaxaBlk* taxa) const
{
  if (!_valid) {
    message("No valid QV_SPECTRA block\n");
    return 0;
  }
  // Spectra read for all taxa are not restricted to the active ones; next to
  // the active taxa they would make a file that cannot be read back.
  if (taxa && taxa->get_ntax() != ntax) {
    message("QV_SPECTRA over %d taxa not written: %d taxa are active\n", ntax, taxa->get_ntax());
    return 0;
  }
  // Rows without labels are known by their place alone: they carry their
  // values, or the block would read back as all ones.
  const int print_weights = weights || !labels;
  out->Print("BEGIN qv_spectra;\n");
  out->Print("    DIMENSIONS ntax=%d nspect=%d;\n", ntax, nspect);
  out->Print("    FORMAT\n");
  out->Print(labels ? "        labels\n" : "        no labels\n");
  out->Print(print_weights ? "        weights\n" : "        no weights\n");
  out->Print("    ;\n");
  if (threshold != 0.0f)
    out->Print("    THRESHOLD=%G;\n", threshold);
  if (nspect > 0 && !parameters.empty()) {
    out->Print("    PARAMETERS");
    for (int i = 1; i <= nspect; i++)
      out->Print(" %g", parameters[static_cast<size_t>(i)]);
    out->Print(";\n");
  }
  if (lento)
    out->Print("    LENTO;\n");
  for (int m = 1; m <= nspect; m++)
    print_matrix(m, out);
  out->Print("END;\n");
  return 1;
}

void tSpectraBlk::print_matrix(int m, tNexusOutput* out) const
{
  const std::vector<float>& spectrum = matrix[static_cast<size_t>(m)];
  out->Print("    MATRIX %d%s", m, matrix_comment(m));
  for (int k = 0; k < nsize; k++) {
    const float value = spectrum[static_cast<size_t>(k)];
    if (!labels) {
      out->Print("\t%g,\n", value);
    } else if (value > threshold) {
      out->Print("\t%d", k);
      if (weights)
        out->Print(" %g", value);
      out->Print(",\n");
    }
  }
  out->Print("    ;\n");
}
