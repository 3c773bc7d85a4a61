// The AVERAGE edge transform: each split's weight becomes the average
// isolation index of the quartets a1 a2 | b1 b2 across it, optionally only
// those whose cross distances stay within a maximal width. A pair of a side
// is left out when both lie within a side of a split nested inside this
// split's side, so that the quartets are those that define the split.
//
// The entry point is tSplitsSystem::iso_max_width (splits_sys.h).
#pragma once

#include <vector>

class tSplitsSystem;

// 0.5 (max(d(a1,b1) + d(a2,b2), d(a1,b2) + d(a2,b1)) - d(a1,a2) - d(b1,b2)).
double iso_index(double** d, int a1, int a2, int b1, int b2);
// The largest of the four cross distances.
double width(double** d, int a1, int a2, int b1, int b2);

// The pairs x <= y of split i's stored side (side 0) or of its complement
// (side 1) that no other split's side nested in it holds both of, in
// increasing order of x, then y.
std::vector<std::pair<int, int>> admissible_pairs(const tSplitsSystem* s, int i, int side);

// The averaged weights w[1..nsplits] of the splits over distances d (rows
// 1..ntax); max_width 0 means no limit. A split without a quartet gets 0.
// Quartets with an unknown distance are left out and counted in *unknown.
void average_isolation_indices(const tSplitsSystem* s, double** d, double max_width, std::vector<double>& w,
                               long* unknown);
