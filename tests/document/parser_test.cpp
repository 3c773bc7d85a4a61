// The reading loop as a user drives it: saving and showing chosen blocks,
// freezing, nested streams, and a second TAXA block.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/document.h"
#include "nexus/nexus.h"
#include "tests/support/capture.h"
#include "tests/support/run.h"

namespace {

const char* const THREE_TAXA = "begin taxa; dimensions ntax=3; taxlabels a b 'c d'; end;";

std::string shown(tDocument& doc, const char* blocks)
{
  tNexusOutput out;
  out.OpenString();
  if (*blocks) {
    tCaptureScope capture;
    doc.read_string((std::string("show ") + blocks).c_str());
    return capture.fe.logged;
  }
  doc.print_nexus(&out);
  return out.GetString();
}

} // namespace

TEST(Parser, SaveChosenBlocksAndShowThem)
{
  tCaptureScope capture;
  tTempDir dir;
  tDocument doc;
  doc.read_string(THREE_TAXA);
  const std::string file = dir.file("part.nex");
  doc.read_string(("save taxa qv_assumptions foo " + file).c_str());
  EXPECT_NE(capture.fe.logged.find("NEXUS warning: Unknown block type: foo\n"), std::string::npos);
  const std::string text = read_text_file(file);
  EXPECT_EQ(text.rfind("#NEXUS\nBEGIN taxa;\n", 0), 0u) << text;
  EXPECT_NE(text.find("END;\nBEGIN qv_assumptions;\n"), std::string::npos);
  EXPECT_EQ(text.find("CONSISTENT"), std::string::npos) << "SAVE of chosen blocks is not consistent";
  EXPECT_STREQ(doc.get_title(), "Untitled") << "saving chosen blocks keeps the title";

  std::string show = shown(doc, "taxa qv_assumptions");
  const std::string consistent = "    CONSISTENT;\n";
  const size_t at = show.find(consistent);
  ASSERT_NE(at, std::string::npos) << "SHOW marks the block consistent when nothing is pending";
  show.erase(at, consistent.size());
  EXPECT_EQ(show, text.substr(7));
}

TEST(Parser, SavedDocumentReadsBackToTheSameText)
{
  tCaptureScope capture;
  tTempDir dir;
  tDocument doc;
  doc.read_string(THREE_TAXA);
  doc.read_string("assume exclude gaps; assume method=dtree; title first");
  const std::string file = dir.file("whole.nex");
  doc.read_string(("save " + file).c_str());
  EXPECT_STREQ(doc.get_title(), "whole.nex");

  tDocument again;
  again.read_string(("open " + file).c_str());
  EXPECT_EQ(shown(again, ""), shown(doc, ""));
  EXPECT_STREQ(again.taxa->getlabel(3), "c d");
}

TEST(Parser, FailedSaveKeepsTheEarlierFile)
{
  tCaptureScope capture;
  tTempDir dir;
  tDocument doc;
  doc.read_string(THREE_TAXA);
  const std::string file = dir.file("keep.nex");
  doc.read_string(("save " + file).c_str());
  const std::string before = read_text_file(file);
  doc.read_string(("save taxa " + dir.file("no/such/dir.nex")).c_str());
  ASSERT_EQ(capture.fe.warnings.size(), 1u);
  EXPECT_EQ(capture.fe.warnings[0], "Can't open file: " + dir.file("no/such/dir.nex") + " to write");
  EXPECT_EQ(read_text_file(file), before);
}

