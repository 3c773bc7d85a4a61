#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/random.h"

static std::vector<int> draw(int count)
{
  std::vector<int> values;
  for (int i = 0; i < count; i++)
    values.push_back(ref_rand());
  return values;
}

TEST(RefRand, ReferenceSequencesWithPerThreadState)
{
  ref_srand(42);
  EXPECT_EQ(draw(3), (std::vector<int>{19081, 17033, 15269}));
  ref_srand(42);
  std::vector<int> other;
  std::thread worker([&] { other = draw(5); }); // never seeded: starts from 1
  worker.join();
  EXPECT_EQ(other, (std::vector<int>{16838, 5758, 10113, 17515, 31051}));
  EXPECT_EQ(ref_rand(), 19081);
}
