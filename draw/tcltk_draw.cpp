#include "draw/tcltk_draw.h"

#include <cstdarg>
#include <cstdio>

#include "blocks/blk_splits.h"
#include "blocks/blk_splitsgraph.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "draw/labels.h"

namespace {

std::string g(double x) { return string_printf("%g", x); }

tDrawTransform unit_transformation(const tSplitsGraphBlk& graph, double zoom)
{
  tDrawTransform t;
  t.set(graph.get_hoffset() + CANVAS_H_ORIGIN, graph.get_voffset() + CANVAS_V_ORIGIN, graph.get_hflip(),
        graph.get_vflip(), false, graph.get_rotate(), zoom);
  return t;
}

double fitted_zoom(const tSplitsGraphBlk& graph)
{
  double x0, y0, x1, y1;
  graph.get_bbox(x0, y0, x1, y1);
  return unit_transformation(graph, 1.0).auto_zoom(x0, y0, x1, y1, CANVAS_FIT_WIDTH, CANVAS_FIT_HEIGHT);
}

} // namespace

tDrawTransform canvas_transformation(const tSplitsGraphBlk& graph)
{
  const double zoom = graph.get_zoom();
  return unit_transformation(graph, zoom > 0 ? zoom : zoom < 0 ? -zoom : fitted_zoom(graph));
}

double scalebar_tcltk(const tSplitsGraphBlk& graph)
{
  return canvas_transformation(graph).length(graph.get_scalebar());
}

int draw_tcltk(tSplitsGraphBlk& graph, const tTaxaBlk* taxa, const tSplitsBlk* splits,
               const std::vector<int>* support, std::vector<tCanvasCommand>& out)
{
  out.push_back({".display", "delete", "sg"});
  if (!graph.valid())
    return 0;

  double z = graph.get_zoom();
  if (z <= 0) {
    z = fitted_zoom(graph);
    graph.set_zoom(-z);
  }
  const tDrawTransform t = unit_transformation(graph, z);
  const tTaxonMode tmode = taxon_mode(graph.get_taxlabels());
  const tSplitMode smode = split_mode(graph.get_splitlabels());
  const int mark = graph.get_mark();
  const tSplitsGraph& sg = graph.get_graph();

  for (const tEdge* e = sg.first_edge(); e; e = sg.next_edge(e)) {
    out.push_back({".display", "create", "line", g(t.hh(e->v->x, e->v->y)), g(t.vv(e->v->x, e->v->y)),
                   g(t.hh(e->w->x, e->w->y)), g(t.vv(e->w->x, e->w->y)), "-width", e->color == mark ? "4" : "1",
                   "-tags", string_printf("sg split s%d", e->color)});
  }

  for (const tVertex* v = sg.first_vertex(); v; v = sg.next_vertex(v)) {
    const int t0 = v->taxa.first_element(0);
    if (t0 <= 0)
      continue;
    const double h = t.hh(v->x, v->y), vv = t.vv(v->x, v->y);
    std::string tags = "sg vertex";
    for (int u = t0; u > 0; u = v->taxa.next_element(0, u))
      tags += string_printf(" vt%d", u);
    out.push_back({".display", "create", "oval", g(h - 1), g(vv - 1), g(h + 1), g(vv + 1), "-tags", tags});
    if (tmode == tTaxonMode::NONE)
      continue;
    const tSplitsGraphBlk::tOffset off = graph.get_taxlabeloffset(t0);
    const double x = v->x + off.dx, y = v->y + off.dy;
    // The label's box starts at the offset point; its centre lies 2 units
    // right of and below that point.
    out.push_back({".display", "create", "text", g(t.hh(x, y) + 2), g(t.vv(x, y) + 2), "-text",
                   vertex_label(*v, taxa, tmode), "-tags", string_printf("sg label t%d", t0), "-anchor", "center"});
  }

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
    if (text.empty())
      continue;
    const double x = (e->v->x + e->w->x) * 0.5, y = (e->v->y + e->w->y) * 0.5;
    out.push_back({".display", "create", "text", g(t.hh(x, y)), g(t.vv(x, y)), "-text", text, "-tags", "sg",
                   "-anchor", "w"});
  }
  return 1;
}
