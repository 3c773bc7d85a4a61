#include "splits/neighbor_net.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "blocks/blk_distances.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "core/progress.h"
#include "core/sets.h"
#include "splits/circular_nnls.h"
#include "splits/splits_decomp.h"
#include "splits/splits_sys.h"

namespace {

// The path x - y - z (y between x and z) replaced by u - v.
struct tReduction {
  int x, y, z, u, v;
};

struct tCluster {
  int first, second;  // node ids; second is -1 for a single node
  int size() const { return second < 0 ? 1 : 2; }
};

// Nodes are numbered from 0 (the taxa) upwards as reductions create them;
// their distances live in n x n slots, a new node taking the slot of one it
// replaces, so memory stays O(n^2).
class tAgglomeration {
public:
  tAgglomeration(int n, const std::vector<double>& d) : n(n), D(d), slot_of(static_cast<size_t>(n))
  {
    for (int x = 0; x < n; x++) {
      slot_of[x] = x;
      active.push_back(x);
      clusters.push_back({x, -1});
      D[at(x, x)] = 0.0;
    }
  }

  std::vector<int> ordering()
  {
    // Progress only: half an ordering is no result, so a stop request
    // takes effect after the method.
    while (active.size() > 3) {
      progress("Neighbor-Net ordering", n - static_cast<int>(active.size()), n - 3);
      join_step();
    }
    return expand();
  }

private:
  int n;
  std::vector<double> D;
  std::vector<int> slot_of;  // by node id
  std::vector<int> active;   // node ids
  std::vector<tCluster> clusters;
  std::vector<tReduction> reductions;

  size_t at(int sa, int sb) const { return static_cast<size_t>(sa) * static_cast<size_t>(n) + static_cast<size_t>(sb); }
  double dist(int x, int y) const { return D[at(slot_of[x], slot_of[y])]; }
  double dist(int x, const tCluster& c) const
  {
    return c.second < 0 ? dist(x, c.first) : 0.5 * (dist(x, c.first) + dist(x, c.second));
  }
  double dist(const tCluster& c, const tCluster& e) const
  {
    return c.second < 0 ? dist(c.first, e) : 0.5 * (dist(c.first, e) + dist(c.second, e));
  }

