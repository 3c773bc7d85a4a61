// QV_GRAPH block: printing and reading, the DRAW entries and the layout.
#include "blocks/blk_splitsgraph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "document/document.h"
#include "nexus/nexus.h"
#include "tests/support/capture.h"

namespace {

const char* const TAXA4 = "begin taxa; dimensions ntax=4; taxlabels a b c d; end;";

// A tree on four taxa: split 1 is {a,b} | {c,d}, 2..5 the pendant edges.
const char* const TREE_GRAPH =
  "begin qv_graph; dimensions ntax=4 nsplits=5 nvertices=6 nedges=5;"
  " vertices 1 -2 1, 2 -2 -1, 3 2 1, 4 2 -1, 5 -1 0, 6 1 0,;"
  " edges 1 (5 6), 2 (1 5), 3 (2 5), 4 (3 6), 5 (4 6),; end;";

// The same tree computed from its splits.
const char* const TREE_SPLITS =
  "begin qv_splits; dimensions ntax=4 nsplits=5; format labels weights; cycle 1 2 3 4;"
  " matrix 1 2 1 2, 2 1 1, 3 1 2, 4 1 3, 5 1 4,; end;";

std::string printed(const tDocument& doc)
{
  tNexusOutput out;
  out.OpenString();
  doc.sgraph->print(&out, doc.taxa.get());
  return out.GetString();
}

// A document holding the four taxa and the given text.
struct tGraphDoc {
  tCaptureScope capture;
  tDocument doc;
  explicit tGraphDoc(const std::string& text = TREE_GRAPH) { read(std::string(TAXA4) + text); }
  void read(const std::string& text)
  {
    capture.fe.clear();
    doc.read_string(text.c_str());
    EXPECT_EQ(capture.fe.fatal, "");
  }
  const tSplitsGraphBlk& g() const { return *doc.sgraph; }
  const tVertex* vertex(int t) const { return g().get_tax2vertex(t); }
};

double distance(const tVertex* a, const tVertex* b) { return std::hypot(a->x - b->x, a->y - b->y); }

} // namespace

TEST(SplitsGraphBlock, PrintsWhatItRead)
{
  tGraphDoc d;
  ASSERT_TRUE(d.g().valid());
  EXPECT_EQ(printed(d.doc),
            "BEGIN qv_graph;\n"
            "    DIMENSIONS ntax=4 nsplits=5 nvertices=6 nedges=5;\n"
            "    FORMAT\n        labels\n        no angles\n    ;\n"
            "    DRAW\n        to_scale\n        zoom=auto\n    ;\n"
            "    TAXLABELOFFSET\n"
            "       1 -0.141421 0.141421,\n"
            "       2 -0.141421 -0.141421,\n"
            "       3 0.141421 0.141421,\n"
            "       4 0.141421 -0.141421,\n"
            "    ;\n"
            "    VERTICES\n"
            "        1 -2.000000 1.000000,\n"
            "        2 -2.000000 -1.000000,\n"
            "        3 2.000000 1.000000,\n"
            "        4 2.000000 -1.000000,\n"
            "        5 -1.000000 0.000000,\n"
            "        6 1.000000 0.000000,\n"
            "    ;\n"
            "    EDGES\n"
            "        1 (5 6),\n        2 (1 5),\n        3 (2 5),\n        4 (3 6),\n        5 (4 6),\n"
            "    ;\n"
            "END;\n");
  EXPECT_EQ(d.g().get_split_angle(1), 0);
  EXPECT_EQ(d.g().get_split_angle(2), -449); // from taxon 1 toward the rest, cut toward zero
  EXPECT_DOUBLE_EQ(d.g().get_split_length(1), 2.0);
  EXPECT_DOUBLE_EQ(d.g().get_scalebar(), 1.0);
}

