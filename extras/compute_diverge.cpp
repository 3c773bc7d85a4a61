#include "extras/compute_diverge.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "extras/patterns.h"
#include "extras/site_data.h"

void compute_diverge(tDiverge* diverge, const tSiteData& sites)
{
  // U = A u B in increasing taxon order; `in_a` says which side each is on.
  std::vector<int> taxa;
  std::vector<bool> in_a;
  for (int t = 1; t <= sites.ntax; t++) {
    if (diverge->A.is_element(t) || diverge->B.is_element(t)) {
      taxa.push_back(t);
      in_a.push_back(diverge->A.is_element(t));
    }
  }
  const int m = static_cast<int>(taxa.size());
  tPatterns patterns(m, sites.ncolors);
  std::vector<int> column(static_cast<size_t>(m) + 1, 0);
  int n = 0;
  for (int k = 0; k < sites.nsites(); k++) {
    bool proper = true;
    for (int i = 0; i < m && proper; i++) {
      column[static_cast<size_t>(i + 1)] = sites.state(taxa[static_cast<size_t>(i)], k);
      proper = column[static_cast<size_t>(i + 1)] != 0;
    }
    if (!proper)
      continue;
    n++;
    patterns.insert(column);
  }

  long long na = 0, nb = 0;
  for (int i = 0; i < m; i++)
    (in_a[static_cast<size_t>(i)] ? na : nb)++;
  const double P = static_cast<double>(na * nb);
  // Pairs that differ: all pairs less those that agree, state by state.
  double S = 0.0, Q = 0.0;
  std::vector<long long> count_a(static_cast<size_t>(sites.ncolors) + 1), count_b(count_a.size());
  patterns.for_each([&](const std::vector<int>& col, int c) {
    std::fill(count_a.begin(), count_a.end(), 0);
    std::fill(count_b.begin(), count_b.end(), 0);
    for (int i = 0; i < m; i++)
      (in_a[static_cast<size_t>(i)] ? count_a : count_b)[static_cast<size_t>(col[static_cast<size_t>(i + 1)])]++;
    long long agree = 0;
    for (size_t x = 1; x < count_a.size(); x++)
      agree += count_a[x] * count_b[x];
    const double k = static_cast<double>(na * nb - agree);
    S += k * c;
    Q += k * k * c;
  });

  const double nP = n * P;
  diverge->n = n;
  diverge->d = nP == 0.0 ? DIVERGE_NO_DATA : S / nP;
  // Without a pair of taxa there is no spread to measure either.
  if (n < 2 || P == 0.0)
    diverge->sd = DIVERGE_NO_SD;
  else
    diverge->sd = std::sqrt(std::fabs(Q / (P * P * n) - diverge->d * diverge->d) / (n - 1));
}

void compute_diverge(tDiverge* diverge, const tTaxaBlk* taxa, const tCharactersBlk* characters)
{
  (void)taxa;
  compute_diverge(diverge, site_data(characters));
}
