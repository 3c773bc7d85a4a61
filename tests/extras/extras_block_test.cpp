// QV_EXTRAS block in a document: requests read, computed, printed and read
// back; requests dropped when the taxa change; the reader's messages.
#include "blocks/blk_extras.h"

#include <gtest/gtest.h>

#include <string>

#include "document/document.h"
#include "nexus/nexus.h"
#include "tests/support/capture.h"
#include "tests/support/run.h"

namespace {

// The rows of the hand-worked analyses, as a NEXUS data set.
const char* const DATA =
  "begin taxa; dimensions ntax=5; taxlabels a b c d e; end;"
  "begin characters; dimensions nchar=6; format datatype=dna missing=? gap=-; matrix"
  " a AACG-A b ACCGAC c GACTAG d GACGAT e ?-----; end;";

class ExtrasBlock : public testing::Test {
protected:
  tCaptureScope capture;
  tDocument doc;

  void SetUp() override
  {
    ASSERT_EQ(doc.read_string(DATA), 1);
    ASSERT_TRUE(doc.characters->valid());
    capture.fe.clear();
  }

  std::string block() const
  {
    tNexusOutput out;
    out.OpenString();
    doc.extras->print(&out, doc.taxa.get());
    return out.GetString();
  }

  // Reads `body` as a QV_EXTRAS block and returns what was logged.
  std::string read(const std::string& body)
  {
    capture.fe.clear();
    doc.read_string(("begin qv_extras;" + body + " end;").c_str());
    return capture.fe.logged;
  }
};

const char* const REQUESTS =
  "diverge 1 2, 3-4; test_clock (1 2) 3; support 1 2 convergence=1 gapmode=ingroup_joker;"
  " estimate variable;";

} // namespace

TEST_F(ExtrasBlock, RequestsAreComputedAndPrintedWithTheirResults)
{
  const std::string log = read(REQUESTS);
  EXPECT_NE(log.find("Computing QV_EXTRAS: ...estimating proportion of variable sites using ALL quartets\n"
                     "[Variable: min="),
            std::string::npos)
    << log;
  EXPECT_NE(log.find(", 15 quartets]\n done\n"), std::string::npos) << log;
  const std::string text = block();
  EXPECT_EQ(text.substr(0, text.find("    ESTIMATE")),
            "BEGIN qv_extras;\n"
            "    DIVERGE  1 2, 3 4: DIST=0.6 SD=0.187083 N=5;\n"
            "    TEST_CLOCK (1 2) 3: DELTA=-0.2 SD=0.2 N=5;\n"
            "    SUPPORT 1 2 CONVERGENCE=1 GAPMODE=INGROUP_JOKER:\n"
            "    INGROUP  2 POSITIONS=  1 4\n"
            "    OUTGROUP 2 POSITIONS=  2 5\n"
            "    ;\n");
  const std::string estimate = text.substr(text.find("    ESTIMATE"));
  EXPECT_EQ(estimate.rfind("    ESTIMATE VARIABLE: min=", 0), 0u) << text;
  EXPECT_EQ(estimate.substr(estimate.find(";\n")), ";\nEND;\n") << text;

  capture.fe.clear();
  doc.extras->show_info();
  EXPECT_EQ(capture.fe.logged, "Valid QV_EXTRAS block:1 diverge(s) 1 test_clock(s) 1 group support(s)\n");
}

TEST_F(ExtrasBlock, APrintedBlockReadsBackToTheSameText)
{
  read(REQUESTS);
  read("estimate variable n=0; diverge 5, 1; support 3 deviation=2 gapmode=newstate;");
  const std::string text = block();
  // Read by a fresh block without computing: the results come from the text.
  tExtrasBlk copy;
  tNexusInput in;
  ASSERT_GT(in.OpenString(text.c_str()), 0);
  ASSERT_TRUE(in.CompareNextToken("BEGIN"));
  ASSERT_TRUE(in.CompareNextToken("qv_extras"));
  ASSERT_EQ(copy.read(&in, doc.taxa.get(), doc.assumptions.get(), doc.characters.get()), 1)
    << capture.fe.logged;
  tNexusOutput out;
  out.OpenString();
  copy.print(&out, doc.taxa.get());
  EXPECT_EQ(out.GetString(), text);
  EXPECT_EQ(copy.v_quartets, 0);
  EXPECT_NE(text.find("    DIVERGE  5, 1: DIST=1 SD=1E+06 N=0;\n"), std::string::npos) << text;
  EXPECT_NE(text.find("    ESTIMATE VARIABLE n=0: min="), std::string::npos) << text;

  // A saved document reopens to the same block, and CLEAR empties it.
  tTempDir dir;
  const std::string file = dir.path() + "/extras.nex";
  ASSERT_EQ(doc.print_file(file.c_str()), 1);
  tDocument again;
  ASSERT_EQ(again.read_file(file.c_str()), 1);
  tNexusOutput out2;
  out2.OpenString();
  again.extras->print(&out2, again.taxa.get());
  EXPECT_EQ(out2.GetString(), text);
  read("clear;");
  EXPECT_FALSE(doc.extras->valid());
  EXPECT_EQ(capture.fe.logged, "");
}

