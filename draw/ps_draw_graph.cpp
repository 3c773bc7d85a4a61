#include "draw/ps_draw_graph.h"

#include <cstdio>
#include <string>

#include "blocks/blk_splits.h"
#include "blocks/blk_splitsgraph.h"
#include "blocks/blk_taxa.h"
#include "core/auxilary.h"
#include "core/message.h"
#include "draw/ps_draw.h"

namespace {

enum class tTaxonMode { NAMES, NUMBERS, BOTH, NONE };
enum class tSplitMode { NUMBERS, VALUES, ANGLES, BOOTSTRAPS, NVALUES, NBOOTSTRAPS, NONE };

tTaxonMode taxon_mode(const char* s)
{
  if (same_token(s, "NAMES"))
    return tTaxonMode::NAMES;
  if (same_token(s, "NUMBERS"))
    return tTaxonMode::NUMBERS;
  if (same_token(s, "BOTH"))
    return tTaxonMode::BOTH;
  return tTaxonMode::NONE;
}

tSplitMode split_mode(const char* s)
{
  static const struct {
    const char* name;
    tSplitMode mode;
  } modes[] = {{"NUMBERS", tSplitMode::NUMBERS}, {"VALUES", tSplitMode::VALUES},
               {"ANGLES", tSplitMode::ANGLES},   {"BOOTSTRAPS", tSplitMode::BOOTSTRAPS},
               {"NVALUES", tSplitMode::NVALUES}, {"NBOOTSTRAPS", tSplitMode::NBOOTSTRAPS}};
  for (const auto& m : modes)
    if (same_token(s, m.name))
      return m.mode;
  return tSplitMode::NONE;
}

template <class... Args> std::string format(const char* fmt, Args... args)
{
  const int n = std::snprintf(nullptr, 0, fmt, args...);
  if (n <= 0)
    return std::string();
  std::string s(static_cast<size_t>(n), '\0');
  std::snprintf(&s[0], s.size() + 1, fmt, args...);
  return s;
}

std::string taxon_name(const tTaxaBlk* taxa, int t)
{
  if (taxa && t <= taxa->get_ntax()) {
    const char* name = taxa->getlabel(t);
    if (name)
      return name;
  }
  return std::to_string(t);
}

// The label of a vertex: its taxa in ascending order, joined by ",".
std::string vertex_label(const tVertex& v, const tTaxaBlk* taxa, tTaxonMode mode)
{
  std::string label;
  for (int t = v.taxa.first_element(0); t > 0; t = v.taxa.next_element(0, t)) {
    if (!label.empty())
      label += ',';
    if (mode == tTaxonMode::NAMES)
      label += taxon_name(taxa, t);
    else if (mode == tTaxonMode::NUMBERS)
      label += std::to_string(t);
    else
      label += std::to_string(t) + ":" + taxon_name(taxa, t);
  }
  return label;
}

std::string split_label(const tSplitsGraphBlk& graph, int p, tSplitMode mode, const std::vector<int>* support)
{
  const bool has_support = support && p < static_cast<int>(support->size());
  const double boot = has_support ? (*support)[static_cast<size_t>(p)] * 0.01 : 0.0;
  switch (mode) {
  case tSplitMode::NUMBERS:
    return format("%d", p);
  case tSplitMode::VALUES:
    return format("%G", graph.get_split_length(p));
  case tSplitMode::ANGLES:
    return format("%3.1f", static_cast<double>(static_cast<float>(graph.get_split_angle(p) * 0.1f)));
  case tSplitMode::BOOTSTRAPS:
    return has_support ? format("%g", boot) : std::string();
  case tSplitMode::NVALUES:
    return format("%d:%G", p, graph.get_split_length(p));
  case tSplitMode::NBOOTSTRAPS:
    return has_support ? format("%d:%g", p, boot) : std::string();
  case tSplitMode::NONE:
    break;
  }
  return std::string();
}

// The log line that tells which drawing parameters are in force.
std::string summary(const tSplitsGraphBlk& graph, tTaxonMode tmode, tSplitMode smode, double z)
{
  std::string s = "(draw";
  if (graph.get_to_scale() == 0)
    s += " equal_edges";
  if (tmode != tTaxonMode::NAMES)
    s += format(" taxlabels=%s", graph.get_taxlabels());
  if (smode != tSplitMode::NONE)
    s += format(" splitlabels=%s", graph.get_splitlabels());
  const struct {
    const char* name;
    int value;
  } ints[] = {{"mark", graph.get_mark()},   {"hoffset", graph.get_hoffset()}, {"voffset", graph.get_voffset()},
              {"hflip", graph.get_hflip()}, {"vflip", graph.get_vflip()},     {"rotate", graph.get_rotate()}};
  for (const auto& i : ints)
    if (i.value != 0)
      s += format(" %s=%d", i.name, i.value);
  s += format(" zoom=%G", z * 0.01);
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
  if (z <= 0) {
    double x0, y0, x1, y1;
    graph.get_bbox(x0, y0, x1, y1);
    z = page.auto_zoom_ps(x0, y0, x1, y1);
    graph.set_zoom(-z);
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
