// Gap distance: the share of active sites at which exactly one of two taxa has a gap.
#pragma once

class tTaxaBlk;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;

// Without a gap symbol the missing symbol plays its part. No active site
// gives 1.0. Always 1.
int computeGapdist(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                   tDistancesBlk* distances);
