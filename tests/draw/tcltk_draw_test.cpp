// The canvas picture: its transformation and the items and tags the GUI
// script relies on.
#include "draw/tcltk_draw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/document.h"
#include "tests/support/capture.h"

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

  const tDrawTransform t = canvas_transformation(*d.doc.sgraph);
  EXPECT_DOUBLE_EQ(t.hh(0, 0), 225);
  EXPECT_DOUBLE_EQ(scalebar_tcltk(*d.doc.sgraph), -d.doc.sgraph->get_zoom() * d.doc.sgraph->get_scalebar());
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
