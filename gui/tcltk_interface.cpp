#include "gui/tcltk_interface.h"

#include <cstdio>
#include <new>
#include <string>
#include <sys/stat.h>

#include <tk.h>

#include "core/message.h"
#include "core/version.h"
#include "document/document.h"
#include "gui/tcl_commands.h"
#include "gui/tcl_obj.h"
#include "gui/tk_front_end.h"

namespace {

// The first line of the interpreter's result, for a one-line report.
std::string result_line(Tcl_Interp* interp)
{
  std::string text = Tcl_GetStringResult(interp);
  const size_t nl = text.find('\n');
  return nl == std::string::npos ? text : text.substr(0, nl);
}

bool file_exists(const char* name)
{
  struct stat st;
  return stat(name, &st) == 0;
}

// Loads the user's splits.rsc from the current folder, else the built-in script.
void load_script(Tcl_Interp* interp)
{
  const char* const user_script = "splits.rsc";
  if (file_exists(user_script)) {
    if (Tcl_EvalFile(interp, user_script) == TCL_OK)
      return;
    // Say why the user's own interface is not used.
    std::fprintf(stderr, "quivet: splits.rsc: %s; using the built-in interface\n", result_line(interp).c_str());
  }
  if (Tcl_EvalEx(interp, gui_script, -1, TCL_EVAL_GLOBAL) != TCL_OK)
    error("Couldn't read splits.rsc: %s", Tcl_GetStringResult(interp));
}

int run_test_script(Tcl_Interp* interp, const char* name)
{
  if (Tcl_EvalFile(interp, name) == TCL_OK)
    return 0;
  const char* info = Tcl_GetVar(interp, "errorInfo", TCL_GLOBAL_ONLY);
  std::fprintf(stderr, "%s\n", info ? info : Tcl_GetStringResult(interp));
  return 1;
}

} // namespace

int run_gui(const tGuiOptions& options)
{
  Tcl_FindExecutable(options.argv0);
  Tcl_Interp* interp = Tcl_CreateInterp();
  if (Tcl_Init(interp) != TCL_OK)
    error("Tcl_Init failed");
  if (Tk_Init(interp) != TCL_OK) {
    std::fprintf(stderr,
                 "quivet: cannot open the graphical interface (%s); "
                 "use -b to work on the console or -c TEXT to run commands\n",
                 result_line(interp).c_str());
    Tcl_DeleteInterp(interp);
    return 2;
  }
  Tcl_StaticPackage(interp, "Tk", Tk_Init, Tk_SafeInit);

  tTkFrontEnd front_end(interp);
  set_front_end(&front_end);
  std::set_new_handler([] { error("operator new: out of memory"); });
  int status = 0;
  {
    tDocument doc;
    tGuiContext ctx;
    ctx.doc = &doc;
    ctx.front_end = &front_end;

    load_script(interp);
    register_tcl_commands(interp, &ctx);
    Tcl_EvalEx(interp, "update_state", -1, TCL_EVAL_GLOBAL);
    message("%s\n", the_version());
    if (options.file) {
      // The window shows first, so that the file is drawn at its real size.
      Tcl_EvalEx(interp, "update", -1, TCL_EVAL_GLOBAL);
      tcl_eval_words(interp, {"open_file", options.file});
    }

    if (options.test_script)
      status = run_test_script(interp, options.test_script);
    else
      Tk_MainLoop();

    // The windows go before the document they show.
    if (Tk_MainWindow(interp))
      Tcl_EvalEx(interp, "destroy .", -1, TCL_EVAL_GLOBAL);
    set_front_end(nullptr);
  }
  Tcl_DeleteInterp(interp);
  return status;
}
