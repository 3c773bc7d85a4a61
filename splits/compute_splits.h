// The refined split computation (assumption REFINE): the incremental scheme
// of split decomposition, but each candidate split carries the N smallest
// values of its quartets and is weighted by their average, which makes the
// weights less sensitive to one odd quartet. It serves DSPLITS and DTREE on
// distances and PSPLITS and PTREE on characters.
//
// The entry point is tSplitsSystem::compute_splits (splits_sys.h).
#pragma once

class tSet;
class tAssumptionsBlk;
class tCharactersBlk;
class tDistancesBlk;
class tQuartets;

// The quartet index of the refined computation and the gap handling of the
// character indices, set at the start of each refined run and left as that
// run left them (per thread).
extern thread_local int the_index;
extern thread_local int gapmissingmode;

// 1 DSPLITS, 2 DTREE, 3 PSPLITS, 4 PTREE, 5 LSPLITS, 6 LTREE, 0 otherwise.
int determine_index(const tAssumptionsBlk* assumptions);
// 1 when gaps count as missing data.
int determine_gapmissingmode(const tAssumptionsBlk* assumptions);

// Decides candidate A (over 1..t, holding t) and collects its quartets
// through t into new_quarts, starting from old_quarts (the list of the split
// it extends; the two may be the same list). 1 when the candidate stays.
int compute_index(int t, const tSet* A, const tQuartets& old_quarts, tQuartets& new_quarts, int count,
                  const tAssumptionsBlk* assumptions, const tCharactersBlk* characters,
                  const tDistancesBlk* distances);

// How much better ab|cd fits than the best (DSPLITS) or the second best
// (DTREE) of the other two groupings.
double quartet_dsplits_index(int a, int b, int c, int d, const tDistancesBlk* distances);
double quartet_dtree_index(int a, int b, int c, int d, const tDistancesBlk* distances);

// The same from the active sites: twice the excess of the sites that group
// a1a2|b1b2 over the smaller (PSPLITS) or larger (PTREE) count of sites that
// group the four taxa another way; 0.0 when there is no excess. Sites where
// a row is missing (or a gap, when gaps count as missing) are left out.
double quartet_psplits_index(int a1, int a2, int b1, int b2, const tCharactersBlk* characters);
double quartet_ptree_index(int a1, int a2, int b1, int b2, const tCharactersBlk* characters);
