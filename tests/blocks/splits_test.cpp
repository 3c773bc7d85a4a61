#include "blocks/blk_splits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_distances.h"
#include "blocks/blk_spectra.h"
#include "blocks/blk_taxa.h"
#include "document/document.h"
#include "nexus/nexus.h"
#include "tests/blocks/block_text.h"
#include "tests/support/capture.h"

namespace {

// A split as its stored side (the one holding taxon 1) and its weight.
struct tRow {
  std::vector<int> side;
  double weight;
  bool operator==(const tRow& o) const { return side == o.side && weight == o.weight; }
};
using tRows = std::vector<tRow>;

std::ostream& operator<<(std::ostream& os, const tRow& r)
{
  os << "{";
  for (int t : r.side)
    os << " " << t;
  return os << " } " << r.weight;
}

tRows rows_of(const tSplitsSystem* s)
{
  tRows rows;
  for (int n = 1; n <= s->get_n(); n++) {
    tRow r{{}, s->get_weight(n)};
    for (int t = 1; t <= s->get_ntax(); t++)
      if (s->get_split(n)->is_element(t))
        r.side.push_back(t);
    rows.push_back(r);
  }
  return rows;
}

// The printed block read back after its "BEGIN qv_splits".
void read_back(const tSplitsBlk& s, tTaxaBlk& taxa, tSplitsBlk& copy)
{
  const std::string text = printed(s, &taxa);
  ASSERT_EQ(text.rfind("BEGIN qv_splits", 0), 0u) << text;
  ASSERT_EQ(read_block(copy, taxa, text.substr(15)), 1) << text;
}

std::vector<int> cycle_of(const tSplitsSystem* s) { return s->cycle; }

const char* const FOUR = "a b c d";

} // namespace

