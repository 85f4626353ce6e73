// The graphics objects that show one database: a graphics module found by
// name, a device with its properties, a drawing context bound to the
// database, and the layout helper with its active view.
//
// Portable: the window viewer (MeGsViewer) builds on it, and on its own it
// renders a preview without any window, for thumbnails and tests.
#pragma once

#include "MePreviewView.h"

#include "od/DbGsManager.h"
#include "od/GiContext.h"

#include <utility>
#include <vector>

class OdDbDatabase;

namespace meui
{
class MeGsPreview : public MePreviewView
{
public:
  // Named device properties, each set only when the device offers it.
  using Properties = std::vector<std::pair<OdString, OdRxObjectPtr>>;

  struct Setup
  {
    OdString moduleName; // used when loaded, else loaded
    Properties properties;
    ODCOLORREF background = ODRGB(255, 255, 255); // also palette entry 0
  };

  MeGsPreview() = default;
  ~MeGsPreview();
  MeGsPreview(const MeGsPreview&) = delete;
  MeGsPreview& operator=(const MeGsPreview&) = delete;

  // Builds the objects for the database, replacing earlier ones. False, with
  // nothing changed, for a null database or a name that loads no module. A
  // module that is no graphics module raises the SDK's wrong-class error,
  // also with nothing changed.
  bool attach(OdDbDatabase* database, const Setup& setup);
  bool isAttached() const { return !m_helper.isNull(); }

  OdGsLayoutHelper* helper() const { return m_helper.get(); }
  OdGsView* view() const { return m_helper.isNull() ? nullptr : m_helper->activeView(); }
  // The device the module made (the helper wraps it).
  OdGsDevice* device() const { return m_device.get(); }
  OdGiContextForDbDatabase* context() const { return m_context.get(); }

  // False (ignored) when not attached or smaller than 1 x 1 pixel.
  bool resize(long width, long height);
  // Draws every view and presents the picture; false when not attached.
  bool update();
  void setBackground(ODCOLORREF color);
  // Sizes the device, draws and hands out a copy of the picture; null when
  // nothing is attached or the size is below 1 x 1.
  OdGiRasterImagePtr render(long width, long height);

  // Releasing, in the order a window takes it apart: the views and the
  // helper, then the drawing context, then the device.
  void releaseViews();
  void releaseContext();
  void releaseDevice();
  void release();

  // MePreviewView
  OdGsView* previewView() override { return view(); }
  void previewChanged() override;

  // The standard palette for the background: entry 0 is the background.
  static std::vector<ODCOLORREF> palette(ODCOLORREF background);

private:
  OdGsModulePtr m_module;
  OdGsDevicePtr m_device;
  OdGiContextForDbDatabasePtr m_context;
  OdGsLayoutHelperPtr m_helper;
};
} // namespace meui
