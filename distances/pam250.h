// PAM250 distance for protein data: the sum, over compared active sites, of
// 17 minus the PAM250 log-odds score of the two amino acids.
#pragma once

class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;

// The table entry of two amino-acid letters (either case); -1 when either is
// not one of the 20 amino acids of the table.
int pam250_entry(int x, int y);

// Refuses (0, with a warning) unless gaps count as missing. Sites with a
// missing or gap symbol, or a state outside the table (B, Z, X), are not
// compared. The sum is not divided by the number of sites. Copies the color
// symbols into the assumptions, as the user matrix does.
int computePAM250(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                  tDistancesBlk* distances);
