#include "draw/pictures.h"

#include "draw/pdf_draw.h"
#include "draw/ps_draw_graph.h"
#include "draw/svg_draw.h"

const tPictureKind& picture_kind(tPictureFormat format)
{
  static const tPictureKind kinds[] = {{"PS", ".ps"}, {"SVG", ".svg"}, {"PDF", ".pdf"}};
  return kinds[static_cast<int>(format)];
}

int draw_picture(tPictureFormat format, tSplitsGraphBlk& graph, const tTaxaBlk* taxa, const tSplitsBlk* splits,
                 const std::vector<int>* support, const char* info, const char* filename, const char* title)
{
  switch (format) {
  case tPictureFormat::SVG: return draw_svg(graph, taxa, splits, support, info, filename, title);
  case tPictureFormat::PDF: return draw_pdf(graph, taxa, splits, support, info, filename, title);
  case tPictureFormat::PS: break;
  }
  return draw_ps(graph, taxa, splits, support, info, filename, title);
}
