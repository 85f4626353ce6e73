#include "MeGsViewer.h"

#include "MeGsWindowDevice.h"

#include "core/MeHost.h"
#include "framework/ModuleState.h"

#include <windowsx.h>

namespace meui
{
namespace
{
constexpr WORD kDragCursorId = 104;

UINT themeChangedMessage()
{
  static const UINT message = RegisterWindowMessageW(L"KTM_THEMECHAGED");
  return message;
}

ODCOLORREF windowBackground()
{
  if (HostThemeService* theme = me::hostTheme())
    return theme->windowBackgroundColor() & 0x00FFFFFF;
  return GetSysColor(COLOR_WINDOW);
}

HCURSOR systemArrow() { return LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)); }

// Screen colours and GDI colours share the layout 0x00BBGGRR.
static_assert(RGB(1, 2, 3) == ODRGB(1, 2, 3), "COLORREF and ODCOLORREF differ");
} // namespace

const wchar_t* const MeGsViewer::kClassName = L"MeGsViewer";

MeGsViewer::~MeGsViewer()
{
  // Here, not in the base: only now does WM_DESTROY still reach onDestroy.
  destroy();
  releaseGraphics();
}

bool MeGsViewer::createChild(HWND parent, const RECT& rect, UINT id)
{
  return create(kClassName, L"", kStyle, 0, rect, parent, id, kClassStyle);
}

bool MeGsViewer::attach(OdDbDatabase* database)
{
  if (!database || !exists())
    return false;
  const bool ownDc = m_dc == nullptr;
  HDC dc = ownDc ? GetDC(hwnd()) : m_dc;
  if (!dc)
    return false;

  MeGsPreview::Setup setup;
  setup.properties = {
    {L"WindowHWND", OdRxVariantValue(static_cast<long long>(reinterpret_cast<OdIntPtr>(hwnd())))},
    {L"WindowHDC", OdRxVariantValue(static_cast<long long>(reinterpret_cast<OdIntPtr>(dc)))},
    {L"DoubleBufferEnabled", OdRxVariantValue(true)},
    {L"EnableSoftwareHLR", OdRxVariantValue(false)},
    {L"DiscardBackFaces", OdRxVariantValue(true)},
  };
  setup.background = windowBackground();
  bool attached = false;
  try
  {
    // The host's graphics module when it names one that loads, else the
    // software renderer that presents into windows.
    setup.moduleName = me::currentVectorizerModuleName();
    attached = !setup.moduleName.isEmpty() && m_gs.attach(database, setup);
    if (!attached)
    {
      registerWindowRenderer();
      setup.moduleName = kMeGsWindowModuleName;
      attached = m_gs.attach(database, setup);
    }
  }
  catch (...)
  {
    if (ownDc)
      ReleaseDC(hwnd(), dc);
    throw;
  }
  if (!attached)
  {
    if (ownDc)
      ReleaseDC(hwnd(), dc);
    return false;
  }

  m_dc = dc;
  m_database = database;
  if (!m_dragCursor)
    m_dragCursor = static_cast<HCURSOR>(LoadImageW(fw::resourceHandle(), MAKEINTRESOURCEW(kDragCursorId), IMAGE_CURSOR, 0, 0,
                                                   LR_DEFAULTSIZE));
  m_arrow = systemArrow();

  const RECT client = clientRect();
  if (m_gs.resize(client.right - client.left, client.bottom - client.top))
    m_gs.update();
  return true;
}

void MeGsViewer::previewChanged()
{
  m_gs.previewChanged();
  invalidate(false);
}

LRESULT MeGsViewer::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message)
  {
  case WM_ERASEBKGND:
    if (isAttached())
      return 1;
    break;
  case WM_PRINTCLIENT:
    printClient(reinterpret_cast<HDC>(wParam));
    return 0;
  case WM_LBUTTONDOWN:
    beginDrag(point);
    return 0;
  case WM_LBUTTONUP:
    endDrag();
    return 0;
  case WM_CAPTURECHANGED:
    if (reinterpret_cast<HWND>(lParam) != hwnd())
      m_dragging = false;
    break;
  case WM_MOUSEMOVE:
    if (orbit(point))
      return 0;
    break;
  case WM_MOUSEWHEEL:
    if (wheel(GET_WHEEL_DELTA_WPARAM(wParam)))
      return 0;
    break;
  case WM_SETCURSOR:
    if (LOWORD(lParam) == HTCLIENT)
      SetFocus(hwnd());
    break;
  default:
    if (message == themeChangedMessage() && message != 0)
    {
      themeChanged();
      return 0;
    }
    break;
  }
  return CWnd::windowProc(message, wParam, lParam);
}

