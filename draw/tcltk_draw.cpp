#include "draw/tcltk_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "blocks/blk_splits.h"
#include "blocks/blk_splitsgraph.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "draw/labels.h"

namespace {

std::string g(double x) { return string_printf("%g", x); }

tCanvasView the_view;
// The canvas size of the last drawing, for a fixed scale that follows it,
// and its automatic scale.
double drawn_width = 0, drawn_height = 0;
double drawn_fit = 0;

constexpr double MAX_ZOOM = 100000;

double origin_h(const tCanvasView& view) { return std::floor(view.width / 2); }
double origin_v(const tCanvasView& view) { return std::floor(view.height / 2); }

tDrawTransform unit_transformation(const tSplitsGraphBlk& graph, double zoom, const tCanvasView& view)
{
  tDrawTransform t;
  t.set(graph.get_hoffset() + origin_h(view), graph.get_voffset() + origin_v(view), graph.get_hflip(),
        graph.get_vflip(), false, graph.get_rotate(), zoom);
  return t;
}

// A split label and the edge it stands at.
struct tSplitLabel {
  const tEdge* edge;
  std::string text;
};

// One label per split, at its newest edge (the first in edge-list order);
// only the marked split's when one is marked.
std::vector<tSplitLabel> split_labels(const tSplitsGraphBlk& graph, const tSplitsBlk* splits,
                                      const std::vector<int>* support)
{
  std::vector<tSplitLabel> labels;
  const tSplitMode smode = split_mode(graph.get_splitlabels());
  const int mark = graph.get_mark();
  const tSplitsGraph& sg = graph.get_graph();
  const int nsplits = splits ? splits->get_nsplits() : 0;
  std::vector<char> used(static_cast<size_t>(nsplits > 0 ? nsplits : 0) + 1, 0);
  for (const tEdge* e = sg.first_edge(); e; e = sg.next_edge(e)) {
    const int p = e->color;
    if (p < 1 || p > nsplits || used[static_cast<size_t>(p)])
      continue;
    used[static_cast<size_t>(p)] = 1;
    if (!((smode != tSplitMode::NONE && mark == 0) || p == mark))
      continue;
    std::string text = split_label(graph, p, smode, support);
    if (!text.empty())
      labels.push_back({e, std::move(text)});
  }
  return labels;
}

// Everything the picture draws, as seen by the fit: in unit-scale canvas
// offsets from the world origin, with its reach in canvas units.
void fit_items(const tSplitsGraphBlk& graph, const tTaxaBlk* taxa, const tSplitsBlk* splits,
               const std::vector<int>* support, const tCanvasView& view, std::vector<tFitItem>& across,
               std::vector<tFitItem>& down)
{
  const tDrawTransform t = unit_transformation(graph, 1.0, view);
  const double h0 = t.hh(0, 0), v0 = t.vv(0, 0);
  auto add = [&](double x, double y, double left, double right, double up, double below) {
    across.push_back({t.hh(x, y) - h0, left, right});
    down.push_back({t.vv(x, y) - v0, up, below});
  };
  const tTaxonMode tmode = taxon_mode(graph.get_taxlabels());
  const double half_line = view.line_height / 2;
  const tSplitsGraph& sg = graph.get_graph();
  for (const tVertex* v = sg.first_vertex(); v; v = sg.next_vertex(v)) {
    add(v->x, v->y, 2, 2, 2, 2); // the vertex and a marked edge's width
    const int t0 = v->taxa.first_element(0);
    if (t0 <= 0 || tmode == tTaxonMode::NONE)
      continue;
    const tSplitsGraphBlk::tOffset off = graph.get_taxlabeloffset(t0);
    const double half = view.text_width(vertex_label(*v, taxa, tmode)) / 2;
    // Centred 2 units right of and below its place.
    add(v->x + off.dx, v->y + off.dy, half - 2, half + 2, half_line - 2, half_line + 2);
  }
  for (const tSplitLabel& l : split_labels(graph, splits, support))
    add((l.edge->v->x + l.edge->w->x) * 0.5, (l.edge->v->y + l.edge->w->y) * 0.5, 0, view.text_width(l.text),
        half_line, half_line);
}

double fitted_zoom(const tSplitsGraphBlk& graph, const tTaxaBlk* taxa, const tSplitsBlk* splits,
                   const std::vector<int>* support, const tCanvasView& view)
{
  double x0, y0, x1, y1;
  graph.get_bbox(x0, y0, x1, y1);
  const tDrawTransform unit = unit_transformation(graph, 1.0, view);
  if (!view.text_width)
    return unit.auto_zoom(x0, y0, x1, y1, view.width - (450 - CANVAS_FIT_WIDTH),
                          view.height - (250 - CANVAS_FIT_HEIGHT));
  const double room_h = view.width - 2 * FIT_MARGIN;
  double room_v = view.height - 2 * FIT_MARGIN;
  if (splits && splits->get_nsplits() > 0 && graph.get_to_scale())
    room_v -= SCALEBAR_ROOM;
  std::vector<tFitItem> across, down;
  fit_items(graph, taxa, splits, support, view, across, down);
  const double zh = largest_fitting_scale(across, room_h, MAX_ZOOM);
  const double zv = largest_fitting_scale(down, room_v, MAX_ZOOM);
  if (zh >= 0 && zv >= 0)
    return std::min(zh, zv);
  // Labels wider than the canvas: the lines alone fill it.
  return unit.auto_zoom(x0, y0, x1, y1, room_h, room_v);
}

} // namespace

