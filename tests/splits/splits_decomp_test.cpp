// Split decomposition, the Buneman tree and the refined computation, checked
// on hand-computed cases and on generated tree and circular metrics, and the
// fast quartet scan against a literal transcription of the indices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "core/parallel.h"
#include "core/random.h"
#include "core/sets.h"
#include "nexus/nexus.h"
#include "splits/buneman_tree.h"
#include "splits/compute_splits.h"
#include "splits/quartets.h"
#include "splits/splits_decomp.h"
#include "splits/splits_sys.h"
#include "tests/splits/numbered_data.h"
#include "tests/support/capture.h"

namespace {

using tMatrix = std::vector<std::vector<double>>;  // 1-based
using tListing = std::vector<std::pair<std::string, double>>;
using tSide = std::vector<char>;  // flags over 1..n

std::string text_of(const tSide& side)
{
  std::string s;
  for (size_t x = 1; x < side.size(); x++)
    if (side[x])
      s += (s.empty() ? "" : " ") + std::to_string(x);
  return s;
}

tListing listing(const tSplitsSystem& s)
{
  tListing out;
  for (int i = 1; i <= s.get_n(); i++) {
    tSide side(static_cast<size_t>(s.get_ntax()) + 1);
    for (int x = 1; x <= s.get_ntax(); x++)
      side[x] = s.get_split(i)->is_element(x);
    out.emplace_back(text_of(side), s.get_weight(i));
  }
  return out;
}

tMatrix from_rows(const std::vector<std::vector<double>>& rows)
{
  tMatrix d(rows.size() + 1, std::vector<double>(rows.size() + 1, 0.0));
  for (size_t i = 0; i < rows.size(); i++)
    std::copy(rows[i].begin(), rows[i].end(), d[i + 1].begin() + 1);
  return d;
}

// Taxa t1..tn with distances or DNA rows, as the document would hold them.
struct tData : tNumberedData {
  explicit tData(const tMatrix& d)
      : tNumberedData(static_cast<int>(d.size()) - 1, [&](int i, int j) { return d[i][j]; })
  {
  }
  explicit tData(const std::vector<std::string>& rows) : tNumberedData(rows) {}

  tListing run(const char* method, bool refine = false)
  {
    tSplitsSystem s;
    s.set_ntax(taxa.get_ntax());
    assumptions.method = method;
    if (refine)
      s.compute_splits(&taxa, &assumptions, &characters, &distances);
    else if (std::string(method) == "DTREE")
      s.buneman_tree(&taxa, &assumptions, &distances);
    else
      s.split_decomposition(&taxa, &assumptions, &distances);
    return listing(s);
  }
};

// Weighted splits in normal form and the distances they induce.
struct tSystem {
  std::map<std::string, double> splits;
  tMatrix d;

