#include "blocks/blk_assumptions.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "blocks/blk_taxa.h"
#include "nexus/nexus.h"
#include "tests/blocks/block_text.h"
#include "tests/support/capture.h"

namespace {

// A TAXA block of the given taxa, with nchar characters reported to it.
std::unique_ptr<tTaxaBlk> make_taxa(int ntax, const std::string& labels, int nchar)
{
  tCaptureScope quiet;
  auto taxa = std::make_unique<tTaxaBlk>();
  read_taxa(*taxa, ntax, labels);
  taxa->set_nchar(nchar);
  return taxa;
}

// Reads a whole block; the reader starts behind the block name, as under
// the interpreter.
int reread(tAssumptionsBlk& blk, tTaxaBlk& taxa, const std::string& text) { return read_block(blk, taxa, text, 2); }

// Reads the statements as the ASSUME command hands them over.
int read_body(tAssumptionsBlk& blk, tTaxaBlk& taxa, const std::string& body)
{
  return reread(blk, taxa, "begin QV_ASSUMPTIONS;" + body + "end;");
}

std::string printed(const tAssumptionsBlk& blk, const tTaxaBlk& taxa)
{
  tNexusOutput out;
  out.OpenString();
  blk.print(&out, &taxa, 0);
  return out.GetString();
}

// The printed lines that start with `start`, up to the next statement.
std::string lines_of(const std::string& text, const std::string& start)
{
  const size_t a = text.find("    " + start);
  if (a == std::string::npos)
    return "";
  const size_t b = text.find(";\n", a);
  return text.substr(a, b + 2 - a);
}

std::string syntax_error(const std::string& where, const std::string& text)
{
  return "NEXUS syntax error in " + where + ": " + text + "\n";
}

class AssumptionsBlock : public testing::Test {
protected:
  int read(const std::string& body) { return read_body(blk, *taxa, body); }
  std::string print() { return printed(blk, *taxa); }

  tCaptureScope cap;
  std::unique_ptr<tTaxaBlk> taxa = make_taxa(7, "a b c d e f g", 12);
  tAssumptionsBlk blk;
};

} // namespace

TEST_F(AssumptionsBlock, EverySettingPrintsAndReadsBack)
{
  ASSERT_EQ(read(" dimensions ntax=7 nchar=12; options gapmode=newstate; greedy_tree;"
                 " no reduce_graph; parameter=-2; x; z; exset 'odd set' = 1-3 5;"
                 " taxa_partition parts = 1 2, 3-5, ;"
                 " exclude nonparsimony gaps missing constant 12 codon1 codon3 add2;"
                 " method=dtree; transform=cconst 1.5; edge_transform=average;"
                 " max_width=1e-05; refine cut=-0.5 n=2; adjust; threshold=0.25;"),
            1);
  const std::string expected = "BEGIN qv_assumptions;\n"
                               "    DIMENSIONS ntax=7 nchar=12;\n"
                               "    OPTIONS gapmode=newstate;\n"
                               "    GREEDY_TREE;\n"
                               "    NO REDUCE_GRAPH;\n"
                               "    PARAMETER=-2;\n"
                               "    X;\n"
                               "    Z;\n"
                               "    EXSET 'odd set' = 1-3 5;\n"
                               "    TAXA_PARTITION parts = 1 2, 3 4 5, 6 7, [3 groups];\n"
                               "    EXCLUDE NONPARSIMONY GAPS MISSING CONSTANT 12 CODON1 CODON3 ADD2;\n"
                               "    METHOD=dtree;\n"
                               "    TRANSFORM=cconst 1.5;\n"
                               "    EDGE_TRANSFORM=average;\n"
                               "    MAX_WIDTH=1E-05;\n"
                               "    REFINE N=2 CUT=-0.5;\n"
                               "    ADJUST;\n"
                               "    THRESHOLD=0.25;\n"
                               "END;\n";
  EXPECT_EQ(print(), expected);

  tAssumptionsBlk copy;
  ASSERT_EQ(reread(copy, *taxa, expected), 1) << cap.fe.logged;
  EXPECT_EQ(printed(copy, *taxa), expected);
}

