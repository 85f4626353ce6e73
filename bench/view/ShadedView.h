// The shaded view of a drawing's model space as the host shows it: a
// 1,000 x 700 software device, smooth shaded, zoomed to the model's extents,
// keeping its scene between updates. Shared by the native benchmark and the
// timer that runs under Wine.
#pragma once

#include "BigDrawing.h"

#include "od/DbGsManager.h"
#include "od/GiContext.h"
#include "od/GsSoftware.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

namespace viewbench
{
constexpr int kWidth = 1000;
constexpr int kHeight = 700;
constexpr ODCOLORREF kBackground = ODRGB(33, 40, 48);

enum class Direction
{
  Plan,      // looking down Z, as a new view starts
  Isometric, // from the south-east, above
};

[[noreturn]] inline void fail(const char* what)
{
  std::fprintf(stderr, "benchmark check failed: %s\n", what);
  std::abort();
}

class ShadedView
{
public:
  ShadedView(OdDbDatabase* db, Direction direction) : m_db(db)
  {
    m_module = OdGsSoftwareModule::createObject();
    m_context = OdGiContextForDbDatabase::createObject();
    m_context->setDatabase(db);
    m_context->enableGsModel(true);
    m_helper = OdDbGsManager::setupActiveLayoutViews(m_module->createDevice(), m_context);
    m_helper->setBackgroundColor(kBackground);
    view()->setViewportBorderVisibility(false);
    view()->setMode(OdDb::kGouraudShaded);
    if (direction == Direction::Isometric)
      view()->setView(OdGePoint3d(1, -1, 1), OdGePoint3d(0, 0, 0), OdGeVector3d::kZAxis, 1, 1);
    OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject();
    view()->zoomExtentsWorld(model->geomExtents());
    m_helper->onSize(OdGsDCRect(0, kWidth, kHeight, 0));
  }

  OdGsView* view() const { return m_helper->activeView(); }
  OdGsDevice* device() const { return m_helper.get(); }

  void update() { m_helper->update(); }

  // A full redraw: the view moves a hair (in and out by turns), so nothing
  // of the last frame's visibility can be kept, only the scene.
  void redraw()
  {
    view()->zoom(m_in ? 1.0001 : 1.0 / 1.0001);
    m_in = !m_in;
    m_helper->invalidate();
    m_helper->update();
  }

  // One material's diffuse colour changed, as the Material editor does.
  void changeMaterial(int index)
  {
    OdDbDictionaryPtr dictionary = m_db->getMaterialDictionaryId().safeOpenObject();
    OdDbMaterialPtr material = dictionary->getAt(OdString::format(L"Material %d", index % bigdrawing::kMaterials))
                                 .safeOpenObject(OdDb::kForWrite);
    MaterialColor color;
    color.setMethod(MaterialColor::kOverride);
    color.setColor(OdCmEntityColor(OdUInt8(m_changes * 40), 200, OdUInt8(255 - m_changes * 40)));
    ++m_changes;
    material->setDiffuse(color, MaterialMap());
  }

  // Pixels that are not background: a picture of the model, not of nothing.
  double drawnFraction() const
  {
    const OdGiRasterImageRGBA& image = OdGsSoftwareDevice::cast(m_helper->underlyingDevice())->image();
    std::size_t drawn = 0;
    for (OdUInt32 y = 0; y < image.pixelHeight(); ++y)
      for (OdUInt32 x = 0; x < image.pixelWidth(); ++x)
        drawn += image.pixelAt(x, y) != kBackground ? 1 : 0;
    return double(drawn) / (double(image.pixelWidth()) * image.pixelHeight());
  }

  void check(double atLeast) const
  {
    if (drawnFraction() < atLeast)
      fail("the model shows in the view");
  }

private:
  OdDbDatabase* m_db;
  OdGsSoftwareModulePtr m_module;
  OdGiContextForDbDatabasePtr m_context;
  OdGsLayoutHelperPtr m_helper;
  bool m_in = true;
  int m_changes = 0;
};

// The drawing, built once.
inline OdDbDatabase* drawing()
{
  static const OdDbDatabasePtr db = bigdrawing::cubes();
  return db.get();
}

// Seen whole from above the grid is a band of a seventh of the picture, its
// cubes half a pixel wide, a pixel apart: about half its pixels show one.
constexpr double kModelFraction = 0.05;

// The process's CPU time in milliseconds: on a shared machine the wall clock
// also counts the other programs' turns.
inline double cpuMilliseconds()
{
#ifdef _WIN32
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& t) { return double((OdUInt64(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4; };
  return ms(kernel) + ms(user);
#else
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
#endif
}
} // namespace viewbench
