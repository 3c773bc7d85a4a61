// Parsimony splits and the parsimony splits tree: the hand-worked quartet
// case, characters of a perfect phylogeny, and the fast scan against the
// literal indices on random characters with missing data, gaps and
// excluded sites.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_taxa.h"
#include "core/random.h"
#include "core/sets.h"
#include "nexus/nexus.h"
#include "splits/splits_p.h"
#include "splits/splits_p_tree.h"
#include "splits/splits_sys.h"
#include "tests/splits/numbered_data.h"
#include "tests/support/capture.h"

namespace {

using tListing = std::map<std::string, double>;

// Taxa t1..tn with DNA rows (missing '?', gap '-').
struct tChars : tNumberedData {
  explicit tChars(const std::vector<std::string>& rows) : tNumberedData(rows) {}

  tListing run(bool tree)
  {
    tSplitsSystem s;
    s.set_ntax(taxa.get_ntax());
    EXPECT_EQ(tree ? s.parsimony_splits_tree(&assumptions, &characters)
                   : s.parsimony_splits(&assumptions, &characters), 1);
    tListing out;
    for (int i = 1; i <= s.get_n(); i++) {
      std::string side;
      for (int x = 1; x <= s.get_ntax(); x++)
        if (s.get_split(i)->is_element(x))
          side += (side.empty() ? "" : " ") + std::to_string(x);
      EXPECT_EQ(out.count(side), 0u) << side;
      out[side] = s.get_weight(i);
    }
    return out;
  }
};

} // namespace

TEST(ParsimonySplits, QuartetWithOneConflictingSite)
{
  tCaptureScope cap;
  // Three sites AACC and one ACAC: every taxon agrees with another one at
  // each site, so no pendant split.
  tChars data({"AAAA", "AAAC", "CCCA", "CCCC"});
  EXPECT_EQ(data.run(false), (tListing{{"1 2", 3}, {"1 3", 1}}));
  EXPECT_EQ(data.run(true), (tListing{{"1 2", 2}}));
  // Excluding the conflicting site leaves 12|34 alone with all three sites.
  data.assumptions.exset.assign(5, 0);
  data.assumptions.exset[4] = 1;
  data.assumptions.update.post(2);
  data.characters.compute(&data.taxa, &data.assumptions);
  EXPECT_EQ(data.run(false), (tListing{{"1 2", 3}}));
  EXPECT_TRUE(cap.fe.warnings.empty());
}

TEST(ParsimonySplits, PerfectPhylogenyGivesItsTree)
{
  tCaptureScope cap;
  ref_srand(13);
  for (int n : {5, 9, 16}) {
    // The tree's splits in normal form (the side of taxon 1), and one to
    // three sites per split, each with two random states.
    std::set<std::string> tree;
    std::vector<std::string> rows(static_cast<size_t>(n));
    for (const std::vector<int>& cluster : random_tree_clusters(n)) {
      std::vector<char> in(static_cast<size_t>(n) + 1, 0);
      for (int x : cluster)
        in[static_cast<size_t>(x)] = 1;
      std::string side;
      for (int x = 1; x <= n; x++)
        if (in[static_cast<size_t>(x)] == in[1])
          side += (side.empty() ? "" : " ") + std::to_string(x);
      tree.insert(side);
      for (int k = 1 + ref_rand() % 3; k > 0; k--) {
        const int i = ref_rand() % 4, j = (i + 1 + ref_rand() % 3) % 4;
        const char x = "ACGT"[i], y = "ACGT"[j];
        for (int t = 1; t <= n; t++)
          rows[static_cast<size_t>(t - 1)] += in[static_cast<size_t>(t)] ? x : y;
      }
    }
    tChars data(rows);
    for (bool as_tree : {true, false}) {
      const tListing got = data.run(as_tree);
      std::set<std::string> sides;
      for (const auto& [side, w] : got) {
        sides.insert(side);
        EXPECT_GT(w, 0.0);
      }
      EXPECT_EQ(sides, tree) << n << (as_tree ? " PTREE" : " PSPLITS");
    }
  }
}

// The memoised bit-set scan must give the literal indices, whatever the
// missing data, gaps, gap mode and excluded sites.
TEST(ParsimonySplits, FastScanMatchesLiteralIndex)
{
  tCaptureScope cap;
  ref_srand(7);
  int positive = 0, total = 0;
  for (int round = 0; round < 6; round++) {
    const int n = 5 + round, nchar = 40 + 37 * round;
    std::vector<std::string> rows(static_cast<size_t>(n));
    // Few states and a shared base row, so that scores are often positive.
    std::string base;
    for (int c = 0; c < nchar; c++)
      base += "ACGT"[ref_rand() % 2];
    for (std::string& r : rows) {
      r = base;
      for (char& x : r) {
        const int u = ref_rand() % 20;
        x = u == 0 ? '?' : u == 1 ? '-' : u < 6 ? "ACGT"[ref_rand() % 4] : x;
      }
    }
    tChars data(rows);
    data.assumptions.exset.assign(static_cast<size_t>(nchar) + 1, 0);
    for (int c = 1; c <= nchar; c += 7)
      data.assumptions.exset[static_cast<size_t>(c)] = 1;
    data.assumptions.update.post(2);
    data.characters.compute(&data.taxa, &data.assumptions);
    for (int gapmode = 0; gapmode <= 1; gapmode++) {
      const tSiteRows sites = tSiteRows::from_characters(gapmode, &data.characters);
      for (tParsimonyRule rule : {tParsimonyRule::splits, tParsimonyRule::tree}) {
        tParsimonyScan scan(sites, rule);
        // The counts the refined computation reads, repeated taxa included.
        for (int trial = 0; trial < 40; trial++) {
          const int q[4] = {1 + ref_rand() % n, 1 + ref_rand() % n, 1 + ref_rand() % n, 1 + ref_rand() % n};
          const tGroupings fast = scan.groupings(q[0], q[1], q[2], q[3]);
          const tGroupings want = p_groupings(gapmode, q[0], q[1], q[2], q[3], &data.characters);
          EXPECT_EQ(fast.a1a2_b1b2, want.a1a2_b1b2);
          EXPECT_EQ(fast.a1b1_a2b2, want.a1b1_a2b2);
          EXPECT_EQ(fast.a1b2_a2b1, want.a1b2_a2b1);
        }
        for (int t = 2; t <= n; t++) {
          scan.start_level(t);
          for (int trial = 0; trial < 12; trial++) {
            std::vector<unsigned char> inA(static_cast<size_t>(t) + 1, 0);
            tSet A(t);
            inA[static_cast<size_t>(t)] = 1;
            A.insert(t);
            for (int x = 1; x < t; x++)
              if (ref_rand() % 3 == 0) {
                inA[static_cast<size_t>(x)] = 1;
                A.insert(x);
              }
            const int want = rule == tParsimonyRule::splits ? p_index(gapmode, t, &A, &data.characters)
                                                            : p_index_tree(gapmode, t, &A, &data.characters);
            EXPECT_EQ(scan.index(inA.data()), want) << "t=" << t << " gap mode " << gapmode;
            positive += want > 0;
            total++;
          }
        }
      }
    }
  }
  // Not a comparison of zeros only.
  EXPECT_GT(positive, total / 10) << positive << " of " << total;
}
