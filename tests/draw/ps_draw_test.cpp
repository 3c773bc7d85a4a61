// The PostScript page. Pages written here are rendered in Ghostscript and
// must draw inside their declared bounding box.
#include "draw/ps_draw.h"
#include "draw/ps_draw_graph.h"

#include <gtest/gtest.h>

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

using tLines = std::vector<std::string>;

// Renders without error, and draws only inside the declared bounding box.
void expect_renders(const std::string& path)
{
  if (!have_tools("gs"))
    GTEST_SKIP() << "Ghostscript is not installed";
  int status = -1;
  const std::string out = shell("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=bbox '" + path + "'", &status);
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  const size_t at = out.find("%%BoundingBox:");
  ASSERT_TRUE(at != std::string::npos && status == 0) << out;
  ASSERT_EQ(std::sscanf(out.c_str() + at, "%%%%BoundingBox: %d %d %d %d", &x0, &y0, &x1, &y1), 4) << out;
  EXPECT_TRUE(x0 >= 47 && y0 >= 47 && x1 <= 553 && y1 <= 553) << out;
}

struct tPageDoc {
  tCaptureScope capture;
  tTempDir dir;
  tDocument doc;
  explicit tPageDoc(const std::string& text = FIVE) { doc.read_string(text.c_str()); }

  // The page's lines; none when no file was written. Rendering takes a
  // Ghostscript run, so pages that differ only in which texts they show skip it.
  tLines page(const std::string& draw = "", const std::vector<int>* support = nullptr, const char* title = "five.nex",
              bool render = true)
  {
    doc.read_string(("draw " + draw + ";").c_str());
    const std::string path = dir.file("page.eps");
    std::remove(path.c_str());
    if (!draw_ps(*doc.sgraph, doc.taxa.get(), doc.splits.get(), support, doc.short_info_string(), path.c_str(),
                 title))
      return {};
    if (render)
      expect_renders(path);
    tLines lines;
    std::istringstream in(read_text_file(path));
    for (std::string line; std::getline(in, line);)
      lines.push_back(line);
    return lines;
  }
};

// The lines strictly between the first line `from` and the next line `to`.
tLines section(const tLines& lines, const std::string& from, const std::string& to)
{
  tLines part;
  size_t i = 0;
  while (i < lines.size() && lines[i] != from)
    i++;
  for (i++; i < lines.size() && lines[i] != to; i++)
    part.push_back(lines[i]);
  return part;
}

// The texts shown: taxon labels are drawn in blue, split labels in red.
tLines shown(const tLines& lines, const char* color, const char* next)
{
  tLines texts;
  for (const std::string& l : section(lines, color, next))
    if (l.size() > 6 && l[0] == '(')
      texts.push_back(l.substr(1, l.size() - 7));
  return texts;
}

} // namespace

TEST(PsTransform, OriginFlipsRotationAndAutoZoom)
{
  tPsPage t;
  t.set_transformation_ps(20, -5, 0, 0, 0, 10);
  EXPECT_DOUBLE_EQ(t.hh(0, 0), 300);
  EXPECT_DOUBLE_EQ(t.vv(0, 0), 300);
  EXPECT_DOUBLE_EQ(t.hh(1, 0), 310);
  EXPECT_DOUBLE_EQ(t.vv(0, 1), 290); // mirrored like the canvas, whose y axis points down
  t.set_transformation_ps(0, 0, 1, 1, 0, 10);
  EXPECT_DOUBLE_EQ(t.hh(1, 0), 270);
  EXPECT_DOUBLE_EQ(t.vv(0, 1), 315);
  t.set_transformation_ps(0, 0, 0, 0, 90, 7);
  EXPECT_NEAR(t.hh(1, 0), 280, 1e-5);
  EXPECT_NEAR(t.vv(1, 0), 298, 1e-5);
  EXPECT_NEAR(t.auto_zoom_ps(-2, -1, 2, 1) * 7, 87.5, 1e-4);
  t.set_transformation_ps(0, 0, 0, 0, 0, 1);
  EXPECT_DOUBLE_EQ(t.auto_zoom_ps(-1, -5, 1, 5), 35);
  EXPECT_DOUBLE_EQ(t.auto_zoom_ps(-1, 0, 1, 0), 175);
  EXPECT_DOUBLE_EQ(t.auto_zoom_ps(0, 0, 0, 0), 100000);
}

