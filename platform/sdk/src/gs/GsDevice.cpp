#include "GsInternal.h"

#include "od/CmColor.h"

#include <array>
#include <cstring>

ODRX_DEFINE_MEMBERS(OdGsView, OdRxObject, nullptr)
ODRX_DEFINE_MEMBERS(OdGsDevice, OdRxObject, nullptr)
ODRX_DEFINE_MEMBERS(OdGsModule, OdRxModule, nullptr)
ODRX_DEFINE_MEMBERS(OdGsSoftwareModule, OdGsModule, ODRX_CONSTRUCTOR(OdGsSoftwareModule))
ODRX_DEFINE_MEMBERS(OdGsSoftwareDevice, OdGsDevice, nullptr)

const wchar_t* const OdGsSoftwareModuleName = L"OdSoftRender.txv";

namespace OdGsRender
{
struct DeviceState
{
  OdGsSoftwareModulePtr module;
  OdArray<OdGsViewPtr> views;
  OdGsDCRect output;
  std::array<ODCOLORREF, 256> palette{};
  OdUInt64 paletteStamp = 1;
  ODCOLORREF background = 0;
  OdIntPtr hwnd = 0;
  OdIntPtr hdc = 0;
  bool doubleBuffer = false;
  bool softwareHlr = false;
  bool discardBackFaces = false;
  bool antialias = true;
  OdGiContextPtr context; // held: the device may outlive its owner's reference
  OdUInt64 renderedStamp = 0;
  bool valid = false;
  OdGiRasterImageRGBAPtr image = OdGiRasterImageRGBA::createObject();
  Renderer renderer;
  OdGsUpdateReport report;
};

namespace
{
// The device's settings as named values.
class DeviceProperties : public OdRxDictionary
{
public:
  DeviceProperties(OdGsSoftwareDevice* device, DeviceState* state) : m_device(device), m_state(state) {}

  bool has(const OdString& key) const override { return find(key) >= 0; }
  OdRxObjectPtr getAt(const OdString& key) const override
  {
    const int i = find(key);
    if (i < 0)
      return OdRxObjectPtr();
    const DeviceState& s = *m_state;
    switch (i)
    {
    case 0: return OdRxVariantValue((long long)s.hwnd);
    case 1: return OdRxVariantValue((long long)s.hdc);
    case 2: return OdRxVariantValue(s.doubleBuffer);
    case 3: return OdRxVariantValue(s.softwareHlr);
    case 4: return OdRxVariantValue(s.discardBackFaces);
    default: return OdRxVariantValue(s.antialias);
    }
  }
  OdRxObjectPtr putAt(const OdString& key, OdRxObject* value) override
  {
    const int i = find(key);
    if (i < 0)
      throw OdError(eKeyNotFound, OdString::format(L"The device has no property '%s'", key));
    OdRxVariantPtr variant = OdRxVariant::cast(value);
    if (variant.isNull() || variant->varType() == OdRxVariant::Type::kString || variant->varType() == OdRxVariant::Type::kVoid)
      throw OdError(eInvalidInput, OdString::format(L"Property '%s' takes a number or a bool", key));
    OdRxObjectPtr previous = getAt(key);
    DeviceState& s = *m_state;
    switch (i)
    {
    case 0: s.hwnd = variant->getIntPtr(); break;
    case 1: s.hdc = variant->getIntPtr(); break;
    case 2: s.doubleBuffer = variant->getBool(); break;
    case 3: s.softwareHlr = variant->getBool(); break;
    case 4: m_device->setDiscardBackFaces(variant->getBool()); break;
    default: m_device->setAntialiasing(variant->getBool()); break;
    }
    return previous;
  }
  OdUInt32 numEntries() const override { return OdUInt32(kNames.size()); }
  OdString keyAt(OdUInt32 index) const override
  {
    if (index >= kNames.size())
      throw OdError_InvalidIndex();
    return kNames[index];
  }

private:
  static constexpr std::array<const wchar_t*, 6> kNames = {L"WindowHWND", L"WindowHDC", L"DoubleBufferEnabled",
                                                           L"EnableSoftwareHLR", L"DiscardBackFaces", L"Antialiasing"};
  int find(const OdString& key) const
  {
    for (std::size_t i = 0; i < kNames.size(); ++i)
      if (key.iCompare(kNames[i]) == 0)
        return int(i);
    return -1;
  }

  OdGsSoftwareDevicePtr m_device; // keeps the device (and its state) alive while held
  DeviceState* m_state;
};

constexpr std::array<const wchar_t*, 6> DeviceProperties::kNames;

SoftwareView* softwareView(OdGsView* view) { return static_cast<SoftwareView*>(view); }
} // namespace
} // namespace OdGsRender

using namespace OdGsRender;

