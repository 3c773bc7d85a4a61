#include <gtest/gtest.h>

#include <vector>

#include "core/message.h"
#include "core/sets.h"

static tSet make(int top, std::initializer_list<int> members)
{
  tSet S(top);
  for (int x : members)
    S.insert(x);
  return S;
}

static std::vector<int> members(const tSet& S)
{
  std::vector<int> v;
  for (int x = S.first_element(0); x; x = S.next_element(0, x))
    v.push_back(x);
  return v;
}

using V = std::vector<int>;

TEST(Set, ResizeKeepsLowMembersAndEnumerates)
{
  tSet S = make(6, {1, 4, 6});
  S.resize(4);
  S.resize(8);
  EXPECT_EQ(members(S), (V{1, 4}));
  EXPECT_EQ(S.get_element(2), 4);
  EXPECT_EQ(S.first_element(1), 2);
  S.make_fullset(4);
  EXPECT_EQ(S.first_element(1), 0);
  EXPECT_EQ(S.binary2set(4, 10), 2);
  EXPECT_EQ(members(S), (V{2, 4}));
  EXPECT_EQ(S.set2binary(), 10);
}

TEST(Set, FlaggedOperationsOnDifferentTops)
{
  tSet A = make(4, {1, 2}), B = make(6, {2, 5}), U;
  // A's complement lies within A's own top: 3 and 4, not 5 or 6.
  EXPECT_EQ(U.make_union(1, &A, 0, &B), 4);
  EXPECT_EQ(U.max_size(), 6);
  EXPECT_EQ(members(U), (V{2, 3, 4, 5}));
  A.make_intersection(0, &A, 1, &B); // the result may overwrite an operand
  EXPECT_EQ(members(A), (V{1}));
  EXPECT_EQ(A.max_size(), 6);

  tSet C = make(4, {1, 2}), D = make(8, {1, 2, 7});
  EXPECT_EQ(C.union_size(1, &B), 4);
  EXPECT_EQ(D.intersect_with(1, &B), 1); // positions 1..6 only
  EXPECT_EQ(members(D), (V{1, 7}));
  EXPECT_EQ(C.copy(1, &C), 2);
  EXPECT_EQ(members(C), (V{3, 4}));
  tSet one = make(3, {1}); // equality ignores the tops
  EXPECT_TRUE(one.equal(&A));
  EXPECT_FALSE(one.equal(&D));
}

TEST(Set, SplitsAndEqualTopOperations)
{
  tSet A = make(4, {1, 2}), B = make(4, {3, 4}), C = make(4, {1, 3}), R;
  EXPECT_TRUE(A.split_equal(&B));
  EXPECT_FALSE(A.split_equal(&C));
  EXPECT_TRUE(A.is_complement(&B));
  R.make_xor_N(&A, &C);
  EXPECT_EQ(members(R), (V{2, 3}));
  R.make_setminus_N(&A, &C);
  EXPECT_EQ(members(R), (V{2}));
  EXPECT_TRUE(A.is_subset_N(0, &R));
  EXPECT_FALSE(A.is_subset_N(0, &C));
}

TEST(SetDeathTest, MisuseIsFatal)
{
  tSet S(4), T(5);
  EXPECT_EXIT({ set_front_end(nullptr); S.insert(5); }, testing::ExitedWithCode(1),
              "tSet::insert \\(n=5\\): out of range: 1\\.\\.4");
  EXPECT_EXIT({ set_front_end(nullptr); S.split_equal(&T); }, testing::ExitedWithCode(1),
              "split_equal\\(A\\): top=4 != A\\.top=5");
  EXPECT_EXIT({ set_front_end(nullptr); S.make_union_N(&S, &T); }, testing::ExitedWithCode(1),
              "make_union \\(A,B\\): Sets have different maxsizes: 4 5");
}
