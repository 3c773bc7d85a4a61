#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "splits/splits_greedy.h"
#include "tests/splits/numbered_data.h"
#include "tests/support/capture.h"

namespace {

using V = std::vector<int>;

// sel is ordered by weight and passes `test`; every split of src left out
// would make it fail.
void check_selection(tSplitsSystem& sel, const tSplitsSystem& src, int (tSplitsSystem::*test)() const)
{
  for (int i = 2; i <= sel.nsplits; i++)
    EXPECT_GE(sel.get_weight(i - 1), sel.get_weight(i));
  // Zero weights would hide a fault from the whole-system tests.
  for (int i = 1; i <= sel.nsplits; i++)
    sel.set_weight(i, 1.0);
  EXPECT_EQ((sel.*test)(), 1);
  for (int s = 1; s <= src.nsplits; s++) {
    bool in = false;
    for (int i = 1; i <= sel.nsplits; i++)
      in = in || sel.get_split(i)->equal(src.get_split(s));
    if (in)
      continue;
    sel.append_split(src.get_split(s), 1.0);
    EXPECT_EQ((sel.*test)(), 0);
    sel.pop_split();
  }
}

} // namespace

TEST(GreedySelection, KeepsTheHeaviestSplitsThatFit)
{
  tCaptureScope cap;
  tSplitsSystem src;
  src.set_ntax(4);
  add(src, {1, 4}, 1);
  add(src, {1, 2}, 3);
  add(src, {1, 3}, 2);
  tSplitsSystem tree, weak;
  EXPECT_EQ(tree.greedy_compatible_splits(&src), 1);
  EXPECT_EQ(tree.get_weight(1), 3.0);
  EXPECT_EQ(weak.greedy_weakly_compatible_splits(&src), 2);
  EXPECT_EQ(weak.get_weight(1), 3.0);
  EXPECT_EQ(weak.get_weight(2), 2.0);
  EXPECT_EQ(weak.ntax, 4);

  // A split given twice (either side) is kept once in a tree.
  add(src, {2, 3, 4}, 0.5);
  add(src, {2, 3}, 0.5);
  EXPECT_EQ(tree.greedy_compatible_splits(&src), 2);
  EXPECT_EQ(tree.get_weight(2), 0.5);

  EXPECT_EQ(cap.fe.logged, "");
}

TEST(GreedySelection, EqualWeightsGoBySplitNumber)
{
  tSplitsSystem src;
  src.set_ntax(4);
  add(src, {1, 3}, 1.0);
  add(src, {1, 2}, 1.0 + 1e-12);  // equal in single precision
  add(src, {1, 4}, 1.0);
  tSplitsSystem tree, weak;
  ASSERT_EQ(tree.greedy_compatible_splits(&src), 1);
  EXPECT_TRUE(tree.get_split(1)->equal(src.get_split(1)));
  ASSERT_EQ(weak.greedy_weakly_compatible_splits(&src), 2);
  EXPECT_TRUE(weak.get_split(1)->equal(src.get_split(1)));
  EXPECT_TRUE(weak.get_split(2)->equal(src.get_split(2)));
}

TEST(GreedySelection, SelectionsAreCompatibleAndMaximal)
{
  tCaptureScope cap;
  std::mt19937 rng(5);
  for (int round = 0; round < 40; round++) {
    int n = 5 + round % 5;
    tSplitsSystem src;
    src.set_ntax(n);
    for (int s = 0; s < 12; s++) {
      V side;
      for (int t = 1; t <= n; t++)
        if (rng() % 2)
          side.push_back(t);
      if (side.empty() || static_cast<int>(side.size()) == n)
        continue;
      add(src, side, static_cast<double>(rng() % 6));
    }
    tSplitsSystem tree, weak;
    tree.greedy_compatible_splits(&src);
    weak.greedy_weakly_compatible_splits(&src);
    check_selection(tree, src, &tSplitsSystem::strongly_compatible);
    check_selection(weak, src, &tSplitsSystem::weakly_compatible);
  }
}

TEST(GreedySelection, BinaryCodesSelectAsSplitSets)
{
  std::mt19937 rng(11);
  for (int round = 0; round < 60; round++) {
    const int n = 4 + round % 6;
    tSplitsSystem src;
    src.set_ntax(n);
    for (int s = 0; s < 30; s++) {
      const unsigned code = 1 + static_cast<unsigned>(rng() % ((1u << n) - 2));
      tSet S;
      S.binary2set(n, static_cast<int>(code));
      add(src, [&] { V v; for (int t = 1; t <= n; t++) if (S.is_element(t)) v.push_back(t); return v; }(),
          static_cast<double>(rng() % 8));
    }
    std::vector<tSplitCandidate> order;
    for (int i = 1; i <= src.nsplits; i++)
      order.push_back({static_cast<float>(src.get_weight(i)), i});
    sort_candidates(order);
    std::vector<unsigned> codes;
    for (const tSplitCandidate& c : order)
      codes.push_back(static_cast<unsigned>(src.get_split(c.split)->set2binary()));

    tSplitsSystem tree, weak;
    tree.greedy_compatible_splits(&src);
    weak.greedy_weakly_compatible_splits(&src);
    const std::vector<size_t> tree_codes = greedy_compatible_codes(n, codes);
    const std::vector<size_t> weak_codes = greedy_weakly_compatible_codes(n, codes);
    ASSERT_EQ(tree_codes.size(), static_cast<size_t>(tree.nsplits));
    ASSERT_EQ(weak_codes.size(), static_cast<size_t>(weak.nsplits));
    for (int i = 1; i <= tree.nsplits; i++)
      EXPECT_TRUE(tree.get_split(i)->split_equal(src.get_split(order[tree_codes[static_cast<size_t>(i - 1)]].split)));
    for (int i = 1; i <= weak.nsplits; i++)
      EXPECT_TRUE(weak.get_split(i)->split_equal(src.get_split(order[weak_codes[static_cast<size_t>(i - 1)]].split)));
  }
}