TEST(SplitsBlock, SyntaxErrorsGiveTheirTextsAndLeaveTheBlockInvalid)
{
  const char* const cases[][2] = {
    {"MATRIX", "QV_SPLITS: Missing ';'"},
    {"; DIMENSIONS NTAX=5;", "QV_SPLITS-dimensions: Expected NTAX=4"},
    {"; DIMENSIONS NEWTAXA;", "QV_SPLITS-dimensions: NEWTAXA not implemented"},
    {"; DIMENSIONS NSPLITS=-1;", "QV_SPLITS-dimensions: Bad NSPLITS command"},
    {"; DIMENSIONS NTAX=4 NCHAR=2;", "QV_SPLITS-dimensions: Didn't find ';'"},
    {"; FORMAT NO TOKENS;", "QV_SPLITS-format: Usage: NO {LABELS|WEIGHTS|SPECTRUM}"},
    {"; FORMAT SPECTRUM NO WEIGHTS NO LABELS;", "QV_SPLITS-format: SPECTRUM: Must not specify both NO WEIGHTS and NO LABELS"},
    {"; FORMAT INTERLEAVE;", "QV_SPLITS-format: Unknown command: INTERLEAVE"},
    {"; FORMAT LABELS", "QV_SPLITS-format: Unexpected EOF"},
    {"; MINIMAL_REST=3;", "QV_SPLITS: Usage: MINIMAL_REST={0|1|2};"},
    {"; THRESHOLD=-1;", "QV_SPLITS: Usage: THRESHHOLD=non-negative-number;"},
    {"; PROPERTIES FIT=-2;", "QV_SPLITS-properties: Usage: FIT=non-negative-number;"},
    {"; PROPERTIES WEAKLY CYCLIC;", "QV_SPLITS-properties: Usage: WEAKLY COMPATIBLE"},
    {"; PROPERTIES NON SENSE;", "QV_SPLITS-properties: Unknown command: NON SENSE"},
    {"; PROPERTIES ODD;", "QV_SPLITS-properties: Unknown command: ODD"},
    {"; CYCLE 1 2 3 4 1;", "QV_SPLITS-cycle: Too many taxa"},
    {"; CYCLE 1 2 3;", "QV_SPLITS-cycle: Too few taxon"},
    {"; CYCLE 1 2 x 4;", "QV_SPLITS-cycle: Taxon expected (found: x)"},
    {"; CYCLE 1 2 5 4;", "QV_SPLITS-cycle: Taxon expected (found: 5)"},
    {"; CYCLE 1 2 b 4;", "QV_SPLITS-cycle: Taxon listed twice: b"},
    {"; DIMENSIONS NSPLITS=1; SPLITSLABELS x y;", "QV_SPLITS-splitslabels: Too many labels"},
    {"; SPLITSLABELS x;", "QV_SPLITS-splitslabels: Too many labels"},
    {"; MATRIX 2 1 1,", "QV_SPLITS-matrix: Inconsistent labels: 2 vs. 1"},
    {"; MATRIX 1 heavy 1,", "QV_SPLITS-matrix: Weight expected in row: 1"},
    {"; MATRIX 1 1 1 9,", "QV_SPLITS-matrix: Couldn't read split in row: 1"},
    {"; MATRIX 1 1 1-x,", "QV_SPLITS-matrix: Couldn't read split in row: 1"},
    {"; MATRIX 1 1 1,", "QV_SPLITS-matrix: Expected ';'"},
    {"; FORMAT SPECTRUM; MATRIX 16 1;", "QV_SPLITS-matrix: Number encoding set expected"},
    {"; FORMAT SPECTRUM; MATRIX 3 x;", "QV_SPLITS-matrix: Weight expected in row: 1"},
    {"; FORMAT SPECTRUM; MATRIX 3 1", "QV_SPLITS-matrix: Unexpected EOF"},
    {"; FORMAT NO LABELS; END", "QV_SPLITS: Didn't find MATRIX"},
    {"; SHOUT;", "QV_SPLITS: Unknown command: SHOUT"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    tCaptureScope cap;
    tTaxaBlk taxa;
    read_taxa(taxa, 4, FOUR);
    tSplitsBlk s;
    EXPECT_EQ(read_block(s, taxa, c[0]), 0);
    EXPECT_NE(cap.fe.logged.find(std::string("NEXUS syntax error in ") + c[1] + "\n"), std::string::npos)
        << cap.fe.logged;
    EXPECT_FALSE(s.valid());
  }

  // Cut off behind a complete MATRIX: the splits are there, the error is reported.
  tCaptureScope cap;
  tTaxaBlk four;
  read_taxa(four, 4, FOUR);
  tSplitsBlk cut;
  EXPECT_EQ(read_block(cut, four, "; MATRIX 1 1 1,;"), 0);
  EXPECT_NE(cap.fe.logged.find("NEXUS syntax error in QV_SPLITS: Unexpected EOF\n"), std::string::npos);
  EXPECT_EQ(cut.get_nsplits(), 1);

  tTaxaBlk none;
  tSplitsBlk s;
  EXPECT_EQ(read_block(s, none, "; MATRIX 1 1 1,; END"), 0);
  EXPECT_NE(cap.fe.logged.find("NEXUS syntax error in QV_SPLITS: Must be preceeded by TAXA-block\n"),
            std::string::npos);
  tTaxaBlk sixteen;
  read_taxa(sixteen, 16, "_AUTO_");
  EXPECT_EQ(read_block(s, sixteen, "; FORMAT SPECTRUM;"), 0);
  EXPECT_NE(cap.fe.logged.find("QV_SPLITS-format: Maximal number of taxa for SPECTRUM format is: 15\n"),
            std::string::npos);
  EXPECT_EQ(printed(s, &sixteen), "");
  EXPECT_NE(cap.fe.logged.find("No valid QV_SPLITS block\n"), std::string::npos);
}

TEST(SplitsBlock, RowsAreFilteredWithWarnings)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  read_taxa(taxa, 4, FOUR);
  cap.fe.clear();
  tSplitsBlk s;
  // Kept, under the threshold, the first one's complement, all taxa, negative, tiny but kept.
  ASSERT_EQ(read_block(s, taxa, "; DIMENSIONS NSPLITS=5; MATRIX 1 2 1 2, 2 0 1, 3 1.5 3 4, 4 1 1-4,"
                                " 5 -0.5 2, 6 1E-05 2,; END"), 1);
  EXPECT_EQ(rows_of(s.get_splits_system()), (tRows{{{1, 2}, 2}, {{1, 3, 4}, 1e-05}}));
  EXPECT_EQ(cap.fe.warnings, (std::vector<std::string>{"Same split in rows 1 and 2, ignoring latter",
                                                       "Input contains split of size zero",
                                                       "Expected (nsplits=5) rows, found 4"}));
  EXPECT_EQ(cap.fe.logged, "QV_SPLITS: Read 4 splits total, discarded 2 under threshold\n"
                           "QV_SPLITS: compatible\n"
                           "Computing configuration... cyclic\n"
                           "QV_SPLITS: cyclic\n");
  EXPECT_EQ(s.get_nsplits(), 2);

  // Numbers, labels and ranges name the taxa of a side, whichever side is given.
  const char* const forms[] = {"2 3 4", "b c d", "2-4", "2 - .", "b 3-4", "1", "a"};
  for (const char* form : forms) {
    SCOPED_TRACE(form);
    ASSERT_EQ(read_block(s, taxa, std::string("; FORMAT NO LABELS NO WEIGHTS; THRESHOLD=0.5;"
                                              " MATRIX ") + form + ",; END"), 1);
    EXPECT_EQ(rows_of(s.get_splits_system()), (tRows{{{1}, 1}}));
    EXPECT_EQ(s.get_threshold(), 0.5);
  }
  ASSERT_EQ(read_block(s, taxa, "; THRESHOLD=1E-3; MATRIX 1 2E-4 1, 2 3 1 2,; END"), 1);
  EXPECT_EQ(rows_of(s.get_splits_system()), (tRows{{{1, 2}, 3}}));
}

