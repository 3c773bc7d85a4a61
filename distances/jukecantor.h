// Jukes-Cantor distance from the pair-frequency matrix.
#pragma once

class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;

// Below this, the logarithm's argument means the pair is saturated.
constexpr double JC_SATURATION = 1e-7;
// The distance of a saturated pair.
constexpr double JC_SATURATED_DISTANCE = 100.0;

// -((k-1)/k) ln(1 - h k/(k-1)) with h the off-diagonal share of F[1..k][1..k].
// A saturated pair gives JC_SATURATED_DISTANCE, with one warning per *warned.
double jukeCantor(int k, double** F, int* warned);

// Always 1.
int computeJukeCantor(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                      tDistancesBlk* distances);
