#include <gtest/gtest.h>

#include <string>

#include "core/sets.h"
#include "nexus/nexus.h"

static std::string text_of(const tSet& S)
{
  tNexusOutput out;
  out.OpenString();
  print_set(&out, &S);
  return out.GetString();
}

TEST(SetText, PrintWritesRuns)
{
  tSet S(9);
  EXPECT_EQ(text_of(S), "");
  for (int x : {1, 2, 3, 5, 7, 8})
    S.insert(x);
  EXPECT_EQ(text_of(S), " 1-3 5 7 8");
}

// Reads `text` over 1..max; returns "ok" or "fail", the set, and the token left current.
static std::string read(const char* text, int max, const char* stop)
{
  tNexusInput in;
  in.OpenString(text);
  in.NextToken();
  tSet S;
  bool ok = read_set(&in, &S, max, stop);
  const char* current = in.CurrentToken();
  return std::string(ok ? "ok" : "fail") + text_of(S) + " @" + (current ? current : "");
}

TEST(SetText, ReadListsAndTheirEnds)
{
  EXPECT_EQ(read("2-4 6;", 10, ";"), "ok 2-4 6 @;");
  EXPECT_EQ(read("3-.;", 5, ";"), "ok 3-5 @;");
  EXPECT_EQ(read("5-3;", 5, ";"), "ok @;");
  EXPECT_EQ(read("1 3, 4", 5, ","), "ok 1 3 @,");
  EXPECT_EQ(read("none ;", 4, ";"), "ok @;");
  EXPECT_EQ(read(";", 4, ";"), "ok @;");
  // The token that ends the list must carry a stop character.
  EXPECT_EQ(read("0;", 4, ";"), "fail @0");
  EXPECT_EQ(read("x;", 4, ";"), "fail @x");
  EXPECT_EQ(read("1 5;", 4, ";"), "fail 1 @5");
  EXPECT_EQ(read("1 2", 4, ";"), "fail 1 2 @");
  EXPECT_EQ(read("2-5;", 4, ";"), "fail @5");
  EXPECT_EQ(read("2-;", 4, ";"), "fail @;");
}
