#include "blocks/blk_extras.h"

#include <cmath>
#include <string>
#include <utility>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "extras/estimate_variable.h"
#include "extras/site_data.h"
#include "nexus/nexus.h"

namespace {

const char* const BLOCK = "QV_EXTRAS";
const char* const DIVERGE_WHERE = "QV_EXTRAS-diverge";
const char* const CLOCK_WHERE = "QV_EXTRAS-test_clock";
const char* const SUPPORT_WHERE = "QV_EXTRAS-support";
const char* const ESTIMATE_WHERE = "QV_EXTRAS-estimate-variable";

const char* const DIVERGE_USAGE = "Usage: DIVERGE taxa-set-1, taxa-set-2 [: DIST=number SD=number N=number];";
const char* const CLOCK_USAGE = "Usage: TEST_CLOCK (taxon1 taxon-2) taxon-3 [: DELTA=number SD=number N=number] ;";
const char* const ESTIMATE_USAGE = "Usage: ESTIMATE [VARIABLE [N=number][: MIN=number MEAN=number SD=number]];";

// Reads "KEY=number" from the next token on. Under the label punctuation a
// sign or an exponent stays in the number, as %G writes them.
bool read_result(tNexusInput* in, const char* key, double* value)
{
  tPunctuationScope scope(in, tNexusInput::LABEL_PUNCTUATION);
  double v = 0.0;
  if (!in->CompareNextToken(key) || !in->CompareNextToken("=") || !in->ReadNextTokenDouble(&v) || !std::isfinite(v))
    return false;
  *value = v;
  return true;
}

bool read_result(tNexusInput* in, const char* key, int* value)
{
  tPunctuationScope scope(in, tNexusInput::LABEL_PUNCTUATION);
  return in->CompareNextToken(key) && in->CompareNextToken("=") && in->ReadNextTokenInt(value);
}

// "DIST=x SD=x N=n" and "DELTA=x SD=x N=n" behind the colon, then ";".
bool read_results(tNexusInput* in, const char* first, double* d, double* sd, int* n)
{
  return read_result(in, first, d) && read_result(in, "SD", sd) && read_result(in, "N", n) && *n >= 0 &&
         in->CompareNextToken(";");
}

// read_set() ends at a token that holds a stop character; a set may also end
// at the keyword that follows it, but not inside a range such as "3-".
bool set_ends_at_keyword(const tNexusInput* in, const char* const* keywords)
{
  const char* previous = in->PreviousToken();
  if (previous && std::string(previous) == "-")
    return false;
  for (; *keywords; keywords++)
    if (in->CompareCurrentToken(*keywords))
      return true;
  return false;
}

} // namespace

// ---------------------------------------------------------------- block protocol

bool tExtrasBlk::compare_name(const char* name) const { return same_token(name, BLOCK); }

void tExtrasBlk::clear_diverges() { diverges.clear(); }

void tExtrasBlk::clear_clocks() { clocks.clear(); }

void tExtrasBlk::clear_supports() { supports.clear(); }

void tExtrasBlk::update_valid()
{
  _valid = !diverges.empty() || !clocks.empty() || !supports.empty() || v_set != 0;
}

void tExtrasBlk::show_usage() const
{
  static const char* const lines[] = {
    "BEGIN QV_EXTRAS;\n",
    "    [CLEAR;]\n",
    "    [DIVERGE taxa-set-1, taxa-set-2 [: DIST=number SD=number N=number];]\n",
    "    [TEST_CLOCK (taxon1 taxon-2) taxon-3 [: DELTA=number SD=number N=number];]\n",
    "    [SUPPORT taxa-set [DEVIATION=number] [CONVERGENCE=number]\n",
    "        [GAPMODE={JOKER|INGROUP_JOKER|OUTGROUP_JOKER|NEWSTATE}]\n",
    "        [: INGROUP number POSITIONS= set-of-positions\n",
    "           OUTGROUP number POSITIONS= set-of-positions];]\n",
    "    [ESTIMATE [VARIABLE [N=number][: MIN=number MEAN=number SD=number]];]\n",
    "END;\n",
  };
  for (const char* line : lines)
    message("%s", line);
}

void tExtrasBlk::show_info() const
{
  if (!_valid) {
    message("No valid QV_EXTRAS block\n");
    return;
  }
  message("Valid QV_EXTRAS block:");
  if (!diverges.empty())
    message("%d diverge(s)", get_ndiverges());
  if (!clocks.empty())
    message(" %d test_clock(s)", get_nclocks());
  if (!supports.empty())
    message(" %d group support(s)", get_nsupports());
  message("\n");
}

