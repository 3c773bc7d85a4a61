#include "blocks/blk_characters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blocks/blk_assumptions.h"
#include "blocks/blk_taxa.h"
#include "nexus/nexus.h"
#include "tests/blocks/block_text.h"
#include "tests/support/capture.h"

namespace {

using tStrings = std::vector<std::string>;

std::string printed(const tCharactersBlk& ch, const tTaxaBlk& taxa)
{
  tNexusOutput out;
  out.OpenString();
  ch.print(1, &out, &taxa);
  return out.GetString();
}

tStrings rows(const tCharactersBlk& ch)
{
  tStrings all(static_cast<size_t>(ch.get_ntax()));
  for (int t = 1; t <= ch.get_ntax(); t++)
    for (int c = 1; c <= ch.get_nchar(); c++)
      all[t - 1] += static_cast<char>(ch.get_matrix(t, c));
  return all;
}

std::string mask(const tCharactersBlk& ch)
{
  std::string s;
  for (int c = 1; c <= ch.get_nchar(); c++)
    s += ch.get_mask(c) ? '1' : '0';
  return s;
}

class Characters : public testing::Test {
protected:
  void make_taxa(int ntax, const std::string& labels)
  {
    read_taxa(taxa, ntax, labels);
    cap.fe.clear();
  }
  int read(const std::string& body, tCharactersBlk* block = nullptr)
  {
    return read_block(block ? *block : ch, taxa, "BEGIN CHARACTERS;\n" + body + "\nEND;", 2);
  }
  // Runs the active-site pass as the pipeline does after an exclusion.
  std::string active(int bits = 2)
  {
    cap.fe.clear();
    assumptions.update.post(bits);
    ch.compute(&taxa, &assumptions);
    return mask(ch);
  }
  tCaptureScope cap;
  tTaxaBlk taxa;
  tCharactersBlk ch;
  tAssumptionsBlk assumptions;
};

// Four taxa, ten DNA sites: 1 and 7 constant, 2, 3 and 5 informative, 4 a
// gap (then a missing symbol), 10 missing, 6, 8 and 9 uninformative.
class CharactersSites : public Characters {
protected:
  void SetUp() override
  {
    make_taxa(4, "a b c d");
    ASSERT_EQ(read("DIMENSIONS NCHAR=10; FORMAT DATATYPE=DNA MISSING=? GAP=-; MATRIX\n"
                   "a AAAAAAAAAA\nb AAC-ACACGA\nc ACC?CGAAT?\nd ACAACTAAAA\n;"), 1);
  }
};

} // namespace

TEST_F(Characters, EachLayoutReadsItsRows)
{
  struct tCase {
    const char* body;
    tStrings rows;
  };
  const tCase cases[] = {
    // Case folded; a row may come in chunks over several lines.
    {"DIMENSIONS NCHAR=4; FORMAT DATATYPE=DNA MATCHCHAR=.; MATRIX a acGT b AC\n  G\nT c .C.A;",
     {"ACGT", "ACGT", "ACGA"}},
    {"DIMENSIONS NCHAR=7; FORMAT DATATYPE=DNA MATCHCHAR=. INTERLEAVE;\n"
     "MATRIX\na AC GT\nb .. .A\nc ACGT\n\na\tTTG\nb C.G\nc AAA\n;",
     {"ACGTTTG", "ACGACTG", "ACGTAAA"}},
    // Transposed: a row per character, headed by its number.
    {"DIMENSIONS NCHAR=2; FORMAT DATATYPE=DNA TRANSPOSE MATCHCHAR=.; MATRIX 1 ACG\n2 T.A;", {"AT", "CT", "GA"}},
    {"DIMENSIONS NCHAR=2; FORMAT DATATYPE=DNA TRANSPOSE INTERLEAVE NO LABELS;\nMATRIX\nA C\nT T\nG\nA\n;",
     {"AT", "CT", "GA"}},
  };
  make_taxa(3, "a b c");
  for (const tCase& c : cases) {
    SCOPED_TRACE(c.body);
    tCharactersBlk block;
    ASSERT_EQ(read(c.body, &block), 1) << cap.fe.logged;
    EXPECT_EQ(rows(block), c.rows);
  }
}