TEST_F(AssumptionsBlock, EachStatementPostsItsBits)
{
  struct tCase {
    const char* setup;
    const char* statement;
    int bits;
  };
  const tCase cases[] = {
    {"", " dimensions ntax=7 nchar=12;", 0},
    {"", " options gapmode=newstate;", 68},
    {"", " greedy_tree;", 128},
    {"", " no greedy_tree;", 8},
    {"", " reduce_graph;", 16},
    {"", " no reduce_graph;", 16},
    {"", " parameter=1;", 4},
    {"", " x; no y; z;", 0},
    {"", " refine n=3;", 8},
    {"", " no refine;", 8},
    {"", " adjust;", 8},
    {"", " no adjust;", 8},
    {"", " method=dtree;", 72},
    {"", " method=none;", 0},
    {"", " edge_transform=least_squares;", 8},
    {"", " transform=logdet;", 68},
    {"", " threshold=0.5;", 72},
    {"", " exclude gaps;", 2},
    {"", " exset = 1-3;", 2},
    {"", " exchar = none;", 2},
    {"", " extaxa = a;", 1},
    {"", " taxa_partition = 1 2, ;", 4},
    {"", " max_width=2;", 0},
    {" edge_transform=average;", " max_width=2;", 128},
    {" edge_transform=average; max_width=2;", " max_width=3;", 8},
    {" edge_transform=average; max_width=2;", " max_width=2;", 0},
    {" edge_transform=average; max_width=2;", " no max_width;", 8},
    {" max_width=2;", " no max_width;", 0},
    {"", " usermatrix 1 0;", 0},
    {" usermatrix 1 0; transform=usermatrix;", " usermatrix 1 .;", 68},
    {"", " greedy_tree; consistent;", 2048},
  };
  for (const tCase& c : cases) {
    SCOPED_TRACE(std::string(c.setup) + " |" + c.statement);
    tAssumptionsBlk fresh;
    ASSERT_EQ(read_body(fresh, *taxa, c.setup), 1) << cap.fe.logged;
    fresh.update.updates = 0;
    EXPECT_EQ(read_body(fresh, *taxa, c.statement), 1) << cap.fe.logged;
    EXPECT_EQ(fresh.update.updates, c.bits);
  }
}

