// The one-pass triangle check against the plain triple loop.
#include "distances/triangle_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/random.h"

namespace {

double plain_worst(const std::vector<double>& d, int n, std::vector<tTriple>* at)
{
  const size_t w = static_cast<size_t>(n) + 1;
  auto excess = [&](int i, int j, int k, double* v) {
    const double jk = d[j * w + k], ij = d[i * w + j], ik = d[i * w + k];
    if (jk == HUGE_VAL || ij == HUGE_VAL || ik == HUGE_VAL)
      return false;
    *v = jk - ij - ik;
    return true;
  };
  double worst = 0.0, v = 0.0;
  for (int i = 1; i <= n; i++)
    for (int j = 1; j <= n; j++)
      for (int k = j + 1; k <= n; k++)
        if (excess(i, j, k, &v) && v > worst)
          worst = v;
  at->clear();
  if (worst > 1e-8)
    for (int i = 1; i <= n; i++)
      for (int j = 1; j <= n; j++)
        for (int k = j + 1; k <= n; k++)
          if (excess(i, j, k, &v) && v == worst)
            at->push_back({i, j, k});
  return worst;
}

} // namespace

TEST(TriangleCheck, OnePassAgreesWithThePlainLoop)
{
  ref_srand(17);
  for (int round = 0; round < 40; round++) {
    SCOPED_TRACE(round);
    const int n = 2 + round % 23;
    const size_t w = static_cast<size_t>(n) + 1;
    std::vector<double> d(w * w, 0.0);
    // Points on a line are metric (ties everywhere); small integers violate
    // and tie; some rounds hold unknown distances.
    std::vector<double> x(w);
    for (double& p : x)
      p = ref_rand() % 100;
    for (int i = 1; i <= n; i++)
      for (int j = i + 1; j <= n; j++) {
        const double v = round % 3 == 0 ? std::fabs(x[i] - x[j]) : 1 + ref_rand() % (round % 3 == 1 ? 4 : 1000);
        d[i * w + j] = d[j * w + i] = v;
      }
    if (round % 5 == 4 && n > 3)
      d[2 * w + n] = d[n * w + 2] = HUGE_VAL;
    std::vector<tTriple> got, want;
    EXPECT_EQ(worst_triangle_excess(d.data(), n, w, 1e-8, &got), plain_worst(d, n, &want));
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); i++)
      EXPECT_TRUE(got[i].i == want[i].i && got[i].j == want[i].j && got[i].k == want[i].k) << i;
  }
}
