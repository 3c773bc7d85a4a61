// Program entry: opens a file, runs command texts and a console session, or
// starts the graphical interface.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/console_front_end.h"
#include "blocks/blk_bootstrap.h"
#include "core/message.h"
#include "core/progress.h"
#include "core/version.h"
#include "document/document.h"
#include "gui/tcltk_interface.h"
#include "nexus/nexus.h"

namespace {

const char* const USAGE =
  "Usage: quivet [OPTIONS] [FILE]\n"
  "Exploratory analysis of phylogenetic data with split networks.\n"
  "\n"
  "  FILE                  a NEXUS file, opened first (as the OPEN command does)\n"
  "  -c, --commands TEXT   run TEXT in the command language (may be repeated)\n"
  "  -b, --batch           then read commands and blocks from standard input\n"
  "      --threads N       worker threads of a bootstrap and of split decomposition\n"
  "                        (default: one per core)\n"
  "  -h, --help            show this text\n"
  "  -V, --version         show the version\n"
  "\n"
  "Without -c or -b the graphical interface starts.\n"
  "\n"
  "Exit status: 0 when every command succeeded, 1 after a fatal error, 2 for a\n"
  "usage error, 3 when a command or file failed (a syntax error, a refused\n"
  "command, a file that could not be read or written), 130 after Ctrl-C.\n"
  "For the test suite only: --test-script FILE evaluates a Tcl script once the\n"
  "windows are up, instead of waiting for the user, and exits with its outcome.\n";

// Some command or file failed: scripts must be able to tell.
constexpr int STATUS_FAILED = 3;

int usage_error(const char* text)
{
  std::fprintf(stderr, "quivet: %s\n%s", text, USAGE);
  return 2;
}

bool parse_thread_count(const char* text, int* n)
{
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE || v < 1 || v > 1024)
    return false;
  *n = static_cast<int>(v);
  return true;
}

} // namespace

int main(int argc, char** argv)
{
  std::vector<std::string> commands;
  bool batch = false;
  const char* file = nullptr;
  const char* test_script = nullptr;

  for (int i = 1; i < argc; i++) {
    const char* arg = argv[i];
    if (!std::strcmp(arg, "-c") || !std::strcmp(arg, "--commands")) {
      if (i + 1 >= argc)
        return usage_error("option -c needs a text");
      commands.push_back(argv[++i]);
    } else if (!std::strcmp(arg, "--test-script")) {
      if (i + 1 >= argc)
        return usage_error("option --test-script needs a file");
      test_script = argv[++i];
    } else if (!std::strcmp(arg, "--threads")) {
      int n = 0;
      if (i + 1 >= argc || !parse_thread_count(argv[++i], &n))
        return usage_error("option --threads needs a number of at least 1");
      set_bootstrap_threads(n);
    } else if (!std::strcmp(arg, "-b") || !std::strcmp(arg, "--batch")) {
      batch = true;
    } else if (!std::strcmp(arg, "-h") || !std::strcmp(arg, "--help")) {
      std::fputs(USAGE, stdout);
      return 0;
    } else if (!std::strcmp(arg, "-V") || !std::strcmp(arg, "--version")) {
      std::printf("%s\n", the_version());
      return 0;
    } else if (!std::strcmp(arg, "--")) {
      if (i + 1 < argc && !file)
        file = argv[++i];
      if (i + 1 < argc)
        return usage_error("only one FILE may be given");
    } else if (arg[0] == '-' && arg[1] != '\0') {
      return usage_error((std::string("unknown option: ") + arg).c_str());
    } else if (file) {
      return usage_error("only one FILE may be given");
    } else {
      file = arg;
    }
  }

  if (commands.empty() && !batch) {
    tGuiOptions gui;
    gui.argv0 = argv[0];
    gui.file = file;
    gui.test_script = test_script;
    return run_gui(gui);
  }

  tConsoleFrontEnd console;
  set_front_end(&console);
  // Containers allocate outside the checked allocators: running out of memory
  // there must end the program the same way.
  std::set_new_handler([] { error("operator new: out of memory"); });
  int status = 0;
  const long failures_before = failure_count();
  {
    tDocument doc;
    // Commands meant for a file that could not be read are not run.
    if (!file || doc.read_file(file)) {
      // After Ctrl-C nothing more is read.
      for (const std::string& text : commands)
        if (!stop_requested())
          doc.read_string(text.c_str());
      if (batch && !stop_requested()) {
        tNexusInput in;
        if (in.OpenFile(0, nullptr)) {
          in.SetPrompt(isatty(0));
          doc.read_nexus(&in);
        }
      }
    }
    if (stop_requested()) {
      std::fflush(stdout);
      std::fputs("quivet: interrupted\n", stderr);
      status = 130;
    } else if (failure_count() != failures_before) {
      status = STATUS_FAILED;
    }
  }
  std::fflush(stdout);
  set_front_end(nullptr);
  return status;
}
