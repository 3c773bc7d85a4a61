// Building the splits graph from a split system and its cycle.
//
// Every split gets a direction (from its place on the cycle) and a length
// (its weight); splits that are not intervals of the cycle are non-planar and
// get a slightly jittered direction. Starting from one vertex that holds all
// taxa, the splits go in one at a time, largest size class first (ties by
// split number): planar ones by doubling a separating path, then non-planar
// ones by doubling the intersection of the two sides' hulls, and the trivial
// splits last, giving each taxon its pendant edge. With reduce on, loops of
// the separating path are cut short and redundant box corners are removed.
//
// Usage by the QV_GRAPH block:
//   tGraphBuildResult r;
//   compute_graph(&graph, splits, reduce_graph, to_scale, &r);
//   then take over r.split_angles, r.split_lengths, ... and set mark = 0.
#pragma once

#include <vector>

#include "graph/sgraph.h"

class tSplitsSystem;

// What a construction leaves besides the graph. Arrays are 1-based (entry 0
// unused).
struct tGraphBuildResult {
  int ntax = 0;
  int nsplits = 0;
  std::vector<int> split_angles;      // 1..nsplits, tenths of a degree, 0..3599
  std::vector<double> split_lengths;  // 1..nsplits, the split weights
  std::vector<char> split_non_planar; // empty when every split is planar, else 1..nsplits
  int nvertices = 0;
  int nedges = 0;
  std::vector<tVertex*> vertices;     // 1..nvertices, vertex by number
  std::vector<tVertex*> tax2vertex;   // 1..ntax, the vertex of each taxon
  std::vector<int> translate;         // 1..ntax, that vertex's number
  int valid = 0;                      // 0 when there was nothing to build
  int too_large = 0;                  // 1 when refused for its size (graph left empty)
};

// Each split that is not an interval of the cycle doubles the part of the
// graph between its two sides' hulls, so many crossing splits of that kind
// grow the graph exponentially. The construction stops once the graph has
// this many vertices while such splits are still to come.
constexpr int MAX_GRAPH_VERTICES = 50000;

// Clears graph and builds it from splits (which should carry its cycle; a
// missing or broken cycle is replaced by the order 1..ntax). to_scale: band
// length = weight (1) or 1.0 (0); reduce: tidy loops and boxes. Fills out;
// returns 1, or 0 (out->too_large set, graph empty) past MAX_GRAPH_VERTICES.
int compute_graph(tSplitsGraph* graph, const tSplitsSystem* splits, int reduce, int to_scale,
                  tGraphBuildResult* out);

// Direction of every split (tenths of a degree) and its planarity.
// split_angles becomes nsplits+1 entries; split_non_planar is emptied, and
// gets nsplits+1 entries as soon as one split is not an interval of the
// cycle. Reseeds the reference generator with 1, so the jitter is the same
// on every call.
void compute_splits_angles(const tSplitsSystem* splits, std::vector<int>& split_angles,
                           std::vector<char>& split_non_planar);
// split_lengths becomes nsplits+1 entries: the weights, or 1.0 each when
// splits is null.
void compute_splits_lengths(const tSplitsSystem* splits, int nsplits, std::vector<double>& split_lengths);

// The cycle that the construction uses: the system's own when it is a
// permutation of 1..ntax, otherwise 1..ntax in order.
std::vector<int> usable_cycle(const tSplitsSystem* splits);