OdGsSoftwareModule::OdGsSoftwareModule() : m_cache(new TextureCache(&odgsDefaultImageLoader)) {}

OdGsSoftwareModule::~OdGsSoftwareModule() = default;

OdGsDevicePtr OdGsSoftwareModule::createDevice() { return OdGsDevicePtr(new OdGsSoftwareDevice(this)); }

void OdGsSoftwareModule::setImageLoader(OdGsImageLoader loader) { m_cache->setLoader(loader ? loader : &odgsDefaultImageLoader); }
OdGsImageLoader OdGsSoftwareModule::imageLoader() const { return m_cache->loader(); }
void OdGsSoftwareModule::setTextureCacheLimit(std::size_t bytes) { m_cache->setLimit(bytes); }
std::size_t OdGsSoftwareModule::textureCacheLimit() const { return m_cache->limit(); }
std::size_t OdGsSoftwareModule::textureCacheBytes() const { return m_cache->bytes(); }
OdUInt64 OdGsSoftwareModule::textureDecodeCount() const { return m_cache->decodeCount(); }
void OdGsSoftwareModule::clearTextureCache() { m_cache->clear(); }

OdGsSoftwareDevice::OdGsSoftwareDevice(const OdGsSoftwareModule* module) : m_state(new DeviceState)
{
  m_state->module = module;
  const ODCOLORREF* palette = odcmAcadPalette();
  std::copy(palette, palette + 256, m_state->palette.begin());
}

OdGsSoftwareDevice::~OdGsSoftwareDevice()
{
  for (OdGsViewPtr& view : m_state->views)
    softwareView(view.get())->detachDevice();
}

OdRxDictionaryPtr OdGsSoftwareDevice::properties() { return OdRxDictionaryPtr(new DeviceProperties(this, m_state.get())); }

OdGsViewPtr OdGsSoftwareDevice::createView() { return OdGsViewPtr(new SoftwareView(this)); }

void OdGsSoftwareDevice::addView(OdGsView* view)
{
  if (!view || view->device() != this)
    throw OdError(eInvalidInput, L"A device takes only views it made");
  for (const OdGsViewPtr& existing : m_state->views)
    if (existing.get() == view)
      return;
  m_state->views.append(OdGsViewPtr(view));
  m_state->valid = false;
}

bool OdGsSoftwareDevice::eraseView(OdGsView* view)
{
  for (OdUInt32 i = 0; i < m_state->views.size(); ++i)
    if (m_state->views[i].get() == view)
    {
      m_state->views.removeAt(i);
      m_state->valid = false;
      return true;
    }
  return false;
}

void OdGsSoftwareDevice::eraseAllViews()
{
  m_state->views.clear();
  m_state->valid = false;
}

int OdGsSoftwareDevice::numViews() const { return int(m_state->views.size()); }

OdGsView* OdGsSoftwareDevice::viewAt(int index) const
{
  if (index < 0)
    throw OdError_InvalidIndex();
  return m_state->views[OdUInt32(index)].get();
}

void OdGsSoftwareDevice::onSize(const OdGsDCRect& outputRect)
{
  m_state->output = outputRect;
  m_state->valid = false;
}

OdGsDCRect OdGsSoftwareDevice::outputRect() const { return m_state->output; }

void OdGsSoftwareDevice::update(OdGsDCRect*)
{
  DeviceState& s = *m_state;
  // FIXME: a device larger than 16384 pixels a side is refused (drawn empty)
  // rather than risking an allocation the machine cannot make.
  const long w = s.output.width(), h = s.output.height();
  const bool sane = w > 0 && h > 0 && w <= 16384 && h <= 16384;
  s.image->resize(sane ? OdUInt32(w) : 0, sane ? OdUInt32(h) : 0, s.background);
  s.report = OdGsUpdateReport();
  if (sane)
  {
    SceneSource source;
    source.palette = s.palette.data();
    source.textures = &s.module->textureCache();
    RenderOptions options;
    options.discardBackFaces = s.discardBackFaces;
    options.antialias = s.antialias;
    options.background = s.background;
    for (OdGsViewPtr& viewPtr : s.views)
    {
      SoftwareView* view = softwareView(viewPtr.get());
      const Scene& scene = view->scene(source, s.context.get(), s.paletteStamp);
      const ViewSetup setup = view->setup();
      options.flatShading = view->flatShading();
      s.report.numTriangles += s.renderer.render(scene, setup, options, *s.image);
      s.report.numTextureFailures += scene.textureFailures;
      s.report.messages.append(scene.messages);
      if (view->isViewportBorderVisible())
      {
        // A one-pixel frame just inside the viewport, in the foreground colour.
        const int x0 = std::max(setup.left, 0), y0 = std::max(setup.top, 0);
        const int x1 = std::min(setup.right, int(w)) - 1, y1 = std::min(setup.bottom, int(h)) - 1;
        if (x0 <= x1 && y0 <= y1)
        {
          const ODCOLORREF frame = s.palette[7];
          for (int x = x0; x <= x1; ++x)
          {
            s.image->setPixelAt(OdUInt32(x), OdUInt32(y0), frame);
            s.image->setPixelAt(OdUInt32(x), OdUInt32(y1), frame);
          }
          for (int y = y0; y <= y1; ++y)
          {
            s.image->setPixelAt(OdUInt32(x0), OdUInt32(y), frame);
            s.image->setPixelAt(OdUInt32(x1), OdUInt32(y), frame);
          }
        }
      }
      view->markValid();
    }
  }
  s.renderedStamp = s.context ? s.context->changeCount() : 0;
  s.valid = true;
  present();
}

