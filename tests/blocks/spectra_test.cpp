#include "blocks/blk_spectra.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blocks/blk_taxa.h"
#include "document/document.h"
#include "nexus/nexus.h"
#include "tests/blocks/block_text.h"
#include "tests/support/capture.h"

namespace {

const char* const DNA =
  "begin taxa; dimensions ntax=5; taxlabels a b c d e; end;"
  "begin characters; dimensions nchar=12; format datatype=dna;"
  " matrix a ACGTACGTAAGG b ACGTACGTAAGC c ACCTACGAATGC d AGCTTCGAATCC e AGCTTCGAGTCC; end;";

} // namespace

TEST(SpectraBlock, SyntaxErrorsGiveTheirTexts)
{
  const char* const cases[][2] = {
    {"MATRIX", "QV_SPECTRA: Missing ';'"},
    {"; DIMENSIONS NTAX=5;", "QV_SPECTRA-dimensions: Expected NTAX=4"},
    {"; DIMENSIONS NSPECT=-1;", "QV_SPECTRA-dimensions: Bad NSPECT command"},
    {"; DIMENSIONS NTAX=4 NSPECT=2000000000;", "QV_SPECTRA-dimensions: 2000000000 spectra over 4 taxa need"},
    {"; FORMAT NO TOKENS;", "QV_SPECTRA-format: Usage: NO {LABELS|WEIGHTS}"},
    {"; THRESHOLD=-1;", "QV_SPECTRA: Usage: THRESHHOLD=non-negative-number;"},
    {"; DIMENSIONS NTAX=4 NSPECT=2; PARAMETERS 1 x;", "QV_SPECTRA-parameters: Couldn't read 2-th parameter"},
    {"; LENTO", "QV_SPECTRA-lento: Expected ';'"},
    {"; NO SENSE;", "QV_SPECTRA-no: Usage: NO LENTO;"},
    {"; MATRIX 1 ;", "QV_SPECTRA-matrix: Expected number 1..nspect of current matrix"},
    {"; DIMENSIONS NTAX=4 NSPECT=2; MATRIX 1 0 1,; MATRIX 1 ;", "QV_SPECTRA-matrix: Multiple definitions of MATRIX 1"},
    {"; DIMENSIONS NTAX=4; MATRIX 1 8 1,;", "QV_SPECTRA-matrix: Integer 0..7 expected (got: 8)"},
    // Weights a spectrum cannot hold, or a saved file could not write back.
    {"; DIMENSIONS NTAX=4; MATRIX 1 1 nan,;", "QV_SPECTRA-matrix: Weight expected"},
    {"; DIMENSIONS NTAX=4; MATRIX 1 1 1e300,;", "QV_SPECTRA-matrix: Weight expected"},
    {"; DIMENSIONS NTAX=4; MATRIX 1 1 -2 3,;", "QV_SPECTRA-matrix: Expected ','"},
    {"; DIMENSIONS NTAX=4; FORMAT NO LABELS; MATRIX 1 1, 1, 1, 1, 1, 1, 1, 1, 1,;",
     "QV_SPECTRA-matrix: Too many rows, expected: 8"},
    {"; DIMENSIONS NTAX=4; MATRIX 1 1 1,", "QV_SPECTRA-matrix: Unexpected EOF"},
    {"; DIMENSIONS NTAX=4; MATRIX 1 1 1, END;", "QV_SPECTRA-Matrix: Missing ';'?"},
    {"; DIMENSIONS NTAX=4 NSPECT=3; MATRIX 1 ; MATRIX 2 ; END", "QV_SPECTRA: Didn't find MATRIX 3"},
    {"; END", "QV_SPECTRA: Didn't find MATRIX 1"},
    {"; DIMENSIONS NTAX=4; MATRIX 1 1 1,;", "QV_SPECTRA: Unexpected EOF"},
    {"; SHOUT;", "QV_SPECTRA: Unknown command: SHOUT"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    tCaptureScope cap;
    tTaxaBlk taxa;
    read_taxa(taxa, 4);
    tSpectraBlk s;
    EXPECT_EQ(read_block(s, taxa, c[0]), 0);
    EXPECT_NE(cap.fe.logged.find(std::string("NEXUS syntax error in ") + c[1]), std::string::npos)
        << cap.fe.logged;
    EXPECT_FALSE(s.valid());
  }

  tCaptureScope cap;
  tSpectraBlk s;
  tTaxaBlk none;
  EXPECT_EQ(read_block(s, none, "; END"), 0);
  EXPECT_NE(cap.fe.logged.find("NEXUS syntax error in QV_SPECTRA: Must be preceeded by TAXA-block\n"),
            std::string::npos);
  tTaxaBlk many;
  read_taxa(many, 32);
  EXPECT_EQ(read_block(s, many, "; END"), 0);
  EXPECT_NE(cap.fe.logged.find("NEXUS syntax error in QV_SPECTRA: Maximal value of ntax: 31\n"), std::string::npos);
}

TEST(SpectraBlock, ReadsPrintsAndReadsBackTheSameText)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  read_taxa(taxa, 4);
  tSpectraBlk s;
  ASSERT_EQ(read_block(s, taxa, "; DIMENSIONS NTAX=4 NSPECT=2; FORMAT LABELS WEIGHTS; THRESHOLD=0.01;"
                                " PARAMETERS 1 0.5; LENTO;"
                                " MATRIX 2 3 -1.5, 5 0.005, 6 2.5E-1,; MATRIX 1 1 0.25, 7 3,; END"), 1);
  EXPECT_NE(cap.fe.logged.find("Valid QV_SPECTRA block: 2 spectra, param.: 1 0.5\n"), std::string::npos);
  EXPECT_EQ(s.get_entry(2, 5), 0.0f);  // not above the threshold
  EXPECT_DOUBLE_EQ(s.get_para_sum(7), 3.0);
  EXPECT_DOUBLE_EQ(s.get_para_sum(6), 0.125);
  const std::string text = printed(s, nullptr);
  EXPECT_EQ(text,
            "BEGIN qv_spectra;\n"
            "    DIMENSIONS ntax=4 nspect=2;\n"
            "    FORMAT\n        labels\n        weights\n    ;\n"
            "    THRESHOLD=0.01;\n"
            "    PARAMETERS 1 0.5;\n"
            "    LENTO;\n"
            "    MATRIX 1 [AT,U vs. CG]\n\t1 0.25,\n\t7 3,\n    ;\n"
            "    MATRIX 2 [AG vs. CT,U]\n\t6 0.25,\n    ;\n"
            "END;\n");
  tSpectraBlk copy;
  ASSERT_EQ(read_block(copy, taxa, text.substr(16)), 1);
  EXPECT_EQ(printed(copy, nullptr), text);

  // A valid block takes changes without its spectra; NO LENTO clears the flag.
  ASSERT_EQ(read_block(copy, taxa, "; NO LENTO; END"), 1);
  EXPECT_EQ(copy.get_lento(), 0);
  EXPECT_TRUE(copy.valid());

  // Rows known by their place alone keep their values.
  tSpectraBlk plain;
  ASSERT_EQ(read_block(plain, taxa, "; DIMENSIONS NTAX=4; FORMAT NO LABELS NO WEIGHTS; MATRIX 1 , , ,; END"), 1);
  const std::string plain_text = printed(plain, nullptr);
  EXPECT_NE(plain_text.find("        no labels\n        weights\n"), std::string::npos) << plain_text;
  EXPECT_NE(plain_text.find("\t1,\n\t1,\n\t1,\n\t0,\n"), std::string::npos) << plain_text;
  tSpectraBlk plain_copy;
  ASSERT_EQ(read_block(plain_copy, taxa, plain_text.substr(16)), 1);
  EXPECT_EQ(printed(plain_copy, nullptr), plain_text);
}

