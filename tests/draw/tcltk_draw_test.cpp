// The canvas picture: its transformation and the items and tags the GUI
// script relies on.
#include "draw/tcltk_draw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/document.h"
#include "draw/ps_draw_graph.h"
#include "tests/support/capture.h"
#include "tests/support/run.h"

namespace {

// A tree in which taxa b and c share a vertex (no split separates them);
// split 1 is the inner edge {a,b,c} | {d,e}.
const char* const FIVE =
  "begin taxa; dimensions ntax=5; taxlabels a b c d e; end;"
  "begin qv_splits; dimensions ntax=5 nsplits=5; format labels weights; cycle 1 2 3 4 5;"
  " matrix 1 2 1 2 3, 2 1 1, 3 1 4, 4 1 5, 5 1 2 3,; end;";

struct tDrawDoc {
  tCaptureScope capture;
  tDocument doc;
  explicit tDrawDoc(const std::string& text = FIVE) { doc.read_string(text.c_str()); }
  std::vector<tCanvasCommand> draw()
  {
    std::vector<tCanvasCommand> out;
    draw_tcltk(*doc.sgraph, doc.taxa.get(), doc.splits.get(), nullptr, out);
    return out;
  }
  void command(const std::string& text) { doc.read_string(text.c_str()); }
};

std::vector<tCanvasCommand> of_kind(const std::vector<tCanvasCommand>& cmds, const std::string& kind)
{
  std::vector<tCanvasCommand> items;
  for (const tCanvasCommand& c : cmds)
    if (c.size() > 2 && c[1] == "create" && c[2] == kind)
      items.push_back(c);
  return items;
}

// The value behind an option word of a canvas command.
std::string option(const tCanvasCommand& c, const std::string& name)
{
  for (size_t i = 0; i + 1 < c.size(); i++)
    if (c[i] == name)
      return c[i + 1];
  return "<missing>";
}

double num(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

} // namespace

TEST(CanvasTransform, DisplayToWorldUndoesEveryCombination)
{
  for (int hflip = 0; hflip <= 1; hflip++)
    for (int vflip = 0; vflip <= 1; vflip++)
      for (int rotate : {0, 37, 90, -200})
        for (double zoom : {0.5, 1.0, 123.0}) {
          tDrawTransform t;
          t.set(230, 120, hflip, vflip, false, rotate, zoom);
          const double x = 1.25, y = -0.75;
          double wx, wy;
          t.display2world(t.hh(x, y), t.vv(x, y), wx, wy);
          EXPECT_NEAR(wx, x, 1e-6) << hflip << vflip << rotate << zoom;
          EXPECT_NEAR(wy, y, 1e-6) << hflip << vflip << rotate << zoom;
        }
}

TEST(CanvasTransform, CanvasMirrorsOnlyWithVflipWhilePageMirrorsWithout)
{
  for (int vflip = 0; vflip <= 1; vflip++) {
    tDrawTransform canvas, page;
    canvas.set(225, 125, 0, vflip, false, 0, 10);
    page.set(280, 305, 0, vflip, true, 0, 10);
    // Both show world y up at the same side: the canvas's y axis points down.
    EXPECT_EQ(canvas.vv(0, 1) > 125, vflip == 0);
    EXPECT_EQ(page.vv(0, 1) < 305, vflip == 0);
  }
}

TEST(CanvasDrawing, AutomaticScaleCentresAndFitsThePicture)
{
  tDrawDoc d;
  ASSERT_TRUE(d.doc.sgraph->valid());
  ASSERT_EQ(d.doc.sgraph->get_zoom(), 0.0);
  const std::vector<tCanvasCommand> cmds = d.draw();
  EXPECT_LT(d.doc.sgraph->get_zoom(), 0.0) << "the automatic scale is remembered, negated";

  double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
  for (const tCanvasCommand& c : of_kind(cmds, "line"))
    for (int i = 3; i <= 5; i += 2) {
      x0 = std::min(x0, num(c[i]));
      x1 = std::max(x1, num(c[i]));
      y0 = std::min(y0, num(c[i + 1]));
      y1 = std::max(y1, num(c[i + 1]));
    }
  EXPECT_LE(x1 - x0, 380.01);
  EXPECT_LE(y1 - y0, 180.01);
  EXPECT_TRUE(std::fabs(x1 - x0 - 380) < 0.01 || std::fabs(y1 - y0 - 180) < 0.01) << "fills one direction";
  // The graph is centred on the world origin, which lands on (225, 125).
  EXPECT_NEAR((x0 + x1) / 2, 225, 0.01);
  EXPECT_NEAR((y0 + y1) / 2, 125, 0.01);

}

TEST(CanvasDrawing, ItemsCarryTheTagsTheScriptUses)
{
  tDrawDoc d;
  const std::vector<tCanvasCommand> cmds = d.draw();
  ASSERT_FALSE(cmds.empty());
  EXPECT_EQ(cmds[0], (tCanvasCommand{".display", "delete", "sg"}));

  const std::vector<tCanvasCommand> edges = of_kind(cmds, "line");
  ASSERT_EQ(static_cast<int>(edges.size()), d.doc.sgraph->get_graph().num_edges());
  for (const tCanvasCommand& e : edges) {
    ASSERT_EQ(e.size(), 11u);
    EXPECT_EQ(option(e, "-width"), "1");
    EXPECT_EQ(option(e, "-tags").substr(0, 10), "sg split s");
  }

  std::vector<std::string> vertex_tags, label_tags, label_texts;
  for (const tCanvasCommand& v : of_kind(cmds, "oval"))
    vertex_tags.push_back(option(v, "-tags"));
  for (const tCanvasCommand& l : of_kind(cmds, "text")) {
    label_tags.push_back(option(l, "-tags"));
    label_texts.push_back(option(l, "-text"));
    EXPECT_EQ(option(l, "-anchor"), "center");
  }
  std::sort(vertex_tags.begin(), vertex_tags.end());
  std::sort(label_tags.begin(), label_tags.end());
  std::sort(label_texts.begin(), label_texts.end());
  EXPECT_EQ(vertex_tags, (std::vector<std::string>{"sg vertex vt1", "sg vertex vt2 vt3", "sg vertex vt4",
                                                    "sg vertex vt5"}));
  EXPECT_EQ(label_tags, (std::vector<std::string>{"sg label t1", "sg label t2", "sg label t4", "sg label t5"}));
  EXPECT_EQ(label_texts, (std::vector<std::string>{"a", "b,c", "d", "e"}));

  d.command("draw taxlabels=both;");
  std::vector<std::string> both;
  for (const tCanvasCommand& l : of_kind(d.draw(), "text"))
    both.push_back(option(l, "-text"));
  EXPECT_NE(std::find(both.begin(), both.end(), "2:b,3:c"), both.end());
}

TEST(CanvasDrawing, MarkedSplitIsWideAndAloneLabelled)
{
  tDrawDoc d;
  d.command("draw mark=1 splitlabels=numbers;");
  const std::vector<tCanvasCommand> cmds = d.draw();
  int wide = 0;
  for (const tCanvasCommand& e : of_kind(cmds, "line")) {
    const bool marked = option(e, "-tags") == "sg split s1";
    EXPECT_EQ(option(e, "-width"), marked ? "4" : "1");
    wide += marked;
  }
  EXPECT_GT(wide, 0);
  std::vector<tCanvasCommand> split_labels;
  for (const tCanvasCommand& c : of_kind(cmds, "text"))
    if (option(c, "-tags") == "sg")
      split_labels.push_back(c);
  ASSERT_EQ(split_labels.size(), 1u);
  EXPECT_EQ(option(split_labels[0], "-text"), "1");
  EXPECT_EQ(option(split_labels[0], "-anchor"), "w");

  d.command("draw mark=0 splitlabels=values;");
  int labelled = 0;
  for (const tCanvasCommand& c : of_kind(d.draw(), "text"))
    labelled += option(c, "-tags") == "sg";
  EXPECT_EQ(labelled, 5) << "one label per split without a mark";

  d.command("draw mark=2 splitlabels=none;");
  for (const tCanvasCommand& c : of_kind(d.draw(), "text"))
    EXPECT_NE(option(c, "-tags"), "sg") << "no split labels in mode NONE, marked or not";
}

TEST(CanvasDrawing, InvalidBlockOnlyClearsTheCanvas)
{
  tDrawDoc d("begin taxa; dimensions ntax=3; taxlabels a b c; end;");
  ASSERT_FALSE(d.doc.sgraph->valid());
  std::vector<tCanvasCommand> out;
  EXPECT_EQ(draw_tcltk(*d.doc.sgraph, d.doc.taxa.get(), d.doc.splits.get(), nullptr, out), 0);
  EXPECT_EQ(out, (std::vector<tCanvasCommand>{{".display", "delete", "sg"}}));
}

TEST(CanvasFit, LargestFittingScaleIsTheEdgeOfWhatFits)
{
  // Random item sets: the scale found fits, a slightly larger one does not.
  std::srand(7);
  for (int round = 0; round < 200; round++) {
    std::vector<tFitItem> items;
    const int n = 1 + std::rand() % 12;
    for (int i = 0; i < n; i++)
      items.push_back({(std::rand() % 2001 - 1000) / 100.0, (std::rand() % 50) * 1.0, (std::rand() % 50) * 1.0});
    const double room = 100 + std::rand() % 400;
    auto span = [&](double z) {
      double lo = 1e300, hi = -1e300;
      for (const tFitItem& it : items) {
        lo = std::min(lo, z * it.a - it.before);
        hi = std::max(hi, z * it.a + it.after);
      }
      return hi - lo;
    };
    const double z = largest_fitting_scale(items, room, 1e5);
    if (span(0) > room) {
      EXPECT_EQ(z, -1);
      continue;
    }
    EXPECT_LE(span(z), room + 1e-6) << round;
    if (z < 1e5) {
      EXPECT_GT(span(z * 1.001), room) << round;
    }
  }
}

TEST(CanvasFit, MeasuredLabelsStayInsideAndAFixedScaleFollowsTheCanvas)
{
  tDrawDoc d;
  d.command("draw taxlabels=both splitlabels=values;");
  tCanvasView view;
  view.width = 600;
  view.height = 300;
  view.line_height = 14;
  view.text_width = [](const std::string& text) { return 7.0 * static_cast<double>(text.size()); };
  set_canvas_view(view);

  // Every item's box, with the widths the view measures.
  auto extent = [&](const std::vector<tCanvasCommand>& cmds) {
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    for (const tCanvasCommand& c : cmds) {
      if (c.size() < 5 || c[1] != "create")
        continue;
      const double x = num(c[3]), y = num(c[4]);
      double left = 0, right = 0;
      if (c[2] == "text") {
        const double w = view.text_width(option(c, "-text"));
        left = option(c, "-anchor") == "w" ? 0 : w / 2;
        right = w - left;
      }
      const double half = c[2] == "text" ? view.line_height / 2 : 0;
      x0 = std::min(x0, x - left);
      x1 = std::max(x1, (c[2] == "text" ? x : num(c[5])) + right);
      y0 = std::min(y0, y - half);
      y1 = std::max(y1, (c[2] == "text" ? y : num(c[6])) + half);
    }
    return std::vector<double>{x0, y0, x1, y1};
  };
  for (int rotate : {0, 45, 90, 300}) {
    d.command("draw zoom=auto rotate=" + std::to_string(rotate) + ";");
    const std::vector<double> box = extent(d.draw());
    const double w = box[2] - box[0], h = box[3] - box[1];
    EXPECT_LE(w, 600 - 2 * FIT_MARGIN + 0.5) << rotate;
    EXPECT_LE(h, 300 - 2 * FIT_MARGIN - SCALEBAR_ROOM + 0.5) << rotate;
    EXPECT_TRUE(w > 600 - 2 * FIT_MARGIN - 1 || h > 300 - 2 * FIT_MARGIN - SCALEBAR_ROOM - 1) << "fills " << rotate;
  }

  // Frozen at the fit, the picture then grows with the canvas as the fit does.
  d.command("draw zoom=noauto;");
  const double fixed = d.doc.sgraph->get_zoom();
  view.width = 1200;
  view.height = 600;
  set_canvas_view(view);
  d.draw();
  const double grown = d.doc.sgraph->get_zoom();
  d.command("draw zoom=auto;");
  d.draw();
  EXPECT_NEAR(grown / -d.doc.sgraph->get_zoom(), 1.0, 1e-6) << "zoomed like the fit";
  EXPECT_GT(grown, fixed * 1.5);
  reset_canvas_view();
}

TEST(CanvasFit, AScaleFixedOnALargeCanvasStillFitsThePage)
{
  tDrawDoc d;
  tCanvasView view;
  view.width = 1600;
  view.height = 1000;
  view.line_height = 14;
  view.text_width = [](const std::string& text) { return 7.0 * static_cast<double>(text.size()); };
  set_canvas_view(view);
  d.draw();
  d.command("draw zoom=noauto rotate=30;");
  d.draw();
  tTempDir dir;
  const std::string name = dir.file("picture.eps");
  ASSERT_EQ(draw_ps(*d.doc.sgraph, d.doc.taxa.get(), d.doc.splits.get(), nullptr, "", name.c_str(), "t"), 1);
  reset_canvas_view();
  // Every line ends inside the frame of the page (the frame's own on it).
  const std::string eps = read_text_file(name);
  size_t lines = 0;
  for (size_t at = eps.find(" l s\n"); at != std::string::npos; at = eps.find(" l s\n", at + 1)) {
    const size_t start = eps.rfind('\n', at) + 1;
    double h = 0, v = 0;
    ASSERT_EQ(std::sscanf(eps.c_str() + start, "%lf %lf", &h, &v), 2);
    EXPECT_TRUE(h >= 50 && h <= 550 && v >= 50 && v <= 550) << h << " " << v;
    lines++;
  }
  EXPECT_GT(lines, 4u);
}
