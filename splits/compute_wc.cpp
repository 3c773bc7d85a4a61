#include "splits/compute_wc.h"

#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "core/message.h"

namespace {

// Index of a set that no triple constrains: the empty set, all taxa.
constexpr double NO_TRIPLE = 1e8;

} // namespace

double compute_index(int a, int b, const tSet* A, const tDistanceMatrix& d)
{
  const int top = A->max_size();
  double min = NO_TRIPLE;
  for (int a1 = a ? a : A->first_element(0); a1; a1 = a ? 0 : A->next_element(0, a1))
    for (int a2 = A->first_element(0); a2; a2 = A->next_element(0, a2))
      for (int b1 = b ? b : A->first_element(1); b1 && b1 <= top; b1 = b ? 0 : A->next_element(1, b1)) {
        const double q = FMAX(d[a1][b1], d[a2][b1]) - d[a1][a2];
        // Unknown (infinite) distances leave the margin undefined: no
        // evidence for the cluster.
        if (q != q)
          return 0.0;
        if (q < min) {
          if (q <= 0)
            return 0.0;
          min = q;
        }
      }
  return min;
}

void weak_clusters(int n, const tDistanceMatrix& d, tSplitsSystem* system)
{
  system->clear();
  system->set_ntax(n);
  std::vector<tSet> clusters(2, tSet(1));
  clusters[1].insert(1);
  for (int t = 2; t <= n; t++) {
    std::vector<tSet> next;
    for (const tSet& c : clusters) {
      tSet without(t);
      for (int x = c.first_element(0); x; x = c.next_element(0, x))
        without.insert(x);
      tSet with = without;
      with.insert(t);
      if (compute_index(0, t, &without, d) != 0.0)
        next.push_back(without);
      if (compute_index(t, 0, &with, d) != 0.0)
        next.push_back(with);
    }
    clusters.swap(next);
  }
  for (const tSet& c : clusters) {
    if (c.split_size() < 1)
      continue;
    const double w = compute_index(0, 0, &c, d);
    int same = 0;
    for (int s = 1; s <= system->get_n() && !same; s++)
      if (system->get_split(s)->split_equal(&c))
        same = s;
    if (same)
      system->set_weight(same, FMIN(system->get_weight(same), w));
    else
      system->append_split(&c, w);
  }
}

int tSplitsSystem::compute_wc(tTaxaBlk* taxa, tAssumptionsBlk*, tDistancesBlk* distances)
{
  const int n = taxa->get_ntax();
  clear();
  set_ntax(n);
  if (n < 2) {
    warning("Too few taxa");
    return 0;
  }
  if (distances->get_ntax() != n) {
    message(" the distances are over %d taxa, not the %d active ones\n", distances->get_ntax(), n);
    return 0;
  }
  tDistanceMatrix d(static_cast<size_t>(n) + 1, std::vector<double>(static_cast<size_t>(n) + 1, 0.0));
  for (int i = 1; i <= n; i++)
    for (int j = 1; j <= n; j++)
      d[i][j] = distances->get_matrix(i, j);
  weak_clusters(n, d, this);
  return 1;
}