TEST(SplitsBlock, PrintsItsFormatAndReadsBack)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  read_taxa(taxa, 5, "a b c d e");
  tSplitsBlk s;
  ASSERT_EQ(read_block(s, taxa, "; DIMENSIONS NTAX=5 NSPLITS=2; MINIMAL_REST=1; THRESHOLD=0.1;"
                                " PROPERTIES FIT=97.5 WEAKLY COMPATIBLE; CYCLE a c b d e;"
                                " SPLITSLABELS first 'two words'; MATRIX first 1.5 4 5, 'two words' 0.25 a b,; END"),
            1);
  const std::string text = printed(s, &taxa);
  EXPECT_EQ(text, "BEGIN qv_splits;\n"
                  "    DIMENSIONS ntax=5 nsplits=2;\n"
                  "    FORMAT\n        labels\n        weights\n    ;\n"
                  "    MINIMAL_REST=1;\n"
                  "    THRESHOLD=0.1;\n"
                  "    PROPERTIES\n        FIT=97.5\n        weakly compatible\n    ;\n"
                  "    CYCLE 1 3 2 4 5;\n"
                  "    SPLITSLABELS first 'two words';\n"
                  "    MATRIX\n"
                  "    first      1.5   \t 4 5,\n"
                  "    'two words'  0.25\t 1 2,\n"
                  "    ;\nEND;\n");
  tSplitsBlk copy;
  read_back(s, taxa, copy);
  EXPECT_EQ(printed(copy, &taxa), text);
  EXPECT_EQ(rows_of(copy.get_splits_system()), (tRows{{{1, 2, 3}, 1.5}, {{1, 2}, 0.25}}));
}

TEST(SplitsBlock, LongListsWrapAndStillReadBack)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  read_taxa(taxa, 60, "_AUTO_");
  std::string matrix = "; FORMAT NO LABELS; MATRIX";
  for (int k = 1; k < 60; k++)
    matrix += " " + std::to_string(k * 1.234567e-5) + " 1-" + std::to_string(k) + ",";
  tSplitsBlk s;
  ASSERT_EQ(read_block(s, taxa, matrix + "; END"), 1);
  ASSERT_EQ(s.get_nsplits(), 59);
  const std::string text = printed(s, &taxa);
  size_t longest = 0;
  for (size_t from = 0, to; (to = text.find('\n', from)) != std::string::npos; from = to + 1)
    longest = std::max(longest, to - from);
  EXPECT_LT(longest, 80u) << text;
  const size_t rows_from = text.find("    MATRIX\n"), rows_to = text.find("    ;\nEND;");
  ASSERT_NE(rows_from, std::string::npos);
  EXPECT_GT(std::count(text.begin() + rows_from, text.begin() + rows_to, '\n'), 60) << "rows are continued";

  // Read back, it prints the same: the weights as far as they are written.
  tSplitsBlk copy;
  read_back(s, taxa, copy);
  EXPECT_EQ(printed(copy, &taxa), text);
  EXPECT_STREQ(copy.get_cyclicity(), s.get_cyclicity());
}

