#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "blocks/blk_splits.h"
#include "blocks/blk_taxa.h"
#include "blocks/blk_trees.h"
#include "core/sets.h"
#include "document/document.h"
#include "nexus/nexus.h"
#include "splits/splits_sys.h"
#include "tests/support/capture.h"
#include "tests/support/run.h"

namespace {

const char* const FIVE_TAXA = "begin taxa; dimensions ntax=5; taxlabels a b c d e; end;";

// The weight of the split with `side` on one side (NaN when there is none).
double weight_of(const tDocument& doc, const std::vector<int>& side)
{
  const tSplitsSystem* s = doc.splits->get_splits_system();
  const int n = s->get_ntax();
  for (int i = 1; i <= s->get_n(); i++) {
    const tSet* split = s->get_split(i);
    int in = 0;
    for (int t : side)
      in += split->is_element(t) ? 1 : 0;
    int total = 0;
    for (int t = 1; t <= n; t++)
      total += split->is_element(t) ? 1 : 0;
    const int sz = static_cast<int>(side.size());
    if ((in == sz && total == sz) || (in == 0 && total == n - sz))
      return s->get_weight(i);
  }
  return NAN;
}

std::string printed(const tDocument& doc, bool trees)
{
  tNexusOutput out;
  out.OpenString();
  if (trees)
    doc.trees->print(&out, doc.taxa.get());
  else
    doc.splits->print(&out, doc.taxa.get());
  return out.GetString();
}

} // namespace

// Two trees of one topology and one of another: the threshold decides
// whether the conflicting split joins the majority ones, weighted by the
// fraction of trees; keys by number and by label are the same trees.
TEST(Trees, ConsensusKeepsTheSplitsOverTheThreshold)
{
  tCaptureScope capture;
  const std::string by_number = std::string(FIVE_TAXA) +
                                "begin trees; translate 1 a, 2 b, 3 c, 4 d, 5 e;"
                                " tree one = ((1,2),3,(4,5)); tree two = ((2,1),3,(5,4)); tree three = ((1,3),2,(4,5));"
                                " end;";
  const std::string by_label = std::string(FIVE_TAXA) +
                               "begin trees; tree one = ((a,b),c,(d,e)); tree two = ((b,a),c,(e,d));"
                               " tree three = ((a,c),b,(d,e)); end;";
  std::string at_half;
  for (const std::string& text : {by_number, by_label}) {
    tDocument doc;
    ASSERT_EQ(doc.read_string((text + "assume method=consensus; assume consensus_threshold=0.5;").c_str()), 1);
    ASSERT_EQ(doc.trees->get_ntrees(), 3);
    ASSERT_TRUE(doc.splits->valid());
    EXPECT_EQ(doc.splits->get_nsplits(), 7) << "five trivial splits and two of the majority";
    EXPECT_DOUBLE_EQ(weight_of(doc, {1, 2}), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(weight_of(doc, {4, 5}), 1.0);
    EXPECT_TRUE(std::isnan(weight_of(doc, {1, 3})));
    if (at_half.empty())
      at_half = printed(doc, false);
    EXPECT_EQ(printed(doc, false), at_half);

    doc.read_string("assume consensus_threshold=0.3;");
    EXPECT_EQ(doc.splits->get_nsplits(), 8);
    EXPECT_DOUBLE_EQ(weight_of(doc, {1, 3}), 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(weight_of(doc, {1, 2}), 2.0 / 3.0);
    EXPECT_TRUE(doc.sgraph->valid());

    // One tree alone, weighted by its lengths (1 where none is written).
    doc.read_string("assume method=tree n=3;");
    EXPECT_EQ(doc.splits->get_nsplits(), 7);
    EXPECT_DOUBLE_EQ(weight_of(doc, {1, 3}), 1.0);
    EXPECT_TRUE(std::isnan(weight_of(doc, {1, 2})));
  }
  EXPECT_TRUE(capture.fe.warnings.empty()) << capture.fe.warnings[0];
}

// Polytomies, missing and given lengths, rooted and unrooted trees, UTREE
// and quoted labels print and read back to the same text; the mean length
// weighs what the trees give.
TEST(Trees, PrintedBlockReadsBackToTheSameText)
{
  tCaptureScope capture;
  tDocument doc;
  ASSERT_EQ(doc.read_string("begin trees; translate 1 'Homo sapiens', 2 Pan, 3 Gorilla, 4 Pongo, 5 'x''y';"
                            " tree 'first tree' = [&R] ((1:0.5,2:1.5):2,3:1,(4:1,5:1):0.25);"
                            " utree * u = [&U] (1,2,3,4,5);"
                            " tree third = ((1:1e-7,2:3):4,(3,4,5)90);"
                            " end;"),
            1);
  ASSERT_EQ(doc.taxa->get_ntax(), 5) << "the block defines the taxa";
  EXPECT_STREQ(doc.taxa->getlabel(5), "x'y");
  const std::string text = printed(doc, true);
  tDocument again;
  ASSERT_EQ(again.read_string(text.c_str()), 1);
  EXPECT_EQ(printed(again, true), text);

  doc.read_string("assume method=consensus; assume consensus_threshold=0.5; assume consensus_weight=mean;");
  // 2, and 4 + 1 on the two root edges of the third tree (one without a length)
  EXPECT_DOUBLE_EQ(weight_of(doc, {1, 2}), 3.5);
  EXPECT_DOUBLE_EQ(weight_of(doc, {2}), 5.5 / 3.0);  // 1.5, 1 (none given) and 3
  doc.read_string("assume consensus_weight=median;");
  EXPECT_DOUBLE_EQ(weight_of(doc, {2}), 1.5);
}

// A tree that names an unknown taxon or one taxon twice is refused with its
// name and position; the others are kept, and since a refused tree would be
// lost on saving, the block is written back in its own words.
TEST(Trees, RefusedTreesAreNamedAndTheirBlockKept)
{
  tCaptureScope capture;
  tTempDir dir;
  tDocument doc;
  const std::string block = "begin trees; tree good = ((a,b),c,(d,e)); tree bad = ((a,b),c,(d,f));"
                            " tree twice = ((a,b),a,(d,e)); tree fine = ((a,c),b,(d,e)); end;";
  ASSERT_EQ(doc.read_string((std::string(FIVE_TAXA) + block).c_str()), 1);
  EXPECT_EQ(doc.trees->get_ntrees(), 2);
  const std::string& log = capture.fe.logged;
  EXPECT_NE(log.find("TREES: tree bad (number 2) refused: unknown taxon f\n"), std::string::npos) << log;
  EXPECT_NE(log.find("TREES: tree twice (number 3) refused: taxon a appears twice\n"), std::string::npos) << log;
  ASSERT_EQ(capture.fe.warnings.size(), 1u);
  EXPECT_EQ(capture.fe.warnings[0], "TREES: 2 of 4 trees refused (the log says why)");

  const std::string file = dir.file("saved.nex");
  doc.read_string(("save " + file).c_str());
  tDocument again;
  ASSERT_EQ(again.read_file(file.c_str()), 1);
  EXPECT_EQ(again.get_foreign_blocks(), std::vector<std::string>{block});
  EXPECT_EQ(again.trees->get_ntrees(), 2) << "the trees are neither lost nor doubled";
  EXPECT_EQ(printed(again, true), printed(doc, true));
}