TEST_F(ExtrasBlock, ExcludingTaxaDropsTheRequestsButNotTheEstimate)
{
  read(REQUESTS);
  capture.fe.clear();
  doc.read_string("assume extaxa=5;");
  const std::string& log = capture.fe.logged;
  EXPECT_NE(log.find("Computing QV_EXTRAS: EXTAXA-command: Deleting all DIVERGE/TEST_CLOCK/SUPPORT commands\n"
                     "estimating proportion of variable sites using ALL quartets\n"
                     "[Variable: min="),
            std::string::npos)
    << log;
  EXPECT_NE(log.find(", 3 quartets]\n done\n"), std::string::npos) << log;
  EXPECT_EQ(doc.extras->get_ndiverges() + doc.extras->get_nclocks() + doc.extras->get_nsupports(), 0);
  EXPECT_TRUE(doc.extras->valid());

  // A later recomputation keeps whatever was requested afterwards.
  read("test_clock (1 2) 3;");
  doc.read_string("compute;");
  EXPECT_EQ(doc.extras->get_nclocks(), 1);
}

TEST_F(ExtrasBlock, BadRequestsAreReportedAndEarlierOnesKept)
{
  struct tCase {
    const char* body;
    const char* logged;
  };
  const tCase cases[] = {
    {"diverge 1 2 3;", "NEXUS syntax error in QV_EXTRAS-diverge: Can't read first set (missing ','?)"},
    {"diverge 1, x;", "NEXUS syntax error in QV_EXTRAS-diverge: Can't read second set"},
    {"test_clock (1 2) 2;", "NEXUS syntax error in QV_EXTRAS-test_clock: Illegal choice of taxa: (1 2) 2"},
    {"test_clock (1 6) 2;", "NEXUS syntax error in QV_EXTRAS-test_clock: Illegal choice of taxa: (1 6) 2"},
    {"test_clock 1 2 3;", "NEXUS syntax error in QV_EXTRAS-test_clock: Usage: TEST_CLOCK (taxon1 taxon-2) "
                          "taxon-3 [: DELTA=number SD=number N=number] ;"},
    {"support 1 gapmode=fuzzy;",
     "NEXUS syntax error in QV_EXTRAS-support: Usage: GAPMODE={joker|ingroup_joker|outgroup_joker|newstate}"},
    {"support 1 gapmode;", "NEXUS syntax error in QV_EXTRAS-support: Usage: GAPMODE={joker| ..."},
    {"support 1 deviation=x;", "NEXUS syntax error in QV_EXTRAS-support: Usage: DEVIATION=number ..."},
    {"support 1: ingroup 2 positions= 1 2 outgroup;",
     "NEXUS syntax error in QV_EXTRAS-support: Expected: OUTGROUP number ..."},
    {"support 1: ingroup 2 1 2;", "NEXUS syntax error in QV_EXTRAS-support: Expected: INGROUP number POSITIONS= ..."},
    {"estimate variable n=-3;", "NEXUS syntax error in QV_EXTRAS-estimate-variable: Usage: ESTIMATE "
                                "[VARIABLE [N=number][: MIN=number MEAN=number SD=number]];"},
    {"clear 1;", "NEXUS syntax error in QV_EXTRAS-clear: Usage: CLEAR;"},
    {"frobnicate;", "NEXUS syntax error in QV_EXTRAS: Unexpected token: frobnicate"},
  };
  read("test_clock (1 2) 3;");
  const std::string before = block();
  for (const tCase& c : cases) {
    const std::string log = read(std::string("test_clock (1 3) 2;") + c.body);
    EXPECT_EQ(log.rfind(c.logged, 0), 0u) << c.body << "\n" << log;
    EXPECT_NE(log.find("(Skipping to end of block)\n"), std::string::npos) << log;
    EXPECT_EQ(doc.extras->get_nclocks(), 2) << c.body;
    read("clear; test_clock (1 2) 3;");
  }
  EXPECT_EQ(block(), before);

  // Overlapping groups: a warning, and the block stays as it was.
  read("diverge 1 2, 2 3;");
  ASSERT_EQ(capture.fe.warnings.size(), 1u);
  EXPECT_EQ(capture.fe.warnings[0], "Sets with non-empty intersection, ignoring them");
  EXPECT_EQ(block(), before);
}

