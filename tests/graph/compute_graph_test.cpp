#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "core/random.h"
#include "graph/compute_graph_n.h"
#include "splits/splits_sys.h"
#include "tests/splits/numbered_data.h"

namespace {

using V = std::vector<int>;

void set_cycle(tSplitsSystem& sys, const V& order)
{
  sys.cycle.assign(1, 0);
  sys.cycle.insert(sys.cycle.end(), order.begin(), order.end());
}

// The vertices reachable from `from` without crossing colour p.
tSet reach(const tSplitsGraph& g, const tVertex* from, int p)
{
  tSet A(g.num_vertices());
  g.find_split_part_recursively(from, p, A);
  return A;
}

// Everything a correct splits graph must satisfy; reports the first breach.
::testing::AssertionResult well_formed(const tSplitsGraph& g, const tSplitsSystem& sys, const tGraphBuildResult& r,
                                       int to_scale)
{
  const int ntax = sys.ntax;
  if (r.nvertices != g.num_vertices() || r.nedges != g.num_edges())
    return ::testing::AssertionFailure() << "counts";
  int k = 0;
  for (const tVertex* v = g.first_vertex(); v; v = g.next_vertex(v))
    if (v->num != ++k || r.vertices[static_cast<size_t>(k)] != v)
      return ::testing::AssertionFailure() << "numbering at " << k;
  for (int t = 1; t <= ntax; t++) {
    int holders = 0;
    for (const tVertex* v = g.first_vertex(); v; v = g.next_vertex(v))
      holders += v->taxa.is_element(t);
    const tVertex* v = r.tax2vertex[static_cast<size_t>(t)];
    if (holders != 1 || !v || !v->taxa.is_element(t) || r.translate[static_cast<size_t>(t)] != v->num)
      return ::testing::AssertionFailure() << "taxon " << t << " on " << holders << " vertices";
  }
  for (const tEdge* e = g.first_edge(); e; e = g.next_edge(e)) {
    tSet diff;
    diff.make_xor_N(&e->v->splits, &e->w->splits);
    if (diff.size() != 1 || !diff.is_element(e->color))
      return ::testing::AssertionFailure() << "splits sets across edge " << e->num;
  }
  for (int p = 1; p <= sys.nsplits; p++) {
    const tSet* stored = sys.get_split(p);
    const tVertex* one = g.vertex_of_taxon(1);
    const tVertex* other = g.vertex_of_taxon(stored->first_element(1));
    const tSet near = reach(g, one, p), far = reach(g, other, p);
    if (near.intersection_size(0, &far) != 0 || near.size() + far.size() != g.num_vertices())
      return ::testing::AssertionFailure() << "colour " << p << " does not cut the graph in two";
    for (const tVertex* v = g.first_vertex(); v; v = g.next_vertex(v))
      if (v->taxa.intersection_size(near.is_element(v->num) ? 1 : 0, stored) != 0)
        return ::testing::AssertionFailure() << "colour " << p << " separates the wrong taxa";
    const double len = to_scale ? sys.get_weight(p) : 1.0;
    const double a = r.split_angles[static_cast<size_t>(p)] * M_PI / 1800;
    int band = 0;
    for (const tEdge* e = g.first_edge(); e; e = g.next_edge(e)) {
      if (e->color != p)
        continue;
      band++;
      const bool v_near = near.is_element(e->v->num);
      if (v_near == near.is_element(e->w->num))
        return ::testing::AssertionFailure() << "edge " << e->num << " of colour " << p << " inside a side";
      const tVertex* from = v_near ? e->v : e->w;
      const tVertex* to = e->other(from);
      if (std::hypot(to->x - from->x - len * std::cos(a), to->y - from->y - len * std::sin(a)) > 1e-9)
        return ::testing::AssertionFailure() << "edge " << e->num << " of colour " << p << " has the wrong vector";
    }
    if (band == 0 && stored->split_size() > 0)
      return ::testing::AssertionFailure() << "colour " << p << " has no edge";
  }
  return ::testing::AssertionSuccess();
}

V random_order(int n, std::mt19937& rng)
{
  V order(static_cast<size_t>(n));
  std::iota(order.begin(), order.end(), 1);
  std::shuffle(order.begin(), order.end(), rng);
  return order;
}

bool already_there(const tSplitsSystem& sys, const tSet& S)
{
  for (int p = 1; p <= sys.nsplits; p++)
    if (sys.get_split(p)->split_equal(&S))
      return true;
  return false;
}

// Appends up to `count` new non-trivial splits; `arc` picks arcs of order,
// otherwise arbitrary subsets.
void add_random_splits(tSplitsSystem& sys, const V& order, int count, bool arc, std::mt19937& rng)
{
  const int n = sys.ntax;
  for (int tries = 0; tries < 20 * count && count > 0; tries++) {
    tSet S(n);
    if (arc) {
      const int start = static_cast<int>(rng() % n), len = 2 + static_cast<int>(rng() % (n - 3));
      for (int i = 0; i < len; i++)
        S.insert(order[static_cast<size_t>((start + i) % n)]);
    } else {
      for (int t = 1; t <= n; t++)
        if (rng() % 2)
          S.insert(t);
    }
    if (S.split_size() < 2 || already_there(sys, S))
      continue;
    sys.append_split(&S, 0.1 + (rng() % 300) / 100.0);
    count--;
  }
}

void add_trivial_splits(tSplitsSystem& sys, std::mt19937& rng)
{
  for (int t = 1; t <= sys.ntax; t++)
    add(sys, {t}, 0.1 + (rng() % 300) / 100.0);
}

} // namespace