TEST_F(AssumptionsBlock, SyntaxErrorsNameTheStatementAndKeepEarlierSettings)
{
  struct tCase {
    const char* body;
    const char* where;
    const char* text;
  };
  const tCase cases[] = {
    {" colour=red;", "QV_ASSUMPTIONS", "Unknown command: colour"},
    {" dimensions ntax=6;", "QV_ASSUMPTIONS-dimensions", "Expected NTAX=7"},
    {" dimensions nchar=11;", "QV_ASSUMPTIONS-dimensions", "Expected NCHAR=12"},
    {" dimensions ntax=7 foo;", "QV_ASSUMPTIONS-dimensions", "Didn't find ';'"},
    {" consistent greedy_tree;", "QV_ASSUMPTIONS", "Expected ';'"},
    {" options gapmode=gap;", "QV_ASSUMPTIONS-options", "Usage: GAPMODE={MISSING|NEWSTATE}"},
    {" adjust 1;", "QV_ASSUMPTIONS-adjust", "Expected ';'"},
    {" no colour;", "QV_ASSUMPTIONS",
     "Usage: NO {GREEDY_TREE|REDUCE_GRAPH|REFINE|MAX_WIDTH|ADJUST};"},
    {" parameter=x;", "QV_ASSUMPTIONS", "Usage: PARAMETER=number;"},
    {" refine k=1;", "QV_ASSUMPTIONS", "Usage: REFINE [N=number] [CUT=number];"},
    {" max_width=-1;", "QV_ASSUMPTIONS", "Usage: MAX_WIDTH =number"},
    {" threshold=-0.5;", "QV_ASSUMPTIONS", "Usage: THRESHHOLD=non-negative-number;"},
    {" method=upgma;", "QV_ASSUMPTIONS-method",
     "Usage: METHOD={DSPLITS|PSPLITS|LSPLITS|SPECTRAL|WCSPLITS|DTREE|PTREE|LTREE|STREE|WCTREE|NNET|CONSENSUS|TREE [N=number]|NONE};"},
    {" method=dtree greedy_tree;", "QV_ASSUMPTIONS-method", "Missing ';'"},
    {" edge_transform=fm_matrix;", "QV_ASSUMPTIONS",
     "Usage: EDGE_TRANSFORM ={NONE|AVERAGE|LEAST_SQUARES|FP_POW1|FP_POW2"},
    {" transform=upgma;", "QV_ASSUMPTIONS-transform",
     "Usage:TRANSFORM={HAMMING||LOGDET|JC|K3ST|NEI_MILLER|GAPDIST|USERMATRIX|PAM250|COVARION|FITCHSIDOW|CCONST [number]|NONE};"},
    {" transform=jc 2;", "QV_ASSUMPTIONS-transform", "Missing ';'"},
    {" exclude codon4;", "QV_ASSUMPTIONS-exclude", "Unknown command: codon4"},
  };
  for (const tCase& c : cases) {
    SCOPED_TRACE(c.body);
    tAssumptionsBlk fresh;
    cap.fe.clear();
    EXPECT_EQ(read_body(fresh, *taxa, std::string(" reduce_graph; no reduce_graph;") + c.body), 0);
    EXPECT_EQ(cap.fe.logged, syntax_error(c.where, c.text));
    EXPECT_EQ(fresh.reduce_graph, 0);
  }
}

TEST_F(AssumptionsBlock, BlockLevelErrors)
{
  tTaxaBlk no_taxa;
  EXPECT_EQ(read_body(blk, no_taxa, " greedy_tree;"), 0);
  EXPECT_EQ(cap.fe.logged, syntax_error("QV_ASSUMPTIONS", "Must be preceeded by TAXA-block"));

  auto raw = [&](const char* text) {
    cap.fe.clear();
    return reread(blk, *taxa, text);
  };
  EXPECT_EQ(raw("begin qv_assumptions greedy_tree; end;"), 0);
  EXPECT_EQ(cap.fe.logged, syntax_error("QV_ASSUMPTIONS", "Missing ';'"));
  EXPECT_EQ(raw("begin qv_assumptions; greedy_tree;"), 0);
  EXPECT_EQ(cap.fe.logged, syntax_error("QV_ASSUMPTIONS", "Unexpected EOF"));
  EXPECT_EQ(raw("begin qv_assumptions; no reduce_graph; endblock;"), 1);
  EXPECT_EQ(cap.fe.logged, "Valid QV_ASSUMPTIONS block\n");
}

TEST_F(AssumptionsBlock, ExcludeConstantTakesAnOptionalCount)
{
  ASSERT_EQ(read(" exclude constant 12;"), 1);
  EXPECT_EQ(blk.exclude_constant, 12);
  EXPECT_EQ(lines_of(print(), "EXCLUDE"), "    EXCLUDE CONSTANT 12;\n");

  ASSERT_EQ(read(" exclude constant gaps;"), 1);
  EXPECT_EQ(blk.exclude_constant, -1);
  EXPECT_EQ(blk.exclude_gaps, 1);
  EXPECT_EQ(lines_of(print(), "EXCLUDE"), "    EXCLUDE GAPS CONSTANT;\n");

  // Flags not named keep their values; NO switches one off.
  ASSERT_EQ(read(" exclude no constant nonparsi codon2 add1;"), 1);
  EXPECT_EQ(blk.exclude_constant, 0);
  EXPECT_EQ(blk.exclude_gaps, 1);
  EXPECT_EQ(blk.exclude_nonparsimony, 1);
  EXPECT_EQ(blk.codon_offset, 1);
  EXPECT_EQ(lines_of(print(), "EXCLUDE"), "    EXCLUDE NONPARSIMONY GAPS CODON2 ADD1;\n");

  // A refused statement changes nothing; an offset without codons is not printed.
  EXPECT_EQ(read(" exclude no gaps missing codon9;"), 0);
  EXPECT_EQ(blk.exclude_gaps, 1);
  EXPECT_EQ(blk.exclude_missing, 0);
  ASSERT_EQ(read(" exclude no gaps no nonparsimony no codon2;"), 1);
  EXPECT_EQ(blk.codon_offset, 1);
  EXPECT_EQ(lines_of(print(), "EXCLUDE"), "");
}

