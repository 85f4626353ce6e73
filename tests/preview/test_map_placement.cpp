// The Texture editor's numbers and the preview's picture agree. A checker
// map placed by offset, scale (drawing units per repeat) and rotation, as
// the editor composes them, lies on the cube the preview frames from above;
// for pixels of its top face the test works out from the numbers alone which
// square of the checker the point falls in, and checks that the pixel is
// light or dark as that square's parity says (or shows the base colour where
// the tiling leaves the map out).
#include "MeGsPreview.h"
#include "MePreviewScene.h"
#include "TestHost.h"

#include "common/TestDrawing.h"
#include "core/MeTextureEditors.h"
#include "od/GsSoftware.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr int kSquares = 4;     // squares per repeat, across and up
constexpr int kTexels = 64;     // the picture's side
constexpr int kPixels = 204;    // the preview's side: two pixels a drawing unit
constexpr double kMargin = 0.2; // of a square: points nearer an edge are left out

// Light where the column and the row counted from the top add up to an even number.
bool lightSquare(int column, int rowFromTop) { return (column + rowFromTop) % 2 == 0; }

// A 24-bit BMP of the checker, written by the test itself.
std::string checkerFile()
{
  const std::string path = (std::filesystem::temp_directory_path() / "me_placement_checker.bmp").string();
  const int rowBytes = kTexels * 3; // a multiple of 4 already
  std::string bytes(54 + std::size_t(rowBytes) * kTexels, '\0');
  const auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      bytes[at + std::size_t(i)] = char((v >> (8 * i)) & 0xFF);
  };
  bytes[0] = 'B', bytes[1] = 'M';
  put32(2, std::uint32_t(bytes.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, kTexels);
  put32(22, kTexels); // bottom row first
  bytes[26] = 1, bytes[28] = 24;
  const int side = kTexels / kSquares;
  for (int y = 0; y < kTexels; ++y)
    for (int x = 0; x < kTexels; ++x)
    {
      const char value = lightSquare(x / side, y / side) ? char(230) : char(25);
      const std::size_t at = 54 + std::size_t(kTexels - 1 - y) * rowBytes + std::size_t(x) * 3;
      bytes[at] = bytes[at + 1] = bytes[at + 2] = value;
    }
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
  return path;
}

struct Placement
{
  double degrees;
  double width; // drawing units per repeat, across and up
  double offset;
  MapMapper::Tiling tiling;
};

std::string describe(const Placement& p)
{
  return "rotation " + std::to_string(p.degrees) + ", width " + std::to_string(p.width) + ", offset " +
         std::to_string(p.offset) + ", tiling " + std::to_string(int(p.tiling));
}

// Where a map coordinate lands in the picture after the tiling: 0..1, or
// nothing where the map is left out.
std::optional<double> tiled(double t, MapMapper::Tiling tiling)
{
  switch (tiling)
  {
  case MapMapper::kCrop: return t < 0 || t > 1 ? std::nullopt : std::optional<double>(t);
  case MapMapper::kClamp: return std::min(std::max(t, 0.0), 1.0);
  case MapMapper::kMirror:
  {
    const double p = t - 2 * std::floor(t / 2); // every other copy runs backward
    return p > 1 ? 2 - p : p;
  }
  default: return t - std::floor(t);
  }
}

// How near a coordinate of 0..1 lies to the edge of a square, in squares.
double edgeDistance(double t)
{
  const double s = t * kSquares;
  return std::fabs(s - std::round(s));
}

enum class Expect
{
  Light,
  Dark,
  Base,
  Unsure,
};

// What the point (u, v) of the top face, in drawing units from its corner,
// must show: the map is rotated, moved by minus the offset and divided by
// the scale; v counts up, the picture's rows down.
Expect expected(const Placement& p, double u, double v)
{
  const double a = p.degrees * kPi / 180.0;
  const double ru = std::cos(a) * u - std::sin(a) * v, rv = std::sin(a) * u + std::cos(a) * v;
  const std::optional<double> tu = tiled((ru - p.offset) / p.width, p.tiling);
  const std::optional<double> tv = tiled((rv - p.offset) / p.width, p.tiling);
  if (!tu || !tv)
  {
    // Left out; near the tile's edge the filter may still reach it.
    const double su = (ru - p.offset) / p.width, sv = (rv - p.offset) / p.width;
    const double out = std::max({-su, su - 1, -sv, sv - 1});
    return out * kSquares > kMargin ? Expect::Base : Expect::Unsure;
  }
  // Clamped beyond the tile, a point shows the outermost square: no edge there.
  const auto nearEdge = [&](double raw, double t) {
    return !(p.tiling == MapMapper::kClamp && (raw <= 0 || raw >= 1)) && edgeDistance(t) < kMargin;
  };
  if (nearEdge((ru - p.offset) / p.width, *tu) || nearEdge((rv - p.offset) / p.width, *tv))
    return Expect::Unsure;
  const int column = std::min(int(*tu * kSquares), kSquares - 1);
  const int rowFromTop = std::min(int((1 - *tv) * kSquares), kSquares - 1);
  return lightSquare(column, rowFromTop) ? Expect::Light : Expect::Dark;
}

