#include "splits/circular_nnls.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/progress.h"

namespace {

inline size_t at(int n, int a, int b) { return static_cast<size_t>(a) * static_cast<size_t>(n) + static_cast<size_t>(b); }

// Shown as the splits weighted so far of those known to be wanted; the
// solve is not a place to stop.
const char* const LEAST_SQUARES = "Neighbor-Net least squares";

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
//
// Projected conjugate gradients with an active set: conjugate gradients on
// the splits held free, each step cut at the bound (or projected onto it,
// whichever fits better) and the splits that reach zero dropped; once the
// free splits are optimal, every held split whose gradient points inwards
// is freed again. Each product with A or its adjoint costs O(n^2), and every
// step lowers the residual, so the method cannot cycle.
class tSolver {
public:
  tSolver(int n, const std::vector<double>& d)
      : n(n), A(n), d(d), size(static_cast<size_t>(n) * static_cast<size_t>(n)), scale(size, 0.0), r(size, 0.0),
        g(size, 0.0), p(size, 0.0), q(size, 0.0), trial(size, 0.0), free(size, 0)
  {
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++) {
        scale[at(n, a, b)] = 1.0 / A.pairs(a, b);
        dmax = std::max(dmax, std::fabs(d[at(n, a, b)]));
      }
    if (!(dmax > 0.0))
      dmax = 1.0;
  }

  // From the feasible w, of which the `keep` largest weights are the
  // first free set.
  void run(std::vector<double>& w, size_t keep_most, tNnlsStats* stats)
  {
    const double tol = kkt_tolerance();
    const long budget = max_products();
    {
      std::vector<size_t> order;
      for (size_t s = 0; s < size; s++)
        if (w[s] > 0.0)
          order.push_back(s);
      const size_t keep = std::min(order.size(), keep_most);
      std::partial_sort(order.begin(), order.begin() + keep, order.end(),
                        [&](size_t x, size_t y) { return w[x] > w[y] || (w[x] == w[y] && x < y); });
      std::fill(free.begin(), free.end(), 0);
      for (size_t i = 0; i < keep; i++)
        free[order[i]] = 1;
      for (size_t s = 0; s < size; s++)
        if (!free[s])
          w[s] = 0.0;
    }
    update(w);
    std::vector<size_t> wanted;
    for (int round = 0; round < 1000 && products < budget; round++) {
      if (stats)
        stats->active_set_rounds++;
      // Early free sets are solved only roughly: they change anyway.
      const double target = std::max(tol, 0.01 * violation(w) * dmax);
      face(w, target, budget, stats);
      // Held splits whose gradient points inwards join the free set, the
      // most wanted first and at most as many as are free already.
      wanted.clear();
      size_t nfree = 0;
      for (int a = 0; a < n; a++)
        for (int b = a + 1; b < n; b++) {
          const size_t s = at(n, a, b);
          free[s] = w[s] > 0.0;
          nfree += free[s];
          if (!free[s] && scale[s] * g[s] < -tol)
            wanted.push_back(s);
        }
      progress(LEAST_SQUARES, static_cast<int>(nfree), static_cast<int>(nfree + wanted.size()));
      if (wanted.empty() && target <= tol)
        break;
      const size_t take = std::min(wanted.size(), std::max(nfree, static_cast<size_t>(n)));
      std::partial_sort(wanted.begin(), wanted.begin() + take, wanted.end(), [&](size_t x, size_t y) {
        return scale[x] * g[x] < scale[y] * g[y] || (scale[x] * g[x] == scale[y] * g[y] && x < y);
      });
      for (size_t i = 0; i < take; i++)
        free[wanted[i]] = 1;
    }
    if (stats)
      stats->kkt_violation = violation(w);
  }

private:
  // Conjugate gradients on the free splits until their scaled gradients
  // vanish, dropping those that reach zero on the way.
  void face(std::vector<double>& w, double tol, long budget, tNnlsStats* stats)
  {
    bool restart = true;
    double rz = 0.0;
    while (products < budget) {
      // z = -M g on the free splits; p = z + beta p.
      double rz_next = 0.0, worst = 0.0;
      for (size_t s = 0; s < size; s++) {
        mg[s] = free[s] ? -g[s] : 0.0;
        if (free[s]) worst = std::max(worst, std::fabs(scale[s] * g[s]));
      }
      if (worst <= tol)
        return;
      for (size_t s = 0; s < size; s++) z[s] = scale[s] * mg[s];
      for (size_t s = 0; s < size; s++) rz_next += z[s] * mg[s];
      const double beta = restart || !(rz > 0.0) ? 0.0 : rz_next / rz;
      for (size_t s = 0; s < size; s++)
        p[s] = free[s] ? z[s] + beta * p[s] : 0.0;
      rz = rz_next;
      restart = false;

      A.distances(p.data(), q.data());
      products++;
      double qq = 0.0, gp = 0.0;
      for (int a = 0; a < n; a++)
        for (int b = a + 1; b < n; b++) {
          const size_t s = at(n, a, b);
          qq += q[s] * q[s];
          gp -= g[s] * p[s];
        }
      if (!(qq > 0.0) || !(gp > 0.0))
        return;
      const double alpha = gp / qq;
      double reach = HUGE_VAL;
      size_t block = 0;
      for (size_t s = 0; s < size; s++)
        if (p[s] < 0.0 && -w[s] / p[s] < reach) {
          reach = -w[s] / p[s];
          block = s;
        }
      if (stats)
        stats->cg_iterations++;
      if (alpha < reach) {
        for (size_t s = 0; s < size; s++) {
          w[s] += alpha * p[s];
          r[s] += alpha * q[s];
        }
        A.adjoint(r.data(), g.data());
        products++;
        continue;
      }
      // The step leaves the feasible set. Stopping at the first bound is
      // sure to lower the residual; the projection of the whole step
      // usually lowers it more and drops many splits at once.
      const double f = objective_from_residual();
      const double f_cut = f - reach * gp + 0.5 * reach * reach * qq;
      bool projected = false;
      double t = alpha;
      for (int k = 0; k < 6 && t > reach; k++, t *= 0.5) {
        for (size_t s = 0; s < size; s++)
          trial[s] = std::max(0.0, w[s] + t * p[s]);
        if (objective(trial) < f_cut) {
          w.swap(trial);
          projected = true;
          break;
        }
        if (products >= budget)
          break;
      }
      if (!projected) {
        for (size_t s = 0; s < size; s++)
          w[s] += reach * p[s];
        w[block] = 0.0;
      }
      for (size_t s = 0; s < size; s++) {
        if (w[s] < 0.0)
          w[s] = 0.0;
        if (w[s] <= 0.0)
          free[s] = 0;
      }
      update(w);
      restart = true;
    }
  }

