// The splits graph on the Tk canvas .display. The drawing is a list of Tcl
// commands, each given as its separate words, so that a taxon label is one
// literal word whatever characters it holds; the GUI evaluates them.
//
// Items (all tagged sg):
//   edge         .display create line x1 y1 x2 y2 -width 1|4 -tags {sg split s<p>}
//   vertex       .display create oval ... -tags {sg vertex vt<t> vt<u> ...}
//   taxon label  .display create text x y -text L -tags {sg label t<t0>} -anchor center
//   split label  .display create text x y -text L -tags sg -anchor w
// where p is the split (colour) and t0 the smallest taxon at the vertex.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "draw/transform.h"

class tSplitsGraphBlk;
class tSplitsBlk;
class tTaxaBlk;

using tCanvasCommand = std::vector<std::string>;

// The canvas: the world origin at the middle of a 450 x 250 display; an
// automatic scale fits the picture into 380 x 180.
constexpr int CANVAS_H_ORIGIN = 225;
constexpr int CANVAS_V_ORIGIN = 125;
constexpr double CANVAS_FIT_WIDTH = 380;
constexpr double CANVAS_FIT_HEIGHT = 180;

// What the renderer knows of the canvas it draws on (one for the program,
// like the rest of its state). The world origin falls on the middle of the
// canvas (plus the block's offsets).
//
// Without text_width the picture's lines are fitted into the canvas less 70
// units each way (380 x 180 for the default size). With it, the automatic
// scale fits everything drawn, labels included, into the canvas less a
// small margin, and a fixed scale keeps its ratio to that fit when the
// canvas changes size, so that a zoomed picture grows with the window.
struct tCanvasView {
  double width = 450;
  double height = 250;
  // Width of a text in the canvas font (null: texts are not measured).
  std::function<double(const std::string&)> text_width;
  double line_height = 0;
};

void set_canvas_view(const tCanvasView& view);
const tCanvasView& get_canvas_view();
// Back to the default view, with no drawing remembered.
void reset_canvas_view();

// The automatic scale of the last drawing with measured texts, 0 before
// one: a fixed scale means as much on the PostScript page, relative to its
// own fit, as on the canvas.
double last_canvas_fit();

// Room kept free around a fitted picture, and above it for the scale bar.
constexpr double FIT_MARGIN = 10;
constexpr double SCALEBAR_ROOM = 24;

// Largest z >= 0 for which the items at canvas points o + z * a, each
// reaching `before` units to the left (or up) and `after` to the right (or
// down), span at most `room`; at most `cap`. -1 when even z = 0 is too wide.
struct tFitItem {
  double a, before, after;
};
double largest_fitting_scale(const std::vector<tFitItem>& items, double room, double cap);

// Redraws the picture: `out` receives the command that removes the old one,
// then one command per item. Returns 1 when drawn, 0 when the block holds no
// graph. An automatic scale is remembered, negated, in the block's zoom, so
// that later zoom steps and pointer drags start from the picture on screen.
// support: the bootstrap support per split (hundredths of a percent), or null.
int draw_tcltk(tSplitsGraphBlk& graph, const tTaxaBlk* taxa, const tSplitsBlk* splits,
               const std::vector<int>* support, std::vector<tCanvasCommand>& out);

// The canvas transformation of the picture as drawn (before the first
// drawing: with the scale that a drawing would choose).
tDrawTransform canvas_transformation(const tSplitsGraphBlk& graph);

// Canvas length of the scale bar.
double scalebar_tcltk(const tSplitsGraphBlk& graph);
