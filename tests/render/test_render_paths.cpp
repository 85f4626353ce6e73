// The renderer shades opaque surfaces four pixels at a time; the per-point
// functions stay as the reference (transparent surfaces still use them).
// These tests hold the two to the same colours.
#include "RenderHarness.h"

#include "Material.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rendertest;
using namespace OdGsRender;

namespace
{
// A small deterministic generator: the same points on every run.
class Points
{
public:
  float next(float lo, float hi)
  {
    m_state = m_state * 1664525u + 1013904223u;
    return lo + (hi - lo) * float(m_state >> 8) / float(1u << 24);
  }

private:
  std::uint32_t m_state = 12345u;
};

// Values of the two paths agree to float rounding (a different compiler
// may contract multiply-adds differently in one of them).
constexpr float kTolerance = 2e-6f;
} // namespace

TEST(RenderFourWide, NoiseMarbleAndWoodMatchThePointByPointFunctions)
{
  Points points;
  MarbleParams marble;
  marble.stone = Vec3(0.9f, 0.85f, 0.8f);
  marble.vein = Vec3(0.1f, 0.2f, 0.4f);
  marble.spacing = 0.7f;
  marble.width = 1.6f;
  WoodParams wood;
  wood.color1 = Vec3(0.8f, 0.6f, 0.3f);
  wood.color2 = Vec3(0.3f, 0.15f, 0.05f);
  wood.grain = 0.07f;
  // One set of cells for the whole run, as for a frame: cells met before
  // must come back with their own gradients.
  SolidNoise noise;
  int straddling = 0;
  for (int group = 0; group < 3000; ++group)
  {
    // Four neighbouring points around a random spot, now and then across a
    // lattice wall; some far out and negative.
    const float scale = group % 7 == 0 ? 300.f : 3.f;
    const float cx = points.next(-scale, scale), cy = points.next(-scale, scale), cz = points.next(-scale, scale);
    f4 x, y, z;
    for (int k = 0; k < 4; ++k)
    {
      x[k] = cx + points.next(-0.2f, 0.2f);
      y[k] = cy + points.next(-0.2f, 0.2f);
      z[k] = cz + points.next(-0.2f, 0.2f);
    }
    straddling += std::floor(x[0]) != std::floor(x[3]) ? 1 : 0;
    const f4 n = gradientNoise4(x, y, z, noise.cells[0]);
    const Rgb4 m = marbleColor4(marble, x, y, z, noise);
    const Rgb4 w = woodColor4(wood, x * 0.1f, y * 0.1f, z * 0.1f, noise);
    for (int k = 0; k < 4; ++k)
    {
      ASSERT_NEAR(n[k], gradientNoise(x[k], y[k], z[k]), kTolerance) << "group " << group << " lane " << k;
      const Vec3 mk = marbleColor(marble, Vec3(x[k], y[k], z[k]));
      ASSERT_NEAR(m.r[k], mk.x, kTolerance) << "group " << group << " lane " << k;
      ASSERT_NEAR(m.g[k], mk.y, kTolerance);
      ASSERT_NEAR(m.b[k], mk.z, kTolerance);
      const Vec3 wk = woodColor(wood, Vec3(x[k] * 0.1f, y[k] * 0.1f, z[k] * 0.1f));
      ASSERT_NEAR(w.r[k], wk.x, kTolerance) << "group " << group << " lane " << k;
      ASSERT_NEAR(w.g[k], wk.y, kTolerance);
      ASSERT_NEAR(w.b[k], wk.z, kTolerance);
    }
  }
  EXPECT_GT(straddling, 100) << "groups across a cell wall were tried";
}

