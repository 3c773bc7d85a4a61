#include "distances/covarion.h"

#include <cmath>
#include <vector>

#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/message.h"
#include "distances/compute_freq.h"
#include "distances/group_partition.h"

int computeCovarion(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                    tDistancesBlk* distances)
{
  const int ntax = taxa->get_ntax();
  std::vector<int> group;
  int K = 0;
  if (!partition_groups(assumptions, ntax, &group, &K))
    return 0;

  // pi[g]: sites constant in g; pij[g][h]: constant in both (the diagonal
  // is not counted).
  std::vector<double> pi(static_cast<size_t>(K) + 1, 0.0);
  std::vector<std::vector<double>> pij(static_cast<size_t>(K) + 1, std::vector<double>(static_cast<size_t>(K) + 1, 0.0));
  const std::vector<int> sites = active_sites(characters);
  std::vector<unsigned char> state;
  for (int c : sites) {
    group_states(characters, group, K, c, &state);
    for (int g = 1; g <= K; g++) {
      if (!group_constant(state[g]))
        continue;
      pi[g] += 1;
      for (int h = g + 1; h <= K; h++)
        if (group_constant(state[h])) {
          pij[g][h] += 1;
          pij[h][g] += 1;
        }
    }
  }

  message("--");
  message("\nCounts:\n");
  for (int g = 1; g <= K; g++)
    message(" pi[%d]=%g", g, pi[g]);
  message("\n");
  for (int g = 1; g <= K; g++) {
    for (int h = g + 1; h <= K; h++)
      message(" pij[%d][%d]=%g", g, h, pij[g][h]);
    message("\n");
  }
  const double n = static_cast<double>(sites.size());
  if (n > 0) {
    for (int g = 1; g <= K; g++) {
      pi[g] /= n;
      for (int h = 1; h <= K; h++)
        pij[g][h] /= n;
    }
  }
  message("\nProportions:\n");
  for (int g = 1; g <= K; g++)
    message(" pi[%d]=%g", g, pi[g]);
  message("\n");
  for (int g = 1; g <= K; g++) {
    for (int h = g + 1; h <= K; h++) {
      const double x = pij[g][h] - pi[g] * pi[h];
      message(" pij[%d][%d]=%g", g, h, pij[g][h]);
      message(" pi[%d]*pi[%d]=%g\n", g, h, pi[g] * pi[h]);
      message(" pij-pi*pj=%g\n", x);
      message(" -log(pij-pi*pj)=%g\n", -std::log(x));
    }
    message("\n");
  }
  message("++");

  bool warned = false;
  for (int i = 1; i <= ntax; i++)
    for (int j = i + 1; j <= ntax; j++) {
      const int g = group[i], h = group[j];
      double d = 0.0;
      if (g != h) {
        const double x = std::fabs(pij[g][h] - pi[g] * pi[h]);
        if (x == 0.0) {
          d = tDistancesBlk::UNKNOWN;
          if (!warned)
            warning("Bad data: Some groups (e.g. %d and %d) have infinite distance", g, h);
          warned = true;
        } else {
          d = -std::log(x) +
              0.5 * (std::log(std::fabs(pij[h][h] - pi[h] * pi[h])) + std::log(std::fabs(pij[g][g] - pi[g] * pi[g])));
        }
      }
      distances->set_matrix(i, j, d);
    }
  return 1;
}
