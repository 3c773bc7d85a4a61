#include "distances/gapdist.h"

#include <vector>

#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "distances/compute_freq.h"

int computeGapdist(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                   tDistancesBlk* distances)
{
  (void)assumptions;
  const std::vector<int> sites = active_sites(characters);
  const int g = characters->gap ? characters->gap : characters->missing;
  const int ntax = taxa->get_ntax();
  for (int i = 1; i <= ntax; i++) {
    const unsigned char* x = characters->get_row(i);
    for (int j = i + 1; j <= ntax; j++) {
      const unsigned char* y = characters->get_row(j);
      int agree = 0;
      for (int c : sites)
        if ((x[c] == g) == (y[c] == g))
          agree++;
      const double d = sites.empty() ? 1.0 : 1.0 - static_cast<double>(agree) / sites.size();
      distances->set_matrix(j, i, d);
    }
  }
  return 1;
}
