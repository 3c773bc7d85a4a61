#include <gtest/gtest.h>

#include "core/labels.h"
#include "core/labsets.h"
#include "core/message.h"

TEST(Labels, MissingLabelsReadAsTheirNumber)
{
  tLabels L;
  L.set_n(0);
  EXPECT_EQ(L.append("Abc"), 1);
  EXPECT_EQ(L.append("Escherichia"), 2);
  L.set(2, "E"); // the maximum length is never lowered
  EXPECT_EQ(L.max_label_length(), 11);
  EXPECT_STREQ(L.get(7), "7");
  EXPECT_EQ(L.label2n("Abc"), 1);
  EXPECT_EQ(L.label2n("abc"), 0);
  L.set_n(2);
  EXPECT_EQ(L.max_label_length(), 3);
  EXPECT_STREQ(L.get(1), "1");
  EXPECT_EQ(L.label2n("1"), 0);
}

TEST(Labels, TruncateAppendsIndexToLongLabelsOnly)
{
  tLabels L;
  for (const char* name : {"Escherichia", "Bacillus", "Mus", "Homo_s", "Homo_sa"})
    L.append(name);
  for (int i = 6; i <= 12; i++)
    L.append("Pan_troglodytes");
  L.truncate(8);
  EXPECT_STREQ(L.get(1), "Escher01");
  EXPECT_STREQ(L.get(2), "Bacill02");
  EXPECT_STREQ(L.get(3), "Mus");
  EXPECT_STREQ(L.get(4), "Homo_s04");
  EXPECT_STREQ(L.get(5), "Homo_s05");
  EXPECT_EQ(L.max_label_length(), 8);
  for (int i = 13; i <= 1000; i++)
    L.append("Pan_troglodytes");
  L.truncate(6);
  EXPECT_STREQ(L.get(1), "Es0001");
  EXPECT_STREQ(L.get(1000), "Pa1000");
  L.truncate(4); // no room for a stem: the labels are kept
  EXPECT_STREQ(L.get(2), "Ba0002");
}

TEST(LabSets, AppendKeepsACopy)
{
  tLabSets sets;
  tSet S(5);
  S.insert(2);
  EXPECT_EQ(sets.append("outgroup", &S), 1);
  S.insert(3);
  EXPECT_EQ(sets.n2set(1)->size(), 1);
  EXPECT_EQ(sets.n2set(2), nullptr);
  EXPECT_STREQ(sets.n2label(2), "2");
}

TEST(LabelsDeathTest, MisuseIsFatal)
{
  tLabels L;
  L.set_n(2);
  EXPECT_EXIT({ set_front_end(nullptr); L.set_n(-1); }, testing::ExitedWithCode(1),
              "Fatal Error: set_n \\(n=-1\\): illegal value");
  EXPECT_EXIT({ set_front_end(nullptr); L.set(3, "x"); }, testing::ExitedWithCode(1),
              "Fatal Error: set\\(n=3,label\\): out of range: 1\\.\\.2");
}
