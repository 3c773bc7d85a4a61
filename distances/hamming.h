// Hamming distance: the share of compared active sites at which two taxa differ.
#pragma once

class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;

// Sites with a missing symbol are not compared, nor (gap mode MISSING) those
// with a gap. A pair with nothing to compare, or nothing in common, gets 1.0.
// Always 1.
int computeHamming(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                   tDistancesBlk* distances);
