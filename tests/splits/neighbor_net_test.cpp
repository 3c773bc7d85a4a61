// Neighbor-net: the circular split maps against their definition, the
// least-squares weights against the optimality conditions, and the whole
// method on exact circular and tree metrics and on noisy distances.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_splits.h"
#include "blocks/blk_splitsgraph.h"
#include "blocks/blk_taxa.h"
#include "core/random.h"
#include "core/sets.h"
#include "document/document.h"
#include "nexus/nexus.h"
#include "splits/circular_nnls.h"
#include "splits/neighbor_net.h"
#include "splits/splits_sys.h"
#include "tests/splits/numbered_data.h"
#include "tests/support/capture.h"
#include "tests/support/run.h"

namespace {

size_t at(int n, int a, int b) { return static_cast<size_t>(a) * n + b; }

// Positions a+1..b, the side of split (a, b) away from position 0.
bool on_side(int a, int b, int p) { return p > a && p <= b; }

std::vector<int> random_permutation(int n)
{
  std::vector<int> order;
  for (int x = 0; x < n; x++)
    order.push_back(x);
  for (int i = n - 1; i > 0; i--)
    std::swap(order[i], order[ref_rand() % (i + 1)]);
  return order;
}

// Taxa t1..tn holding the distances d (0-based, n x n).
struct tData : tNumberedData {
  tData(int n, const std::vector<double>& d)
      : tNumberedData(n, [&](int i, int j) { return d[at(n, i - 1, j - 1)]; })
  {
  }
};

// Splits as their side without taxon 1 (1-based taxa, sorted), with weights.
using tListing = std::map<std::vector<int>, double>;

tListing listing(const tSplitsSystem& s)
{
  tListing out;
  for (int i = 1; i <= s.get_n(); i++) {
    std::vector<int> side;
    for (int x = 1; x <= s.get_ntax(); x++)
      if (!s.get_split(i)->is_element(x))
        side.push_back(x);
    out[side] = s.get_weight(i);
  }
  return out;
}

void expect_same(const tListing& got, const tListing& want)
{
  ASSERT_EQ(got.size(), want.size());
  for (const auto& [side, w] : want) {
    ASSERT_TRUE(got.count(side));
    EXPECT_NEAR(got.at(side), w, 1e-6 * w);
  }
}

// Runs neighbor-net and checks what holds for every input: the cycle is a
// permutation starting at taxon 1, every split is an arc of it with a weight
// above the bound.
tListing run(int n, const std::vector<double>& d)
{
  tData data(n, d);
  tSplitsSystem s;
  s.set_ntax(n);
  EXPECT_EQ(s.neighbor_net(&data.taxa, &data.assumptions, &data.distances), 1);
  std::vector<int> sorted(s.cycle.begin() + 1, s.cycle.end());
  std::sort(sorted.begin(), sorted.end());
  for (int i = 0; i < n; i++)
    EXPECT_EQ(sorted[i], i + 1);
  EXPECT_EQ(s.cycle[1], 1);
  EXPECT_EQ(s.is_cyclic, 1);
  for (int i = 1; i <= s.get_n(); i++) {
    EXPECT_TRUE(s.is_arc(i));
    EXPECT_GT(s.get_weight(i), 1e-6);
  }
  return listing(s);
}

} // namespace

TEST(CircularSplits, MapsMatchTheirDefinitionAndInvertEachOther)
{
  ref_srand(7);
  for (int n = 2; n <= 9; n++) {
    tCircularSplits A(n);
    const size_t size = static_cast<size_t>(n) * n;
    std::vector<double> w(size, 0.0), y(size, 0.0);
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++) {
        w[at(n, a, b)] = uniform() - 0.3;
        y[at(n, a, b)] = uniform() - 0.5;
      }
    std::vector<double> d(size, 0.0), h(size, 0.0), back(size, 0.0);
    A.distances(w.data(), d.data());
    A.adjoint(y.data(), h.data());
    A.inverse(d.data(), back.data());
    double wh = 0.0, dy = 0.0;
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++) {
        // Pair (a, b) read as positions, split (a, b) as gaps.
        double direct_d = 0.0, direct_h = 0.0;
        for (int s = 0; s < n; s++)
          for (int t = s + 1; t < n; t++) {
            if (on_side(s, t, a) != on_side(s, t, b))
              direct_d += w[at(n, s, t)];
            if (on_side(a, b, s) != on_side(a, b, t))
              direct_h += y[at(n, s, t)];
          }
        EXPECT_NEAR(d[at(n, a, b)], direct_d, 1e-12) << n;
        EXPECT_NEAR(h[at(n, a, b)], direct_h, 1e-12) << n;
        EXPECT_NEAR(back[at(n, a, b)], w[at(n, a, b)], 1e-12) << n;
        wh += w[at(n, a, b)] * h[at(n, a, b)];
        dy += d[at(n, a, b)] * y[at(n, a, b)];
      }
    EXPECT_NEAR(wh, dy, 1e-10);
    EXPECT_DOUBLE_EQ(A.pairs(0, 1), n - 1.0);
  }
}

