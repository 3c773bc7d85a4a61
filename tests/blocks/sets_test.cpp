#include "blocks/blk_sets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blocks/blk_taxa.h"
#include "nexus/nexus.h"
#include "tests/support/capture.h"

namespace {

// Feeds "BEGIN name; ..." to a block's reader, which starts behind the name.
template <class tBlk, class... tArgs>
int read_block(tBlk& block, const std::string& text, tArgs... args)
{
  tNexusInput in;
  in.OpenString(text.c_str());
  in.NextToken();
  in.NextToken();
  return block.read(&in, args...);
}

std::string printed(const tSetsBlk& sets)
{
  tNexusOutput out;
  out.OpenString();
  sets.print(&out, nullptr);
  return out.GetString();
}

// Six taxa and ten characters.
struct SetsBlock : testing::Test {
  tCaptureScope cap;
  tTaxaBlk taxa, no_taxa;
  tSetsBlk sets;
  void SetUp() override
  {
    read_block(taxa, "BEGIN TAXA; DIMENSIONS NTAX=6; TAXLABELS a b c d e f; END;");
    taxa.set_nchar(10);
    cap.fe.clear();
  }
};

} // namespace

TEST_F(SetsBlock, KeepsEveryDefinitionAndWritesNamesThatReadBack)
{
  EXPECT_EQ(read_block(sets, "begin sets; taxset apes = 1-3 5; charset all = 1-.;"
                             " CHARSET 'a-b' = NONE; end;", &taxa), 1);
  EXPECT_EQ(read_block(sets, "BEGIN SETS; TAXSET 'it''s set'=6; TAXSET apes=2;", &taxa), 1);
  EXPECT_EQ(cap.fe.logged, "");
  const std::string text = printed(sets);
  EXPECT_EQ(text, "BEGIN sets;\n    CHARSET all = 1-10\n    ;\n    CHARSET 'a-b' =\n    ;\n"
                  "    TAXSET apes = 1-3 5\n    ;\n    TAXSET 'it''s set' = 6\n    ;\n"
                  "    TAXSET apes = 2\n    ;\nEND;\n");
  tSetsBlk again;
  EXPECT_EQ(read_block(again, text, &taxa), 1);
  EXPECT_EQ(printed(again), text);
}

TEST_F(SetsBlock, ErrorsStopTheBlockAndKeepEarlierSets)
{
  EXPECT_EQ(read_block(sets, "BEGIN SETS; TAXSET x = 1;", &no_taxa), 0);
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
    EXPECT_EQ(read_block(sets, c[0], &taxa), 0);
    EXPECT_EQ(cap.fe.logged, "NEXUS syntax error in " + c[1] + "\n");
  }
  EXPECT_EQ(sets.get_taxsets().get_n(), 1);
  cap.fe.clear();
  EXPECT_EQ(printed(sets), "");
  EXPECT_EQ(cap.fe.logged, "No valid SETS block\n");
}
