#include "blocks/blk_sets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blocks/blk_taxa.h"
#include "nexus/nexus.h"
#include "tests/blocks/block_text.h"
#include "tests/support/capture.h"

namespace {

// Six taxa and ten characters.
struct SetsBlock : testing::Test {
  tCaptureScope cap;
  tTaxaBlk taxa, no_taxa;
  tSetsBlk sets;
  void SetUp() override
  {
    read_taxa(taxa, 6, "a b c d e f");
    taxa.set_nchar(10);
    cap.fe.clear();
  }
};

} // namespace

TEST_F(SetsBlock, KeepsEveryDefinitionAndWritesNamesThatReadBack)
{
  EXPECT_EQ(read_block(sets, taxa, "begin sets; taxset apes = 1-3 5; charset all = 1-.;"
                                   " CHARSET 'a-b' = NONE; end;", 2), 1);
  EXPECT_EQ(read_block(sets, taxa, "BEGIN SETS; TAXSET 'it''s set'=6; TAXSET apes=2;", 2), 1);
  EXPECT_EQ(cap.fe.logged, "");
  const std::string text = printed(sets, nullptr);
  EXPECT_EQ(text, "BEGIN sets;\n    CHARSET all = 1-10\n    ;\n    CHARSET 'a-b' =\n    ;\n"
                  "    TAXSET apes = 1-3 5\n    ;\n    TAXSET 'it''s set' = 6\n    ;\n"
                  "    TAXSET apes = 2\n    ;\nEND;\n");
  tSetsBlk again;
  EXPECT_EQ(read_block(again, taxa, text, 2), 1);
  EXPECT_EQ(printed(again, nullptr), text);
}

TEST_F(SetsBlock, ErrorsStopTheBlockAndAddNothing)
{
  EXPECT_EQ(read_block(sets, no_taxa, "BEGIN SETS; TAXSET x = 1;", 2), 0);
  EXPECT_EQ(cap.fe.logged, "NEXUS syntax error in SETS: Must be preceeded by valid TAXA-block\n");
  const std::vector<std::string> cases[] = {
      {"BEGIN SETS TAXSET", "SETS: Missing ';'"},
      {"BEGIN SETS; TAXSET bad = 7;", "SETS-taxset: Ilegal set: bad"},
      {"BEGIN SETS; TAXSET x = 1 2 END;", "SETS-taxset: Ilegal set: x"},
      {"BEGIN SETS; TAXSET x 1;", "SETS-taxset: Syntax: TAXSET taxset-name = taxa-set;"},
      {"BEGIN SETS; CHARSET c = 11;", "SETS-charset: Ilegal set: c"},
      {"BEGIN SETS; CHARSET", "SETS-charset: Syntax: CHARSET charset-name = character-set;"},
      {"BEGIN SETS; TAXSET ok = 1; CharPartition p;", "SETS: Unknown command: CharPartition"},
  };
  for (const auto& c : cases) {
    cap.fe.clear();
    EXPECT_EQ(read_block(sets, taxa, c[0], 2), 0);
    EXPECT_EQ(cap.fe.logged, "NEXUS syntax error in " + c[1] + "\n");
  }
  EXPECT_EQ(sets.get_taxsets().get_n(), 0);
  cap.fe.clear();
  EXPECT_EQ(printed(sets, nullptr), "");
  EXPECT_EQ(cap.fe.logged, "No valid SETS block\n");
}