TEST_F(AssumptionsBlock, ExsetMarksCharactersAndPrintsWrappedRuns)
{
  ASSERT_EQ(read(" exset = 1-3 7 10-. ;"), 1);
  const std::vector<char> expected = {0, 1, 1, 1, 0, 0, 0, 1, 0, 0, 1, 1, 1};
  EXPECT_EQ(blk.exset, expected);
  EXPECT_EQ(lines_of(print(), "EXSET"), "    EXSET excluded = 1-3 7 10-12;\n");

  ASSERT_EQ(read(" exchar none;"), 0);
  EXPECT_EQ(cap.fe.logged.substr(cap.fe.logged.rfind("NEXUS")),
            syntax_error("QV_ASSUMPTIONS-exset", "Usage: EXSET [name] = {characters|NONE};"));
  EXPECT_TRUE(blk.exset.empty());

  ASSERT_EQ(read(" exset codons = 12;"), 1);
  EXPECT_EQ(lines_of(print(), "EXSET"), "    EXSET codons = 12;\n");
  cap.fe.clear();
  EXPECT_EQ(read(" exset = 3-13;"), 0);
  EXPECT_EQ(cap.fe.logged, syntax_error("QV_ASSUMPTIONS-exset", "Integer in 1..nchar expected"));
  EXPECT_TRUE(blk.exset.empty());
  EXPECT_EQ(read(" exset = 0;"), 0);

  ASSERT_EQ(read(" exset = 2; exset = none;"), 1);
  EXPECT_TRUE(blk.exset.empty());

  // Without characters the statement is passed over; the block reads on.
  taxa->set_nchar(0);
  blk.update.updates = 0;
  ASSERT_EQ(read(" exset = 1-3 junk; greedy_tree;"), 1);
  EXPECT_TRUE(blk.exset.empty());
  EXPECT_EQ(blk.greedy_tree, 1);
  EXPECT_EQ(blk.update.updates, 128);

  // Long lists wrap once a line has grown to 70 characters.
  taxa->set_nchar(100);
  std::string odd;
  for (int c = 1; c < 100; c += 2)
    odd += " " + std::to_string(c);
  ASSERT_EQ(read(" exset =" + odd + ";"), 1);
  EXPECT_EQ(lines_of(print(), "EXSET"),
            "    EXSET excluded = 1 3 5 7 9 11 13 15 17 19 21 23 25 27 29 31 33 35 37 39 41 43 45 47 49\n"
            "     51 53 55 57 59 61 63 65 67 69 71 73 75 77 79 81 83 85 87 89 91 93 95 97\n"
            "     99;\n");
}

TEST_F(AssumptionsBlock, TaxaPartitionClosesGroupsWithCommas)
{
  ASSERT_EQ(read(" taxa_partition = 1 2, 3-5, ;"), 1);
  EXPECT_EQ(blk.taxa_partition, (std::vector<int>{3, 1, 1, 2, 2, 2, 3, 3}));
  EXPECT_EQ(lines_of(print(), "TAXA_PARTITION"),
            "    TAXA_PARTITION = 1 2, 3 4 5, 6 7, [3 groups];\n");

  // Labels name active taxa; with every taxon placed no group is added.
  ASSERT_EQ(read(" taxa_partition = 2 - 6, g a, ;"), 1);
  EXPECT_EQ(blk.taxa_partition, (std::vector<int>{2, 2, 1, 1, 1, 1, 1, 2}));
  EXPECT_EQ(blk.taxa_partition_orig, blk.taxa_partition);

  ASSERT_EQ(read(" taxa_partition none;"), 0);
  ASSERT_EQ(read(" taxa_partition = none;"), 1);
  EXPECT_TRUE(blk.taxa_partition.empty());
  EXPECT_TRUE(blk.taxa_partition_orig.empty());
}

