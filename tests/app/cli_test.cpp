// The command-line program as a user meets it: exit codes and exact output.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
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

TEST(CommandLine, CommandTextsRunInOrderAndUnknownWordsAreSyntaxErrors)
{
  tRunResult r = run_quivet({"-c", "fig", "-c", "begin bar; end;"});
  EXPECT_EQ(r.status, 3) << "a syntax error is a failure";
  EXPECT_EQ(r.out, "NEXUS syntax error in Input: Unexpected token: fig\n"
                   "NEXUS warning: Unknown block type: bar\n"
                   "(Skipping to end of block)\n");
}

TEST(CommandLine, FilesThatCannotBeReadGiveStatusThree)
{
  tTempDir dir;
  dir.write("plain.txt", "BEGIN TAXA; END;\n");
  tRunResult refused = run_quivet({"-c", ";", "plain.txt"}, "", dir.path());
  EXPECT_EQ(refused.status, 3);
  EXPECT_EQ(refused.err, "Warning: Refuse to read file: plain.txt, it doesn't start with #NEXUS\n");

  tRunResult missing = run_quivet({"-c", ";", "nope.nex"}, "", dir.path());
  EXPECT_EQ(missing.status, 3);
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
  EXPECT_EQ(r.status, 3);
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

TEST(CommandLine, SavingTellsFailuresAndWritesThroughLinks)
{
  tTempDir dir;
  const std::string example = read_text_file(source_dir() + "/examples/primates.nex");
  dir.write("p.nex", example);
  auto save = [&](const std::string& name) { return run_quivet({"-c", "save " + name + ";", "p.nex"}, "", dir.path()); };
  tRunResult good = save("good.nex");
  EXPECT_EQ(good.status, 0) << good.err;
  const std::string saved = read_text_file(dir.file("good.nex"));
  ASSERT_NE(saved, "");

  tRunResult missing = save("nodir/x.nex");
  EXPECT_EQ(missing.status, 3);
  EXPECT_EQ(missing.err, "Warning: Can't open file: nodir/x.nex to write\n");

  // A dangling link gets its target; the link stays a link.
  ASSERT_EQ(symlink("sub/target.nex", dir.file("link.nex").c_str()), 0);
  ASSERT_EQ(mkdir(dir.file("sub").c_str(), 0755), 0);
  EXPECT_EQ(save("link.nex").status, 0);
  struct stat st;
  ASSERT_EQ(lstat(dir.file("link.nex").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(read_text_file(dir.file("sub/target.nex")), saved);

  // A FIFO is refused without waiting for a reader.
  ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0644), 0);
  tRunResult fifo = save("fifo");
  EXPECT_EQ(fifo.status, 3);
  EXPECT_EQ(fifo.err, "Warning: Refuse to write file: fifo, it is not a regular file\n");

  // Read-only is refused even for root, who could write it.
  dir.write("ro.nex", "keep");
  chmod(dir.file("ro.nex").c_str(), 0444);
  tRunResult ro = save("ro.nex");
  EXPECT_EQ(ro.status, 3);
  EXPECT_EQ(ro.err, "Warning: Refuse to write file: ro.nex, it is read-only\n");
  EXPECT_EQ(read_text_file(dir.file("ro.nex")), "keep");

  // The other name of a hard link sees the new text; the mode is kept.
  dir.write("h1.nex", "old");
  chmod(dir.file("h1.nex").c_str(), 0640);
  ASSERT_EQ(link(dir.file("h1.nex").c_str(), dir.file("h2.nex").c_str()), 0);
  EXPECT_EQ(save("h1.nex").status, 0);
  EXPECT_EQ(read_text_file(dir.file("h2.nex")), saved);
  ASSERT_EQ(stat(dir.file("h1.nex").c_str(), &st), 0);
  EXPECT_EQ(st.st_nlink, 2u);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // The longest name the folder allows, and a picture, save too.
  const std::string longest(255, 'n');
  EXPECT_EQ(save(longest).status, 0);
  EXPECT_EQ(read_text_file(dir.file(longest)), saved);

  // No temporary file is left behind by any of these.
  DIR* d = opendir(dir.path().c_str());
  for (dirent* e; (e = readdir(d));)
    EXPECT_NE(std::string(e->d_name).rfind(".qv", 0), 0u) << e->d_name;
  closedir(d);
}

TEST(CommandLine, DrawNumbersOutOfRangeAreRefusedAndThePictureStaysValid)
{
  tTempDir dir;
  dir.write("p.nex", read_text_file(source_dir() + "/examples/primates.nex"));
  for (const char* bad : {"hoffset=2147483647", "voffset=-1e7", "zoom=1e300", "zoom=1e-300", "rotate=1e30"}) {
    tRunResult r = run_quivet({"-c", std::string("draw ") + bad + "; ps out.eps;", "p.nex"}, "", dir.path());
    EXPECT_EQ(r.status, 3) << bad;
    EXPECT_NE(r.out.find("Usage:"), std::string::npos) << bad;
    const std::string eps = read_text_file(dir.file("out.eps"));
    EXPECT_EQ(eps.rfind("%!PS-Adobe", 0), 0u) << bad;
    EXPECT_EQ(eps.find("nan"), std::string::npos) << bad;
    EXPECT_EQ(eps.find("inf"), std::string::npos) << bad;
  }
  // In range at the limits: drawn with finite numbers.
  tRunResult edge = run_quivet({"-c", "draw hoffset=1000000 voffset=-1000000 zoom=1000000; ps out.eps;", "p.nex"}, "",
                               dir.path());
  EXPECT_EQ(edge.status, 0) << edge.out;
  EXPECT_EQ(read_text_file(dir.file("out.eps")).find("-2147483648"), std::string::npos);
}