  explicit tSystem(int n) : d(n + 1, std::vector<double>(n + 1, 0.0)) {}
  void add(const std::vector<int>& members, double w)
  {
    tSide side(d.size(), 0);
    for (int x : members)
      side[x] = 1;
    for (size_t x = 1; x < d.size(); x++)
      for (size_t y = 1; y < d.size(); y++)
        d[x][y] += side[x] != side[y] ? w : 0.0;
    if (!side[1])
      for (char& c : side)
        c = !c;
    splits[text_of(side)] = w;
  }
};

tSystem random_tree(int n)
{
  tSystem tree(n);
  for (const std::vector<int>& cluster : random_tree_clusters(n))
    tree.add(cluster, 0.05 + uniform());
  return tree;
}

void expect_splits(const tListing& got, const std::map<std::string, double>& want)
{
  std::map<std::string, double> got_map(got.begin(), got.end());
  ASSERT_EQ(got_map.size(), got.size()) << "a split came out twice";
  ASSERT_EQ(got_map.size(), want.size());
  for (const auto& [split, w] : want)
    EXPECT_NEAR(got_map.count(split) ? got_map[split] : -1.0, w, 1e-9) << split;
}

// The indices and the scheme transcribed literally: natural loop order,
// one level after the other, no shortcuts.
double literal_index(const tMatrix& d, int t, const tSide& inA, bool buneman)
{
  double value = buneman ? 1000000 : 100000;
  for (int a1 = 1; a1 <= t; a1++)
    for (int b1 = 1; b1 <= t; b1++)
      for (int b2 = b1; b2 <= t; b2++) {
        if (!inA[a1] || inA[b1] || inA[b2])
          continue;
        if (buneman) {
          const double q = 0.5 * (std::min(d[a1][b1] + d[t][b2], d[a1][b2] + d[t][b1]) - d[t][a1] - d[b1][b2]);
          if (q < value && q <= 0.0)
            return 0.0;
          value = q < value ? q : value;
        } else {
          const double s = d[t][a1] + d[b1][b2];
          const double m = std::max(d[a1][b2] + d[t][b1], d[a1][b1] + d[t][b2]);
          if (!(s < m))
            return 0.0;
          value = std::min(value, m - s);
        }
      }
  return buneman ? value : 0.5 * value;
}

tListing literal_scheme(const tMatrix& d, bool buneman)
{
  std::vector<std::pair<tSide, double>> level;
  for (int t = 2; t < static_cast<int>(d.size()); t++) {
    std::vector<std::pair<tSide, double>> next;
    auto consider = [&](tSide inA, double cap) {
      const double w = std::min(literal_index(d, t, inA, buneman), cap);
      if (!inA[1])
        for (char& c : inA)
          c = !c;
      if (w > 0.000001)
        next.emplace_back(inA, w);
    };
    tSide single(static_cast<size_t>(t) + 1, 0);
    single[t] = 1;
    consider(single, HUGE_VAL);
    for (const auto& [S, w] : level)
      for (int flip = 0; flip <= 1; flip++) {
        tSide inA(static_cast<size_t>(t) + 1, 1);
        for (int x = 1; x < t; x++)
          inA[x] = S[x] != flip;
        consider(inA, w);
      }
    level = next;
  }
  tListing out;
  for (const auto& [side, w] : level)
    out.emplace_back(text_of(side), w);
  return out;
}

const tMatrix TREE4 = from_rows({{0, 2, 4, 4}, {2, 0, 4, 4}, {4, 4, 0, 2}, {4, 4, 2, 0}});
const tListing TREE4_SPLITS = {{"1 2 3", 1}, {"1 2 4", 1}, {"1 2", 2}, {"1 3 4", 1}, {"1", 1}};
const tMatrix BOX4 = from_rows({{0, 3, 4, 5}, {3, 0, 5, 4}, {4, 5, 0, 3}, {5, 4, 3, 0}});

} // namespace

TEST(SplitDecomposition, SmallCases)
{
  tCaptureScope cap;
  EXPECT_EQ(tData(from_rows({{0, 3}, {3, 0}})).run("DSPLITS"), (tListing{{"1", 3}}));
  EXPECT_EQ(tData(from_rows({{0, 0}, {0, 0}})).run("DSPLITS"), tListing{});
  // An index exactly at the bound is dropped.
  EXPECT_EQ(tData(from_rows({{0, 0.000001}, {0.000001, 0}})).run("DSPLITS"), tListing{});
  tData tree(TREE4);
  EXPECT_EQ(tree.run("DSPLITS"), TREE4_SPLITS);
  EXPECT_EQ(tree.run("DTREE"), TREE4_SPLITS);
  tData box(BOX4);
  EXPECT_EQ(box.run("DSPLITS"), (tListing{{"1 2 3", 1}, {"1 2 4", 1}, {"1 2", 2}, {"1 3 4", 1}, {"1 3", 1}, {"1", 1}}));
  EXPECT_EQ(box.run("DTREE"), (tListing{{"1 2 3", 1}, {"1 2 4", 1}, {"1 2", 1}, {"1 3 4", 1}, {"1", 1}}));

  // One candidate: 12|34 beats 13|24 by 4 and 14|23 by 2; 13|24 beats only 14|23.
  tSet A(4);
  A.insert(3);
  A.insert(4);
  EXPECT_EQ(iso_index(4, &A, &box.taxa, &box.distances), 2.0);
  EXPECT_EQ(buneman_index(4, &A, &box.taxa, &box.distances), 1.0);
  EXPECT_EQ(quartet_index(4, 3, 1, 2, &box.distances), 1.0);
  A.remove(3);
  A.insert(2);
  EXPECT_EQ(iso_index(4, &A, &box.taxa, &box.distances), 1.0);
  EXPECT_EQ(buneman_index(4, &A, &box.taxa, &box.distances), 0.0);
  EXPECT_EQ(cap.fe.warnings.size(), 0u);
}

