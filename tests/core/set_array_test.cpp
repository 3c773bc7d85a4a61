#include <gtest/gtest.h>

#include "core/message.h"
#include "core/set_array.h"

TEST(SetArray, AppendAddAndMissingIndices)
{
  tSetArray A;
  tSet S(3);
  S.insert(2);
  A.append(&S);
  S.insert(3); // the array holds a copy
  EXPECT_EQ(A[1]->size(), 1);
  EXPECT_EQ(A[2]->size(), 0);
  A[7]->singleton(4); // the stand-in for missing sets cannot be spoilt
  EXPECT_EQ(A[7]->size(), 0);

  A.add(4, 5);
  EXPECT_EQ(A.num, 4);
  EXPECT_EQ(A.max_size, 4);
  EXPECT_EQ(A[2]->size(), 0);
  A.add(4, 9);
  EXPECT_EQ(A[4]->max_size(), 9);
  EXPECT_EQ(A[4]->size(), 2);

  A.reset(); // reused sets start empty
  A.add(2, 1);
  A.append(&S);
  EXPECT_EQ(A[1]->size(), 0);
  EXPECT_EQ(A[2]->size(), 1);
  EXPECT_EQ(A[3]->size(), 2);
}

TEST(SetArrayDeathTest, MisuseIsFatal)
{
  tSetArray A;
  EXPECT_EXIT({ set_front_end(nullptr); A.add(0, 1); }, testing::ExitedWithCode(1),
              "tSetArray::add \\(i=0\\): out of range");
}
