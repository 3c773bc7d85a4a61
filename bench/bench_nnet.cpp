// Times Neighbor-Net (ordering, least squares and the two together) on the
// Jukes-Cantor distances of DNA alignments of 1000 sites simulated along
// random trees of 50, 200 and 1000 taxa.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "blocks/blk_assumptions.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "nexus/nexus.h"
#include "splits/circular_nnls.h"
#include "splits/neighbor_net.h"
#include "splits/splits_sys.h"

namespace {

// Sequences evolved from a random root sequence down the edges of a random
// tree under Jukes-Cantor, edge lengths scaled by `rate` substitutions per
// site; then their Jukes-Cantor distances (0-based, n x n).
std::vector<double> alignment_distances(int n, int nchar, double rate)
{
  const tRandomTree tree = random_tree(n);
  std::vector<std::vector<std::pair<int, double>>> adj(static_cast<size_t>(tree.nodes));
  for (const tTreeEdge& e : tree.edges) {
    adj[static_cast<size_t>(e.u)].push_back({e.v, e.len * rate});
    adj[static_cast<size_t>(e.v)].push_back({e.u, e.len * rate});
  }
  std::vector<std::string> seq(static_cast<size_t>(tree.nodes));
  std::string& root = seq[static_cast<size_t>(tree.centre)];
  for (int c = 0; c < nchar; c++)
    root += "ACGT"[ref_rand() % 4];
  std::vector<int> stack{tree.centre};
  std::vector<char> seen(static_cast<size_t>(tree.nodes), 0);
  seen[static_cast<size_t>(tree.centre)] = 1;
  while (!stack.empty()) {
    const int y = stack.back();
    stack.pop_back();
    for (const auto& [z, len] : adj[static_cast<size_t>(y)]) {
      if (seen[static_cast<size_t>(z)])
        continue;
      seen[static_cast<size_t>(z)] = 1;
      // A change with probability 3/4 (1 - exp(-4/3 len)), to another base.
      const double p = 0.75 * (1.0 - std::exp(-4.0 / 3.0 * len));
      std::string s = seq[static_cast<size_t>(y)];
      for (char& c : s)
        if (uniform() < p) {
          const char* others = c == 'A' ? "CGT" : c == 'C' ? "AGT" : c == 'G' ? "ACT" : "ACG";
          c = others[ref_rand() % 3];
        }
      seq[static_cast<size_t>(z)] = s;
      stack.push_back(z);
    }
  }
  std::vector<double> d(static_cast<size_t>(n) * n, 0.0);
  for (int x = 0; x < n; x++)
    for (int y = x + 1; y < n; y++) {
      const std::string& a = seq[static_cast<size_t>(x) + 1];
      const std::string& b = seq[static_cast<size_t>(y) + 1];
      int diff = 0;
      for (int c = 0; c < nchar; c++)
        diff += a[static_cast<size_t>(c)] != b[static_cast<size_t>(c)];
      const double q = std::min(0.7, static_cast<double>(diff) / nchar);
      d[static_cast<size_t>(x) * n + y] = d[static_cast<size_t>(y) * n + x] = -0.75 * std::log(1.0 - 4.0 / 3.0 * q);
    }
  return d;
}

struct tBench {
  tTaxaBlk taxa;
  tDistancesBlk distances;
  tAssumptionsBlk assumptions;

  tBench(int n, const std::vector<double>& d)
  {
    std::string labels, zeros;
    for (int t = 1; t <= n; t++)
      labels += " t" + std::to_string(t);
    for (int i = 0; i < n * (n + 1) / 2; i++)
      zeros += " 0";
    tNexusInput in;
    in.OpenString(("; DIMENSIONS NTAX=" + std::to_string(n) + "; TAXLABELS" + labels + "; END").c_str());
    taxa.read(&in);
    in.OpenString(("; FORMAT NO LABELS; MATRIX" + zeros + "; END").c_str());
    distances.read(&in, &taxa);
    for (int i = 1; i <= n; i++)
      for (int j = i + 1; j <= n; j++)
        distances.set_matrix(i, j, d[static_cast<size_t>(i - 1) * n + (j - 1)]);
  }
};

void run(int n)
{
  ref_srand(20240607);
  const std::vector<double> d = alignment_distances(n, 1000, 0.1);
  tBench b(n, d);
  const int repeat = n <= 200 ? 3 : 1;
  char size[64];
  std::vector<int> order;
  const double t_order = best_seconds(repeat, [&] { order = neighbor_net_ordering(n, d); });
  std::snprintf(size, sizeof size, "%d taxa", n);
  report("neighbor-net ordering", size, t_order);
  std::vector<double> dp(static_cast<size_t>(n) * n, 0.0);
  for (int p = 0; p < n; p++)
    for (int q = p + 1; q < n; q++)
      dp[static_cast<size_t>(p) * n + q] = d[static_cast<size_t>(order[p]) * n + order[q]];
  tNnlsStats stats;
  const double t_nnls = best_seconds(repeat, [&] {
    stats = tNnlsStats();
    circular_least_squares(n, dp, &stats);
  });
  std::snprintf(size, sizeof size, "%d taxa, %d rounds", n, stats.active_set_rounds);
  report("circular least squares", size, t_nnls);
  tSplitsSystem s;
  const double t_all = best_seconds(repeat, [&] {
    s.clear();
    s.set_ntax(n);
    s.neighbor_net(&b.taxa, &b.assumptions, &b.distances);
  });
  std::snprintf(size, sizeof size, "%d taxa, %d splits", n, s.get_n());
  report("neighbor-net", size, t_all);
}

} // namespace

int main()
{
  for (int n : {50, 200, 1000})
    run(n);
  return 0;
}