TEST(SplitDecomposition, TreeMetricGivesItsTree)
{
  tCaptureScope cap;
  ref_srand(7);
  for (int n : {3, 5, 8, 13, 21, 34}) {
    SCOPED_TRACE(n);
    const tSystem tree = random_tree(n);
    tData data(tree.d);
    expect_splits(data.run("DSPLITS"), tree.splits);
    expect_splits(data.run("DTREE"), tree.splits);
    data.assumptions.refine_count = 1;
    expect_splits(data.run("DSPLITS", true), tree.splits);
    expect_splits(data.run("DTREE", true), tree.splits);
  }
}

TEST(SplitDecomposition, CircularMetricGivesItsSplits)
{
  tCaptureScope cap;
  ref_srand(11);
  for (int n : {4, 6, 9, 14, 20}) {
    SCOPED_TRACE(n);
    std::vector<int> order;
    for (int x = 1; x <= n; x++)
      order.insert(order.begin() + ref_rand() % x, x);
    // Each arc of the circle that misses its first taxon, with chance 0.4.
    tSystem circular(n);
    for (int i = 1; i < n; i++)
      for (int j = i + 1; j <= n; j++)
        if (uniform() < 0.4)
          circular.add(std::vector<int>(order.begin() + i, order.begin() + j), 0.1 + uniform());
    expect_splits(tData(circular.d).run("DSPLITS"), circular.splits);
  }
}

TEST(SplitDecomposition, FastScanMatchesLiteralScheme)
{
  tCaptureScope cap;
  ref_srand(3);
  for (int round = 0; round < 12; round++) {
    SCOPED_TRACE(round);
    const int n = round == 11 ? 40 : 6 + round % 7;
    tMatrix d = random_tree(n).d;
    for (int i = 1; i <= n; i++)
      for (int j = i + 1; j <= n; j++)
        // Small integers give ties and triangle violations; otherwise noise.
        d[i][j] = d[j][i] = round % 3 == 0 ? 1 + ref_rand() % 6 : d[i][j] * (0.9 + 0.2 * uniform());
    if (round % 4 == 1)
      d[2][n] = d[n][2] = tDistancesBlk::UNKNOWN;
    tData data(d);
    EXPECT_EQ(data.run("DSPLITS"), literal_scheme(d, false));
    EXPECT_EQ(data.run("DTREE"), literal_scheme(d, true));
  }
}

TEST(Quartets, KeepTheSmallestValuesInOrder)
{
  tQuartets q(3);
  for (double v : {5.0, 2.0, 7.0, 1.0, 2.0, 9.0})
    q.add({1, 2, 3, 4, v});
  ASSERT_EQ(q.get_len(), 3);
  EXPECT_EQ(q[1].value + 10 * q[2].value + 100 * q[3].value, 221.0);
  EXPECT_EQ(q.sum(2), 3.0);
  EXPECT_EQ(q.sum(0), 5.0);
  tQuartets copy(3);
  copy.copy(q);
  q.reset();
  EXPECT_EQ(q.sum(1), 0.0);
  EXPECT_EQ(copy.sum(9), 5.0);

  tQuartets grow(1);
  for (int i = 1; i <= 3; i++)
    grow.append_and_grow({i, 0, 0, 0, 10.0 - i});
  EXPECT_EQ(grow.get_max_len(), 3);
  EXPECT_EQ(grow[3].value, 7.0);
  // Taxon numbers are not limited to a byte.
  tQuartetsArray arr;
  arr.append(tQuartets(1));
  arr[1].add({200, 300, 1000, 4000, 0.5});
  EXPECT_EQ(arr[1][1].d, 4000);
}

