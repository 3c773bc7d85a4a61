#include "splits/compute_splits.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "core/parallel.h"
#include "core/progress.h"
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
// The distances of the run in progress as plain rows (null outside one):
// the same values, without a range check for each of them.
thread_local const tFlatDistances* flat_distances = nullptr;

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

namespace {

// A full list whose values sum to nothing: the candidate it came with should
// have gone already, which compute_index reports.
bool spent(const tQuartets& q, int count) { return q.get_len() == count && q.sum(count) <= 0.0; }

} // namespace

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
  if (spent(new_quarts, count)) {
    warning("new_quarts size: %d sum: %G\n", new_quarts.get_len(), new_quarts.sum(count));
    warning("old_quarts size: %d sum: %G\n", old_quarts.get_len(), old_quarts.sum(count));
  }
  if (!A->is_element(t))
    error("compute_index(): t=%d not in A", t);

  const double cut = assumptions->refine_cut;
  // Each index as one loop, so that the choice is not made per quartet.
  std::vector<int> in_a, in_b;
  for (int x = 1; x <= t; x++) {
    if (!A->is_element(x))
      in_b.push_back(x);
    else if (x < t || A_single)
      in_a.push_back(x);
  }
  auto each_quartet = [&](auto value_of) {
    tQuart q;
    q.a = t;
    for (int b : in_a) {
      for (size_t i = 0; i < in_b.size(); i++) {
        const int c = in_b[i];
        for (size_t k = B_single ? i : i + 1; k < in_b.size(); k++) {
          const int d = in_b[k];
          const double value = value_of(b, c, d);
          if (value < cut)
            return false;
          if (!new_quarts.keeps(value))
            continue;
          q.b = b;
          q.c = c;
          q.d = d;
          q.value = value;
          new_quarts.add(q);
        }
      }
    }
    return true;
  };
  const tFlatDistances* flat = flat_distances;
  bool kept = true;
  switch (the_index) {
  case 1:
  case 2:
    if (flat) {
      // The terms of quartet_dsplits_index and quartet_dtree_index, read from
      // the same (row, column) entries in the same order.
      const double* ra = flat->row(t);
      const bool tree = the_index == 2;
      kept = each_quartet([&](int b, int c, int d) {
        const double* rb = flat->row(b);
        const double bc_ad = rb[c] + ra[d];
        const double bd_ac = rb[d] + ra[c];
        return (tree ? FMIN(bc_ad, bd_ac) : FMAX(bc_ad, bd_ac)) - (ra[b] + flat->row(c)[d]);
      });
    } else if (the_index == 1) {
      kept = each_quartet([&](int b, int c, int d) { return quartet_dsplits_index(t, b, c, d, distances); });
    } else {
      kept = each_quartet([&](int b, int c, int d) { return quartet_dtree_index(t, b, c, d, distances); });
    }
    break;
  case 3: kept = each_quartet([&](int b, int c, int d) { return quartet_psplits_index(t, b, c, d, characters); }); break;
  case 4: kept = each_quartet([&](int b, int c, int d) { return quartet_ptree_index(t, b, c, d, characters); }); break;
  // The likelihood methods have no quartet index.
  default:
    kept = each_quartet([&](int, int, int) {
      error("Bad case in switch: %d", the_index);
      return 0.0;
    });
  }
  if (!kept)
    return 0;
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
  std::unique_ptr<tFlatDistances> flat;
  if ((the_index == 1 || the_index == 2) && distances && distances->get_ntax() >= n) {
    flat = std::make_unique<tFlatDistances>(distances, n);
    flat_distances = flat.get();
  }
  struct tForget {
    ~tForget()
    {
      site_scan = nullptr;
      flat_distances = nullptr;
    }
  } forget;

  // The candidates of a level are independent: they are decided on every
  // lane and kept in their order. Helpers see the run's settings through
  // their own copies of the thread's module values.
  tWorkCrew crew(the_index >= 1 && the_index <= 4 ? std::min(computation_threads(), n) : 1);
  const int index = the_index, gaps = gapmissingmode;
  const tParsimonyScan* sites = site_scan;
  const tFlatDistances* rows = flat_distances;
  std::vector<tCandidate> former, current, level;
  std::vector<char> stays;
  for (int t = 2; t <= n; t++) {
    progress("Refined splits", t - 1, n - 1);
    former.swap(current);
    current.clear();
    // Candidate 0 is {t}; 2f+1 and 2f+2 extend split f by t on its side and
    // on the other.
    const size_t count = 1 + 2 * former.size();
    level.assign(count, tCandidate{tSet(), tQuartets(N)});
    stays.assign(count, 0);
    auto decide = [&](size_t k, int lane) {
      if (lane > 0) {
        the_index = index;
        gapmissingmode = gaps;
        site_scan = sites;
        flat_distances = rows;
      }
      tSet& A = level[k].side;
      A.resize(t);
      const tQuartets* from = nullptr;
      if (k > 0) {
        const tCandidate& f = former[(k - 1) / 2];
        const bool other_side = k % 2 == 0;
        for (int x = 1; x < t; x++)
          if (f.side.is_element(x) != other_side)
            A.insert(x);
        from = &f.quarts;
      }
      A.insert(t);
      tQuartets& Q = level[k].quarts;
      stays[k] = static_cast<char>(compute_index(t, &A, from ? *from : Q, Q, N, assumptions, characters, distances));
    };
    // Its report would be lost on a helper: such a level stays on this thread.
    bool reports = false;
    for (const tCandidate& f : former)
      reports |= spent(f.quarts, N);
    if (crew.lanes() > 1 && !reports && count * static_cast<size_t>(t) >= 1024)
      crew.run(count, 4, decide, tcltk_update);
    else
      for (size_t k = 0; k < count; k++) {
        tcltk_update();
        decide(k, 0);
      }
    for (size_t k = 0; k < count; k++)
      if (stays[k])
        current.push_back(std::move(level[k]));
  }
  for (const tCandidate& c : current) {
    const double w = c.quarts.sum(N) / (2.0 * N);
    if (w > SPLIT_WEIGHT_BOUND)
      append_split(&c.side, w);
  }
  return 1;
}
