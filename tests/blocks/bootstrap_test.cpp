// QV_BOOTSTRAP block: the samples, the computation and its independence of
// the number of threads, reading and printing.
#include "blocks/blk_bootstrap.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "blocks/blk_characters.h"
#include "core/random.h"
#include "document/document.h"
#include "nexus/nexus.h"
#include "tests/support/capture.h"

namespace {

// Splits of a tree on six taxa a..f: three inner edges and the six leaves.
const std::vector<std::vector<int>> TREE6 = {{1, 2}, {1, 2, 3}, {5, 6}, {1}, {2}, {3}, {4}, {5}, {6}};

// An alignment on which every site follows one of `splits` (A on its side,
// C elsewhere), `per_split` sites each; with `noise`, a few states are
// changed by a fixed-seed generator.
std::string alignment(int ntax, const std::vector<std::vector<int>>& splits, int per_split, int noise)
{
  std::vector<std::string> rows(static_cast<size_t>(ntax) + 1);
  unsigned state = 7;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 16) & 32767);
  };
  for (int k = 0; k < per_split; k++)
    for (const std::vector<int>& side : splits)
      for (int t = 1; t <= ntax; t++) {
        bool in = false;
        for (int s : side)
          in = in || s == t;
        char c = in ? 'A' : 'C';
        if (noise > 0 && next() % 100 < noise)
          c = "ACGT"[next() % 4];
        rows[static_cast<size_t>(t)] += c;
      }
  std::string text = "begin taxa; dimensions ntax=" + std::to_string(ntax) + "; taxlabels";
  for (int t = 1; t <= ntax; t++)
    text += " t" + std::to_string(t);
  text += "; end; begin characters; dimensions nchar=" + std::to_string(rows[1].size()) +
          "; format datatype=dna; matrix";
  for (int t = 1; t <= ntax; t++)
    text += " t" + std::to_string(t) + " " + rows[static_cast<size_t>(t)];
  return text + "; end;";
}

// Eight taxa whose sites mostly follow a tree, with one state in five changed.
std::string noisy8()
{
  return alignment(8, {{1, 2}, {1, 2, 3}, {4, 5}, {6, 7, 8}, {7, 8}, {1, 4}}, 12, 20);
}

// Restores the thread setting of the test's thread.
class tThreadsScope {
public:
  explicit tThreadsScope(int n) : saved(get_bootstrap_threads()) { set_bootstrap_threads(n); }
  ~tThreadsScope() { set_bootstrap_threads(saved); }

private:
  int saved;
};

class Bootstrap : public testing::Test {
protected:
  tCaptureScope capture;
  tDocument doc;

  void load(const std::string& data)
  {
    ASSERT_EQ(doc.read_string(data.c_str()), 1);
    ASSERT_TRUE(doc.splits->valid());
    ASSERT_TRUE(doc.sgraph->valid());
    capture.fe.clear();
  }
  std::string block() const
  {
    tNexusOutput out;
    out.OpenString();
    doc.bootstrap->print(&out, doc.taxa.get());
    return out.GetString();
  }
  std::vector<int> supports() const
  {
    const std::vector<int>* s = doc.bootstrap->get_support();
    return s ? *s : std::vector<int>();
  }
  // The printed block and the log of one BOOTSTRAP command.
  std::pair<std::string, std::string> bootstrap(const std::string& command)
  {
    capture.fe.clear();
    doc.read_string(command.c_str());
    return {block(), capture.fe.transcript};
  }
};

} // namespace

// ---------------------------------------------------------------- samples

