#include "distances/det.h"

#include <cmath>
#include <utility>

#include "distances/matrices.h"

int triangulate(int n, double** M, int* swaps)
{
  *swaps = 0;
  for (int k = 1; k <= n; k++) {
    int p = k;
    for (int r = k + 1; r <= n; r++)
      if (std::fabs(M[r][k]) > std::fabs(M[p][k]))
        p = r;
    if (p > k) {
      std::swap(M[k], M[p]);
      ++*swaps;
    }
    // (Also refuses a NaN pivot, which compares false with everything.)
    if (!(std::fabs(M[k][k]) >= SINGULAR_PIVOT))
      return 0;
    for (int r = n; r > k; r--) {
      if (M[r][k] == 0.0)
        continue;
      const double f = M[r][k] / M[k][k];
      for (int c = k; c <= n; c++)
        M[r][c] -= f * M[k][c];
    }
  }
  return 1;
}

namespace {

// Alphabets up to this size are copied on the stack: LogDet takes one
// determinant per pair of taxa.
constexpr int SMALL = 8;

double det_of_copy(int n, double** copy)
{
  int swaps = 0;
  if (!triangulate(n, copy, &swaps))
    return 0.0;
  double det = 1.0;
  for (int i = 1; i <= n; i++)
    det *= copy[i][i];
  return swaps % 2 ? -det : det;
}

} // namespace

double detMat(int n, double** M)
{
  if (n < 1)
    return 0.0;
  if (n <= SMALL) {
    double cells[SMALL + 1][SMALL + 1];
    double* rows[SMALL + 1] = {nullptr};
    for (int i = 1; i <= n; i++)
      rows[i] = cells[i];
    copyMat(n, M, rows);
    return det_of_copy(n, rows);
  }
  double** copy = newMat(n);
  copyMat(n, M, copy);
  const double det = det_of_copy(n, copy);
  freeMat(n, copy);
  return det;
}