  // r = A w - d and g = A^T r.
  void update(const std::vector<double>& w)
  {
    residual(w, r);
    A.adjoint(r.data(), g.data());
    products++;
  }
  void residual(const std::vector<double>& w, std::vector<double>& out)
  {
    A.distances(w.data(), out.data());
    products++;
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++)
        out[at(n, a, b)] -= d[at(n, a, b)];
  }
  double objective_from_residual() const
  {
    double sum = 0.0;
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++)
        sum += r[at(n, a, b)] * r[at(n, a, b)];
    return 0.5 * sum;
  }
  // Half the squared residual of w (uses q as scratch).
  double objective(const std::vector<double>& w)
  {
    residual(w, q);
    double sum = 0.0;
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++)
        sum += q[at(n, a, b)] * q[at(n, a, b)];
    return 0.5 * sum;
  }

  // Largest breach of the optimality conditions, relative to the largest
  // distance: a positive weight's scaled gradient must vanish, a zero
  // weight's must not be negative.
  double violation(const std::vector<double>& w) const
  {
    double worst = 0.0;
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++) {
        const size_t s = at(n, a, b);
        const double sg = scale[s] * g[s];
        worst = std::max(worst, w[s] > 0.0 ? std::fabs(sg) : -sg);
      }
    return worst / dmax;
  }

  // Scaled gradients are average residuals over the pairs a split
  // separates; within this of zero they count as zero.
  double kkt_tolerance() const { return 1e-9 * dmax; }
  // Each product costs O(n^2); this bounds the whole solve.
  long max_products() const { return 200L * n + 20000L; }

  int n;
  tCircularSplits A;
  const std::vector<double>& d;
  size_t size;
  std::vector<double> scale;  // 1 / pairs separated
  double dmax = 0.0;
  std::vector<double> r, g, p, q, trial;
  std::vector<char> free;
  std::vector<double> mg = std::vector<double>(size, 0.0), z = std::vector<double>(size, 0.0);
  long products = 0;
};

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

