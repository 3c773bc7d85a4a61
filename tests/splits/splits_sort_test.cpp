#include "splits/splits_sort.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "core/sets.h"
#include "nexus/nexus.h"

namespace {

tSet set_of(int ntax, std::initializer_list<int> members)
{
  tSet s(ntax);
  for (int t : members)
    s.insert(t);
  return s;
}

std::string printed(const tSplitsSort& tree, int* counter, int runs, int ntax)
{
  tNexusOutput out;
  out.OpenString();
  tSet scratch(ntax);
  tree.print_count(&out, counter, runs, 1, ntax, &scratch);
  return out.GetString();
}

} // namespace

TEST(SplitsSort, CountsBelongToExactlyOneSplit)
{
  const int ntax = 5;
  tSplitsSort tree;
  const tSet ab = set_of(ntax, {1, 2}), abc = set_of(ntax, {1, 2, 3}), ac = set_of(ntax, {1, 3});
  tree.add_count(1, ntax, &ab);
  tree.add_count(1, ntax, &abc);
  tree.add_count(1, ntax, &ab);
  EXPECT_EQ(tree.get_count(1, ntax, &ab), 2);
  EXPECT_EQ(tree.get_count(1, ntax, &abc), 1);
  EXPECT_EQ(tree.get_count(1, ntax, &ac), 0);
  tree.set_count(7, 1, ntax, &ac);
  EXPECT_EQ(tree.get_count(1, ntax, &ac), 7);

  // Removing one split leaves its neighbours on the shared path alone.
  EXPECT_EQ(tree.del_count(1, ntax, &ab), 1);
  EXPECT_EQ(tree.del_count(1, ntax, &ab), 0);
  EXPECT_EQ(tree.get_count(1, ntax, &ab), 0);
  EXPECT_EQ(tree.get_count(1, ntax, &abc), 1);
  EXPECT_EQ(tree.del_count(1, ntax, &abc), 1);
  EXPECT_EQ(tree.del_count(1, ntax, &ac), 1);
  // Nothing is left to print once every split is gone.
  EXPECT_EQ(printed(tree, nullptr, 10, ntax), "");
}

TEST(SplitsSort, PrintsSplitsHoldingATaxonFirstWithIntegerPercentages)
{
  const int ntax = 4;
  tSplitsSort tree;
  const tSet bc = set_of(ntax, {2, 3}), ac = set_of(ntax, {1, 3}), ab = set_of(ntax, {1, 2}),
             all_but_d = set_of(ntax, {1, 2, 3});
  for (const tSet* s : {&bc, &ac, &ab})
    tree.add_count(1, ntax, s);
  tree.set_count(37, 1, ntax, &all_but_d);

  // 37 of 100 runs is 37 %; one of 100 is 1 %.
  int counter = 5;
  EXPECT_EQ(printed(tree, &counter, 100, ntax),
            "\t[ 6]    37  1-3,\n"
            "\t[ 7]     1  1 2,\n"
            "\t[ 8]     1  1 3,\n"
            "\t[ 9]     1  2 3,\n");
  EXPECT_EQ(counter, 9);
  // One of three runs: 10000 / 3 = 3333 hundredths, cut, not rounded.
  tSplitsSort one;
  one.add_count(1, ntax, &ab);
  EXPECT_EQ(printed(one, nullptr, 3, ntax), "\t      33.33  1 2,\n");
  one.add_count(1, ntax, &ab);
  EXPECT_EQ(printed(one, nullptr, 3, ntax), "\t      66.66  1 2,\n");
}
