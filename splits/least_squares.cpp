#include "splits/least_squares.h"

#include <cmath>

#include "blocks/blk_distances.h"
#include "core/message.h"
#include "core/sets.h"
#include "distances/compute_freq.h"
#include "splits/lin_solve.h"
#include "splits/splits_sys.h"

namespace {

// The members of the four intersections of the sides of splits i and j.
struct tQuadrants {
  std::vector<int> in_in, in_out, out_in, out_out;  // side of i, side of j

  tQuadrants(const tSplitsSystem* s, int i, int j)
  {
    const tSet* Si = s->get_split(i);
    const tSet* Sj = s->get_split(j);
    for (int x = 1; x <= s->get_ntax(); x++) {
      const bool a = Si->is_element(x), b = Sj->is_element(x);
      (a ? (b ? in_in : in_out) : (b ? out_in : out_out)).push_back(x);
    }
  }
};

double sum_over(const std::vector<int>& X, const std::vector<int>& Y, double** W)
{
  double s = 0.0;
  for (int x : X)
    for (int y : Y)
      s += W[x][y];
  return s;
}

} // namespace

double sum_distance(const tSet* A, const tSet* B, double** d)
{
  double s = 0.0;
  for (int x = 1; x <= A->max_size(); x++)
    if (A->is_element(x))
      for (int y = 1; y <= B->max_size(); y++)
        if (B->is_element(y))
          s += d[x][y];
  return s;
}

double weighted_sum_distance(const tSet* A, const tSet* B, double** d, double** W)
{
  double s = 0.0;
  for (int x = 1; x <= A->max_size(); x++)
    if (A->is_element(x))
      for (int y = 1; y <= B->max_size(); y++)
        if (B->is_element(y) && W[x][y] != 0.0)
          s += d[x][y] * W[x][y];
  return s;
}

int cross_splits(const tSplitsSystem* s, int i, int j)
{
  const tSet* Si = s->get_split(i);
  const tSet* Sj = s->get_split(j);
  int n[2][2] = {{0, 0}, {0, 0}};
  for (int x = 1; x <= s->get_ntax(); x++)
    n[Si->is_element(x)][Sj->is_element(x)]++;
  return n[1][0] * n[0][1] + n[1][1] * n[0][0];
}

double weighted_cross_splits(const tSplitsSystem* s, int i, int j, double** W)
{
  const tQuadrants q(s, i, j);
  return sum_over(q.in_in, q.out_out, W) + sum_over(q.in_out, q.out_in, W);
}

void AtA_Mat(const tSplitsSystem* s, tSquareMatrix& M)
{
  for (int i = 1; i <= s->get_n(); i++)
    for (int j = i; j <= s->get_n(); j++)
      M[i][j] = M[j][i] = cross_splits(s, i, j);
}

void AtWA_Mat(const tSplitsSystem* s, double** W, tSquareMatrix& M)
{
  for (int i = 1; i <= s->get_n(); i++)
    for (int j = i; j <= s->get_n(); j++)
      M[i][j] = M[j][i] = weighted_cross_splits(s, i, j, W);
}

void Atd_vec(const tSplitsSystem* s, double** d, std::vector<double>& b)
{
  b.assign(static_cast<size_t>(s->get_n()) + 1, 0.0);
  tSet other;
  for (int i = 1; i <= s->get_n(); i++) {
    other.copy(1, s->get_split(i));
    b[i] = sum_distance(s->get_split(i), &other, d);
  }
}

void AtWd_vec(const tSplitsSystem* s, double** d, double** W, std::vector<double>& b)
{
  b.assign(static_cast<size_t>(s->get_n()) + 1, 0.0);
  tSet other;
  for (int i = 1; i <= s->get_n(); i++) {
    other.copy(1, s->get_split(i));
    b[i] = weighted_sum_distance(s->get_split(i), &other, d, W);
  }
}

