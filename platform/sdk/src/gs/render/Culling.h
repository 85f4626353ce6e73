// Which meshes a frame must draw as triangles: a mesh whose box lies outside
// the viewport cannot show, and one whose box covers less than a pixel is
// drawn as a dot of its material, so that a large model seen whole keeps its
// look without its millions of sub-pixel triangles.
#pragma once

#include "Renderer.h"

namespace OdGsRender
{
enum class Reach
{
  Hidden,    // wholly outside the viewport, or behind the camera
  Dot,       // covering less than a pixel, and no more than two across
  Triangles, // everything else, and whatever the camera is too close to tell
};

struct MeshReach
{
  Reach reach = Reach::Triangles;
  // For a dot: its box's centre in device pixels and along the view
  // direction, and its share of a pixel: the part of the screen its box
  // covers, less for faces seen aslant (see meshReach).
  double x = 0.0, y = 0.0, t = 0.0;
  double area = 0.0;
};

// The box against the viewport [left, right) x [top, bottom) of the view.
MeshReach meshReach(const ObjectFrame& box, const ViewSetup& view, int left, int top, int right, int bottom);

// The samples of the pixel under (x, y) a dot covers: as many as the part of
// the pixel its box would cover (at least one, so that it never vanishes),
// nearest to its centre first. sampleX, sampleY: the samples' places in a
// pixel.
unsigned dotSamples(double x, double y, double area, const float sampleX[4], const float sampleY[4]);
} // namespace OdGsRender
