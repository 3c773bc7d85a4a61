// Covarion distances between groups of taxa: how far the invariance of the
// sites in one group goes together with their invariance in the other.
#pragma once

class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;

// Groups from the taxa partition; taxa of one group are at distance 0, and
// groups whose invariance is independent at +infinity (unknown), with one
// warning. 0 without a partition, else 1.
int computeCovarion(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                    tDistancesBlk* distances);
