// Times the splits graph of split decomposition, with and without the
// reduction, against the decomposition itself, for 50, 100 and 200 taxa.
// Inputs (fixed seed): the distances of a random tree with 0.2% noise, which
// decomposes into a tree, and the same with n/2 extra splits that are arcs of
// the tree's leaf order, which give a network full of boxes. Building the
// graph should never take longer than computing its splits.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "blocks/blk_assumptions.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "graph/compute_graph_n.h"
#include "nexus/nexus.h"
#include "splits/splits_sys.h"

namespace {

double uniform() { return ref_rand() / (REF_RAND_MAX + 1.0); }

// Path lengths of a random tree grown by attaching each leaf to a random
// edge, plus `arcs` splits that are arcs of the tree's leaf order (weights
// 0.1 to 0.5), each distance multiplied by a factor within `noise` of 1.
std::vector<std::vector<double>> noisy_tree_distances(int n, int arcs, double noise)
{
  struct tTreeEdge {
    int u, v;
    double len;
  };
  std::vector<tTreeEdge> edges;
  int nodes = n + 1;
  const int centre = nodes++;
  for (int x = 1; x <= 3; x++)
    edges.push_back({centre, x, 0.05 + uniform()});
  for (int leaf = 4; leaf <= n; leaf++) {
    tTreeEdge& e = edges[static_cast<size_t>(ref_rand()) % edges.size()];
    const int mid = nodes++;
    const tTreeEdge lower{mid, e.v, 0.05 + uniform()};
    e.v = mid;
    edges.push_back(lower);
    edges.push_back({mid, leaf, 0.05 + uniform()});
  }
  std::vector<std::vector<std::pair<int, double>>> adj(static_cast<size_t>(nodes));
  for (const tTreeEdge& e : edges) {
    adj[static_cast<size_t>(e.u)].push_back({e.v, e.len});
    adj[static_cast<size_t>(e.v)].push_back({e.u, e.len});
  }
  std::vector<std::vector<double>> d(static_cast<size_t>(n) + 1, std::vector<double>(static_cast<size_t>(n) + 1));
  for (int x = 1; x <= n; x++) {
    std::vector<double> dist(static_cast<size_t>(nodes), -1.0);
    std::vector<int> stack{x};
    dist[static_cast<size_t>(x)] = 0.0;
    while (!stack.empty()) {
      const int y = stack.back();
      stack.pop_back();
      for (const auto& [z, len] : adj[static_cast<size_t>(y)])
        if (dist[static_cast<size_t>(z)] < 0) {
          dist[static_cast<size_t>(z)] = dist[static_cast<size_t>(y)] + len;
          stack.push_back(z);
        }
    }
    for (int y = 1; y <= n; y++)
      d[static_cast<size_t>(x)][static_cast<size_t>(y)] = dist[static_cast<size_t>(y)];
  }
  // The leaves in the order a walk round the tree meets them.
  std::vector<int> order;
  std::vector<char> seen(static_cast<size_t>(nodes), 0);
  std::vector<int> walk{centre};
  while (!walk.empty()) {
    const int y = walk.back();
    walk.pop_back();
    seen[static_cast<size_t>(y)] = 1;
    if (y <= n)
      order.push_back(y);
    for (const auto& [z, len] : adj[static_cast<size_t>(y)])
      if (!seen[static_cast<size_t>(z)])
        walk.push_back(z);
  }
  for (int k = 0; k < arcs; k++) {
    const int start = ref_rand() % n, len = 2 + ref_rand() % (n / 2 - 1);
    const double w = 0.1 + 0.4 * uniform();
    std::vector<char> in(static_cast<size_t>(n) + 1, 0);
    for (int i = 0; i < len; i++)
      in[static_cast<size_t>(order[static_cast<size_t>((start + i) % n)])] = 1;
    for (int x = 1; x <= n; x++)
      for (int y = 1; y <= n; y++)
        if (in[static_cast<size_t>(x)] != in[static_cast<size_t>(y)])
          d[static_cast<size_t>(x)][static_cast<size_t>(y)] += w;
  }
  for (int x = 1; x <= n; x++)
    for (int y = x + 1; y <= n; y++)
      d[static_cast<size_t>(x)][static_cast<size_t>(y)] *= 1 - noise + 2 * noise * uniform();
  return d;
}

struct tInput {
  tTaxaBlk taxa;
  tDistancesBlk distances;
  tAssumptionsBlk assumptions;

  tInput(int n, int arcs, double noise)
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
    const auto d = noisy_tree_distances(n, arcs, noise);
    for (int i = 1; i <= n; i++)
      for (int j = i + 1; j <= n; j++)
        distances.set_matrix(i, j, d[static_cast<size_t>(i)][static_cast<size_t>(j)]);
  }
};

} // namespace

int main()
{
  const double noise = 0.002;
  for (int with_arcs = 0; with_arcs <= 1; with_arcs++) {
    ref_srand(20240611);
    for (int n : {50, 100, 200}) {
      const int arcs = with_arcs ? n / 2 : 0;
      tInput input(n, arcs, noise);
      const int repeat = n <= 100 ? 5 : 2;
      char size[64];
      tSplitsSystem sys;
      const double t_splits = best_seconds(repeat, [&] {
        sys.clear();
        sys.set_ntax(n);
        sys.split_decomposition(&input.taxa, &input.assumptions, &input.distances);
      });
      sys.compute_cyclic_configuration();
      std::snprintf(size, sizeof size, "%d taxa, %d arcs", n, arcs);
      std::printf("%s: %d splits, %s\n", size, sys.get_n(), sys.is_cyclic ? "cyclic" : "not cyclic");
      report("split decomposition", size, t_splits);
      for (int reduce = 0; reduce <= 1; reduce++) {
        tSplitsGraph graph;
        tGraphBuildResult result;
        const double t_graph = best_seconds(repeat, [&] { compute_graph(&graph, &sys, reduce, 1, &result); });
        std::snprintf(size, sizeof size, "%dV %dE", result.nvertices, result.nedges);
        report(reduce ? "graph, reduce on" : "graph, reduce off", size, t_graph);
        if (t_graph > t_splits)
          std::printf("  slower than the splits it draws\n");
      }
    }
  }
  return 0;
}
