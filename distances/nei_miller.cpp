#include "distances/nei_miller.h"

#include <cmath>
#include <vector>

#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/message.h"
#include "distances/compute_freq.h"

namespace {

// What the method substitutes where a denominator is zero.
constexpr double ZERO_SHARE = 100000.0;
constexpr double ZERO_WEIGHT = 100000.0;
constexpr double NO_SITES = 1.0;

} // namespace

double nei_miller_distance(int K, const double* w, const int* mii, const int* mjj, const int* mij,
                           tNeiMillerZeros* zeros)
{
  double num = 0.0, den = 0.0;
  for (int k = 1; k <= K; k++) {
    double S;  // (2)
    if (mii[k] + mjj[k] == 0) {
      S = ZERO_SHARE;
      zeros->eq2 = true;
    } else {
      S = 2.0 * mij[k] / (mii[k] + mjj[k]);
    }
    double d;  // (3)
    if (w[k] == 0.0) {
      d = ZERO_WEIGHT;
      zeros->eq3 = true;
    } else {
      d = -std::log(S) / w[k];
    }
    // A class without sites in either taxon has mbar = 0 and adds nothing.
    const double mbar = 0.5 * (mii[k] + mjj[k]);
    num += w[k] * mbar * d;
    den += w[k] * mbar;
  }
  if (den == 0.0) {  // (4)
    zeros->eq4 = true;
    return NO_SITES;
  }
  const double D = num / den;
  // No shared site in a class (S = 0) leaves the distance unknown, as is
  // anything else that is no number; never -infinity or NaN.
  if (std::isnan(D) || D == -HUGE_VAL)
    return tDistancesBlk::UNKNOWN;
  return D + 0.0;
}

int computeNeiMiller(tTaxaBlk* taxa, tAssumptionsBlk* assumptions, tCharactersBlk* characters,
                     tDistancesBlk* distances)
{
  (void)assumptions;
  if (!characters->has_charweights()) {
    warning("Can't compute NeiMiller distances, no charweights given");
    return 0;
  }
  // Classes of equal weight, in the order their first sites come.
  std::vector<double> w{0.0};
  std::vector<int> count{0};
  std::vector<int> sites = active_sites(characters), class_of;
  for (int c : sites) {
    const double x = characters->get_charweight(c);
    size_t k = 1;
    while (k < w.size() && w[k] != x)
      k++;
    if (k == w.size()) {
      w.push_back(x);
      count.push_back(0);
    }
    class_of.push_back(static_cast<int>(k));
    count[k]++;
  }
  const int K = static_cast<int>(w.size()) - 1;

  // Present sites as one bit plane per taxon and class.
  const int ntax = taxa->get_ntax();
  std::vector<size_t> start(static_cast<size_t>(K) + 2, 0);
  for (int k = 1; k <= K; k++)
    start[k + 1] = start[k] + (static_cast<size_t>(count[k]) + 63) / 64;
  const size_t words = start[K + 1];
  std::vector<unsigned long long> planes(static_cast<size_t>(ntax + 1) * words, 0);
  std::vector<int> own(static_cast<size_t>(ntax + 1) * (K + 1), 0);
  for (int t = 1; t <= ntax; t++) {
    const unsigned char* row = characters->get_row(t);
    unsigned long long* plane = planes.data() + static_cast<size_t>(t) * words;
    std::vector<int> filled(static_cast<size_t>(K) + 1, 0);
    for (size_t s = 0; s < sites.size(); s++) {
      const int k = class_of[s];
      const int bit = filled[k]++;
      if (row[sites[s]] == '1') {
        plane[start[k] + bit / 64] |= 1ULL << (bit % 64);
        own[static_cast<size_t>(t) * (K + 1) + k]++;
      }
    }
  }

  tNeiMillerZeros zeros;
  std::vector<int> mij(static_cast<size_t>(K) + 1, 0);
  for (int i = 1; i <= ntax; i++)
    for (int j = i + 1; j <= ntax; j++) {
      const unsigned long long* x = planes.data() + static_cast<size_t>(i) * words;
      const unsigned long long* y = planes.data() + static_cast<size_t>(j) * words;
      for (int k = 1; k <= K; k++)
        mij[k] = static_cast<int>(count_common_bits(x + start[k], y + start[k], start[k + 1] - start[k]));
      distances->set_matrix(j, i,
                            nei_miller_distance(K, w.data(), &own[static_cast<size_t>(i) * (K + 1)],
                                                &own[static_cast<size_t>(j) * (K + 1)], mij.data(), &zeros));
    }
  // The method works each equation over all pairs before the next one, so
  // its warnings come in the equations' order.
  if (zeros.eq2)
    warning("nei_miller: denominator zero in equation (2)");
  if (zeros.eq3)
    warning("nei_miller: denominator zero in equation (3)");
  if (zeros.eq4)
    warning("nei_miller: denominator zero in equation (4)");
  return 1;
}
