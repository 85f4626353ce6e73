// A private drawing with a software device over it, for the renderer tests.
#pragma once

#include "MeSampleGeometry.h"

#include "common/TestDrawing.h"

#include "od/DbDatabase.h"
#include "od/DbDictionary.h"
#include "od/DbGsManager.h"
#include "od/DbMaterial.h"
#include "od/DbSymbolTable.h"
#include "od/GiContext.h"
#include "od/GsSoftware.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace rendertest
{
inline MaterialColor rgb(int r, int g, int b)
{
  MaterialColor c;
  c.setMethod(MaterialColor::kOverride);
  c.setColor(OdCmEntityColor(OdUInt8(r), OdUInt8(g), OdUInt8(b)));
  return c;
}

inline int red(ODCOLORREF c) { return int(ODGETRED(c)); }
inline int green(ODCOLORREF c) { return int(ODGETGREEN(c)); }
inline int blue(ODCOLORREF c) { return int(ODGETBLUE(c)); }
inline int luminance(ODCOLORREF c) { return red(c) + green(c) + blue(c); }

// Every pixel, rows top first.
inline std::vector<ODCOLORREF> pixels(const OdGiRasterImageRGBA& image)
{
  std::vector<ODCOLORREF> out;
  for (OdUInt32 y = 0; y < image.pixelHeight(); ++y)
    for (OdUInt32 x = 0; x < image.pixelWidth(); ++x)
      out.push_back(image.pixelAt(x, y));
  return out;
}

// Writes a 24-bit BMP; pixel(x, y) with y = 0 the top row gives 0x00BBGGRR.
inline void writeBmp(const std::string& path, int w, int h, const std::function<ODCOLORREF(int, int)>& pixel)
{
  const int rowBytes = (w * 3 + 3) & ~3;
  const int dataBytes = rowBytes * h;
  std::string bytes(54 + std::size_t(dataBytes), '\0');
  auto put32 = [&](int at, OdUInt32 v) {
    for (int i = 0; i < 4; ++i)
      bytes[std::size_t(at + i)] = char((v >> (8 * i)) & 0xFF);
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, OdUInt32(54 + dataBytes));
  put32(10, 54);
  put32(14, 40);
  put32(18, OdUInt32(w));
  put32(22, OdUInt32(h));
  bytes[26] = 1;
  bytes[28] = 24;
  put32(34, OdUInt32(dataBytes));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const ODCOLORREF c = pixel(x, y);
      const std::size_t at = 54 + std::size_t(h - 1 - y) * std::size_t(rowBytes) + std::size_t(x) * 3;
      bytes[at] = char(ODGETBLUE(c));
      bytes[at + 1] = char(ODGETGREEN(c));
      bytes[at + 2] = char(ODGETRED(c));
    }
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// Named for this run of the program: the tests of another checkout may run at
// the same time and would write or remove the same file.
inline std::string tempPath(const std::string& name)
{
  static const std::string run = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  return (std::filesystem::temp_directory_path() / ("me_render_" + run + "_" + name)).string();
}

class Harness
{
public:
  // A module of its own unless one is given (to share its texture cache).
  explicit Harness(OdGsSoftwareModule* module = nullptr)
  {
    m_module = module ? OdGsSoftwareModulePtr(module) : OdGsSoftwareModule::createObject();
    m_device = m_module->createDevice();
    m_context = OdGiContextForDbDatabase::createObject();
    m_context->setDatabase(m_db);
    m_helper = OdDbGsManager::setupActiveLayoutViews(m_device, m_context);
    m_helper->activeView()->setViewportBorderVisibility(false);
    m_helper->setBackgroundColor(kBackground);
  }

  static constexpr ODCOLORREF kBackground = ODRGB(10, 20, 30);

  OdDbDatabase* db() const { return m_db.get(); }
  OdGsSoftwareModule* module() const { return m_module.get(); }
  OdGsDevice* device() const { return m_helper.get(); }
  OdGsView* view() const { return m_helper->activeView(); }
  OdGsSoftwareDevice* software() const { return OdGsSoftwareDevice::cast(m_device).get(); }

  OdDbObjectId addMaterial(const OdString& name, const std::function<void(OdDbMaterial&)>& setup)
  {
    return ::addMaterial(m_db.get(), name, setup);
  }

  OdDbObjectId add(OdDbEntity* entity, const OdDbObjectId& material = OdDbObjectId())
  {
    if (!material.isNull())
      entity->setMaterial(material);
    OdDbBlockTableRecordPtr ms = m_db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
    return ms->appendOdDbEntity(entity);
  }

  // A square of side 2 * half at height z, its front toward +Z.
  OdDbEntityPtr square(double cx, double cy, double half, double z) const
  {
    const OdGePoint3dArray pts = {{cx - half, cy - half, z}, {cx + half, cy - half, z}, {cx + half, cy + half, z}, {cx - half, cy + half, z}};
    const OdArray<OdInt16> faces = {1, 2, 3, 4};
    OdDbEntityPtr e;
    meui::buildPolyFaceMesh(m_db, pts, faces, nullptr, e);
    return e;
  }

  OdDbEntityPtr sphere() const
  {
    OdDbEntityPtr e;
    meui::buildSampleSphere(m_db, OdGeMatrix3d(), OdGePoint3d(0, 0, 0), 50.0, 50, 50, e);
    return e;
  }

  // Looking down -Z at the rectangle (x0..x1, y0..y1).
  void lookDown(double x0, double y0, double x1, double y1, bool perspective = false)
  {
    const OdGePoint3d target((x0 + x1) / 2, (y0 + y1) / 2, 0);
    view()->setView(target + OdGeVector3d(0, 0, 500), target, OdGeVector3d::kYAxis, x1 - x0, y1 - y0,
                    perspective ? OdGsView::kPerspective : OdGsView::kParallel);
  }

  const OdGiRasterImageRGBA& render(int w, int h)
  {
    m_helper->onSize(OdGsDCRect(0, w, h, 0));
    m_helper->update();
    return OdGsSoftwareDevice::cast(m_device)->image();
  }

  // The pixel under a world point.
  ODCOLORREF at(const OdGiRasterImageRGBA& image, const OdGePoint3d& world) const
  {
    const OdGePoint3d d = view()->worldToDeviceMatrix() * world;
    return image.pixelAt(OdUInt32(d.x), OdUInt32(d.y));
  }

private:
  OdDbDatabasePtr m_db = odCreateDatabase();
  OdGsSoftwareModulePtr m_module;
  OdGsDevicePtr m_device;
  OdGiContextForDbDatabasePtr m_context;
  OdGsLayoutHelperPtr m_helper;
};
} // namespace rendertest