TEST(Parser, FreezeDefersComputationUntilCompute)
{
  tCaptureScope capture;
  tDocument doc;
  doc.read_string(THREE_TAXA);
  doc.read_string("freeze; assume method=dtree;");
  EXPECT_EQ(doc.freeze_update, 1);
  EXPECT_NE(doc.assumptions->update.updates, 0) << "pending while frozen";
  doc.read_string("unfreeze;");
  EXPECT_EQ(doc.freeze_update, 0);
  EXPECT_EQ(doc.assumptions->update.updates, 0) << "unfreeze drops the pending work";
  EXPECT_EQ(doc.assumptions->method, "dtree");
  doc.read_string("unfreeze; unfreeze;");
  EXPECT_EQ(doc.freeze_update, 0) << "a stray unfreeze never switches the pipeline off";
  doc.freeze_update = 2;
  doc.assumptions->update.post(8);
  doc.read_string("begin x; end");
  EXPECT_EQ(doc.assumptions->update.check(8), 8) << "no pass runs while frozen";
  doc.read_string("compute;");
  EXPECT_EQ(doc.freeze_update, 0);
  EXPECT_EQ(doc.assumptions->update.updates, 0) << "the pass clears the word";
}

TEST(Parser, SecondTaxaBlockEmptiesTheDocument)
{
  tCaptureScope capture;
  tDocument doc;
  doc.read_string(THREE_TAXA);
  doc.read_string("assume method=dtree; title kept");
  doc.read_string("begin taxa; dimensions ntax=2; taxlabels x y; end;");
  EXPECT_EQ(doc.taxa->get_ntax(), 2);
  EXPECT_EQ(doc.assumptions->method, "DSPLITS") << "assumptions were reset";
  EXPECT_STREQ(doc.get_title(), "Untitled") << "a command string removes the title";
}

// Blocks of other programs are written back on a whole save, verbatim, and
// go with the data they came with.
TEST(Parser, ForeignBlocksComeBackOnSaveOnly)
{
  tCaptureScope capture;
  tTempDir dir;
  tDocument doc;
  const std::vector<std::string> foreign = {"BEGIN notes; [c;] text taxon=a text='c d';\nEND;", "begin PAUP;end;"};
  doc.read_string((THREE_TAXA + foreign[0] + " " + foreign[1]).c_str());
  EXPECT_EQ(doc.get_foreign_blocks(), foreign);
  EXPECT_NE(capture.fe.logged.find("NEXUS warning: Unknown block type: notes\n(Skipping to end of block)\n"),
            std::string::npos);
  EXPECT_EQ(shown(doc, "").find("notes"), std::string::npos) << "SHOW is as it was";
  doc.read_string(("save taxa " + dir.file("part.nex")).c_str());
  EXPECT_EQ(read_text_file(dir.file("part.nex")).find("notes"), std::string::npos);
  doc.read_string(("save " + dir.file("whole.nex")).c_str());
  const std::string whole = read_text_file(dir.file("whole.nex"));
  const std::string tail = "END;\n" + foreign[0] + "\n" + foreign[1] + "\n";
  EXPECT_EQ(whole.substr(whole.size() - tail.size()), tail) << "after our own blocks";

  doc.read_string("begin taxa; dimensions ntax=2; taxlabels x y; end;");
  EXPECT_TRUE(doc.get_foreign_blocks().empty()) << "a new TAXA block starts a new document";
  doc.read_string(("open " + dir.file("whole.nex")).c_str());
  EXPECT_EQ(doc.get_foreign_blocks(), foreign);
  doc.read_string("close");
  EXPECT_TRUE(doc.get_foreign_blocks().empty());
}