class MapPlacement : public ::testing::Test
{
protected:
  MapPlacement()
  {
    m_host.newDocument(L"Shown");
    meui::MeGsPreview::Setup setup;
    setup.moduleName = OdGsSoftwareModuleName;
    setup.properties = {{L"DiscardBackFaces", OdRxVariantValue(true)}};
    setup.background = ODRGB(0, 0, 0);
    EXPECT_TRUE(m_gs.attach(m_scene.database(), setup));
    EXPECT_TRUE(m_scene.setSampleType(1)); // the cube, 100 units across, seen from above
  }

  // Renders the material placed so, checks every pixel of the top face
  // that lies clear of a square's edge; the count of pixels checked.
  int check(const Placement& p)
  {
    MaterialColor base;
    base.setMethod(MaterialColor::kOverride);
    base.setColor(OdCmEntityColor(0, 0, 200));
    MaterialColor none;
    none.setMethod(MaterialColor::kOverride);
    none.setColor(OdCmEntityColor(0, 0, 0));
    me::MapTransform placement;
    placement.offset = OdGeVector3d(p.offset, p.offset, 0);
    placement.scale = OdGeVector3d(p.width, p.width, 1);
    placement.rotation = p.degrees * kPi / 180.0;
    const OdDbObjectId id =
      addMaterial(m_host.database(), OdString::format(L"Checker %d", m_count++), [&](OdDbMaterial& m) {
        MaterialMap map;
        map.setSource(kFile);
        map.setSourceFileName(OdString(m_file.c_str()));
        map.mapper().setProjection(MapMapper::kPlanar);
        map.mapper().setUTiling(p.tiling);
        map.mapper().setVTiling(p.tiling);
        map.mapper().setTransform(placement.compose());
        m.setDiffuse(base, map);
        m.setAmbient(base);
        m.setSpecular(none, MaterialMap(), 0.0);
      });
    EXPECT_TRUE(m_scene.setMaterial(id));
    OdGiRasterImagePtr image = m_gs.render(kPixels, kPixels);
    if (image.isNull())
    {
      ADD_FAILURE() << "no picture";
      return 0;
    }
    OdGsView* view = m_gs.view();
    EXPECT_FALSE(view->isPerspective());
    const OdGeVector3d look = (view->target() - view->position()).normal();
    EXPECT_LT(look.z, -0.999) << "the preview looks down on the top face";
    const OdGeMatrix3d toWorld = view->worldToDeviceMatrix().inverse();

    int checked = 0;
    for (int y = 4; y < kPixels; y += 7)
      for (int x = 4; x < kPixels; x += 7)
      {
        // The pixel's centre, back along the line of sight onto the top (z 100).
        const OdGePoint3d onTarget = toWorld * OdGePoint3d(x + 0.5, y + 0.5, 0);
        const double along = (100.0 - onTarget.z) / look.z;
        const OdGePoint3d world = onTarget + look * along;
        const double u = world.x + 50, v = world.y + 50; // from the cube's corner
        if (u < 1 || u > 99 || v < 1 || v > 99)
          continue;
        const Expect e = expected(p, u, v);
        if (e == Expect::Unsure)
          continue;
        const ODCOLORREF c = image->pixelAt(OdUInt32(x), OdUInt32(y));
        const int r = ODGETRED(c), g = ODGETGREEN(c), b = ODGETBLUE(c);
        const char* shown = b > r + 60 ? "base" : (r > 110 ? "light" : "dark");
        const char* want = e == Expect::Base ? "base" : (e == Expect::Light ? "light" : "dark");
        EXPECT_STREQ(shown, want) << describe(p) << " at pixel " << x << "," << y << " (u " << u << ", v " << v
                                  << "), colour " << r << "," << g << "," << b;
        ++checked;
      }
    return checked;
  }

  TestHost m_host;
  meui::MeGsPreview m_gs;
  meui::MePreviewScene m_scene{m_gs};
  std::string m_file = checkerFile();
  int m_count = 0;
};
} // namespace

TEST_F(MapPlacement, EveryCheckedPixelShowsTheSquareTheNumbersPutThere)
{
  for (double degrees : {0.0, 45.0})
    for (double width : {50.0, 100.0})
      for (double offset : {0.0, 12.5})
        for (MapMapper::Tiling tiling : {MapMapper::kTile, MapMapper::kMirror, MapMapper::kClamp, MapMapper::kCrop})
        {
          const Placement p{degrees, width, offset, tiling};
          EXPECT_GT(check(p), 200) << describe(p) << ": too few pixels clear of an edge";
        }
}

TEST_F(MapPlacement, HalfTheWidthShowsTwiceTheSquaresAcross)
{
  // Along one row of pixels through the face, count the changes between
  // light and dark: a repeat of 50 units puts 8 squares on the 100-unit
  // face, one of 100 units 4.
  const auto changes = [&](double width) {
    check(Placement{0, width, 0, MapMapper::kTile});
    OdGiRasterImagePtr image = m_gs.render(kPixels, kPixels);
    int count = 0;
    bool wasLight = ODGETRED(image->pixelAt(10, kPixels / 2 + 3)) > 110;
    for (int x = 11; x < kPixels - 10; ++x)
    {
      const bool light = ODGETRED(image->pixelAt(OdUInt32(x), kPixels / 2 + 3)) > 110;
      count += light != wasLight;
      wasLight = light;
    }
    return count;
  };
  EXPECT_EQ(changes(100), kSquares - 1);
  EXPECT_EQ(changes(50), 2 * kSquares - 1);
}
