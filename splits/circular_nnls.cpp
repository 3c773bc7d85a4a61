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

// Four partial sums let the compiler keep the products in vector registers.
double dot(const double* x, const double* y, size_t k)
{
  double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
  size_t m = 0;
  for (; m + 4 <= k; m += 4) {
    s0 += x[m] * y[m];
    s1 += x[m + 1] * y[m + 1];
    s2 += x[m + 2] * y[m + 2];
    s3 += x[m + 3] * y[m + 3];
  }
  for (; m < k; m++)
    s0 += x[m] * y[m];
  return (s0 + s1) + (s2 + s3);
}

// Working state of one solve. Vectors are n x n; entries outside a < b stay 0.
class tSolver {
public:
  tSolver(int n, const std::vector<double>& d)
      : n(n), A(n), d(d), size(static_cast<size_t>(n) * static_cast<size_t>(n)), scale(size, 0.0), pair(size),
        pair2(size), split(size), split2(size), split3(size), trial(size)
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

  // The step along dir (zero where a weight is held) that minimises the
  // residual before any weight is cut off at zero.
  double exact_step(const std::vector<double>& w, const std::vector<double>& dir)
  {
    (void)w;
    A.distances(dir.data(), pair2.data());
    const std::vector<double>& g = scaled_gradient(w);
    double gd = 0.0, dd = 0.0;
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++) {
        const size_t s = at(n, a, b);
        gd -= g[s] / scale[s] * dir[s];
        dd += pair2[s] * pair2[s];
      }
    return dd > 0.0 ? gd / dd : 0.0;
  }

  // w becomes max(w + t dir, 0) for the largest t in t0, t0/2, ... that
  // lowers the residual; false (w unchanged) when none does.
  bool path_search(std::vector<double>& w, const std::vector<double>& dir, double t0, double* f)
  {
    if (!(t0 > 0.0))
      return false;
    for (int k = 0; k < 30; k++, t0 *= 0.5) {
      for (size_t s = 0; s < size; s++)
        trial[s] = std::max(0.0, w[s] + t0 * dir[s]);
      const double ft = objective(trial);
      if (ft < *f) {
        w.swap(trial);
        *f = ft;
        return true;
      }
    }
    return false;
  }

  // Least squares on the splits F (the others at 0) by Cholesky on their
  // normal matrix, whose entries are counts of pairs that two arcs both
  // separate. Returns false when F is too large to hold its matrix.
  bool solve_dense(const std::vector<size_t>& F, std::vector<double>& w)
  {
    const size_t k = F.size();
    if (k > max_dense())
      return false;
    if (atd.empty()) {
      atd.assign(size, 0.0);
      A.adjoint(d.data(), atd.data());
    }
    std::vector<int> lo(k), hi(k);
    for (size_t i = 0; i < k; i++) {
      lo[i] = static_cast<int>(F[i] / static_cast<size_t>(n));
      hi[i] = static_cast<int>(F[i] % static_cast<size_t>(n));
    }
    std::vector<double> L(k * k, 0.0);
    for (size_t i = 0; i < k; i++)
      for (size_t j = 0; j <= i; j++) {
        const int both = std::max(0, std::min(hi[i], hi[j]) - std::max(lo[i], lo[j]));
        const int si = hi[i] - lo[i], sj = hi[j] - lo[j];
        L[i * k + j] = static_cast<double>(both) * (n - si - sj + both) + static_cast<double>(si - both) * (sj - both);
      }
    for (size_t j = 0; j < k; j++) {
      double* Lj = L.data() + j * k;
      const double diag = Lj[j] - dot(Lj, Lj, j);
      // Columns that others almost repeat are kept from a zero pivot.
      const double floor = 1e-13 * L[j * k + j] + 1e-300;
      const double pivot = std::sqrt(std::max(diag, floor));
      Lj[j] = pivot;
      for (size_t i = j + 1; i < k; i++) {
        double* Li = L.data() + i * k;
        Li[j] = (Li[j] - dot(Li, Lj, j)) / pivot;
      }
    }
    std::vector<double> x(k);
    for (size_t i = 0; i < k; i++) {
      x[i] = (atd[F[i]] - dot(L.data() + i * k, x.data(), i)) / L[i * k + i];
    }
    for (size_t i = k; i-- > 0;) {
      double sum = x[i];
      for (size_t m = i + 1; m < k; m++)
        sum -= L[m * k + i] * x[m];
      x[i] = sum / L[i * k + i];
    }
    std::fill(w.begin(), w.end(), 0.0);
    for (size_t i = 0; i < k; i++)
      w[F[i]] = x[i];
    return true;
  }
  size_t max_dense() const { return static_cast<size_t>(5 * n + 100); }

  // Block principal pivoting (Judice and Pires): solve on F, then move every
  // split that breaks an optimality condition to the other set at once,
  // falling back to one split at a time when that stops shrinking the
  // number of violations. Returns false when F grows too large.
  bool exchange(std::vector<double>& result, tNnlsStats* stats)
  {
    std::vector<double>& w = trial;
    w = result;
    std::vector<char> in(size, 0);
    for (size_t s = 0; s < size; s++)
      in[s] = w[s] > 0.0;
    size_t best = static_cast<size_t>(-1);
    int backup = 3;
    std::vector<size_t> F, V;
    for (int it = 0; it < 200; it++) {
      if (stats)
        stats->active_set_rounds++;
      F.clear();
      for (int a = 0; a < n; a++)
        for (int b = a + 1; b < n; b++)
          if (in[at(n, a, b)])
            F.push_back(at(n, a, b));
      if (!solve_dense(F, w))
        return false;
      const std::vector<double>& g = scaled_gradient(w);
      V.clear();
      for (int a = 0; a < n; a++)
        for (int b = a + 1; b < n; b++) {
          const size_t s = at(n, a, b);
          if (in[s] ? w[s] < -weight_tolerance() : g[s] < -kkt_tolerance())
            V.push_back(s);
        }
      if (V.empty())
        break;
      // Splits to add come most wanted first, and only as many as the
      // normal matrix can hold.
      const size_t violations = V.size();
      size_t leaving = 0;
      for (size_t s : V)
        leaving += in[s];
      const size_t room = std::min(max_dense() - (F.size() - leaving), static_cast<size_t>(n));
      std::stable_sort(V.begin(), V.end(), [&](size_t x, size_t y) {
        return (in[x] ? -HUGE_VAL : g[x]) < (in[y] ? -HUGE_VAL : g[y]);
      });
      if (V.size() - leaving > room)
        V.resize(leaving + room);
      if (violations < best) {
        best = violations;
        backup = 3;
      } else if (backup > 0) {
        backup--;
      } else {
        V.erase(V.begin() + 1, V.end());
      }
      for (size_t s : V)
        in[s] = !in[s];
    }
    for (double& x : w)
      if (x < 0.0)
        x = 0.0;
    result.swap(w);
    return true;
  }
  // Largest breach of the optimality conditions, relative to the largest
  // distance: a positive weight's gradient must vanish, a zero weight's
  // must not be negative.
  double violation(const std::vector<double>& w)
  {
    const std::vector<double>& g = scaled_gradient(w);
    double worst = 0.0;
    for (size_t s = 0; s < size; s++)
      if (scale[s] > 0.0)
        worst = std::max(worst, w[s] > 0.0 ? std::fabs(g[s]) : -g[s]);
    return worst / (dmax > 0.0 ? dmax : 1.0);
  }
  bool optimal(const std::vector<double>& w) { return violation(w) * (dmax > 0.0 ? dmax : 1.0) <= kkt_tolerance(); }
  double weight_tolerance() const { return 1e-10 * (dmax > 0.0 ? dmax : 1.0); }

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
  double kkt_tolerance() const { return 1e-8 * (dmax > 0.0 ? dmax : 1.0); }
  double get_dmax() const { return dmax; }