void MeGsViewer::onPaint(HDC dc, const RECT&)
{
  if (!isAttached())
    return;
  auto* own = dynamic_cast<MeGsWindowDevice*>(m_gs.device());
  // An unchanged picture is copied again rather than drawn again.
  if (own && m_gs.helper()->isValid())
    own->presentTo(dc);
  else
    m_gs.update();
}

void MeGsViewer::printClient(HDC dc)
{
  auto* own = dynamic_cast<MeGsWindowDevice*>(m_gs.device());
  if (!own || !dc)
    return;
  if (!m_gs.helper()->isValid())
    m_gs.update();
  own->presentTo(dc);
}

void MeGsViewer::onSize(int width, int height)
{
  // Ignored below 1 x 1 (a minimised parent) and before attach.
  m_gs.resize(width, height);
}

void MeGsViewer::beginDrag(POINT point)
{
  m_dragging = true;
  m_last = point;
  SetCapture(hwnd());
  // Before attach neither cursor is loaded: the arrow stays.
  SetCursor(m_dragCursor ? m_dragCursor : systemArrow());
}

void MeGsViewer::endDrag()
{
  m_dragging = false;
  SetCursor(m_arrow ? m_arrow : systemArrow());
  if (GetCapture() == hwnd())
    ReleaseCapture();
}

bool MeGsViewer::orbit(POINT point)
{
  OdGsView* active = view();
  if (!m_dragging || !active)
    return false;
  if (m_orbit.step(*active, OdGsDCPoint(m_last.x, m_last.y), OdGsDCPoint(point.x, point.y)))
    invalidate(false);
  m_last = point;
  return true;
}

bool MeGsViewer::wheel(int delta)
{
  OdGsView* active = view();
  if (!active)
    return false;
  // The view divides its field by the factor.
  active->zoom(delta < 1 ? kWheelTowardUser : kWheelAwayFromUser);
  invalidate(false);
  return true;
}

void MeGsViewer::themeChanged()
{
  if (!isAttached())
    return;
  m_gs.setBackground(windowBackground());
  invalidate(false);
}

void MeGsViewer::onDestroy() { releaseGraphics(); }

void MeGsViewer::releaseGraphics()
{
  m_dragging = false;
  m_gs.releaseViews();
  if (m_dragCursor)
    DestroyCursor(m_dragCursor);
  m_dragCursor = nullptr;
  m_gs.releaseContext();
  if (m_dc)
    ReleaseDC(hwnd(), m_dc);
  m_dc = nullptr;
  m_gs.releaseDevice();
  m_database = nullptr;
}

HBITMAP MeGsViewer::renderToBitmap(int)
{
  const RECT client = clientRect();
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (!exists() || width < 1 || height < 1)
    return nullptr;
  HDC windowDc = m_dc ? m_dc : GetDC(hwnd());
  HDC memory = CreateCompatibleDC(windowDc);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = memory ? CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  if (bitmap)
  {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    bool drawn = false;
    if (isAttached())
    {
      OdGiRasterImagePtr snapshot;
      m_gs.helper()->getSnapShot(snapshot, OdGsDCRect(0, width, height, 0));
      drawn = !snapshot.isNull() && drawImage(memory, *snapshot, RECT{0, 0, width, height});
    }
    if (!drawn)
      PrintWindow(hwnd(), memory, PW_CLIENTONLY);
    GdiFlush();
    SelectObject(memory, previous);
  }
  if (memory)
    DeleteDC(memory);
  if (windowDc != m_dc)
    ReleaseDC(hwnd(), windowDc);
  return bitmap;
}
} // namespace meui
