#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <random>
#include <vector>

#include "core/parallel.h"
#include "splits/compute_cycle.h"
#include "tests/splits/numbered_data.h"
#include "tests/support/capture.h"

namespace {

using V = std::vector<int>;

// True when every positive split is an arc of the stored cycle: walking
// round the circle, membership changes exactly twice.
bool splits_are_arcs(const tSplitsSystem& sys)
{
  int n = sys.ntax;
  for (int s = 1; s <= sys.nsplits; s++) {
    if (!(sys.get_weight(s) > 0.0))
      continue;
    const tSet* S = sys.get_split(s);
    int changes = 0;
    for (int i = 1; i <= n; i++)
      changes += S->is_element(sys.cycle[i]) != S->is_element(sys.cycle[i == n ? 1 : i + 1]);
    if (changes != 2)
      return false;
  }
  return true;
}

// A permutation of 1..n starting with 1, followed by its smaller neighbour.
void expect_canonical_permutation(const tSplitsSystem& sys)
{
  int n = sys.ntax;
  V identity(n);
  std::iota(identity.begin(), identity.end(), 1);
  ASSERT_TRUE(std::is_permutation(sys.cycle.begin() + 1, sys.cycle.end(), identity.begin(), identity.end()));
  EXPECT_TRUE(sys.cycle[1] == 1 && sys.cycle[2] < sys.cycle[n]);
}

// A random arc of the circle `order`.
V random_arc(const V& order, std::mt19937& rng)
{
  int n = static_cast<int>(order.size());
  int start = static_cast<int>(rng() % n), len = 1 + static_cast<int>(rng() % (n - 1));
  V side;
  for (int i = 0; i < len; i++)
    side.push_back(order[(start + i) % n]);
  return side;
}

} // namespace