// A character block that is skipped (another one is in use) or refused is
// written back in its own words, and reads back the same way.
// Also a SETS block with what we do not read (names, partitions): its
// sets read before the fault are neither lost nor doubled by saving.
TEST(Parser, CharacterBlocksNotUsedAreKept)
{
  tCaptureScope capture;
  tTempDir dir;
  const std::vector<std::string> kept = {
      "BEGIN CHARACTERS; DIMENSIONS NCHAR=2; FORMAT DATATYPE=MIXED(DNA:1,STANDARD:2); MATRIX a A0 b C1 'c d' G1; END;",
      "begin characters; dimensions nchar=2; format datatype=dna; matrix a GG b GT 'c d' TT; end;",
      "begin sets; charset first = 1-2; charpartition p = x:1, y:2-3; end;"};
  tDocument doc;
  doc.read_string((std::string(THREE_TAXA) + kept[0] +
                   "begin characters; dimensions nchar=3; format datatype=dna; matrix a ACG b ACT 'c d' AGT; end;" +
                   kept[1] + "begin sets; taxset ab = 1 2; end;" + kept[2])
                      .c_str());
  ASSERT_EQ(doc.characters->get_nchar(), 3);
  EXPECT_EQ(doc.get_foreign_blocks(), kept);
  const std::string file = dir.file("saved.nex");
  doc.read_string(("save " + file).c_str());
  tDocument again;
  again.read_file(file.c_str());
  EXPECT_EQ(again.characters->get_nchar(), 3);
  EXPECT_EQ(again.get_foreign_blocks(), kept);
  EXPECT_EQ(again.sets->get_taxsets().get_n(), 1);
  EXPECT_EQ(again.sets->get_charsets().get_n(), 0);

  // A matrix of no use for analysis (every site constant) is saved all the same.
  tDocument constant;
  constant.read_string((std::string(THREE_TAXA) + kept[1].substr(0, kept[1].find("matrix")) +
                        "matrix a GT b GT 'c d' GT; end;")
                           .c_str());
  ASSERT_FALSE(constant.characters->valid());
  constant.read_string(("save " + file).c_str());
  EXPECT_NE(read_text_file(file).find("'c d'   GT\n"), std::string::npos) << read_text_file(file);
}

TEST(Parser, CommandsBlockRunsNestedStreams)
{
  tCaptureScope capture;
  tTempDir dir;
  dir.write("data-1.nex", std::string("#NEXUS\n") + THREE_TAXA + "\n");
  dir.write("cmds.nex", "#NEXUS\nbegin qv_commands;\n  open " + dir.file("data-1.nex") +
                          ";\n  assume extaxa = 'c d';\n  title My-Data;\nend;\n");
  tDocument doc;
  doc.read_string(("open " + dir.file("cmds.nex")).c_str());
  EXPECT_EQ(doc.taxa->get_ntax(), 2) << capture.fe.transcript;
  EXPECT_EQ(doc.taxa->get_ntax_orig(), 3);
  EXPECT_STREQ(doc.get_title(), "My-Data");
}

TEST(Parser, TruncNamesRefusesWidthsTooSmallForTheSuffix)
{
  tCaptureScope capture;
  tDocument doc;
  doc.read_string("begin taxa; dimensions ntax=2; taxlabels Escherichia Bacillus; end;");
  doc.read_string("trunc_names 2");
  EXPECT_STREQ(doc.taxa->getlabel(1), "Escherichia");
  EXPECT_NE(capture.fe.logged.find("Usage: TRUNCATE number]"), std::string::npos);
  doc.read_string("trunc_names 6");
  EXPECT_STREQ(doc.taxa->getlabel(1), "Esch01");
  EXPECT_STREQ(doc.taxa->getlabel(2), "Baci02");
}

TEST(Parser, QuitEndsTheProgramAtOnce)
{
  tRunResult r = run_quivet({"-b"}, "version;\nquit;\nversion;\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Quivet3.1 (16 June 1999)\n");
}

TEST(Parser, AssumeKeepsSignedNumbersAndQuotedLabels)
{
  tCaptureScope capture;
  tDocument doc;
  doc.read_string(THREE_TAXA);
  doc.read_string("assume threshold=1e-3; assume refine cut=-0.5;");
  EXPECT_DOUBLE_EQ(doc.assumptions->threshold, 1e-3);
  EXPECT_DOUBLE_EQ(doc.assumptions->refine_cut, -0.5);
  doc.read_string("assume extaxa = 'c d';");
  EXPECT_EQ(doc.taxa->get_ntax(), 2) << capture.fe.transcript;
}