int tExtrasBlk::print(tNexusOutput* out, const tTaxaBlk* taxa) const
{
  (void)taxa;
  if (!_valid) {
    message("No valid QV_EXTRAS block\n");
    return 0;
  }
  if (!out)
    return 0;
  out->Print("BEGIN qv_extras;\n");
  for (const tDiverge& d : diverges) {
    out->Print("    DIVERGE ");
    print_set(out, &d.A);
    out->Print(",");
    print_set(out, &d.B);
    out->Print(": DIST=%G SD=%G N=%d;\n", d.d, d.sd, d.n);
  }
  for (const tClock& c : clocks)
    out->Print("    TEST_CLOCK (%d %d) %d: DELTA=%G SD=%G N=%d;\n", c.t1, c.t2, c.t3, c.d, c.sd, c.n);
  for (const tSupport& s : supports) {
    out->Print("    SUPPORT");
    print_set(out, &s.ingroup);
    if (s.deviation != 0)
      out->Print(" DEVIATION=%d", s.deviation);
    if (s.convergence != 0)
      out->Print(" CONVERGENCE=%d", s.convergence);
    if (s.gapmode != "JOKER")
      out->Print(" GAPMODE=%s", s.gapmode.c_str());
    out->Print(":\n");
    out->Print("    INGROUP  %d POSITIONS= ", s.ingroup_count);
    print_set(out, &s.ingroup_positions);
    out->Print("\n");
    out->Print("    OUTGROUP %d POSITIONS= ", s.outgroup_count);
    print_set(out, &s.outgroup_positions);
    out->Print("\n");
    out->Print("    ;\n");
  }
  if (v_set != 0) {
    if (v_quartets >= 0)
      out->Print("    ESTIMATE VARIABLE n=%d: min=%G mean=%G sd=%G;\n", v_quartets, v_min, v_mean, v_sd);
    else
      out->Print("    ESTIMATE VARIABLE: min=%G mean=%G sd=%G;\n", v_min, v_mean, v_sd);
  }
  out->Print("END;\n");
  return 1;
}

// ---------------------------------------------------------------- reading

int tExtrasBlk::read(tNexusInput* in, tTaxaBlk* taxa, tAssumptionsBlk* assumptions,
                     const tCharactersBlk* characters)
{
  if (!taxa->valid())
    return in->Error(BLOCK, "Must be preceeded by valid TAXA-block");
  // Whatever is read before an error stays, and is computed.
  assumptions->update.post(256);
  if (!in->CompareNextToken(";"))
    return in->Error(BLOCK, "Missing ';'");
  for (;;) {
    if (!in->NextToken())
      return in->Error(BLOCK, "Unexpected EOF");
    if (in->CurrentTokenIsEnd())
      return 1;
    int ok;
    if (in->CompareCurrentToken("CLEAR"))
      ok = read_clear(in);
    else if (in->CompareCurrentToken("DIVERGE"))
      ok = read_diverge(in, taxa, characters);
    else if (in->CompareCurrentToken("TEST_CLOCK"))
      ok = read_clock(in, taxa, characters);
    else if (in->CompareCurrentToken("SUPPORT"))
      ok = read_support(in, taxa, characters);
    else if (in->CompareCurrentToken("ESTIMATE"))
      ok = read_estimate(in, characters);
    else
      ok = in->Error(BLOCK, "Unexpected token: %s", in->CurrentToken());
    update_valid();
    if (!ok)
      return 0;
  }
}

int tExtrasBlk::read_clear(tNexusInput* in)
{
  if (!in->CompareNextToken(";"))
    return in->Error("QV_EXTRAS-clear", "Usage: CLEAR;");
  clear_diverges();
  clear_clocks();
  clear_supports();
  v_set = 0;
  return 1;
}

int tExtrasBlk::read_diverge(tNexusInput* in, const tTaxaBlk* taxa, const tCharactersBlk* characters)
{
  if (!characters || !characters->valid())
    return in->Error(BLOCK, "Must be preceeded by valid CHARACTERS-block");
  const int ntax = taxa->get_ntax();
  tDiverge d;
  in->NextToken();
  if (!read_set(in, &d.A, ntax, ",") || !in->CompareCurrentToken(","))
    return in->Error(DIVERGE_WHERE, "Can't read first set (missing ','?)");
  in->NextToken();
  if (!read_set(in, &d.B, ntax, ";:"))
    return in->Error(DIVERGE_WHERE, "Can't read second set");
  if (in->CompareCurrentToken(":")) {
    if (!read_results(in, "DIST", &d.d, &d.sd, &d.n))
      return in->Error(DIVERGE_WHERE, "%s", DIVERGE_USAGE);
  } else if (!in->CompareCurrentToken(";")) {
    return in->Error(DIVERGE_WHERE, "Expected ';' or ':'");
  }
  if (d.A.intersection_size(0, &d.B) > 0) {
    warning("Sets with non-empty intersection, ignoring them");
    return 1;
  }
  diverges.push_back(std::move(d));
  return 1;
}

