#include "draw/ps_draw_graph.h"

#include <cstdio>
#include <string>

#include "blocks/blk_splits.h"
#include "blocks/blk_splitsgraph.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "draw/tcltk_draw.h"
#include "draw/labels.h"
#include "draw/ps_draw.h"

namespace {

// The log line that tells which drawing parameters are in force.
std::string summary(const tSplitsGraphBlk& graph, tTaxonMode tmode, tSplitMode smode, double z)
{
  std::string s = "(draw";
  if (graph.get_to_scale() == 0)
    s += " equal_edges";
  if (tmode != tTaxonMode::NAMES)
    s += string_printf(" taxlabels=%s", graph.get_taxlabels());
  if (smode != tSplitMode::NONE)
    s += string_printf(" splitlabels=%s", graph.get_splitlabels());
  const struct {
    const char* name;
    int value;
  } ints[] = {{"mark", graph.get_mark()},   {"hoffset", graph.get_hoffset()}, {"voffset", graph.get_voffset()},
              {"hflip", graph.get_hflip()}, {"vflip", graph.get_vflip()},     {"rotate", graph.get_rotate()}};
  for (const auto& i : ints)
    if (i.value != 0)
      s += string_printf(" %s=%d", i.name, i.value);
  s += string_printf(" zoom=%G", z * 0.01);
  s += ";)\n";
  return s;
}

} // namespace

int draw_ps(tSplitsGraphBlk& graph, const tTaxaBlk* taxa, const tSplitsBlk* splits,
            const std::vector<int>* support, const char* info, const char* filename, const char* title)
{
  if (!graph.valid())
    return 0;
  tPsPage page;
  if (!page.begin_draw_ps(filename, title))
    return 0;
  page.draw_info_ps(info);

  const int hoffset = graph.get_hoffset(), voffset = graph.get_voffset();
  const int hflip = graph.get_hflip(), vflip = graph.get_vflip(), rotate = graph.get_rotate();
  page.set_transformation_ps(hoffset, voffset, hflip, vflip, rotate, 1.0);
  double z = graph.get_zoom();
  double x0, y0, x1, y1;
  graph.get_bbox(x0, y0, x1, y1);
  if (z <= 0) {
    z = page.auto_zoom_ps(x0, y0, x1, y1);
    graph.set_zoom(-z);
  } else if (last_canvas_fit() > 0) {
    // A scale set on a canvas fitted to a large window would overflow the page.
    z *= page.auto_zoom_ps(x0, y0, x1, y1) / last_canvas_fit();
  }
  page.set_transformation_ps(hoffset, voffset, hflip, vflip, rotate, z);

  const tTaxonMode tmode = taxon_mode(graph.get_taxlabels());
  const tSplitMode smode = split_mode(graph.get_splitlabels());
  message("%s", summary(graph, tmode, smode, z).c_str());

  const int mark = graph.get_mark();
  const tSplitsGraph& sg = graph.get_graph();
  for (const tEdge* e = sg.first_edge(); e; e = sg.next_edge(e)) {
    page.hilite_lines_ps(e->color == mark);
    page.move_to_ps(e->v->x, e->v->y);
    page.draw_to_ps(e->w->x, e->w->y);
  }
  page.hilite_lines_ps(0);

  page.set_color_ps(4);
  for (const tVertex* v = sg.first_vertex(); v; v = sg.next_vertex(v)) {
    const int t0 = v->taxa.first_element(0);
    if (t0 <= 0)
      continue;
    page.draw_circle_ps(v->x, v->y);
    if (tmode == tTaxonMode::NONE)
      continue;
    const std::string label = vertex_label(*v, taxa, tmode);
    const tSplitsGraphBlk::tOffset off = graph.get_taxlabeloffset(t0);
    const tPsRect rect = page.label_pos_ps(label.c_str(), v->x + off.dx, v->y + off.dy);
    page.draw_taxon_label_ps(label.c_str(), rect);
  }

  page.set_color_ps(2);
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
      page.draw_string_ps((e->v->x + e->w->x) * 0.5, (e->v->y + e->w->y) * 0.5, text.c_str());
  }

  page.set_color_ps(0);
  if (nsplits > 0 && graph.get_to_scale() == 1)
    page.draw_scalebar_ps(graph.get_scalebar());

  if (!page.end_draw_ps())
    return 0;
  message("Created file: %s\n", filename);
  return 1;
}
