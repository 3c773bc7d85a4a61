#include "distances/hamming.h"

#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "distances/compute_freq.h"

namespace {

double hamming(const unsigned char* x, const unsigned char* y, const std::vector<int>& sites, int missing,
               int gap)
{
  int compared = 0, same = 0;
  for (int c : sites) {
    if (x[c] == missing || y[c] == missing)
      continue;
    if (gap && (x[c] == gap || y[c] == gap))
      continue;
    compared++;
    if (x[c] == y[c])
      same++;
  }
  if (compared == 0 || same == 0)
    return 1.0;
  return 1.0 - static_cast<double>(same) / compared;
}

} // namespace

int computeHamming(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                   tDistancesBlk* distances)
{
  const std::vector<int> sites = active_sites(characters);
  // In any other gap mode the gap symbol is compared like a state.
  const int gap = same_token(assumptions->gapmode.c_str(), "MISSING") ? characters->gap : 0;
  const int ntax = taxa->get_ntax();
  for (int i = 1; i <= ntax; i++)
    for (int j = i + 1; j <= ntax; j++)
      distances->set_matrix(j, i, hamming(characters->get_row(i), characters->get_row(j), sites,
                                          characters->missing, gap));
  return 1;
}