TEST(BootstrapSample, FirstRunOfSeedOneTakesTheColumnsWorkedOutByHand)
{
  // state = state * 1103515245 + 12345 from 1 gives the values
  // 16838 5758 10113 17515 31051 5627 23010 7419 16212 4086, and a value r
  // picks column trunc(r * nchar * f + 1) with f = 1/32767 in single precision.
  ref_srand(1);
  EXPECT_EQ(tCharactersBlk::draw_sample_columns(10, 10), (std::vector<int>{0, 6, 2, 4, 6, 10, 2, 8, 3, 5, 2}));
  ref_srand(1);
  EXPECT_EQ(tCharactersBlk::draw_sample_columns(2000, 5), (std::vector<int>{0, 1028, 352, 618, 1070, 1896}));
  // The single-precision f is a little below 1/32767: with 32767 columns the
  // value itself is the column, where the exact quotient would give r + 1.
  ref_srand(1);
  EXPECT_EQ(tCharactersBlk::draw_sample_columns(32767, 3), (std::vector<int>{0, 16838, 5758, 10113}));

  // The sample takes those columns of every row.
  tCharMatrix source(3, std::vector<unsigned char>(11, 0));
  for (int c = 1; c <= 10; c++) {
    source[1][c] = static_cast<unsigned char>('a' + c - 1);
    source[2][c] = static_cast<unsigned char>('A' + c - 1);
  }
  tCharactersBlk ch;
  ref_srand(1);
  ch.sample(2, 10, 10, source);
  EXPECT_TRUE(ch.valid());
  ASSERT_EQ(ch.get_nchar(), 10);
  std::string row1, row2;
  for (int s = 1; s <= 10; s++) {
    row1 += static_cast<char>(ch.get_matrix(1, s));
    row2 += static_cast<char>(ch.get_matrix(2, s));
  }
  EXPECT_EQ(row1, "fbdfjbhceb");
  EXPECT_EQ(row2, "FBDFJBHCEB");
}

// ---------------------------------------------------------------- computing

TEST_F(Bootstrap, TreeLikeDataSupportsEveryTreeSplitFully)
{
  load(alignment(6, TREE6, 20, 0));
  ASSERT_EQ(doc.splits->get_nsplits(), 9);
  std::vector<int> full(10, 10000);
  full[0] = 0;
  bootstrap("bootstrap 100");
  EXPECT_EQ(supports(), full);
  const std::string log = capture.fe.logged;
  EXPECT_NE(log.find("begin QV_BOOTSTRAP;runs=100;end;\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Compressed bootstrapping assumptions:\nBEGIN qv_assumptions;\n"
                     "    DIMENSIONS ntax=6 nchar=180;\n"),
            std::string::npos)
    << log;
  EXPECT_NE(log.find("Bootstrapping: ....50....100 done\n"), std::string::npos) << log;
  // No other split was ever found.
  const std::string printed = block();
  EXPECT_NE(printed.find("\t[-----------------------]\n    ;\nEND;\n"), std::string::npos) << printed;
  EXPECT_EQ(printed.rfind("BEGIN qv_bootstrap;\n"
                          "    DIMENSIONS ntax=6 nchar=180 nsplits=9;\n"
                          "    FORMAT splits labels all;\n"
                          "    RUNS=100;\n"
                          "    SEED=1;\n"
                          "    MATRIX\n"
                          "\t  1    100 ",
                          0),
            0u)
    << printed;
  EXPECT_STREQ(doc.sgraph->get_splitlabels(), "BOOTSTRAPS");
  const std::string info = doc.short_info_string();
  EXPECT_NE(info.find(" -bootstrap 100"), std::string::npos) << info;

  doc.read_string("assume method=nnet;");
  ASSERT_EQ(doc.splits->get_nsplits(), 9);
  bootstrap("bootstrap 100");
  EXPECT_EQ(supports(), full) << "Neighbor-Net";
}

TEST_F(Bootstrap, ResultsDependOnTheSeedAloneNotOnTheThreads)
{
  load(noisy8());
  std::pair<std::string, std::string> one;
  {
    tThreadsScope threads(1);
    one = bootstrap("bootstrap 60");
    EXPECT_EQ(bootstrap("bootstrap 60"), one);
  }
  // Supports of a noisy alignment vary, and other splits were found.
  const std::vector<int> s = supports();
  EXPECT_GT(std::set<int>(s.begin() + 1, s.end()).size(), 2u);
  EXPECT_NE(one.first.find("\t[-----------------------]\n\t["), std::string::npos) << one.first;
  for (int n : {2, 3, 7}) {
    tThreadsScope threads(n);
    EXPECT_EQ(bootstrap("bootstrap 60"), one) << n << " threads";
  }
  // Another seed draws other samples.
  doc.read_string("begin qv_bootstrap; runs=60; seed=2; end;");
  EXPECT_NE(supports(), s);
}

TEST_F(Bootstrap, ThreeRunsGiveThirds)
{
  load(noisy8());
  bootstrap("bootstrap 3");
  const std::vector<int> s = supports();
  ASSERT_EQ(s.size(), static_cast<size_t>(doc.splits->get_nsplits()) + 1);
  bool third = false;
  for (size_t i = 1; i < s.size(); i++) {
    EXPECT_TRUE(s[i] == 0 || s[i] == 3333 || s[i] == 6666 || s[i] == 10000) << s[i];
    third = third || s[i] == 6666;
  }
  ASSERT_TRUE(third);
  EXPECT_NE(block().find("  66.66 "), std::string::npos) << block();
}