// The problem is strictly convex, so weights meeting the optimality
// conditions are the least-squares solution; noisy distances keep many
// weights at the bound and exercise the active set.
TEST(CircularSplits, LeastSquaresMeetsTheOptimalityConditions)
{
  ref_srand(11);
  for (int n : {3, 5, 8, 13, 30, 60}) {
    const size_t size = static_cast<size_t>(n) * n;
    std::vector<double> d(size, 0.0);
    for (int p = 0; p < n; p++)
      for (int q = p + 1; q < n; q++)
        d[at(n, p, q)] = 0.5 + uniform();
    tNnlsStats stats, cg_stats;
    const std::vector<double> w = circular_least_squares(n, d, &stats);
    const std::vector<double> cg = circular_least_squares_cg(n, d, &cg_stats);
    EXPECT_LT(stats.kkt_violation, 1e-8) << n;
    EXPECT_LT(cg_stats.kkt_violation, 1e-8) << n;
    int zero = 0;
    for (size_t s = 0; s < size; s++) {
      EXPECT_GE(w[s], 0.0);
      EXPECT_GE(cg[s], 0.0);
      // Two unrelated methods reach the one optimum.
      EXPECT_NEAR(cg[s], w[s], 1e-7) << n;
      zero += w[s] == 0.0;
    }
    EXPECT_GT(zero, static_cast<int>(size) / 2) << n;
  }
}

namespace {

// Adds the split between the taxa flagged in `in` (0-based) and the others
// to the distances and to the listing expected back.
void add_split(int n, const std::vector<char>& in, double w, std::vector<double>& d, tListing& want)
{
  std::vector<int> side;
  for (int x = 0; x < n; x++)
    if (in[x] != in[0])
      side.push_back(x + 1);
  want[side] += w;
  for (int x = 0; x < n; x++)
    for (int y = 0; y < n; y++)
      if (in[x] != in[y])
        d[at(n, x, y)] += w;
}

} // namespace

TEST(NeighborNet, ExactCircularMetricGivesBackItsSplits)
{
  ref_srand(3);
  for (int round = 0; round < 40; round++) {
    const int n = 4 + round % 17;
    const std::vector<int> order = random_permutation(n);
    std::vector<double> d(static_cast<size_t>(n) * n, 0.0);
    tListing want;
    for (int a = 0; a < n; a++)
      for (int b = a + 1; b < n; b++) {
        const bool trivial = b - a == 1 || b - a == n - 1;
        if (!trivial && uniform() > 0.3)
          continue;
        std::vector<char> in(static_cast<size_t>(n), 0);
        for (int p = a + 1; p <= b; p++)
          in[order[p]] = 1;
        add_split(n, in, 0.05 + uniform(), d, want);
      }
    SCOPED_TRACE(round);
    expect_same(run(n, d), want);
  }
}

TEST(NeighborNet, ExactTreeMetricGivesBackTheTree)
{
  ref_srand(5);
  for (int n : {4, 9, 25, 70}) {
    std::vector<double> d(static_cast<size_t>(n) * n, 0.0);
    tListing want;
    for (const std::vector<int>& cluster : random_tree_clusters(n)) {
      std::vector<char> in(static_cast<size_t>(n), 0);
      for (int x : cluster)
        in[x - 1] = 1;
      add_split(n, in, 0.1 + uniform(), d, want);
    }
    SCOPED_TRACE(n);
    expect_same(run(n, d), want);
  }
}

