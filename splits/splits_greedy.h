// Greedy selections of splits: the selections are members of tSplitsSystem
// (greedy_compatible_splits, greedy_weakly_compatible_splits); this header
// adds the candidate order they share.
#pragma once

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
