#include "splits/splits_p_tree.h"

#include <climits>

#include "blocks/blk_characters.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "core/sets.h"
#include "splits/compute_splits.h"
#include "splits/splits_p.h"
#include "splits/splits_sys.h"

int p_score_tree(int gapmissingmode, int a1, int a2, int b1, int b2, const tCharactersBlk* characters)
{
  const tGroupings n = p_groupings(gapmissingmode, a1, a2, b1, b2, characters);
  const int m = imax(n.a1b1_a2b2, n.a1b2_a2b1);
  return n.a1a2_b1b2 > m ? n.a1a2_b1b2 - m : 0;
}

int p_index_tree(int gapmissingmode, int t, const tSet* A, const tCharactersBlk* characters)
{
  return p_index_with(p_score_tree, "p_index_tree", gapmissingmode, t, A, characters);
}

int tSplitsSystem::parsimony_splits_tree(tAssumptionsBlk* assumptions, tCharactersBlk* characters)
{
  const tSiteRows sites = tSiteRows::from_characters(determine_gapmissingmode(assumptions), characters);
  parsimony_incremental(this, sites, tParsimonyRule::tree);
  return 1;
}