// Also: both stages show how far they are, never past their total.
TEST(NeighborNet, NoisyDistancesGiveArcsOfTheCycle)
{
  struct tProgressLog : tCaptureFrontEnd {
    std::map<std::string, int> reports;
    bool progress(const char* step, int done, int total) override
    {
      EXPECT_TRUE(0 <= done && done <= total) << step << " " << done << " of " << total;
      reports[step]++;
      return true;
    }
  } fe;
  tFrontEnd* before = set_front_end(&fe);
  ref_srand(9);
  for (int n : {1, 2, 3, 4, 12, 40}) {
    std::vector<double> d(static_cast<size_t>(n) * n, 0.0);
    for (int x = 0; x < n; x++)
      for (int y = x + 1; y < n; y++)
        d[at(n, x, y)] = d[at(n, y, x)] = 1.0 + uniform();
    const tListing got = run(n, d);
    EXPECT_LE(static_cast<int>(got.size()), n * (n - 1) / 2);
  }
  set_front_end(before);
  EXPECT_GE(fe.reports["Neighbor-Net ordering"], 37);
  EXPECT_GT(fe.reports["Neighbor-Net least squares"], 0);
}

TEST(NeighborNet, UnknownDistanceIsRefused)
{
  tCaptureScope capture;
  std::vector<double> d(25, 1.0);
  d[at(5, 1, 3)] = d[at(5, 3, 1)] = HUGE_VAL;
  tData data(5, d);
  tSplitsSystem s;
  s.set_ntax(5);
  EXPECT_EQ(s.neighbor_net(&data.taxa, &data.assumptions, &data.distances), 0);
  EXPECT_EQ(s.get_n(), 0);
  ASSERT_EQ(capture.fe.warnings.size(), 1u);
  EXPECT_EQ(capture.fe.warnings[0], "Neighbor-Net needs all distances: 1 unknown");
}

namespace {

std::string printed_splits(tDocument& doc)
{
  tNexusOutput out;
  out.OpenString();
  doc.splits->print(&out, doc.taxa.get());
  return out.GetString();
}

} // namespace

// Through the document: the cycle of the result is the ordering found, the
// method's splits are arcs of it, and a saved file reopens to the same text.
TEST(NeighborNet, DocumentComputesSavesAndReopens)
{
  tCaptureScope capture;
  std::string rows;
  const char* seqs[] = {"ACGTACGTAACCGGTTACGT", "ACGTACGTAACCGGTTACGA", "ACGAACGTAACCGCTTACGA",
                        "TCGAACGTTACCGCTTACGA", "TCGAAGGTTACCGCATACCA", "TCGTAGGTTACGGCATACCA",
                        "ACGTAGGTTACGGGATACCT"};
  for (int t = 0; t < 7; t++)
    rows += " t" + std::to_string(t + 1) + " " + seqs[t];
  tDocument doc;
  ASSERT_EQ(doc.read_string(("begin taxa; dimensions ntax=7; taxlabels t1 t2 t3 t4 t5 t6 t7; end;"
                             "begin characters; dimensions nchar=20; format datatype=dna; matrix" +
                             rows + "; end; assume method=nnet;")
                                .c_str()),
            1);
  ASSERT_TRUE(doc.splits->valid());
  ASSERT_TRUE(doc.sgraph->valid());
  const tSplitsSystem* s = doc.splits->get_splits_system();
  EXPECT_STREQ(doc.splits->get_cyclicity(), "cyclic");
  EXPECT_GE(s->get_n(), 7);
  for (int i = 1; i <= s->get_n(); i++)
    EXPECT_TRUE(s->is_arc(i));
  EXPECT_NE(capture.fe.logged.find("Computing QV_SPLITS from DISTANCES (Neighbor-Net): "), std::string::npos);

  tTempDir dir;
  const std::string file = dir.file("nnet.nex");
  ASSERT_EQ(doc.print_file(file.c_str()), 1);
  tDocument again;
  ASSERT_EQ(again.read_file(file.c_str()), 1);
  EXPECT_EQ(printed_splits(again), printed_splits(doc));
  EXPECT_EQ(again.splits->get_splits_system()->cycle, s->cycle);

  // Distances alone are enough.
  tDocument dist;
  ASSERT_EQ(dist.read_string("begin taxa; dimensions ntax=4; taxlabels a b c d; end;"
                             "begin distances; format triangle=upper no diagonal; matrix"
                             " a 3 5 6 b 4 5 c 3 d; end; assume method=nnet;"),
            1);
  EXPECT_TRUE(dist.distances->valid());
  ASSERT_TRUE(dist.splits->valid());
  EXPECT_GE(dist.splits->get_nsplits(), 4);
  EXPECT_TRUE(capture.fe.warnings.empty()) << capture.fe.warnings[0];
}