// Active set grown from few splits (the optimum holds few positive
// weights): least squares on the free splits through a Cholesky factor of
// their normal matrix, which is updated, not refactored, as splits join and
// leave. The entries of that matrix are counts of pairs that two arcs both
// separate, so none of it needs a product with A. Splits join in batches,
// the most wanted first; a solve that turns weights negative is followed
// only as far as the first of them reaches zero.
class tGrowingSet {
public:
  tGrowingSet(int n, const std::vector<double>& d, size_t limit)
      : n(n), A(n), d(d), size(static_cast<size_t>(n) * static_cast<size_t>(n)), limit(limit), scale(size, 0.0),
        atd(size, 0.0), r(size, 0.0), g(size, 0.0), held(size, 0)
  {
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++) {
        scale[at(n, a, b)] = 1.0 / A.pairs(a, b);
        dmax = std::max(dmax, std::fabs(d[at(n, a, b)]));
      }
    if (!(dmax > 0.0))
      dmax = 1.0;
    A.adjoint(d.data(), atd.data());
  }

  // From the positive part of the unconstrained solution w to the optimum;
  // false when the free set outgrows the limit (w is then feasible, not
  // optimal).
  bool run(std::vector<double>& w, tNnlsStats* stats)
  {
    {
      std::vector<size_t> order;
      for (size_t s = 0; s < size; s++)
        if (w[s] > 0.0)
          order.push_back(s);
      const size_t keep = std::min(order.size(), static_cast<size_t>(2 * n));
      std::partial_sort(order.begin(), order.begin() + keep, order.end(),
                        [&](size_t x, size_t y) { return w[x] > w[y] || (w[x] == w[y] && x < y); });
      order.resize(keep);
      join(order);
      for (size_t i = 0; i < F.size(); i++)
        x[i] = w[F[i]];
      std::fill(w.begin(), w.end(), 0.0);
    }
    const double tol = kkt_tolerance();
    size_t batch = std::max<size_t>(1, static_cast<size_t>(n / 10));
    std::vector<size_t> wanted;
    bool done = false;
    for (int round = 0; round < 10 * n + 100; round++) {
      if (stats)
        stats->active_set_rounds++;
      const std::vector<size_t> before = F;
      settle();
      scatter(w);
      gradient(w);
      wanted.clear();
      for (int a = 0; a < n; a++)
        for (int b = a + 1; b < n; b++) {
          const size_t s = at(n, a, b);
          if (!held[s] && w[s] == 0.0 && scale[s] * g[s] < -tol)
            wanted.push_back(s);
        }
      progress(LEAST_SQUARES, static_cast<int>(F.size()), static_cast<int>(F.size() + wanted.size()));
      if (wanted.empty()) {
        done = true;
        break;
      }
      // A batch that came to nothing is tried again one split at a time,
      // which always makes progress.
      if (F == before)
        batch = 1;
      const size_t take = std::min(wanted.size(), batch);
      std::partial_sort(wanted.begin(), wanted.begin() + take, wanted.end(), [&](size_t u, size_t v) {
        const double gu = scale[u] * g[u], gv = scale[v] * g[v];
        return gu < gv || (gu == gv && u < v);
      });
      if (F.size() + take > limit)
        return false;
      const bool all = take == wanted.size();
      wanted.resize(take);
      const size_t joined = join(wanted);
      if (!joined && all)
        break;
      if (!joined)
        batch = std::min(wanted.size(), 2 * batch + 1);
    }
    scatter(w);
    if (stats) {
      gradient(w);
      double worst = 0.0;
      for (int a = 0; a < n; a++)
        for (int b = a + 1; b < n; b++) {
          const size_t s = at(n, a, b);
          const double sg = scale[s] * g[s];
          worst = std::max(worst, w[s] > 0.0 ? std::fabs(sg) : -sg);
        }
      stats->kkt_violation = worst / dmax;
    }
    (void)done;
    return true;
  }

  const std::vector<double>& last_gradient() const { return g; }

