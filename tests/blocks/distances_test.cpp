#include "blocks/blk_distances.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_characters.h"
#include "blocks/blk_taxa.h"
#include "nexus/nexus.h"
#include "tests/blocks/block_text.h"
#include "tests/support/capture.h"

namespace {

using tRows = std::vector<std::vector<double>>;
const double U = tDistancesBlk::UNKNOWN;

tRows rows_of(const tDistancesBlk& d)
{
  tRows rows(d.get_ntax(), std::vector<double>(d.get_ntax()));
  for (int i = 1; i <= d.get_ntax(); i++)
    for (int j = 1; j <= d.get_ntax(); j++)
      rows[i - 1][j - 1] = d.get_matrix(i, j);
  return rows;
}

const tRows METRIC = {{0, 1, 2, 3}, {1, 0, 1.5, 2.5}, {2, 1.5, 0, 1.25}, {3, 2.5, 1.25, 0}};
const char* const METRIC_LOWER = "; MATRIX a 0 b 1 0 c 2 1.5 0 d 3 2.5 1.25 0; END";
// b, c and d are 1 from a but 2.5 from each other: each triple through a exceeds by 0.5.
const std::string STAR = " MATRIX a 0 b 1 0 c 1 2.5 0 d 1 2.5 2.5 0; END";

} // namespace

// Every layout of the same matrix, interleaved or not, with or without the
// diagonal, reads to that matrix.
TEST(DistancesBlock, EveryLayoutReadsTheSameMatrix)
{
  const char* const forms[] = {
    METRIC_LOWER,
    "; FORMAT TRIANGLE=UPPER NO DIAGONAL; MATRIX a 1 2 3 b 1.5 2.5 c 1.25 d; END",
    "; format triangle=upper; matrix a 0 1 2 3 b 0 1.5 2.5 c 0 1.25 d 0; end",
    "; FORMAT NO DIAGONAL; MATRIX\n a\n b 1\n c 2 1.5\n d 3 2.5 1.25\n; END",
    "; FORMAT TRIANGLE=BOTH NO LABELS; MATRIX 0 1 2 3 1 0 1.5 2.5 2 1.5 0 1.25 3 2.5 1.25 0; END",
    "; DIMENSIONS NTAX=4 NCHAR=0; FORMAT TRIANGLE=LOWER; MATRIX [c]a 0 b 1 0 c 2 1.5 0 d 3 2.5 1.25 0; ENDBLOCK",
    // Interleaved rows may carry no values at all.
    "; FORMAT NODIAGONAL; MATRIX\na\nb 1\nc 2 1.5\nd 3 2.5 1.25;\nEND",
    "; FORMAT INTERLEAVE NODIAGONAL; MATRIX\na\nb 1\nc 2\nd 3 2.5\nc 1.5\nd 1.25;\nEND",
    "; FORMAT INTERLEAVE TRIANGLE=UPPER; MATRIX\na 0 1 [ruler] 2\nb 0 1.5\nc 0\na 3\nb 2.5\nc 1.25\nd 0\n;\nEND",
    "; FORMAT TRIANGLE=UPPER NODIAGONAL INTERLEAVE; MATRIX\na 1 2\r\nb 1.5\r\nc\r\na 3\r\nb 2.5\r\nc 1.25\r\nd;\r\nEND",
    "; FORMAT INTERLEAVE TRIANGLE=BOTH; MATRIX\na 0 1\nb 1 0\nc 2 1.5\nd 3 2.5\na 2 3\nb 1.5 2.5\nc 0 1.25\nd 1.25 0\n;END",
    "; TITLE d; LINK TAXA=t; FORMAT INTERLEAVE=YES LABELS=LEFT; MATRIX\na 0\nb 1 0\nc 2 1.5\nd 3 2.5\nc 0\nd 1.25 0\n;END",
    "; FORMAT DIAGONAL=NO INTERLEAVE=NO LABELS; MATRIX a b 1 c 2 1.5 d 3 2.5 1.25; END",
  };
  for (const char* form : forms) {
    SCOPED_TRACE(form);
    tCaptureScope cap;
    tTaxaBlk taxa;
    read_taxa(taxa, 4, "a b c d");
    tDistancesBlk d;
    ASSERT_EQ(read_block(d, taxa, form), 1);
    EXPECT_EQ(rows_of(d), METRIC);
    const bool other_program = std::string(form).find("TITLE") != std::string::npos;
    EXPECT_EQ(cap.fe.logged, std::string("TAXA: Read 4 taxa\n") +
                                 (other_program ? "NEXUS warning: TITLE command not implemented\n"
                                                  "NEXUS warning: LINK command not implemented\n" : "") +
                                 "Valid DISTANCES block: 4x4 matrix\n");
  }

  // With both triangles the lower one is read last and wins; _DETECT_ takes the row labels.
  tCaptureScope cap;
  tTaxaBlk taxa;
  read_taxa(taxa, 3, "_DETECT_");
  tDistancesBlk d;
  ASSERT_EQ(read_block(d, taxa, "; FORMAT TRIANGLE=BOTH; MATRIX 'Homo sapiens' 0 9 9 Pan 1 0 9 Pan(x)-y 2 3 0; END"), 1);
  EXPECT_EQ(rows_of(d), (tRows{{0, 1, 2}, {1, 0, 3}, {2, 3, 0}}));
  EXPECT_STREQ(taxa.getlabel(1), "Homo sapiens");
  EXPECT_STREQ(taxa.getlabel(3), "Pan(x)-y");
}