TEST(PsPage, MatchesTheExpectedPageAndRemembersItsScale)
{
  tPageDoc d;
  std::string masked;
  for (const std::string& line : d.page("splitlabels=values")) {
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
  // The wider direction fills 350 points; the scale is kept, negated.
  double x0, y0, x1, y1;
  d.doc.sgraph->get_bbox(x0, y0, x1, y1);
  const double z = 350 / (x1 - x0);
  EXPECT_NEAR(d.doc.sgraph->get_zoom(), -z, 1e-9);
  EXPECT_LE(z * (y1 - y0), 350);
  char log[128];
  std::snprintf(log, sizeof log, "(draw splitlabels=VALUES zoom=%G;)\nCreated file: ", z * 0.01);
  EXPECT_NE(d.capture.fe.logged.find(log + d.dir.file("page.eps") + "\n"), std::string::npos);
}

TEST(PsPage, MarkedSplitIsTwoPointsWide)
{
  tPageDoc d;
  tLines widths;
  for (const std::string& l : section(d.page("mark=5", nullptr, "five.nex", false), "50 70 m 550 70 l s", "0 0 1 c"))
    if (l == "1 w" || l == "2 w")
      widths.push_back(l);
  tLines expected;
  for (const tEdge* e = d.doc.sgraph->get_graph().first_edge(); e; e = e->next)
    expected.push_back(e->color == 5 ? "2 w" : "1 w");
  expected.push_back("1 w");
  EXPECT_EQ(widths, expected);
}

TEST(PsPage, LabelModes)
{
  tPageDoc d;
  // Only the longest labels could leave the page: the others skip rendering.
  auto taxa = [&](const char* draw, bool render = false) {
    return shown(d.page(draw, nullptr, "five.nex", render), "0 0 1 c", "1 0 0 c");
  };
  auto splits = [&](const char* draw, const std::vector<int>* support = nullptr, bool render = false) {
    return shown(d.page(draw, support, "five.nex", render), "1 0 0 c", "0 0 0 c");
  };
  EXPECT_EQ(taxa("taxlabels=numbers"), (tLines{"4", "2,3", "1", "5"}));
  EXPECT_EQ(taxa("taxlabels=both", true), (tLines{"4:d", "2:b,3:c", "1:a", "5:e"}));
  EXPECT_EQ(taxa("taxlabels=none"), tLines{});

  // Only the marked split is labelled when one is marked; none without a mode.
  EXPECT_EQ(splits("splitlabels=nvalues mark=1"), tLines{"1:2"});
  EXPECT_EQ(splits("splitlabels=none"), tLines{});
  EXPECT_EQ(splits("splitlabels=numbers mark=0"), (tLines{"4", "3", "1", "2", "5"}));
  EXPECT_EQ(splits("splitlabels=angles mark=4"), tLines{"180.0"});
  const std::vector<int> support = {0, 10000, 5000, 9990, 1234, 1};
  EXPECT_EQ(splits("splitlabels=bootstraps mark=0"), tLines{});
  EXPECT_EQ(splits("", &support, true), (tLines{"12.34", "99.9", "100", "50", "0.01"}));
  EXPECT_EQ(splits("splitlabels=nbootstraps mark=2", &support), tLines{"2:50"});
}

TEST(PsPage, NoScaleBarWithEqualEdges)
{
  tPageDoc d;
  EXPECT_EQ(section(d.page("equal_edges"), "0 0 0 c", "showpage"), tLines{""});
  EXPECT_NE(d.capture.fe.logged.find("(draw equal_edges zoom="), std::string::npos);
}

TEST(PsPage, TextsAreEscapedAndPrintAsWritten)
{
  EXPECT_EQ(ps_string("a(b)c\\d\n"), "a\\(b\\)c\\\\d\\012");
  // The last label would end its string and stop the interpreter if written as it is.
  tPageDoc d("begin taxa; dimensions ntax=4; taxlabels 'x(y' 'z)' 'b\\s' ')quit('; end;"
             "begin distances; format triangle=both no labels; matrix 0 2 4 4 2 0 4 4 4 4 0 2 4 4 2 0; end;");
  const tLines lines = d.page("", nullptr, "my (t) \\\n%%EOF");
  EXPECT_EQ(shown(lines, "0 0 1 c", "1 0 0 c"), (tLines{"z\\)", "\\)quit\\(", "b\\\\s", "x\\(y"}));
  EXPECT_EQ(lines[1], "%%Title: my (t) \\ %%EOF");
  EXPECT_EQ(lines[25], "60 535 m (Title: my \\(t\\) \\\\\\012%%EOF) show");
  if (!have_tools("gs"))
    GTEST_SKIP() << "Ghostscript is not installed";
  const std::string text = shell("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=txtwrite -sOutputFile=- '" +
                                       d.dir.file("page.eps") + "'");
  for (const char* label : {"x(y", "z)", "b\\s", ")quit(", "Title: my (t) \\"})
    EXPECT_NE(text.find(label), std::string::npos) << label << "\n" << text;
}

TEST(PsPage, NothingIsWrittenWithoutAGraphOrAFolder)
{
  tPageDoc d("");
  EXPECT_TRUE(d.page().empty());
  EXPECT_FALSE(std::ifstream(d.dir.file("page.eps")).good());
  d.doc.read_string(FIVE);
  d.capture.fe.clear();
  EXPECT_FALSE(draw_ps(*d.doc.sgraph, d.doc.taxa.get(), d.doc.splits.get(), nullptr, "", "/nonexistent/x.eps", ""));
  EXPECT_EQ(d.capture.fe.warnings, tLines{"Create PS: Can't open output file: /nonexistent/x.eps"});
  EXPECT_EQ(d.capture.fe.logged, "");
}

TEST(PsPage, PsCommandWritesTheNamedFileOrTitleDotPs)
{
  tTempDir dir;
  dir.write("five.nex", std::string("#NEXUS\n") + FIVE);
  const tRunResult r = run_quivet({"-c", "ps;", "-c", "ps " + dir.file("other.eps") + ";", "five.nex"}, "", dir.path());
  EXPECT_NE(r.out.find("Created file: five.nex.ps\n"), std::string::npos) << r.out << r.err;
  expect_renders(dir.file("five.nex.ps"));
  const std::string page = read_text_file(dir.file("other.eps"));
  EXPECT_NE(page.find("%%Title: five.nex\n"), std::string::npos);
  EXPECT_NE(page.find("60 55 m\n( ntax=5) show\n"), std::string::npos) << page;
}
