// Greedy selections of splits: the selections are members of tSplitsSystem
// (greedy_compatible_splits, greedy_weakly_compatible_splits); this header
// adds the candidate order they share.
#pragma once

#include <cstddef>
#include <vector>

#include "splits/splits_sys.h"

// A split offered to a greedy selection. The weight is held in single
// precision, so weights that differ only beyond float precision tie.
struct tSplitCandidate {
  float weight;
  int split;  // number of the split in its source, or its binary code
};

// Order of candidates: decreasing weight, equal weights by increasing split
// number, so the selection never depends on the sorting routine.
bool compare(const tSplitCandidate& x, const tSplitCandidate& y);

// Sorts candidates into that order.
void sort_candidates(std::vector<tSplitCandidate>& candidates);

// The selections on splits given by their binary codes over ntax <= 31 taxa
// (bit t-1 stands for taxon t), for candidate lists far too long for split
// sets: each test is a few word operations. `codes` are taken in the order
// given; the results are the positions in `codes` of the splits kept, in
// the order they were kept, the same as the selections on a split system. A code
// with an empty side is no split and is skipped.
std::vector<size_t> greedy_compatible_codes(int ntax, const std::vector<unsigned>& codes);
std::vector<size_t> greedy_weakly_compatible_codes(int ntax, const std::vector<unsigned>& codes);
