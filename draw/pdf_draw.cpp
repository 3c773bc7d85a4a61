#include "draw/pdf_draw.h"

#include <ctime>

#include "core/auxilary.h"
#include "core/version.h"
#include "draw/graph_page.h"
#include "draw/picture_text.h"

namespace {

// D:YYYYMMDDHHmmSSZ, the PDF date form, in UTC.
std::string pdf_date()
{
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  char buf[32];
  if (!gmtime_r(&now, &utc) || std::strftime(buf, sizeof buf, "D:%Y%m%d%H%M%SZ", &utc) == 0)
    return "D:19700101000000Z";
  return buf;
}

} // namespace

void tPdfPage::text_at(double h, double v, const char* text)
{
  content += string_printf("BT /F1 12 Tf %g %g Td (%s) Tj ET\n", h, v, pdf_string(text).c_str());
}

int tPdfPage::begin(const char* filename, const char* page_title)
{
  if (!open(filename, "PDF"))
    return 0;
  title = page_title ? page_title : "";
  date = date_time();
  content = "1 J 1 j 1 w\n";
  content += "0.5 w 50 50 m 550 50 l 550 550 l 50 550 l h S 1 w\n";
  text_at(60, 535, ("Title: " + title).c_str());
  text_at(60, 520, ("Date : " + date).c_str());
  return 1;
}

void tPdfPage::info(const char* text)
{
  content += "0.5 w 50 70 m 550 70 l S 1 w\n";
  text_at(60, 55, text);
}

void tPdfPage::hilite_lines(int on) { content += on ? "2 w\n" : "1 w\n"; }

void tPdfPage::line(double x0, double y0, double x1, double y1)
{
  content += string_printf("%g %g m %g %g l S\n", hh(x0, y0), vv(x0, y0), hh(x1, y1), vv(x1, y1));
}

void tPdfPage::vertex(double x, double y)
{
  content += string_printf("%g %g 2 2 re f\n", hh(x, y) - 1, vv(x, y) - 1);
}

void tPdfPage::taxon_label(const char* label, const tPsRect& rect) { text_at(rect.left + 2, rect.bottom + 2, label); }

void tPdfPage::text(double x, double y, const char* text) { text_at(hh(x, y), vv(x, y), text); }

void tPdfPage::scalebar(double length)
{
  const int x2 = scalebar_end(length);
  content += string_printf("60 83 m 60 80 l %d 80 l %d 83 l S\n", x2, x2);
  text_at(x2 + 3, 80, string_printf("%G", length).c_str());
}

void tPdfPage::color(int c)
{
  const tRgb rgb = page_color(c);
  const int r = rgb.r / 255, g = rgb.g / 255, b = rgb.b / 255;
  content += string_printf("%d %d %d RG %d %d %d rg\n", r, g, b, r, g, b);
}

int tPdfPage::end()
{
  // Objects: 1 catalog, 2 page tree, 3 page, 4 font, 5 contents, 6 information.
  const std::string objects[] = {
    "<< /Type /Catalog /Pages 2 0 R >>",
    "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    "<< /Type /Page /Parent 2 0 R /MediaBox [47 47 553 553] /Resources << /Font << /F1 4 0 R >> >>"
    " /Contents 5 0 R >>",
    "<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman /Encoding /WinAnsiEncoding >>",
    string_printf("<< /Length %zu >>\nstream\n", content.size()) + content + "endstream",
    "<< /Title " + pdf_text_string(title.c_str()) + " /Creator " + pdf_text_string(the_version()) +
      " /Producer " + pdf_text_string(the_version()) + " /CreationDate (" + pdf_date() + ") >>",
  };
  const int n = static_cast<int>(sizeof objects / sizeof objects[0]);
  std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<size_t> offsets;
  for (int i = 0; i < n; i++) {
    offsets.push_back(pdf.size());
    pdf += string_printf("%d 0 obj\n", i + 1) + objects[i] + "\nendobj\n";
  }
  const size_t xref = pdf.size();
  pdf += string_printf("xref\n0 %d\n0000000000 65535 f \n", n + 1);
  for (size_t off : offsets)
    pdf += string_printf("%010zu 00000 n \n", off);
  pdf += string_printf("trailer\n<< /Size %d /Root 1 0 R /Info 6 0 R >>\nstartxref\n%zu\n%%%%EOF\n", n + 1, xref);
  return commit(pdf);
}

int draw_pdf(tSplitsGraphBlk& graph, const tTaxaBlk* taxa, const tSplitsBlk* splits,
             const std::vector<int>* support, const char* info, const char* filename, const char* title)
{
  tPdfPage page;
  return draw_graph_page(page, graph, taxa, splits, support, info, filename, title);
}