TEST(CircularOrdering, SmallSystems)
{
  tCaptureScope cap;
  tSplitsSystem sys;
  sys.set_ntax(5);
  EXPECT_EQ(sys.compute_cyclic_configuration(), 1);
  EXPECT_EQ(sys.cycle, (V{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(cap.fe.logged, "Computing configuration... ");

  cap.fe.clear();
  tSplitsSystem two;
  two.set_ntax(4);
  add(two, {1, 2});
  add(two, {1, 3});
  EXPECT_EQ(two.compute_cyclic_configuration(), 1);
  EXPECT_EQ(two.cycle, (V{0, 1, 2, 4, 3}));
  EXPECT_EQ(cap.fe.logged, "Computing configuration... cyclic\n");

  // All three splits of four taxa: some taxon gets three neighbours.
  cap.fe.clear();
  add(two, {1, 4});
  EXPECT_EQ(two.compute_cyclic_configuration(), 0);
  EXPECT_EQ(two.is_cyclic, 0);
  expect_canonical_permutation(two);
  EXPECT_EQ(cap.fe.logged, "Computing configuration... non-cyclic\n");

  // Splits without positive weight stay components of their own.
  two.set_weight(3, 0.0);
  std::vector<V> comps;
  EXPECT_EQ(two.incompatibility_components(comps), 2);
  EXPECT_EQ(comps[0], (V{2, 1, 2}));
  EXPECT_EQ(comps[1], (V{1, 3}));
  EXPECT_EQ(two.compute_cyclic_configuration(), 1);
}

TEST(CircularOrdering, TreesAndCircularSystemsGiveBackAValidCycle)
{
  tCaptureScope cap;
  std::mt19937 rng(3);
  ref_srand(3);
  for (int round = 0; round < 60; round++) {
    int n = 4 + round % 9;
    V order(n);
    std::iota(order.begin(), order.end(), 1);
    std::shuffle(order.begin(), order.end(), rng);

    tSplitsSystem tree;
    tree.set_ntax(n);
    for (const V& cluster : random_tree_clusters(n))
      add(tree, cluster, 1.0 + tree.nsplits);
    EXPECT_EQ(tree.compute_cyclic_configuration(), 1);
    expect_canonical_permutation(tree);
    EXPECT_TRUE(splits_are_arcs(tree));

    // Arcs of a random circle, with every pruning setting; the splits
    // without positive weight must not bend the cycle.
    tSplitsSystem circ;
    circ.set_ntax(n);
    for (int k = 0; k < n; k++)
      add(circ, random_arc(order, rng), (k % 4) ? 1.0 : -0.5);
    EXPECT_EQ(circ.weakly_compatible(), 1);
    circ.minimal_rest = round % 3;
    int cyclic = circ.compute_cyclic_configuration();
    expect_canonical_permutation(circ);
    EXPECT_EQ(cyclic, 1) << "round " << round;
    EXPECT_TRUE(splits_are_arcs(circ)) << "round " << round;
  }
}

// Large systems share their pair tests out: on any number of threads the
// components are those of the crossings of positive splits, found pair by
// pair, each listed from its smallest split.
TEST(CircularOrdering, ComponentsAreThoseOfTheCrossingsOnAnyThreads)
{
  tCaptureScope cap;
  std::mt19937 rng(11);
  const int n = 40;
  V order(n);
  std::iota(order.begin(), order.end(), 1);
  std::shuffle(order.begin(), order.end(), rng);
  tSplitsSystem sys;
  sys.set_ntax(n);
  for (int k = 0; k < 600; k++) {
    V side = random_arc(order, rng);
    // A few arbitrary sides join the arcs, and cross much.
    if (k % 50 == 0) {
      side.clear();
      for (int t = 1; t <= n; t++)
        if (rng() % 2)
          side.push_back(t);
    }
    add(sys, side, k % 7 ? 1.0 : 0.0);
  }
  std::vector<int> group(static_cast<size_t>(sys.nsplits) + 1);
  std::iota(group.begin(), group.end(), 0);
  std::function<int(int)> root = [&](int s) { return group[s] == s ? s : group[s] = root(group[s]); };
  for (int i = 1; i <= sys.nsplits; i++)
    for (int j = i + 1; j <= sys.nsplits; j++)
      if (sys.get_weight(i) > 0.0 && sys.get_weight(j) > 0.0 && !sys.compatible_splits(i, j))
        group[std::max(root(i), root(j))] = std::min(root(i), root(j));
  std::vector<V> want;
  for (int s = 1; s <= sys.nsplits; s++)
    if (root(s) == s) {
      V comp(1, 0);
      for (int k = s; k <= sys.nsplits; k++)
        if (root(k) == s)
          comp.push_back(k);
      comp[0] = static_cast<int>(comp.size()) - 1;
      want.push_back(comp);
    }
  const int before = get_thread_count();
  for (int threads : {1, 2, 3}) {
    set_thread_count(threads);
    std::vector<V> comps;
    EXPECT_EQ(sys.incompatibility_components(comps), static_cast<int>(want.size()));
    EXPECT_EQ(comps, want) << threads;
  }
  set_thread_count(before);
}

TEST(CircularOrdering, TwoNeighboursEachAreNotEnough)
{
  // Every class finds two neighbours, yet {1,5,9} is no arc of the cycle
  // read off: no circle realises these four splits.
  tCaptureScope cap;
  tSplitsSystem sys;
  sys.set_ntax(9);
  add(sys, {1, 2, 5, 9});
  add(sys, {1, 5, 9});
  add(sys, {1, 4, 7});
  add(sys, {1, 2, 4, 6});
  EXPECT_EQ(sys.compute_cyclic_configuration(), 0);
  EXPECT_EQ(sys.cycle, (V{0, 1, 2, 5, 9, 3, 8, 6, 4, 7}));
  EXPECT_EQ(cap.fe.logged, "Computing configuration... non-cyclic\n");
}

TEST(CircularOrderingDeathTest, ComponentListMustStartEmpty)
{
  tSplitsSystem sys;
  std::vector<V> comps(3);
  EXPECT_EXIT({ set_front_end(nullptr); sys.incompatibility_components(comps); }, testing::ExitedWithCode(1),
              "incompatibility_components\\(comps=3\\): non zero argument");
}
