#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "nexus/nexus.h"
#include "splits/splits_sys.h"
#include "tests/splits/numbered_data.h"
#include "tests/support/capture.h"

namespace {

using V = std::vector<int>;

tSet make_set(int n, const V& members)
{
  tSet S(n);
  for (int x : members)
    S.insert(x);
  return S;
}

V members(const tSet* S)
{
  V v;
  for (int x = S->first_element(0); x; x = S->next_element(0, x))
    v.push_back(x);
  return v;
}

// A full distance matrix over t1..tn.
struct tDist : tNumberedData {
  explicit tDist(const std::vector<std::vector<double>>& d)
      : tNumberedData(static_cast<int>(d.size()), [&](int i, int j) { return d[i - 1][j - 1]; })
  {
  }
};

} // namespace

TEST(SplitsSystem, StorageKeepsTheSideOfTaxonOne)
{
  tSplitsSystem sys;
  EXPECT_EQ(sys.minimal_rest, 2);
  EXPECT_EQ(sys.pop_split(), 0);
  sys.set_ntax(4);
  add(sys, {2, 3}, 2.5);
  tSet S14 = make_set(4, {1, 4});
  EXPECT_EQ(sys.append_split(&S14, -1.0), 2);
  EXPECT_EQ(members(sys.get_split(1)), (V{1, 4}));
  EXPECT_EQ(members(sys.get_split(2)), (V{1, 4}));
  sys.set_weight(2, 7.0);

  // Moving takes splits and weights only; the receiver keeps its cycle.
  tSplitsSystem dst;
  dst.set_ntax(4);
  dst.cycle = {0, 1, 2, 3, 4};
  EXPECT_EQ(dst.move_splits(&sys), 2);
  EXPECT_EQ(sys.get_n() * 10 + sys.get_ntax(), 4);
  EXPECT_EQ(dst.get_weight(2), 7.0);
  EXPECT_EQ(dst.cycle.size(), 5u);
  EXPECT_EQ(dst.pop_split(), 1);

  dst.minimal_rest = 1;
  dst.clear();
  EXPECT_EQ(dst.get_n() + dst.get_ntax() + dst.is_cyclic + dst.has_cycle(), 0);
  EXPECT_EQ(dst.minimal_rest, 1);
}

TEST(SplitsSystemDeathTest, MisuseIsFatalWithItsMessage)
{
  tSplitsSystem sys;
  sys.set_ntax(3);
  add(sys, {1});
  tSet wrong(4), support = make_set(5, {1, 5});
  tSplitsSystem other;
  other.set_ntax(5);
  EXPECT_EXIT({ set_front_end(nullptr); sys.get_split(2); }, testing::ExitedWithCode(1),
              "tSplitsBlk::get_split \\(n=2\\): out of range 1..1");
  EXPECT_EXIT({ set_front_end(nullptr); sys.set_weight(3, 1.5); }, testing::ExitedWithCode(1),
              "tSplitsBlk::set_weight \\(n=3,wgt=1.5\\): out of range 1..1");
  EXPECT_EXIT({ set_front_end(nullptr); sys.append_split(&wrong, 1); }, testing::ExitedWithCode(1),
              "append_split \\(A,wgt\\): max_size_A and ntax disagree: 4 3");
  EXPECT_EXIT({ set_front_end(nullptr); sys.move_splits(&other); }, testing::ExitedWithCode(1),
              "move_splits\\(src\\): ntax=3 != src->ntax=5");
  // Taxon 5 of the support does not exist in the original.
  EXPECT_EXIT({ set_front_end(nullptr); other.induce(&sys, &support); }, testing::ExitedWithCode(1),
              "tSplitsSystem::induce\\(orig_splits,support\\): n!=ntax 1 2");
}

TEST(SplitsSystem, CompatibilityOfSmallSystems)
{
  tCaptureScope cap;
  tSplitsSystem sys;
  sys.set_ntax(4);
  add(sys, {1, 2});
  add(sys, {1, 3});
  add(sys, {1, 4});
  add(sys, {1});
  EXPECT_EQ(sys.compatible_splits(1, 4), 1);
  EXPECT_EQ(sys.compatible_splits(1, 2), 0);
  EXPECT_EQ(sys.intersect2(1, 1, 1, 2), 4);
  EXPECT_EQ(sys.intersect3(0, 1, 1, 2, 1, 3), 2);
  EXPECT_EQ(sys.intersect3(1, 1, 1, 2, 1, 3), 0);
  EXPECT_EQ(sys.weakly_compatible_splits(1, 2, 4), 1);
  EXPECT_EQ(sys.strongly_compatible(), 0);
  EXPECT_EQ(sys.weakly_compatible(), 0);
  EXPECT_EQ(cap.fe.logged, "Not w.c.: 1 2 3\n");

  // Splits without positive weight never spoil compatibility.
  sys.set_weight(3, 0.0);
  EXPECT_EQ(sys.weakly_compatible(), 1);
  sys.set_weight(2, -1.0);
  EXPECT_EQ(sys.strongly_compatible(), 1);
}

TEST(SplitsSystem, FitIsTheShareOfTheDistancesExplained)
{
  tCaptureScope cap;
  tSplitsSystem sys;
  sys.set_ntax(3);
  tDist zero({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}});
  tDist d({{0, 3, 4}, {3, 0, 5}, {4, 5, 0}});
  EXPECT_EQ(sys.compute_fit(&zero.distances), 100.0);
  EXPECT_EQ(sys.compute_fit(&d.distances), 0.0);
  // The star with pendant lengths 1, 2, 3 realises d exactly.
  add(sys, {1}, 1);
  add(sys, {2}, 2);
  EXPECT_DOUBLE_EQ(sys.compute_fit(&d.distances), 50.0);
  add(sys, {3}, 3);
  EXPECT_DOUBLE_EQ(sys.compute_fit(&d.distances), 100.0);
}

TEST(SplitsSystem, InduceRestrictsToTheSupport)
{
  tSplitsSystem orig;
  orig.set_ntax(5);
  add(orig, {1, 2}, 1);
  add(orig, {1, 2, 3}, 2);
  add(orig, {3}, 3);         // trivial on {1,2,4,5}
  add(orig, {1, 4}, 4);
  tSet support = make_set(5, {1, 2, 4, 5});
  tSplitsSystem sys;
  EXPECT_EQ(sys.induce(&orig, &support), 2);
  EXPECT_EQ(sys.ntax, 4);
  EXPECT_EQ(members(sys.get_split(1)), (V{1, 2}));
  EXPECT_EQ(sys.get_weight(1), 1.0);
  EXPECT_EQ(members(sys.get_split(2)), (V{1, 3}));
  EXPECT_EQ(sys.get_weight(2), 4.0);
}
