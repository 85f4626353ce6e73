// Views of a database's layout on a device.
//
//   OdGsLayoutHelper  a device that shows one layout: it wraps the device it
//                     was made over and keeps the layout's active view
//   OdDbGsManager     makes the helper for the active layout
#pragma once

#include "od/Gs.h"

class OdGiContextForDbDatabase;

class OdGsLayoutHelper : public OdGsDevice
{
  ODRX_DECLARE_MEMBERS(OdGsLayoutHelper);
  virtual OdGsView* activeView() const = 0;
  virtual OdGsDevice* underlyingDevice() const = 0;

protected:
  OdGsLayoutHelper() = default;
};
using OdGsLayoutHelperPtr = OdSmartPtr<OdGsLayoutHelper>;

class OdDbGsManager
{
public:
  // Sets the device up to show the model space of the context's database:
  // the device's views are replaced by one view over model space, the
  // context becomes the device's drawing context, and the view looks down
  // the world Z axis at the model's extents (the whole device, border shown,
  // parallel projection) in the render mode of the database's active
  // viewport. A null device, a context without a database or a
  // database without model space throws (eNullPtr, eNoDatabase).
  static OdGsLayoutHelperPtr setupActiveLayoutViews(OdGsDevice* device, OdGiContextForDbDatabase* context);
};
