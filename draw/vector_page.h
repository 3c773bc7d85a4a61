// What the SVG and PDF pages share with the PostScript page: the same
// 500 x 500 point page in a frame (bounding box 47 47 553 553, y up), the
// same world-to-page transformation and automatic scale, label boxes and
// colours, so that every format shows the same picture. The text of a page
// is collected in memory and written through a temporary file that replaces
// the target only when complete.
#pragma once

#include <string>

#include "draw/ps_draw.h"
#include "draw/transform.h"
#include "nexus/nexus.h"

struct tRgb {
  int r, g, b; // 0 or 255
};

// 0 black, 1 white, 2 red, 3 green, 4 blue, 5 yellow, 6 cyan, 7 magenta;
// anything else black.
tRgb page_color(int c);

class tVectorPage {
public:
  tVectorPage() = default;
  ~tVectorPage();
  tVectorPage(const tVectorPage&) = delete;
  tVectorPage& operator=(const tVectorPage&) = delete;

  void set_transformation(int hoffset, int voffset, int hflip, int vflip, int rotate, double zoom);
  double auto_zoom(double minx, double miny, double maxx, double maxy) const;
  tPsRect label_pos(const char* label, double x, double y) const;

protected:
  double hh(double x, double y) const { return transform.hh(x, y); }
  double vv(double x, double y) const { return transform.vv(x, y); }
  // The right end of the scale bar that starts at h = 60.
  int scalebar_end(double length) const;

  // Creates the temporary file; 0 (after a warning "Create KIND: ...") when
  // it cannot be created.
  int open(const char* filename, const char* kind);
  // Writes text and puts the file in place; 0 (after a warning) on failure.
  int commit(const std::string& text);

private:
  tDrawTransform transform;
  tNexusOutput out;
  std::string filename;
  tSafeSave save;
  bool is_open = false;
};
