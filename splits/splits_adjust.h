// The ADJUST step: each split's weight is estimated again from the quartets
// that generate it (those of smallest positive index under the distances the
// splits themselves induce). Where no other split displays an alternative
// grouping of such a quartet, the quartet's index is taken from the data by
// the mean rather than the larger of the two alternative pair sums.
//
// The entry point is tSplitsSystem::adjust_isolation_indices (splits_sys.h).
#pragma once

#include <vector>

class tSplitsSystem;
struct tQuart;

// max(M(a,c) + M(b,d), M(a,d) + M(b,c)) - (M(a,b) + M(c,d)) for q = ab|cd.
double quartet_dsplits_index(const tQuart& q, double** M);
// 0.5 (d(a,c) + d(b,d) + d(a,d) + d(b,c)) - (d(a,b) + d(c,d)).
double adjust_dsplits_index(const tQuart& q, double** d);

// The adjusted weights w[1..nsplits] of s over distances d (rows 1..ntax),
// starting from s's weights. Returns 0 (w then holds s's weights) when a
// split has no generating quartet; the warning names it.
int adjust_weights(const tSplitsSystem* s, double** d, std::vector<double>& w);