TEST(DistancesBlock, MissingEntriesAreUnknownAndPrintAsTheSymbol)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  read_taxa(taxa, 3, "a b c");
  tDistancesBlk d;
  ASSERT_EQ(read_block(d, taxa, "; MATRIX a 0 b ? 0 c 1 2 0; END"), 1);
  EXPECT_EQ(rows_of(d), (tRows{{0, U, 1}, {U, 0, 2}, {1, 2, 0}}));
  EXPECT_EQ(printed(d, &taxa), "BEGIN distances;\n    DIMENSIONS ntax=3;\n    FORMAT\n"
                              "        triangle=LOWER\n        diagonal\n        labels\n        missing=?\n"
                              "    ;\n\n    MATRIX\n"
                              "    a    0\n    b    ? 0\n    c    1 2 0\n"
                              "    ;\nEND;\n");
  // Another symbol; a token that only starts with it counts too.
  ASSERT_EQ(read_block(d, taxa, "; FORMAT MISSING=x; MATRIX a 0 b xx 0 c 1 2 0; END"), 1);
  EXPECT_EQ(d.get_matrix(2, 1), U);
}

TEST(DistancesBlock, SyntaxErrorsGiveTheirTextsAndLeaveTheBlockInvalid)
{
  const char* const cases[][2] = {
    {"FORMAT;", "DISTANCES: Missing ';'"},
    {"; FORMAT TRIANGLE=BOTH NO DIAGONAL;", "DISTANCES-format: Inconsistant commands: TRIANGLE=BOTH and NO DIAGONAL"},
    {"; FORMAT NO DIAGONAL TRIANGLE=BOTH;", "DISTANCES-format: Inconsistant commands: TRIANGLE=BOTH and NO DIAGONAL"},
    {"; FORMAT TRIANGLE=SIDEWAYS;", "DISTANCES-format: Bad triangle command"},
    {"; FORMAT MISSING=;;", "DISTANCES-format: Bad MISSING command"},
    {"; FORMAT NO TOKENS;", "DISTANCES-format: Bad NO [LABELS|TOKENS] command"},
    {"; FORMAT INTERLEAVE NO LABELS; MATRIX 0;", "DISTANCES-matrix: Interleave format needs labels"},
    {"; DIMENSIONS NTAX=5;", "DISTANCES-dimensions: Expected NTAX=4"},
    {"; DIMENSIONS NCHAR=many;", "DISTANCES-dimensions: Bad NCHAR command"},
    {"; DIMENSIONS NCHAR=7;", "DISTANCES-dimensions: Expected NCHAR=0"},
    {"; FORCE_METRIC = 2;", "DISTANCES: FORCE_METRIC [=number];"},
    {"; NO FORCE_METRIC: OFFSET=x;", "DISTANCES: NO FORCE_METRIC [: OFFSET=number];"},
    {"; NO LABELS;", "DISTANCES: NO FORCE_METRIC expected"},
    {"; SHOUT;", "DISTANCES: Unknown command: SHOUT"},
    {"; MATRIX a 0 b 1 0 c 2 1.5 0 e 3 2.5 1.25 0; END", "DISTANCES-matrix: Labels differ from those defined in TAXA-block"},
    {"; MATRIX a 0 b one 0", "DISTANCES-matrix: Real number expected"},
    {"; MATRIX a 0 b nan 0", "DISTANCES-matrix: Real number expected"},
    {"; MATRIX a 0 b 1 0 c 2 1.5 0 d 3 2.5 1.25 0 END", "DISTANCES-Matrix: Missing ';'?"},
    // An interleaved matrix that leaves a cell empty, or overfills a row.
    {"; FORMAT INTERLEAVE; MATRIX\na 0\nb 1 0\nc 2 1.5 0\nd 3 2.5;\nEND", "DISTANCES-matrix: Too few values in row 4"},
    {"; FORMAT INTERLEAVE; MATRIX\na 0\nb 1 0 7\n\nEND", "DISTANCES-matrix: Too many values in row 2"},
    {"; FORMAT INTERLEAVE; MATRIX\na 0\nx 1 0\n\nEND", "DISTANCES-matrix: Labels differ from those defined in TAXA-block"},
    {"; FORCE_METRIC;", "DISTANCES: Unexpected EOF"},
    {"; FORCE_METRIC; END", "DISTANCES: Didn't find MATRIX"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    tTaxaBlk taxa;
    read_taxa(taxa, 4, "a b c d");
    tDistancesBlk d;
    read_block(d, taxa, METRIC_LOWER);  // an earlier good block does not count
    tCaptureScope cap;
    EXPECT_EQ(read_block(d, taxa, c[0]), 0);
    EXPECT_FALSE(d.valid());
    EXPECT_EQ(cap.fe.logged, std::string("NEXUS syntax error in ") + c[1] + "\n");
  }
  tCaptureScope cap;
  tTaxaBlk no_taxa;
  tDistancesBlk d;
  EXPECT_EQ(read_block(d, no_taxa, METRIC_LOWER), 0);
  EXPECT_EQ(cap.fe.logged, "NEXUS syntax error in DISTANCES: Must be preceeded by TAXA-block\n");
}

TEST(DistancesBlock, PrintedBlocksReadBackToTheSameMatrix)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  read_taxa(taxa, 4, "'Homo sapiens' 'it''s' Pan x");
  const std::string blocks[] = {
    "; MATRIX 'Homo sapiens' 0 'it''s' 0.1234 0 Pan ? 1E-09 0 x 3 2.5 1.25 0; END",
    "; FORMAT TRIANGLE=UPPER NO DIAGONAL NO LABELS MISSING=-; MATRIX 1 - 3 2 2.5 1.25; END",
    "; FORMAT TRIANGLE=BOTH; FORCE_METRIC; MATRIX 'Homo sapiens' 0 1 1 1 'it''s' 1 0 2.5 2.5"
    " Pan 1 2.5 0 2.5 x 1 2.5 2.5 0; END",
    "; FORCE_METRIC: OFFSET=1E-05; MATRIX 'Homo sapiens' 0 'it''s' 1 0 Pan 2 1.5 0 x 3 2.5 1.25 0; END",
  };
  for (const std::string& block : blocks) {
    SCOPED_TRACE(block);
    tDistancesBlk d, again;
    ASSERT_EQ(read_block(d, taxa, block), 1);
    const std::string text = printed(d, &taxa);
    ASSERT_EQ(read_block(again, taxa, text, 2), 1) << text;
    EXPECT_EQ(printed(again, &taxa), text);
    EXPECT_EQ(again.get_offset(), d.get_offset());
    for (int i = 1; i <= 4; i++)
      for (int j = 1; j <= 4; j++) {
        const double x = d.get_matrix(i, j), y = again.get_matrix(i, j);
        EXPECT_TRUE(x == y || std::fabs(x - y) < 1e-12) << i << "," << j << ": " << x << " " << y;
      }
  }
  // Labels are quoted only where they must be, padded to the longest length + 1.
  tDistancesBlk d;
  read_block(d, taxa, blocks[0]);
  EXPECT_NE(printed(d, &taxa).find("    'Homo sapiens' 0\n    'it''s'" + std::string(6, ' ') + " 0.1234 0\n"
                                  "    Pan" + std::string(10, ' ') + " ? 1E-09 0\n"),
            std::string::npos);
  // Each row of an upper triangle starts in its own column.
  read_block(d, taxa, blocks[1]);
  EXPECT_NE(printed(d, &taxa).find("    MATRIX\n    1 - 3\n       2 2.5\n          1.25\n"
                                  "            \n    ;\n"),
            std::string::npos);
}

