#include "Culling.h"

#include <cmath>

namespace OdGsRender
{
MeshReach meshReach(const ObjectFrame& box, const ViewSetup& view, int left, int top, int right, int bottom)
{
  MeshReach r;
  // The box in eye coordinates: its centre moved, its half sizes through the
  // rotation's absolute values (a box that holds the turned box).
  const double(*m)[4] = view.viewing.entry;
  const double c[3] = {0.5 * (double(box.min.x) + box.max.x), 0.5 * (double(box.min.y) + box.max.y),
                       0.5 * (double(box.min.z) + box.max.z)};
  const double h[3] = {0.5 * (double(box.max.x) - box.min.x), 0.5 * (double(box.max.y) - box.min.y),
                       0.5 * (double(box.max.z) - box.min.z)};
  double eye[3], half[3];
  for (int i = 0; i < 3; ++i)
  {
    eye[i] = m[i][0] * c[0] + m[i][1] * c[1] + m[i][2] * c[2] + m[i][3];
    half[i] = std::fabs(m[i][0]) * h[0] + std::fabs(m[i][1]) * h[1] + std::fabs(m[i][2]) * h[2];
  }
  const double t = view.perspective ? view.distance - eye[2] : -eye[2];
  // The box's outline covers each face pair's area times how squarely the
  // view meets it (the view direction is the viewing matrix's third row).
  // A dot is shaded as one face turned to the camera; the faces seen, each
  // lit by its own normal, send back on the whole the light of their
  // normals' mean, which is shorter: so much less of the pixel is its.
  const double seen[3] = {4.0 * h[1] * h[2] * std::fabs(m[2][0]), 4.0 * h[0] * h[2] * std::fabs(m[2][1]),
                          4.0 * h[0] * h[1] * std::fabs(m[2][2])};
  const double outline = seen[0] + seen[1] + seen[2];
  const double lit = std::sqrt(seen[0] * seen[0] + seen[1] * seen[1] + seen[2] * seen[2]);
  double x0, x1, y0, y1; // on the screen, y down
  double perUnit;        // pixels of the screen per square unit of the drawing
  if (view.perspective)
  {
    // Nothing to tell of a box that reaches the camera's plane: the clipper
    // deals with its triangles. One wholly behind the camera cannot show.
    if (t + half[2] <= 0.0)
      return r.reach = Reach::Hidden, r;
    const double near = t - half[2];
    if (!(near > view.distance * 1e-3))
      return r;
    // x / t over the box's corners is largest and smallest at its corners
    // (nearest or farthest).
    const double fNear = view.distance / near, fFar = view.distance / (t + half[2]);
    auto span = [&](double lo, double hi, double& a, double& b) {
      a = std::min(lo * fNear, lo * fFar);
      b = std::max(hi * fNear, hi * fFar);
    };
    double ex0, ex1, ey0, ey1;
    span(eye[0] - half[0], eye[0] + half[0], ex0, ex1);
    span(eye[1] - half[1], eye[1] + half[1], ey0, ey1);
    x0 = view.centerX + view.scale * ex0, x1 = view.centerX + view.scale * ex1;
    y0 = view.centerY - view.scale * ey1, y1 = view.centerY - view.scale * ey0;
    const double f = view.distance / t;
    r.x = view.centerX + view.scale * eye[0] * f;
    r.y = view.centerY - view.scale * eye[1] * f;
    perUnit = (view.scale * f) * (view.scale * f);
  }
  else
  {
    x0 = view.centerX + view.scale * (eye[0] - half[0]), x1 = view.centerX + view.scale * (eye[0] + half[0]);
    y0 = view.centerY - view.scale * (eye[1] + half[1]), y1 = view.centerY - view.scale * (eye[1] - half[1]);
    r.x = view.centerX + view.scale * eye[0];
    r.y = view.centerY - view.scale * eye[1];
    perUnit = view.scale * view.scale;
  }
  if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) || !std::isfinite(y1))
    return MeshReach();
  // Samples lie within an eighth of a pixel of its sides: a box that ends a
  // pixel short of the viewport covers none of them.
  if (x1 < left - 1.0 || x0 > right + 1.0 || y1 < top - 1.0 || y0 > bottom + 1.0)
    return r.reach = Reach::Hidden, r;
  r.t = t;
  // A pixel's worth, not much longer one way than the other: a dot keeps
  // its colour and its share of the pixel.
  r.area = lit * perUnit;
  if (outline * perUnit < 1.0 && x1 - x0 <= 2.0 && y1 - y0 <= 2.0)
    r.reach = r.x >= left && r.x < right && r.y >= top && r.y < bottom ? Reach::Dot : Reach::Hidden;
  return r;
}

unsigned dotSamples(double x, double y, double area, const float sampleX[4], const float sampleY[4])
{
  const double fx = x - std::floor(x), fy = y - std::floor(y);
  const int wanted = std::min(4, std::max(1, int(std::lround(4.0 * area))));
  unsigned mask = 0;
  for (int n = 0; n < wanted; ++n)
  {
    int best = -1;
    double bestDistance = 0.0;
    for (int s = 0; s < 4; ++s)
    {
      const double dx = sampleX[s] - fx, dy = sampleY[s] - fy, d = dx * dx + dy * dy;
      if (!(mask >> s & 1) && (best < 0 || d < bestDistance))
        best = s, bestDistance = d;
    }
    mask |= 1u << best;
  }
  return mask;
}
} // namespace OdGsRender