TEST(SplitsBlock, SpectrumRowsAreCodedSplits)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  read_taxa(taxa, 4, FOUR);
  tSplitsBlk s;
  // {1,2}; its complement; {1}; under the threshold; the empty code; {2,3,4} = complement of {1}.
  ASSERT_EQ(read_block(s, taxa, "; DIMENSIONS NSPLITS=6; FORMAT SPECTRUM;"
                                " MATRIX 3 2.5 12 1 1 0.5 2 0 0 7 14 1; END"), 1);
  EXPECT_EQ(rows_of(s.get_splits_system()), (tRows{{{1, 2}, 2.5}, {{1}, 0.5}}));
  EXPECT_EQ(cap.fe.warnings, (std::vector<std::string>{"Identical splits in rows 1 and 2, ignoring the latter one",
                                                       "Identical splits in rows 2 and 3, ignoring the latter one",
                                                       "Expected (nsplits=6) rows, found 3"}));
  EXPECT_NE(cap.fe.logged.find("QV_SPLITS: Read 3 splits total, discarded 1 small ones\n"), std::string::npos);
  EXPECT_NE(printed(s, &taxa).find("    MATRIX\n           3 2.5\n           1 0.5\n    ;\n"), std::string::npos);

  // Without labels the row is its weight and the code its row number less one;
  // printed, the codes come back and the format says so.
  ASSERT_EQ(read_block(s, taxa, "; FORMAT SPECTRUM NO LABELS; MATRIX 9 1 2 0.5; END"), 1);
  cap.fe.clear();
  tSplitsBlk copy;
  read_back(s, taxa, copy);
  EXPECT_EQ(cap.fe.warnings, (std::vector<std::string>{"FORMAT SPECTRUM NO LABELS not implemented, ignoring NO LABELS"}));
  EXPECT_EQ(rows_of(copy.get_splits_system()), (tRows{{{1}, 1}, {{1, 3, 4}, 2}, {{1, 2}, 0.5}}));
}

TEST(SplitsBlock, NonCompatibleInputIsReducedAndLabelsFollowTheirSplits)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  read_taxa(taxa, 4, FOUR);
  tSplitsBlk s;
  // Three pairwise incompatible splits are not weakly compatible; the two
  // heaviest stay, in order of weight. The discarded row takes its label along.
  ASSERT_EQ(read_block(s, taxa, "; DIMENSIONS NSPLITS=4; SPLITSLABELS none x y z;"
                                " MATRIX none 0 1 2, x 1 1 2, y 3 1 3, z 2 1 4,; END"), 1);
  EXPECT_EQ(rows_of(s.get_splits_system()), (tRows{{{1, 3}, 3}, {{1, 4}, 2}}));
  EXPECT_STREQ(s.get_label(1), "y");
  EXPECT_STREQ(s.get_label(2), "z");
  EXPECT_NE(cap.fe.logged.find("Not w.c.: 1 2 3\nQV_SPLITS: non compatible\n"
                               "QV_SPLITS: GREEDILY chose system of 2 weakly compatible splits\n"),
            std::string::npos) << cap.fe.logged;
  EXPECT_STREQ(s.get_compatibility(), "weakly compatible");

  cap.fe.clear();
  ASSERT_EQ(read_block(s, taxa, "; PROPERTIES NON COMPATIBLE NON CYCLIC; MATRIX 1 1 1 2, 2 2 1,; END"), 1);
  EXPECT_NE(cap.fe.logged.find("QV_SPLITS: GREEDILY chose system of 2 compatible splits\n"), std::string::npos);
  EXPECT_EQ(rows_of(s.get_splits_system()), (tRows{{{1}, 2}, {{1, 2}, 1}}));
  EXPECT_STREQ(s.get_cyclicity(), "cyclic");
}

TEST(SplitsBlock, EveryBlockDescribesItselfAndKeepsItsCycle)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  read_taxa(taxa, 4, FOUR);
  tSplitsBlk s;
  ASSERT_EQ(read_block(s, taxa, "; FORMAT NO WEIGHTS SPECTRUM; THRESHOLD=0.5; SPLITSLABELS; MATRIX 3 5; END"), 1);
  // A cycle given before the MATRIX stays, also over earlier splits.
  cap.fe.clear();
  ASSERT_EQ(read_block(s, taxa, "; CYCLE a c b d; MATRIX 1 1 1 2, 2 1 1 3,; END"), 1);
  EXPECT_EQ(rows_of(s.get_splits_system()), (tRows{{{1, 2}, 1}, {{1, 3}, 1}}));
  EXPECT_EQ(cycle_of(s.get_splits_system()), (std::vector<int>{0, 1, 3, 2, 4}));
  EXPECT_EQ(cap.fe.logged.find("Computing configuration"), std::string::npos);
  EXPECT_EQ(s.get_cyclicity(), nullptr);
  EXPECT_FALSE(s.has_labels());
  // An empty CYCLE drops it: the cycle is computed.
  ASSERT_EQ(read_block(s, taxa, "; CYCLE ; MATRIX 1 1 1 2, 2 1 1 3,; END"), 1);
  EXPECT_EQ(cycle_of(s.get_splits_system()), (std::vector<int>{0, 1, 2, 4, 3}));
  EXPECT_STREQ(s.get_cyclicity(), "cyclic");
}