private:
  size_t row(size_t i) const { return i * (i + 1) / 2; }

  // Entry of the normal matrix: pairs that splits s and t both separate.
  double normal(size_t s, size_t t) const
  {
    const int lo_s = static_cast<int>(s / static_cast<size_t>(n)), hi_s = static_cast<int>(s % static_cast<size_t>(n));
    const int lo_t = static_cast<int>(t / static_cast<size_t>(n)), hi_t = static_cast<int>(t % static_cast<size_t>(n));
    const int both = std::max(0, std::min(hi_s, hi_t) - std::max(lo_s, lo_t));
    const int ss = hi_s - lo_s, st = hi_t - lo_t;
    return static_cast<double>(both) * (n - ss - st + both) + static_cast<double>(ss - both) * (st - both);
  }

  // Adds the splits in `add` after the free ones, at weight zero, except
  // those the free splits nearly repeat, which are held at zero for good.
  // Their rows against the old free splits come from one pass over the
  // factor, which is what a solve costs.
  size_t join(const std::vector<size_t>& add)
  {
    const size_t k = F.size(), m = add.size();
    std::vector<double> Y(m * k);
    for (size_t i = 0; i < k; i++) {
      const double* li = L.data() + row(i);
      const double inv = 1.0 / li[i];
      for (size_t c = 0; c < m; c++) {
        double* y = Y.data() + c * k;
        y[i] = (normal(F[i], add[c]) - dot(li, y, i)) * inv;
      }
    }
    size_t joined = 0;
    for (size_t c = 0; c < m; c++) {
      const size_t s = add[c], j = F.size();
      L.resize(row(j + 1));
      double* l = L.data() + row(j);
      std::copy(Y.begin() + static_cast<std::ptrdiff_t>(c * k), Y.begin() + static_cast<std::ptrdiff_t>((c + 1) * k), l);
      for (size_t i = k; i < j; i++)
        l[i] = (normal(F[i], s) - dot(L.data() + row(i), l, i)) / L[row(i) + i];
      const double diag = normal(s, s), rest = diag - dot(l, l, j);
      if (!(rest > 1e-10 * diag)) {
        L.resize(row(j));
        held[s] = 1;
        continue;
      }
      l[j] = std::sqrt(rest);
      F.push_back(s);
      x.push_back(0.0);
      joined++;
    }
    return joined;
  }

  // Removes free split j: the rows below lose column j, and the block they
  // leave behind takes back that column as a rank-one update.
  void leave(size_t j)
  {
    const size_t k = F.size();
    std::vector<double> v;
    v.reserve(k - j - 1);
    for (size_t i = j + 1; i < k; i++)
      v.push_back(L[row(i) + j]);
    // Rows move towards the front, so copying forwards is safe.
    for (size_t i = j + 1; i < k; i++) {
      const double* from = L.data() + row(i);
      double* to = L.data() + row(i - 1);
      for (size_t m = 0; m < j; m++)
        to[m] = from[m];
      for (size_t m = j + 1; m <= i; m++)
        to[m - 1] = from[m];
    }
    L.resize(row(k - 1));
    F.erase(F.begin() + static_cast<std::ptrdiff_t>(j));
    x.erase(x.begin() + static_cast<std::ptrdiff_t>(j));
    for (size_t c = 0; c < v.size(); c++) {
      const size_t col = j + c;
      double& lcc = L[row(col) + col];
      const double rr = std::sqrt(lcc * lcc + v[c] * v[c]);
      const double cs = rr / lcc, sn = v[c] / lcc;
      lcc = rr;
      for (size_t i = c + 1; i < v.size(); i++) {
        double& lic = L[row(j + i) + col];
        lic = (lic + sn * v[i]) / cs;
        v[i] = cs * v[i] - sn * lic;
      }
    }
  }

  // z = least-squares weights of the free splits.
  void solve(std::vector<double>& z) const
  {
    const size_t k = F.size();
    z.resize(k);
    for (size_t i = 0; i < k; i++)
      z[i] = (atd[F[i]] - dot(L.data() + row(i), z.data(), i)) / L[row(i) + i];
    for (size_t i = k; i-- > 0;) {
      z[i] /= L[row(i) + i];
      const double* li = L.data() + row(i);
      const double zi = z[i];
      for (size_t m = 0; m < i; m++)
        z[m] -= li[m] * zi;
    }
  }

  // Moves x towards the least-squares weights of the free splits, dropping
  // those that reach zero, until that solution is positive.
  void settle()
  {
    std::vector<double> z;
    for (;;) {
      solve(z);
      double step = 1.0;
      for (size_t i = 0; i < F.size(); i++)
        if (!(z[i] > 0.0))
          step = std::min(step, x[i] / (x[i] - z[i]));
      if (!(step >= 0.0))
        step = 0.0;
      for (size_t i = 0; i < F.size(); i++)
        x[i] += step * (z[i] - x[i]);
      if (step >= 1.0)
        return;
      // The weights that reached zero leave, the last first so that the
      // positions of the others stay valid.
      bool left = false;
      for (size_t i = F.size(); i-- > 0;)
        if (!(z[i] > 0.0) && !(x[i] > 1e-15 * dmax)) {
          leave(i);
          left = true;
        }
      if (!left) {
        // Rounding kept the blocking weight a hair above zero.
        size_t worst = 0;
        double least = HUGE_VAL;
        for (size_t i = 0; i < F.size(); i++)
          if (!(z[i] > 0.0) && x[i] < least) {
            least = x[i];
            worst = i;
          }
        leave(worst);
      }
    }
  }

  void scatter(std::vector<double>& w) const
  {
    std::fill(w.begin(), w.end(), 0.0);
    for (size_t i = 0; i < F.size(); i++)
      w[F[i]] = std::max(0.0, x[i]);
  }

  void gradient(const std::vector<double>& w)
  {
    A.distances(w.data(), r.data());
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++)
        r[at(n, a, b)] -= d[at(n, a, b)];
    A.adjoint(r.data(), g.data());
  }

