// The splits graph as a one-page PDF: the PostScript page drawn with the same
// geometry in page points, text in the standard Times-Roman font by name.
#pragma once

#include <string>
#include <vector>

#include "draw/vector_page.h"

class tSplitsGraphBlk;
class tSplitsBlk;
class tTaxaBlk;

class tPdfPage : public tVectorPage {
public:
  int begin(const char* filename, const char* title);
  int end();
  void info(const char* text);
  void hilite_lines(int on);
  void line(double x0, double y0, double x1, double y1);
  void vertex(double x, double y);
  void taxon_label(const char* label, const tPsRect& rect);
  void text(double x, double y, const char* text);
  void scalebar(double length);
  void color(int c);

private:
  std::string content; // the page's content stream
  std::string title;
  std::string date;

  void text_at(double h, double v, const char* text);
};

// As draw_ps, in PDF.
int draw_pdf(tSplitsGraphBlk& graph, const tTaxaBlk* taxa, const tSplitsBlk* splits,
             const std::vector<int>* support, const char* info, const char* filename, const char* title);
