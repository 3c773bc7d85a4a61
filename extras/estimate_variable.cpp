#include "extras/estimate_variable.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/auxilary.h"
#include "core/message.h"
#include "core/random.h"
#include "extras/site_data.h"

namespace {

// The running sums over the quartets, and the p-distances they read.
class tQuartetSums {
public:
  explicit tQuartetSums(const tSiteData& s) : sites(s), a(s.nsites()), t(s.ntax)
  {
    D.assign(static_cast<size_t>(t) + 1, std::vector<double>(static_cast<size_t>(t) + 1, 0.0));
    for (int i = 1; i <= t; i++)
      for (int j = i + 1; j <= t; j++) {
        const unsigned char* x = sites.rows[static_cast<size_t>(i)].data();
        const unsigned char* y = sites.rows[static_cast<size_t>(j)].data();
        int differ = 0;
        for (int k = 0; k < a; k++)
          differ += x[k] != y[k];
        D[static_cast<size_t>(i)][static_cast<size_t>(j)] = D[static_cast<size_t>(j)][static_cast<size_t>(i)] =
          static_cast<double>(differ) / a;
      }
  }

  void add(int qa, int qb, int qc, int qd)
  {
    // Many quartets take long: the interface stays alive meanwhile.
    tcltk_update();
    const unsigned char* sa = sites.rows[static_cast<size_t>(qa)].data();
    const unsigned char* sb = sites.rows[static_cast<size_t>(qb)].data();
    const unsigned char* sc = sites.rows[static_cast<size_t>(qc)].data();
    const unsigned char* sd_ = sites.rows[static_cast<size_t>(qd)].data();
    int n0 = 0, n1 = 0, n2 = 0, n3 = 0;
    // Without branches, so that the loop over the sites vectorises.
    for (int k = 0; k < a; k++) {
      const unsigned char A = sa[k], B = sb[k], C = sc[k], E = sd_[k];
      n0 += (A == B) & (A == C) & (A == E);
      n1 += (A != B) & (C != E);
      n2 += (A != C) & (B != E);
      n3 += (A != E) & (B != C);
    }
    const double f0 = static_cast<double>(n0) / a;
    const double f1 = static_cast<double>(n1) / a;
    const double f2 = static_cast<double>(n2) / a;
    const double f3 = static_cast<double>(n3) / a;
    const double y1 = n1 == 0 ? VARIABLE_NO_DATA : dist(qa, qb) * dist(qc, qd) / f1;
    const double y2 = n2 == 0 ? VARIABLE_NO_DATA : dist(qa, qc) * dist(qb, qd) / f2;
    const double y3 = n3 == 0 ? VARIABLE_NO_DATA : dist(qa, qd) * dist(qb, qc) / f3;
    const double e = FMIN(FMAX(1.0 - f0, FMAX(y1, FMAX(y2, y3))), 1.0);
    min = FMIN(min, e);
    sum += e;
    sumsq += e * e;
    count++;
  }

  tVariableEstimate result() const
  {
    tVariableEstimate r;
    r.sites = a;
    r.quartets = count;
    if (count == 0)
      return r;
    r.min = min;
    r.mean = sum / count;
    // Rounding may leave the variance a hair below zero.
    r.sd = std::sqrt(FMAX(sumsq / count - r.mean * r.mean, 0.0));
    return r;
  }

  // Without sites no fraction exists: nothing can be evaluated.
  bool usable() const { return a > 0 && t >= 4; }
  int ntax() const { return t; }

private:
  const tSiteData& sites;
  int a;
  int t;
  std::vector<std::vector<double>> D;
  double min = 1.0, sum = 0.0, sumsq = 0.0;
  int count = 0;

  double dist(int i, int j) const { return D[static_cast<size_t>(i)][static_cast<size_t>(j)]; }
};

// A taxon number in 1..t from one draw: equal ranges of the generator's values.
int draw_taxon(int t) { return 1 + static_cast<int>(static_cast<long long>(ref_rand()) * t / (REF_RAND_MAX + 1LL)); }

} // namespace

tVariableEstimate estimate_variable(const tSiteData& sites)
{
  tQuartetSums sums(sites);
  if (!sums.usable())
    return sums.result();
  const int t = sums.ntax();
  for (int a = 1; a <= t; a++)
    for (int b = a + 1; b <= t; b++)
      for (int c = a + 1; c <= t; c++)
        for (int d = c + 1; d <= t; d++)
          if (b != c && b != d)
            sums.add(a, b, c, d);
  return sums.result();
}

tVariableEstimate estimate_variable_rand(const tSiteData& sites, int n)
{
  tQuartetSums sums(sites);
  if (n < 1 || !sums.usable())
    return sums.result();
  const int t = sums.ntax();
  ref_srand(VARIABLE_SEED);
  for (int i = 0; i < n; i++) {
    int q[4];
    do {
      for (int& x : q)
        x = draw_taxon(t);
    } while (!(q[0] < q[1] && q[1] < q[2] && q[2] < q[3]));
    sums.add(q[0], q[1], q[2], q[3]);
  }
  return sums.result();
}

void estimate_variable(double& min, double& mean, double& sd, const tTaxaBlk* taxa, const tCharactersBlk* characters)
{
  (void)taxa;
  const tVariableEstimate r = estimate_variable(site_data(characters));
  min = r.min;
  mean = r.mean;
  sd = r.sd;
  message("\n[Variable: min=%G (%d sites) mean=%G (%d sites) sd=%G, %d quartets]\n", r.min,
          static_cast<int>(std::floor(r.sites * r.min + 0.5)), r.mean,
          static_cast<int>(std::floor(r.sites * r.mean + 0.5)), r.sd, r.quartets);
}

void estimate_variable_rand(double& min, double& mean, double& sd, const tTaxaBlk* taxa,
                            const tCharactersBlk* characters, int n)
{
  (void)taxa;
  const tVariableEstimate r = estimate_variable_rand(site_data(characters), n);
  if (r.quartets == 0 && n < 1)
    return;
  min = r.min;
  mean = r.mean;
  sd = r.sd;
  message("\n[Variable:mean=%G (%d sites) sd=%G, evaluated %d random quartets]\n", r.mean,
          static_cast<int>(std::floor(r.sites * r.mean + 0.5)), r.sd, r.quartets);
}