TEST(ComputeGraph, NothingToBuild)
{
  tSplitsSystem sys;
  sys.set_ntax(4);
  tSplitsGraph g;
  g.new_vertex();
  tGraphBuildResult r;
  EXPECT_EQ(compute_graph(&g, &sys, 1, 1, &r), 1);
  EXPECT_EQ(r.valid, 0);
  EXPECT_EQ(r.nvertices + r.nedges + g.num_vertices(), 0);


  // A split with an empty side has no band and no place on the circle.
  sys.set_ntax(3);
  add(sys, {1, 2, 3});
  add(sys, {2});
  set_cycle(sys, {1, 2, 3});
  compute_graph(&g, &sys, 0, 1, &r);
  EXPECT_EQ(r.nvertices, 2);
  EXPECT_EQ(g.color_without_edge(2), 1);
}

TEST(ComputeGraph, TrivialSplitsMakeAStarInCycleOrder)
{
  const V order = {3, 1, 5, 2, 4};
  const double weight[] = {0, 1.5, 2.0, 0.5, 1.0, 3.0};
  for (int to_scale = 0; to_scale <= 1; to_scale++) {
    tSplitsSystem sys;
    sys.set_ntax(5);
    for (int t = 1; t <= 5; t++)
      add(sys, {t}, weight[t]);
    set_cycle(sys, order);
    tSplitsGraph g;
    tGraphBuildResult r;
    compute_graph(&g, &sys, 0, to_scale, &r);
    ASSERT_EQ(r.nvertices, 6);
    EXPECT_EQ(r.nedges, 5);
    const tVertex* centre = nullptr;
    for (const tVertex* v = g.first_vertex(); v; v = g.next_vertex(v))
      if (v->taxa.size() == 0)
        centre = v;
    ASSERT_NE(centre, nullptr);
    EXPECT_EQ(centre->edges().num(), 5);
    EXPECT_EQ(centre->x, 0.0);
    EXPECT_EQ(centre->y, 0.0);
    for (int k = 1; k <= 5; k++) {
      const int t = order[static_cast<size_t>(k - 1)];
      EXPECT_EQ(r.split_lengths[static_cast<size_t>(t)], weight[t]) << "the weight, drawn to scale or not";
      const double a = static_cast<int>(k * 3600.0 / 5 + 1800) % 3600 * M_PI / 1800;
      const double len = to_scale ? weight[t] : 1.0;
      const tVertex* leaf = r.tax2vertex[static_cast<size_t>(t)];
      EXPECT_NEAR(leaf->x, len * std::cos(a), 1e-9) << t;
      EXPECT_NEAR(leaf->y, len * std::sin(a), 1e-9) << t;
    }
  }
}

