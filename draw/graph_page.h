// The picture of the splits graph, the same for every output format: the
// frame, title and date (written by the page's begin), the information line,
// the edges (the marked split two points wide), vertices and taxon labels in
// blue, split labels in red, and a scale bar when edges are drawn to scale.
//
// A page type supplies, in page points with y up:
//   int begin(filename, title); int end();             // 0 on failure
//   void info(text);
//   void set_transformation(hoffset, voffset, hflip, vflip, rotate, zoom);
//   double auto_zoom(minx, miny, maxx, maxy);
//   void hilite_lines(on); void line(x0, y0, x1, y1); void vertex(x, y);
//   tPsRect label_pos(label, x, y); void taxon_label(label, rect);
//   void text(x, y, text); void scalebar(length); void color(c);
#pragma once

#include <string>
#include <vector>

#include "blocks/blk_splits.h"
#include "blocks/blk_splitsgraph.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "draw/labels.h"
#include "draw/tcltk_draw.h"
#include "graph/sgraph.h"

// The log line that tells which drawing parameters are in force.
std::string draw_summary(const tSplitsGraphBlk& graph, tTaxonMode tmode, tSplitMode smode, double z);

// Draws the page into filename; 1 when written, 0 when the block holds no
// graph or the file could not be written. An automatic scale is remembered,
// negated, in the block's zoom, so that later zoom steps start from it.
template <class tPage>
int draw_graph_page(tPage& page, tSplitsGraphBlk& graph, const tTaxaBlk* taxa, const tSplitsBlk* splits,
                    const std::vector<int>* support, const char* info, const char* filename, const char* title)
{
  if (!graph.valid())
    return 0;
  if (!page.begin(filename, title))
    return 0;
  page.info(info);

  const int hoffset = graph.get_hoffset(), voffset = graph.get_voffset();
  const int hflip = graph.get_hflip(), vflip = graph.get_vflip(), rotate = graph.get_rotate();
  page.set_transformation(hoffset, voffset, hflip, vflip, rotate, 1.0);
  double z = graph.get_zoom();
  double x0, y0, x1, y1;
  graph.get_bbox(x0, y0, x1, y1);
  if (z <= 0) {
    z = page.auto_zoom(x0, y0, x1, y1);
    graph.set_zoom(-z);
  } else if (last_canvas_fit() > 0) {
    // A scale set on a canvas fitted to a large window would overflow the page.
    z *= page.auto_zoom(x0, y0, x1, y1) / last_canvas_fit();
  }
  page.set_transformation(hoffset, voffset, hflip, vflip, rotate, z);

  const tTaxonMode tmode = taxon_mode(graph.get_taxlabels());
  const tSplitMode smode = split_mode(graph.get_splitlabels());
  message("%s", draw_summary(graph, tmode, smode, z).c_str());

  const int mark = graph.get_mark();
  const tSplitsGraph& sg = graph.get_graph();
  for (const tEdge* e = sg.first_edge(); e; e = sg.next_edge(e)) {
    page.hilite_lines(e->color == mark);
    page.line(e->v->x, e->v->y, e->w->x, e->w->y);
  }
  page.hilite_lines(0);

  page.color(4);
  for (const tVertex* v = sg.first_vertex(); v; v = sg.next_vertex(v)) {
    const int t0 = v->taxa.first_element(0);
    if (t0 <= 0)
      continue;
    page.vertex(v->x, v->y);
    if (tmode == tTaxonMode::NONE)
      continue;
    const std::string label = vertex_label(*v, taxa, tmode);
    const tSplitsGraphBlk::tOffset off = graph.get_taxlabeloffset(t0);
    page.taxon_label(label.c_str(), page.label_pos(label.c_str(), v->x + off.dx, v->y + off.dy));
  }

  page.color(2);
  const int nsplits = splits ? splits->get_nsplits() : 0;
  std::vector<char> used(static_cast<size_t>(nsplits > 0 ? nsplits : 0) + 1, 0);
  for (const tEdge* e = sg.first_edge(); e; e = sg.next_edge(e)) {
    const int p = e->color;
    if (p < 1 || p > nsplits || used[static_cast<size_t>(p)])
      continue;
    used[static_cast<size_t>(p)] = 1;
    if (!((smode != tSplitMode::NONE && mark == 0) || p == mark))
      continue;
    const std::string text = split_label(graph, p, smode, support);
    if (!text.empty())
      page.text((e->v->x + e->w->x) * 0.5, (e->v->y + e->w->y) * 0.5, text.c_str());
  }

  page.color(0);
  if (nsplits > 0 && graph.get_to_scale() == 1)
    page.scalebar(graph.get_scalebar());

  if (!page.end())
    return 0;
  message("Created file: %s\n", filename);
  return 1;
}