TEST(SplitsBlock, RestrictionInducesFromTheFullSystem)
{
  tCaptureScope cap;
  const std::string taxa_text = "begin taxa; dimensions ntax=5; taxlabels a b c d e; end;";
  const std::string block = " dimensions nsplits=4; splitslabels s1 s2 s3 s4;"
                            " matrix s1 1 1 2, s2 2 1 2 3, s3 3 1 3, s4 0.5 4,; end;";
  tDocument doc;
  doc.read_string((taxa_text + "begin qv_splits;" + block).c_str());
  tSplitsBlk& s = *doc.splits;
  ASSERT_TRUE(s.valid());
  ASSERT_STREQ(s.get_compatibility(), "weakly compatible");

  tTaxaBlk full_taxa;
  read_taxa(full_taxa, 5, "a b c d e");
  tSplitsBlk full;
  ASSERT_EQ(read_block(full, full_taxa, ";" + block), 1);
  auto by_hand = [&](std::vector<int> active) {
    tSet support(5);
    for (int t : active)
      support.insert(t);
    tSplitsSystem induced;
    induced.induce(full.get_splits_system(), &support);
    return rows_of(&induced);
  };

  cap.fe.clear();
  doc.read_string("assume extaxa=c");
  EXPECT_EQ(rows_of(s.get_splits_system()), by_hand({1, 2, 4, 5}));
  EXPECT_EQ(rows_of(s.get_splits_system()), (tRows{{{1, 2}, 1}, {{1}, 3}, {{1, 2, 4}, 0.5}}));
  EXPECT_NE(cap.fe.logged.find("Determining induced QV_SPLITS: 3 compatible\n"), std::string::npos)
      << cap.fe.logged;
  EXPECT_EQ((std::vector<std::string>{s.get_label(1), s.get_label(2), s.get_label(3)}),
            (std::vector<std::string>{"s1", "s3", "s4"}));

  // Later restrictions start again from the full system, its labels and its compatibility.
  doc.read_string("assume extaxa=a");
  EXPECT_EQ(rows_of(s.get_splits_system()), by_hand({2, 3, 4, 5}));
  doc.read_string("assume extaxa=;");
  EXPECT_EQ(rows_of(s.get_splits_system()), rows_of(full.get_splits_system()));
  EXPECT_STREQ(s.get_compatibility(), "weakly compatible");
  EXPECT_STREQ(s.get_label(2), "s2");
  EXPECT_EQ(s.get_ntax(), 5);

  // A block read while taxa are excluded cannot be placed on the full list;
  // a further restriction leaves no splits instead of failing.
  doc.read_string("assume extaxa=e");
  doc.read_string("begin qv_splits; matrix 1 1 a b,; end;");
  ASSERT_EQ(s.get_nsplits(), 1);
  doc.read_string("assume extaxa=d");
  EXPECT_TRUE(s.valid());
  EXPECT_EQ(s.get_nsplits(), 0);
  EXPECT_EQ(cap.fe.fatal, "");
}