TEST(ComputeGraph, LargerSizeClassesGoInFirst)
{
  // Size classes 3, 2, 3, 2 over eight taxa: inserted as 1, 3, 2, 4.
  tSplitsSystem sys;
  sys.set_ntax(8);
  add(sys, {1, 2, 3});
  add(sys, {1, 2});
  add(sys, {6, 7, 8});
  add(sys, {7, 8});
  set_cycle(sys, {1, 2, 3, 4, 5, 6, 7, 8});
  tSplitsGraph g;
  tGraphBuildResult r;
  compute_graph(&g, &sys, 0, 1, &r);
  // Each insertion doubles one vertex, so the order shows in the vertex
  // list: 1 gives vertex 2 the taxa 4-8, 3 gives vertex 3 the taxa 4 5,
  // 2 gives vertex 4 taxon 3 and 4 gives vertex 5 taxon 6. The order 1 2 3 4
  // would put taxon 3 on vertex 3 and taxa 4, 5 on vertex 4.
  EXPECT_EQ(r.translate[3], 4);
  EXPECT_EQ(r.translate[4], 3);
  EXPECT_EQ(r.translate[6], 5);
}

TEST(ComputeGraph, NonPlanarSplitsAreJitteredReproduciblyAndGoInLast)
{
  tSplitsSystem sys;
  sys.set_ntax(4);
  add(sys, {1, 3}, 1.0); // not an interval of 1 2 3 4
  add(sys, {1, 2}, 1.0);
  for (int t = 1; t <= 4; t++)
    add(sys, {t}, 1.0);
  set_cycle(sys, {1, 2, 3, 4});
  std::vector<int> angles;
  std::vector<char> non_planar;
  compute_splits_angles(&sys, angles, non_planar);
  // Longest run: position 1 alone, middle 1.5 * 900, plus the first jitter
  // value of seed 1 (16838 -> 150 - 78).
  EXPECT_EQ(angles[1], 1422);
  EXPECT_EQ(angles[2], 1350);
  EXPECT_EQ(non_planar, (std::vector<char>{0, 1, 0, 0, 0, 0, 0}));
  ref_srand(77);
  ref_rand();
  std::vector<int> again;
  compute_splits_angles(&sys, again, non_planar);
  EXPECT_EQ(again, angles);

  tSplitsGraph g;
  tGraphBuildResult r;
  compute_graph(&g, &sys, 0, 1, &r);
  EXPECT_EQ(r.split_non_planar, non_planar);
  // {1,2} first puts 3 and 4 on vertex 2; {1,3} then doubles both vertices.
  // The other order would leave 1 and 3 together on vertex 1 first.
  EXPECT_EQ(r.translate, (V{0, 1, 3, 2, 4}));
  EXPECT_EQ(r.nvertices, 8); // a box with four pendant edges
  EXPECT_TRUE(well_formed(g, sys, r, 1));
}

TEST(ComputeGraph, NonPlanarSplitsDoubleTheWholeHullIntersection)
{
  // After the first three splits the graph is a cube; the shortest paths
  // between the vertices of 2, 3 and 5 miss one corner of the hull of those
  // vertices, and without that corner an edge would join the two sides of
  // {1,4} | {2,3,5} outside its band.
  tSplitsSystem sys;
  sys.set_ntax(5);
  for (const V& side : {V{1, 2, 3}, V{1, 2, 5}, V{1, 2, 4}, V{1, 4}})
    add(sys, side);
  set_cycle(sys, {1, 2, 3, 4, 5});
  tSplitsGraph g;
  tGraphBuildResult r;
  compute_graph(&g, &sys, 0, 1, &r);
  EXPECT_EQ(r.split_non_planar, (std::vector<char>{0, 0, 0, 1, 1}));
  EXPECT_TRUE(well_formed(g, sys, r, 1));
}

