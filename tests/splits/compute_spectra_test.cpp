#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_spectra.h"
#include "blocks/blk_taxa.h"
#include "document/document.h"
#include "nexus/nexus.h"
#include "splits/compute_spectra.h"
#include "splits/hadamard.h"
#include "splits/splits_sys.h"
#include "tests/splits/numbered_data.h"
#include "tests/support/capture.h"

namespace {

// An alignment on a random tree under the three-substitution-type model,
// with the tree's splits as codes of the side without the last taxon.
struct tSimulation {
  std::vector<std::string> rows;
  std::set<unsigned> splits;
};

tSimulation simulate(int n, int sites, std::mt19937& rng)
{
  static const char bases[4] = {'T', 'C', 'A', 'G'};
  std::uniform_real_distribution<double> u(0.0, 1.0);
  // parent[v] of every node but the root 0; leaves are grown by splitting
  // random edges, so the tree is binary.
  std::vector<int> parent{-1, 0, 0, 0}, leaves{1, 2, 3};
  for (int t = 3; t < n; t++) {
    const size_t v = 1 + rng() % (parent.size() - 1);
    const int mid = static_cast<int>(parent.size());
    parent.push_back(parent[v]);
    parent[v] = mid;
    parent.push_back(mid);
    leaves.push_back(mid + 1);
  }
  std::vector<int> order{0};
  for (size_t i = 0; i < order.size(); i++)
    for (size_t v = 1; v < parent.size(); v++)
      if (parent[v] == order[i])
        order.push_back(static_cast<int>(v));
  std::vector<double> flip(3 * parent.size());
  for (double& p : flip)
    p = 0.5 * (1 - std::exp(-2 * (0.04 + 0.08 * u(rng))));

  tSimulation sim;
  // The taxa below each node.
  std::vector<unsigned> below(parent.size(), 0);
  for (int t = 0; t < n; t++)
    for (int v = leaves[static_cast<size_t>(t)]; v > 0; v = parent[static_cast<size_t>(v)])
      below[static_cast<size_t>(v)] |= 1u << t;
  const unsigned last = 1u << (n - 1), all = (1u << n) - 1;
  for (size_t v = 1; v < parent.size(); v++) {
    const unsigned side = below[v] & last ? all & ~below[v] : below[v];
    if (side)
      sim.splits.insert(side);
  }
  sim.rows.assign(static_cast<size_t>(n), std::string(static_cast<size_t>(sites), 'A'));
  std::vector<int> state(parent.size());
  for (int c = 0; c < sites; c++) {
    state[0] = static_cast<int>(rng() % 4);
    for (size_t i = 1; i < order.size(); i++) {
      const size_t v = static_cast<size_t>(order[i]);
      int x = state[static_cast<size_t>(parent[v])];
      for (int type = 0; type < 3; type++)
        if (u(rng) < flip[3 * v + static_cast<size_t>(type)])
          x ^= type + 1;
      state[v] = x;
    }
    for (int t = 0; t < n; t++)
      sim.rows[static_cast<size_t>(t)][static_cast<size_t>(c)] = bases[state[static_cast<size_t>(leaves[static_cast<size_t>(t)])]];
  }
  return sim;
}

struct tData : tNumberedData {
  tSpectraBlk spectra;

  explicit tData(const std::vector<std::string>& rows) : tNumberedData(rows)
  {
    assumptions.update.post(2);
    characters.compute(&taxa, &assumptions);
    assumptions.method = "STREE";
    assumptions.update.post(64);
    spectra.compute(&taxa, &assumptions, &characters);
  }
};

unsigned code_without_last(const tSet* s, int n)
{
  const unsigned code = static_cast<unsigned>(s->set2binary());
  return code & (1u << (n - 1)) ? ((1u << n) - 1) & ~code : code;
}

} // namespace

