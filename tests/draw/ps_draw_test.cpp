// The PostScript page: its transformation, the page itself against an
// expected file, and the parts of the drawing that depend on the drawing
// parameters. Every page written here must also render in Ghostscript
// inside its declared bounding box.
#include "draw/ps_draw.h"
#include "draw/ps_draw_graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "document/document.h"
#include "tests/support/capture.h"
#include "tests/support/run.h"

namespace {

// Taxa b and c share a vertex; split 1 is the inner edge {a,b,c} | {d,e}.
const char* const FIVE =
  "begin taxa; dimensions ntax=5; taxlabels a b c d e; end;"
  "begin qv_splits; dimensions ntax=5 nsplits=5; format labels weights; cycle 1 2 3 4 5;"
  " matrix 1 2 1 2 3, 2 1 1, 3 1 4, 4 1 5, 5 1 2 3,; end;";

std::vector<std::string> lines_of(const std::string& text)
{
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

bool have_program(const char* name)
{
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string run_command(const std::string& command)
{
  std::string output;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
      output.append(buf, n);
    output += "exit=" + std::to_string(pclose(p));
  }
  return output;
}

// The page renders without error, and what it draws lies inside the
// declared bounding box.
void expect_renders(const std::string& path)
{
  if (!have_program("gs"))
    GTEST_SKIP() << "Ghostscript is not installed";
  const std::string out = run_command("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=bbox '" + path + "' 2>&1");
  EXPECT_NE(out.find("exit=0"), std::string::npos) << out;
  EXPECT_EQ(out.find("Error"), std::string::npos) << out;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  const size_t at = out.find("%%BoundingBox:");
  ASSERT_NE(at, std::string::npos) << out;
  ASSERT_EQ(std::sscanf(out.c_str() + at, "%%%%BoundingBox: %d %d %d %d", &x0, &y0, &x1, &y1), 4) << out;
  EXPECT_GE(x0, 47);
  EXPECT_GE(y0, 47);
  EXPECT_LE(x1, 553);
  EXPECT_LE(y1, 553);
}

// The text Ghostscript prints from the page.
std::string rendered_text(const std::string& path)
{
  return run_command("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=txtwrite -sOutputFile=- '" + path + "' 2>&1");
}

struct tPageDoc {
  tCaptureScope capture;
  tTempDir dir;
  tDocument doc;
  explicit tPageDoc(const std::string& text = FIVE) { doc.read_string(text.c_str()); }
  void command(const std::string& text) { doc.read_string(text.c_str()); }

  // Draws the page; returns its text, or "" when no file was written.
  std::string page(const std::vector<int>* support = nullptr, const char* title = "five.nex",
                   const std::string& name = "page.eps")
  {
    const std::string path = dir.file(name);
    std::remove(path.c_str());
    if (!draw_ps(*doc.sgraph, doc.taxa.get(), doc.splits.get(), support, doc.short_info_string(), path.c_str(),
                 title))
      return std::string();
    expect_renders(path);
    return read_text_file(path);
  }

  // The transformation the last drawing used.
  void transformation(tPsPage& t) const
  {
    const tSplitsGraphBlk& g = *doc.sgraph;
    t.set_transformation_ps(g.get_hoffset(), g.get_voffset(), g.get_hflip(), g.get_vflip(), g.get_rotate(),
                            std::fabs(g.get_zoom()));
  }
};

// The lines strictly between the first line equal to `from` and the next
// line equal to `to`.
std::vector<std::string> section(const std::vector<std::string>& lines, const std::string& from,
                                 const std::string& to)
{
  std::vector<std::string> part;
  size_t i = 0;
  while (i < lines.size() && lines[i] != from)
    i++;
  for (i++; i < lines.size() && lines[i] != to; i++)
    part.push_back(lines[i]);
  return part;
}

std::vector<std::string> shown_texts(const std::vector<std::string>& part)
{
  std::vector<std::string> texts;
  for (const std::string& l : part)
    if (l.size() > 7 && l.front() == '(' && l.compare(l.size() - 6, 6, ") show") == 0)
      texts.push_back(l.substr(1, l.size() - 7));
  return texts;
}

struct tShown {
  double h, v;
  std::string text;
};

// The split labels: the red part of the page, each a move and a text.
std::vector<tShown> split_labels(const std::string& page)
{
  const std::vector<std::string> part = section(lines_of(page), "1 0 0 c", "0 0 0 c");
  std::vector<tShown> labels;
  for (size_t i = 0; i + 1 < part.size(); i += 2) {
    tShown s{0, 0, ""};
    EXPECT_EQ(std::sscanf(part[i].c_str(), "%lg %lg m", &s.h, &s.v), 2) << part[i];
    s.text = shown_texts({part[i + 1]}).at(0);
    labels.push_back(s);
  }
  return labels;
}

} // namespace

TEST(PsTransform, OriginFlipsRotationAndScale)
{
  tPsPage t;
  t.set_transformation_ps(0, 0, 0, 0, 0, 10);
  EXPECT_DOUBLE_EQ(t.hh(0, 0), 280);
  EXPECT_DOUBLE_EQ(t.vv(0, 0), 305);
  // The page's y axis points up, and the default mirrors y like the canvas.
  EXPECT_DOUBLE_EQ(t.hh(1, 0), 290);
  EXPECT_DOUBLE_EQ(t.vv(0, 1), 295);

  t.set_transformation_ps(20, -5, 1, 0, 0, 10);
  EXPECT_DOUBLE_EQ(t.hh(0, 0), 300);
  EXPECT_DOUBLE_EQ(t.vv(0, 0), 300);
  EXPECT_LT(t.hh(1, 0), 300);
  t.set_transformation_ps(0, 0, 0, 1, 0, 10);
  EXPECT_GT(t.vv(0, 1), 305);

  t.set_transformation_ps(0, 0, 0, 0, 90, 7);
  EXPECT_NEAR(t.hh(1, 0), 280, 1e-5);
  EXPECT_NEAR(t.vv(1, 0), 305 - 7, 1e-5);
}

TEST(PsTransform, AutoZoomFitsTheLargerDirectionInto350Points)
{
  tPsPage t;
  t.set_transformation_ps(0, 0, 0, 0, 0, 1);
  EXPECT_DOUBLE_EQ(t.auto_zoom_ps(-2, -1, 2, 1), 87.5);
  EXPECT_DOUBLE_EQ(t.auto_zoom_ps(-1, -5, 1, 5), 35);
  // A box without extent in one direction is fitted by the other only.
  EXPECT_DOUBLE_EQ(t.auto_zoom_ps(-1, 0, 1, 0), 175);
  EXPECT_DOUBLE_EQ(t.auto_zoom_ps(0, 0, 0, 0), 100000);
  t.set_transformation_ps(0, 0, 0, 0, 90, 1);
  EXPECT_NEAR(t.auto_zoom_ps(-2, -1, 2, 1), 87.5, 1e-4);
}

TEST(PsPage, DefaultDrawingFitsAndRemembersItsScale)
{
  tPageDoc d;
  EXPECT_EQ(d.doc.sgraph->get_zoom(), 0.0);
  ASSERT_FALSE(d.page().empty());
  const double z = -d.doc.sgraph->get_zoom();
  ASSERT_GT(z, 0);
  double x0, y0, x1, y1;
  d.doc.sgraph->get_bbox(x0, y0, x1, y1);
  tPsPage t;
  d.transformation(t);
  EXPECT_DOUBLE_EQ(t.hh(0, 0), 280);
  EXPECT_DOUBLE_EQ(t.vv(0, 0), 305);
  EXPECT_NEAR(std::fmax(t.hh(x1, 0) - t.hh(x0, 0), t.vv(0, y0) - t.vv(0, y1)), 350, 1e-9);
  char zoom[64];
  std::snprintf(zoom, sizeof zoom, "(draw zoom=%G;)\n", z * 0.01);
  EXPECT_NE(d.capture.fe.logged.find(zoom), std::string::npos) << d.capture.fe.logged;
  EXPECT_NE(d.capture.fe.logged.find("Created file: " + d.dir.file("page.eps") + "\n"), std::string::npos);

  // A fixed scale is used as it is and kept.
  d.command("draw zoom=2;");
  d.page();
  EXPECT_EQ(d.doc.sgraph->get_zoom(), 200.0);
}

TEST(PsPage, MatchesTheExpectedPage)
{
  tPageDoc d(std::string(FIVE) + "draw splitlabels=values;");
  std::string page = d.page();
  // The date is the one thing that varies.
  std::string masked;
  for (const std::string& line : lines_of(page)) {
    if (line.rfind("%%CreationDate: ", 0) == 0)
      masked += "%%CreationDate: <date>\n";
    else if (line.rfind("60 520 m (Date : ", 0) == 0)
      masked += "60 520 m (Date : <date>) show\n";
    else
      masked += line + "\n";
  }
  const std::string expected = source_dir() + "/tests/data/draw/five.eps";
  if (std::getenv("QV_REGENERATE"))
    std::ofstream(expected, std::ios::binary) << masked;
  EXPECT_EQ(masked, read_text_file(expected));
}

TEST(PsPage, MarkedSplitIsDrawnTwoPointsWide)
{
  tPageDoc d(std::string(FIVE) + "draw mark=5;");
  const std::vector<std::string> lines = lines_of(d.page());
  std::vector<std::string> widths;
  for (const std::string& l : section(lines, "50 70 m 550 70 l s", "0 0 1 c"))
    if (l == "1 w" || l == "2 w")
      widths.push_back(l);
  // One width per edge, in edge-list order, and thin again afterwards.
  std::vector<std::string> expected;
  int marked = 0;
  const tSplitsGraph& g = d.doc.sgraph->get_graph();
  for (const tEdge* e = g.first_edge(); e; e = g.next_edge(e)) {
    expected.push_back(e->color == 5 ? "2 w" : "1 w");
    marked += e->color == 5;
  }
  expected.push_back("1 w");
  EXPECT_EQ(marked, 2);
  EXPECT_EQ(widths, expected);
  EXPECT_NE(d.capture.fe.logged.find("(draw mark=5 zoom="), std::string::npos);
}

TEST(PsPage, TaxonLabelModes)
{
  tPageDoc d;
  const auto labels = [&d] { return shown_texts(section(lines_of(d.page()), "0 0 1 c", "1 0 0 c")); };
  using tTexts = std::vector<std::string>;
  EXPECT_EQ(labels(), (tTexts{"a", "b,c", "d", "e"}));
  d.command("draw taxlabels=numbers;");
  EXPECT_EQ(labels(), (tTexts{"1", "2,3", "4", "5"}));
  d.command("draw taxlabels=both;");
  EXPECT_EQ(labels(), (tTexts{"1:a", "2:b,3:c", "4:d", "5:e"}));
  d.command("draw taxlabels=none;");
  const std::vector<std::string> part = section(lines_of(d.page()), "0 0 1 c", "1 0 0 c");
  EXPECT_TRUE(shown_texts(part).empty());
  int squares = 0;
  for (const std::string& l : part)
    squares += l.size() > 2 && l.compare(l.size() - 2, 2, " f") == 0;
  EXPECT_EQ(squares, 4);
  EXPECT_NE(d.capture.fe.logged.find("(draw taxlabels=NONE zoom="), std::string::npos);
}

TEST(PsPage, SplitLabelModes)
{
  tPageDoc d(std::string(FIVE) + "draw splitlabels=values;");
  // Each split once, at the midpoint of its newest edge.
  std::vector<tShown> labels = split_labels(d.page());
  tPsPage t;
  d.transformation(t);
  const tSplitsGraph& g = d.doc.sgraph->get_graph();
  ASSERT_EQ(labels.size(), 5u);
  for (int p = 1; p <= 5; p++) {
    const tEdge* e = g.first_edge_of_color(p);
    const double x = (e->v->x + e->w->x) * 0.5, y = (e->v->y + e->w->y) * 0.5;
    int found = 0;
    for (const tShown& s : labels)
      found += std::fabs(s.h - t.hh(x, y)) < 1e-3 && std::fabs(s.v - t.vv(x, y)) < 1e-3 &&
               s.text == (p == 1 ? "2" : "1");
    EXPECT_EQ(found, 1) << "split " << p;
  }

  // A marked split alone is labelled; without a mode not even that.
  d.command("draw splitlabels=nvalues mark=1;");
  labels = split_labels(d.page());
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(labels[0].text, "1:2");
  d.command("draw splitlabels=none;");
  EXPECT_TRUE(split_labels(d.page()).empty());
  d.command("draw splitlabels=numbers mark=0;");
  EXPECT_EQ(split_labels(d.page()).size(), 5u);

  d.command("draw splitlabels=angles mark=3;");
  char angle[32];
  std::snprintf(angle, sizeof angle, "%3.1f", static_cast<double>(d.doc.sgraph->get_split_angle(3) * 0.1f));
  labels = split_labels(d.page());
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(labels[0].text, angle);

  // Support values only where they exist.
  const std::vector<int> support = {0, 10000, 5000, 9990, 1234, 1};
  d.command("draw splitlabels=bootstraps mark=0;");
  EXPECT_TRUE(split_labels(d.page()).empty());
  std::vector<std::string> texts;
  for (const tShown& s : split_labels(d.page(&support)))
    texts.push_back(s.text);
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts, (std::vector<std::string>{"0.01", "100", "12.34", "50", "99.9"}));
  d.command("draw splitlabels=nbootstraps mark=2;");
  EXPECT_TRUE(split_labels(d.page()).empty());
  labels = split_labels(d.page(&support));
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(labels[0].text, "2:50");
}

