#include <gtest/gtest.h>

#include "core/memory.h"
#include "core/message.h"
#include "tests/support/capture.h"

namespace {
class tCountingFrontEnd : public tCaptureFrontEnd {
public:
  int updates = 0;
  void update() override { updates++; }
};
} // namespace

TEST(Memory, ArraysPumpTheEventLoopAndStartZeroed)
{
  tCountingFrontEnd fe;
  tFrontEnd* previous = set_front_end(&fe);
  double*** d = alloc_double_array3(2, 3, 4); // 1 + 2 * (1 + 3) allocations
  set_front_end(previous);
  EXPECT_EQ(fe.updates, 9);
  EXPECT_EQ(d[0], nullptr);
  EXPECT_EQ(d[2][0], nullptr);
  EXPECT_EQ(d[2][3][4], 0.0);
  my_free_double3(2, 3, d);

  int* p = static_cast<int*>(my_malloc(2 * sizeof(int)));
  p[0] = p[1] = 7;
  p = static_cast<int*>(my_realloc0(p, 4 * sizeof(int)));
  EXPECT_EQ(p[0] + p[1] + p[2] + p[3], 0); // earlier contents are not kept
  MY_FREE(p);
}

TEST(MemoryDeathTest, ExhaustedMemoryIsFatal)
{
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer aborts on impossible requests itself";
#endif
  const size_t huge = size_t(1) << 62;
  EXPECT_EXIT({ set_front_end(nullptr); my_malloc0(huge); }, testing::ExitedWithCode(1),
              "Fatal Error: my_malloc0\\(bytes=4611686018427387904\\): out of memory");
  EXPECT_EXIT({ set_front_end(nullptr); my_realloc(nullptr, huge); }, testing::ExitedWithCode(1),
              "Fatal Error: my_realloc\\(\\*ptr=0,bytes=4611686018427387904\\): out of memory");
}