TEST_F(AssumptionsBlock, RefusedTaxaPartitionFallsBackToHamming)
{
  const std::string usage = syntax_error(
      "QV_ASSUMPTIONS-taxa_partition",
      "Usage:TAXA_PARTITION [name] = {[taxon .. taxon,] .. [taxon .. taxon,]|NONE};");
  const char* refused[] = {
    " taxa_partition = 1 2, 3 ;",         // no closing comma
    " taxa_partition = 1, 2, 3, 4, 5, 6, 7, , ;", // more groups than taxa
    " taxa_partition = 1, nobody, ;",
  };
  for (const char* body : refused) {
    SCOPED_TRACE(body);
    ASSERT_EQ(read(" taxa_partition = 1, ; transform=cconst;"), 1);
    cap.fe.clear();
    blk.update.updates = 0;
    EXPECT_EQ(read(body), 0);
    EXPECT_EQ(cap.fe.logged, usage);
    EXPECT_TRUE(blk.taxa_partition.empty());
    EXPECT_EQ(blk.transform, "HAMMING");
    EXPECT_EQ(blk.update.updates, 68);
  }
}

TEST_F(AssumptionsBlock, GroupTransformsNeedAPartitionAndUserMatrixATable)
{
  for (const char* name : {"CCONST", "COVARION", "FITCHSIDOW"}) {
    SCOPED_TRACE(name);
    cap.fe.clear();
    EXPECT_EQ(read(std::string(" transform=") + name + ";"), 0);
    EXPECT_EQ(cap.fe.logged, syntax_error(std::string("QV_ASSUMPTIONS-transform=") + name,
                                          "No TAXA_PARTITION specified"));
    EXPECT_EQ(blk.transform, "HAMMING");
  }
  cap.fe.clear();
  EXPECT_EQ(read(" transform=usermatrix;"), 0);
  EXPECT_EQ(cap.fe.logged,
            syntax_error("QV_ASSUMPTIONS-transform=USERMATRIX", "No USERMATRIX specified"));
  EXPECT_EQ(blk.transform, "HAMMING");

  ASSERT_EQ(read(" transform=cconst 0.5; taxa_partition = 1 2, ;"), 1);
  EXPECT_DOUBLE_EQ(blk.cconst_x, 0.5);
  ASSERT_EQ(read(" transform=cconst;"), 1);
  EXPECT_DOUBLE_EQ(blk.cconst_x, 2.0);
  EXPECT_EQ(lines_of(print(), "TRANSFORM"), "    TRANSFORM=cconst;\n");
}

TEST_F(AssumptionsBlock, UserMatrixFillsItsMirrorAndRefusesAsymmetry)
{
  using tRows = std::vector<std::vector<double>>;
  ASSERT_EQ(read(" usermatrix 2 . 3 . .;"), 1);
  EXPECT_EQ(blk.n_colors, 2);
  EXPECT_EQ(blk.usermatrix, (tRows{{0, 0, 0}, {0, 0, 3}, {0, 3, 0}}));
  ASSERT_EQ(read(" usermatrix 3 . . 2 . . . 2 4 .;"), 1);
  EXPECT_EQ(blk.usermatrix, (tRows{{0, 0, 0, 0}, {0, 0, 1, 2}, {0, 1, 0, 4}, {0, 2, 4, 0}}));

  const std::pair<const char*, const char*> refused[] = {
    {" usermatrix 2 0 1 2 0;", "Not symmetric: m[2][1]!=m[1][2]"},
    {" usermatrix 2 0 -1 1 0;", "Can't read m[1][2]"},
    {" usermatrix 2 0 1 1 0 0;", "Missing ';'"},
    {" usermatrix 257;", "bad number of columns: 257"},
  };
  for (const auto& [body, text] : refused) {
    SCOPED_TRACE(body);
    cap.fe.clear();
    EXPECT_EQ(read(body), 0);
    EXPECT_EQ(cap.fe.logged, syntax_error("QV_ASSUMPTIONS-usermatrix", text));
    EXPECT_TRUE(blk.usermatrix.empty());
    EXPECT_EQ(blk.n_colors, 0);
  }
}