TEST(PsPage, ScaleBarOnlyWhenEdgesAreToScale)
{
  tPageDoc d;
  std::vector<std::string> lines = lines_of(d.page());
  const int length = static_cast<int>(-d.doc.sgraph->get_zoom() * d.doc.sgraph->get_scalebar());
  const std::vector<std::string> bar = section(lines, "0 0 0 c", "showpage");
  ASSERT_GE(bar.size(), 6u);
  EXPECT_EQ(bar[0], "60 83 m");
  EXPECT_EQ(bar[1], "60 80 l");
  EXPECT_EQ(bar[2], std::to_string(60 + length) + " 80 l");
  EXPECT_EQ(bar[3], std::to_string(60 + length) + " 83 l s");
  EXPECT_EQ(bar[4], std::to_string(63 + length) + " 80 m");
  EXPECT_EQ(bar[5], "(1) show");

  d.command("draw equal_edges;");
  lines = lines_of(d.page());
  EXPECT_TRUE(section(lines, "0 0 0 c", "showpage").empty());
  EXPECT_NE(d.capture.fe.logged.find("(draw equal_edges zoom="), std::string::npos);
}

TEST(PsPage, TextsAreEscapedAndPrintAsWritten)
{
  EXPECT_EQ(ps_string("a(b)c\\d"), "a\\(b\\)c\\\\d");
  EXPECT_EQ(ps_string("x\ny\t"), "x\\012y\\011");

  // A label that would end its string and run PostScript if written as it is.
  tPageDoc d("begin taxa; dimensions ntax=4; taxlabels 'x(y' 'z)' 'back\\slash' ') show quit ('; end;"
             "begin distances; format triangle=both no labels;"
             " matrix 0 2 4 4  2 0 4 4  4 4 0 2  4 4 2 0; end;");
  const std::string page = d.page(nullptr, "my (title) \\ \n%%EOF");
  ASSERT_FALSE(page.empty());
  EXPECT_NE(page.find("(x\\(y) show\n"), std::string::npos);
  EXPECT_NE(page.find("(z\\)) show\n"), std::string::npos);
  EXPECT_NE(page.find("(back\\\\slash) show\n"), std::string::npos);
  EXPECT_NE(page.find("(\\) show quit \\() show\n"), std::string::npos);
  EXPECT_NE(page.find("60 535 m (Title: my \\(title\\) \\\\ \\012%%EOF) show\n"), std::string::npos);
  // The header comment stays one line.
  EXPECT_NE(page.find("%%Title: my (title) \\  %%EOF\n"), std::string::npos);
  if (!have_program("gs"))
    GTEST_SKIP() << "Ghostscript is not installed";
  const std::string text = rendered_text(d.dir.file("page.eps"));
  for (const char* label : {"x(y", "z)", "back\\slash", ") show quit (", "Title: my (title) \\"})
    EXPECT_NE(text.find(label), std::string::npos) << label << "\n" << text;
}

