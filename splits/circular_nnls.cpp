#include "splits/circular_nnls.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

inline size_t at(int n, int a, int b) { return static_cast<size_t>(a) * static_cast<size_t>(n) + static_cast<size_t>(b); }

} // namespace

// d[p][q] sums the splits with exactly one gap in p..q-1. Splitting that
// interval at both ends and adding back its middle counts every split once,
// except the one with its gaps at the two ends, which the two smaller
// intervals both count but the whole does not.
void tCircularSplits::distances(const double* w, double* d) const
{
  std::vector<double> gap(static_cast<size_t>(n), 0.0);
  for (int a = 0; a < n; a++)
    for (int b = a + 1; b < n; b++) {
      gap[a] += w[at(n, a, b)];
      gap[b] += w[at(n, a, b)];
    }
  for (int p = n - 2; p >= 0; p--) {
    double* row = d + at(n, p, 0);
    const double* below = d + at(n, p + 1, 0);
    row[p + 1] = gap[p];
    for (int q = p + 2; q < n; q++)
      row[q] = row[q - 1] + below[q] - (q - 1 > p + 1 ? below[q - 1] : 0.0) - 2.0 * w[at(n, p, q - 1)];
  }
}

// The same recurrence with the roles of gaps and positions exchanged: split
// (a, b) separates the positions a+1..b from the rest.
void tCircularSplits::adjoint(const double* y, double* h) const
{
  std::vector<double> total(static_cast<size_t>(n), 0.0);
  for (int p = 0; p < n; p++)
    for (int q = p + 1; q < n; q++) {
      total[p] += y[at(n, p, q)];
      total[q] += y[at(n, p, q)];
    }
  for (int a = n - 2; a >= 0; a--) {
    double* row = h + at(n, a, 0);
    const double* below = h + at(n, a + 1, 0);
    const double* ya = y + at(n, a + 1, 0);
    row[a + 1] = total[a + 1];
    for (int b = a + 2; b < n; b++)
      row[b] = row[b - 1] + below[b] - (b - 1 > a + 1 ? below[b - 1] : 0.0) - 2.0 * ya[b];
  }
}

void tCircularSplits::inverse(const double* d, double* w) const
{
  auto dist = [&](int p, int q) {
    p %= n;
    q %= n;
    if (p == q)
      return 0.0;
    return p < q ? d[at(n, p, q)] : d[at(n, q, p)];
  };
  for (int a = 0; a < n; a++)
    for (int b = a + 1; b < n; b++)
      w[at(n, a, b)] = 0.5 * (dist(a, b) + dist(a + 1, b + 1) - dist(a, b + 1) - dist(a + 1, b));
}

namespace {

// Working state of one solve. Vectors are n x n; entries outside a < b stay 0.
class tSolver {
public:
  tSolver(int n, const std::vector<double>& d)
      : n(n), A(n), d(d), size(static_cast<size_t>(n) * static_cast<size_t>(n)), scale(size, 0.0), pair(size),
        pair2(size), split(size), split2(size), split3(size)
  {
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++) {
        scale[at(n, a, b)] = 1.0 / A.pairs(a, b);
        dmax = std::max(dmax, std::fabs(d[at(n, a, b)]));
      }
  }

  // Minimises over the splits marked free, the others held at 0, starting
  // from x: preconditioned conjugate gradients on the normal equations,
  // scaled by the number of pairs each split separates.
  void solve_face(std::vector<double>& x, const std::vector<char>& free, int max_iterations, tNnlsStats* stats)
  {
    std::vector<double>& r = pair;    // d - A x over pairs
    std::vector<double>& g = split;   // free part of A^T r
    std::vector<double>& p = split2;  // search direction
    std::vector<double>& q = pair2;   // A p
    A.distances(x.data(), r.data());
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++)
        r[at(n, a, b)] = d[at(n, a, b)] - r[at(n, a, b)];
    A.adjoint(r.data(), g.data());
    double rz = 0.0;
    for (size_t s = 0; s < size; s++) {
      if (!free[s])
        g[s] = 0.0;
      p[s] = scale[s] * g[s];
      rz += g[s] * p[s];
    }
    const double target = tolerance() * tolerance();
    for (int it = 0; it < max_iterations && rz > target; it++) {
      A.distances(p.data(), q.data());
      double qq = 0.0;
      for (int a = 0; a < n; a++)
        for (int b = a + 1; b < n; b++)
          qq += q[at(n, a, b)] * q[at(n, a, b)];
      if (!(qq > 0.0))
        break;
      const double alpha = rz / qq;
      for (size_t s = 0; s < size; s++) {
        x[s] += alpha * p[s];
        r[s] -= alpha * q[s];
      }
      A.adjoint(r.data(), g.data());
      double rz_next = 0.0;
      for (size_t s = 0; s < size; s++) {
        if (!free[s])
          g[s] = 0.0;
        rz_next += scale[s] * g[s] * g[s];
      }
      const double beta = rz_next / rz;
      for (size_t s = 0; s < size; s++)
        p[s] = scale[s] * g[s] + beta * p[s];
      rz = rz_next;
      if (stats)
        stats->cg_iterations++;
    }
  }

  // Half the squared residual.
  double objective(const std::vector<double>& w)
  {
    A.distances(w.data(), pair.data());
    double sum = 0.0;
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++) {
        const double e = pair[at(n, a, b)] - d[at(n, a, b)];
        sum += e * e;
      }
    return 0.5 * sum;
  }

  // Gradient A^T (A w - d), scaled per split to an average residual over
  // the pairs it separates, into `split3`.
  const std::vector<double>& scaled_gradient(const std::vector<double>& w)
  {
    A.distances(w.data(), pair.data());
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++)
        pair[at(n, a, b)] -= d[at(n, a, b)];
    A.adjoint(pair.data(), split3.data());
    for (size_t s = 0; s < size; s++)
      split3[s] *= scale[s];
    return split3;
  }

  // Scaled gradients within this of zero count as zero: far below any
  // weight kept, far above rounding.
  double tolerance() const { return 1e-10 * (dmax > 0.0 ? dmax : 1.0) * n; }
  double kkt_tolerance() const { return 1e-10 * (dmax > 0.0 ? dmax : 1.0); }
  double get_dmax() const { return dmax; }