TEST(SplitsBlock, ComputesFromDistancesByTheChosenMethod)
{
  tCaptureScope cap;
  tDocument doc;
  doc.read_string("begin taxa; dimensions ntax=4; taxlabels a b c d; end;"
                  "begin distances; format triangle=both;"
                  " matrix a 0 2 4 4 b 2 0 4 4 c 4 4 0 2 d 4 4 2 0; end;");
  tSplitsBlk& s = *doc.splits;
  const tRows tree = {{{1, 2, 3}, 1}, {{1, 2, 4}, 1}, {{1, 2}, 2}, {{1, 3, 4}, 1}, {{1}, 1}};
  ASSERT_TRUE(s.valid());
  EXPECT_EQ(rows_of(s.get_splits_system()), tree);
  EXPECT_NE(cap.fe.logged.find("Computing QV_SPLITS from DISTANCES (Split Decomposition):  5 compatible\n"
                               "Fit:100\nComputing configuration... cyclic\n"),
            std::string::npos) << cap.fe.logged;
  EXPECT_EQ(s.get_fit(), 100.0);
  cap.fe.clear();
  s.show_info();
  EXPECT_EQ(cap.fe.logged, "Valid QV_SPLITS block: 5 compatible splits (cyclic)\n");

  doc.read_string("assume method=dtree");
  EXPECT_EQ(rows_of(s.get_splits_system()), tree);
  EXPECT_NE(cap.fe.logged.find("(Buneman Tree):  5 compatible\n"), std::string::npos);

  // Not a tree: split decomposition gives six weakly compatible splits, and
  // the greedy tree keeps the five that fit into one tree.
  doc.read_string("assume method=dsplits;"
                  "begin distances; format triangle=both;"
                  " matrix a 0 3 4 5 b 3 0 5 4 c 4 5 0 3 d 5 4 3 0; end;");
  EXPECT_EQ(s.get_nsplits(), 6);
  EXPECT_STREQ(s.get_compatibility(), "weakly compatible");
  cap.fe.clear();
  doc.read_string("assume greedy_tree");
  EXPECT_NE(cap.fe.logged.find("Computing compatible sub-system (GREEDY TREE): 5\n"), std::string::npos);
  EXPECT_EQ(s.get_nsplits(), 5);
  EXPECT_STREQ(s.get_compatibility(), "compatible");
}

TEST(SplitsBlock, ComputeFollowsTheUpdateBits)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  read_taxa(taxa, 4, FOUR);
  tAssumptionsBlk a;
  tDistancesBlk d;
  tSpectraBlk spectra;
  tCharactersBlk characters;
  {
    tNexusInput in;
    in.OpenString("; FORMAT TRIANGLE=BOTH; MATRIX a 0 2 4 4 b 2 0 4 4 c 4 4 0 2 d 4 4 2 0; END");
    ASSERT_EQ(d.read(&in, &taxa), 1);
  }
  tSplitsBlk s;
  auto compute = [&](int bits, int flag) {
    a.update.post(bits);
    s.compute(&taxa, &a, &d, &spectra, &characters, flag);
  };

  // The bootstrap's pass: no compatibility test, no fit, no cycle. The
  // computed splits drop the format and filter of the block read before.
  ASSERT_EQ(read_block(s, taxa, "; FORMAT NO WEIGHTS; THRESHOLD=0.5; MATRIX 1 1 2,; END"), 1);
  a.transform = "HAMMING";
  compute(8, 0);
  EXPECT_EQ(s.get_threshold(), 0.0);
  EXPECT_NE(printed(s, &taxa).find("        weights\n"), std::string::npos);
  ASSERT_TRUE(s.valid());
  EXPECT_STREQ(s.get_compatibility(), "");
  EXPECT_FALSE(s.get_splits_system()->has_cycle());
  EXPECT_EQ(s.get_fit(), 0.0);
  EXPECT_EQ(a.update.updates, 16 | 512);

  // NONE stops before computing: the splits stay, only the graph is due.
  a.update.updates = 0;
  a.method = "NONE";
  compute(8, 1);
  EXPECT_EQ(s.get_nsplits(), 5);
  EXPECT_EQ(a.update.updates, 16);

  // FM_MATRIX falls back to no transform and asks for the splits again.
  a.method = "DSPLITS";
  a.edge_transform = "FM_MATRIX";
  compute(128, 1);
  EXPECT_EQ(cap.fe.warnings, (std::vector<std::string>{"edge_transform=FM_MATRIX: Not implemented\n"}));
  EXPECT_EQ(a.edge_transform, "NONE");
  EXPECT_TRUE(a.update.check(8));

  // A restriction while the splits are due but cannot be recomputed (no
  // input for DTREE) still induces them.
  a.update.updates = 0;
  a.method = "DTREE";
  tDistancesBlk no_distances;
  std::vector<char> flags = {0, 0, 0, 1, 0};
  taxa.set_active_taxa(flags.data());
  a.update.post(1 | 8);
  s.compute(&taxa, &a, &no_distances, &spectra, &characters, 1);
  EXPECT_TRUE(s.valid());
  EXPECT_EQ(rows_of(s.get_splits_system()), (tRows{{{1, 2}, 1}, {{1, 3}, 1}, {{1}, 1}}));
  EXPECT_EQ(s.get_nsplits(), 3);
  EXPECT_EQ(s.get_ntax(), 3);
}
