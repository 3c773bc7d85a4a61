// The document: titles, the input limits, printing, saving and the pipeline.
#include <gtest/gtest.h>

#include <dirent.h>

#include "core/auxilary.h"
#include "document/document.h"
#include "nexus/nexus.h"
#include "tests/support/capture.h"
#include "tests/support/run.h"

namespace {

const char* const NEW_DOCUMENT =
  "#NEXUS\n"
  "BEGIN qv_assumptions;\n"
  "    DIMENSIONS ntax=0;\n"
  "    OPTIONS gapmode=MISSING;\n"
  "    METHOD=DSPLITS;\n"
  "    CONSISTENT;\n"
  "END;\n";

std::string printed(tDocument& doc)
{
  tNexusOutput out;
  out.OpenString();
  doc.print_nexus(&out);
  return out.GetString();
}

int files_in(const std::string& dir)
{
  int n = 0;
  DIR* d = opendir(dir.c_str());
  while (dirent* e = readdir(d))
    if (e->d_name[0] != '.')
      n++;
  closedir(d);
  return n;
}

} // namespace

TEST(Document, TitleTakesTheNameAfterTheLastSlash)
{
  tDocument doc;
  EXPECT_STREQ(doc.get_title(), "Untitled");
  doc.set_title("data/primates.nex");
  EXPECT_STREQ(doc.get_title(), "primates.nex");
  doc.set_title("dir/");
  EXPECT_STREQ(doc.get_title(), "dir/");
  doc.set_title("plain");
  EXPECT_STREQ(doc.get_title(), "plain");
  doc.set_title(nullptr);
  EXPECT_STREQ(doc.get_title(), "Untitled");
}

TEST(Document, NewDocumentPrintsOnlyItsAssumptions)
{
  tCaptureScope capture;
  tDocument doc;
  EXPECT_EQ(printed(doc), NEW_DOCUMENT);
  doc.print_nexus(nullptr);
  EXPECT_EQ(capture.fe.logged, "");
}

TEST(Document, InputStringLimit)
{
  tCaptureScope capture;
  tDocument doc;
  std::string text(31998, ' ');
  EXPECT_EQ(doc.read_string(text.c_str()), 1);
  EXPECT_TRUE(capture.fe.warnings.empty());
  text += ' ';
  EXPECT_EQ(doc.read_string(text.c_str()), 0);
  ASSERT_EQ(capture.fe.warnings.size(), 1u);
  EXPECT_EQ(capture.fe.warnings[0], "Input string too long");
  EXPECT_EQ(doc.read_string(""), 1) << "an empty command is a lone ';'";
}

TEST(Document, FreezeKeepsPendingWorkUntilThawed)
{
  tCaptureScope capture;
  tDocument doc;
  doc.freeze_update = 1;
  doc.assumptions->update.post(8);
  doc.read_string("begin x; end");
  EXPECT_EQ(doc.assumptions->update.check(8), 8) << "no pass runs while frozen";
  doc.freeze_update = 0;
  doc.read_string("begin x; end");
  EXPECT_EQ(doc.assumptions->update.updates, 0) << "a pass clears the word";
}

TEST(Document, ReadingAFileKeepsItsHeaderCommentsAndTitle)
{
  tCaptureScope capture;
  tTempDir dir;
  dir.write("a.nex", "#NEXUS\n[Written by hand]\nBEGIN unknown; x=1; END;\n");
  tDocument doc;
  doc.freeze_update = 0;
  EXPECT_EQ(doc.read_file(dir.file("a.nex").c_str()), 1);
  EXPECT_STREQ(doc.get_title(), "a.nex");
  EXPECT_EQ(doc.freeze_update, 0);
  const std::string text = printed(doc);
  EXPECT_EQ(text.find("#NEXUS\n"), 0u);
  EXPECT_NE(text.find("[Written by hand]"), std::string::npos);
  EXPECT_EQ(text.find("BEGIN unknown"), std::string::npos);
}