TEST_F(Characters, ReportsAndPrintsTheBlock)
{
  make_taxa(3, "a b c");
  ASSERT_EQ(read("DIMENSIONS NTAX=3 NCHAR=8; FORMAT DATATYPE=DNA MISSING=? GAP=-;\n"
                 "MATRIX\na ACGTACGT\nb ACGTACGT\nc AC-?ACGA\n;"), 1);
  EXPECT_EQ(cap.fe.logged, "Valid CHARACTERS block: 3 sequences, each 8 characters, datatype: DNA\n"
                           "Sites: 8 gaps: 1 missing: 1 constant: 5 non-parsimony: 6\n");
  EXPECT_EQ(printed(ch, taxa), "BEGIN characters;\n"
                               "    DIMENSIONS nchar=8;\n"
                               "    FORMAT\n"
                               "        datatype=DNA\n"
                               "        missing=?\n"
                               "        gap=-\n"
                               "        symbols=\"A C G T\"\n"
                               "        labels\n"
                               "    ;\n"
                               "    MATRIX\n"
                               "a       ACGTACGT\n"
                               "b       ACGTACGT\n"
                               "c       AC-?ACGA\n"
                               "    ;\n"
                               "END;\n");
}

TEST_F(Characters, DetectedLabelsReplaceTheTaxaPlaceholders)
{
  make_taxa(2, "_DETECT_");
  ASSERT_EQ(read("DIMENSIONS NCHAR=4; FORMAT DATATYPE=DNA INTERLEAVE;\n"
                 "MATRIX\n'Homo sapiens' AC\nPan AG\n'Homo sapiens' GT\nPan GA\n;"), 1);
  EXPECT_STREQ(taxa.getlabel(1), "Homo sapiens");
  EXPECT_STREQ(taxa.getlabel(2), "Pan");
  EXPECT_EQ(rows(ch), (tStrings{"ACGT", "AGGA"}));
  // Printed labels read back as the same single token.
  EXPECT_NE(printed(ch, taxa).find("    'Homo sapiens' ACGT\n    Pan" + std::string(10, ' ') + "AGGA\n"),
            std::string::npos);
}

TEST_F(Characters, DatatypesGiveTheirAlphabetAndColors)
{
  make_taxa(2, "a b");
  auto colors = [](const tCharactersBlk& b, char s) { return b.symbols2colors[static_cast<unsigned char>(s)]; };
  // No DATATYPE, or no FORMAT at all: standard 0/1 data.
  tCharactersBlk standard, bare, rna, protein, letters, high;
  ASSERT_EQ(read("DIMENSIONS NCHAR=2; FORMAT MISSING=?; MATRIX a 01 b 1?;", &standard), 1);
  EXPECT_STREQ(standard.get_datatype(), "STANDARD");
  EXPECT_EQ(colors(standard, '1'), 2);
  EXPECT_NE(printed(standard, taxa).find("        symbols=\"0 1\"\n"), std::string::npos);
  ASSERT_EQ(read("DIMENSIONS NCHAR=2; MATRIX a 01 b 11;", &bare), 1);
  EXPECT_EQ(bare.ncolors, 2);
  // SYMBOLS extends a molecular alphabet.
  ASSERT_EQ(read("DIMENSIONS NCHAR=2; FORMAT DATATYPE=RNA SYMBOLS=\"x\"; MATRIX a ux b AU;", &rna), 1);
  EXPECT_STREQ(rna.get_symbols(), "ACGUX");
  EXPECT_EQ(colors(rna, 'U'), 4);
  EXPECT_EQ(rna.colors2symbols[5], 'X');
  // N and R are amino acids, not ambiguity codes.
  ASSERT_EQ(read("DIMENSIONS NCHAR=2; FORMAT DATATYPE=PROTEIN; MATRIX a NR b RN;", &protein), 1);
  EXPECT_EQ(protein.ncolors, 21);
  EXPECT_EQ(rows(protein), (tStrings{"NR", "RN"}));
  // Lower-case standard symbols code the folded states; a repeated symbol keeps one color.
  ASSERT_EQ(read("DIMENSIONS NCHAR=3; FORMAT SYMBOLS=\"a b b c\"; MATRIX a abc b cba;", &letters), 1);
  EXPECT_EQ(letters.ncolors, 3);
  EXPECT_EQ(colors(letters, 'C'), 3);
  // A declared high-bit byte is an ordinary state.
  ASSERT_EQ(read("DIMENSIONS NCHAR=2; FORMAT SYMBOLS=\"\xe9 0\"; MATRIX a \xe9" "0 b 0\xe9;", &high), 1);
  EXPECT_EQ(high.symbols2colors[0xe9], 1);
  EXPECT_EQ(high.get_matrix(2, 2), 0xe9);
}