TEST_F(AssumptionsBlock, UserMatrixPrintsItsSymbolsAsComments)
{
  ASSERT_EQ(read(" usermatrix 2 0 0.25 . 0; transform=usermatrix;"), 1);
  EXPECT_EQ(lines_of(print(), "USERMATRIX"),
            "    USERMATRIX 2\n         0 0.25\n         0.25 0\n    ;\n");
  blk.colors2symbols[1] = 'a';
  blk.colors2symbols[2] = 'c';
  const std::string text = print();
  EXPECT_EQ(lines_of(text, "USERMATRIX"),
            "    USERMATRIX 2\n       [ a c]\n     [a] 0 0.25\n     [c] 0.25 0\n    ;\n");
  tAssumptionsBlk copy;
  ASSERT_EQ(reread(copy, *taxa, text), 1);
  EXPECT_EQ(copy.usermatrix, blk.usermatrix);

  // Color 256 has no slot in the symbol table: it prints without one.
  std::string body = " usermatrix 256";
  for (int k = 0; k < 256 * 256; k++)
    body += " .";
  ASSERT_EQ(read(body + "; transform=usermatrix;"), 1);
  for (int c = 1; c < 256; c++)
    blk.colors2symbols[c] = 'x';
  const std::string all = print();
  EXPECT_NE(all.find(" x x ?]\n     [x] 0 1 1"), std::string::npos);
  EXPECT_NE(all.find(" 0 1\n         1 1 1"), std::string::npos);
}

TEST_F(AssumptionsBlock, ConsistentClearsPendingWorkWhenTheBlockEnds)
{
  blk.update.post(tUpdate::ALL);
  ASSERT_EQ(read(" consistent; method=dtree; greedy_tree;"), 1);
  EXPECT_EQ(blk.update.updates, 2048);
  EXPECT_EQ(cap.fe.logged, "Valid QV_ASSUMPTIONS block\nAssuming data is consistent\n");

  // A block that fails keeps its pending work.
  blk.update.updates = 4;
  EXPECT_EQ(read(" consistent; transform=covarion;"), 0);
  EXPECT_EQ(blk.update.updates, 4 | 68);
}

