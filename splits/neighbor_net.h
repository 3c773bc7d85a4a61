// Neighbor-net (Bryant and Moulton 2004): a circular ordering of the taxa by
// agglomeration, and the non-negative least-squares weights of the splits
// that are arcs of it (circular_nnls.h).
//
// The agglomeration works like neighbor joining on clusters of one or two
// nodes: it picks the pair of clusters with the smallest Q-criterion, then
// within them the pair of nodes with the smallest Q-criterion among the
// clusters' nodes taken apart. Joined nodes become neighbours; a node with
// two neighbours is removed by reducing the three nodes of its path to two.
// Undoing the reductions from the last one expands the final nodes into the
// ordering.
#pragma once

#include <vector>

class tSplitsSystem;

// Circular ordering of the taxa 0..n-1 from their distances (n x n
// row-major, symmetric, finite): entry i is the taxon at position i.
std::vector<int> neighbor_net_ordering(int n, const std::vector<double>& d);

// 1 when no two splits of the system cross; every split must be an arc of
// the system's cycle (as the splits of neighbor-net are).
int circular_splits_compatible(const tSplitsSystem* splits);