TEST(DistancesBlock, TriangleCheckNamesWorstTriplesAndForceMetricShiftsByThem)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  read_taxa(taxa, 4, "a b c d");
  tDistancesBlk d;
  const std::string report = "Valid DISTANCES block: 4x4 matrix\n"
                             "Warning: Non metric: Triangle inequalities are not satisfied\n"
                             "[Worst violating triplet(s): 1 2 3.1 2 4.1 3 4.]\n";
  cap.fe.clear();
  ASSERT_EQ(read_block(d, taxa, ";" + STAR), 1);
  EXPECT_EQ(cap.fe.logged, report);
  EXPECT_EQ(d.get_matrix(2, 3), 2.5);

  cap.fe.clear();
  ASSERT_EQ(read_block(d, taxa, "; FORCE_METRIC;" + STAR), 1);
  EXPECT_EQ(cap.fe.logged, report + "FORCING triangle inequalities: Adding offset 0.5 to all distances\n");
  EXPECT_EQ(d.get_offset(), 0.5);
  EXPECT_EQ(rows_of(d), (tRows{{0, 1.5, 1.5, 1.5}, {1.5, 0, 3, 3}, {1.5, 3, 0, 3}, {1.5, 3, 3, 0}}));
  // The file holds the data as read, and the line that makes a reader add the offset again.
  EXPECT_NE(printed(d, &taxa).find("    ;\n    FORCE_METRIC: offset=0.5;\n\n    MATRIX\n"
                                  "    a    0\n    b    1 0\n    c    1 2.5 0\n    d    1 2.5 2.5 0\n"),
            std::string::npos);

  cap.fe.clear();
  ASSERT_EQ(read_block(d, taxa, "; NO FORCE_METRIC: OFFSET=0.5; MATRIX a 0 b 1.5 0 c 1.5 3 0 d 1.5 3 3 0; END"), 1);
  EXPECT_EQ(cap.fe.logged, "Valid DISTANCES block: 4x4 matrix\n"
                           "Restoring original data: subtracting offset 0.5 from all distances\n");
  EXPECT_EQ(d.get_matrix(2, 3), 2.5);
  EXPECT_FALSE(d.forcing_metric());

  // A new block starts from the default layout, and the old offset is not added to its values.
  ASSERT_EQ(read_block(d, taxa, "; FORMAT TRIANGLE=UPPER NO LABELS; FORCE_METRIC; MATRIX 0 1 1 1 0 2.5 2.5 0 2.5 0; END"), 1);
  ASSERT_EQ(read_block(d, taxa, METRIC_LOWER), 1);
  EXPECT_EQ(rows_of(d), METRIC);
  EXPECT_EQ(d.get_offset(), 0.0);

  // Unknown distances cannot be judged: no infinite excess, no infinite offset.
  cap.fe.clear();
  ASSERT_EQ(read_block(d, taxa, "; FORCE_METRIC; MATRIX a 0 b 1 0 c ? 1 0 d 1 1 ? 0; END"), 1);
  EXPECT_EQ(cap.fe.logged, "Valid DISTANCES block: 4x4 matrix\n");
  EXPECT_EQ(d.get_matrix(1, 3), U);
}

