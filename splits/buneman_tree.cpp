#include "splits/buneman_tree.h"

#include <cmath>
#include <vector>

#include "blocks/blk_distances.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "core/sets.h"
#include "splits/splits_decomp.h"
#include "splits/splits_sys.h"

double quartet_index(int a, int b, int c, int d, const tDistancesBlk* distances)
{
  const double ac_bd = distances->get_matrix(b, c) + distances->get_matrix(a, d);
  const double ad_bc = distances->get_matrix(b, d) + distances->get_matrix(a, c);
  return 0.5 * (FMIN(ac_bd, ad_bc) - distances->get_matrix(a, b) - distances->get_matrix(c, d));
}

double buneman_index(int t, const tSet* A, const tTaxaBlk* taxa, const tDistancesBlk* distances)
{
  (void)taxa;
  if (!A->is_element(t))
    error("buneman_index(): a1=%d not in A", t);
  tQuartetScan scan(distances, t);
  std::vector<unsigned char> inA(static_cast<size_t>(t) + 1);
  for (int x = 1; x <= t; x++)
    inA[x] = A->is_element(x);
  return scan.buneman(t, inA.data(), -HUGE_VAL);
}

int tSplitsSystem::buneman_tree(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tDistancesBlk* distances)
{
  (void)taxa;
  (void)assumptions;
  incremental_splits(this, distances, tSplitIndex::buneman);
  return 1;
}
