// The side analyses on small alignments worked out by hand, and the
// variable-sites estimate against its definition quartet by quartet.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/random.h"
#include "extras/compute_clock.h"
#include "extras/compute_diverge.h"
#include "extras/compute_support.h"
#include "extras/estimate_variable.h"
#include "extras/site_data.h"

namespace {

// DNA rows, every site active; '-' is the gap, '?' no state.
tSiteData make_sites(const std::vector<std::string>& rows)
{
  tSiteData s;
  s.ntax = static_cast<int>(rows.size());
  s.ncolors = 4;
  s.gap = '-';
  const std::string states = "ACGT";
  for (size_t i = 0; i < states.size(); i++)
    s.colors[static_cast<unsigned char>(states[i])] = static_cast<unsigned char>(i + 1);
  for (size_t k = 0; k < rows[0].size(); k++)
    s.positions.push_back(static_cast<int>(k) + 1);
  s.rows.resize(rows.size() + 1);
  for (size_t t = 0; t < rows.size(); t++)
    s.rows[t + 1].assign(rows[t].begin(), rows[t].end());
  return s;
}

tSet set_of(int top, const std::vector<int>& members)
{
  tSet s(top);
  for (int x : members)
    s.insert(x);
  return s;
}

std::vector<int> members(const tSet& s)
{
  std::vector<int> v;
  for (int x = 1; x <= s.max_size(); x++)
    if (s.is_element(x))
      v.push_back(x);
  return v;
}

// Site 5 has a gap in taxon 1; taxon 5 has no state anywhere.
const std::vector<std::string> ROWS = {
  "AACG-A",
  "ACCGAC",
  "GACTAG",
  "GACGAT",
  "?-----",
};

} // namespace

TEST(Diverge, TwoGroupsWorkedByHand)
{
  const tSiteData sites = make_sites(ROWS);
  tDiverge d;
  d.A = set_of(5, {1, 2});
  d.B = set_of(5, {3, 4});
  compute_diverge(&d, sites);
  // Sites 1-4 and 6 differ in 4, 2, 0, 2 and 4 of the four pairs: S = 12, Q = 40.
  EXPECT_EQ(d.n, 5);
  EXPECT_DOUBLE_EQ(d.d, 12.0 / 20.0);
  EXPECT_DOUBLE_EQ(d.sd, std::sqrt((40.0 / 80.0 - 0.36) / 4.0));

  // A taxon without any state leaves no site to compare.
  d.A = set_of(5, {1});
  d.B = set_of(5, {5});
  compute_diverge(&d, sites);
  EXPECT_EQ(d.n, 0);
  EXPECT_EQ(d.d, 1.0);
  EXPECT_EQ(d.sd, 1000000.0);

  // An empty group has no pairs: no number that is not one.
  d.A = set_of(5, {});
  d.B = set_of(5, {2, 3});
  compute_diverge(&d, sites);
  EXPECT_EQ(d.n, 6);
  EXPECT_EQ(d.d, 1.0);
  EXPECT_EQ(d.sd, 1000000.0);
}

TEST(TestClock, ThreeTaxaWorkedByHand)
{
  const tSiteData sites = make_sites(ROWS);
  tClock c;
  c.t1 = 1, c.t2 = 2, c.t3 = 3;
  compute_test_clock(&c, sites);
  // Over sites 1-4 and 6: c12 = 2, c13 = 3, c23 = 4, c123 = 1.
  EXPECT_EQ(c.n, 5);
  EXPECT_DOUBLE_EQ(c.d, 0.6 - 0.8);
  EXPECT_DOUBLE_EQ(c.sd, std::sqrt((0.4 - 0.04 - 0.2) / 4.0));

  c.t3 = 5;
  compute_test_clock(&c, sites);
  EXPECT_EQ(c.n, 0);
  EXPECT_EQ(c.d, 0.0);
  EXPECT_EQ(c.sd, 0.0);

  // One site: no spread can be measured.
  const tSiteData one = make_sites({"A", "C", "C"});
  c.t3 = 3;
  compute_test_clock(&c, one);
  EXPECT_EQ(c.n, 1);
  EXPECT_DOUBLE_EQ(c.d, 1.0);
  EXPECT_EQ(c.sd, 100000.0);
}

