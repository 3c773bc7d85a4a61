// Fitch-Sidow distances between groups of taxa: from an estimate, over the
// codons, of the invariable codons that two groups share.
#pragma once

class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;

// Per group, over C codons: var1 and var2 codons variable at position 1 or
// 2, var12 at both. Invar = C - var1 var2 / var12, 0 when var12 or C is 0.
struct tCodonCounts {
  int C = 0;
  int var1 = 0, var2 = 0, var12 = 0;
  double Invar = 0.0, Var = 0.0, Unvar = 0.0;
};

// The chi-square misfit of k shared invariable codons between groups g and h.
double compute_value(const tCodonCounts& g, const tCodonCounts& h, int k);

// The distance of two groups: the best k over its feasible range, then
// (Invar[g] - k) / C, corrected when `correct` (the switch X) is on. 0 when
// there is no codon. *saturated is set when the correction has no value
// (which then gives JC_SATURATED_DISTANCE).
double fitch_sidow_distance(const tCodonCounts& g, const tCodonCounts& h, bool correct, bool* saturated);

// Groups from the taxa partition; taxa of one group are at distance 0.
// 0 without a partition, else 1.
int computeFitchSidow(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                      tDistancesBlk* distances);