TEST(SplitsGraphBlock, EveryPartSurvivesPrintAndRead)
{
  tGraphDoc d("");
  d.read("begin qv_graph; dimensions ntax=4 nsplits=5 nvertices=6 nedges=5; format no labels angles;"
         " draw mark=s2 taxlabels=both splitlabels=nvalues hoffset=-3 voffset=4 hflip=1 vflip=2 rotate=-30"
         " zoom=2.5 equal_edges; non_planar 3 5; taxlabeloffset 1 0.5 -0.25, 2 0 0, 3 1 1, 4 -1 2,;"
         " translate 2 1, 1 2, 3 3, 4 4,;"
         " vertices -2 1, -2 -1, 2 1, 2 -1, -1 0, 1 0,;"
         " edges 12.5 (5 6), -45 (2 5), 45 (1 5), 135 (3 6), 225 (4 6) (4 6),; end;");
  ASSERT_TRUE(d.g().valid()) << d.capture.fe.logged;
  const std::string first = printed(d.doc);
  EXPECT_NE(first.find("        mark=2\n        taxlabels=BOTH\n        splitlabels=NVALUES\n        hoffset=-3\n"
                       "        voffset=4\n        hflip=1\n        vflip=2\n        rotate=-30\n        zoom=2.5\n"),
            std::string::npos)
    << first;
  EXPECT_NE(first.find("    NON_PLANAR 3 5;\n"), std::string::npos);
  EXPECT_NE(first.find("       1 0.500000 -0.250000,\n"), std::string::npos);
  EXPECT_NE(first.find("       2 1,\n       1 2,\n"), std::string::npos);
  EXPECT_NE(first.find("         12.5 (5 6),\n"), std::string::npos);
  EXPECT_NE(first.find("         225 (4 6) (4 6),\n"), std::string::npos);

  tGraphDoc again(first);
  EXPECT_EQ(printed(again.doc), first);
  EXPECT_EQ(again.vertex(1), again.g().get_graph().find_vertex(2));
  EXPECT_EQ(again.g().get_zoom(), 250.0);
}

TEST(SplitsGraphBlock, ComputedGraphSurvivesSaving)
{
  tGraphDoc d(TREE_SPLITS);
  ASSERT_TRUE(d.g().valid());
  EXPECT_NE(d.capture.fe.logged.find("Computing QV_GRAPH from QV_SPLITS: 6 vertices and 5 edges\n"),
            std::string::npos);
  d.read("draw angle 1 '+=' 20 equal_edges mark=1;");
  const std::string first = printed(d.doc);
  tGraphDoc again(first);
  EXPECT_EQ(printed(again.doc), first);
}

TEST(SplitsGraphDraw, SimpleEntriesChangeTheirParameter)
{
  tGraphDoc d;
  d.read("draw hflip'++' hflip'++' rotate'++' rotate '++' vflip=5 vflip '++' hoffset=-5 hoffset'+='7"
         " voffset '+=' -2 taxlabels=numbers splitlabels=Angles mark=s3;");
  EXPECT_EQ(d.capture.fe.logged, "");
  EXPECT_EQ(d.g().get_hflip(), 0);
  EXPECT_EQ(d.g().get_vflip(), 0);
  EXPECT_EQ(d.g().get_mark(), 3);
  // Two turns on and one back; the other entries as the DRAW section shows them.
  d.read("draw mark=0 rotate'--';");
  EXPECT_EQ(d.g().get_mark(), 0);
  EXPECT_NE(printed(d.doc).find("    DRAW\n        to_scale\n        taxlabels=NUMBERS\n        splitlabels=ANGLES\n"
                                "        hoffset=2\n        voffset=-2\n        rotate=5\n        zoom=auto\n    ;\n"),
            std::string::npos);
}

TEST(SplitsGraphDraw, ZoomForms)
{
  tGraphDoc d;
  d.read("draw zoom'++';");
  EXPECT_EQ(d.g().get_zoom(), 0.0);
  d.doc.sgraph->set_zoom(-250); // an automatic scale that a drawing chose
  d.read("draw zoom'++';");
  EXPECT_DOUBLE_EQ(d.g().get_zoom(), 275.0);
  d.read("draw zoom'--';");
  EXPECT_DOUBLE_EQ(d.g().get_zoom(), 247.5);
  d.doc.sgraph->set_zoom(-120);
  d.read("draw zoom=noauto;");
  EXPECT_EQ(d.g().get_zoom(), 120.0);
  d.read("draw zoom=-0.5;");
  EXPECT_EQ(d.g().get_zoom(), -50.0);
  EXPECT_NE(printed(d.doc).find("        zoom=-0.5\n"), std::string::npos);
  d.read("draw zoom=auto;");
  EXPECT_NE(printed(d.doc).find("        zoom=auto\n"), std::string::npos);
}

