#include "splits/compute_splits.h"

#include <memory>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "core/sets.h"
#include "splits/quartets.h"
#include "splits/splits_decomp.h"
#include "splits/splits_p.h"
#include "splits/splits_sys.h"

thread_local int the_index = 0;
thread_local int gapmissingmode = 0;

int determine_index(const tAssumptionsBlk* assumptions)
{
  static const char* const methods[] = {"DSPLITS", "DTREE", "PSPLITS", "PTREE", "LSPLITS", "LTREE"};
  for (int i = 0; i < 6; i++)
    if (same_token(assumptions->method.c_str(), methods[i]))
      return i + 1;
  return 0;
}

int determine_gapmissingmode(const tAssumptionsBlk* assumptions)
{
  return same_token(assumptions->gapmode.c_str(), "MISSING") ? 1 : 0;
}

double quartet_dsplits_index(int a, int b, int c, int d, const tDistancesBlk* distances)
{
  const double bc_ad = distances->get_matrix(b, c) + distances->get_matrix(a, d);
  const double bd_ac = distances->get_matrix(b, d) + distances->get_matrix(a, c);
  return FMAX(bc_ad, bd_ac) - (distances->get_matrix(a, b) + distances->get_matrix(c, d));
}

double quartet_dtree_index(int a, int b, int c, int d, const tDistancesBlk* distances)
{
  const double bc_ad = distances->get_matrix(b, c) + distances->get_matrix(a, d);
  const double bd_ac = distances->get_matrix(b, d) + distances->get_matrix(a, c);
  return FMIN(bc_ad, bd_ac) - (distances->get_matrix(a, b) + distances->get_matrix(c, d));
}

namespace {

// Bit sets of the sites of the characters of the refined run in progress
// (null outside one): a quartet then costs a few word operations instead of
// a pass over the sites.
thread_local const tParsimonyScan* site_scan = nullptr;

tGroupings site_groupings(int a1, int a2, int b1, int b2, const tCharactersBlk* characters)
{
  return site_scan ? site_scan->groupings(a1, a2, b1, b2) : p_groupings(gapmissingmode, a1, a2, b1, b2, characters);
}

double excess(int own, int other)
{
  return own > other ? 2.0 * (own - other) : 0.0;
}

} // namespace

double quartet_psplits_index(int a1, int a2, int b1, int b2, const tCharactersBlk* characters)
{
  const tGroupings n = site_groupings(a1, a2, b1, b2, characters);
  return excess(n.a1a2_b1b2, imin(n.a1b1_a2b2, n.a1b2_a2b1));
}

double quartet_ptree_index(int a1, int a2, int b1, int b2, const tCharactersBlk* characters)
{
  const tGroupings n = site_groupings(a1, a2, b1, b2, characters);
  return excess(n.a1a2_b1b2, imax(n.a1b1_a2b2, n.a1b2_a2b1));
}

int compute_index(int t, const tSet* A, const tQuartets& old_quarts, tQuartets& new_quarts, int count,
                  const tAssumptionsBlk* assumptions, const tCharactersBlk* characters,
                  const tDistancesBlk* distances)
{
  int size_A = 0;
  for (int x = 1; x <= t; x++)
    size_A += A->is_element(x);
  const bool A_single = size_A == 1;
  const bool B_single = size_A == t - 1;
  // A pair {x, t} grown from the singleton {x}: the singleton's degenerate
  // quartets x,x|c,d are no quartets of the pair.
  if (size_A == 2 && size_A < t - 1)
    new_quarts.reset();
  else
    new_quarts.copy(old_quarts);
  if (new_quarts.get_len() == count && new_quarts.sum(count) <= 0.0) {
    warning("new_quarts size: %d sum: %G\n", new_quarts.get_len(), new_quarts.sum(count));
    warning("old_quarts size: %d sum: %G\n", old_quarts.get_len(), old_quarts.sum(count));
  }
  if (!A->is_element(t))
    error("compute_index(): t=%d not in A", t);

  tQuart q;
  q.a = t;
  for (int b = 1; b <= t; b++) {
    if (!A->is_element(b) || (b == t && !A_single))
      continue;
    for (int c = 1; c < t; c++) {
      if (A->is_element(c))
        continue;
      for (int d = c; d < t; d++) {
        if (A->is_element(d) || (d == c && !B_single))
          continue;
        double value = 0.0;
        switch (the_index) {
        case 1: value = quartet_dsplits_index(t, b, c, d, distances); break;
        case 2: value = quartet_dtree_index(t, b, c, d, distances); break;
        case 3: value = quartet_psplits_index(t, b, c, d, characters); break;
        case 4: value = quartet_ptree_index(t, b, c, d, characters); break;
        // The likelihood methods have no quartet index.
        default: error("Bad case in switch: %d", the_index);
        }
        if (value < assumptions->refine_cut)
          return 0;
        q.b = b;
        q.c = c;
        q.d = d;
        q.value = value;
        new_quarts.add(q);
      }
    }
  }
  if (new_quarts.get_len() < count)
    return 1;
  return new_quarts.sum(count) > 0.0 ? 1 : 0;
}

namespace {

struct tCandidate {
  tSet side;  // holds the newest taxon; not in normal form
  tQuartets quarts;
};

} // namespace

int tSplitsSystem::compute_splits(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                                  tDistancesBlk* distances)
{
  clear();
  const int n = taxa->get_ntax();
  ntax = n;
  // N = 0 asks for ntax - 3 quartets per split; below four taxa that would
  // be none, and the weights divide by N, so at least one is kept.
  const int most = imax(1, n - 3);
  if (assumptions->refine_count < 0) {
    warning("REFINE N=%d changed to 1", assumptions->refine_count);
    assumptions->refine_count = 1;
  } else if (assumptions->refine_count > most) {
    warning("REFINE N=%d changed to %d", assumptions->refine_count, most);
    assumptions->refine_count = most;
  }
  const int N = assumptions->refine_count == 0 ? most : assumptions->refine_count;
  the_index = determine_index(assumptions);
  gapmissingmode = determine_gapmissingmode(assumptions);
  std::unique_ptr<tParsimonyScan> scan;
  if (the_index == 3 || the_index == 4) {
    scan = std::make_unique<tParsimonyScan>(tSiteRows::from_characters(gapmissingmode, characters),
                                            tParsimonyRule::splits);
    site_scan = scan.get();
  }
  struct tForget {
    ~tForget() { site_scan = nullptr; }
  } forget;

  std::vector<tCandidate> former, current;
  for (int t = 2; t <= n; t++) {
    former.swap(current);
    current.clear();
    tQuartets Q(N);
    tSet A(t);
    A.insert(t);
    tcltk_update();
    if (compute_index(t, &A, Q, Q, N, assumptions, characters, distances))
      current.push_back({A, Q});
    for (const tCandidate& f : former) {
      for (int other_side = 0; other_side <= 1; other_side++) {
        A.make_emptyset();
        for (int x = 1; x < t; x++)
          if (f.side.is_element(x) != (other_side == 1))
            A.insert(x);
        A.insert(t);
        tcltk_update();
        if (compute_index(t, &A, f.quarts, Q, N, assumptions, characters, distances))
          current.push_back({A, Q});
      }
    }
  }
  for (const tCandidate& c : current) {
    const double w = c.quarts.sum(N) / (2.0 * N);
    if (w > SPLIT_WEIGHT_BOUND)
      append_split(&c.side, w);
  }
  return 1;
}
