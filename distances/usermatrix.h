// User-matrix distance: the sum, over compared active sites, of the user's
// table entry for the two states' colors.
#pragma once

class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;

// Sites with a missing symbol, or (gap mode MISSING) a gap, are not compared.
// A state whose color has no row in the table (color 0, or beyond the table's
// size) adds nothing. The sum is not divided by the number of sites. Copies
// the color symbols into the assumptions for printing the table. Always 1.
int computeUsermatrix(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                      tDistancesBlk* distances);
