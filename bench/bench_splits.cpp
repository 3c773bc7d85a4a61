// Times split decomposition, the Buneman tree and the cycle of the result on
// the distances of random trees for 50, 100 and 200 taxa, exact and with 1%
// and 5% noise, and the refined computation on the noisy ones. Exact tree distances are the heaviest case: every split of
// the tree survives each level and its scan runs to the end.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "blocks/blk_assumptions.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/parallel.h"
#include "nexus/nexus.h"
#include "splits/compute_cycle.h"
#include "splits/splits_sys.h"

namespace {


struct tBench {
  tTaxaBlk taxa;
  tDistancesBlk distances;
  tAssumptionsBlk assumptions;

  tBench(int n, double noise)
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
    const auto d = noisy_tree_distances(n, 0, noise);
    for (int i = 1; i <= n; i++)
      for (int j = i + 1; j <= n; j++)
        distances.set_matrix(i, j, d[i][j]);
  }
};

void run(int n, double noise)
{
  ref_srand(20240601);
  tBench b(n, noise);
  const int repeat = n <= 100 ? 5 : 2;
  char name[64], size[64];
  tSplitsSystem sd, bt;
  const double t_sd = best_seconds(repeat, [&] {
    sd.clear();
    sd.set_ntax(n);
    sd.split_decomposition(&b.taxa, &b.assumptions, &b.distances);
  });
  std::snprintf(name, sizeof name, "split decomposition %g%%", 100 * noise);
  std::snprintf(size, sizeof size, "%d taxa, %d splits", n, sd.get_n());
  report(name, size, t_sd);
  const double t_bt = best_seconds(repeat, [&] {
    bt.clear();
    bt.set_ntax(n);
    bt.buneman_tree(&b.taxa, &b.assumptions, &b.distances);
  });
  std::snprintf(name, sizeof name, "Buneman tree %g%%", 100 * noise);
  std::snprintf(size, sizeof size, "%d taxa, %d splits", n, bt.get_n());
  report(name, size, t_bt);
  if (noise > 0.0 && n == 100) {
    // The refined computation keeps the five smallest quartets of each split.
    b.assumptions.method = "DSPLITS";
    b.assumptions.refine = 1;
    b.assumptions.refine_count = 5;
    for (int threads : {1, 2}) {
      set_thread_count(threads);
      tSplitsSystem refined;
      const double t = best_seconds(1, [&] { refined.compute_splits(&b.taxa, &b.assumptions, nullptr, &b.distances); });
      std::snprintf(name, sizeof name, "refined DSPLITS N=5 %g%%, %d thr", 100 * noise, threads);
      std::snprintf(size, sizeof size, "%d taxa, %d splits", n, refined.get_n());
      report(name, size, t);
    }
    set_thread_count(0);
  }
  const double t_cycle = best_seconds(repeat, [&] { sd.compute_cyclic_configuration(); });
  std::snprintf(name, sizeof name, "cycle of decomposition %g%%", 100 * noise);
  std::snprintf(size, sizeof size, "%d taxa, %s", n, sd.is_cyclic ? "cyclic" : "not cyclic");
  report(name, size, t_cycle);
}

} // namespace

int main()
{
  for (double noise : {0.0, 0.01, 0.05})
    for (int n : {50, 100, 200})
      run(n, noise);
  return 0;
}
