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
