#include "distances/triangle_check.h"

#include <cmath>
#include <cstring>

namespace {

// The largest (rj[k] - dij) - ri[k] over k in [from, to): the excess formed
// exactly as the scalar check forms it.
__attribute__((target_clones("avx2", "default"))) double row_excess(const double* rj, const double* ri, double dij,
                                                                    size_t from, size_t to)
{
  typedef double tV4 __attribute__((vector_size(32)));
  const tV4 vij = {dij, dij, dij, dij};
  tV4 high0 = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL, -HUGE_VAL}, high1 = high0;
  size_t k = from;
  for (; k + 8 <= to; k += 8) {
    tV4 a0, b0, a1, b1;
    std::memcpy(&a0, rj + k, sizeof a0);
    std::memcpy(&b0, ri + k, sizeof b0);
    std::memcpy(&a1, rj + k + 4, sizeof a1);
    std::memcpy(&b1, ri + k + 4, sizeof b1);
    const tV4 v0 = a0 - vij - b0, v1 = a1 - vij - b1;
    high0 = v0 > high0 ? v0 : high0;
    high1 = v1 > high1 ? v1 : high1;
  }
  high0 = high1 > high0 ? high1 : high0;
  double m = -HUGE_VAL;
  for (int i = 0; i < 4; i++)
    m = high0[i] > m ? high0[i] : m;
  for (; k < to; k++) {
    const double v = rj[k] - dij - ri[k];
    m = v > m ? v : m;
  }
  return m;
}

} // namespace

double worst_triangle_excess(const double* d, int n, size_t stride, double report_above, std::vector<tTriple>* worst)
{
  worst->clear();
  // Without unknown or huge distances no excess is NaN or infinite, and
  // whole rows can be taken at once.
  bool tame = true;
  for (int i = 1; i <= n && tame; i++)
    for (int j = 1; j <= n; j++)
      if (!(std::fabs(d[static_cast<size_t>(i) * stride + static_cast<size_t>(j)]) <= 1e300)) {
        tame = false;
        break;
      }

  double high = 0.0;
  const size_t to = static_cast<size_t>(n) + 1;
  for (int i = 1; i <= n; i++) {
    const double* ri = d + static_cast<size_t>(i) * stride;
    for (int j = 1; j <= n; j++) {
      const double* rj = d + static_cast<size_t>(j) * stride;
      const double dij = ri[j];
      const size_t from = static_cast<size_t>(j) + 1;
      double m = -HUGE_VAL;
      if (tame) {
        m = row_excess(rj, ri, dij, from, to);
      } else if (dij != HUGE_VAL) {
        for (size_t k = from; k < to; k++)
          if (rj[k] != HUGE_VAL && ri[k] != HUGE_VAL) {
            const double v = rj[k] - dij - ri[k];
            m = v > m ? v : m;
          }
      }
      if (!(m >= high))
        continue;
      if (m > high) {
        high = m;
        worst->clear();
      }
      if (high > report_above)
        for (size_t k = from; k < to; k++)
          if (rj[k] != HUGE_VAL && ri[k] != HUGE_VAL && dij != HUGE_VAL && rj[k] - dij - ri[k] == high)
            worst->push_back({i, j, static_cast<int>(k)});
    }
  }
  if (!(high > report_above))
    worst->clear();
  return high;
}
