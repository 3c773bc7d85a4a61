#include "blocks/blk_taxa.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nexus/nexus.h"
#include "tests/support/capture.h"

namespace {

using tStrings = std::vector<std::string>;

// Feeds "BEGIN TAXA; ..." to the block, whose reader starts behind the name.
int read_block(tTaxaBlk& taxa, const std::string& text, tNexusInput* in = nullptr)
{
  tNexusInput local;
  in = in ? in : &local;
  in->OpenString(text.c_str());
  in->NextToken();
  in->NextToken();
  return taxa.read(in);
}

std::string printed(const tTaxaBlk& taxa)
{
  tNexusOutput out;
  out.OpenString();
  taxa.print(&out);
  return out.GetString();
}

tStrings labels_of(const tTaxaBlk& taxa)
{
  tStrings labels;
  for (int t = 1; t <= taxa.get_ntax(); t++)
    labels.push_back(taxa.getlabel(t));
  return labels;
}

} // namespace

TEST(TaxaBlock, ReadsLabelsWithTheirPunctuationOnce)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  EXPECT_EQ(read_block(taxa, "begin taxa; dimensions ntax=3;\n taxlabels 'Homo sapiens'"
                             " Homo-sapiens Pan(x)/[c]y ; endblock;"), 1);
  EXPECT_EQ(labels_of(taxa), (tStrings{"Homo sapiens", "Homo-sapiens", "Pan(x)/y"}));
  EXPECT_EQ(taxa.label2n("homo-sapiens"), 0);
  EXPECT_EQ(read_block(taxa, "BEGIN TAXA; DIMENSIONS NTAX=1; TAXLABELS c; END;"), 0);
  EXPECT_TRUE(taxa.valid());
  EXPECT_EQ(taxa.get_ntax(), 3);
  EXPECT_EQ(cap.fe.logged, "TAXA: Read 3 taxa\nNEXUS syntax error in TAXA: Block already defined\n");
}

TEST(TaxaBlock, AutoAndDetectFillTheListOnlyWhenAlone)
{
  tCaptureScope cap;
  tTaxaBlk a, d, saved, mixed;
  read_block(a, "BEGIN TAXA; DIMENSIONS NTAX=3; TAXLABELS _AUTO_; END;");
  EXPECT_EQ(labels_of(a), (tStrings{"s1", "s2", "s3"}));
  read_block(d, "BEGIN TAXA; DIMENSIONS NTAX=2; TAXLABELS _detect_; END;");
  EXPECT_EQ(labels_of(d), (tStrings{"_DETECT_", "_DETECT_"}));
  // Labels no matrix replaced are saved one by one and must reopen.
  EXPECT_EQ(read_block(saved, printed(d)), 1);
  EXPECT_EQ(labels_of(saved), labels_of(d));
  read_block(mixed, "BEGIN TAXA; DIMENSIONS NTAX=2; TAXLABELS _AUTO_ b; END;");
  EXPECT_EQ(labels_of(mixed), (tStrings{"_AUTO_", "b"}));
}

TEST(TaxaBlock, CommandsOfOtherProgramsArePassedOverByName)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  EXPECT_EQ(read_block(taxa, "BEGIN TAXA; TITLE 'my; taxa'; DIMENSIONS NTAX=2; LINK x=y; TAXLABELS a b; "
                             "BLOCKID b1; ENDBLOCK;"), 1);
  EXPECT_EQ(labels_of(taxa), (tStrings{"a", "b"}));
  EXPECT_EQ(cap.fe.logged, "NEXUS warning: TITLE command not implemented\n"
                           "NEXUS warning: LINK command not implemented\n"
                           "NEXUS warning: BLOCKID command not implemented\n"
                           "TAXA: Read 2 taxa\n");
}

