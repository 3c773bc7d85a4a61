#include "distances/commonconst.h"

#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/message.h"
#include "distances/compute_freq.h"
#include "distances/group_partition.h"

int computeCConst(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                  tDistancesBlk* distances)
{
  const int ntax = taxa->get_ntax();
  std::vector<int> group;
  int K = 0;
  if (!partition_groups(assumptions, ntax, &group, &K))
    return 0;
  const double x = assumptions->cconst_x;
  const bool per_site = assumptions->parameter == 1;
  if (per_site)
    message("\nusing dij=(%lg*n2+n3+n4)/n ... ", x);
  else
    message("\nusing dij=(%lg*n2+n3+n4)/(2n1) ... ", x);

  // n1: both constant at one state; n2: at different states; n3: only g
  // constant; n4: only h constant; n5: neither.
  typedef std::vector<std::vector<double>> tTable;
  const tTable zero(static_cast<size_t>(K) + 1, std::vector<double>(static_cast<size_t>(K) + 1, 0.0));
  tTable n1 = zero, n2 = zero, n3 = zero, n4 = zero, n5 = zero;
  const std::vector<int> sites = active_sites(characters);
  std::vector<unsigned char> state;
  for (int c : sites) {
    group_states(characters, group, K, c, &state);
    for (int g = 1; g <= K; g++)
      for (int h = g + 1; h <= K; h++) {
        const bool cg = group_constant(state[g]), ch = group_constant(state[h]);
        if (cg && ch)
          (state[g] == state[h] ? n1 : n2)[g][h] += 1;
        else if (cg)
          n3[g][h] += 1;
        else if (ch)
          n4[g][h] += 1;
        else
          n5[g][h] += 1;
      }
  }

  message("--");
  for (int g = 1; g <= K; g++)
    for (int h = g + 1; h <= K; h++) {
      message(" n1[%d][%d]=%g", g, h, n1[g][h]);
      message(" n2[%d][%d]=%g", g, h, n2[g][h]);
      message(" n3[%d][%d]=%g", g, h, n3[g][h]);
      message(" n4[%d][%d]=%g", g, h, n4[g][h]);
      message(" n5[%d][%d]=%g", g, h, n5[g][h]);
      message("\n");
    }
  for (int g = 1; g <= K; g++)
    for (int h = g + 1; h <= K; h++) {
      n1[h][g] = n1[g][h];
      n2[h][g] = n2[g][h];
      n5[h][g] = n5[g][h];
      n3[h][g] = n4[g][h];
      n4[h][g] = n3[g][h];
    }
  const double n = static_cast<double>(sites.size());
  message("\nProportions:\n");
  for (int g = 1; g <= K; g++)
    for (int h = g + 1; h <= K; h++) {
      message(" [%d][%d] n1=%g", g, h, n1[g][h] / n);
      message(" n2=%g", n2[g][h] / n);
      message(" n3=%g", n3[g][h] / n);
      message(" n4=%g", n4[g][h] / n);
      message(" n5=%g", n5[g][h] / n);
      message("\n");
    }
  message("++");

  bool warned = false;
  for (int i = 1; i <= ntax; i++)
    for (int j = i + 1; j <= ntax; j++) {
      const int g = group[i], h = group[j];
      double d = 0.0;
      if (g != h) {
        if (n1[g][h] == 0.0) {
          d = tDistancesBlk::UNKNOWN;
          if (!warned)
            warning("Bad data: Some groups (e.g. %d and %d) have infinite distance", g, h);
          warned = true;
        } else {
          const double changes = x * n2[g][h] + n3[g][h] + n4[g][h];
          d = per_site ? changes / n : changes / (2 * n1[g][h]);
        }
      }
      distances->set_matrix(i, j, d);
    }
  return 1;
}
