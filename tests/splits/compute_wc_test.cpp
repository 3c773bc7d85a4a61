#include "splits/compute_wc.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "blocks/blk_distances.h"
#include "blocks/blk_taxa.h"
#include "document/document.h"
#include "nexus/nexus.h"
#include "tests/support/capture.h"

namespace {

// Splits as codes of the side holding taxon 1, with their weights.
std::map<unsigned, double> splits_of(const tSplitsSystem& s)
{
  std::map<unsigned, double> m;
  for (int i = 1; i <= s.get_n(); i++)
    m[static_cast<unsigned>(s.get_split(i)->set2binary())] = s.get_weight(i);
  return m;
}

tDistanceMatrix matrix_of(int n, const std::vector<double>& upper)
{
  tDistanceMatrix d(static_cast<size_t>(n) + 1, std::vector<double>(static_cast<size_t>(n) + 1, 0.0));
  size_t k = 0;
  for (int i = 1; i <= n; i++)
    for (int j = i + 1; j <= n; j++)
      d[i][j] = d[j][i] = upper[k++];
  return d;
}

} // namespace

TEST(WeakClusters, SmallCasesByHand)
{
  tSplitsSystem s;
  // Two taxa: {1} and {2} are the same split; it keeps the smaller index.
  weak_clusters(2, matrix_of(2, {5}), &s);
  EXPECT_EQ(splits_of(s), (std::map<unsigned, double>{{1, 5.0}}));

  // ((1,2),(3,4)): {1,2} has index 10 - 2 = 8, its complement {3,4} has
  // 10 - 4 = 6, and the split keeps 6; each singleton its nearest distance.
  weak_clusters(4, matrix_of(4, {2, 10, 10, 10, 10, 4}), &s);
  EXPECT_EQ(splits_of(s), (std::map<unsigned, double>{{0b0011, 6}, {0b0001, 2}, {0b1101, 2}, {0b1011, 4}, {0b0111, 4}}));

  // Unknown distances are no evidence for a cluster.
  weak_clusters(3, matrix_of(3, {HUGE_VAL, HUGE_VAL, HUGE_VAL}), &s);
  for (int i = 1; i <= s.get_n(); i++)
    EXPECT_EQ(s.get_split(i)->split_size(), 1);

  tCaptureScope cap;
  tTaxaBlk one;
  tNexusInput in;
  in.OpenString("; DIMENSIONS NTAX=1; TAXLABELS a; END");
  ASSERT_EQ(one.read(&in), 1);
  tDistancesBlk none;
  EXPECT_EQ(s.compute_wc(&one, nullptr, &none), 0);
  EXPECT_EQ(cap.fe.warnings, (std::vector<std::string>{"Too few taxa"}));
}

TEST(WeakClusters, UltrametricTreeGivesItsTree)
{
  std::mt19937 rng(23);
  for (int round = 0; round < 20; round++) {
    const int n = 3 + round % 8;
    // A random rooted binary tree: merge two random clusters at a height
    // above both, until one remains.
    std::vector<unsigned> clusters;
    std::vector<double> heights;
    for (int t = 0; t < n; t++) {
      clusters.push_back(1u << t);
      heights.push_back(0.0);
    }
    tDistanceMatrix d(static_cast<size_t>(n) + 1, std::vector<double>(static_cast<size_t>(n) + 1, 0.0));
    std::set<unsigned> tree;
    const unsigned all = (1u << n) - 1;
    auto add_split = [&](unsigned side) {
      if (side != 0 && side != all)
        tree.insert(side & 1 ? side : all & ~side);
    };
    for (unsigned c : clusters)
      add_split(c);
    while (clusters.size() > 1) {
      const size_t i = rng() % clusters.size();
      size_t j = rng() % (clusters.size() - 1);
      j += j >= i;
      const double h = std::max(heights[i], heights[j]) + 0.5 + (rng() % 100) / 50.0;
      for (int a = 1; a <= n; a++)
        for (int b = 1; b <= n; b++)
          if ((clusters[i] >> (a - 1) & 1) && (clusters[j] >> (b - 1) & 1))
            d[a][b] = d[b][a] = 2 * h;
      clusters[i] |= clusters[j];
      heights[i] = h;
      add_split(clusters[i]);
      clusters.erase(clusters.begin() + static_cast<long>(j));
      heights.erase(heights.begin() + static_cast<long>(j));
    }
    tSplitsSystem wc, tree_sel;
    weak_clusters(n, d, &wc);
    tree_sel.greedy_compatible_splits(&wc);
    std::set<unsigned> got;
    for (int s = 1; s <= tree_sel.get_n(); s++) {
      got.insert(static_cast<unsigned>(tree_sel.get_split(s)->set2binary()));
      EXPECT_GT(tree_sel.get_weight(s), 0.0);
    }
    EXPECT_EQ(got, tree) << "round " << round;
    EXPECT_EQ(wc.get_n(), static_cast<int>(tree.size()));
  }
}

TEST(WeakClusters, TreeMethodReportsItsCounts)
{
  tCaptureScope cap;
  tDocument doc;
  doc.read_string("begin taxa; dimensions ntax=4; taxlabels a b c d; end;"
                  "begin distances; format triangle=both;"
                  " matrix a 0 2 10 10 b 2 0 10 10 c 10 10 0 4 d 10 10 4 0; end;");
  cap.fe.clear();
  doc.read_string("assume method=wctree");
  EXPECT_NE(cap.fe.logged.find("Computing QV_SPLITS from DISTANCES (Weak clusters, tree, greedily):  5 --> 5 "
                               "compatible\n 5 compatible\n"),
            std::string::npos) << cap.fe.logged;
  EXPECT_TRUE(doc.splits->valid());

  // From characters the distances are computed for them, also after a
  // method that needed none.
  tDocument dna;
  dna.read_string("begin taxa; dimensions ntax=4; taxlabels a b c d; end;"
                  "begin characters; dimensions nchar=6; format datatype=dna;"
                  " matrix a ACGTAA b ACGTAC c AGCTCC d AGCACC; end;");
  dna.read_string("assume method=stree");
  cap.fe.clear();
  dna.read_string("assume method=wctree");
  EXPECT_NE(cap.fe.logged.find("Computing DISTANCES from CHARACTERS (Hamming distances): ... done\n"
                               "Computing QV_SPLITS from DISTANCES (Weak clusters, tree, greedily): "),
            std::string::npos) << cap.fe.logged;
  EXPECT_TRUE(dna.splits->valid());
}