TEST_F(Bootstrap, SampleLengthIsTheNumberOfCharactersUnlessGiven)
{
  load(alignment(6, TREE6, 20, 0));
  for (const char* text : {"begin qv_bootstrap; runs=2; length=same; end;", "begin qv_bootstrap; runs=2; length=0; end;"}) {
    capture.fe.clear();
    doc.read_string(text);
    EXPECT_EQ(doc.bootstrap->get_length(), 180) << text;
    EXPECT_NE(capture.fe.logged.find("Valid QV_BOOTSTRAP block: runs=2 length=180 seed=1\n"), std::string::npos)
      << capture.fe.logged;
  }
  // A shorter sample is what the replicates get.
  bootstrap("begin qv_bootstrap; runs=2; length=50; end;");
  EXPECT_NE(capture.fe.logged.find("    DIMENSIONS ntax=6 nchar=50;\n"), std::string::npos) << capture.fe.logged;
  EXPECT_NE(block().find("    LENGTH=50;\n"), std::string::npos);

  // Fewer sites than taxa: refused, no support.
  bootstrap("begin qv_bootstrap; runs=2; length=5; end;");
  EXPECT_EQ(capture.fe.warnings, std::vector<std::string>{"Can't bootstrap: sequences too short (length=5)"});
  EXPECT_EQ(doc.bootstrap->get_support(), nullptr);
  EXPECT_EQ(capture.fe.logged.find("Bootstrapping"), std::string::npos);
}

TEST_F(Bootstrap, NewSplitsEndTheSupport)
{
  load(alignment(6, TREE6, 20, 0));
  bootstrap("bootstrap 10");
  ASSERT_NE(doc.bootstrap->get_support(), nullptr);
  capture.fe.clear();
  doc.read_string("assume method=dtree");
  EXPECT_FALSE(doc.bootstrap->valid());
  EXPECT_EQ(doc.bootstrap->get_support(), nullptr);
  EXPECT_STREQ(doc.sgraph->get_splitlabels(), "NONE");
  capture.fe.clear();
  doc.read_string("info");
  EXPECT_NE(capture.fe.logged.find("No valid QV_BOOTSTRAP block\n"), std::string::npos) << capture.fe.logged;
  EXPECT_EQ(std::string(doc.short_info_string()).find("-bootstrap"), std::string::npos);
}

TEST_F(Bootstrap, MissingDataIsReported)
{
  ASSERT_EQ(doc.read_string("begin taxa; dimensions ntax=4; taxlabels a b c d; end; bootstrap 5"), 1);
  EXPECT_NE(capture.fe.logged.find(
              "NEXUS syntax error in QV_BOOTSTRAP: Must be preceeded by valid CHARACTERS-block"),
            std::string::npos)
    << capture.fe.logged;
  EXPECT_FALSE(doc.bootstrap->valid());
}

// ---------------------------------------------------------------- reading and printing

TEST_F(Bootstrap, PrintedBlocksReadBackInEveryFormat)
{
  load(noisy8());
  bootstrap("bootstrap 20");
  const std::vector<int> computed = supports();
  // Splits outside the system are part of the block too.
  ASSERT_NE(block().find("\t[19] "), std::string::npos) << block();
  for (const char* format : {"", "no labels", "no splits", "no labels no splits"}) {
    // A block of FORMAT alone restyles the results it holds.
    doc.read_string((std::string("begin qv_bootstrap; format labels splits all ") + format + "; end;").c_str());
    const std::string printed = block();
    capture.fe.clear();
    doc.read_string(printed.c_str());
    EXPECT_EQ(capture.fe.logged.find("error"), std::string::npos) << format << "\n" << capture.fe.logged;
    EXPECT_EQ(block(), printed) << format;
    EXPECT_EQ(supports(), computed) << format;
  }
  // Without splits each row is the label, the value and a comma.
  doc.read_string("begin qv_bootstrap; format labels no splits; end;");
  const std::string printed = block();
  EXPECT_NE(printed.find("    FORMAT no splits labels;\n    RUNS=20;\n    SEED=1;\n    MATRIX\n\t  1  "),
            std::string::npos)
    << printed;
  EXPECT_EQ(printed.find("-----"), std::string::npos);
}

