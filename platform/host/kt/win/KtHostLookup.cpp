// The services of a Windows binary that makes grid rows: the host's exports
// found by name at each call, as every module finds them, and a canvas that
// draws with GDI. A missing export leaves its step undone.
#include "host/KtServices.h"
#include "win32/Dc.h"
#include "win32/Handles.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace
{
// The module has its own look-up of the main library (with a fall-back by
// name); this one serves the host's row code and stays apart, so that the
// module depends on nothing of the host but its exports.
HMODULE mainLibrary()
{
  HMODULE exe = GetModuleHandleW(nullptr);
  if (auto get = reinterpret_cast<GetMainDllInstanceFn>(
        reinterpret_cast<void*>(GetProcAddress(exe, HOST_EXPORT_GET_MAIN_DLL_INSTANCE))))
    if (void* instance = get())
      return static_cast<HMODULE>(instance);
  return nullptr;
}

template <class Fn>
Fn lookUp(HMODULE library, const char* name)
{
  return library ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

template <class Fn>
Fn lookUp(const wchar_t* library, const char* name)
{
  return lookUp<Fn>(GetModuleHandleW(library), name);
}

RECT rectOf(const KtRect& r) { return {r.left, r.top, r.right, r.bottom}; }

class GdiCanvas final : public IKtCanvas
{
public:
  explicit GdiCanvas(HDC dc) : m_dc(dc) {}

  void fill(const KtRect& rect, ODCOLORREF color) override
  {
    const win::Brush brush(CreateSolidBrush(color));
    const RECT r = rectOf(rect);
    FillRect(m_dc, &r, brush.get());
  }
  void frame(const KtRect& rect, ODCOLORREF color) override
  {
    const win::Brush brush(CreateSolidBrush(color));
    const RECT r = rectOf(rect);
    FrameRect(m_dc, &r, brush.get());
  }
  void polygon(const KtPoint* points, int count, ODCOLORREF color) override
  {
    if (count < 3)
      return;
    const win::Brush brush(CreateSolidBrush(color));
    const win::Pen pen(CreatePen(PS_SOLID, 1, color));
    const win::SelectedObject useBrush(m_dc, brush.get());
    const win::SelectedObject usePen(m_dc, pen.get());
    std::vector<POINT> p;
    for (int i = 0; i < count; ++i)
      p.push_back({points[i].x, points[i].y});
    Polygon(m_dc, p.data(), count);
  }
  void text(const KtRect& rect, const CXStringW& text, ODCOLORREF color, KtAlign align) override
  {
    RECT r = rectOf(rect);
    const int oldMode = SetBkMode(m_dc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(m_dc, color);
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS |
                        (align == KtAlign::Centre ? DT_CENTER : DT_LEFT);
    DrawTextW(m_dc, text.c_str(), text.getLength(), &r, format);
    SetTextColor(m_dc, oldColor);
    SetBkMode(m_dc, oldMode);
  }
  KtHdc dc() override { return m_dc; }

private:
  HDC m_dc;
};

class HostLookupServices final : public IKtHostServices
{
public:
  CXStringW translate(const CXStringW& text) override
  {
    auto fn = lookUp<SuppTranslateFn>(L"kticore.dll", HOST_EXPORT_TRANSLATE);
    const wchar_t* translated = fn ? fn(text.c_str()) : nullptr;
    return translated ? CXStringW(translated) : text;
  }
  CXStringW realToText(double value) override
  {
    wchar_t text[512] = L"";
    auto fn = lookUp<HostDbRToSFn>(L"hostutils.dll", HOST_EXPORT_RTOS);
    if (fn && fn(value, 2, -1, text, 512))
      return CXStringW(text);
    return CXStringW::format(L"%g", value);
  }
  bool distanceToReal(const CXStringW& text, double& value) override
  {
    auto fn = lookUp<HostDbDisToFFn>(L"hostutils.dll", HOST_EXPORT_DISTOF);
    return fn && fn(text.c_str(), 2, &value);
  }
  IHostMathParser* mathParser() override
  {
    IHostApp* app = nullptr;
    if (auto getApp = lookUp<GetAppFn>(mainLibrary(), HOST_EXPORT_GET_APP))
      app = getApp();
    else if (auto create = lookUp<CreateObjectCFn>(L"kticore.dll", HOST_EXPORT_CREATE_OBJECT))
      app = static_cast<IHostApp*>(create("CLSID_APP"));
    return app ? static_cast<IHostMathParser*>(app->queryInterface("IHostMathParser")) : nullptr;
  }
  void showEvent(int code, const CXStringW& text, int param, int style) override
  {
    auto get = lookUp<GetIEventsFn>(L"events5.dll", HOST_EXPORT_EVENTS);
    if (IEvents* events = get ? get() : nullptr)
      events->showMessage(code, text.c_str(), param, style);
  }
  HostThemeService* theme() override
  {
    auto get = lookUp<GetHostFuncPtrFn>(mainLibrary(), HOST_EXPORT_GET_HOST_FUNCPTR);
    HostObjectFn object = get ? get(kHostThemeIndex) : nullptr;
    return object ? static_cast<HostThemeService*>(object()) : nullptr;
  }
  bool colorDialog(OdCmColor& color, bool flag, const OdCmColor& second, int tabs, KtHwnd parent) override
  {
    auto fn = lookUp<HostSetColorDialogTrueColorFn>(L"hostutils.dll", HOST_EXPORT_COLOR_DIALOG);
    return fn && fn(color, flag, second, tabs, parent);
  }
  std::vector<OdCmColor> customColors() override
  {
    std::vector<OdCmColor> colors(16);
    auto fn = lookUp<HostGetCustomColorsFn>(L"hostutils.dll", HOST_EXPORT_GET_CUSTOM_COLORS);
    colors.resize(fn ? std::size_t(std::max(fn(colors.data(), int(colors.size())), 0)) : 0);
    return colors;
  }
  void addCustomColor(const OdCmColor& color) override
  {
    if (auto fn = lookUp<HostAddCustomColorFn>(L"hostutils.dll", HOST_EXPORT_ADD_CUSTOM_COLOR))
      fn(color);
  }
  std::unique_ptr<IKtCanvas> openCanvas(KtHdc dc) override
  {
    return dc ? std::make_unique<GdiCanvas>(static_cast<HDC>(dc)) : nullptr;
  }
};
} // namespace

IKtHostServices& ktDefaultHostServices()
{
  static HostLookupServices services;
  return services;
}