TEST(PsPage, NothingIsWrittenWithoutAGraphOrAFile)
{
  tPageDoc d("");
  EXPECT_EQ(d.page(), "");
  EXPECT_FALSE(std::ifstream(d.dir.file("page.eps")).good());
  EXPECT_EQ(d.capture.fe.logged, "");
  EXPECT_TRUE(d.capture.fe.warnings.empty());

  d.command(FIVE);
  EXPECT_EQ(d.page(nullptr, "five.nex", "missing/page.eps"), "");
  EXPECT_EQ(d.capture.fe.warnings,
            std::vector<std::string>{"Create PS: Can't open output file: " + d.dir.file("missing/page.eps")});
}

TEST(PsPage, PsCommandWritesTheNamedFileOrTitleDotPs)
{
  tPageDoc d("");
  d.dir.write("five.nex", std::string("#NEXUS\n") + FIVE);
  ASSERT_TRUE(d.doc.read_file(d.dir.file("five.nex").c_str()));
  d.command("ps;");
  expect_renders(d.dir.file("five.nex.ps"));
  d.command("ps " + d.dir.file("other.eps") + ";");
  const std::string page = read_text_file(d.dir.file("other.eps"));
  EXPECT_NE(page.find("%%Title: " + d.dir.file("five.nex") + "\n"), std::string::npos);
  EXPECT_NE(page.find("(" + std::string(d.doc.short_info_string()) + ") show\n"), std::string::npos);
  expect_renders(d.dir.file("other.eps"));
}