TEST(RenderFourWide, BaseColoursMatchThePointByPointColours)
{
  // A picture with detail at every mip level: a checker of 3-texel squares
  // with a gradient in alpha.
  const int size = 40;
  std::vector<OdUInt8> rgba;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
    {
      const bool dark = ((x / 3) + (y / 3)) % 2 == 0;
      rgba.insert(rgba.end(), {OdUInt8(dark ? 20 : 230), OdUInt8(x * 6), OdUInt8(y * 6), OdUInt8(155 + x)});
    }
  const TextureImagePtr image = std::make_shared<TextureImage>(OdUInt32(size), OdUInt32(size), rgba);

  ObjectFrame frame;
  frame.min = Vec3(-50.f, -40.f, 0.f);
  frame.max = Vec3(50.f, 40.f, 100.f);
  frame.centre = (frame.min + frame.max) * 0.5f;
  frame.size = 100.f;

  // Points on and around the box, with normals of every direction.
  constexpr std::size_t kCount = 41, kBegin = 3, kEnd = 34;
  Points gen;
  std::vector<float> p[3], n[3], v[3], pixel(kCount + 3);
  for (int c = 0; c < 3; ++c)
    p[c].resize(kCount + 3), n[c].resize(kCount + 3), v[c].resize(kCount + 3);
  for (std::size_t i = 0; i < kCount; ++i)
  {
    const Vec3 position(gen.next(-60.f, 60.f), gen.next(-50.f, 50.f), gen.next(-10.f, 110.f));
    const Vec3 normal = normalize(Vec3(gen.next(-1.f, 1.f), gen.next(-1.f, 1.f), gen.next(-1.f, 1.f)));
    const Vec3 toEye = normalize(Vec3(gen.next(-1.f, 1.f), gen.next(-1.f, 1.f), gen.next(0.2f, 1.f)));
    for (int c = 0; c < 3; ++c)
    {
      p[c][i] = (&position.x)[c];
      n[c][i] = (&normal.x)[c];
      v[c][i] = (&toEye.x)[c];
    }
    pixel[i] = gen.next(0.05f, 3.f);
  }
  const ShadeArrays arrays = {{p[0].data(), p[1].data(), p[2].data()},
                              {n[0].data(), n[1].data(), n[2].data()},
                              {v[0].data(), v[1].data(), v[2].data()},
                              pixel.data()};

  int cases = 0;
  for (MapKind kind : {MapKind::None, MapKind::Image, MapKind::Marble, MapKind::Wood})
    for (Projection projection : {Projection::Planar, Projection::Box, Projection::Cylinder, Projection::Sphere})
      for (Tiling tiling : {Tiling::Tile, Tiling::None, Tiling::Clamp, Tiling::Mirror})
        for (bool fit : {false, true})
        {
          SurfaceMaterial material;
          material.diffuse = Vec3(0.2f, 0.3f, 0.9f);
          material.map.kind = kind;
          material.map.image = image;
          material.map.marble.stone = Vec3(0.9f, 0.9f, 0.8f);
          material.map.marble.vein = Vec3(0.2f, 0.1f, 0.1f);
          material.map.wood.color1 = Vec3(0.7f, 0.5f, 0.2f);
          material.map.wood.color2 = Vec3(0.2f, 0.1f, 0.f);
          material.map.projection = projection;
          material.map.uTiling = tiling;
          material.map.vTiling = tiling == Tiling::Tile ? Tiling::Mirror : tiling;
          material.map.fitToObject = fit;
          material.map.blend = cases % 3 == 0 ? 1.4f : 0.8f;
          material.map.uvPerUnit = 0.7f;
          // Rotated, stretched and moved: coordinates well outside one tile.
          material.map.transform.m[0][0] = 1.6f, material.map.transform.m[0][1] = 0.5f, material.map.transform.m[0][3] = 0.3f;
          material.map.transform.m[1][0] = -0.4f, material.map.transform.m[1][1] = 1.2f, material.map.transform.m[1][3] = -0.2f;
          if (!fit)
            for (int r = 0; r < 2; ++r)
              for (int c = 0; c < 2; ++c)
                material.map.transform.m[r][c] *= 0.02f;

          std::vector<float> out[3];
          for (auto& o : out)
            o.assign(kCount + 3, -7.f);
          float* const outs[3] = {out[0].data(), out[1].data(), out[2].data()};
          SolidNoise noise;
          baseColors(material, frame, arrays, kBegin, kEnd, noise, outs);
          for (std::size_t i = 0; i < kCount; ++i)
          {
            if (i < kBegin)
            {
              ASSERT_EQ(out[0][i], -7.f) << "nothing before the range is written";
              continue;
            }
            if (i >= kEnd)
              continue;
            ShadePoint point;
            point.position = Vec3(p[0][i], p[1][i], p[2][i]);
            point.normal = Vec3(n[0][i], n[1][i], n[2][i]);
            point.toEye = Vec3(v[0][i], v[1][i], v[2][i]);
            point.pixelSize = pixel[i];
            const Vec3 expected = baseColor(material, frame, point);
            ASSERT_NEAR(out[0][i], expected.x, 1e-5f) << "case " << cases << " point " << i;
            ASSERT_NEAR(out[1][i], expected.y, 1e-5f) << "case " << cases << " point " << i;
            ASSERT_NEAR(out[2][i], expected.z, 1e-5f) << "case " << cases << " point " << i;
          }
          ++cases;
        }
  EXPECT_EQ(cases, 4 * 4 * 4 * 2);
}

