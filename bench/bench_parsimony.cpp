// Times parsimony splits and the parsimony splits tree on DNA evolved along
// random trees of 50 and 100 taxa (2,000 sites), and the least-squares and
// FM_POW2 edge weights of the split decomposition of a 100-taxon network.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "nexus/nexus.h"
#include "splits/splits_sys.h"

namespace {

std::string taxa_text(int n)
{
  std::string labels;
  for (int t = 1; t <= n; t++)
    labels += " t" + std::to_string(t);
  return "; DIMENSIONS NTAX=" + std::to_string(n) + "; TAXLABELS" + labels + "; END";
}

double parsimony(int n, int nchar, bool tree, int* nsplits)
{
  ref_srand(20240613);
  const std::vector<std::string> rows = tree_sequences(n, nchar, 0.05);
  tTaxaBlk taxa;
  tCharactersBlk characters;
  tAssumptionsBlk assumptions;
  tNexusInput in;
  in.OpenString(taxa_text(n).c_str());
  taxa.read(&in);
  std::string matrix;
  for (int t = 1; t <= n; t++)
    matrix += " t" + std::to_string(t) + " " + rows[static_cast<size_t>(t - 1)];
  in.OpenString(("; DIMENSIONS NCHAR=" + std::to_string(nchar) + "; FORMAT DATATYPE=DNA; MATRIX" + matrix + "; END")
                    .c_str());
  characters.read(&in, &taxa);
  tSplitsSystem s;
  const double secs = best_seconds(3, [&] {
    s.clear();
    s.set_ntax(n);
    if (tree)
      s.parsimony_splits_tree(&assumptions, &characters);
    else
      s.parsimony_splits(&assumptions, &characters);
  });
  *nsplits = s.get_n();
  return secs;
}

void edge_transforms(int n)
{
  ref_srand(20240614);
  tTaxaBlk taxa;
  tDistancesBlk distances;
  tAssumptionsBlk assumptions;
  tNexusInput in;
  in.OpenString(taxa_text(n).c_str());
  taxa.read(&in);
  std::string zeros;
  for (int i = 0; i < n * (n + 1) / 2; i++)
    zeros += " 0";
  in.OpenString(("; FORMAT NO LABELS; MATRIX" + zeros + "; END").c_str());
  distances.read(&in, &taxa);
  const auto d = noisy_tree_distances(n, 60, 0.0);
  for (int i = 1; i <= n; i++)
    for (int j = i + 1; j <= n; j++)
      distances.set_matrix(i, j, d[i][j]);
  tSplitsSystem sd;
  sd.set_ntax(n);
  sd.split_decomposition(&taxa, &assumptions, &distances);
  std::vector<double> weights;
  for (int i = 1; i <= sd.get_n(); i++)
    weights.push_back(sd.get_weight(i));
  char size[64];
  std::snprintf(size, sizeof size, "%d taxa, %d splits", n, sd.get_n());
  auto reset = [&] {
    for (int i = 1; i <= sd.get_n(); i++)
      sd.set_weight(i, weights[static_cast<size_t>(i - 1)]);
  };
  report("LEAST_SQUARES", size, best_seconds(3, [&] {
           reset();
           sd.OLS_isolation_indices(&distances);
         }));
  report("FM_POW2", size, best_seconds(3, [&] {
           reset();
           sd.WLS_isolation_indices(&distances, 2);
         }));
}

} // namespace

int main()
{
  const int nchar = 2000;
  for (bool tree : {false, true}) {
    double previous = 0.0;
    for (int n : {50, 100}) {
      int nsplits = 0;
      const double secs = parsimony(n, nchar, tree, &nsplits);
      char name[64], size[64];
      std::snprintf(name, sizeof name, "%s", tree ? "PTREE" : "PSPLITS");
      std::snprintf(size, sizeof size, "%d x %d, %d splits", n, nchar, nsplits);
      report(name, size, secs);
      if (previous > 0.0)
        std::printf("%-28s growth 50 -> 100 taxa: x%.1f (exponent %.1f)\n", name, secs / previous,
                    std::log2(secs / previous));
      previous = secs;
    }
  }
  edge_transforms(100);
  return 0;
}