TEST(ExtrasBlockPrerequisites, TaxaAndCharactersMustComeFirst)
{
  tCaptureScope capture;
  tDocument doc;
  doc.read_string("begin qv_extras; estimate; end;");
  EXPECT_EQ(capture.fe.logged.rfind("NEXUS syntax error in QV_EXTRAS: Must be preceeded by valid TAXA-block", 0), 0u)
    << capture.fe.logged;
  capture.fe.clear();
  doc.read_string("begin taxa; dimensions ntax=4; taxlabels a b c d; end;");
  doc.read_string("begin qv_extras; diverge 1, 2; end;");
  EXPECT_NE(capture.fe.logged.find("NEXUS syntax error in QV_EXTRAS: Must be preceeded by valid CHARACTERS-block"),
            std::string::npos)
    << capture.fe.logged;
  EXPECT_FALSE(doc.extras->valid());
  capture.fe.clear();
  doc.extras->show_info();
  EXPECT_EQ(capture.fe.logged, "No valid QV_EXTRAS block\n");
}

TEST(ExtrasBlockEstimate, TwelveTaxaOrMoreUseThreeHundredRandomQuartets)
{
  tCaptureScope capture;
  tDocument doc;
  ASSERT_EQ(doc.read_file((source_dir() + "/examples/primates.nex").c_str()), 1);
  capture.fe.clear();
  doc.read_string("begin qv_extras; estimate variable; end;");
  const std::string first = capture.fe.logged;
  EXPECT_NE(first.find("Computing QV_EXTRAS: .\n[Variable:mean="), std::string::npos) << first;
  EXPECT_NE(first.find(", evaluated 300 random quartets]\n done\n"), std::string::npos) << first;
  // The same data give the same estimate, whatever ran in between.
  doc.read_string("bootstrap 3;");
  capture.fe.clear();
  doc.read_string("begin qv_extras; estimate variable; end;");
  EXPECT_EQ(capture.fe.logged, first);
}

TEST(ExtrasExample, BatchRunPrintsTheResults)
{
  const tRunResult r = run_quivet({"-b"}, read_text_file(source_dir() + "/examples/extras.nex"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.find("Warning: Sets"), std::string::npos) << r.err;
  for (const char* line : {"BEGIN qv_extras;\n", "    DIVERGE  1-3, 4-6: DIST=", "    TEST_CLOCK (1 4) 6: DELTA=",
                           "    SUPPORT 1-3 DEVIATION=1:\n", "    ESTIMATE VARIABLE: min="})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
  EXPECT_EQ(r.out.find("DIST=0 SD=0 N=0"), std::string::npos) << "the results are computed before they are shown";
}

// The estimate is dropped with the other requests when the characters it
// needs are gone, also when the taxa changed in the same pass.
TEST(ExtrasBlockData, NoValidCharactersLeaveNothingToCompute)
{
  tCaptureScope capture;
  tDocument doc;
  doc.read_string("begin taxa; dimensions ntax=5; taxlabels a b c d e; end;"
                  "begin characters; dimensions nchar=4; format datatype=dna; matrix"
                  " a ACGT b ACGT c ACGT d ACGT e CATG; end;"
                  "begin qv_extras; test_clock (1 2) 5; estimate variable; end;");
  ASSERT_TRUE(doc.extras->valid());
  capture.fe.clear();
  doc.read_string("assume extaxa=e;");
  EXPECT_FALSE(doc.characters->valid());
  EXPECT_NE(capture.fe.logged.find("Computing QV_EXTRAS: EXTAXA-command: Deleting all DIVERGE/TEST_CLOCK/SUPPORT "
                                   "commands\nNo valid DISTANCES/CHARACTERS: Deleting all DIVERGE/TEST_CLOCK/SUPPORT "
                                   "commands\n done\n"),
            std::string::npos)
    << capture.fe.logged;
  EXPECT_FALSE(doc.extras->valid());
}
