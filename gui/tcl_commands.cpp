#include "gui/tcl_commands.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <tk.h>

#include "core/auxilary.h"
#include "document/document.h"
#include "draw/tcltk_draw.h"
#include "gui/gui_state.h"
#include "gui/tcl_obj.h"
#include "gui/tk_front_end.h"

namespace {

int wrong_args(Tcl_Interp* interp)
{
  Tcl_SetObjResult(interp, Tcl_NewStringObj("wrong # arguments", -1));
  return TCL_ERROR;
}

// Passes every report on to the front end, keeping what a command said, so
// that a failure can be told to the script with its message.
struct tRecordingFrontEnd : tFrontEnd {
  explicit tRecordingFrontEnd(tFrontEnd* fe) : inner(fe) {}
  void log(const char* text) override
  {
    // Only the end tells why a command failed: the rest is not kept.
    logged += text;
    if (logged.size() > 2048) {
      const size_t line = logged.find('\n', logged.size() - 1024);
      logged.erase(0, line == std::string::npos ? logged.size() - 1024 : line + 1);
    }
    if (inner)
      inner->log(text);
  }
  void show_warning(const char* text) override
  {
    warned = true;
    last_warning = text;
    if (inner)
      inner->show_warning(text);
  }
  void show_fatal(const char* text) override
  {
    if (inner)
      inner->show_fatal(text);
  }
  int command(const char* script) override { return inner ? inner->command(script) : 0; }
  void update() override
  {
    if (inner)
      inner->update();
  }
  bool progress(const char* step, int done, int total) override
  {
    return inner ? inner->progress(step, done, total) : true;
  }
  tFrontEnd* inner;
  bool warned = false;
  std::string last_warning, logged;
};

int qv_cmd0(ClientData data, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
  if (objc != 2)
    return wrong_args(interp);
  auto* ctx = static_cast<tGuiContext*>(data);
  // Copy first: the value may be changed by a script that runs while the
  // document works (the event pump).
  const std::string text = Tcl_GetString(objv[1]);
  const long failures = failure_count();
  tRecordingFrontEnd recorder(get_front_end());
  set_front_end(&recorder);
  ctx->doc->read_string(text.c_str());
  set_front_end(recorder.inner);
  Tcl_ResetResult(interp);
  if (failure_count() == failures)
    return TCL_OK;
  // The message the user saw: the last warning, or what the log said.
  std::string msg = recorder.warned ? recorder.last_warning : recorder.logged;
  while (!msg.empty() && (msg.back() == '\n' || msg.back() == ' '))
    msg.pop_back();
  if (msg.empty())
    msg = "the command failed";
  Tcl_SetObjResult(interp, Tcl_NewStringObj(msg.data(), static_cast<int>(msg.size())));
  // A warning was already shown in a dialog: the script need not repeat it.
  Tcl_SetErrorCode(interp, "QUIVET", recorder.warned ? "WARNED" : "FAILED", nullptr);
  return TCL_ERROR;
}

int qv_state0(ClientData data, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
  if (objc != 2)
    return wrong_args(interp);
  auto* ctx = static_cast<tGuiContext*>(data);
  const tStateAnswer a = gui_state(*ctx->doc, Tcl_GetString(objv[1]));
  Tcl_SetObjResult(interp, tcl_string(a.text));
  return a.ok ? TCL_OK : TCL_ERROR;
}

// The canvas's size and font as the renderer needs them; false without a
// canvas.
bool measure_canvas(Tcl_Interp* interp, Tk_Font* font, tCanvasView& view)
{
  const Tk_Window main = Tk_MainWindow(interp);
  const Tk_Window canvas = main ? Tk_NameToWindow(interp, ".display", main) : nullptr;
  if (!canvas) {
    Tcl_ResetResult(interp);
    return false;
  }
  // Not yet on screen: the size it asks for.
  const bool shown = Tk_IsMapped(canvas) && Tk_Width(canvas) > 1;
  view.width = shown ? Tk_Width(canvas) : Tk_ReqWidth(canvas);
  view.height = shown ? Tk_Height(canvas) : Tk_ReqHeight(canvas);
  // Canvas texts are drawn in the default font.
  *font = Tk_GetFont(interp, canvas, "TkDefaultFont");
  if (!*font) {
    Tcl_ResetResult(interp);
    return true;
  }
  Tk_FontMetrics metrics;
  Tk_GetFontMetrics(*font, &metrics);
  view.line_height = metrics.linespace;
  const Tk_Font f = *font;
  view.text_width = [f](const std::string& text) {
    return static_cast<double>(Tk_TextWidth(f, text.c_str(), static_cast<int>(text.size())));
  };
  return true;
}

int qv_draw_graph0(ClientData data, Tcl_Interp* interp, int, Tcl_Obj* const[])
{
  auto* ctx = static_cast<tGuiContext*>(data);
  tDocument& doc = *ctx->doc;
  Tk_Font font = nullptr;
  tCanvasView view;
  if (measure_canvas(interp, &font, view))
    set_canvas_view(view);
  std::vector<tCanvasCommand> commands;
  draw_tcltk(*doc.sgraph, doc.taxa.get(), doc.splits.get(), bootstrap_support(doc), commands);
  for (const tCanvasCommand& c : commands)
    if (tcl_eval_words(interp, c) != TCL_OK)
      break; // no canvas: nothing to draw on
  if (font) {
    // Nothing may measure with the font once it is freed.
    tCanvasView kept = get_canvas_view();
    kept.text_width = nullptr;
    set_canvas_view(kept);
    Tk_FreeFont(font);
  }
  Tcl_ResetResult(interp);
  return TCL_OK;
}

bool parse_number(Tcl_Obj* obj, double& x)
{
  float f = 0.0f;
  if (std::sscanf(Tcl_GetString(obj), "%f", &f) != 1)
    return false;
  x = f;
  return true;
}

int qv_xy2angle(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
  if (objc != 3)
    return wrong_args(interp);
  double x, y;
  Tcl_ResetResult(interp);
  if (!parse_number(objv[1], x) || !parse_number(objv[2], y))
    return TCL_ERROR;
  char text[64];
  std::snprintf(text, sizeof text, "%g", atanxy(x, y) * 57.29577951308232);
  Tcl_SetObjResult(interp, Tcl_NewStringObj(text, -1));
  return TCL_OK;
}

int qv_updating(ClientData data, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[])
{
  if (objc != 2)
    return wrong_args(interp);
  auto* ctx = static_cast<tGuiContext*>(data);
  if (ctx->front_end)
    ctx->front_end->set_updating(std::strcmp(Tcl_GetString(objv[1]), "1") == 0);
  Tcl_ResetResult(interp);
  return TCL_OK;
}

} // namespace

void register_tcl_commands(Tcl_Interp* interp, tGuiContext* ctx)
{
  Tcl_CreateObjCommand(interp, "qv_cmd0", qv_cmd0, ctx, nullptr);
  Tcl_CreateObjCommand(interp, "qv_state0", qv_state0, ctx, nullptr);
  Tcl_CreateObjCommand(interp, "qv_draw_graph0", qv_draw_graph0, ctx, nullptr);
  Tcl_CreateObjCommand(interp, "qv_xy2angle", qv_xy2angle, ctx, nullptr);
  Tcl_CreateObjCommand(interp, "qv_updating", qv_updating, ctx, nullptr);
}