TEST(DistancesBlock, RestrictionToActiveTaxaStartsFromTheFullMatrix)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  read_taxa(taxa, 4, "a b c d");
  tDistancesBlk d;
  ASSERT_EQ(read_block(d, taxa, METRIC_LOWER), 1);
  const char without_c[] = {0, 0, 0, 1, 0}, without_a[] = {0, 1, 0, 0, 0}, all[5] = {};
  taxa.set_active_taxa(without_c);
  d.set_active_taxa(&taxa);
  EXPECT_EQ(rows_of(d), (tRows{{0, 1, 3}, {1, 0, 2.5}, {3, 2.5, 0}}));
  taxa.set_active_taxa(without_a);
  d.set_active_taxa(&taxa);
  EXPECT_EQ(rows_of(d), (tRows{{0, 1.5, 2.5}, {1.5, 0, 1.25}, {2.5, 1.25, 0}}));

  // Through the pipeline: bit 1 restricts a valid block and asks for new splits.
  tAssumptionsBlk assumptions;
  tCharactersBlk characters;
  taxa.set_active_taxa(all);
  assumptions.update.post(1);
  d.compute(&taxa, &assumptions, &characters);
  EXPECT_EQ(rows_of(d), METRIC);
  EXPECT_EQ(assumptions.update.updates, 1 | 8);

  // A block read while b is excluded keeps its values for when b comes back.
  tTaxaBlk taxa2;
  read_taxa(taxa2, 4, "a b c d");
  const char without_b[] = {0, 0, 1, 0, 0};
  taxa2.set_active_taxa(without_b);
  tDistancesBlk d2;
  ASSERT_EQ(read_block(d2, taxa2, "; MATRIX a 0 c 2 0 d 3 1.25 0; END"), 1);
  taxa2.set_active_taxa(all);
  d2.set_active_taxa(&taxa2);
  EXPECT_EQ(rows_of(d2), (tRows{{0, U, 2, 3}, {U, 0, U, U}, {2, U, 0, 1.25}, {3, U, 1.25, 0}}));
}

TEST(DistancesBlock, ComputeKeepsReadDataWithoutCharactersAndDropsItForOtherMethods)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  read_taxa(taxa, 4, "a b c d");
  tDistancesBlk d;
  tAssumptionsBlk assumptions;
  tCharactersBlk characters;
  ASSERT_EQ(read_block(d, taxa, METRIC_LOWER), 1);
  assumptions.update.post(4);
  d.compute(&taxa, &assumptions, &characters);
  EXPECT_TRUE(d.valid());
  EXPECT_EQ(assumptions.update.updates, 0);

  assumptions.method = "psplits";
  assumptions.update.post(4);
  d.compute(&taxa, &assumptions, &characters);
  EXPECT_FALSE(d.valid());
  EXPECT_EQ(printed(d, &taxa), "");
}
