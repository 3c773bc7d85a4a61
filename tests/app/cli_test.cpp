// The command-line program as a user meets it: exit codes and exact output.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

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

TEST(CommandLine, CtrlCStopsALongBootstrapAndTheProgram)
{
  // The program bootstraps far longer than the test waits; Ctrl-C stops
  // it, and nothing after the bootstrap runs.
  tTempDir dir;
  dir.write("primates.nex", read_text_file(source_dir() + "/examples/primates.nex"));
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (chdir(dir.path().c_str()) != 0 || !freopen("out", "w", stdout) || !freopen("err", "w", stderr))
      _exit(99);
    execl(QV_BINARY, QV_BINARY, "-c", "bootstrap 1000000;", "-c", "version;", "primates.nex",
          static_cast<char*>(nullptr));
    _exit(98);
  }
  sleep(1);
  kill(pid, SIGINT);
  int raw = 0;
  ASSERT_EQ(waitpid(pid, &raw, 0), pid);
  ASSERT_TRUE(WIFEXITED(raw)) << "ended by a signal";
  EXPECT_EQ(WEXITSTATUS(raw), 130);
  // Not a terminal: no progress line, only the one-line notice.
  EXPECT_EQ(read_text_file(dir.file("err")), "quivet: interrupted\n");
  const std::string out = read_text_file(dir.file("out"));
  EXPECT_NE(out.find(" of 1000000 runs\nBootstrap cancelled"), std::string::npos) << out.substr(out.size() - 300);
  EXPECT_EQ(out.find("Quivet3.1"), std::string::npos) << "the next command did not run";
}
