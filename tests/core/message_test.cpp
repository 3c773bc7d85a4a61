#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "core/message.h"
#include "tests/support/capture.h"

TEST(Message, ControlStringsNestAndEqualsForcesOn)
{
  tCaptureScope capture;
  message("--");
  message("--");
  message("++");
  message("hidden\n");
  message("==");
  message("%d taxa", 5);
  message("%s\n", "; read");
  EXPECT_EQ(capture.fe.logged, "5 taxa; read\n");

  warning("--");
  warning("--");
  warning("++");
  warning("hidden");
  EXPECT_TRUE(capture.fe.warnings.empty());
  warning("==");
  warning("Too few taxa");
  EXPECT_EQ(capture.fe.warnings, std::vector<std::string>{"Too few taxa"});
}

TEST(Message, LongTextsAreCutExceptTclCommands)
{
  tCaptureScope capture;
  std::string text(20000, 'x');
  message("%s", text.c_str());
  warning("%s", text.c_str());
  tcltk_command("puts {%s}", text.c_str());
  EXPECT_EQ(capture.fe.logged.size(), static_cast<size_t>(MESSAGE_BUFFER_SIZE));
  EXPECT_EQ(capture.fe.warnings.at(0).size(), static_cast<size_t>(REPORT_BUFFER_SIZE));
  EXPECT_EQ(capture.fe.commands.at(0).size(), text.size() + 7);
}

TEST(Message, TclEscapingOfBothForms)
{
  const char* in = "a[1]{b} \"c\" \\d$";
  const char* expected = "a\\[1\\]\\{b\\} \\\"c\\\" \\\\d$";
  char out[64];
  str2tcltk(in, out);
  EXPECT_STREQ(out, expected);
  EXPECT_EQ(str2tcltk(std::string(in)), expected);
}

namespace {
// Shows the fatal text on stderr, where a death test can see it.
class tStderrFatal : public tCaptureFrontEnd {
public:
  void show_fatal(const char* text) override { std::fprintf(stderr, "<%s>", text); }
};
} // namespace

TEST(MessageDeathTest, ErrorEndsWithStatusOne)
{
  EXPECT_EXIT({ set_front_end(nullptr); error("set_n (n=%d): illegal value", -1); },
              testing::ExitedWithCode(1), "^Fatal Error: set_n \\(n=-1\\): illegal value\n$");
  // The front end gets the plain text: prefix and escaping are its business.
  static tStderrFatal fe;
  EXPECT_EXIT({ set_front_end(&fe); error("bad {%s}", "[x]"); },
              testing::ExitedWithCode(1), "^<bad \\{\\[x\\]\\}>$");
}

namespace {
// Counts the event pumps that reach it.
class tPumpCounter : public tCaptureFrontEnd {
public:
  int pumps = 0;
  void update() override { pumps++; }
};

[[noreturn]] void fatal_to_stderr(const char* text, void* data)
{
  std::fprintf(stderr, "<%s:%s>", static_cast<const char*>(data), text);
  std::_Exit(3);
}
} // namespace

TEST(Message, QuietThreadReachesNoFrontEnd)
{
  tPumpCounter fe;
  tFrontEnd* previous = set_front_end(&fe);
  std::thread worker([] {
    tQuietThread quiet;
    message("log\n");
    tcltk_log("log\n");
    warning("warning");
    tcltk_command("command");
    tcltk_update();
    EXPECT_TRUE(is_quiet_thread());
  });
  worker.join();
  EXPECT_FALSE(is_quiet_thread());
  {
    tQuietThread quiet;
    message("hidden\n");
  }
  message("shown\n");
  tcltk_update();
  set_front_end(previous);
  EXPECT_EQ(fe.transcript, "shown\n");
  EXPECT_TRUE(fe.commands.empty());
  EXPECT_EQ(fe.pumps, 1);
}

TEST(MessageDeathTest, FatalErrorOfAQuietThreadGoesToItsHandler)
{
  static tStderrFatal fe;
  EXPECT_EXIT(
    {
      set_front_end(&fe);
      std::thread([] {
        static char name[] = "worker";
        tQuietThread quiet(fatal_to_stderr, name);
        error("lost %d", 7);
      }).join();
    },
    testing::ExitedWithCode(3), "^<worker:lost 7>$");
  // Without a handler the text goes to standard error, never to the front end.
  EXPECT_EXIT(
    {
      set_front_end(&fe);
      std::thread([] {
        tQuietThread quiet;
        error("lost %d", 8);
      }).join();
    },
    testing::ExitedWithCode(1), "^Fatal Error: lost 8\n$");
}
