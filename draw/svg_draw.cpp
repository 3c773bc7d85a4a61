#include "draw/svg_draw.h"

#include "core/auxilary.h"
#include "core/version.h"
#include "draw/graph_page.h"
#include "draw/picture_text.h"

namespace {

// SVG's y axis points down: page point (h, v) is drawn at (h, 600 - v), which
// keeps the page's box at 47..553 in both directions.
double flip(double v) { return 600.0 - v; }

} // namespace

std::string tSvgPage::rgb_text() const { return string_printf("#%02x%02x%02x", rgb.r, rgb.g, rgb.b); }

void tSvgPage::path(const std::string& d, double line_width)
{
  svg += string_printf("<path d=\"%s\" fill=\"none\" stroke=\"%s\" stroke-width=\"%g\"/>\n", d.c_str(),
                       rgb_text().c_str(), line_width);
}

void tSvgPage::text_at(double h, double v, const char* text)
{
  svg += string_printf("<text x=\"%g\" y=\"%g\" fill=\"%s\">%s</text>\n", h, flip(v), rgb_text().c_str(),
                       xml_text(text).c_str());
}

int tSvgPage::begin(const char* filename, const char* title)
{
  if (!open(filename, "SVG"))
    return 0;
  const std::string date = date_time();
  svg = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"506pt\" height=\"506pt\""
         " viewBox=\"47 47 506 506\">\n";
  svg += string_printf("<title>%s</title>\n", xml_text(title).c_str());
  svg += string_printf("<desc>Created by %s on %s</desc>\n", xml_text(the_version()).c_str(),
                       xml_text(date.c_str()).c_str());
  // Blanks in labels are kept as written.
  svg += "<g font-family=\"Times, 'Times New Roman', 'Nimbus Roman', serif\" font-size=\"12\""
         " stroke-linecap=\"round\" stroke-linejoin=\"round\" xml:space=\"preserve\">\n";
  svg += "<rect x=\"47\" y=\"47\" width=\"506\" height=\"506\" fill=\"#ffffff\"/>\n";
  path("M50 550 L550 550 L550 50 L50 50 Z", 0.5);
  text_at(60, 535, ("Title: " + std::string(title ? title : "")).c_str());
  text_at(60, 520, ("Date : " + date).c_str());
  return 1;
}

int tSvgPage::end()
{
  svg += "</g>\n</svg>\n";
  return commit(svg);
}

void tSvgPage::info(const char* text)
{
  path("M50 530 L550 530", 0.5);
  text_at(60, 55, text);
}

void tSvgPage::line(double x0, double y0, double x1, double y1)
{
  svg += string_printf("<line x1=\"%g\" y1=\"%g\" x2=\"%g\" y2=\"%g\" stroke=\"%s\" stroke-width=\"%g\"/>\n",
                       hh(x0, y0), flip(vv(x0, y0)), hh(x1, y1), flip(vv(x1, y1)), rgb_text().c_str(), width);
}

void tSvgPage::vertex(double x, double y)
{
  svg += string_printf("<rect x=\"%g\" y=\"%g\" width=\"2\" height=\"2\" fill=\"%s\"/>\n", hh(x, y) - 1,
                       flip(vv(x, y)) - 1, rgb_text().c_str());
}

void tSvgPage::taxon_label(const char* label, const tPsRect& rect) { text_at(rect.left + 2, rect.bottom + 2, label); }

void tSvgPage::text(double x, double y, const char* text) { text_at(hh(x, y), vv(x, y), text); }

void tSvgPage::scalebar(double length)
{
  const int x2 = scalebar_end(length);
  path(string_printf("M60 %g L60 %g L%d %g L%d %g", flip(83), flip(80), x2, flip(80), x2, flip(83)), width);
  text_at(x2 + 3, 80, string_printf("%G", length).c_str());
}

int draw_svg(tSplitsGraphBlk& graph, const tTaxaBlk* taxa, const tSplitsBlk* splits,
             const std::vector<int>* support, const char* info, const char* filename, const char* title)
{
  tSvgPage page;
  return draw_graph_page(page, graph, taxa, splits, support, info, filename, title);
}
