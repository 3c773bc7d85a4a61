// Edge-weight transforms and ADJUST: exact metrics give back their weights,
// least squares minimises the residual, and degenerate systems are reported
// without non-finite weights.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_spectra.h"
#include "blocks/blk_splits.h"
#include "blocks/blk_taxa.h"
#include "core/random.h"
#include "core/sets.h"
#include "distances/compute_freq.h"
#include "nexus/nexus.h"
#include "splits/iso_max_width.h"
#include "splits/least_squares.h"
#include "splits/splits_adjust.h"
#include "splits/splits_sys.h"
#include "tests/splits/numbered_data.h"
#include "tests/support/capture.h"

namespace {

using tStrings = std::vector<std::string>;

// A weighted split system over 1..n with the distances it induces.
struct tMetric {
  int n;
  tSplitsSystem splits;
  std::vector<double> weights;  // 1-based, as set
  tSquareMatrix d;

  explicit tMetric(int n) : n(n), weights(1, 0.0), d(n) { splits.set_ntax(n); }
  void add(const std::vector<int>& members, double w)
  {
    tSet A(n);
    for (int x : members)
      A.insert(x);
    splits.append_split(&A, w);
    weights.push_back(w);
    for (int x = 1; x <= n; x++)
      for (int y = 1; y <= n; y++)
        if (A.is_element(x) != A.is_element(y))
          d[x][y] += w;
  }
  void set_all_weights(double w)
  {
    for (int i = 1; i <= splits.get_n(); i++)
      splits.set_weight(i, w);
  }
  void expect_weights(double tolerance, const char* what) const
  {
    for (int i = 1; i <= splits.get_n(); i++)
      EXPECT_NEAR(splits.get_weight(i), weights[i], tolerance * weights[i]) << what << " split " << i;
  }
};

// Every split of a random binary tree (pendant ones included).
void random_tree(tMetric& m)
{
  for (const std::vector<int>& cluster : random_tree_clusters(m.n))
    m.add(cluster, 0.05 + uniform());
}

// The pendant splits and `arcs` random distinct arcs of the circle 1..n (of
// the n (n - 3) / 2 there are).
void random_circular(tMetric& m, int arcs, bool pendant = true)
{
  const int n = m.n;
  for (int x = 1; x <= n && pendant; x++)
    m.add({x}, 0.05 + uniform());
  std::vector<std::vector<char>> seen;
  while (arcs > 0) {
    const int start = 1 + ref_rand() % n, len = 2 + ref_rand() % (n - 3);
    std::vector<char> in(static_cast<size_t>(n) + 1, 0);
    for (int i = 0; i < len; i++)
      in[static_cast<size_t>((start - 1 + i) % n + 1)] = 1;
    if (!in[1])
      for (int x = 1; x <= n; x++)
        in[static_cast<size_t>(x)] = !in[static_cast<size_t>(x)];
    bool again = false;
    for (const auto& s : seen)
      again = again || s == in;
    if (again)
      continue;
    seen.push_back(in);
    std::vector<int> members;
    for (int x = 1; x <= n; x++)
      if (in[static_cast<size_t>(x)])
        members.push_back(x);
    m.add(members, 0.05 + uniform());
    arcs--;
  }
}

// A DISTANCES block over taxa t1..tn holding d.
struct tDists : tNumberedData {
  explicit tDists(tSquareMatrix& d) : tNumberedData(d.size(), [&](int i, int j) { return d[i][j]; }) {}
};

// Sum over pairs of W (x, y) (d(x, y) - fitted(x, y))^2; W null = 1.
double residual(const tSplitsSystem& s, double** d, double** W, const std::vector<double>& w)
{
  double r = 0.0;
  for (int x = 1; x <= s.get_ntax(); x++)
    for (int y = x + 1; y <= s.get_ntax(); y++) {
      double fitted = 0.0;
      for (int i = 1; i <= s.get_n(); i++)
        if (s.get_split(i)->is_element(x) != s.get_split(i)->is_element(y))
          fitted += w[static_cast<size_t>(i)];
      r += (W ? W[x][y] : 1.0) * (d[x][y] - fitted) * (d[x][y] - fitted);
    }
  return r;
}

} // namespace

