// QV_EXTRAS block: side analyses of the characters that the user requests
// and the document recomputes, with their results kept in the block.
//
//   command                                                    field(s)
//   CLEAR;                                                     every request
//   DIVERGE set, set [: DIST=x SD=x N=n];                      diverges
//   TEST_CLOCK (t1 t2) t3 [: DELTA=x SD=x N=n];                clocks
//   SUPPORT set [DEVIATION=n] [CONVERGENCE=n] [GAPMODE=mode]
//           [: INGROUP n POSITIONS= set OUTGROUP n POSITIONS= set];  supports
//   ESTIMATE;                                                  v_set = 0
//   ESTIMATE VARIABLE [N=n] [: MIN=x MEAN=x SD=x];             v_set, v_quartets, v_min, v_mean, v_sd
//
// Reading posts update bit 256, which compute() consumes; so does every new
// set of active sites. Results after ":" are what print() writes; they are
// kept until the next computation. Taxa are numbers of the active taxa at
// the time of reading, so a change of the active taxa (bit 1) drops every
// DIVERGE, TEST_CLOCK and SUPPORT request.
#pragma once

#include <vector>

#include "extras/compute_clock.h"
#include "extras/compute_diverge.h"
#include "extras/compute_support.h"

class tNexusInput;
class tNexusOutput;
class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;

class tExtrasBlk {
public:
  // ---- block protocol
  int valid() const { return _valid; }
  bool compare_name(const char* name) const;
  void show_usage() const;
  void show_info() const;
  int print(tNexusOutput* out, const tTaxaBlk* taxa) const;
  void compute(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters, tDistancesBlk* distances);
  // Requests are added to those the block holds already (CLEAR drops them).
  // The analyses need the CHARACTERS block read before.
  int read(tNexusInput* in, tTaxaBlk* taxa, tAssumptionsBlk* assumptions, const tCharactersBlk* characters);

  void clear_diverges();
  void clear_clocks();
  void clear_supports();

  int get_ndiverges() const { return static_cast<int>(diverges.size()); }
  int get_nclocks() const { return static_cast<int>(clocks.size()); }
  int get_nsupports() const { return static_cast<int>(supports.size()); }
  // Requests i = 1..n.
  const tDiverge& get_diverge(int i) const { return diverges[static_cast<size_t>(i - 1)]; }
  const tClock& get_clock(int i) const { return clocks[static_cast<size_t>(i - 1)]; }
  const tSupport& get_support(int i) const { return supports[static_cast<size_t>(i - 1)]; }

  // ---- the variable-sites estimate
  int v_set = 0;        // 0: not requested; 1: with a count of quartets; -1: automatic
  int v_quartets = 0;   // random quartets; 0 = all quartets; -1 = automatic
  double v_min = 0.0, v_mean = 0.0, v_sd = 0.0;

private:
  int _valid = 0;
  std::vector<tDiverge> diverges;
  std::vector<tClock> clocks;
  std::vector<tSupport> supports;

  void update_valid();
  int read_clear(tNexusInput* in);
  int read_diverge(tNexusInput* in, const tTaxaBlk* taxa, const tCharactersBlk* characters);
  int read_clock(tNexusInput* in, const tTaxaBlk* taxa, const tCharactersBlk* characters);
  int read_support(tNexusInput* in, const tTaxaBlk* taxa, const tCharactersBlk* characters);
  int read_estimate(tNexusInput* in, const tCharactersBlk* characters);
};