TEST(Hadamard, IsItsOwnInverseUpToItsOrder)
{
  std::mt19937 rng(3);
  // Small integers keep every sum exact in single precision.
  for (int m = 0; m <= 16; m++) {
    const int nsize = 1 << m;
    std::vector<float> x(static_cast<size_t>(nsize)), y(x.size()), z(x.size());
    for (float& v : x)
      v = static_cast<float>(static_cast<int>(rng() % 7) - 3);
    hadamard(nsize, x.data(), y.data());
    if (m <= 6)
      for (int i = 0; i < nsize; i++) {
        double sum = 0;
        for (int j = 0; j < nsize; j++)
          sum += (__builtin_popcount(static_cast<unsigned>(i & j)) % 2 ? -1 : 1) * x[static_cast<size_t>(j)];
        ASSERT_EQ(y[static_cast<size_t>(i)], sum) << "nsize " << nsize << " entry " << i;
      }
    hadamard(nsize, y.data(), z.data());
    for (size_t k = 0; k < x.size(); k++)
      ASSERT_EQ(z[k], static_cast<float>(nsize) * x[k]) << "nsize " << nsize;
    // In place, and back through the inverse.
    hadamard_inverse(nsize, y.data(), y.data());
    ASSERT_EQ(y, x) << "nsize " << nsize;
  }
}

TEST(Spectra, OneSplitGivesItsHandWorkedWeight)
{
  tCaptureScope cap;
  // Two of ten sites separate {a, b} from {c, d} by a G/A difference: the
  // G/C recoding and the A/C recoding see the pattern {1, 2} (code 3) twice.
  // Then r[k] = 8 + 2 (-1)^|k & 3|, rho = ln(r / 10) is ln 0.6 where k & 3
  // has one bit and 0 elsewhere, and gamma = (ln 0.6 / 2) (delta_0 - delta_3).
  tData data({"AAAAAAAAGG", "AAAAAAAAGG", "AAAAAAAAAA", "AAAAAAAAAA"});
  ASSERT_TRUE(data.spectra.valid());
  EXPECT_NE(cap.fe.logged.find("Computing QV_SPECTRA from CHARACTERS (4-State spectral analysis):  s1-3 r1 rho1 "
                               "gamma1 r2 rho2 gamma2 r3 rho3 gamma3 done\n"),
            std::string::npos) << cap.fe.logged;
  const float half = static_cast<float>(std::log(0.6) / 2);
  for (int m : {1, 3})
    for (int k = 0; k < 8; k++)
      EXPECT_NEAR(data.spectra.get_entry(m, k), k == 0 ? half : k == 3 ? -half : 0.0f, 1e-6) << m << " " << k;
  for (int k = 0; k < 8; k++)
    EXPECT_EQ(data.spectra.get_entry(2, k), 0.0f);
  EXPECT_NEAR(data.spectra.get_para_sum(3), -std::log(0.6), 1e-6);

  tSplitsSystem tree;
  ASSERT_EQ(tree.greedy_compatible_splits_spectra(&data.spectra), 1);
  EXPECT_EQ(tree.get_split(1)->set2binary(), 3);
  EXPECT_TRUE(cap.fe.warnings.empty());
}

TEST(Spectra, LogarithmOfRatiosThatAreNotPositive)
{
  tCaptureScope cap;
  reset_log_warning();
  const float r[3] = {0.0f, -1.0f, -2.0f};
  EXPECT_EQ(standard_func(0, 4.0, r), -100.0f);
  EXPECT_TRUE(cap.fe.warnings.empty());
  EXPECT_EQ(standard_func(1, 4.0, r), -100.0f);
  EXPECT_EQ(standard_func(2, 4.0, r), -100.0f);
  EXPECT_EQ(cap.fe.warnings,
            (std::vector<std::string>{"log(-0.25): negative argument (no further warnings will be given)"}));

  // Identical sequences: one pattern, every logarithm 0, every entry 0.
  std::vector<float> same{12, 0, 0, 0, 0, 0, 0, 0};
  spectrum_from_patterns(8, same.data(), 12.0);
  EXPECT_EQ(same, std::vector<float>(8, 0.0f));
}

TEST(Spectra, StreeGivesTheTreeOfSimulatedData)
{
  tCaptureScope cap;
  std::mt19937 rng(17);
  for (int n : {5, 7, 9}) {
    SCOPED_TRACE(n);
    const tSimulation sim = simulate(n, 20000, rng);
    tData data(sim.rows);
    ASSERT_TRUE(data.spectra.valid());

    tSplitsSystem tree;
    tree.greedy_compatible_splits_spectra(&data.spectra);
    std::set<unsigned> got;
    for (int i = 1; i <= tree.get_n(); i++)
      got.insert(code_without_last(tree.get_split(i), n));
    EXPECT_EQ(got, sim.splits);
  }
}
