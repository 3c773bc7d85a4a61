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
  EXPECT_EQ(printed(doc), NEW_DOCUMENT);
  doc.print_nexus(nullptr);
  EXPECT_EQ(capture.fe.logged, "");
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
    // Also files that fail part way: what was read must survive the save.
    doc.read_file((data + "/" + name).c_str());
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

namespace {

std::string many_dna_taxa(int n)
{
  std::string text = "begin taxa; dimensions ntax=" + std::to_string(n) + "; taxlabels";
  for (int i = 1; i <= n; i++)
    text += " t" + std::to_string(i);
  text += "; end; begin characters; dimensions nchar=8; format datatype=dna; matrix";
  const char* const bases = "ACGT";
  for (int i = 1; i <= n; i++) {
    std::string row = "ACGTACGT";
    row[static_cast<size_t>(i % 8)] = bases[(i / 8) % 4];
    row[static_cast<size_t>((i / 3) % 8)] = bases[i % 4];
    text += " t" + std::to_string(i) + " " + row;
  }
  return text + "; end;";
}

} // namespace

// After a good pass, every kind of failed step leaves nothing derived from
// the old input: not in the blocks, not in SHOW, not in a saved file.
TEST(Document, FailedComputationClearsWhatWasDerivedFromIt)
{
  const std::string protein =
    "begin taxa; dimensions ntax=5; taxlabels a b c d e; end;"
    " begin characters; dimensions nchar=12; format datatype=protein; matrix"
    " a ACDEFGHIKLMN b ACDEFGHIKLMQ c ACDEFGHIKRMQ d ACDEYGHIKRWQ e ACWEYGHVKRWQ; end;"
    " assume options gapmode=newstate";
  const struct {
    const char* kind;
    std::string data;     // a file under the source tree, or commands
    const char* failing;  // the command whose computation fails
    const char* report;
  } cases[] = {
    {"refused transform", protein, "assume transform=pam250",
     "QV_SPLITS and QV_GRAPH cleared: the computation of DISTANCES failed\n"},
    {"failing method", "examples/primates.nex", "assume method=lsplits",
     "QV_SPLITS, QV_GRAPH and QV_BOOTSTRAP cleared: the computation of QV_SPLITS failed\n"},
    {"refused spectra", many_dna_taxa(33), "assume method=spectral",
     "QV_SPLITS and QV_GRAPH cleared: the computation of QV_SPECTRA failed\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    tCaptureScope capture;
    tTempDir dir;
    tDocument doc;
    if (c.data.rfind("examples/", 0) == 0) {
      ASSERT_EQ(doc.read_file((source_dir() + "/" + c.data).c_str()), 1);
      doc.read_string("bootstrap 3");
      ASSERT_NE(doc.bootstrap->get_support(), nullptr);
    } else {
      doc.read_string(c.data.c_str());
    }
    ASSERT_TRUE(doc.splits->valid() && doc.sgraph->valid());
    const long failures = failure_count();
    capture.fe.clear();
    doc.read_string(c.failing);
    EXPECT_EQ(failure_count(), failures + 1);
    EXPECT_NE(capture.fe.logged.find(c.report), std::string::npos) << capture.fe.logged;
    EXPECT_FALSE(doc.splits->valid());
    EXPECT_FALSE(doc.sgraph->valid());
    EXPECT_EQ(doc.bootstrap->get_support(), nullptr);

    capture.fe.clear();
    doc.read_string("show qv_splits qv_graph qv_bootstrap");
    EXPECT_EQ(capture.fe.logged.find("BEGIN"), std::string::npos) << capture.fe.logged;
    const std::string saved = dir.file("saved.nex");
    ASSERT_EQ(doc.print_file(saved.c_str()), 1);
    const std::string text = read_text_file(saved);
    for (const char* block : {"BEGIN qv_splits", "BEGIN qv_graph", "BEGIN qv_bootstrap"})
      EXPECT_EQ(text.find(block), std::string::npos) << block;
    tDocument reopened;
    ASSERT_EQ(reopened.read_file(saved.c_str()), 1);
    EXPECT_FALSE(reopened.splits->valid());
    EXPECT_FALSE(reopened.sgraph->valid());
  }
}

TEST(Document, FilesOpeningEachOtherAreNotReadAgain)
{
  tCaptureScope capture;
  tTempDir dir;
  const std::string opens_a = "#NEXUS\nopen '" + dir.file("a.nex") + "';\n";
  dir.write("a.nex", "#NEXUS\nopen '" + dir.file("b.nex") + "';\n");
  dir.write("b.nex", opens_a + opens_a.substr(7));
  tDocument doc;
  const long failures = failure_count();
  EXPECT_EQ(doc.read_file(dir.file("a.nex").c_str()), 1);
  ASSERT_EQ(capture.fe.warnings.size(), 2u);
  EXPECT_EQ(capture.fe.warnings[0], "Can't open file: " + dir.file("a.nex") + " (it is being read already)");
  EXPECT_EQ(failure_count(), failures + 2);
  EXPECT_EQ(doc.read_file(dir.file("b.nex").c_str()), 1) << "a file read before may be read again";
}