TEST(ComputeGraph, GeneratedSystemsGiveWellFormedGraphs)
{
  // Arcs of the cycle (planar) and arbitrary splits (non-planar ones too).
  std::mt19937 rng(20240611);
  bool some_reduction = false;
  for (int round = 0; round < 70; round++) {
    const bool circular = round % 2 == 0;
    const int n = circular ? 5 + round % 12 : 5 + round % 6;
    tSplitsSystem sys;
    sys.set_ntax(n);
    const V order = random_order(n, rng);
    set_cycle(sys, order);
    add_trivial_splits(sys, rng);
    add_random_splits(sys, order, circular ? 2 + round % 9 : 1 + round % 5, circular, rng);
    int vertices[2] = {0, 0};
    for (int reduce = 0; reduce <= 1; reduce++)
      for (int to_scale = 0; to_scale <= 1; to_scale++) {
        tSplitsGraph g;
        tGraphBuildResult r;
        EXPECT_EQ(compute_graph(&g, &sys, reduce, to_scale, &r), 1);
        EXPECT_TRUE(well_formed(g, sys, r, to_scale)) << "round " << round << " reduce " << reduce;
        EXPECT_TRUE(!circular || r.split_non_planar.empty());
        vertices[reduce] = g.num_vertices();
      }
    EXPECT_LE(vertices[1], vertices[0]) << "round " << round;
    some_reduction |= vertices[1] < vertices[0];
  }
  EXPECT_TRUE(some_reduction);
}

// The hulls of determine_sets are the smallest sets holding their vertices
// that contain every shortest path between two of their members, the walk
// of compute_conv giving the paths of one pair.
TEST(ComputeGraph, HullsAreClosedUnderTheWalksBetweenTheirMembers)
{
  std::mt19937 rng(777);
  int hulls_beyond_ends = 0;
  for (int round = 0; round < 40; round++) {
    const int n = 6 + round % 6;
    tSplitsSystem sys;
    sys.set_ntax(n);
    const V order = random_order(n, rng);
    set_cycle(sys, order);
    add_trivial_splits(sys, rng);
    add_random_splits(sys, order, 2 + round % 7, false, rng);
    tSplitsGraph g;
    tGraphBuildResult r;
    ASSERT_EQ(compute_graph(&g, &sys, 0, 0, &r), 1);
    const std::vector<tVertex*> num2vert = g.set_num2vert();
    const int nv = g.num_vertices();
    auto closure = [&](const tSet& X) {
      tSet C;
      C.copy(0, &X);
      for (bool grown = true; grown;) {
        grown = false;
        for (int x = C.first_element(0); x; x = C.next_element(0, x))
          for (int y = C.next_element(0, x); y; y = C.next_element(0, y)) {
            tSet visited(nv), usable;
            usable.make_xor_N(&num2vert[static_cast<size_t>(x)]->splits, &num2vert[static_cast<size_t>(y)]->splits);
            g.compute_conv(num2vert[static_cast<size_t>(x)], num2vert[static_cast<size_t>(y)], usable, visited);
            if (C.intersection_size(0, &visited) != visited.size()) {
              C.union_with(0, &visited);
              grown = true;
            }
          }
      }
      return C;
    };
    for (int k = 0; k < 5; k++) {
      tSet S(n);
      for (int t = 1; t <= n; t++)
        if (rng() % 2)
          S.insert(t);
      tSet A, convA, B, convB, D;
      g.determine_sets(A, convA, B, convB, D, num2vert, S);
      const tSet hullA = closure(A), hullB = closure(B);
      EXPECT_TRUE(convA.equal(&hullA) && convB.equal(&hullB)) << "round " << round << " set " << k;
      hulls_beyond_ends += convA.size() > A.size();
    }
  }
  EXPECT_GT(hulls_beyond_ends, 0);
}

TEST(ComputeGraph, UnusableCycleFallsBackToTaxonOrder)
{
  tSplitsSystem sys;
  sys.set_ntax(5);
  add(sys, {1, 2}, 1.0);
  add(sys, {2, 3}, 1.0);
  add(sys, {4}, 1.0);
  EXPECT_EQ(usable_cycle(&sys), (V{0, 1, 2, 3, 4, 5}));
  set_cycle(sys, {1, 1, 2, 3, 4}); // taxon 5 missing
  EXPECT_EQ(usable_cycle(&sys), (V{0, 1, 2, 3, 4, 5}));
  set_cycle(sys, {5, 1, 2, 3, 4});
  EXPECT_EQ(usable_cycle(&sys), (V{0, 5, 1, 2, 3, 4}));
  sys.cycle.clear();
  tSplitsGraph g;
  tGraphBuildResult r;
  compute_graph(&g, &sys, 1, 1, &r);
  EXPECT_EQ(r.valid, 1);
  EXPECT_TRUE(well_formed(g, sys, r, 1));
}