namespace
{
// A sphere and a cube side by side, each with its own material, seen close
// enough that their triangles are many pixels wide.
struct TwoObjects
{
  Harness h;

  TwoObjects(const std::function<void(OdDbMaterial&)>& sphereMaterial, const std::function<void(OdDbMaterial&)>& cubeMaterial,
             bool antialias)
  {
    h.device()->properties()->putAt(L"DiscardBackFaces", OdRxVariantValue(true));
    h.device()->properties()->putAt(L"Antialiasing", OdRxVariantValue(antialias));
    OdDbEntityPtr sphere, cube;
    meui::buildSampleSphere(h.db(), OdGeMatrix3d(), OdGePoint3d(-55, 0, 50), 50.0, 12, 10, sphere);
    meui::buildSampleCube(h.db(), OdGePoint3d(55, 0, 0), 45.0, cube);
    h.add(sphere, h.addMaterial(L"S", sphereMaterial));
    h.add(cube, h.addMaterial(L"C", cubeMaterial));
    h.view()->setView(OdGePoint3d(60, -300, 180), OdGePoint3d(0, 0, 45), OdGeVector3d::kZAxis, 230, 150,
                      OdGsView::kPerspective);
  }

  std::vector<ODCOLORREF> render(ODCOLORREF background)
  {
    h.device()->setBackgroundColor(background);
    const OdGiRasterImageRGBA& image = h.render(kWidth, kHeight);
    std::vector<ODCOLORREF> pixels;
    for (OdUInt32 y = 0; y < kHeight; ++y)
      for (OdUInt32 x = 0; x < kWidth; ++x)
        pixels.push_back(image.pixelAt(x, y));
    return pixels;
  }

  static constexpr OdUInt32 kWidth = 230, kHeight = 150;
};

int channelDifference(ODCOLORREF a, ODCOLORREF b)
{
  return std::max({std::abs(red(a) - red(b)), std::abs(green(a) - green(b)), std::abs(blue(a) - blue(b))});
}

// Smooth and periodic across its edges, so that a point on a tile seam (a
// box side under a planar projection lies on one) gets nearly the same
// colour from either side, while a point a pixel off gets another.
std::string wavesImage()
{
  const std::string path = tempPath("paths_waves.bmp");
  writeBmp(path, 32, 32, [](int x, int y) {
    const double a = 2 * OdPi * x / 16, b = 2 * OdPi * y / 16, c = 2 * OdPi * (x + y) / 32;
    return ODRGB(unsigned(128 + 110 * std::sin(a)), unsigned(128 + 110 * std::cos(b)), unsigned(128 + 90 * std::sin(c)));
  });
  return path;
}
} // namespace