TEST(EdgeTransforms, ExactMetricGivesBackItsWeights)
{
  tCaptureScope cap;
  ref_srand(11);
  for (int n : {5, 12, 30}) {
    for (bool tree : {true, false}) {
      tMetric m(n);
      if (tree)
        random_tree(m);
      else
        random_circular(m, std::min(2 * n, n * (n - 3) / 2));
      tDists data(m.d);
      m.set_all_weights(1.0);
      ASSERT_EQ(m.splits.OLS_isolation_indices(&data.distances), 1);
      m.expect_weights(1e-9, "LEAST_SQUARES");
      for (int power : {1, 2}) {
        m.set_all_weights(1.0);
        ASSERT_EQ(m.splits.WLS_isolation_indices(&data.distances, power), 1);
        m.expect_weights(1e-9, power == 1 ? "FM_POW1" : "FM_POW2");
      }
      // The adjustment finds nothing to correct in an exact metric.
      for (int i = 1; i <= m.splits.get_n(); i++)
        m.splits.set_weight(i, m.weights[static_cast<size_t>(i)]);
      std::vector<double> w;
      ASSERT_EQ(adjust_weights(&m.splits, m.d.rows(), w), 1);
      for (int i = 1; i <= m.splits.get_n(); i++)
        EXPECT_EQ(w[static_cast<size_t>(i)], m.weights[static_cast<size_t>(i)]) << "ADJUST split " << i;
    }
  }
  // Also where no pendant split stands in for the splits that show a
  // quartet's other groupings.
  tMetric arcs(9);
  random_circular(arcs, 20, false);
  std::vector<double> w;
  ASSERT_EQ(adjust_weights(&arcs.splits, arcs.d.rows(), w), 1);
  for (int i = 1; i <= arcs.splits.get_n(); i++)
    EXPECT_EQ(w[static_cast<size_t>(i)], arcs.weights[static_cast<size_t>(i)]) << "ADJUST arc " << i;
  EXPECT_TRUE(cap.fe.warnings.empty());
  // Fitch-Margoliash diagnostics stay out of the log.
  EXPECT_EQ(cap.fe.logged.find("fm_power"), std::string::npos);
}

TEST(EdgeTransforms, LeastSquaresMinimisesTheResidual)
{
  tCaptureScope cap;
  ref_srand(5);
  tMetric m(10);
  random_circular(m, 12);
  for (int x = 1; x <= 10; x++)
    for (int y = x + 1; y <= 10; y++)
      m.d[x][y] = m.d[y][x] = m.d[x][y] * (0.8 + 0.4 * uniform());
  tSquareMatrix W(10);
  int unknown = 0;
  fm_weights(m.d.rows(), 10, 2, W, &unknown);
  for (double** weighting : {static_cast<double**>(nullptr), W.rows()}) {
    std::vector<double> best;
    int bad = 0;
    ASSERT_EQ(least_squares_weights(&m.splits, m.d.rows(), weighting, best, &bad), 1);
    const double r = residual(m.splits, m.d.rows(), weighting, best);
    EXPECT_LE(r, residual(m.splits, m.d.rows(), weighting, m.weights));
    for (int trial = 0; trial < 50; trial++) {
      std::vector<double> other = best;
      other[static_cast<size_t>(1 + ref_rand() % m.splits.get_n())] += 0.01 * (uniform() - 0.5);
      EXPECT_LE(r, residual(m.splits, m.d.rows(), weighting, other) + 1e-12);
    }
  }
}

TEST(EdgeTransforms, DegenerateSystemsAreReportedNeverNaN)
{
  tCaptureScope cap;
  // All seven splits of four taxa: more splits than pairs.
  tMetric all(4);
  for (const std::vector<int>& side : std::vector<std::vector<int>>{{1}, {2}, {3}, {4}, {1, 2}, {1, 3}, {1, 4}})
    all.add(side, 1.0);
  tDists all_data(all.d);
  ASSERT_EQ(all.splits.OLS_isolation_indices(&all_data.distances), 0);
  EXPECT_EQ(cap.fe.warnings,
            tStrings{"EDGE_TRANSFORM=LEAST_SQUARES: the distances do not determine the weight of split 7"});
  all.expect_weights(0.0, "kept after the failure");

  // A zero distance under FM weighting: one warning, finite weights that
  // still fit the exact metric.
  cap.fe.clear();
  tMetric cherry(5);
  cherry.add({1, 2}, 1.0);
  cherry.add({3}, 0.5);
  cherry.add({4}, 0.25);
  cherry.add({5}, 2.0);
  cherry.add({1, 2, 3}, 0.75);
  tDists cherry_data(cherry.d);
  ASSERT_EQ(cherry.splits.WLS_isolation_indices(&cherry_data.distances, 2), 1);
  EXPECT_EQ(cap.fe.warnings, tStrings{"Distance too small (1 2): 0"});
  cherry.expect_weights(1e-6, "FM_POW2 with a zero distance");

  // An unknown distance leaves the fit; the tree is determined without it.
  cap.fe.clear();
  ref_srand(3);
  tMetric tree(7);
  random_tree(tree);
  tree.d[2][5] = tree.d[5][2] = HUGE_VAL;
  tDists tree_data(tree.d);
  tree.set_all_weights(1.0);
  ASSERT_EQ(tree.splits.OLS_isolation_indices(&tree_data.distances), 1);
  tree.expect_weights(1e-9, "LEAST_SQUARES without one distance");
  EXPECT_EQ(cap.fe.warnings, tStrings{"EDGE_TRANSFORM=LEAST_SQUARES: 1 unknown distances left out of the fit"});
  cap.fe.clear();
  ASSERT_EQ(tree.splits.iso_max_width(&tree_data.taxa, &tree_data.assumptions, &tree_data.distances), 1);
  for (int i = 1; i <= tree.splits.get_n(); i++)
    EXPECT_TRUE(std::isfinite(tree.splits.get_weight(i)));
}

