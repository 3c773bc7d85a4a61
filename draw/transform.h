// The mapping from world coordinates (y up) to display coordinates: mirrors,
// a rotation, a scale and the display point onto which the world origin
// falls. The canvas and the PostScript page build it the same way with their
// own constants.
#pragma once

class tDrawTransform {
public:
  // origin: the display point of the world origin. mirror_y mirrors the y
  // axis when vflip is 0 (a page whose y axis points up) rather than when
  // it is set (a canvas whose y axis points down). rotate is in degrees.
  // Computed in double: no offset or scale in range can overflow.
  void set(double h_origin, double v_origin, int hflip, int vflip, bool mirror_y, int rotate, double zoom);

  double hh(double x, double y) const { return t11 * x + t12 * y + h_off; }
  double vv(double x, double y) const { return t21 * x + t22 * y + v_off; }
  // The world point of a display point.
  void display2world(double h, double v, double& wx, double& wy) const;
  // The scale that fits the box into width x height display units, measured
  // with this transformation (set up with zoom 1); 100000 for a direction in
  // which the box has no extent.
  double auto_zoom(double minx, double miny, double maxx, double maxy, double width, double height) const;
  // Display length of a world segment of length len along the x axis.
  double length(double len) const;

private:
  double t11 = 1.0, t12 = 0.0, t21 = 0.0, t22 = 1.0;
  double i11 = 1.0, i12 = 0.0, i21 = 0.0, i22 = 1.0;
  double h_off = 0;
  double v_off = 0;
};
