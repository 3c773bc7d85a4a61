#include "draw/ps_draw_graph.h"

#include <string>

#include "draw/graph_page.h"
#include "draw/ps_draw.h"

std::string draw_summary(const tSplitsGraphBlk& graph, tTaxonMode tmode, tSplitMode smode, double z)
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

namespace {

// The PostScript page under the names every picture format shares.
struct tPsGraphPage {
  tPsPage ps;
  int begin(const char* filename, const char* title) { return ps.begin_draw_ps(filename, title); }
  int end() { return ps.end_draw_ps(); }
  void info(const char* text) { ps.draw_info_ps(text); }
  void set_transformation(int hoffset, int voffset, int hflip, int vflip, int rotate, double zoom)
  {
    ps.set_transformation_ps(hoffset, voffset, hflip, vflip, rotate, zoom);
  }
  double auto_zoom(double x0, double y0, double x1, double y1) const { return ps.auto_zoom_ps(x0, y0, x1, y1); }
  void hilite_lines(int on) { ps.hilite_lines_ps(on); }
  void line(double x0, double y0, double x1, double y1)
  {
    ps.move_to_ps(x0, y0);
    ps.draw_to_ps(x1, y1);
  }
  void vertex(double x, double y) { ps.draw_circle_ps(x, y); }
  tPsRect label_pos(const char* label, double x, double y) const { return ps.label_pos_ps(label, x, y); }
  void taxon_label(const char* label, const tPsRect& rect) { ps.draw_taxon_label_ps(label, rect); }
  void text(double x, double y, const char* text) { ps.draw_string_ps(x, y, text); }
  void scalebar(double length) { ps.draw_scalebar_ps(length); }
  void color(int c) { ps.set_color_ps(c); }
};

} // namespace

int draw_ps(tSplitsGraphBlk& graph, const tTaxaBlk* taxa, const tSplitsBlk* splits,
            const std::vector<int>* support, const char* info, const char* filename, const char* title)
{
  tPsGraphPage page;
  return draw_graph_page(page, graph, taxa, splits, support, info, filename, title);
}