TEST(Parser, DocumentWithoutSplitsReadsBack)
{
  tCaptureScope capture;
  tTempDir dir;
  tDocument doc;
  doc.read_string("begin taxa; dimensions ntax=3; taxlabels a b c; end;"
                  "begin distances; format triangle=both; matrix a 0 0 0 b 0 0 0 c 0 0 0; end;");
  ASSERT_TRUE(doc.splits->valid());
  ASSERT_EQ(doc.splits->get_nsplits(), 0);
  const std::string file = dir.file("empty.nex");
  doc.read_string(("save " + file).c_str());
  capture.fe.clear();
  tDocument again;
  again.read_string(("open " + file).c_str());
  EXPECT_EQ(capture.fe.logged.find("syntax error"), std::string::npos) << capture.fe.logged;
  EXPECT_TRUE(again.sgraph->valid());
  EXPECT_EQ(shown(again, ""), shown(doc, ""));
}

// Files of other programs hold several character blocks; the first that can
// be read is used, and the log says which and why the others were passed over.
TEST(Parser, TheFirstCharacterBlockThatReadsIsUsed)
{
  tCaptureScope capture;
  tDocument doc;
  doc.read_string("begin data; dimensions ntax=2 nchar=2; format datatype=continuous; matrix a 0.5 1 b 2 3; end;"
                  "begin data; dimensions ntax=2 nchar=2; matrix a 01 b 1X; end;"
                  "begin data; dimensions ntax=2 nchar=3; format datatype=dna gap=-; matrix 'a b' AC- c AGT; end;"
                  "begin characters; dimensions nchar=1; matrix a_b 1 c 0; end;");
  ASSERT_TRUE(doc.taxa->valid());
  EXPECT_EQ(doc.taxa->get_ntax(), 2);
  EXPECT_STREQ(doc.taxa->getlabel(1), "a b");
  ASSERT_TRUE(doc.characters->valid());
  EXPECT_EQ(doc.characters->get_nchar(), 3);
  EXPECT_STREQ(doc.characters->get_datatype(), "DNA");
  EXPECT_EQ(doc.taxa->get_nchar(), 3);
  const std::string& log = capture.fe.logged;
  for (const char* note : {"NEXUS warning: CONTINUOUS data cannot be analysed: block skipped\n",
                           "Undefined symbol at row 2, col 2: 'X'",
                           "CHARACTERS: using character block 3 (data), the first that could be read\n",
                           "CHARACTERS: character block 4 (characters) skipped: block 3 is in use\n"})
    EXPECT_NE(log.find(note), std::string::npos) << note << "\n" << log;
  // Saved, the data reopens as Quivet's own TAXA and CHARACTERS blocks.
  tTempDir dir;
  doc.read_string(("save " + dir.file("own.nex")).c_str());
  tDocument again;
  again.read_string(("open " + dir.file("own.nex")).c_str());
  ASSERT_TRUE(again.characters->valid());
  EXPECT_STREQ(again.taxa->getlabel(1), "a b");
  EXPECT_EQ(again.characters->get_matrix(1, 3), '-');
  // A later DATA block without a TAXA block before it starts a new document,
  // as a TAXA block would; with one before it, it uses those taxa.
  again.read_string("begin data; dimensions ntax=3 nchar=1; matrix x 0 y 1 z 1; end;");
  ASSERT_TRUE(again.characters->valid());
  EXPECT_EQ(again.taxa->get_ntax(), 3);
  EXPECT_STREQ(again.taxa->getlabel(3), "z");
  again.read_string((std::string(THREE_TAXA) + "begin data; dimensions ntax=3 nchar=1; matrix a 0 b 1 'c d' 1; end;").c_str());
  ASSERT_TRUE(again.characters->valid());
  EXPECT_STREQ(again.taxa->getlabel(3), "c d");
}