TEST(RenderShading, OpaqueSurfacesHaveThePerPixelReferenceColours)
{
  // Surfaces barely short of opaque go the per-pixel way (each pixel lit on
  // its own, the map looked up point by point) and show the background by
  // a millionth only. Where a pixel lies wholly inside one triangle the two
  // ways must agree; edge pixels are told apart by rendering on black and
  // on white. With four samples that way also sees a few pixels on a
  // triangle edge as wholly inside one triangle while its centre lies in
  // the other (its samples are placed with different rounding): it shades
  // the wrong one there, so a few pixels in a thousand may differ.
  const std::string waves = wavesImage();
  auto plain = [](double opacity) {
    return [opacity](OdDbMaterial& m) {
      m.setDiffuse(rgb(60, 140, 220), MaterialMap());
      m.setAmbient(rgb(40, 30, 20));
      m.setSpecular(rgb(255, 255, 255), MaterialMap(), 0.6);
      m.setOpacity(opacity, MaterialMap());
    };
  };
  auto marble = [](double opacity) {
    return [opacity](OdDbMaterial& m) {
      OdGiMarbleTexturePtr t = OdGiMarbleTexture::createObject();
      t->setStoneColor(rgb(230, 220, 200));
      t->setVeinColor(rgb(40, 60, 120));
      MaterialMap map;
      map.setSource(kProcedural);
      map.setTexture(OdGiMaterialTexturePtr(t.get()));
      m.setDiffuse(rgb(0, 0, 255), map);
      m.setSpecular(rgb(255, 255, 255), MaterialMap(), 0.3);
      m.setOpacity(opacity, MaterialMap());
    };
  };
  auto wood = [](double opacity) {
    return [opacity](OdDbMaterial& m) {
      OdGiWoodTexturePtr t = OdGiWoodTexture::createObject();
      t->setColor1(rgb(220, 160, 90));
      t->setColor2(rgb(90, 40, 10));
      MaterialMap map;
      map.setSource(kProcedural);
      map.setTexture(OdGiMaterialTexturePtr(t.get()));
      m.setDiffuse(rgb(0, 0, 255), map);
      m.setOpacity(opacity, MaterialMap());
    };
  };
  auto image = [&waves](MapMapper::Projection projection) {
    return [&waves, projection](double opacity) {
      return [&waves, projection, opacity](OdDbMaterial& m) {
        MaterialMap map;
        map.setSource(kFile);
        map.setSourceFileName(OdString(waves.c_str()));
        map.mapper().setProjection(projection);
        map.mapper().setAutoTransform(MapMapper::kObject);
        map.mapper().setUTiling(MapMapper::kMirror);
        map.mapper().setTransform(OdGeMatrix3d::scaling(OdGeVector3d(3, 2, 1)));
        m.setDiffuse(rgb(0, 0, 255), map);
        m.setSpecular(rgb(255, 255, 255), MaterialMap(), 0.8);
        m.setOpacity(opacity, MaterialMap());
      };
    };
  };
  const std::function<std::function<void(OdDbMaterial&)>(double)> materials[] = {
    plain, marble, wood, image(MapMapper::kPlanar), image(MapMapper::kBox), image(MapMapper::kSphere),
    image(MapMapper::kCylinder)};
  const double almost = 1.0 - 1e-6;
  int compared = 0;
  for (bool antialias : {true, false})
    for (std::size_t i = 0; i < std::size(materials); ++i)
    {
      const auto& sphereMaterial = materials[i];
      const auto& cubeMaterial = materials[(i + 3) % std::size(materials)];
      const std::vector<ODCOLORREF> opaque = TwoObjects(sphereMaterial(1.0), cubeMaterial(1.0), antialias).render(0);
      TwoObjects reference(sphereMaterial(almost), cubeMaterial(almost), antialias);
      const std::vector<ODCOLORREF> onBlack = reference.render(ODRGB(0, 0, 0));
      const std::vector<ODCOLORREF> onWhite = reference.render(ODRGB(255, 255, 255));
      int here = 0, off = 0, worst = 0; // compared, more than one level off, largest difference
      for (std::size_t p = 0; p < opaque.size(); ++p)
      {
        if (channelDifference(onBlack[p], onWhite[p]) > 0)
          continue; // an edge: the background shows through
        ++here;
        const int d = channelDifference(opaque[p], onBlack[p]);
        off += d > 1 ? 1 : 0;
        worst = std::max(worst, d);
      }
      const std::string what = "materials " + std::to_string(i) + (antialias ? ", antialiased" : "");
      if (antialias)
        EXPECT_LE(off * 200, here) << what << ": " << off << " of " << here << " pixels differ, by up to " << worst;
      else
        EXPECT_LE(worst, 1) << what << ": " << off << " of " << here << " pixels differ";
      compared += here;
    }
  EXPECT_GT(compared, 14 * 15000) << "most of both objects was compared";
}
