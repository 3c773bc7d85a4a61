// The PostScript page: an Encapsulated PostScript picture of 500 x 500
// points in a frame, with a title, the date and an information line. The
// graph is drawn on it through the world-to-page transformation.
//
// Page geometry (points, y up): bounding box 47 47 553 553, frame
// (50, 50)-(550, 550), the world origin at (280 + hoffset, 305 + voffset);
// an automatic scale fits the picture into 350 x 350 points.
//
// The file is written to a temporary file beside the target and renamed
// over it only when complete, so a failed write never leaves half a page.
#pragma once

#include <string>

#include "document/safe_save.h"
#include "draw/transform.h"
#include "nexus/nexus.h"

constexpr int PS_H_ORIGIN = 280;
constexpr int PS_V_ORIGIN = 305;
constexpr double PS_FIT_SIZE = 350;

// Text as the body of a PostScript string "(...)": parentheses and
// backslashes are escaped and control characters written as octal escapes,
// so the text prints as written and cannot end the string early.
std::string ps_string(const char* text);

// A page box in points.
struct tPsRect {
  double left = 0.0, bottom = 0.0, right = 0.0, top = 0.0;
};

// The box of a label centred on page point (h, v), 10 points high, as wide as
// the label in 12-point Times.
tPsRect label_box(const char* label, double h, double v);

class tPsPage {
public:
  tPsPage() = default;
  ~tPsPage();
  tPsPage(const tPsPage&) = delete;
  tPsPage& operator=(const tPsPage&) = delete;

  // The transformation; rotate is in degrees.
  void set_transformation_ps(int hoffset, int voffset, int hflip, int vflip, int rotate, double zoom);
  double hh(double x, double y) const { return transform.hh(x, y); }
  double vv(double x, double y) const { return transform.vv(x, y); }
  // The scale that fits the world box into 350 x 350 points, measured with
  // the transformation set up with zoom 1; 100000 for a box without extent
  // in either direction.
  double auto_zoom_ps(double minx, double miny, double maxx, double maxy) const;

  // Opens the file and writes the prologue, the frame, the title and the
  // date; 0 (after a warning) when the file cannot be created.
  int begin_draw_ps(const char* filename, const char* title);
  // Ends the page and puts the file in place; 0 (after a warning) when it
  // could not be written.
  int end_draw_ps();
  bool is_open() const { return open; }

  void hilite_lines_ps(int on);
  void move_to_ps(double x, double y);
  void draw_to_ps(double x, double y);
  // A filled 2 x 2 point square around the world point.
  void draw_circle_ps(double x, double y);
  // The page box of a label centred at world point (x, y).
  tPsRect label_pos_ps(const char* label, double x, double y) const;
  void draw_taxon_label_ps(const char* label, const tPsRect& rect);
  void draw_string_ps(double x, double y, const char* text);
  void draw_info_ps(const char* info);
  void draw_scalebar_ps(double scalebar);
  // 0 black, 1 white, 2 red, 3 green, 4 blue, 5 yellow, 6 cyan, 7 magenta;
  // anything else black.
  void set_color_ps(int c);

private:
  tDrawTransform transform;
  tNexusOutput out;
  std::string filename;
  tSafeSave save;
  bool open = false;
};
