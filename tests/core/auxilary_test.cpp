#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/auxilary.h"
#include "core/memory.h"

TEST(Strings, ComparisonAndOwnedStrings)
{
  EXPECT_EQ(strcmp_nocase("abcd", "ABC"), 1);
  EXPECT_TRUE(same_token("Taxa", "TAXA"));
  EXPECT_FALSE(same_token(nullptr, "TAXA"));
  char* s = appendchar(nullptr, 'a');
  s = appendstr(s, "bc");
  s = appendstr(s, nullptr);
  EXPECT_STREQ(s, "abc");
  s = strreplace(s, s + 1); // the replacement may be a piece of the old text
  EXPECT_STREQ(s, "bc");
  MY_FREE(s);
}

TEST(Geometry, AtanxyAndTextWidths)
{
  EXPECT_EQ(atanxy(0, 0), 0.0);
  EXPECT_EQ(atanxy(0.0005, 0.0005), 0.0);
  EXPECT_DOUBLE_EQ(atanxy(0, 1), M_PI / 2);
  EXPECT_DOUBLE_EQ(atanxy(-1, -0.0), M_PI);
  EXPECT_EQ(strwidth_times12(""), 0);
  EXPECT_EQ(strwidth_times12("AB"), 17);
  EXPECT_EQ(strwidth_times12("Homo sapiens"), 74);
  EXPECT_EQ(charwidth_times12(0xFF), 0);
  // Codes above 127 are read unsigned, whatever the sign of char.
  EXPECT_EQ(strwidth_times12("\xC9\xE4"), 25);
}

// The smallest of the n rotations and n reversed rotations.
static std::vector<int> brute_normal_form(const std::vector<int>& a)
{
  size_t n = a.size();
  std::vector<int> best = a, fwd(n), bwd(n);
  for (size_t s = 0; s < n; s++) {
    for (size_t i = 0; i < n; i++) {
      fwd[i] = a[(s + i) % n];
      bwd[i] = a[(s + n - i) % n];
    }
    best = std::min({best, fwd, bwd});
  }
  return best;
}

static std::vector<int> normal_form(std::vector<int> a)
{
  a.insert(a.begin(), 0);
  lexicographically_order(static_cast<int>(a.size()) - 1, a.data());
  return std::vector<int>(a.begin() + 1, a.end());
}

TEST(CircularOrder, NormalFormIsTheSmallestReading)
{
  EXPECT_EQ(normal_form({3, 1, 2}), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(normal_form({1, 3, 2}), (std::vector<int>{1, 2, 3}));
  unsigned state = 12345;
  for (int round = 0; round < 300; round++) {
    std::vector<int> a(1 + round % 9);
    for (int& x : a) {
      state = state * 1103515245u + 12345u;
      x = static_cast<int>((state >> 16) % (round % 2 ? 3 : 20)); // with and without repeats
    }
    ASSERT_EQ(normal_form(a), brute_normal_form(a)) << "round " << round;
  }
}
