// The graphics system: modules make devices, devices hold views and draw
// them into an image.
//
//   OdGsDCPoint, OdGsDCRect  device (pixel) coordinates, y down
//   OdGiRasterImage          a picture: the base of snapshots
//   OdGiRasterImageRGBA      a picture held as 8-bit RGBA rows, top row first
//   OdGsView                 a camera over some drawables, in a part of the device
//   OdGsDevice               a drawing surface with views, a palette, a
//                            background colour and a property dictionary
//   OdGsModule               makes devices; loaded by name (od/RxModule.h)
#pragma once

#include "od/DbObjectId.h"
#include "od/Ge.h"
#include "od/RxModule.h"
#include "od/RxVariant.h"

#include <vector>

class OdGsDevice;
class OdGiContext;

struct OdGsDCPoint
{
  long x = 0;
  long y = 0;
  OdGsDCPoint() = default;
  OdGsDCPoint(long xx, long yy) : x(xx), y(yy) {}
};

// A device rectangle. Window code often passes it bottom-up (min.y below
// max.y on screen); width and height do not depend on the order.
class OdGsDCRect
{
public:
  OdGsDCPoint m_min;
  OdGsDCPoint m_max;

  OdGsDCRect() = default;
  OdGsDCRect(long xMin, long xMax, long yMin, long yMax) : m_min(xMin, yMin), m_max(xMax, yMax) {}
  long width() const { return m_max.x > m_min.x ? m_max.x - m_min.x : m_min.x - m_max.x; }
  long height() const { return m_max.y > m_min.y ? m_max.y - m_min.y : m_min.y - m_max.y; }
  long left() const { return m_min.x < m_max.x ? m_min.x : m_max.x; }
  long top() const { return m_min.y < m_max.y ? m_min.y : m_max.y; }
  bool isNull() const { return width() == 0 || height() == 0; }
};

class OdGiRasterImage : public OdRxObject
{
  ODRX_DECLARE_MEMBERS(OdGiRasterImage);
  virtual OdUInt32 pixelWidth() const = 0;
  virtual OdUInt32 pixelHeight() const = 0;
  // Screen colour (0x00BBGGRR) of a pixel; row 0 is the top row. Outside the
  // picture: eInvalidIndex.
  virtual ODCOLORREF pixelAt(OdUInt32 x, OdUInt32 y) const = 0;

protected:
  OdGiRasterImage() = default;
};
using OdGiRasterImagePtr = OdSmartPtr<OdGiRasterImage>;

class OdGiRasterImageRGBA : public OdGiRasterImage
{
  ODRX_DECLARE_MEMBERS(OdGiRasterImageRGBA);
  OdGiRasterImageRGBA() = default;

  // Every pixel the colour (opaque); a size of 0 gives an empty picture.
  void resize(OdUInt32 width, OdUInt32 height, ODCOLORREF fill = 0);
  OdUInt32 pixelWidth() const override { return m_width; }
  OdUInt32 pixelHeight() const override { return m_height; }
  ODCOLORREF pixelAt(OdUInt32 x, OdUInt32 y) const override;
  void setPixelAt(OdUInt32 x, OdUInt32 y, ODCOLORREF color);
  // Four bytes R, G, B, A per pixel, rows top first, no padding.
  const OdUInt8* data() const { return m_pixels.data(); }
  OdUInt8* data() { return m_pixels.data(); }
  std::size_t sizeInBytes() const { return m_pixels.size(); }
  void copyFrom(const OdRxObject* source) override;

private:
  OdUInt32 m_width = 0;
  OdUInt32 m_height = 0;
  std::vector<OdUInt8> m_pixels;
};
using OdGiRasterImageRGBAPtr = OdSmartPtr<OdGiRasterImageRGBA>;

// Coordinate systems of a view:
//   world    drawing coordinates;
//   eye      drawing units, origin at the target, x right, y up, z toward the
//            camera (the viewing matrix is a rigid motion);
//   device   pixels of the device, x right, y down, z 0 on the target plane
//            and growing toward the camera.
class OdGsView : public OdRxObject
{
  ODRX_DECLARE_MEMBERS(OdGsView);
  enum Projection
  {
    kParallel = 0,
    kPerspective = 1,
  };
  // The modes of a viewport (od/DbObjectId.h). The software renderer shades
  // in every mode: the flat modes with one normal per face, so that the
  // facets show, the others smoothly. FIXME: no mode draws edges or wires yet.
  using RenderMode = OdDb::RenderMode;

  virtual OdGsDevice* device() const = 0;

  // The part of the device the view covers, in fractions of the device
  // (0,0 lower left, 1,1 upper right).
  virtual void setViewport(const OdGePoint2d& lowerLeft, const OdGePoint2d& upperRight) = 0;
  virtual void getViewport(OdGePoint2d& lowerLeft, OdGePoint2d& upperRight) const = 0;
  // The viewport rectangle in device pixels (y down).
  virtual OdGsDCRect viewportRect() const = 0;
  virtual void setViewportBorderVisibility(bool visible) = 0;
  virtual bool isViewportBorderVisible() const = 0;