double largest_fitting_scale(const std::vector<tFitItem>& items, double room, double cap)
{
  auto span = [&items](double z) {
    double lo = 0, hi = 0;
    bool first = true;
    for (const tFitItem& it : items) {
      const double a = z * it.a - it.before, b = z * it.a + it.after;
      lo = first || a < lo ? a : lo;
      hi = first || b > hi ? b : hi;
      first = false;
    }
    return hi - lo;
  };
  if (span(0) > room)
    return -1;
  // The span is convex in z and fits at 0, so the scales that fit form an
  // interval from 0: find its end.
  if (span(cap) <= room)
    return cap;
  double ok = 0, too_big = 1;
  while (too_big < cap && span(too_big) <= room) {
    ok = too_big;
    too_big *= 2;
  }
  too_big = std::min(too_big, cap);
  for (int i = 0; i < 60 && too_big - ok > ok * 1e-9; i++) {
    const double mid = (ok + too_big) / 2;
    (span(mid) <= room ? ok : too_big) = mid;
  }
  return ok;
}

void set_canvas_view(const tCanvasView& view) { the_view = view; }

void reset_canvas_view()
{
  the_view = tCanvasView();
  drawn_width = drawn_height = drawn_fit = 0;
}

double last_canvas_fit() { return drawn_fit; }

const tCanvasView& get_canvas_view() { return the_view; }

tDrawTransform canvas_transformation(const tSplitsGraphBlk& graph)
{
  const double zoom = graph.get_zoom();
  if (zoom != 0)
    return unit_transformation(graph, zoom > 0 ? zoom : -zoom, the_view);
  // Not drawn yet: the lines alone decide.
  tCanvasView lines = the_view;
  lines.text_width = nullptr;
  return unit_transformation(graph, fitted_zoom(graph, nullptr, nullptr, nullptr, lines), the_view);
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
  const double fit = z <= 0 || the_view.text_width ? fitted_zoom(graph, taxa, splits, support, the_view) : 0;
  if (z <= 0) {
    z = fit;
    graph.set_zoom(-z);
  } else if (the_view.text_width && drawn_width > 0 &&
             (drawn_width != the_view.width || drawn_height != the_view.height)) {
    tCanvasView before = the_view;
    before.width = drawn_width;
    before.height = drawn_height;
    const double was = fitted_zoom(graph, taxa, splits, support, before);
    if (was > 0) {
      z *= fit / was;
      graph.set_zoom(z);
    }
  }
  drawn_width = the_view.width;
  drawn_height = the_view.height;
  drawn_fit = the_view.text_width ? fit : 0;

  const tDrawTransform t = unit_transformation(graph, z, the_view);
  const tTaxonMode tmode = taxon_mode(graph.get_taxlabels());
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

  for (const tSplitLabel& l : split_labels(graph, splits, support)) {
    const tEdge* e = l.edge;
    const double x = (e->v->x + e->w->x) * 0.5, y = (e->v->y + e->w->y) * 0.5;
    out.push_back({".display", "create", "text", g(t.hh(x, y)), g(t.vv(x, y)), "-text", l.text, "-tags", "sg",
                   "-anchor", "w"});
  }
  return 1;
}
