// Kimura three-parameter (K3ST) distance for nucleotide data.
#pragma once

class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;

// -1/4 ln((1-2p-2q)(1-2p-2r)(1-2q-2r)) from F[1..4][1..4] with colors
// A, C, G, T (U): p the A-T/C-G share, q the A-C/G-T share, r the transitions.
// A saturated pair gives 100.0, with one warning per *warned. k other than 4
// is fatal.
double kimura3st(int k, double** F, int* warned);

// Always 1.
int computeK3ST(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                tDistancesBlk* distances);