TEST(Support, EveryGapModeWorkedByHand)
{
  // Ingroup {1, 2}: a clean split, a gap in the ingroup, an ingroup state
  // shared by taxon 3, and a gap on each side.
  const tSiteData sites = make_sites({"AAA-", "A-AA", "CCA-", "CCCC"});
  struct tCase {
    const char* mode;
    int convergence;
    std::vector<int> in, out;
  };
  const tCase cases[] = {
    {"JOKER", 0, {1, 2}, {1}},
    {"INGROUP_JOKER", 0, {1, 2, 4}, {1, 2, 4}},
    {"OUTGROUP_JOKER", 0, {1}, {1}},
    {"NEWSTATE", 0, {1}, {1, 2}},
    {"JOKER", 1, {1, 2, 3, 4}, {1, 2, 4}},
  };
  for (const tCase& c : cases) {
    tSupport s;
    s.ingroup = set_of(4, {1, 2});
    s.gapmode = c.mode;
    s.convergence = c.convergence;
    compute_support(&s, sites, 4);
    EXPECT_EQ(members(s.ingroup_positions), c.in) << c.mode << " " << c.convergence;
    EXPECT_EQ(members(s.outgroup_positions), c.out) << c.mode << " " << c.convergence;
    EXPECT_EQ(s.ingroup_count, static_cast<int>(c.in.size())) << c.mode;
    EXPECT_EQ(s.outgroup_count, static_cast<int>(c.out.size())) << c.mode;
  }
  // A deviation lets one taxon of the other side stray: site 3 (A A A C) now
  // supports {3, 4}, by taxon 4's C.
  tSupport s;
  s.ingroup = set_of(4, {1, 2});
  s.deviation = 1;
  s.gapmode = "NEWSTATE";
  compute_support(&s, make_sites({"A", "A", "A", "C"}), 1);
  EXPECT_EQ(s.ingroup_count, 0);
  EXPECT_EQ(s.outgroup_count, 1);
}

TEST(EstimateVariable, OneQuartetWorkedByHand)
{
  // One constant site and three sites that each split the four taxa 2:2.
  const tSiteData sites = make_sites({"AAAA", "AACC", "ACAC", "ACCA"});
  const tVariableEstimate all = estimate_variable(sites);
  // Every p-distance and every f is 1/2, so each y is 1/2 and 1 - f0 = 3/4 wins.
  EXPECT_EQ(all.quartets, 3);
  EXPECT_EQ(all.sites, 4);
  EXPECT_DOUBLE_EQ(all.min, 0.75);
  EXPECT_DOUBLE_EQ(all.mean, 0.75);
  EXPECT_EQ(all.sd, 0.0);

  // Four taxa have one increasing quartet: every random draw is that one.
  const tVariableEstimate rnd = estimate_variable_rand(sites, 7);
  EXPECT_EQ(rnd.quartets, 7);
  EXPECT_DOUBLE_EQ(rnd.mean, 0.75);
  EXPECT_EQ(rnd.sd, 0.0);

  // Fewer than four taxa, or no site: nothing to evaluate, and no NaN.
  for (const tSiteData& none : {make_sites({"AC", "AC", "CA"}), make_sites({"", "", "", ""})}) {
    const tVariableEstimate r = estimate_variable(none);
    EXPECT_EQ(r.quartets, 0);
    EXPECT_EQ(r.mean, 0.0);
    EXPECT_EQ(r.sd, 0.0);
    EXPECT_EQ(estimate_variable_rand(none, 10).quartets, 0);
  }
}

// The all-quartets estimate over t taxa is the estimate over every
// four-taxon sub-alignment taken together; the random one is reproducible,
// whatever the generator did before, and tends to the same mean.
TEST(EstimateVariable, AllQuartetsAreTheirFourTaxonPartsAndRandomOnesSampleThem)
{
  unsigned state = 11;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 16) & 32767);
  };
  for (int t = 4; t <= 7; t++) {
    std::vector<std::string> rows(static_cast<size_t>(t));
    for (int k = 0; k < 40; k++) {
      const char base = "ACGT"[next() % 4];
      for (std::string& row : rows)
        row += next() % 3 == 0 ? "ACGT-"[next() % 5] : base;
    }
    const tSiteData sites = make_sites(rows);
    const tVariableEstimate all = estimate_variable(sites);

    double min = 1.0, sum = 0.0, sumsq = 0.0;
    int quartets = 0;
    for (int a = 0; a < t; a++)
      for (int b = a + 1; b < t; b++)
        for (int c = b + 1; c < t; c++)
          for (int d = c + 1; d < t; d++) {
            const tVariableEstimate one = estimate_variable(make_sites({rows[a], rows[b], rows[c], rows[d]}));
            ASSERT_EQ(one.quartets, 3);
            EXPECT_NEAR(one.sd, 0.0, 1e-7) << "each visit of a quartet gives the same value";
            min = std::fmin(min, one.min);
            sum += one.mean;
            sumsq += one.mean * one.mean;
            quartets++;
          }
    EXPECT_EQ(all.quartets, 3 * quartets) << t;
    EXPECT_DOUBLE_EQ(all.min, min) << t;
    EXPECT_NEAR(all.mean, sum / quartets, 1e-12) << t;
    EXPECT_NEAR(all.sd, std::sqrt(std::fmax(sumsq / quartets - all.mean * all.mean, 0.0)), 1e-7) << t;

    const tVariableEstimate first = estimate_variable_rand(sites, 2000);
    for (int k = 0; k < 5; k++)
      ref_rand();
    const tVariableEstimate again = estimate_variable_rand(sites, 2000);
    EXPECT_EQ(first.mean, again.mean);
    EXPECT_EQ(first.sd, again.sd);
    EXPECT_EQ(first.quartets, 2000);
    EXPECT_GE(first.min, all.min);
    EXPECT_NEAR(first.mean, all.mean, 4.0 * all.sd / std::sqrt(2000.0) + 1e-12) << t;
  }
}