private:
  int n;
  tCircularSplits A;
  const std::vector<double>& d;
  size_t size;
  std::vector<double> scale;  // 1 / pairs separated
  double dmax = 0.0;
  std::vector<double> pair, pair2, split, split2, split3;
};

} // namespace

std::vector<double> circular_least_squares(int n, const std::vector<double>& d, tNnlsStats* stats)
{
  const size_t size = static_cast<size_t>(n < 0 ? 0 : n) * static_cast<size_t>(n < 0 ? 0 : n);
  std::vector<double> w(size, 0.0);
  if (n < 2)
    return w;
  tCircularSplits A(n);
  // Distances that are circular for this ordering are fitted exactly by the
  // unconstrained solution; otherwise it is a start close to the optimum.
  A.inverse(d.data(), w.data());
  std::vector<char> free(size, 0);
  bool clipped = false;
  for (int a = 0; a < n; a++)
    for (int b = a + 1; b < n; b++) {
      double& x = w[at(n, a, b)];
      if (x < 0.0) {
        x = 0.0;
        clipped = true;
      }
      free[at(n, a, b)] = x > 0.0;
    }
  if (!clipped)
    return w;

  tSolver solver(n, d);
  const int max_cg = std::max(100, 4 * n);
  std::vector<double> x(size), projected(size), stepped(size);
  for (int round = 0; round < 100; round++) {
    if (stats)
      stats->active_set_rounds++;
    // Minimise on the face of the free splits; a solution that leaves the
    // feasible set is brought back either by cutting off its negative
    // weights or by stepping from w towards it up to the first zero,
    // whichever fits better. Both never fit worse than w, so the residual
    // only falls.
    for (int inner = 0; inner < 4 * n; inner++) {
      x = w;
      solver.solve_face(x, free, max_cg, stats);
      double step = 1.0;
      bool feasible = true;
      for (size_t s = 0; s < size; s++)
        if (free[s] && x[s] < 0.0) {
          feasible = false;
          step = std::min(step, w[s] / (w[s] - x[s]));
        }
      if (feasible) {
        w.swap(x);
        break;
      }
      for (size_t s = 0; s < size; s++) {
        projected[s] = free[s] && x[s] > 0.0 ? x[s] : 0.0;
        stepped[s] = free[s] ? w[s] + step * (x[s] - w[s]) : 0.0;
        if (free[s] && x[s] < 0.0 && w[s] / (w[s] - x[s]) <= step)
          stepped[s] = 0.0;
        if (stepped[s] < 0.0)
          stepped[s] = 0.0;
      }
      if (solver.objective(projected) <= solver.objective(stepped))
        w.swap(projected);
      else
        w.swap(stepped);
      for (size_t s = 0; s < size; s++)
        free[s] = w[s] > 0.0;
    }
    // Release the held splits whose weight would lower the residual.
    const std::vector<double>& g = solver.scaled_gradient(w);
    int released = 0;
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++) {
        const size_t s = at(n, a, b);
        if (!free[s] && g[s] < -solver.kkt_tolerance()) {
          free[s] = 1;
          released++;
        }
      }
    if (released == 0)
      break;
  }
  if (stats) {
    const std::vector<double>& g = solver.scaled_gradient(w);
    double worst = 0.0;
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++) {
        const size_t s = at(n, a, b);
        worst = std::max(worst, w[s] > 0.0 ? std::fabs(g[s]) : -g[s]);
      }
    stats->kkt_violation = worst / (solver.get_dmax() > 0.0 ? solver.get_dmax() : 1.0);
  }
  return w;
}