int tExtrasBlk::read_clock(tNexusInput* in, const tTaxaBlk* taxa, const tCharactersBlk* characters)
{
  if (!characters || !characters->valid())
    return in->Error(BLOCK, "Must be preceeded by valid CHARACTERS-block");
  tClock c;
  if (!in->CompareNextToken("(") || !in->ReadNextTokenInt(&c.t1) || !in->ReadNextTokenInt(&c.t2) ||
      !in->CompareNextToken(")") || !in->ReadNextTokenInt(&c.t3))
    return in->Error(CLOCK_WHERE, "%s", CLOCK_USAGE);
  const int ntax = taxa->get_ntax();
  if (c.t1 < 1 || c.t1 > ntax || c.t2 < 1 || c.t2 > ntax || c.t3 < 1 || c.t3 > ntax || c.t1 == c.t2 ||
      c.t1 == c.t3 || c.t2 == c.t3)
    return in->Error(CLOCK_WHERE, "Illegal choice of taxa: (%d %d) %d", c.t1, c.t2, c.t3);
  in->NextToken();
  if (in->CompareCurrentToken(":")) {
    if (!read_results(in, "DELTA", &c.d, &c.sd, &c.n))
      return in->Error(CLOCK_WHERE, "%s", CLOCK_USAGE);
  } else if (!in->CompareCurrentToken(";")) {
    return in->Error(CLOCK_WHERE, "%s", CLOCK_USAGE);
  }
  clocks.push_back(c);
  return 1;
}

int tExtrasBlk::read_support(tNexusInput* in, const tTaxaBlk* taxa, const tCharactersBlk* characters)
{
  static const char* const options[] = {"DEVIATION", "CONVERGENCE", "GAPMODE", nullptr};
  static const char* const outgroup[] = {"OUTGROUP", nullptr};
  if (!characters || !characters->valid())
    return in->Error(BLOCK, "Must be preceeded by valid CHARACTERS-block");
  const int nchar = characters->get_nchar();
  tSupport s;
  in->NextToken();
  if (!read_set(in, &s.ingroup, taxa->get_ntax(), ";:") && !set_ends_at_keyword(in, options))
    return in->Error(SUPPORT_WHERE, "Usage: SUPPORT taxa-set ...");

  for (;;) {
    int* field = nullptr;
    const char* usage = nullptr;
    if (in->CompareCurrentToken("DEVIATION")) {
      field = &s.deviation;
      usage = "Usage: DEVIATION=number ...";
    } else if (in->CompareCurrentToken("CONVERGENCE")) {
      field = &s.convergence;
      usage = "Usage: CONVERGENCE=number ...";
    } else if (in->CompareCurrentToken("GAPMODE")) {
      if (!in->CompareNextToken("=") || !in->NextToken() || in->CompareCurrentToken(";"))
        return in->Error(SUPPORT_WHERE, "Usage: GAPMODE={joker| ...");
      const char* mode = support_gapmode(in->CurrentToken());
      if (!mode)
        return in->Error(SUPPORT_WHERE, "Usage: GAPMODE={joker|ingroup_joker|outgroup_joker|newstate}");
      s.gapmode = mode;
      in->NextToken();
      continue;
    } else {
      break;
    }
    // Taxa that may differ: a count, never negative.
    if (!in->CompareNextToken("=") || !in->ReadNextTokenInt(field) || *field < 0)
      return in->Error(SUPPORT_WHERE, "%s", usage);
    in->NextToken();
  }

  if (in->CompareCurrentToken(":")) {
    if (!in->CompareNextToken("INGROUP") || !in->ReadNextTokenInt(&s.ingroup_count) || s.ingroup_count < 0)
      return in->Error(SUPPORT_WHERE, "Expected: INGROUP number ...");
    if (!in->CompareNextToken("POSITIONS") || !in->CompareNextToken("="))
      return in->Error(SUPPORT_WHERE, "Expected: INGROUP number POSITIONS= ...");
    in->NextToken();
    if (!read_set(in, &s.ingroup_positions, nchar, nullptr) && !set_ends_at_keyword(in, outgroup))
      return in->Error(SUPPORT_WHERE, "Expected: set-of-positions");
    if (!in->CompareCurrentToken("OUTGROUP") || !in->ReadNextTokenInt(&s.outgroup_count) || s.outgroup_count < 0)
      return in->Error(SUPPORT_WHERE, "Expected: OUTGROUP number ...");
    if (!in->CompareNextToken("POSITIONS") || !in->CompareNextToken("="))
      return in->Error(SUPPORT_WHERE, "Expected: OUTGROUP number POSITIONS= ...");
    in->NextToken();
    if (!read_set(in, &s.outgroup_positions, nchar, ";"))
      return in->Error(SUPPORT_WHERE, "Expected: set-of-positions");
  }
  if (!in->CompareCurrentToken(";"))
    return in->Error(SUPPORT_WHERE, "Expected: ';'");
  supports.push_back(std::move(s));
  return 1;
}

