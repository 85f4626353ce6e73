#include "od/DbGsManager.h"

#include "od/DbDatabase.h"
#include "od/DbSymbolTable.h"
#include "od/GiContext.h"

ODRX_DEFINE_MEMBERS(OdGsLayoutHelper, OdGsDevice, nullptr)

namespace
{
// Passes every device operation to the device it was made over.
class LayoutHelper : public OdGsLayoutHelper
{
public:
  LayoutHelper(OdGsDevice* device, OdGsView* view) : m_device(device), m_view(view) {}

  OdGsView* activeView() const override { return m_view.get(); }
  OdGsDevice* underlyingDevice() const override { return m_device.get(); }

  OdRxDictionaryPtr properties() override { return m_device->properties(); }
  OdGsViewPtr createView() override { return m_device->createView(); }
  void addView(OdGsView* view) override { m_device->addView(view); }
  bool eraseView(OdGsView* view) override
  {
    if (view == m_view.get())
      m_view = nullptr;
    return m_device->eraseView(view);
  }
  void eraseAllViews() override
  {
    m_view = nullptr;
    m_device->eraseAllViews();
  }
  int numViews() const override { return m_device->numViews(); }
  OdGsView* viewAt(int index) const override { return m_device->viewAt(index); }
  void onSize(const OdGsDCRect& rect) override { m_device->onSize(rect); }
  OdGsDCRect outputRect() const override { return m_device->outputRect(); }
  void update(OdGsDCRect* rect = nullptr) override { m_device->update(rect); }
  void invalidate() override { m_device->invalidate(); }
  bool isValid() const override { return m_device->isValid(); }
  void setLogicalPalette(const ODCOLORREF* palette, int n) override { m_device->setLogicalPalette(palette, n); }
  const ODCOLORREF* getLogicalPalette(int& n) const override { return m_device->getLogicalPalette(n); }
  bool setBackgroundColor(ODCOLORREF color) override { return m_device->setBackgroundColor(color); }
  ODCOLORREF getBackgroundColor() const override { return m_device->getBackgroundColor(); }
  void getSnapShot(OdGiRasterImagePtr& image, const OdGsDCRect& region) override { m_device->getSnapShot(image, region); }
  const OdGsUpdateReport& lastUpdateReport() const override { return m_device->lastUpdateReport(); }
  void setUserGiContext(OdGiContext* context) override { m_device->setUserGiContext(context); }
  OdGiContext* userGiContext() const override { return m_device->userGiContext(); }

private:
  OdGsDevicePtr m_device;
  OdGsViewPtr m_view;
};
} // namespace

OdGsLayoutHelperPtr OdDbGsManager::setupActiveLayoutViews(OdGsDevice* device, OdGiContextForDbDatabase* context)
{
  if (!device)
    throw OdError(eNullPtr, L"No device to set up");
  OdDbDatabase* db = context ? context->database() : nullptr;
  if (!db)
    throw OdError(eNoDatabase, L"The drawing context has no database");
  const OdDbObjectId modelSpace = db->getModelSpaceId();
  OdDbBlockTableRecordPtr record = OdDbBlockTableRecord::cast(modelSpace.openObject(OdDb::kForRead));
  if (record.isNull())
    throw OdError(eNoDatabase, L"The database has no model space");

  device->eraseAllViews();
  device->setUserGiContext(context);
  OdGsViewPtr view = device->createView();
  view->add(modelSpace);
  view->setMode(db->activeViewportRenderMode());
  device->addView(view);

  // Plan view of the model: looking down Z at its extents.
  OdGeExtents3d extents = record->geomExtents();
  if (!extents.isValidExtents())
    extents.set(OdGePoint3d(0, 0, 0), OdGePoint3d(1, 1, 1));
  const OdGePoint3d centre = extents.center();
  const double depth = std::max(1.0, extents.minPoint().distanceTo(extents.maxPoint()));
  view->setView(centre + OdGeVector3d::kZAxis * depth, centre, OdGeVector3d::kYAxis, 1.0, 1.0, OdGsView::kParallel);
  view->zoomExtentsWorld(extents, 1.0);
  return OdGsLayoutHelperPtr(new LayoutHelper(device, view));
}
