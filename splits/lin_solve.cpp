#include "splits/lin_solve.h"

#include <cmath>
#include <vector>

int Cholesky_solve(double** M, const double* b, int n, double* x, int* bad_row)
{
  for (int i = 1; i <= n; i++) {
    for (int j = 1; j < i; j++) {
      double s = M[i][j];
      for (int k = 1; k < j; k++)
        s -= M[i][k] * M[j][k];
      M[i][j] = s / M[j][j];
    }
    double s = M[i][i];
    for (int k = 1; k < i; k++)
      s -= M[i][k] * M[i][k];
    // Rounding leaves a tiny pivot, positive or negative, where the matrix
    // is singular; taking it would give huge or non-finite weights.
    if (!(s > 1e-10 * std::fabs(M[i][i])) || !std::isfinite(s)) {
      if (bad_row)
        *bad_row = i;
      return 0;
    }
    M[i][i] = std::sqrt(s);
  }
  std::vector<double> y(static_cast<size_t>(n) + 1, 0.0);
  for (int i = 1; i <= n; i++) {
    double s = b[i];
    for (int k = 1; k < i; k++)
      s -= M[i][k] * y[k];
    y[i] = s / M[i][i];
  }
  for (int i = n; i >= 1; i--) {
    double s = y[i];
    for (int k = i + 1; k <= n; k++)
      s -= M[k][i] * x[k];
    x[i] = s / M[i][i];
  }
  return 1;
}
