#include "distances/usermatrix.h"

#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "distances/compute_freq.h"

namespace {

double entry(const tAssumptionsBlk* assumptions, int a, int b)
{
  const auto& table = assumptions->usermatrix;
  if (a < 1 || b < 1 || a > assumptions->n_colors || b > assumptions->n_colors)
    return 0.0;
  if (static_cast<size_t>(a) >= table.size() || static_cast<size_t>(b) >= table[a].size())
    return 0.0;
  return table[a][b];
}

} // namespace

int computeUsermatrix(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                      tDistancesBlk* distances)
{
  for (int c = 0; c < 256; c++)
    assumptions->colors2symbols[c] = static_cast<char>(characters->colors2symbols[c]);
  const std::vector<int> sites = active_sites(characters);
  const int missing = characters->missing;
  const int gap = same_token(assumptions->gapmode.c_str(), "MISSING") ? characters->gap : 0;
  const int ntax = taxa->get_ntax();
  for (int i = 1; i <= ntax; i++) {
    const unsigned char* x = characters->get_row(i);
    for (int j = i + 1; j <= ntax; j++) {
      const unsigned char* y = characters->get_row(j);
      double d = 0.0;
      for (int c : sites) {
        if (x[c] == missing || y[c] == missing)
          continue;
        if (gap && (x[c] == gap || y[c] == gap))
          continue;
        d += entry(assumptions, characters->symbols2colors[y[c]], characters->symbols2colors[x[c]]);
      }
      distances->set_matrix(j, i, d);
    }
  }
  return 1;
}
