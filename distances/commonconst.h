// CCONST distances between groups of taxa, from the sites constant in both
// groups: a change of the constant state counts x times (TRANSFORM=CCONST x).
#pragma once

class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;

// Groups from the taxa partition; taxa of one group are at distance 0, and
// groups never constant at one state together at +infinity (unknown), with
// one warning. PARAMETER=1 divides by the number of active sites instead of
// twice the shared constant sites. 0 without a partition, else 1.
int computeCConst(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                  tDistancesBlk* distances);
