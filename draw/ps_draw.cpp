#include "draw/ps_draw.h"

#include <cmath>
#include <cstdio>

#include "core/auxilary.h"
#include "core/message.h"
#include "core/version.h"
#include "document/document.h"

namespace {

// Text for a header comment line: a line break would end the comment and
// leave the rest of the text as PostScript code.
std::string comment_text(const char* text)
{
  std::string s = text ? text : "";
  for (char& c : s)
    if (static_cast<unsigned char>(c) < ' ' || c == 127)
      c = ' ';
  return s;
}

} // namespace

std::string ps_string(const char* text)
{
  std::string s;
  for (const char* p = text ? text : ""; *p; p++) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '(' || c == ')' || c == '\\') {
      s += '\\';
      s += static_cast<char>(c);
    } else if (c < ' ' || c == 127) {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o", c);
      s += octal;
    } else {
      s += static_cast<char>(c);
    }
  }
  return s;
}

tPsPage::~tPsPage()
{
  // A page abandoned half-way leaves no file behind.
  if (open)
    abandon_safe_output(&out, tmpname);
}

void tPsPage::set_transformation_ps(int hoffset, int voffset, int hflip, int vflip, int rotate, double zoom)
{
  transform.set(static_cast<double>(hoffset) + PS_H_ORIGIN, static_cast<double>(voffset) + PS_V_ORIGIN, hflip, vflip, true, rotate, zoom);
}

double tPsPage::auto_zoom_ps(double minx, double miny, double maxx, double maxy) const
{
  return transform.auto_zoom(minx, miny, maxx, maxy, PS_FIT_SIZE, PS_FIT_SIZE);
}

int tPsPage::begin_draw_ps(const char* name, const char* title)
{
  if (open) {
    abandon_safe_output(&out, tmpname);
    open = false;
  }
  if (!open_safe_output(&out, name, &tmpname, "Create PS: Can't open output file: %s"))
    return 0;
  open = true;
  filename = name;

  const std::string date = date_time();
  out.Print("%%!PS-Adobe-2.0 EPSF-2.0\n");
  out.Print("%%%%Title: %s\n", comment_text(title).c_str());
  out.Print("%%%%Creator: %s\n", comment_text(the_version()).c_str());
  out.Print("%%%%CreationDate: %s\n", comment_text(date.c_str()).c_str());
  out.Print("%%%%BoundingBox: %d %d %d %d\n\n", 47, 47, 553, 553);
  out.Print("/m{moveto} bind def\n");
  out.Print("/l{lineto} bind def\n");
  out.Print("/s{stroke} bind def\n");
  out.Print("/w{setlinewidth} bind def\n");
  out.Print("/f{lineto closepath fill} bind def\n");
  out.Print("/c{setrgbcolor} bind def\n");
  out.Print("1 setlinecap\n");
  out.Print("1 setlinejoin\n");
  out.Print("1 w\n\n");
  out.Print("/Times-Roman 12 selectfont\n\n");

  out.Print(" 0.5 w\n");
  out.Print("%d %d m\n", 50, 50);
  out.Print("%d %d l\n", 550, 50);
  out.Print("%d %d l\n", 550, 550);
  out.Print("%d %d l\n", 50, 550);
  out.Print("%d %d l s\n", 50, 50);
  out.Print(" 1 w\n");

  out.Print("%d %d m (Title: %s) show\n", 60, 535, ps_string(title).c_str());
  out.Print("%d %d m (Date : %s) show\n", 60, 520, ps_string(date.c_str()).c_str());
  return 1;
}

int tPsPage::end_draw_ps()
{
  if (!open)
    return 0;
  out.Print("\nshowpage\n");
  out.Print("%% EOF\n");
  open = false;
  return commit_safe_output(&out, filename.c_str(), tmpname);
}

void tPsPage::hilite_lines_ps(int on) { out.Print(on ? "2 w\n" : "1 w\n"); }

void tPsPage::move_to_ps(double x, double y) { out.Print("%g %g m\n", hh(x, y), vv(x, y)); }

void tPsPage::draw_to_ps(double x, double y) { out.Print("%g %g l s\n", hh(x, y), vv(x, y)); }

void tPsPage::draw_circle_ps(double x, double y)
{
  const double h = hh(x, y), v = vv(x, y);
  out.Print("%g %g m\n", h - 1, v - 1);
  out.Print("%g %g l\n", h - 1, v + 1);
  out.Print("%g %g l\n", h + 1, v + 1);
  out.Print("%g %g l\n", h + 1, v - 1);
  out.Print("%g %g f\n", h - 1, v - 1);
}

tPsRect label_box(const char* label, double h, double v)
{
  const int w = strwidth_times12(label);
  tPsRect r;
  r.left = h - w / 2;
  r.bottom = v - 5;
  r.right = r.left + w;
  r.top = v + 5;
  return r;
}

tPsRect tPsPage::label_pos_ps(const char* label, double x, double y) const
{
  return label_box(label, hh(x, y), vv(x, y));
}

void tPsPage::draw_taxon_label_ps(const char* label, const tPsRect& rect)
{
  out.Print("%g %g m\n", rect.left + 2, rect.bottom + 2);
  out.Print("(%s) show\n", ps_string(label).c_str());
}

void tPsPage::draw_string_ps(double x, double y, const char* text)
{
  out.Print("%g %g m\n", hh(x, y), vv(x, y));
  out.Print("(%s) show\n", ps_string(text).c_str());
}

void tPsPage::draw_info_ps(const char* info)
{
  out.Print(" 0.5 w\n");
  out.Print("%d %d m %d %d l s\n", 50, 70, 550, 70);
  out.Print(" 1 w\n");
  out.Print("%g %g m\n", 60.0, 55.0);
  out.Print("(%s) show\n", ps_string(info).c_str());
}

void tPsPage::draw_scalebar_ps(double scalebar)
{
  const int x2 = 60 + static_cast<int>(std::fmin(transform.length(scalebar), 1e9));
  out.Print("%d %d m\n", 60, 83);
  out.Print("%d %d l\n", 60, 80);
  out.Print("%d %d l\n", x2, 80);
  out.Print("%d %d l s\n", x2, 83);
  out.Print("%d %d m\n", x2 + 3, 80);
  out.Print("(%G) show\n", scalebar);
}

void tPsPage::set_color_ps(int c)
{
  static const char* const colors[] = {"0 0 0", "1 1 1", "1 0 0", "0 1 0", "0 0 1", "1 1 0", "0 1 1", "1 0 1"};
  out.Print("%s c\n", c >= 0 && c <= 7 ? colors[c] : colors[0]);
}
