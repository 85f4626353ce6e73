// The software renderer behind the graphics system: portable, it draws into
// an RGBA picture. Window code presents that picture: a device subclass
// overrides present() and copies image() into the window or device context
// it was given through the "WindowHWND" / "WindowHDC" properties.
//
//   OdGsSoftwareModule  makes software devices; owns the texture cache and
//                       the image decoder they share
//   OdGsSoftwareDevice  draws model space shaded with each entity's material
#pragma once

#include "od/GiImageFile.h"
#include "od/Gs.h"

#include <memory>

// The name the software renderer is registered under in odrxDynamicLinker().
extern const wchar_t* const OdGsSoftwareModuleName;

// Decodes one image file; false with a short reason when it cannot.
using OdGsImageLoader = bool (*)(const OdString& path, OdGsDecodedImage& image, OdString& reason);
// Loads through odgiLoadImageFile (od/GiImageFile.h): PNG, JPEG, BMP, TIFF.
bool odgsDefaultImageLoader(const OdString& path, OdGsDecodedImage& image, OdString& reason);

namespace OdGsRender
{
class TextureCache;
struct DeviceState;
} // namespace OdGsRender

class OdGsSoftwareModule : public OdGsModule
{
  ODRX_DECLARE_MEMBERS(OdGsSoftwareModule);
  OdGsSoftwareModule();
  ~OdGsSoftwareModule() override;

  OdGsDevicePtr createDevice() override;

  // Null restores the built-in decoder. Clears the texture cache.
  void setImageLoader(OdGsImageLoader loader);
  OdGsImageLoader imageLoader() const;

  // Decoded textures are kept per file (path, size and modification time),
  // least recently used first out when the limit is passed.
  void setTextureCacheLimit(std::size_t bytes);
  std::size_t textureCacheLimit() const;
  std::size_t textureCacheBytes() const;
  // Files decoded so far (a cache hit decodes nothing).
  OdUInt64 textureDecodeCount() const;
  void clearTextureCache();

  OdGsRender::TextureCache& textureCache() const { return *m_cache; }

private:
  std::unique_ptr<OdGsRender::TextureCache> m_cache;
};
using OdGsSoftwareModulePtr = OdSmartPtr<OdGsSoftwareModule>;

class OdGsSoftwareDevice : public OdGsDevice
{
  ODRX_DECLARE_MEMBERS(OdGsSoftwareDevice);
  ~OdGsSoftwareDevice() override;

  // Properties: "WindowHWND", "WindowHDC" (integers, kept for presenting),
  // "DoubleBufferEnabled", "EnableSoftwareHLR", "DiscardBackFaces" (bools),
  // "Antialiasing" (bool, on by default: four samples a pixel).
  OdRxDictionaryPtr properties() override;

  OdGsViewPtr createView() override;
  void addView(OdGsView* view) override;
  bool eraseView(OdGsView* view) override;
  void eraseAllViews() override;
  int numViews() const override;
  OdGsView* viewAt(int index) const override;

  void onSize(const OdGsDCRect& outputRect) override;
  OdGsDCRect outputRect() const override;
  void update(OdGsDCRect* updatedRect = nullptr) override;
  void invalidate() override;
  bool isValid() const override;

  void setLogicalPalette(const ODCOLORREF* palette, int numColors) override;
  const ODCOLORREF* getLogicalPalette(int& numColors) const override;
  bool setBackgroundColor(ODCOLORREF color) override;
  ODCOLORREF getBackgroundColor() const override;
  void getSnapShot(OdGiRasterImagePtr& image, const OdGsDCRect& region) override;
  const OdGsUpdateReport& lastUpdateReport() const override;
  void setUserGiContext(OdGiContext* context) override;
  OdGiContext* userGiContext() const override;

  // The picture of the last update.
  const OdGiRasterImageRGBA& image() const;
  OdIntPtr windowHandle() const;
  OdIntPtr windowDC() const;
  bool discardBackFaces() const;
  void setDiscardBackFaces(bool discard);
  bool antialiasing() const;
  void setAntialiasing(bool on);
  // The vector instructions the renderer runs on: "AVX2" (with FMA) where
  // the processor has them, else "SSE2". setVectorPath() picks one by name
  // (to compare them); false, and no change, for one it cannot run.
  const char* vectorPath() const;
  bool setVectorPath(const char* name);

protected:
  explicit OdGsSoftwareDevice(const OdGsSoftwareModule* module);
  // Called at the end of update(); the portable device shows nothing.
  virtual void present() {}

private:
  friend class OdGsSoftwareModule;
  std::unique_ptr<OdGsRender::DeviceState> m_state;
};
using OdGsSoftwareDevicePtr = OdSmartPtr<OdGsSoftwareDevice>;