  // A mode outside RenderMode throws eInvalidInput and leaves the view as it was.
  virtual void setMode(RenderMode mode) = 0;
  virtual RenderMode mode() const = 0;

  // The camera. The field is the size of the visible area on the target
  // plane, in drawing units; it is fitted into the viewport keeping its
  // aspect. A zero-length view direction, an up vector along it or a field
  // that is not positive throws eInvalidInput and leaves the view as it was.
  virtual void setView(const OdGePoint3d& position, const OdGePoint3d& target, const OdGeVector3d& upVector,
                       double fieldWidth, double fieldHeight, Projection projection = kParallel) = 0;
  virtual OdGePoint3d position() const = 0;
  virtual OdGePoint3d target() const = 0;
  // Unit, perpendicular to the view direction.
  virtual OdGeVector3d upVector() const = 0;
  virtual double fieldWidth() const = 0;
  virtual double fieldHeight() const = 0;
  virtual bool isPerspective() const = 0;

  // Divides the field by the factor: above 1 zooms in, below 1 out. A factor
  // that is not positive is ignored.
  virtual void zoom(double factor) = 0;
  // Centres the view on a box given in eye coordinates and sets the field to
  // the box's width and height times the margin. The camera keeps its
  // direction; a perspective camera keeps its distance unless the box would
  // reach behind it, in which case it backs off. An invalid box is ignored.
  virtual void zoomExtents(const OdGePoint3d& minEye, const OdGePoint3d& maxEye, double margin = 1.0) = 0;
  // The same for a box in world coordinates.
  virtual void zoomExtentsWorld(const OdGeExtents3d& worldBox, double margin = 1.0) = 0;

  // World to eye.
  virtual OdGeMatrix3d viewingMatrix() const = 0;
  // World to device (projective for a perspective view).
  virtual OdGeMatrix3d worldToDeviceMatrix() const = 0;

  // What the view shows: block records (their entities) or single entities.
  virtual void add(const OdDbObjectId& drawable) = 0;
  virtual bool erase(const OdDbObjectId& drawable) = 0;
  virtual void eraseAll() = 0;
  virtual OdDbObjectIdArray drawables() const = 0;

  virtual void invalidate() = 0;
  virtual bool isValid() const = 0;

protected:
  OdGsView() = default;
};
using OdGsViewPtr = OdSmartPtr<OdGsView>;

// What the last update met: counts, and failures that did not stop it (a
// texture file that is missing or cannot be decoded: the surface then shows
// its base colour).
struct OdGsUpdateReport
{
  OdUInt32 numTriangles = 0;
  OdUInt32 numTextureFailures = 0;
  OdArray<OdString> messages;
};

class OdGsDevice : public OdRxObject
{
  ODRX_DECLARE_MEMBERS(OdGsDevice);
  // Named properties; see the device class for the names it offers.
  virtual OdRxDictionaryPtr properties() = 0;

  virtual OdGsViewPtr createView() = 0;
  virtual void addView(OdGsView* view) = 0;
  virtual bool eraseView(OdGsView* view) = 0;
  virtual void eraseAllViews() = 0;
  virtual int numViews() const = 0;
  virtual OdGsView* viewAt(int index) const = 0;

  // The device's size in pixels. A null rectangle gives an empty picture.
  virtual void onSize(const OdGsDCRect& outputRect) = 0;
  virtual OdGsDCRect outputRect() const = 0;
  // Draws every view into the picture and presents it.
  virtual void update(OdGsDCRect* updatedRect = nullptr) = 0;
  virtual void invalidate() = 0;
  virtual bool isValid() const = 0;

  // Index colours of entities come from this palette (screen colours);
  // fewer than 256 entries, or none, leave the rest as they were.
  virtual void setLogicalPalette(const ODCOLORREF* palette, int numColors) = 0;
  virtual const ODCOLORREF* getLogicalPalette(int& numColors) const = 0;
  virtual bool setBackgroundColor(ODCOLORREF color) = 0;
  virtual ODCOLORREF getBackgroundColor() const = 0;

  // A copy of a part of the picture (brought up to date first). The region
  // is clipped to the device; a region outside it gives an empty picture.
  virtual void getSnapShot(OdGiRasterImagePtr& image, const OdGsDCRect& region) = 0;

  virtual const OdGsUpdateReport& lastUpdateReport() const = 0;

  // The drawing context the views are drawn with (not owned; may be null).
  virtual void setUserGiContext(OdGiContext* context) = 0;
  virtual OdGiContext* userGiContext() const = 0;

protected:
  OdGsDevice() = default;
};
using OdGsDevicePtr = OdSmartPtr<OdGsDevice>;

class OdGsModule : public OdRxModule
{
  ODRX_DECLARE_MEMBERS(OdGsModule);
  virtual OdGsDevicePtr createDevice() = 0;

protected:
  OdGsModule() = default;
};
using OdGsModulePtr = OdSmartPtr<OdGsModule>;
