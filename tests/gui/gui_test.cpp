// The graphical program under a virtual X server: each Tcl script in
// tests/data/gui is evaluated by the running program (option --test-script).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/capture.h"
#include "tests/support/run.h"

namespace {

// Each test process looks for a free display from its own starting number,
// so that tests running side by side do not race for the same one.
std::string xvfb()
{
  return "xvfb-run -a -n " + std::to_string(100 + getpid() % 400) + " -s '-screen 0 1024x768x24' ";
}

// Whether a virtual X server can be started here at all.
bool x_server_available()
{
  static const int available =
    std::system(("command -v xvfb-run >/dev/null 2>&1 && " + xvfb() + "true >/dev/null 2>&1").c_str()) == 0;
  return available;
}

// Runs the program with a test script (and a file) in `dir`; without a
// script name, with check.tcl of that folder.
tRunResult run_gui_script(const std::string& script, const std::string& file, const tTempDir& dir)
{
  const std::string script_path = script.empty() ? dir.file("check.tcl") : source_dir() + "/tests/data/gui/" + script;
  // Under the leak checker, the font library's lifelong caches are not ours.
  const std::string lsan = "LSAN_OPTIONS=suppressions=" + shell_quote(source_dir() + "/tests/data/gui/lsan.supp") +
                           ":print_suppressions=0 ";
  std::string cmd = "cd " + shell_quote(dir.path()) + " && " + lsan + xvfb() + "timeout 120 " + shell_quote(QV_BINARY) +
                    " --test-script " + shell_quote(script_path);
  if (!file.empty())
    cmd += " " + shell_quote(file);
  cmd += " >" + shell_quote(dir.file("stdout")) + " 2>" + shell_quote(dir.file("stderr"));
  tRunResult r;
  const int raw = std::system(cmd.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = read_text_file(dir.file("stdout"));
  r.err = read_text_file(dir.file("stderr"));
  return r;
}

} // namespace

// Each script checks one part of the interface and fails with its reason.
TEST(Gui, ScriptsOfTheInterfacePass)
{
  if (!x_server_available())
    GTEST_SKIP() << "no X server can be started here";
  const bool have_gs = have_tools("gs");
  const std::pair<const char*, bool> scripts[] = {
    {"startup.tcl", true},  // opens a file, draws it, follows the menus and the mouse
    {"window.tcl", true},   // the picture fits the window; unsaved changes are asked for
    {"cancel.tcl", true},   // a cancelled bootstrap leaves the document as it was
    {"escaping.tcl", false},  // user text never runs as Tcl
    {"export.tcl", true},   // every picture format is exported
  };
  for (const auto& [script, with_file] : scripts) {
    SCOPED_TRACE(script);
    if (std::string(script) == "export.tcl" && !have_gs)
      continue;
    tTempDir dir;
    if (with_file)
      dir.write("primates.nex", read_text_file(source_dir() + "/examples/primates.nex"));
    const tRunResult r = run_gui_script(script, with_file ? "primates.nex" : "", dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
  }
}

TEST(Gui, WithoutADisplayItSaysWhatToDoInstead)
{
  const char* display = std::getenv("DISPLAY");
  const std::string saved = display ? display : "";
  unsetenv("DISPLAY");
  const tRunResult r = run_quivet({"primates.nex"});
  if (display)
    setenv("DISPLAY", saved.c_str(), 1);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("use -b"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
}

TEST(Gui, ScriptInTheCurrentFolderComesFirst)
{
  if (!x_server_available())
    GTEST_SKIP() << "no X server can be started here";
  tTempDir dir;
  dir.write("check.tcl", "if {![info exists ::custom]} { error {built-in script used} }\n");
  dir.write("splits.rsc", "source " + source_dir() + "/gui/splits.rsc\nset ::custom 1\n");
  tRunResult r = run_gui_script("", "", dir);
  EXPECT_EQ(r.status, 0) << r.err;

  dir.write("splits.rsc", "error {no such thing}\n");
  dir.write("check.tcl", "if {[info exists ::custom]} { error {user script used} }\n");
  r = run_gui_script("", "", dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "quivet: splits.rsc: no such thing; using the built-in interface\n");
}
