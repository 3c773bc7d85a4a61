// The Buneman tree: the incremental scheme of split decomposition
// (splits_decomp.h) with the Buneman index, which keeps only splits that
// every quartet across them supports, so the result is always compatible.
#pragma once

class tSet;
class tTaxaBlk;
class tDistancesBlk;

// Buneman index of A with the newest taxon t (A over at least 1..t, holding
// t): the smallest quartet_index(t, a1, b1, b2) over a1 in A and b1 <= b2
// outside it, 0.0 as soon as one is not positive. `taxa` is not consulted.
double buneman_index(int t, const tSet* A, const tTaxaBlk* taxa, const tDistancesBlk* distances);

// Half the amount by which the split ab|cd beats the better of the two other
// groupings of the four taxa.
double quartet_index(int a, int b, int c, int d, const tDistancesBlk* distances);