  void join_step();
  void reduce(int x, int y, int z, int* u, int* v);
  std::vector<int> expand() const;
};

void tAgglomeration::join_step()
{
  const int m = static_cast<int>(clusters.size());
  // sum[x]: distances from node x to every other cluster, each cluster
  // counting by its average.
  std::vector<int> slots, cluster_of_slot(static_cast<size_t>(n), -1);
  std::vector<double> share(static_cast<size_t>(n), 0.0);
  for (int k = 0; k < m; k++)
    for (int x : {clusters[k].first, clusters[k].second})
      if (x >= 0) {
        slots.push_back(slot_of[x]);
        cluster_of_slot[slot_of[x]] = k;
        share[slot_of[x]] = 1.0 / clusters[k].size();
      }
  std::vector<double> sum(static_cast<size_t>(n), 0.0);
  for (int sx : slots) {
    const double* row = D.data() + at(sx, 0);
    double s = 0.0;
    for (int sy : slots)
      s += share[sy] * row[sy];
    const tCluster& own = clusters[cluster_of_slot[sx]];
    const int mate = own.first >= 0 && slot_of[own.first] == sx ? own.second : own.first;
    if (mate >= 0)
      s -= share[slot_of[mate]] * row[slot_of[mate]];
    sum[sx] = s;
  }
  std::vector<double> R(static_cast<size_t>(m));
  for (int k = 0; k < m; k++) {
    const tCluster& c = clusters[k];
    R[k] = c.second < 0 ? sum[slot_of[c.first]] : 0.5 * (sum[slot_of[c.first]] + sum[slot_of[c.second]]);
  }

  int bi = 0, bj = 1;
  double best = HUGE_VAL;
  for (int i = 0; i < m; i++)
    for (int j = i + 1; j < m; j++) {
      const double q = (m - 2) * dist(clusters[i], clusters[j]) - R[i] - R[j];
      if (q < best) {
        best = q;
        bi = i;
        bj = j;
      }
    }

  // The two clusters taken apart into their nodes.
  const tCluster ci = clusters[bi], cj = clusters[bj];
  const int mhat = m + ci.size() + cj.size() - 2;
  std::vector<int> members;
  for (int x : {ci.first, ci.second, cj.first, cj.second})
    if (x >= 0)
      members.push_back(x);
  auto rhat = [&](int x, const tCluster& partner) {
    double r = sum[slot_of[x]] - dist(x, partner);
    for (int z : members)
      if (z != x)
        r += dist(x, z);
    return r;
  };
  int bx = ci.first, by = cj.first;
  best = HUGE_VAL;
  for (int x : {ci.first, ci.second}) {
    if (x < 0)
      continue;
    const double rx = rhat(x, cj);
    for (int y : {cj.first, cj.second}) {
      if (y < 0)
        continue;
      const double q = (mhat - 2) * dist(x, y) - rx - rhat(y, ci);
      if (q < best) {
        best = q;
        bx = x;
        by = y;
      }
    }
  }

  const int a = ci.second < 0 ? -1 : (bx == ci.first ? ci.second : ci.first);
  const int b = cj.second < 0 ? -1 : (by == cj.first ? cj.second : cj.first);
  tCluster joined{bx, by};
  if (a >= 0 && b >= 0) {
    int u, v;
    reduce(a, bx, by, &u, &v);
    reduce(u, v, b, &joined.first, &joined.second);
  } else if (a >= 0) {
    reduce(a, bx, by, &joined.first, &joined.second);
  } else if (b >= 0) {
    reduce(bx, by, b, &joined.first, &joined.second);
  }
  clusters[bi] = joined;
  clusters.erase(clusters.begin() + bj);
}

// Three nodes become two at a third each; the weights are those the
// published method uses.
void tAgglomeration::reduce(int x, int y, int z, int* u, int* v)
{
  const int sx = slot_of[x], sy = slot_of[y], sz = slot_of[z];
  const double duv = (D[at(sx, sy)] + D[at(sx, sz)] + D[at(sy, sz)]) / 3.0;
  for (int p : active) {
    if (p == x || p == y || p == z)
      continue;
    const int sp = slot_of[p];
    const double du = (2.0 * D[at(sx, sp)] + D[at(sy, sp)]) / 3.0;
    const double dv = (D[at(sy, sp)] + 2.0 * D[at(sz, sp)]) / 3.0;
    D[at(sx, sp)] = D[at(sp, sx)] = du;
    D[at(sz, sp)] = D[at(sp, sz)] = dv;
  }
  D[at(sx, sz)] = D[at(sz, sx)] = duv;
  *u = static_cast<int>(slot_of.size());
  slot_of.push_back(sx);
  *v = static_cast<int>(slot_of.size());
  slot_of.push_back(sz);
  active.erase(std::remove_if(active.begin(), active.end(), [&](int p) { return p == x || p == y || p == z; }),
               active.end());
  active.push_back(*u);
  active.push_back(*v);
  reductions.push_back({x, y, z, *u, *v});
}

// The final nodes on a circle, each cluster's nodes side by side; then every
// reduction undone from the last, u - v becoming x - y - z in place.
std::vector<int> tAgglomeration::expand() const
{
  const size_t ids = slot_of.size();
  std::vector<int> next(ids, -1), prev(ids, -1);
  std::vector<int> circle;
  for (const tCluster& c : clusters)
    for (int x : {c.first, c.second})
      if (x >= 0)
        circle.push_back(x);
  const int k = static_cast<int>(circle.size());
  for (int i = 0; i < k; i++) {
    next[circle[i]] = circle[(i + 1) % k];
    prev[circle[(i + 1) % k]] = circle[i];
  }
  int length = k;
  for (auto r = reductions.rbegin(); r != reductions.rend(); ++r) {
    if (length == 2) {
      next[r->x] = r->y;
      next[r->y] = r->z;
      next[r->z] = r->x;
      prev[r->y] = r->x;
      prev[r->z] = r->y;
      prev[r->x] = r->z;
    } else {
      int before, after, first, last;
      if (next[r->u] == r->v) {
        before = prev[r->u];
        after = next[r->v];
        first = r->x;
        last = r->z;
      } else if (next[r->v] == r->u) {
        before = prev[r->v];
        after = next[r->u];
        first = r->z;
        last = r->x;
      } else {
        error("neighbor_net_ordering(): nodes %d and %d not adjacent", r->u, r->v);
      }
      next[before] = first;
      prev[first] = before;
      next[first] = r->y;
      prev[r->y] = first;
      next[r->y] = last;
      prev[last] = r->y;
      next[last] = after;
      prev[after] = last;
    }
    length++;
  }
  std::vector<int> order;
  int x = 0;
  for (int i = 0; i < n; i++) {
    if (x < 0 || x >= n)
      error("neighbor_net_ordering(): node %d left in the ordering", x);
    order.push_back(x);
    x = next[x];
  }
  return order;
}

} // namespace