TEST_F(Characters, AmbiguityCodesBecomeMissingOncePerMatrix)
{
  make_taxa(3, "a b c");
  ASSERT_EQ(read("DIMENSIONS NCHAR=4; FORMAT DATATYPE=DNA; MATRIX a ACGN b acrt c ACGY;"), 1);
  EXPECT_EQ(rows(ch), (tStrings{"ACG?", "AC?T", "ACG?"}));
  const std::string note = "Converting ambiguity codes (RYMKSWHBVDN) to 'missing'\n";
  EXPECT_EQ(cap.fe.logged.find(note), 0u);
  EXPECT_EQ(cap.fe.logged.find(note, 1), std::string::npos);
}

TEST_F(Characters, SyntaxErrorsNameTheirPlace)
{
  EXPECT_EQ(read("DIMENSIONS NCHAR=4;"), 0);
  EXPECT_EQ(cap.fe.logged, "NEXUS syntax error in CHARACTERS: Must be preceeded by TAXA-block\n");
  make_taxa(3, "a b c");
  EXPECT_EQ(read_block(ch, taxa, "BEGIN CHARACTERS; DIMENSIONS NCHAR=4; MATRIX a 01", 2), 0);
  EXPECT_EQ(cap.fe.logged, "NEXUS syntax error in CHARACTERS-matrix: Unexpected EOF\n"
                           "NEXUS syntax error in CHARACTERS: Bad block\n");

  const char* const cases[][2] = {
    {"FORMAT DATATYPE=DNA;", "CHARACTERS: DIMENSIONS command must come first"},
    {"DIMENSIONS NTAX=4 NCHAR=4;", "CHARACTERS-dimensions: Expected NTAX=3"},
    {"DIMENSIONS NEWTAXA NCHAR=4;", "CHARACTERS-dimensions: NEWTAXA not implemented"},
    {"DIMENSIONS NCHAR=0;", "CHARACTERS: Illegal values: ntax=3 nchar=0"},
    // Refused before the matrix is made: the input cannot fill it.
    {"DIMENSIONS NCHAR=2000000000; MATRIX", "CHARACTERS-dimensions: ntax=3 nchar=2000000000 make 6000000000 cells, "
                                           "more than the 12 bytes left in the input"},
    {"DIMENSIONS NCHAR=1; FOO;", "CHARACTERS: Unknown command: FOO"},
    {"DIMENSIONS NCHAR=4; FORMAT DATATYPE=DNX;", "CHARACTERS-datatype: Illegal type"},
    {"DIMENSIONS NCHAR=4; FORMAT GAP=(;", "CHARACTERS-format: Illegal GAP character: ("},
    {"DIMENSIONS NCHAR=4; FORMAT MATCHCHAR;", "CHARACTERS-format: Usage: MATCHCHAR=character"},
    {"DIMENSIONS NCHAR=4; FORMAT SYMBOLS=;", "CHARACTERS-format: Usage: SYMBOLS = \" symbol symbol ..\""},
    {"DIMENSIONS NCHAR=4; FORMAT INTERLEAVE=MAYBE;", "CHARACTERS-format: Usage: INTERLEAVE[=YES|NO]"},
    {"DIMENSIONS NCHAR=4; FORMAT LABELS=RIGHT;", "CHARACTERS-format: Usage: LABELS[=YES|NO]"},
    {"DIMENSIONS NCHAR=4; FORMAT INTERLEAVE; MATRIX\na 01(01\n", "CHARACTERS-matrix: Unterminated state set (character pos: 3)"},
    {"DIMENSIONS NCHAR=4; FORMAT EQUATE=\"X=AC\";", "CHARACTERS-format: Usage: EQUATE=\"symbol=expansion ...\""},
    {"DIMENSIONS NCHAR=4; FORMAT NO WAY;", "CHARACTERS-format: Usage: NO [INTERLEAVE|LABELS|TOKENS|TRANSPOSE]"},
    {"DIMENSIONS NCHAR=4; FORMAT DATAPOINT=FREQUENCY;", "CHARACTERS-format: Bad DATAPOINT command"},
    {"DIMENSIONS NCHAR=4; FORMAT FOO;", "CHARACTERS-format: Unknown command: FOO"},
    {"DIMENSIONS NCHAR=4; CHARWEIGHTS 1 2 3;", "CHARACTERS-charweights: Real value expected: ;"},
    // Every failure inside MATRIX is followed by "Bad block".
    {"DIMENSIONS NCHAR=4; FORMAT TOKENS; MATRIX a 0101;", "CHARACTERS-matrix: Unsupported matrix format"},
    {"DIMENSIONS NCHAR=4; MATRIX a 0101 b 01X1 c 0000;", "CHARACTERS-matrix: Undefined symbol at row 2, col 3: 'X'"},
    {"DIMENSIONS NCHAR=4; FORMAT MATCHCHAR=.; MATRIX a 0.01;", "CHARACTERS-matrix: Matchchar illegal in 1. row"},
    {"DIMENSIONS NCHAR=4; MATRIX a 0101 x 0101;",
     "CHARACTERS-matrix: Label 2 differs definition in TAXA-block (x v.s b) (character pos: 5)"},
    {"DIMENSIONS NCHAR=4; FORMAT INTERLEAVE; MATRIX\na 01010\n", "CHARACTERS-matrix: Too many characters: 6"},
    {"DIMENSIONS NCHAR=4; FORMAT INTERLEAVE; MATRIX\na 0101\nb 01\n", "CHARACTERS-matrix: Row lengths differ"},
    {"DIMENSIONS NCHAR=4; FORMAT INTERLEAVE; MATRIX\na 01\nb 0x\n",
     "CHARACTERS-matrix: Undefined symbol: 'X'  (character pos: 1)"},
    {"DIMENSIONS NCHAR=2; FORMAT TRANSPOSE; MATRIX 2 000;",
     "CHARACTERS-matrix: Labels differ from those defined in charstatelabels"},
    // Taxon 1's own cell has nothing to copy, in any character row.
    {"DIMENSIONS NCHAR=2; FORMAT TRANSPOSE MATCHCHAR=.; MATRIX 1 000 2 .00;",
     "CHARACTERS-matrix: Matchchar illegal in 1. row"},
    {"DIMENSIONS NCHAR=4; MATRIX a 0101 b 0101 c 0101", "Characters-Matrix: Missing ';'?"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    cap.fe.clear();
    tCharactersBlk block;
    EXPECT_EQ(read(c[0], &block), 0);
    EXPECT_FALSE(block.valid());
    const bool in_matrix = std::string(c[1]).find("atrix") != std::string::npos;
    EXPECT_EQ(cap.fe.logged, std::string("NEXUS syntax error in ") + c[1] + "\n" +
                                 (in_matrix ? "NEXUS syntax error in CHARACTERS: Bad block\n" : ""));
  }
}

// Other programs write the same data in many equivalent ways; each must read
// as the plain form does.
TEST_F(Characters, EquivalentFormsOfOtherProgramsReadAlike)
{
  make_taxa(3, "'Homo sapiens' b c");
  const std::string plain = "DIMENSIONS NCHAR=4; FORMAT DATATYPE=STANDARD SYMBOLS=\"0 1 2\" MISSING=? GAP=-;"
                            " MATRIX 'Homo sapiens' 0120 b 1?-2 c 2221;";
  ASSERT_EQ(read(plain), 1);
  const tStrings expected = rows(ch);
  const char* const variants[] = {
    "DIMENSIONS NCHAR=4; FORMAT SYMBOLS=\"012\" GAP=- MISSING=? DATATYPE=STANDARD; MATRIX Homo_sapiens 0120 b 1?-2 c 2221;",
    "DIMENSIONS NCHAR=4 NTAX=3; FORMAT SYMBOLS=012 GAP=-; MATRIX 'Homo sapiens' 0120 b 1?-2 c 2221;",
    "DIMENSIONS NCHAR=4; FORMAT SYMBOLS='0 1 2' NOLABELS GAP=-; MATRIX 0120 1?-2 2221;",
    "TITLE 'my data'; LINK TAXA = t; DIMENSIONS NCHAR=4; FORMAT SYMBOLS=\"210\" GAP=- LABELS=LEFT TRANSPOSE=NO"
    " INTERLEAVE=NO; CHARSTATELABELS 1 a / x y; OPTIONS gapmode=missing; MATRIX 'Homo sapiens' 0120 b 1?-2 c 2221;",
    "DIMENSIONS NCHAR=4; FORMAT SYMBOLS=\"0 1 2\" INTERLEAVE=YES GAP=-; MATRIX\n'Homo sapiens' 01\nb 1?\nc 22\n"
    "Homo_sapiens 20\nb -2\nc 21\n;",
  };
  for (const char* text : variants) {
    SCOPED_TRACE(text);
    tCharactersBlk block;
    ASSERT_EQ(read(text, &block), 1) << cap.fe.logged;
    EXPECT_EQ(rows(block), expected);
    EXPECT_EQ(std::string(block.get_symbols()).size(), 3u);
  }
}

TEST_F(Characters, PolymorphicAndAmbiguousCellsAreMissingWithOneNote)
{
  make_taxa(3, "a b c");
  ASSERT_EQ(read("DIMENSIONS NCHAR=4; FORMAT SYMBOLS=\"012\"; MATRIX a 0(0 1)1{12} b (0,1)012 c 2{01}22;"), 1);
  EXPECT_EQ(rows(ch), (tStrings{"0?1?", "?012", "2?22"}));
  const std::string note = "Converting polymorphic and uncertain cells ((..) and {..}) to 'missing'\n";
  EXPECT_EQ(cap.fe.logged.find(note), 0u);
  EXPECT_EQ(cap.fe.logged.find(note, 1), std::string::npos);
  tCharactersBlk interleaved;
  ASSERT_EQ(read("DIMENSIONS NCHAR=3; FORMAT INTERLEAVE; MATRIX\na 0(0,1)\nb 11\nc {01}0\na 1\nb 0\nc 1\n;",
                 &interleaved), 1);
  EXPECT_EQ(rows(interleaved), (tStrings{"0?1", "110", "?01"}));
  tCharactersBlk equated;
  ASSERT_EQ(read("DIMENSIONS NCHAR=3; FORMAT DATATYPE=DNA EQUATE=\"Q=(AC) z={CG} U=T\"; MATRIX a QCU b zqt c ACG;",
                 &equated), 1);
  EXPECT_EQ(rows(equated), (tStrings{"?CT", "??T", "ACG"}));
  tCharactersBlk protein;
  ASSERT_EQ(read("DIMENSIONS NCHAR=3; FORMAT DATATYPE=PROTEIN; MATRIX a ARN b BX* c ZVN;", &protein), 1);
  EXPECT_EQ(rows(protein), (tStrings{"ARN", "???", "ZVN"}));
}

TEST_F(Characters, ABlockWithItsOwnTaxaDefinesThem)
{
  tTaxaBlk own;
  tCharactersBlk block;
  ASSERT_EQ(read_block(block, own, "BEGIN DATA; DIMENSIONS NTAX=2 NCHAR=3; FORMAT DATATYPE=DNA; MATRIX x ACG 'y z' AC-;", 2), 0);
  EXPECT_FALSE(own.valid()) << "a failed block leaves no taxa behind";
  ASSERT_EQ(read_block(block, own, "BEGIN DATA; DIMENSIONS NTAX=2 NCHAR=3; FORMAT DATATYPE=DNA GAP=-; MATRIX x ACG 'y z' AC-; END;",
                       2), 1);
  ASSERT_TRUE(own.valid());
  EXPECT_EQ(own.get_ntax(), 2);
  EXPECT_STREQ(own.getlabel(2), "y z");
  EXPECT_NE(cap.fe.logged.find("TAXA: Read 2 taxa from the matrix\n"), std::string::npos);
  // Refusals that stay: without NTAX there is nothing to make the taxa from,
  // and data the transforms cannot use is named.
  cap.fe.clear();
  tTaxaBlk none;
  tCharactersBlk other;
  EXPECT_EQ(read_block(other, none, "BEGIN DATA; DIMENSIONS NCHAR=3; END;", 2), 0);
  EXPECT_EQ(read_block(other, none, "BEGIN DATA; DIMENSIONS NTAX=2 NCHAR=3; FORMAT DATATYPE=CONTINUOUS;", 2), 0);
  EXPECT_EQ(read_block(other, none, "BEGIN DATA; DIMENSIONS NTAX=2 NCHAR=3; FORMAT STATESFORMAT=FREQUENCY;", 2), 0);
  EXPECT_FALSE(none.valid());
  EXPECT_EQ(cap.fe.logged, "NEXUS syntax error in CHARACTERS: Must be preceeded by TAXA-block\n"
                           "NEXUS warning: CONTINUOUS data cannot be analysed: block skipped\n"
                           "NEXUS warning: STATESFORMAT=FREQUENCY data cannot be analysed: block skipped\n");
}

TEST_F(Characters, ASecondBlockReplacesOnlyTheMatrix)
{
  make_taxa(2, "a b");
  ASSERT_EQ(read("DIMENSIONS NCHAR=2; MATRIX a 01 b 11;"), 1);
  cap.fe.clear();
  EXPECT_EQ(read("DIMENSIONS NCHAR=3;"), 0);
  EXPECT_EQ(read("FORMAT MISSING=-;"), 0);
  EXPECT_EQ(cap.fe.logged, "NEXUS syntax error in CHARACTERS-format: Can't change DIMENSIONS\n"
                           "NEXUS syntax error in CHARACTERS-format: Can't change MISSING\n");
  EXPECT_EQ(read("MATRIX a 10 b 00;"), 1);
  EXPECT_EQ(rows(ch), (tStrings{"10", "00"}));
}

TEST_F(Characters, UnsupportedCommandsAreSkippedAndLongMatricesShowProgress)
{
  make_taxa(2, "a b");
  ASSERT_EQ(read("DIMENSIONS NCHAR=2; CHARSTATELABELS 1 'x;y', 2 z; FORMAT RESPECTCASE; MATRIX a 01 b 10;"), 1);
  EXPECT_EQ(cap.fe.logged.rfind("NEXUS warning: CHARSTATELABELS command not implemented\n"
                                "NEXUS warning: RESPECTCASE: untested option...\n\n", 0), 0u);
  cap.fe.clear();
  const std::string seq(501, '0');
  tCharactersBlk long_block;
  ASSERT_EQ(read("DIMENSIONS NCHAR=501; MATRIX a 1" + seq.substr(1) + " b " + seq + ";", &long_block), 1);
  EXPECT_EQ(cap.fe.logged.rfind("CHARACTERS:..\nValid CHARACTERS block: 2 sequences, each 501 characters", 0), 0u);
}

TEST_F(Characters, EveryLayoutReadsBackAsPrinted)
{
  // Wide enough for several interleaved blocks; tall enough to wrap
  // transposed rows at 70 taxa and to split them into blocks of 50.
  for (const auto& shape : {std::pair<int, int>{3, 60}, std::pair<int, int>{75, 5}}) {
    tTaxaBlk many;
    read_taxa(many, shape.first, "_AUTO_");
    std::string body = "BEGIN CHARACTERS; DIMENSIONS NCHAR=" + std::to_string(shape.second) +
                       "; FORMAT DATATYPE=DNA GAP=- MATCHCHAR=.; MATRIX\n";
    for (int t = 1; t <= shape.first; t++) {
      body += "s" + std::to_string(t) + " ";
      for (int c = 1; c <= shape.second; c++)
        body += "ACGT-?"[(t * 7 + c * c) % 6];
      body += "\n";
    }
    tCharactersBlk block;
    ASSERT_EQ(read_block(block, many, body + "; END;", 2), 1);
    for (int layout = 0; layout < 8; layout++) {
      SCOPED_TRACE(std::to_string(shape.first) + " taxa, layout " + std::to_string(layout));
      block.interleave = layout & 1;
      block.transpose = (layout >> 1) & 1;
      block.labels = !((layout >> 2) & 1);
      const std::string text = printed(block, many);
      tCharactersBlk back;
      ASSERT_EQ(read_block(back, many, text, 2), 1) << text;
      EXPECT_EQ(rows(back), rows(block));
      EXPECT_EQ(printed(back, many), text);
    }
  }
}

TEST_F(Characters, WeightsWrapAndReadBack)
{
  make_taxa(2, "a b");
  std::string weights, zeros(30, '0');
  for (int c = 1; c <= 30; c++)
    weights += " 2";
  ASSERT_EQ(read("DIMENSIONS NCHAR=30; CHARWEIGHTS" + weights + "; MATRIX a " + zeros + " b 1" + zeros.substr(1) +
                 ";"), 1);
  ASSERT_TRUE(ch.has_charweights());
  EXPECT_EQ(ch.get_charweight(30), 2.0f);
  const std::string text = printed(ch, taxa);
  EXPECT_NE(text.find("    CHARWEIGHTS" + weights.substr(0, 56) + "\n         2 2\n    ;\n    MATRIX\n"),
            std::string::npos) << text;
  tCharactersBlk back;
  ASSERT_EQ(read_block(back, taxa, text, 2), 1);
  EXPECT_EQ(printed(back, taxa), text);
}

TEST_F(CharactersSites, CountsEachSiteOnce)
{
  EXPECT_EQ(cap.fe.logged.substr(cap.fe.logged.find("Sites:")),
            "Sites: 10 gaps: 1 missing: 1 constant: 2 non-parsimony: 5\n");
  cap.fe.clear();
  tCharactersBlk flat;
  EXPECT_EQ(read("DIMENSIONS NCHAR=2; FORMAT DATATYPE=DNA; MATRIX a AC b AC c AC d AC;", &flat), 1);
  EXPECT_EQ(cap.fe.warnings, (tStrings{"All sites are constant, invalid!"}));
  EXPECT_FALSE(flat.valid());
}

TEST_F(CharactersSites, ExclusionsSelectTheActiveSites)
{
  EXPECT_EQ(mask(ch), "1111111111");  // before the first pass
  EXPECT_EQ(active(), "1111111111");
  EXPECT_EQ(cap.fe.logged, "Active sites: 10\nCHARACTERS: All active\n");
  EXPECT_EQ(assumptions.update.check(4095), 4 | 8 | 64 | 256);
  EXPECT_EQ(ch.get_mask(0) + ch.get_mask(11), 0);

  struct tCase {
    int tAssumptionsBlk::*field;
    int value;
    const char* mask;
  };
  const tCase cases[] = {
    {&tAssumptionsBlk::exclude_gaps, 1, "1110111111"},
    {&tAssumptionsBlk::exclude_missing, 1, "1110111110"},  // a gap before the missing symbol does not hide it
    {&tAssumptionsBlk::exclude_constant, -1, "0111110111"},
    {&tAssumptionsBlk::exclude_nonparsimony, 1, "0110100000"},
    {&tAssumptionsBlk::exclude_codon3, 1, "1101101101"},
    {&tAssumptionsBlk::exclude_codon1, 1, "0110110110"},
  };
  for (const tCase& c : cases) {
    SCOPED_TRACE(c.mask);
    assumptions.*c.field = c.value;
    EXPECT_EQ(active(), c.mask);
    assumptions.*c.field = 0;
  }
  EXPECT_EQ(taxa.get_active_nchar(), 6);
  assumptions.exclude_codon3 = 1;
  assumptions.codon_offset = 1;
  EXPECT_EQ(active(), "1011011011");
  assumptions.exclude_codon3 = assumptions.codon_offset = 0;
  assumptions.exset.assign(11, 0);
  assumptions.exset[1] = assumptions.exset[10] = 1;
  EXPECT_EQ(active(), "0111111110");
  EXPECT_EQ(cap.fe.logged, "Active sites: 8\n");
  assumptions.exset.clear();
  assumptions.exclude_constant = 3;  // only discounted: the mask keeps them
  EXPECT_EQ(active(), "1111111111");
  EXPECT_EQ(cap.fe.logged, "Active sites: 7\nCHARACTERS: All active\n");
  // Nothing pending, nothing done.
  assumptions.exclude_constant = -1;
  EXPECT_EQ(active(0), "1111111111");
  EXPECT_EQ(cap.fe.logged, "");
}

TEST_F(CharactersSites, ActiveTaxaBorrowTheirFullRows)
{
  std::vector<char> flags(5, 0);
  flags[4] = 1;
  taxa.set_active_taxa(flags.data());
  active(1);
  EXPECT_EQ(ch.get_ntax(), 3);
  EXPECT_EQ(ch.get_ntax_orig(), 4);
  EXPECT_NE(cap.fe.logged.find("Sites: 10 gaps: 1 missing: 1 constant: 2 non-parsimony: 8\n"), std::string::npos);
  EXPECT_EQ(rows(ch), (tStrings{"AAAAAAAAAA", "AAC-ACACGA", "ACC?CGAAT?"}));
  // A later restriction starts again from the full rows.
  flags.assign(5, 0);
  flags[1] = 1;
  taxa.set_active_taxa(flags.data());
  active(1);
  EXPECT_EQ(rows(ch), (tStrings{"AAC-ACACGA", "ACC?CGAAT?", "ACAACTAAAA"}));
  EXPECT_NE(printed(ch, taxa).find("b       AAC-ACACGA\nc       ACC?CGAAT?\nd       ACAACTAAAA\n"),
            std::string::npos);
}

TEST_F(CharactersSites, SourceMatrixHoldsTheActiveColumns)
{
  assumptions.exclude_nonparsimony = 1;
  active();
  int ntax_mat = 0, nchar_mat = 0;
  tCharMatrix source;
  EXPECT_EQ(ch.make_source_matrix(ntax_mat, nchar_mat, source), 1);
  ASSERT_EQ(ntax_mat, 4);
  ASSERT_EQ(nchar_mat, 3);
  tStrings got;
  for (int t = 1; t <= ntax_mat; t++)
    got.emplace_back(source[t].begin() + 1, source[t].end());
  EXPECT_EQ(got, (tStrings{"AAA", "ACA", "CCC", "CAC"}));
}

TEST_F(Characters, ConstantFrequenciesKeepTheObservedProportions)
{
  make_taxa(3, "a b c");
  // Constant A, A, C, G; then all missing, all gaps, a variable site and an excluded constant one.
  ASSERT_EQ(read("DIMENSIONS NCHAR=8; FORMAT DATATYPE=DNA GAP=-; MATRIX a AACG?-TA b AACG?-AA c AACG?-TA;"), 1);
  EXPECT_EQ(cap.fe.logged.substr(cap.fe.logged.find("Sites:")),
            "Sites: 8 gaps: 1 missing: 1 constant: 5 non-parsimony: 6\n");
  assumptions.exset.assign(9, 0);
  assumptions.exset[8] = 1;
  active();
  cap.fe.clear();
  ch.compute_const_freq(8);
  EXPECT_EQ(cap.fe.logged, "Excluding 8 constant sites:\n A:4 C:2 G:2\n");
  EXPECT_EQ(ch.constant_freq[static_cast<unsigned char>('A')], 4.0f);
}