TEST(SplitsDeathTest, MisuseIsFatal)
{
  tData box(BOX4);
  tSet A(4);
  A.insert(1);
  tQuartets q(2), r(3);
  EXPECT_EXIT({ set_front_end(nullptr); iso_index(4, &A, &box.taxa, &box.distances); },
              testing::ExitedWithCode(1), "Fatal Error: iso_index\\(\\): a1=4 not in A\n$");
  EXPECT_EXIT({ set_front_end(nullptr); q.copy(r); }, testing::ExitedWithCode(1),
              "Fatal Error: tQuartets::copy\\(q\\): max_len=2 != q.max_len=3\n$");
  EXPECT_EXIT({ set_front_end(nullptr); q[1]; }, testing::ExitedWithCode(1),
              "Fatal Error: tQuartets::operation \\[1\\]: out of range: 1..0\n$");
  EXPECT_EXIT({ set_front_end(nullptr); tQuartets bad(-1); }, testing::ExitedWithCode(1),
              "Fatal Error: tQuartets\\(n=-1\\): illegal value\n$");
}

TEST(RefinedSplits, CountIsCorrectedWithAWarning)
{
  tCaptureScope cap;
  ref_srand(5);
  tData data(random_tree(6).d);
  data.assumptions.refine_count = 7;
  data.run("DSPLITS", true);
  EXPECT_EQ(data.assumptions.refine_count, 3);
  data.assumptions.refine_count = -2;
  data.run("DSPLITS", true);
  EXPECT_EQ(data.assumptions.refine_count, 1);
  EXPECT_EQ(cap.fe.warnings, (std::vector<std::string>{"REFINE N=7 changed to 3", "REFINE N=-2 changed to 1"}));
  EXPECT_EQ(the_index, 1);
  EXPECT_EQ(gapmissingmode, 1);

  // N = 0 means ntax - 3, but never fewer than one quartet. The refined
  // scheme extends the candidates as they were, not their normal forms, so
  // its order differs from split decomposition's.
  tData three(from_rows({{0, 3, 4}, {3, 0, 5}, {4, 5, 0}}));
  three.assumptions.refine_count = 0;
  EXPECT_EQ(three.run("DSPLITS", true), (tListing{{"1 2", 3}, {"1", 1}, {"1 3", 2}}));
  EXPECT_EQ(three.assumptions.refine_count, 0);
  tData two(from_rows({{0, 3}, {3, 0}}));
  two.assumptions.refine_count = 0;
  EXPECT_EQ(two.run("DTREE", true), (tListing{{"1", 3}}));
  EXPECT_EQ(the_index, 2);
  EXPECT_EQ(cap.fe.warnings.size(), 2u);
}

TEST(RefinedSplits, WeightAveragesTheSmallestQuartets)
{
  tCaptureScope cap;
  tData box(BOX4);
  box.assumptions.refine_count = 1;
  EXPECT_EQ(box.run("DSPLITS", true),
            (tListing{{"1 2 3", 1}, {"1 2", 2}, {"1 2 4", 1}, {"1", 1}, {"1 3 4", 1}, {"1 3", 1}}));
  EXPECT_EQ(box.run("DTREE", true), (tListing{{"1 2 3", 1}, {"1 2", 1}, {"1 2 4", 1}, {"1", 1}, {"1 3 4", 1}}));
  // The tree ((1,2),3,(4,5)) with unit edges and d(1,4) raised to 4.4: taxon
  // 5's pendant split comes first; its quartets 5 5 | c d are 6, 4, 1.6, 4, 2, 2.
  tData five(from_rows({{0, 2, 3, 4.4, 4}, {2, 0, 3, 4, 4}, {3, 3, 0, 3, 3}, {4.4, 4, 3, 0, 2}, {4, 4, 3, 2, 0}}));
  five.assumptions.refine_count = 2;
  const tListing got = five.run("DSPLITS", true);
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got[0].first, "1 2 3 4");
  EXPECT_DOUBLE_EQ(got[0].second, (1.6 + 2) / 4);
  five.assumptions.refine_count = 1;
  EXPECT_DOUBLE_EQ(five.run("DSPLITS", true)[0].second, 1.6 / 2);
  // A quartet below CUT rejects its candidate: every pendant split of the
  // tree sees a value of 2.
  tData tree(TREE4);
  tree.assumptions.refine_count = 1;
  tree.assumptions.refine_cut = 3;
  EXPECT_EQ(tree.run("DSPLITS", true), (tListing{{"1 2", 2}}));
  EXPECT_EQ(cap.fe.warnings.size(), 0u);
}

