#include "draw/vector_page.h"

#include <cmath>
#include <cstdio>

#include "core/message.h"
#include "document/document.h"

tRgb page_color(int c)
{
  static const tRgb colors[] = {{0, 0, 0},   {255, 255, 255}, {255, 0, 0},   {0, 255, 0},
                                {0, 0, 255}, {255, 255, 0},   {0, 255, 255}, {255, 0, 255}};
  return c >= 0 && c <= 7 ? colors[c] : colors[0];
}

tVectorPage::~tVectorPage()
{
  // A page abandoned half-way leaves no file behind.
  if (is_open)
    abandon_safe_output(&out, tmpname);
}

void tVectorPage::set_transformation(int hoffset, int voffset, int hflip, int vflip, int rotate, double zoom)
{
  transform.set(static_cast<double>(hoffset) + PS_H_ORIGIN, static_cast<double>(voffset) + PS_V_ORIGIN, hflip, vflip, true, rotate, zoom);
}

double tVectorPage::auto_zoom(double minx, double miny, double maxx, double maxy) const
{
  return transform.auto_zoom(minx, miny, maxx, maxy, PS_FIT_SIZE, PS_FIT_SIZE);
}

tPsRect tVectorPage::label_pos(const char* label, double x, double y) const
{
  return label_box(label, hh(x, y), vv(x, y));
}

int tVectorPage::scalebar_end(double length) const { return 60 + static_cast<int>(std::fmin(transform.length(length), 1e9)); }

int tVectorPage::open(const char* name, const char* kind)
{
  // The warning names the picture's kind (no '%' in it).
  const std::string cant_open = std::string("Create ") + kind + ": Can't open output file: %s";
  if (!open_safe_output(&out, name, &tmpname, cant_open.c_str()))
    return 0;
  is_open = true;
  filename = name;
  return 1;
}

int tVectorPage::commit(const std::string& text)
{
  if (!is_open)
    return 0;
  is_open = false;
  out.Print("%s", text.c_str());
  return commit_safe_output(&out, filename.c_str(), tmpname);
}