int tExtrasBlk::read_estimate(tNexusInput* in, const tCharactersBlk* characters)
{
  in->NextToken();
  if (in->CompareCurrentToken(";")) {
    v_set = 0;
    return 1;
  }
  if (!in->CompareCurrentToken("VARIABLE"))
    return in->Error(ESTIMATE_WHERE, "%s", ESTIMATE_USAGE);
  if (!characters || !characters->valid())
    return in->Error(BLOCK, "Must be preceeded by valid CHARACTERS-block");
  int quartets = -1;
  in->NextToken();
  if (in->CompareCurrentToken("N")) {
    // A count of random quartets, or 0 for all of them.
    if (!in->CompareNextToken("=") || !in->ReadNextTokenInt(&quartets) || quartets < 0)
      return in->Error(ESTIMATE_WHERE, "%s", ESTIMATE_USAGE);
    in->NextToken();
  }
  double min = 0.0, mean = 0.0, sd = 0.0;
  const bool results = in->CompareCurrentToken(":");
  if (results) {
    if (!read_result(in, "MIN", &min) || !read_result(in, "MEAN", &mean) || !read_result(in, "SD", &sd) ||
        !in->CompareNextToken(";"))
      return in->Error(ESTIMATE_WHERE, "%s", ESTIMATE_USAGE);
  } else if (!in->CompareCurrentToken(";")) {
    return in->Error(ESTIMATE_WHERE, "%s", ESTIMATE_USAGE);
  }
  v_quartets = quartets;
  v_set = quartets < 0 ? -1 : 1;
  if (results) {
    v_min = min;
    v_mean = mean;
    v_sd = sd;
  }
  return 1;
}

// ---------------------------------------------------------------- computing

void tExtrasBlk::compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                         tDistancesBlk* distances)
{
  tUpdate& update = assumptions->update;
  if (!update.check(256))
    return;
  update.unpost(256);
  if (!_valid)
    return;
  message("Computing QV_EXTRAS: ");
  const bool requests = !diverges.empty() || !clocks.empty() || !supports.empty();
  if (requests && update.check(1)) {
    message("EXTAXA-command: Deleting all DIVERGE/TEST_CLOCK/SUPPORT commands\n");
    clear_diverges();
    clear_clocks();
    clear_supports();
  }
  // Also after the deletion above: the estimate alone needs valid data too.
  if ((!diverges.empty() || !clocks.empty() || !supports.empty() || v_set != 0) &&
      (!distances->valid() || !characters->valid())) {
    message("No valid DISTANCES/CHARACTERS: Deleting all DIVERGE/TEST_CLOCK/SUPPORT commands\n");
    clear_diverges();
    clear_clocks();
    clear_supports();
    v_set = 0;
  }
  update_valid();
  if (_valid) {
    const tSiteData sites = site_data(characters);
    for (tDiverge& d : diverges) {
      message(".");
      compute_diverge(&d, sites);
    }
    for (tClock& c : clocks) {
      message(".");
      compute_test_clock(&c, sites);
    }
    for (tSupport& s : supports) {
      message(".");
      compute_support(&s, sites, characters->get_nchar());
    }
    if (v_set != 0) {
      if (v_quartets == 0 || (v_quartets < 0 && taxa->get_ntax() < 12)) {
        message("estimating proportion of variable sites using ALL quartets");
        estimate_variable(v_min, v_mean, v_sd, taxa, characters);
      } else {
        message(".");
        estimate_variable_rand(v_min, v_mean, v_sd, taxa, characters, v_quartets == -1 ? 300 : v_quartets);
      }
    }
  }
  message(" done\n");
}