private:
  int n;
  tCircularSplits A;
  const std::vector<double>& d;
  size_t size;
  std::vector<double> scale;  // 1 / pairs separated
  double dmax = 0.0;
  std::vector<double> pair, pair2, split, split2, split3, trial, atd;
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
  // unconstrained solution; otherwise its positive part is a start close to
  // the optimum.
  A.inverse(d.data(), w.data());
  bool clipped = false;
  for (int a = 0; a < n; a++)
    for (int b = a + 1; b < n; b++) {
      double& x = w[at(n, a, b)];
      if (x < 0.0) {
        x = 0.0;
        clipped = true;
      }
    }
  if (!clipped)
    return w;

  // Gradient projection to find which weights stay at zero, alternating
  // with conjugate gradients on the weights that are positive. Every step
  // is a search along a projected path that must lower the residual, so
  // the method cannot cycle.
  tSolver solver(n, d);
  {
    // The largest weights of the unconstrained solution as the first guess
    // of the positive set.
    std::vector<size_t> order;
    for (size_t s = 0; s < size; s++)
      if (w[s] > 0.0)
        order.push_back(s);
    const size_t keep = std::min(order.size(), static_cast<size_t>(2 * n));
    std::partial_sort(order.begin(), order.begin() + keep, order.end(), [&](size_t x, size_t y) { return w[x] > w[y]; });
    std::vector<double> start(size, 0.0);
    for (size_t i = 0; i < keep; i++)
      start[order[i]] = w[order[i]];
    if (solver.exchange(start, stats) && solver.optimal(start)) {
      w.swap(start);
      if (stats)
        stats->kkt_violation = solver.violation(w);
      return w;
    }
  }
  const int max_cg = std::max(50, 2 * n);
  std::vector<double> dir(size), free_flags(size);
  std::vector<char> free(size, 0);
  double f = solver.objective(w);
  int tried = -5;
  for (int round = 0; round < 500; round++) {
    if (stats)
      stats->active_set_rounds++;
    const std::vector<double>& g = solver.scaled_gradient(w);
    double violation = 0.0;
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++) {
        const size_t s = at(n, a, b);
        const bool held = w[s] <= 0.0 && g[s] >= 0.0;
        dir[s] = held ? 0.0 : -g[s];
        violation = std::max(violation, std::fabs(dir[s]));
      }
    if (violation <= solver.kkt_tolerance())
      break;
    const double before = f;
    // A few projected gradient steps while they change the set of positive
    // weights, then conjugate gradients on that set.
    int positive = -1;
    for (int step = 0; step < 5; step++) {
      if (step > 0) {
        const std::vector<double>& g2 = solver.scaled_gradient(w);
        for (size_t s = 0; s < size; s++)
          dir[s] = w[s] <= 0.0 && g2[s] >= 0.0 ? 0.0 : -g2[s];
      }
      if (!solver.path_search(w, dir, solver.exact_step(w, dir), &f))
        break;
      int now = 0;
      for (size_t s = 0; s < size; s++)
        now += w[s] > 0.0;
      if (now == positive)
        break;
      positive = now;
    }
    for (size_t s = 0; s < size; s++)
      free[s] = w[s] > 0.0;
    std::vector<double>& x = dir;
    x = w;
    solver.solve_face(x, free, max_cg, stats);
    for (size_t s = 0; s < size; s++)
      x[s] -= w[s];
    solver.path_search(w, x, 1.0, &f);
    int now = 0;
    for (size_t s = 0; s < size; s++)
      now += w[s] > 0.0;
    // Once the positive weights are few, exchanging whole sets of them
    // settles the rest in a few exact solves.
    // A failed exchange is tried again only from fewer positive weights.
    if (round >= tried + 5 && static_cast<size_t>(now) <= solver.max_dense() / 2) {
      tried = round;
      if (solver.exchange(w, stats))
        break;
    }
    f = solver.objective(w);
    if (!(f < before))
      break;
  }
  if (stats)
    stats->kkt_violation = solver.violation(w);
  return w;
}