public:
  double kkt_tolerance() const { return 1e-9 * dmax; }

private:
  int n;
  tCircularSplits A;
  const std::vector<double>& d;
  size_t size, limit;
  std::vector<double> scale, atd, r, g;
  std::vector<char> held;  // never to join: the free splits nearly repeat them
  double dmax = 0.0;
  std::vector<size_t> F;   // free splits
  std::vector<double> x;   // their weights
  std::vector<double> L;   // Cholesky factor of their normal matrix, rows packed
};

} // namespace

namespace {

// The positive part of the unconstrained solution, which is the answer when
// nothing had to be cut; true when something was.
bool clipped_inverse(int n, const std::vector<double>& d, std::vector<double>& w)
{
  tCircularSplits(n).inverse(d.data(), w.data());
  bool clipped = false;
  for (int a = 0; a < n; a++)
    for (int b = a + 1; b < n; b++) {
      double& x = w[at(n, a, b)];
      if (!(x >= 0.0)) {
        x = 0.0;
        clipped = true;
      }
    }
  return clipped;
}

size_t square(int n) { return static_cast<size_t>(n < 0 ? 0 : n) * static_cast<size_t>(n < 0 ? 0 : n); }

} // namespace

std::vector<double> circular_least_squares(int n, const std::vector<double>& d, tNnlsStats* stats)
{
  std::vector<double> w(square(n), 0.0);
  if (n < 2 || !clipped_inverse(n, d, w))
    return w;
  const size_t limit = static_cast<size_t>(5 * n + 100);
  {
    tGrowingSet grow(n, d, limit);
    if (grow.run(w, stats))
      return w;
  }
  // Too many positive weights to factor their normal matrix.
  tSolver(n, d).run(w, limit, stats);
  return w;
}

std::vector<double> circular_least_squares_cg(int n, const std::vector<double>& d, tNnlsStats* stats)
{
  std::vector<double> w(square(n), 0.0);
  if (n < 2 || !clipped_inverse(n, d, w))
    return w;
  tSolver(n, d).run(w, static_cast<size_t>(2 * n), stats);
  return w;
}
