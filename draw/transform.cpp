#include "draw/transform.h"

#include <cmath>

namespace {

struct tMat {
  double a11, a12, a21, a22;
  tMat times(const tMat& m) const
  {
    return {a11 * m.a11 + a12 * m.a21, a11 * m.a12 + a12 * m.a22, a21 * m.a11 + a22 * m.a21,
            a21 * m.a12 + a22 * m.a22};
  }
};

const tMat IDENTITY{1.0, 0.0, 0.0, 1.0};
const tMat HMIRROR{-1.0, 0.0, 0.0, 1.0};
const tMat VMIRROR{1.0, 0.0, 0.0, -1.0};

// The angle is formed in single precision, as stored pictures expect.
tMat rotation(float a)
{
  const double c = std::cos(static_cast<double>(a)), s = std::sin(static_cast<double>(a));
  return {c, -s, s, c};
}

} // namespace

void tDrawTransform::set(double h_origin, double v_origin, int hflip, int vflip, bool mirror_y, int rotate,
                         double zoom)
{
  h_off = h_origin;
  v_off = v_origin;
  const bool mirror_v = mirror_y ? vflip == 0 : vflip != 0;
  tMat t = IDENTITY;
  if (hflip != 0)
    t = t.times(HMIRROR);
  if (mirror_v)
    t = t.times(VMIRROR);
  if (rotate != 0)
    t = t.times(rotation(static_cast<float>(rotate) * 0.01745329252f));
  t11 = t.a11 * zoom;
  t12 = t.a12 * zoom;
  t21 = t.a21 * zoom;
  t22 = t.a22 * zoom;

  // The factors in the reverse order, each inverted.
  tMat inv{1.0 / zoom, 0.0, 0.0, 1.0 / zoom};
  if (rotate != 0)
    inv = inv.times(rotation(static_cast<float>(rotate) * -0.01745329252f));
  if (mirror_v)
    inv = inv.times(VMIRROR);
  if (hflip != 0)
    inv = inv.times(HMIRROR);
  i11 = inv.a11;
  i12 = inv.a12;
  i21 = inv.a21;
  i22 = inv.a22;
}

void tDrawTransform::display2world(double h, double v, double& wx, double& wy) const
{
  wx = i11 * (h - h_off) + i12 * (v - v_off);
  wy = i21 * (h - h_off) + i22 * (v - v_off);
}

double tDrawTransform::auto_zoom(double minx, double miny, double maxx, double maxy, double width,
                                 double height) const
{
  double h0 = 100000, h1 = -100000, v0 = 100000, v1 = -100000;
  const double cx[] = {minx, minx, maxx, maxx}, cy[] = {miny, maxy, maxy, miny};
  for (int i = 0; i < 4; i++) {
    const double h = hh(cx[i], cy[i]), v = vv(cx[i], cy[i]);
    h0 = h < h0 ? h : h0;
    h1 = h > h1 ? h : h1;
    v0 = v < v0 ? v : v0;
    v1 = v > v1 ? v : v1;
  }
  const double zh = h1 - h0 == 0.0 ? 100000 : width / (h1 - h0);
  const double zv = v1 - v0 == 0.0 ? 100000 : height / (v1 - v0);
  return zh < zv ? zh : zv;
}

double tDrawTransform::length(double len) const
{
  const double dh = hh(len, 0.0) - hh(0.0, 0.0), dv = vv(len, 0.0) - vv(0.0, 0.0);
  return std::sqrt(dh * dh + dv * dv);
}