void OdGsSoftwareDevice::invalidate() { m_state->valid = false; }

bool OdGsSoftwareDevice::isValid() const
{
  const DeviceState& s = *m_state;
  if (!s.valid || (s.context && s.context->changeCount() != s.renderedStamp))
    return false;
  for (const OdGsViewPtr& view : s.views)
    if (!view->isValid())
      return false;
  return true;
}

void OdGsSoftwareDevice::setLogicalPalette(const ODCOLORREF* palette, int numColors)
{
  if (!palette || numColors <= 0)
    return;
  std::copy(palette, palette + std::min(numColors, 256), m_state->palette.begin());
  ++m_state->paletteStamp;
  m_state->valid = false;
}

const ODCOLORREF* OdGsSoftwareDevice::getLogicalPalette(int& numColors) const
{
  numColors = 256;
  return m_state->palette.data();
}

bool OdGsSoftwareDevice::setBackgroundColor(ODCOLORREF color)
{
  m_state->background = color & 0x00FFFFFF;
  m_state->valid = false;
  return true;
}

ODCOLORREF OdGsSoftwareDevice::getBackgroundColor() const { return m_state->background; }

void OdGsSoftwareDevice::getSnapShot(OdGiRasterImagePtr& image, const OdGsDCRect& region)
{
  if (!isValid())
    update();
  const OdGiRasterImageRGBA& src = *m_state->image;
  const long x0 = std::max(region.left(), 0L), y0 = std::max(region.top(), 0L);
  const long x1 = std::min(region.left() + region.width(), long(src.pixelWidth()));
  const long y1 = std::min(region.top() + region.height(), long(src.pixelHeight()));
  OdGiRasterImageRGBAPtr out = OdGiRasterImageRGBA::createObject();
  if (x1 > x0 && y1 > y0)
  {
    out->resize(OdUInt32(x1 - x0), OdUInt32(y1 - y0));
    for (long y = y0; y < y1; ++y)
      std::copy(src.data() + (std::size_t(y) * src.pixelWidth() + std::size_t(x0)) * 4,
                src.data() + (std::size_t(y) * src.pixelWidth() + std::size_t(x1)) * 4,
                out->data() + std::size_t(y - y0) * std::size_t(x1 - x0) * 4);
  }
  image = OdGiRasterImagePtr(out.get());
}

const OdGsUpdateReport& OdGsSoftwareDevice::lastUpdateReport() const { return m_state->report; }

void OdGsSoftwareDevice::setUserGiContext(OdGiContext* context)
{
  m_state->context = context;
  m_state->valid = false;
}

OdGiContext* OdGsSoftwareDevice::userGiContext() const { return m_state->context.get(); }
const OdGiRasterImageRGBA& OdGsSoftwareDevice::image() const { return *m_state->image; }
OdIntPtr OdGsSoftwareDevice::windowHandle() const { return m_state->hwnd; }
OdIntPtr OdGsSoftwareDevice::windowDC() const { return m_state->hdc; }
bool OdGsSoftwareDevice::discardBackFaces() const { return m_state->discardBackFaces; }

void OdGsSoftwareDevice::setDiscardBackFaces(bool discard)
{
  m_state->discardBackFaces = discard;
  m_state->valid = false;
}

bool OdGsSoftwareDevice::antialiasing() const { return m_state->antialias; }

void OdGsSoftwareDevice::setAntialiasing(bool on)
{
  m_state->antialias = on;
  m_state->valid = false;
}

const char* OdGsSoftwareDevice::vectorPath() const { return vectorPathName(m_state->renderer.path()); }

bool OdGsSoftwareDevice::setVectorPath(const char* name)
{
  for (VectorPath path : {VectorPath::Sse2, VectorPath::Avx2})
    if (name && std::strcmp(name, vectorPathName(path)) == 0 && canRun(path))
    {
      m_state->renderer = Renderer(path);
      m_state->valid = false;
      return true;
    }
  return false;
}