TEST_F(Bootstrap, ReadsValuesSplitsAndFormatsAsWritten)
{
  load(alignment(6, TREE6, 20, 0));
  // A leading FORMAT holds for the rest of the block; 0.57 stays 57.
  doc.read_string("begin qv_bootstrap; format no labels no splits; runs=100; seed=9;"
                  " matrix 0.57, 100, 37, 0, 1, 2, 3, 4, 5,; end;");
  ASSERT_TRUE(doc.bootstrap->valid()) << capture.fe.logged;
  EXPECT_EQ(supports(), (std::vector<int>{0, 57, 10000, 3700, 0, 100, 200, 300, 400, 500}));
  EXPECT_EQ(doc.bootstrap->get_seed(), 9);
  const std::string printed = block();
  EXPECT_NE(printed.find("\t   0.57,\n\t    100,\n\t     37,\n"), std::string::npos) << printed;

  // The other splits come back with their counts.
  doc.read_string("begin qv_bootstrap; dimensions ntax=6 nchar=180 nsplits=9; runs=50;"
                  " matrix 1 10 x, 2 20 x, 3 30 x, 4 40 x, 5 50 x, 6 60 x, 7 70 x, 8 80 x, 9 90 x,"
                  " [-----] [10] 12 1 3-4, [11] 2 1 4, ; end;");
  ASSERT_TRUE(doc.bootstrap->valid()) << capture.fe.logged;
  tSet s(6);
  s.insert(1);
  s.insert(4);
  EXPECT_EQ(doc.bootstrap->get_other_count(&s), 1);
  s.insert(3);
  EXPECT_EQ(doc.bootstrap->get_other_count(&s), 6);
  EXPECT_NE(block().find("\t[10]    12  1 3 4,\n\t[11]     2  1 4,\n    ;\n"), std::string::npos) << block();
}

TEST_F(Bootstrap, SyntaxErrorsNameTheirPlace)
{
  load(alignment(6, TREE6, 20, 0));
  struct tCase {
    std::string body;
    std::string report;
  };
  const tCase cases[] = {
    {"runs 5;", "QV_BOOTSTRAP: Usage: RUNS=number;"},
    {"runs=0;", "QV_BOOTSTRAP: Usage: RUNS=number;"},
    {"length=x;", "QV_BOOTSTRAP: Usage: LENGTH=number;"},
    {"seed=1.5;", "QV_BOOTSTRAP: Usage: SEED=number;"},
    {"frobnicate;", "QV_BOOTSTRAP: Unknown command: frobnicate"},
    {"dimensions ntax=5;", "QV_BOOTSTRAP-dimensions: Expected NTAX=6"},
    {"dimensions nchar=3;", "QV_BOOTSTRAP-dimensions: Expected NCHAR=180"},
    {"dimensions nsplits=3;", "QV_BOOTSTRAP-dimensions: Expected NSPLITS=9"},
    {"dimensions ntax=6 end;", "QV_BOOTSTRAP-dimensions: Didn't find ';'"},
    {"runs=1; format no frills;", "QV_BOOTSTRAP-format: Usage: NO {LABELS|SPLITS|ALL}"},
    {"runs=1; format plain;", "QV_BOOTSTRAP-format: Unknown command: plain"},
    {"matrix 2 50 1,", "QV_BOOTSTRAP-matrix: Expected: label 1"},
    {"matrix 1 nan 1,", "QV_BOOTSTRAP-matrix: Can't read 1-th value"},
    {"format no splits; matrix 1 50 2,", "QV_BOOTSTRAP-matrix: Expected: ','"},
    {"format no all; matrix 1 1, 2 2, 3 3, 4 4, 5 5, 6 6, 7 7, 8 8, 9 9, 10 1,;",
     "QV_BOOTSTRAP-matrix: Expected: ';'"},
    {"matrix 1 1, 2 2, 3 3, 4 4, 5 5, 6 6, 7 7, 8 8, 9 9, x 1 2,;",
     "QV_BOOTSTRAP-matrix_all: Non-negative number expected"},
    {"matrix 1 1, 2 2, 3 3, 4 4, 5 5, 6 6, 7 7, 8 8, 9 9, 5 1 9,;", "QV_BOOTSTRAP-matrix_all: Split-part expected"},
  };
  for (const tCase& c : cases) {
    capture.fe.clear();
    doc.read_string(("begin qv_bootstrap; " + c.body + " end;").c_str());
    EXPECT_EQ(capture.fe.logged.rfind("NEXUS syntax error in " + c.report + "\n", 0), 0u)
      << c.body << "\n" << capture.fe.logged;
    EXPECT_FALSE(doc.bootstrap->valid()) << c.body;
  }
}