TEST(SplitsGraphDraw, AngleTurnsOneBand)
{
  tGraphDoc d;
  const double before = distance(d.vertex(1), d.vertex(3));
  d.read("draw angle 1 90;");
  EXPECT_EQ(d.g().get_split_angle(1), 900);
  // The band keeps its length; the sides keep their shapes.
  EXPECT_NEAR(distance(d.vertex(1), d.vertex(2)), 2.0, 1e-9);
  EXPECT_NEAR(d.vertex(3)->y - d.vertex(1)->y, 2.0 + 0.0, 1e-9);
  EXPECT_NE(distance(d.vertex(1), d.vertex(3)), before);
  d.read("draw angle s1 '-=' 90;");
  EXPECT_EQ(d.g().get_split_angle(1), 0);
  EXPECT_NEAR(distance(d.vertex(1), d.vertex(3)), before, 1e-9);

  // Whole degrees of the current angle, turned the other way on a mirrored picture.
  tGraphDoc a("begin qv_graph; dimensions ntax=4 nsplits=5 nvertices=6 nedges=5; format angles;"
              " draw angle 1 3; vertices 1 -2 1, 2 -2 -1, 3 2 1, 4 2 -1, 5 -1 0, 6 1 0,;"
              " edges 1 135.7 (5 6), 2 0 (1 5), 3 0 (2 5), 4 0 (3 6), 5 0 (4 6),; end;");
  EXPECT_NE(a.capture.fe.logged.find("Will ignore initial ANGLE commands\n"), std::string::npos);
  EXPECT_EQ(a.g().get_split_angle(1), 1357);
  a.read("draw angle 1 '+=' 10;");
  EXPECT_EQ(a.g().get_split_angle(1), 1450);
  a.read("draw vflip=1 angle 1 '+=' 10;");
  EXPECT_EQ(a.g().get_split_angle(1), 1350);
}

TEST(SplitsGraphDraw, EdgeModesToggleBack)
{
  tGraphDoc d(TREE_SPLITS);
  const std::string original = printed(d.doc);
  d.read("draw to_scale;");
  EXPECT_EQ(printed(d.doc), original);
  std::vector<std::pair<double, double>> before;
  for (const tVertex* v = d.g().get_graph().first_vertex(); v; v = v->next)
    before.emplace_back(v->x, v->y);
  const tEdge* band = d.g().get_graph().first_edge_of_color(1);
  EXPECT_NEAR(vw_distance(band->v, band->w), 2.0, 1e-9);

  d.read("draw equal_edges;");
  EXPECT_EQ(d.capture.fe.logged, "changing mode from to_scale to equal_edges (nsplits=5)\n");
  EXPECT_NEAR(vw_distance(band->v, band->w), 1.0, 1e-9);
  EXPECT_EQ(d.g().get_to_scale(), 0);
  d.read("draw to_scale;");
  EXPECT_EQ(d.capture.fe.logged, "changing mode from equal_edges to to_scale (nsplits=5)\n");
  size_t i = 0;
  for (const tVertex* v = d.g().get_graph().first_vertex(); v; v = v->next, i++) {
    EXPECT_NEAR(v->x, before[i].first, 1e-9);
    EXPECT_NEAR(v->y, before[i].second, 1e-9);
  }
}

TEST(SplitsGraphDraw, LabelOffsetFromCanvasPoint)
{
  tGraphDoc d;
  // At scale 100 the canvas point (125, 225) is the world point (-1, 1).
  d.read("draw zoom=1 taxlabeloffset t1 125 225;");
  EXPECT_FLOAT_EQ(d.g().get_taxlabeloffset(1).dx, 1.0f);
  EXPECT_FLOAT_EQ(d.g().get_taxlabeloffset(1).dy, 0.0f);
  d.read("draw taxlabeloffset 9 0 0;"); // accepted, nothing to apply
  EXPECT_EQ(d.capture.fe.logged, "");

  // Rotation and mirrors are undone: world (1, 0) is drawn at (225, 225).
  d.read("draw rotate=90 hflip=1 taxlabeloffset 1 225 225;");
  EXPECT_NEAR(d.g().get_taxlabeloffset(1).dx, 3.0f, 1e-5);
  EXPECT_NEAR(d.g().get_taxlabeloffset(1).dy, -1.0f, 1e-5);
}