TEST(Document, SavingReplacesTheFileOnlyWhenComplete)
{
  tCaptureScope capture;
  tTempDir dir;
  tDocument doc;
  const std::string target = dir.file("saved.nex");
  ASSERT_EQ(doc.print_file(target.c_str()), 1);
  EXPECT_EQ(read_text_file(target), NEW_DOCUMENT);
  EXPECT_STREQ(doc.get_title(), "saved.nex");
  EXPECT_EQ(files_in(dir.path()), 1) << "no temporary file is left behind";

  const std::string nowhere = dir.file("missing/sub/out.nex");
  EXPECT_EQ(doc.print_file(nowhere.c_str()), 0);
  ASSERT_EQ(capture.fe.warnings.size(), 1u);
  EXPECT_EQ(capture.fe.warnings[0], "Can't open file: " + nowhere + " to write");
  EXPECT_STREQ(doc.get_title(), "saved.nex") << "a failed save keeps the title";
}

TEST(Document, SavedFileReadsBackToTheSameText)
{
  tCaptureScope capture;
  tTempDir dir;
  tDocument doc;
  doc.update_blocks();
  const std::string target = dir.file("round.nex");
  ASSERT_EQ(doc.print_file(target.c_str()), 1);
  tDocument again;
  ASSERT_EQ(again.read_file(target.c_str()), 1);
  EXPECT_EQ(printed(again), printed(doc));
}

// Open then save loses nothing: every file of other programs reopens with
// its header comments and its foreign blocks byte for byte as they stand in
// the original, and with the same data.
TEST(Document, OpenThenSaveKeepsEveryForeignByte)
{
  const std::string data = shared_data_dir();
  if (data.empty())
    GTEST_SKIP() << "no shared data folder beside the project";
  tTempDir dir;
  const std::string saved = dir.file("saved.nex");
  DIR* d = opendir(data.c_str());
  ASSERT_NE(d, nullptr);
  int foreign = 0;
  while (dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name.size() < 5 || name.compare(name.size() - 4, 4, ".nex") != 0)
      continue;
    SCOPED_TRACE(name);
    tCaptureScope capture;
    tDocument doc, again;
    if (!doc.read_file((data + "/" + name).c_str()))
      continue;
    const std::string original = read_text_file(data + "/" + name);
    for (const std::string& block : doc.get_foreign_blocks()) {
      EXPECT_NE(original.find(block), std::string::npos) << block;
      EXPECT_TRUE(same_token(block.substr(0, 5).c_str(), "BEGIN") && block.back() == ';') << block;
      foreign++;
    }
    ASSERT_EQ(doc.print_file(saved.c_str()), 1);
    ASSERT_EQ(again.read_file(saved.c_str()), 1);
    EXPECT_EQ(again.get_foreign_blocks(), doc.get_foreign_blocks());
    EXPECT_EQ(again.get_comments(), doc.get_comments());
    ASSERT_EQ(again.characters->valid(), doc.characters->valid());
    ASSERT_EQ(again.taxa->get_ntax(), doc.taxa->get_ntax());
    for (int t = 1; t <= doc.taxa->get_ntax(); t++)
      EXPECT_STREQ(again.taxa->getlabel(t), doc.taxa->getlabel(t));
    if (doc.characters->valid()) {
      for (int t = 1; t <= doc.taxa->get_ntax(); t++)
        for (int c = 1; c <= doc.characters->get_nchar(); c++)
          ASSERT_EQ(again.characters->get_matrix(t, c), doc.characters->get_matrix(t, c)) << t << " " << c;
    }
  }
  closedir(d);
  EXPECT_GT(foreign, 10);
}

// A NUL byte stays in a comment; elsewhere it reads as a blank, and says so.
TEST(Document, NulBytesStayInCommentsAndAreReportedElsewhere)
{
  using namespace std::string_literals;
  tCaptureScope capture;
  tTempDir dir;
  const std::string header = "[a\0b]\n"s;
  dir.write("nul.nex", "#NEXUS\n"s + header + "BEGIN TAXA; DIMENSIONS NTAX=2; TAXLABELS 'x\0y' z; END;"s);
  tDocument doc, again;
  ASSERT_EQ(doc.read_file(dir.file("nul.nex").c_str()), 1);
  EXPECT_NE(capture.fe.logged.find("NEXUS warning: NUL byte at byte 57 of the file read as a blank\n"),
            std::string::npos);
  EXPECT_STREQ(doc.taxa->getlabel(1), "x y");
  EXPECT_EQ(doc.get_comments(), header);
  ASSERT_EQ(doc.print_file(dir.file("saved.nex").c_str()), 1);
  ASSERT_EQ(again.read_file(dir.file("saved.nex").c_str()), 1);
  EXPECT_EQ(printed(again), printed(doc));
}