TEST(SpectraBlock, ComputedSpectraSaveAndServeWithoutTheCharacters)
{
  tCaptureScope cap;
  tDocument doc;
  doc.read_string(DNA);
  doc.read_string("assume method=stree");
  ASSERT_TRUE(doc.spectra->valid());
  ASSERT_TRUE(doc.splits->valid());
  EXPECT_STREQ(doc.splits->get_compatibility(), "compatible");
  const int tree_splits = doc.splits->get_nsplits();
  EXPECT_GT(tree_splits, 0);
  tNexusOutput out;
  out.OpenString();
  doc.spectra->print(&out, doc.taxa.get());
  const std::string text = out.GetString();

  // The spectra alone: the method follows them, and switching between the
  // two spectral methods keeps them.
  tDocument alone;
  alone.read_string(("begin taxa; dimensions ntax=5; taxlabels a b c d e; end;" + text).c_str());
  ASSERT_TRUE(alone.spectra->valid());
  EXPECT_EQ(alone.assumptions->method, "SPECTRAL");
  ASSERT_TRUE(alone.splits->valid());
  alone.read_string("assume method=stree");
  EXPECT_TRUE(alone.spectra->valid());
  ASSERT_TRUE(alone.splits->valid());
  EXPECT_EQ(alone.splits->get_nsplits(), tree_splits);
  tNexusOutput again;
  again.OpenString();
  alone.spectra->print(&again, alone.taxa.get());
  EXPECT_EQ(again.GetString(), text);

  // They cover all taxa, and cannot be saved next to fewer active ones.
  alone.read_string("assume extaxa=e");
  EXPECT_TRUE(alone.splits->valid());
  cap.fe.clear();
  tNexusOutput saved;
  saved.OpenString();
  alone.print_nexus(&saved);
  EXPECT_EQ(std::string(saved.GetString()).find("qv_spectra"), std::string::npos);
  EXPECT_NE(cap.fe.logged.find("QV_SPECTRA over 5 taxa not written: 4 taxa are active\n"), std::string::npos);
}

