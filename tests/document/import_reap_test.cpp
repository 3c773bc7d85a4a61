// REAP restriction-site files become a TAXA and a weighted CHARACTERS block.
#include <gtest/gtest.h>

#include "document/document.h"
#include "nexus/nexus.h"
#include "tests/support/capture.h"
#include "tests/support/run.h"

TEST(ImportReap, RowsMayBeSplitAndWeightsComeFromTheRValues)
{
  tCaptureScope capture;
  tTempDir dir;
  dir.write("sites.reap", "3 5 s\n6 6 4 6 5.5\n#\nalpha 01 101\n'beta gamma' 11111\ndelta 0 0 0 0 1\n");
  tDocument doc;
  doc.read_string(("import reap " + dir.file("sites.reap")).c_str());
  ASSERT_TRUE(doc.characters->valid()) << capture.fe.transcript;
  EXPECT_EQ(doc.taxa->get_ntax(), 3);
  EXPECT_STREQ(doc.taxa->getlabel(2), "beta gamma");
  EXPECT_EQ(doc.characters->get_nchar(), 5);
  const char* row1 = "01101";
  for (int c = 1; c <= 5; c++)
    EXPECT_EQ(doc.characters->get_matrix(1, c), row1[c - 1]);
  EXPECT_FLOAT_EQ(doc.characters->get_charweight(5), 5.5f);
  EXPECT_EQ(doc.assumptions->transform, "NEI_MILLER");
  EXPECT_STREQ(doc.get_title(), "sites.reap");
}

TEST(ImportReap, FormatErrorsKeepTheDocumentButTakeTheTitle)
{
  struct tCase {
    const char* text;
    const char* error;
  };
  const tCase cases[] = {
    {"3 5 x\n", "Line 1 must be: ntax nchar S"},
    {"2 3 S\n1 2 x\n", "Can't read 3-th r-value"},
    {"2 3 S\n1 2 3\na 010\n", "Expected '#'"},
    {"2 3 S\n1 2 3\n#\na 010\nb 0101\n", "Too many characters for 2-th taxon"},
    {"2 3 S\n1 2 3\n#\na 010\nb 01", "Too few characters for 2-th taxon"},
    {"2 3 S\n1 2 3\n#\na 010\n", "Can't read 2-th taxon label"},
  };
  for (const tCase& tc : cases) {
    SCOPED_TRACE(tc.text);
    tCaptureScope capture;
    tTempDir dir;
    dir.write("bad.reap", tc.text);
    tDocument doc;
    doc.read_string("begin taxa; dimensions ntax=2; taxlabels p q; end;");
    EXPECT_EQ(doc.import_reap(dir.file("bad.reap").c_str()), 0);
    EXPECT_NE(capture.fe.logged.find(std::string("NEXUS syntax error in IMPORT-reap: ") + tc.error),
              std::string::npos)
      << capture.fe.logged;
    EXPECT_STREQ(doc.taxa->getlabel(1), "p") << "the earlier data stay";
    EXPECT_STREQ(doc.get_title(), "bad.reap");
  }
  tCaptureScope capture;
  tDocument doc;
  EXPECT_EQ(doc.import_reap("/nonexistent/x.reap"), 0);
  ASSERT_EQ(capture.fe.warnings.size(), 1u);
  EXPECT_EQ(capture.fe.warnings[0], "Can't open file: /nonexistent/x.reap to read");
}