int least_squares_weights(const tSplitsSystem* s, double** d, double** W, std::vector<double>& w, int* bad_split)
{
  const int n = s->get_n();
  tSquareMatrix M(n);
  std::vector<double> b;
  if (W) {
    AtWA_Mat(s, W, M);
    AtWd_vec(s, d, W, b);
  } else {
    AtA_Mat(s, M);
    Atd_vec(s, d, b);
  }
  std::vector<double> x(static_cast<size_t>(n) + 1, 0.0);
  if (!Cholesky_solve(M.rows(), b.data(), n, x.data(), bad_split))
    return 0;
  for (int i = 1; i <= n; i++)
    if (!std::isfinite(x[i])) {
      if (bad_split)
        *bad_split = i;
      return 0;
    }
  w = x;
  return 1;
}

void fm_weights(double** d, int n, int fm_power, tSquareMatrix& W, int* unknown)
{
  bool warned = false;
  *unknown = 0;
  message("WM:\n");
  for (int x = 1; x <= n; x++) {
    W[x][x] = 0.0;
    for (int y = x + 1; y <= n; y++) {
      double dxy = d[x][y];
      if (!std::isfinite(dxy)) {
        W[x][y] = W[y][x] = 0.0;
        ++*unknown;
        continue;
      }
      if (dxy < 1e-07) {
        if (!warned)
          warning("Distance too small (%d %d): %G", x, y, dxy);
        warned = true;
        // The limit of a tiny distance: the heaviest weight a pair can get.
        dxy = 1e-07;
      }
      W[x][y] = W[y][x] = 1.0 / std::pow(dxy, fm_power);
      message(" %lg =1.0/%lg", W[x][y], dxy);
    }
    message("\n");
  }
}

namespace {

// Shared by both adapters: the distances as a matrix, the fit, the report.
int fit_weights(tSplitsSystem* s, const tDistancesBlk* distances, int fm_power, const char* name)
{
  const int n = s->get_ntax();
  if (distances->get_ntax() != n) {
    warning("EDGE_TRANSFORM=%s: the distances are of %d taxa, the splits of %d", name, distances->get_ntax(), n);
    return 0;
  }
  if (s->get_n() == 0)
    return 1;
  tSquareMatrix d(n);
  int unknown = 0;
  for (int x = 1; x <= n; x++)
    for (int y = 1; y <= n; y++)
      d[x][y] = x == y ? 0.0 : distances->get_matrix(x, y);
  tSquareMatrix W(n);
  if (fm_power > 0) {
    fm_weights(d.rows(), n, fm_power, W, &unknown);
  } else {
    for (int x = 1; x <= n; x++)
      for (int y = x + 1; y <= n; y++)
        unknown += !std::isfinite(d[x][y]);
    // Unknown distances leave the model through a 0/1 weighting.
    for (int x = 1; x <= n; x++)
      for (int y = 1; y <= n; y++)
        W[x][y] = x != y && std::isfinite(d[x][y]) ? 1.0 : 0.0;
  }
  if (unknown > 0)
    warning("EDGE_TRANSFORM=%s: %d unknown distances left out of the fit", name, unknown);
  std::vector<double> w;
  int bad = 0;
  if (!least_squares_weights(s, d.rows(), fm_power > 0 || unknown > 0 ? W.rows() : nullptr, w, &bad)) {
    warning("EDGE_TRANSFORM=%s: the distances do not determine the weight of split %d", name, bad);
    return 0;
  }
  for (int i = 1; i <= s->get_n(); i++)
    s->set_weight(i, w[static_cast<size_t>(i)]);
  return 1;
}

} // namespace

int tSplitsSystem::OLS_isolation_indices(tDistancesBlk* distances)
{
  return fit_weights(this, distances, 0, "LEAST_SQUARES");
}

int tSplitsSystem::WLS_isolation_indices(tDistancesBlk* distances, int fm_power)
{
  message("--");
  message("fm_power: %d\n", fm_power);
  const int ok = fit_weights(this, distances, fm_power, fm_power == 1 ? "FM_POW1" : "FM_POW2");
  message("++");
  return ok;
}