TEST_F(AssumptionsBlock, SignedNumbersKeepSignAndExponentThenPunctuationReturns)
{
  // Every read also ends with the usual punctuation back.
  ASSERT_EQ(read(" threshold=2.5E-3; refine n=-1 cut=-1e+2; exset = 1-3;"), 1);
  EXPECT_DOUBLE_EQ(blk.threshold, 0.0025);
  EXPECT_EQ(blk.refine_count, -1);
  EXPECT_DOUBLE_EQ(blk.refine_cut, -100);
  EXPECT_EQ(blk.exset, (std::vector<char>{0, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  ASSERT_EQ(read(" max_width=-1;"), 0);
  EXPECT_DOUBLE_EQ(blk.max_width, 0);
  ASSERT_EQ(read(" usermatrix 1 x;"), 0);
  EXPECT_EQ(read(" threshold=nan;"), 0);
}

TEST(AssumptionsExtaxa, RestrictsTheTaxaOnUpdateAndRoundTrips)
{
  tCaptureScope cap;
  auto taxa = make_taxa(7, "'Homo sapiens' Pan-troglodytes c d e f g", 0);
  tAssumptionsBlk blk;
  ASSERT_EQ(read_body(blk, *taxa, " taxa_partition = 1 2, 3 4, ;"
                                   " extaxa hidden = 'Homo sapiens' 3 - 4;"), 1);
  EXPECT_EQ(blk.extaxa, (std::vector<char>{0, 1, 0, 1, 1, 0, 0, 0}));
  EXPECT_EQ(blk.update.updates, 4 | 1);
  const std::string text = printed(blk, *taxa);
  EXPECT_EQ(lines_of(text, "EXTAXA"), "    EXTAXA hidden = 'Homo sapiens' c d;\n");
  tAssumptionsBlk copy;
  ASSERT_EQ(reread(copy, *taxa, text), 1);
  EXPECT_EQ(copy.extaxa, blk.extaxa);

  blk.update.updates = 1;
  blk.update_taxa(taxa.get());
  EXPECT_EQ(taxa->get_ntax(), 4);
  EXPECT_STREQ(taxa->getlabel(1), "Pan-troglodytes");
  EXPECT_TRUE(blk.extaxa.empty());
  EXPECT_EQ(blk.update.updates, 1);
  // Taxa 2, 5, 6, 7 were in groups 1, 3, 3, 3: renumbered as they occur.
  EXPECT_EQ(blk.taxa_partition, (std::vector<int>{2, 1, 2, 2, 2}));
  EXPECT_EQ(lines_of(printed(blk, *taxa), "DIMENSIONS"), "    DIMENSIONS ntax=4;\n");

  // Items count in the full list; an empty list makes every taxon active again.
  ASSERT_EQ(read_body(blk, *taxa, " extaxa = ;"), 1);
  blk.update_taxa(taxa.get());
  EXPECT_EQ(taxa->get_ntax(), 7);
  EXPECT_EQ(blk.taxa_partition, (std::vector<int>{3, 1, 1, 2, 2, 3, 3, 3}));
}

TEST(AssumptionsExtaxa, UpdateWithoutAListRecomputesEverything)
{
  tCaptureScope cap;
  auto taxa = make_taxa(3, "a b c", 10);
  tAssumptionsBlk blk;
  blk.update.updates = 1;
  blk.update_taxa(taxa.get());
  EXPECT_EQ(blk.update.updates, tUpdate::ALL - 512 - 1);

  // An exclusion in force must be applied again to the new taxa.
  ASSERT_EQ(read_body(blk, *taxa, " exclude gaps; extaxa = c;"), 1);
  blk.update.updates = 1;
  blk.update_taxa(taxa.get());
  EXPECT_EQ(blk.update.updates, 1 | 2);
  EXPECT_EQ(taxa->get_ntax(), 2);
}

TEST(AssumptionsExtaxa, LabelsComeBeforeNumbersAndBadItemsAreRefused)
{
  tCaptureScope cap;
  auto taxa = make_taxa(3, "3 1 x-y", 0);
  tAssumptionsBlk blk;
  ASSERT_EQ(read_body(blk, *taxa, " extaxa = 1;"), 1);
  EXPECT_EQ(blk.extaxa, (std::vector<char>{0, 0, 1, 0}));
  EXPECT_EQ(lines_of(printed(blk, *taxa), "EXTAXA"), "    EXTAXA excluded = 1;\n");
  ASSERT_EQ(read_body(blk, *taxa, " extaxa = 1 - 1 x-y;"), 1);
  EXPECT_EQ(blk.extaxa, (std::vector<char>{0, 1, 0, 1}));

  const std::pair<const char*, const char*> refused[] = {
    {" extaxa = nobody;", "Taxon expected"},
    {" extaxa = 1-2;", "Taxon expected"},
    {" extaxa = 2 - 4;", "Integer in 1..3 expected"},
    {" extaxa 1;", "Usage: EXTAXA [name] = {taxa|NONE};"},
  };
  for (const auto& [body, text] : refused) {
    SCOPED_TRACE(body);
    cap.fe.clear();
    EXPECT_EQ(read_body(blk, *taxa, body), 0);
    EXPECT_EQ(cap.fe.logged, syntax_error("QV_ASSUMPTIONS-extaxa", text));
    EXPECT_TRUE(blk.extaxa.empty());
  }
}
