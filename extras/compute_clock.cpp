#include "extras/compute_clock.h"

#include <cmath>
#include <vector>

#include "extras/patterns.h"
#include "extras/site_data.h"

void compute_test_clock(tClock* clock, const tSiteData& sites)
{
  const int t[3] = {clock->t1, clock->t2, clock->t3};
  for (int x : t)
    if (x < 1 || x > sites.ntax) {
      // Requests are checked when read; a stale one measures nothing.
      clock->d = clock->sd = 0.0;
      clock->n = 0;
      return;
    }
  tPatterns patterns(3, sites.ncolors);
  std::vector<int> column(4, 0);
  int n = 0;
  for (int k = 0; k < sites.nsites(); k++) {
    for (int i = 0; i < 3; i++)
      column[static_cast<size_t>(i + 1)] = sites.state(t[i], k);
    if (column[1] == 0 || column[2] == 0 || column[3] == 0)
      continue;
    n++;
    patterns.insert(column);
  }
  clock->n = n;
  if (n == 0) {
    clock->d = clock->sd = 0.0;
    return;
  }
  long long c12 = 0, c13 = 0, c23 = 0, c123 = 0;
  patterns.for_each([&](const std::vector<int>& s, int c) {
    if (s[1] != s[2])
      c12 += c;
    if (s[1] != s[3])
      c13 += c;
    if (s[2] != s[3])
      c23 += c;
    if (s[1] != s[2] && s[1] != s[3] && s[2] != s[3])
      c123 += c;
  });
  const double p12 = static_cast<double>(c12) / n;
  const double p13 = static_cast<double>(c13) / n;
  const double p23 = static_cast<double>(c23) / n;
  const double p123 = static_cast<double>(c123) / n;
  clock->d = p13 - p23;
  clock->sd = n < 2 ? CLOCK_NO_SD : std::sqrt(std::fabs(p12 - clock->d * clock->d - p123) / (n - 1));
}

void compute_test_clock(tClock* clock, const tTaxaBlk* taxa, const tCharactersBlk* characters)
{
  (void)taxa;
  compute_test_clock(clock, site_data(characters));
}