TEST(SplitsGraphLayout, ScaleBarIsAPowerOfTenBelowTheLongestEdge)
{
  const double longest[] = {5, 10, 10.5, 1, 0.5};
  const double bar[] = {1, 1, 10, 1, 0.1};
  for (int i = 0; i < 5; i++) {
    const std::string text = "begin taxa; dimensions ntax=2; taxlabels a b; end;"
                             "begin qv_graph; dimensions ntax=2 nsplits=1 nvertices=2 nedges=1;"
                             " vertices 1 0 0, 2 " + std::to_string(longest[i]) + " 0,; edges 1 (1 2),; end;";
    tCaptureScope capture;
    tDocument doc;
    doc.read_string(text.c_str());
    EXPECT_DOUBLE_EQ(doc.sgraph->get_scalebar(), bar[i]) << longest[i];
  }
}

TEST(SplitsGraphLayout, LabelPointsAwayFromNeighbours)
{
  // Taxon 1 sits between its two neighbours: no direction, no offset.
  tGraphDoc d("");
  d.read("begin qv_graph; dimensions ntax=4 nsplits=3 nvertices=4 nedges=3;"
         " vertices 1 0 0, 2 -4 0, 3 4 0, 4 -4 -2,; edges 1 (1 2), 2 (1 3), 3 (2 4),; end;");
  ASSERT_TRUE(d.g().valid());
  EXPECT_EQ(d.g().get_taxlabeloffset(1).dx, 0.0f);
  EXPECT_EQ(d.g().get_taxlabeloffset(1).dy, 0.0f);
  // Taxon 3's neighbour is straight to its left: a tenth of the box's smaller side to the right.
  EXPECT_FLOAT_EQ(d.g().get_taxlabeloffset(3).dx, 0.2f);
  EXPECT_NEAR(d.g().get_taxlabeloffset(3).dy, 0.0f, 1e-7);
}

// Each faulty text, the report it gives, and whether the held graph survives.
TEST(SplitsGraphErrors, BadReferencesAreSyntaxErrors)
{
  const std::string head = "begin qv_graph; dimensions ntax=4 nsplits=5 nvertices=6 nedges=5;";
  const std::string verts = " vertices 1 -2 1, 2 -2 -1, 3 2 1, 4 2 -1, 5 -1 0, 6 1 0,;";
  const std::string edges = " edges 1 (5 6), 2 (1 5), 3 (2 5), 4 (3 6), 5 (4 6),; end;";
  struct tCase {
    std::string text;
    std::string report;
    bool keeps_graph; // the graph held before the faulty block is still valid
  };
  const tCase cases[] = {
    {head + verts + " edges 1 (5 9),; end;", "QV_GRAPH-edges: Vertex in 1..6 expected", false},
    {head + verts + " edges 1 (5 6), 7 (1 5),; end;", "QV_GRAPH-edges: Expected label 2, found: 7", false},
    {head + verts + " edges 1 (5 6),; end;", "QV_GRAPH-edges: Too few splits found", false},
    {head + verts + " edges 1 (5 6), 2 (1 5), 3 (2 5), 4 (3 6), 5 (5 6),; end;",
     "QV_GRAPH-edges: Vertex 4 carries taxa but has no edge", false},
    {head + " translate 1 1, 2 2, 3 3, 7 4,;", "QV_GRAPH-translate: Vertex expected (found: 7)", true},
    {head + " translate 1 1, 2 2, 3 3, 6 4,; vertices 1 0 0, 2 0 1, 3 1 0, 4 1 1, 5 2 2,;",
     "QV_GRAPH-vertices: No vertex for taxon 4", false},
    {head + " translate 1 1, 2 2, 3 a,;", "QV_GRAPH-translate: Multiple occurance of taxon: 1", true},
    {head + " vertices 1 -2 1, 2 -2 -1, 3 2 inf, 4 2 -1,;", "QV_GRAPH-vertices: Real number expected", false},
    {head + " non_planar 2 6;", "QV_GRAPH-non_planar: Usage: NON_PLANAR split1 split2...;", true},
    {head + " edges 1 (5 6),;", "EDGES: Must define vertices first", true},
    {head + " draw mark=s6;", "QV_GRAPH-draw: Usage: mark=split-number", true},
    {head + " draw angle 6 10;", "QV_GRAPH-draw: Expected split-number 1..5", true},
    {head + " draw angle 1 1e300;", "QV_GRAPH-draw: angel {=|+=|-=} value", true},
    {head + " draw zoom=nan;", "QV_GRAPH-draw: Usage: ZOOM={number|AUTO|NOAUTO}", true},
    {head + " draw hoffset'+='x;", "QV_GRAPH-draw: Usage: HOFFSET'+='number", true},
    {head + " draw vflip'--';", "QV_GRAPH-draw: Usage: VFLIP=number; or VFLIP'++';", true},
    {head + " draw splitlabels=all;", "QV_GRAPH-draw: Usage: SPLITLABELS={VALUES|NUMBERS|BOOTSTRAPS|NONE}", true},
    {head + " draw frobnicate;", "QV_GRAPH-draw: Bad command", true},
    {"begin qv_graph; dimensions ntax=5 nsplits=5 nvertices=6 nedges=5;", "QV_GRAPH-dimensions: Expected NTAX=4",
     true},
    // Other counts describe another graph: the held one is given up.
    {"begin qv_graph; dimensions ntax=4 nsplits=4 nvertices=6 nedges=5; end;", "QV_GRAPH: Not valid", false},
  };
  for (const tCase& c : cases) {
    tGraphDoc d;
    const std::string before = printed(d.doc);
    d.read(c.text);
    EXPECT_EQ(d.capture.fe.logged.rfind("NEXUS syntax error in " + c.report + "\n", 0), 0u)
      << c.text << "\n" << d.capture.fe.logged;
    EXPECT_EQ(d.g().valid(), c.keeps_graph) << c.text;
    if (c.keeps_graph) {
      EXPECT_EQ(printed(d.doc), before) << c.text;
    }
    // The document goes on working.
    d.read(TREE_GRAPH);
    EXPECT_TRUE(d.g().valid()) << c.text;
  }
}