TEST(TaxaBlock, SyntaxErrorsLeaveTheBlockInvalidAndTheInputAtTheFault)
{
  const std::string head = "BEGIN TAXA; DIMENSIONS NTAX=5; TAXLABELS ";
  const tStrings cases[] = {
      {"BEGIN TAXA DIMENSIONS", "TAXA: Expected ';'", "DIMENSIONS"},
      {"BEGIN TAXA; NTAX=3;", "TAXA: DIMENSIONS command expected", "NTAX"},
      {"BEGIN TAXA; DIMENSIONS NTAX=0;", "TAXA-dimensions: Usage: NTAX=number-of-taxa;", "0"},
      {"BEGIN TAXA; DIMENSIONS NTAX 3;", "TAXA-dimensions: Usage: NTAX=number-of-taxa;", "3"},
      {head + "a b", "TAXA: Unexpected EOF", ""},
      {head + "a b c d;END;", "TAXA-taxlabels: Too few labels: 4", ";"},
      {head + "a b c d e f;END;", "TAXA-taxlabels: Expected: ';'", "f"},
      {head + "_AUTO_ b c d e f;", "TAXA-taxlabels: Expected: ';'", "f"},
      {head + "a b c d e; BEGIN", "TAXA: Expected END", "BEGIN"},
  };
  for (const auto& c : cases) {
    tCaptureScope cap;
    tNexusInput in;
    tTaxaBlk taxa;
    EXPECT_EQ(read_block(taxa, c[0], &in), 0);
    EXPECT_FALSE(taxa.valid()) << c[0];
    EXPECT_EQ(cap.fe.logged, "NEXUS syntax error in " + c[1] + "\n");
    EXPECT_STREQ(in.CurrentToken() ? in.CurrentToken() : "", c[2].c_str()) << c[0];
    // The interpreter skips the rest of the block under the usual punctuation.
    EXPECT_STREQ(in.GetPunctuationChars(), tNexusInput::DEFAULT_PUNCTUATION);
  }
}

TEST(TaxaBlock, PrintsLabelsThatReadBackUnchanged)
{
  tCaptureScope cap;
  tTaxaBlk empty, taxa, again;
  EXPECT_EQ(empty.print(nullptr), 0);
  EXPECT_EQ(cap.fe.logged, "No valid TAXA block\n");
  read_block(taxa, "BEGIN TAXA; DIMENSIONS NTAX=7; TAXLABELS Mus 'Homo sapiens' 'it''s'"
                   " 'a[1]' '' 'x;y' (a-b)/c; END;");
  const std::string text = printed(taxa);
  EXPECT_EQ(text, "BEGIN taxa;\n    DIMENSIONS ntax=7;\nTAXLABELS\n[1]    Mus\n"
                  "[2]    'Homo sapiens'\n[3]    'it''s'\n[4]    'a[1]'\n[5]    ''\n"
                  "[6]    'x;y'\n[7]    '(a-b)/c'\n;\nEND;\n");
  EXPECT_EQ(read_block(again, text), 1);
  EXPECT_EQ(labels_of(again), labels_of(taxa));

  // Quoted words that look like the list's end or its keywords are labels.
  tTaxaBlk odd, odd_again;
  ASSERT_EQ(read_block(odd, "BEGIN TAXA; DIMENSIONS NTAX=2; TAXLABELS '_AUTO_' ';'; END;"), 1);
  EXPECT_EQ(labels_of(odd), (tStrings{"_AUTO_", ";"}));
  EXPECT_EQ(read_block(odd_again, printed(odd)), 1);
  EXPECT_EQ(labels_of(odd_again), labels_of(odd));
}

TEST(TaxaBlock, ActiveTaxaAreRenumberedFromTheFullList)
{
  tCaptureScope cap;
  tTaxaBlk taxa;
  read_block(taxa, "BEGIN TAXA; DIMENSIONS NTAX=5; TAXLABELS a b c d e; END;");
  const std::string full = printed(taxa);
  cap.fe.clear();
  std::vector<char> flags = {0, 0, 1, 0, 1, 0};
  taxa.set_active_taxa(flags.data());
  EXPECT_EQ(cap.fe.logged, "TAXA excluding: b d\nTAXA active: 3\n");
  EXPECT_EQ(labels_of(taxa), (tStrings{"a", "c", "e"}));
  EXPECT_EQ(taxa.get_tax2orig(3), 5);
  EXPECT_EQ(taxa.label2n_orig(taxa.getlabel_orig(4)), 4);
  EXPECT_EQ(taxa.label2n("d"), 0);
  EXPECT_EQ(printed(taxa), "BEGIN taxa;\n    DIMENSIONS ntax=3; [Originally, ntax was 5]\n"
                           "TAXLABELS\n[1]    a\n[2]    c\n[3]    e\n;\nEND;\n");
  flags = {0, 1, 0, 0, 0, 0};
  taxa.set_active_taxa(flags.data());
  EXPECT_EQ(labels_of(taxa), (tStrings{"b", "c", "d", "e"}));
  taxa.set_active_taxa(nullptr);
  EXPECT_EQ(printed(taxa), full);
}