TEST(EdgeTransforms, AverageUsesTheQuartetsThatDefineASplit)
{
  tCaptureScope cap;
  // Stored sides {1,2}, {1} and {1,3,4}: {1} lies inside {1,2}, so the
  // pair 1,1 does not define 12|34, while 2,2 does ({1,3,4} is no subset).
  tMetric m(4);
  m.add({1, 2}, 2.0);
  m.add({1}, 1.0);
  m.add({2}, 1.0);
  const std::vector<std::pair<int, int>> pairs = admissible_pairs(&m.splits, 1, 0);
  EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));

  // A width below every cross distance leaves no quartet: weights 0, one
  // warning, one message per split.
  tDists data(m.d);
  data.assumptions.max_width = 0.5;
  cap.fe.clear();
  ASSERT_EQ(m.splits.iso_max_width(&data.taxa, &data.assumptions, &data.distances), 1);
  for (int i = 1; i <= 3; i++)
    EXPECT_EQ(m.splits.get_weight(i), 0.0);
  EXPECT_EQ(cap.fe.warnings, tStrings{"max_width=0.5: too small to define all splits"});
  EXPECT_EQ(cap.fe.logged, "Averaging isolation indices using threshold 0.5 "
                           "\nWarning: max_width too small, split: 1\n"
                           "\nWarning: max_width too small, split: 2\n"
                           "\nWarning: max_width too small, split: 3\ndone\n");
}

TEST(EdgeTransforms, AdjustNeedsATransformAndGeneratingQuartets)
{
  tCaptureScope cap;
  // 12|34 of weight 0: its one quartet has index 0 under the splits.
  tMetric m(4);
  for (int x = 1; x <= 4; x++)
    m.add({x}, 1.0);
  m.add({1, 2}, 0.0);
  m.d[1][2] = m.d[2][1] = 1.5;
  tDists data(m.d);
  cap.fe.clear();
  // Without a distance transform nothing happens and nothing is written.
  data.assumptions.transform = "NONE";
  ASSERT_EQ(m.splits.adjust_isolation_indices(&data.assumptions, nullptr, &data.distances), 1);
  EXPECT_EQ(cap.fe.logged, "");
  // A split without generating quartets is reported, and no weight changes.
  data.assumptions.transform = "HAMMING";
  ASSERT_EQ(m.splits.adjust_isolation_indices(&data.assumptions, nullptr, &data.distances), 1);
  EXPECT_EQ(cap.fe.warnings, tStrings{"adjust_iso_index(): Failed to determine generating quartets for p=5"});
  m.expect_weights(0.0, "ADJUST without generating quartets");
}

TEST(EdgeTransforms, FailedTransformLeavesTheBlockEmpty)
{
  tCaptureScope cap;
  tMetric all(4);
  for (const std::vector<int>& side : std::vector<std::vector<int>>{{1}, {2}, {3}, {4}, {1, 2}, {1, 3}, {1, 4}})
    all.add(side, 1.0);
  tDists data(all.d);
  tSplitsBlk s;
  tSpectraBlk spectra;
  tCharactersBlk characters;
  tNexusInput in;
  in.OpenString("; PROPERTIES WEAKLY COMPATIBLE; MATRIX 1 1 1, 2 1 2, 3 1 3, 4 1 4,"
                " 5 1 1 2, 6 1 1 3, 7 1 1 4,; END");
  ASSERT_EQ(s.read(&in, &data.taxa), 1);
  ASSERT_EQ(s.get_nsplits(), 7);
  data.assumptions.edge_transform = "LEAST_SQUARES";
  data.assumptions.transform = "HAMMING";
  data.assumptions.update.updates = 128;
  s.compute(&data.taxa, &data.assumptions, &data.distances, &spectra, &characters, 1);
  EXPECT_FALSE(s.valid());
  EXPECT_EQ(s.get_nsplits(), 0);
  EXPECT_EQ(s.get_splits_system()->get_n(), 0);
  EXPECT_EQ(cap.fe.warnings.size(), 1u);
  // The graph is due, so that it cannot go on showing the lost splits.
  EXPECT_TRUE(data.assumptions.update.check(16));
  EXPECT_FALSE(data.assumptions.update.check(512));
}