TEST(RefinedSplits, CharacterQuartetsCountSites)
{
  tCaptureScope cap;
  // Sites: two for 12|34, one for 13|24, one with a missing row, one with a
  // gap pair grouping 12|34, one constant.
  tData data(std::vector<std::string>{"AAAAAG", "AACAAG", "CCA?-G", "CCCC-G"});
  gapmissingmode = 0;
  EXPECT_EQ(quartet_psplits_index(1, 2, 3, 4, &data.characters), 6.0);  // 4 sites against 2 and 1
  EXPECT_EQ(quartet_ptree_index(1, 2, 3, 4, &data.characters), 4.0);
  EXPECT_EQ(quartet_psplits_index(1, 3, 2, 4, &data.characters), 2.0);  // 2 against 4 and 1
  EXPECT_EQ(quartet_ptree_index(1, 3, 2, 4, &data.characters), 0.0);
  gapmissingmode = 1;
  EXPECT_EQ(quartet_psplits_index(1, 2, 3, 4, &data.characters), 4.0);
  // Only active sites count.
  data.assumptions.exset.assign(7, 0);
  data.assumptions.exset[1] = 1;
  data.assumptions.update.post(2);
  data.characters.compute(&data.taxa, &data.assumptions);
  EXPECT_EQ(quartet_psplits_index(1, 2, 3, 4, &data.characters), 2.0);

  // Three sites for 12|34, one for 14|23: the split 12|34 gets half of
  // 2 * (3 - 0) from PSPLITS and of 2 * (3 - 1) from PTREE.
  tData chars(std::vector<std::string>{"AAAA", "AAAC", "CCCC", "CCCA"});
  chars.assumptions.refine_count = 1;
  for (const char* method : {"PSPLITS", "PTREE"}) {
    const tListing got = chars.run(method, true);
    const auto it = std::find_if(got.begin(), got.end(), [](const auto& s) { return s.first == "1 2"; });
    ASSERT_NE(it, got.end());
    EXPECT_EQ(it->second, method[1] == 'S' ? 3.0 : 2.0);
  }
}

TEST(SplitDecomposition, ThreadsNeverChangeTheResult)
{
  tCaptureScope cap;
  ref_srand(5);
  const int before = get_thread_count();
  // The levels from about 64 taxa on are shared out, and from about 120 the
  // larger candidates in parts too (not many more: this is slow under the
  // sanitizers); noisy, tied and with unknown distances.
  for (int round = 0; round < 3; round++) {
    SCOPED_TRACE(round);
    const int n = round == 0 ? 150 : 80;
    tMatrix d = random_tree(n).d;
    for (int i = 1; i <= n; i++)
      for (int j = i + 1; j <= n; j++)
        d[i][j] = d[j][i] = round == 1 ? std::round(d[i][j] * 4) : d[i][j] * (0.95 + 0.1 * uniform());
    if (round == 2)
      d[3][n - 1] = d[n - 1][3] = tDistancesBlk::UNKNOWN;
    tData data(d);
    set_thread_count(1);
    const tListing dsplits = data.run("DSPLITS"), dtree = data.run("DTREE");
    // The refined computation too, on fewer taxa: it is slower.
    tMatrix few(41, std::vector<double>(41, 0.0));
    for (int i = 1; i <= 40; i++)
      for (int j = 1; j <= 40; j++)
        few[i][j] = d[i][j];
    tData small(few);
    const tListing refined = small.run("DSPLITS", true);
    EXPECT_FALSE(dsplits.empty());
    EXPECT_FALSE(refined.empty());
    for (int threads : {2, 3}) {
      set_thread_count(threads);
      EXPECT_EQ(data.run("DSPLITS"), dsplits) << threads;
      EXPECT_EQ(data.run("DTREE"), dtree) << threads;
      EXPECT_EQ(small.run("DSPLITS", true), refined) << threads;
    }
  }
  set_thread_count(before);
}
