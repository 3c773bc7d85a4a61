// The splits graph as an SVG 1.1 picture: the PostScript page drawn with the
// same geometry, text kept as text (selectable and editable), labels in
// UTF-8, a viewBox so that the picture scales.
#pragma once

#include <string>
#include <vector>

#include "draw/vector_page.h"

class tSplitsGraphBlk;
class tSplitsBlk;
class tTaxaBlk;

class tSvgPage : public tVectorPage {
public:
  int begin(const char* filename, const char* title);
  int end();
  void info(const char* text);
  void hilite_lines(int on) { width = on ? 2.0 : 1.0; }
  void line(double x0, double y0, double x1, double y1);
  void vertex(double x, double y);
  void taxon_label(const char* label, const tPsRect& rect);
  void text(double x, double y, const char* text);
  void scalebar(double length);
  void color(int c) { rgb = page_color(c); }

private:
  std::string svg;
  double width = 1.0;
  tRgb rgb{0, 0, 0};

  std::string rgb_text() const;
  // A text element whose baseline starts at page point (h, v).
  void text_at(double h, double v, const char* text);
  void path(const std::string& d, double line_width);
};

// As draw_ps, in SVG.
int draw_svg(tSplitsGraphBlk& graph, const tTaxaBlk* taxa, const tSplitsBlk* splits,
             const std::vector<int>* support, const char* info, const char* filename, const char* title);