std::vector<int> neighbor_net_ordering(int n, const std::vector<double>& d)
{
  if (n <= 3) {
    std::vector<int> order;
    for (int x = 0; x < n; x++)
      order.push_back(x);
    return order;
  }
  return tAgglomeration(n, d).ordering();
}

int circular_splits_compatible(const tSplitsSystem* splits)
{
  const int n = splits->get_ntax();
  if (!splits->has_cycle())
    return splits->strongly_compatible();
  // Each split as the gaps of the cycle where it changes side.
  std::vector<std::pair<int, int>> gaps;
  for (int s = 1; s <= splits->get_n(); s++) {
    if (!(splits->get_weight(s) > 0.0))
      continue;
    const tSet* S = splits->get_split(s);
    std::vector<int> cuts;
    for (int i = 1; i <= n; i++)
      if (S->is_element(splits->cycle[i]) != S->is_element(splits->cycle[i == n ? 1 : i + 1]))
        cuts.push_back(i);
    if (cuts.size() != 2)
      return splits->strongly_compatible();
    gaps.emplace_back(cuts[0], cuts[1]);
  }
  // Two arcs cross exactly when one cut of each lies strictly between the
  // cuts of the other.
  std::sort(gaps.begin(), gaps.end());
  for (size_t i = 0; i < gaps.size(); i++)
    for (size_t j = i + 1; j < gaps.size() && gaps[j].first < gaps[i].second; j++)
      if (gaps[j].first > gaps[i].first && gaps[j].second > gaps[i].second)
        return 0;
  return 1;
}

int tSplitsSystem::neighbor_net(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tDistancesBlk* distances)
{
  (void)taxa;
  (void)assumptions;
  const int n = ntax;
  if (distances->get_ntax() != n) {
    warning("Neighbor-Net: distances of %d taxa for %d taxa", distances->get_ntax(), n);
    return 0;
  }
  const size_t size = static_cast<size_t>(n) * static_cast<size_t>(n);
  std::vector<double> d(size, 0.0);
  int unknown = 0;
  double dmax = 0.0;
  for (int i = 1; i <= n; i++)
    for (int j = i + 1; j <= n; j++) {
      const double x = distances->get_matrix(i, j);
      if (!std::isfinite(x) || std::fabs(x) > 1e300)
        unknown++;
      else
        dmax = std::max(dmax, std::fabs(x));
      d[static_cast<size_t>(i - 1) * n + (j - 1)] = d[static_cast<size_t>(j - 1) * n + (i - 1)] = x;
    }
  if (unknown) {
    warning("Neighbor-Net needs all distances: %d unknown", unknown);
    return 0;
  }
  // Sums over many pairs must not overflow whatever the unit.
  if (dmax > 0.0)
    for (double& x : d)
      x /= dmax;

  // The canonical rotation of the ordering, so that the splits come out in
  // an order that depends on the circle only.
  const std::vector<int> order = neighbor_net_ordering(n, d);
  cycle.assign(static_cast<size_t>(n) + 1, 0);
  for (int i = 0; i < n; i++)
    cycle[i + 1] = order[i] + 1;
  lexicographically_order(n, cycle.data());

  std::vector<double> dp(size, 0.0);
  for (int p = 0; p < n; p++)
    for (int q = p + 1; q < n; q++)
      dp[static_cast<size_t>(p) * n + q] = d[static_cast<size_t>(cycle[p + 1] - 1) * n + (cycle[q + 1] - 1)];
  const std::vector<double> w = circular_least_squares(n, dp);

  tSet side(n);
  for (int a = 0; a < n; a++)
    for (int b = a + 1; b < n; b++) {
      const double weight = w[static_cast<size_t>(a) * n + b] * dmax;
      if (!std::isfinite(weight)) {
        warning("Neighbor-Net: the least-squares weights failed");
        set_n(0);
        set_ntax(n);
        return 0;
      }
      if (!(weight > SPLIT_WEIGHT_BOUND))
        continue;
      side.make_emptyset();
      for (int p = a + 1; p <= b; p++)
        side.insert(cycle[p + 1]);
      append_split(&side, weight);
    }
  is_cyclic = 1;
  return 1;
}