TEST(SplitsGraphErrors, DrawCommandStopsAtItsFirstFault)
{
  tGraphDoc d;
  d.read("draw hflip=1 mark=9 vflip=1;");
  EXPECT_EQ(d.capture.fe.logged.rfind("NEXUS syntax error in QV_GRAPH-draw: Usage: mark=split-number\n", 0), 0u);
  EXPECT_EQ(d.g().get_hflip(), 1);
  EXPECT_EQ(d.g().get_vflip(), 0);
  d.read("draw rotate=1000001;");
  EXPECT_EQ(d.capture.fe.logged.rfind("NEXUS syntax error in QV_GRAPH-draw: Usage: ROTATE=number\n", 0), 0u);
  // At the bound, turning on reduces by full turns.
  d.read("draw rotate=1000000 rotate'++';");
  EXPECT_EQ(d.g().get_rotate(), 1000000 % 360 + 5);

  tCaptureScope capture;
  tNexusInput in;
  in.OpenString("hflip=0");
  EXPECT_EQ(d.doc.sgraph->read_draw(&in, d.doc.splits.get()), 0);
  EXPECT_EQ(capture.fe.logged, "NEXUS syntax error in QV_GRAPH-draw: Unexpected EOF\n");
  EXPECT_STREQ(in.GetPunctuationChars(), tNexusInput::DEFAULT_PUNCTUATION);
}

TEST(SplitsGraphErrors, SplitWithoutEdgesReadsBack)
{
  tGraphDoc d("begin qv_graph; dimensions ntax=4 nsplits=6 nvertices=6 nedges=5;"
              " vertices 1 -2 1, 2 -2 -1, 3 2 1, 4 2 -1, 5 -1 0, 6 1 0,;"
              " edges 1 (5 6), 2 (1 5), 3 (2 5), 4 (3 6), 5 (4 6), 6,; end;");
  ASSERT_TRUE(d.g().valid()) << d.capture.fe.logged;
  EXPECT_EQ(d.g().get_split_length(6), 0.0);
  d.read("draw angle 6 45 equal_edges;");
  EXPECT_EQ(d.capture.fe.fatal, "");
  const std::string first = printed(d.doc);
  tGraphDoc again(first);
  EXPECT_EQ(printed(again.doc), first);
}
