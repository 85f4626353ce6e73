#include "MeGsViewer.h"

#include "resources/MeResources.h"

#include "core/MeHost.h"
#include "framework/ModuleState.h"
#include "od/GsWin32.h"
#include "win/MeHostQuery.h"
#include "win/MeHostTheme.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cmath>
#include <cwchar>
#include <iterator>

namespace meui
{
namespace
{
HCURSOR systemArrow() { return LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)); }

// The focus is in an edit box: a label being edited, a grid's value being
// typed, the host's command line. Losing the focus ends such an edit.
bool typingElsewhere()
{
  HWND focus = GetFocus();
  wchar_t name[8] = {};
  return focus && GetClassNameW(focus, name, int(std::size(name))) > 0 && _wcsicmp(name, WC_EDITW) == 0;
}

// Screen colours and GDI colours share the layout 0x00BBGGRR.
static_assert(RGB(1, 2, 3) == ODRGB(1, 2, 3), "COLORREF and ODCOLORREF differ");
} // namespace

const wchar_t* const MeGsViewer::kClassName = L"MeGsViewer";

MeGsViewer::~MeGsViewer()
{
  // The window goes before the object, while WM_DESTROY still reaches onDestroy.
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
  // A second attach keeps the DC of the first; a new one is kept only
  // when the graphics objects are made.
  win::ClientDc newDc = m_dc ? win::ClientDc() : win::ClientDc(hwnd());
  HDC dc = m_dc ? m_dc.get() : newDc.get();
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
  setup.background = me::hostWindowBackground();
  // The host's graphics module when it names one that loads, else the
  // SDK's renderer that presents into windows.
  setup.moduleName = me::currentVectorizerModuleName();
  bool attached = !setup.moduleName.isEmpty() && m_gs.attach(database, setup);
  if (!attached)
  {
    setup.moduleName = OdGsWin32ModuleName;
    attached = m_gs.attach(database, setup);
  }
  if (!attached)
    return false;

  if (newDc)
    m_dc = std::move(newDc);
  m_database = database;
  if (!m_dragCursor)
    m_dragCursor.attach(static_cast<HCURSOR>(
      LoadImageW(fw::resourceHandle(), MAKEINTRESOURCEW(IDC_ORBIT), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));
  m_arrow = systemArrow();

  const RECT client = clientRect();
  if (m_gs.resize(client.right - client.left, client.bottom - client.top))
    m_gs.update();
  return true;
}

void MeGsViewer::previewChanged()
{
  m_gs.previewChanged();
  if (!m_picturesOnly)
    invalidate(false);
}

void MeGsViewer::previewFitted()
{
  if (OdGsView* active = view())
    m_orbit.fitted(*active);
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
  case WM_LBUTTONDBLCLK:
    // In place of the second press: no drag, the sample fitted again.
    if (m_refit)
      m_refit();
    invalidate(false);
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
    // The wheel goes to the focus, so the preview takes it under the
    // pointer; but the pointer merely passing by (on its way to a menu
    // item over the preview) must not end what the user is typing.
    if (LOWORD(lParam) == HTCLIENT && !typingElsewhere())
      SetFocus(hwnd());
    break;
  default:
    if (me::isHostStateQuery(message, wParam, kHostQueryPreviewZoom))
      return me::hostStateAnswer(std::size_t(std::lround(zoomed() * 1000.0)));
    if (me::isThemeChangedMessage(message))
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
  const OdSmartPtr<OdGsWin32Device> own = OdGsWin32Device::cast(m_gs.device());
  // An unchanged picture is copied again rather than drawn again.
  if (!own.isNull() && m_gs.helper()->isValid())
    own->presentTo(dc);
  else
    m_gs.update();
}

void MeGsViewer::printClient(HDC dc)
{
  const OdSmartPtr<OdGsWin32Device> own = OdGsWin32Device::cast(m_gs.device());
  if (own.isNull() || !dc)
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
  SetCursor(m_dragCursor ? m_dragCursor.get() : systemArrow());
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
  // The view divides its field by the factor, within the limits.
  if (m_orbit.zoom(*active, delta < 1 ? kWheelTowardUser : kWheelAwayFromUser))
    invalidate(false);
  return true;
}

void MeGsViewer::themeChanged()
{
  if (!isAttached())
    return;
  m_gs.setBackground(me::hostWindowBackground());
  invalidate(false);
}

void MeGsViewer::onDestroy() { releaseGraphics(); }

void MeGsViewer::releaseGraphics()
{
  m_dragging = false;
  m_gs.releaseViews();
  m_dragCursor.reset();
  m_gs.releaseContext();
  m_dc.reset();
  m_gs.releaseDevice();
  m_database = nullptr;
}

HBITMAP MeGsViewer::renderToBitmap(int)
{
  const RECT client = clientRect();
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (!exists() || width < 1 || height < 1)
    return nullptr;
  // The window's own DC once attached, else one borrowed for the call.
  const win::ClientDc borrowed = m_dc ? win::ClientDc() : win::ClientDc(hwnd());
  HDC windowDc = m_dc ? m_dc.get() : borrowed.get();
  const win::MemoryDc memory(CreateCompatibleDC(windowDc));
  if (!memory)
    return nullptr;
  void* bits = nullptr;
  win::Bitmap bitmap = win::topDownDib(width, height, bits, windowDc);
  if (!bitmap)
    return nullptr;
  {
    const win::SelectedObject selected(memory.get(), bitmap.get());
    bool drawn = false;
    if (isAttached())
    {
      OdGiRasterImagePtr snapshot;
      m_gs.helper()->getSnapShot(snapshot, OdGsDCRect(0, width, height, 0));
      drawn = !snapshot.isNull() && odgsDrawImage(memory.get(), *snapshot, RECT{0, 0, width, height});
    }
    if (!drawn)
      PrintWindow(hwnd(), memory.get(), PW_CLIENTONLY);
    GdiFlush();
  }
  return bitmap.detach();
}

bool MeGsViewer::copyPicture(DWORD* pixels, int width, int height, int stride)
{
  const RECT client = clientRect();
  if (!isAttached() || client.right - client.left != width || client.bottom - client.top != height)
    return false;
  OdGiRasterImagePtr snapshot;
  m_gs.helper()->getSnapShot(snapshot, OdGsDCRect(0, width, height, 0));
  return !snapshot.isNull() && odgsCopyPixels(*snapshot, pixels, width, height, stride);
}
} // namespace meui