TEST(SpectraBlock, RefusedSpectraSayWhyAndLeaveNoSplits)
{
  tCaptureScope cap;
  // 32 taxa: too many.
  std::string labels, matrix;
  for (int t = 1; t <= 32; t++) {
    labels += " t" + std::to_string(t);
    matrix += " t" + std::to_string(t) + (t % 2 ? " ACGTACGA" : " ACGTTCGT");
  }
  tDocument doc;
  doc.read_string(("begin taxa; dimensions ntax=32; taxlabels" + labels + "; end;"
                   "begin characters; dimensions nchar=8; format datatype=dna; matrix" + matrix + "; end;").c_str());
  ASSERT_TRUE(doc.splits->valid());
  cap.fe.clear();
  doc.read_string("assume method=stree");
  EXPECT_EQ(cap.fe.warnings, (std::vector<std::string>{"Maximal value of ntax: 31"}));
  EXPECT_NE(cap.fe.logged.find("QV_SPECTRA not computed: 32 taxa, at most 31 allowed\n"), std::string::npos)
      << cap.fe.logged;
  EXPECT_NE(cap.fe.logged.find("Computing QV_SPLITS from QV_SPECTRA (tree, greedily): no valid QV_SPECTRA block "
                               "for these 32 taxa\n"),
            std::string::npos) << cap.fe.logged;
  EXPECT_FALSE(doc.spectra->valid());
  EXPECT_FALSE(doc.splits->valid());

  // No site where every taxon holds a nucleotide.
  tDocument gaps;
  gaps.read_string("begin taxa; dimensions ntax=4; taxlabels a b c d; end;"
                   "begin characters; dimensions nchar=4; format datatype=dna gap=-;"
                   " matrix a ACGT b AGGT c ACCT d ----; end;");
  cap.fe.clear();
  gaps.read_string("assume method=spectral");
  EXPECT_NE(cap.fe.logged.find(" s1-3 no site has a nucleotide (a, c, g, t or u) in every taxon\n"),
            std::string::npos) << cap.fe.logged;
  EXPECT_FALSE(gaps.spectra->valid());
  EXPECT_FALSE(gaps.splits->valid());
}
