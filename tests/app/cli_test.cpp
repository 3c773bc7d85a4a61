// The command-line program as a user meets it: exit codes and exact output.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/capture.h"
#include "tests/support/run.h"

TEST(CommandLine, VersionHelpAndBadOptions)
{
  tRunResult v = run_quivet({"--version"});
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "Quivet3.1 (16 June 1999)\n");
  EXPECT_EQ(run_quivet({"-V"}).out, v.out);

  tRunResult h = run_quivet({"-h"});
  EXPECT_EQ(h.status, 0);
  EXPECT_NE(h.out.find("Usage: quivet [OPTIONS] [FILE]"), std::string::npos);
  EXPECT_EQ(h.err, "");

  tRunResult bad = run_quivet({"--frobnicate"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("unknown option: --frobnicate"), std::string::npos);
  EXPECT_EQ(bad.out, "");

  EXPECT_EQ(run_quivet({"-c"}).status, 2);
  EXPECT_EQ(run_quivet({"-c", ";", "a.nex", "b.nex"}).status, 2);
}

TEST(CommandLine, WithoutCommandsOrBatchTheGuiIsRequired)
{
  unsetenv("DISPLAY");
  tRunResult r = run_quivet({});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("-b"), std::string::npos);
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line";
}

TEST(CommandLine, UnknownBlockIsReportedAndSkipped)
{
  tRunResult r = run_quivet({"-c", "begin foo; x=1; end;"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "NEXUS warning: Unknown block type: foo\n(Skipping to end of block)\n");
  EXPECT_EQ(r.err, "");
}

TEST(CommandLine, CommandTextsRunInOrderAndUnknownWordsAreSyntaxErrors)
{
  tRunResult r = run_quivet({"-c", "fig", "-c", "begin bar; end;"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "NEXUS syntax error in Input: Unexpected token: fig\n"
                   "NEXUS warning: Unknown block type: bar\n"
                   "(Skipping to end of block)\n");
}

TEST(CommandLine, FilesThatCannotBeReadGiveStatusTwo)
{
  tTempDir dir;
  dir.write("plain.txt", "BEGIN TAXA; END;\n");
  tRunResult refused = run_quivet({"-c", ";", "plain.txt"}, "", dir.path());
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err, "Warning: Refuse to read file: plain.txt, it doesn't start with #NEXUS\n");

  tRunResult missing = run_quivet({"-c", ";", "nope.nex"}, "", dir.path());
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "Warning: Can't open file: nope.nex to read\n");
}

TEST(CommandLine, FileIsReadBeforeCommandsAndBatchReadsStandardInput)
{
  tTempDir dir;
  dir.write("a.nex", "#nexus\nbegin first; end;\n");
  tRunResult r = run_quivet({"-c", "begin second; end;", "-b", "a.nex"}, "begin third;\nend;\n",
                            dir.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const std::string skip = "(Skipping to end of block)\n";
  EXPECT_EQ(r.out, "NEXUS warning: Unknown block type: first\n" + skip +
                   "NEXUS warning: Unknown block type: second\n" + skip +
                   "NEXUS warning: Unknown block type: third\n" + skip);
}

TEST(CommandLine, BatchSyntaxErrorsNameStandardInput)
{
  tRunResult r = run_quivet({"-b"}, "nonsense\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "NEXUS syntax error in Input: Unexpected token: nonsense\n"
                   "While reading: standard input\n");
}

TEST(CommandLine, ThreadsOptionTakesACountOfAtLeastOne)
{
  tRunResult bad = run_quivet({"--threads", "0", "-c", "version"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("option --threads needs a number of at least 1"), std::string::npos) << bad.err;
  EXPECT_EQ(run_quivet({"--threads", "2x", "-c", "version"}).status, 2);
  EXPECT_EQ(run_quivet({"--threads", "3", "-c", "version"}).out, "Quivet3.1 (16 June 1999)\n");
}
