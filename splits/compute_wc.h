// Weak clusters of a distance matrix: the sets A of taxa such that for all
// a1, a2 in A and b outside, d(a1, a2) < max(d(a1, b), d(a2, b)), built up
// taxon by taxon and weighted by the least margin of that inequality.
#pragma once

#include <vector>

#include "core/sets.h"
#include "splits/splits_sys.h"

// d[i][j] for taxa 1..n; row and column 0 unused.
typedef std::vector<std::vector<double>> tDistanceMatrix;

// The least max(d(a1,b1), d(a2,b1)) - d(a1,a2) over a1, a2 in A (a1 = a
// alone when a != 0) and b1 in 1..A's size outside A (b1 = b alone when
// b != 0); 0 as soon as one margin is not positive, 1e8 without triples.
double compute_index(int a, int b, const tSet* A, const tDistanceMatrix& d);

// Fills `system` (cleared, ntax = n >= 2) with the weak clusters as splits
// weighted by their index; a cluster met again as a complement keeps the
// smaller index.
void weak_clusters(int n, const tDistanceMatrix& d, tSplitsSystem* system);
