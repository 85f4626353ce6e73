#include "ModelView.h"

#include "ViewDropTarget.h"
#include "od/GsWin32.h"
#include "win32/Dc.h"
#include "win32/Handles.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace host
{
namespace
{
const wchar_t kClassName[] = L"MeHostModelView";
constexpr UINT kForgetMessage = WM_APP + 20;
constexpr ODCOLORREF kBackground = ODRGB(46, 52, 60);
constexpr COLORREF kHighlight = RGB(255, 176, 0);
// Pixels the pointer may wander with the button down and still click.
constexpr int kDragThreshold = 4;
// Each notch zooms by this factor, in or out.
constexpr double kNotchZoom = 1.25;
// Seen from the front right, above: the sides of boxes show their materials too.
const OdGeVector3d kViewDirection(-1.0, 1.0, -0.8);
constexpr double kExtentsMargin = 1.15;

OdString handleText(const OdDbObjectId& id) { return id.getHandle().ascii(); }

// The mean colours of rectangles of a picture, each in constant time: sums
// of each channel over every rectangle from the top left corner.
class ColourSums
{
public:
  explicit ColourSums(const OdGiRasterImageRGBA& image) : m_width(image.pixelWidth()), m_height(image.pixelHeight())
  {
    m_sums.assign(std::size_t(m_width + 1) * (m_height + 1) * 3, 0);
    const OdUInt8* pixel = image.data();
    for (OdUInt32 y = 0; y < m_height; ++y)
    {
      unsigned long long row[3] = {0, 0, 0};
      for (OdUInt32 x = 0; x < m_width; ++x, pixel += 4)
        for (int c = 0; c < 3; ++c)
        {
          row[c] += pixel[c];
          at(x + 1, y + 1, c) = at(x + 1, y, c) + row[c];
        }
    }
  }

  // False for a rectangle with no pixel inside the picture.
  bool mean(long left, long top, long right, long bottom, double rgb[3]) const
  {
    left = std::clamp<long>(left, 0, long(m_width));
    right = std::clamp<long>(right, 0, long(m_width));
    top = std::clamp<long>(top, 0, long(m_height));
    bottom = std::clamp<long>(bottom, 0, long(m_height));
    if (right <= left || bottom <= top)
      return false;
    const double count = double(right - left) * double(bottom - top);
    for (int c = 0; c < 3; ++c)
    {
      const unsigned long long sum = at(OdUInt32(right), OdUInt32(bottom), c) -
                                     at(OdUInt32(left), OdUInt32(bottom), c) - at(OdUInt32(right), OdUInt32(top), c) +
                                     at(OdUInt32(left), OdUInt32(top), c);
      rgb[c] = std::round(double(sum) / count * 10.0) / 10.0;
    }
    return true;
  }

private:
  unsigned long long& at(OdUInt32 x, OdUInt32 y, int c) { return m_sums[(std::size_t(y) * (m_width + 1) + x) * 3 + c]; }
  unsigned long long at(OdUInt32 x, OdUInt32 y, int c) const
  {
    return m_sums[(std::size_t(y) * (m_width + 1) + x) * 3 + c];
  }

  OdUInt32 m_width, m_height;
  std::vector<unsigned long long> m_sums;
};

void writeColour(JsonWriter& json, const double rgb[3])
{
  json.beginArray().value(rgb[0]).value(rgb[1]).value(rgb[2]).endArray();
}

void writePoint(JsonWriter& json, const OdGePoint3d& p)
{
  json.beginArray().value(p.x).value(p.y).value(p.z).endArray();
}
} // namespace

// Tells the view of every change to its database; the view only marks
// itself for painting, so a burst of changes costs one frame.
class ModelView::Reactor final : public OdDbDatabaseReactor
{
public:
  Reactor(ModelView& view, Shown& shown) : m_view(&view), m_shown(&shown) {}
  void detach() { m_view = nullptr; }

  void objectAppended(const OdDbDatabase*, const OdDbObject*) override { changed(); }
  void objectModified(const OdDbDatabase*, const OdDbObject*) override { changed(); }
  void objectErased(const OdDbDatabase*, const OdDbObject*, bool) override { changed(); }
  void goodbye(const OdDbDatabase*) override
  {
    if (m_view)
      m_view->goodbye(*m_shown);
  }

private:
  void changed()
  {
    if (m_view)
      m_view->changed(*m_shown);
  }
  ModelView* m_view;
  Shown* m_shown;
};

struct ModelView::Shown
{
  OdDbDatabase* database = nullptr;
  OdGsDevicePtr device;
  OdGiContextForDbDatabasePtr context;
  OdGsLayoutHelperPtr helper;
  OdSmartPtr<Reactor> reactor;
  ModelPicker picker;
  OdUInt64 pickedAt = ~OdUInt64(0); // the change count the picker was read at
  bool gone = false;                // the database said goodbye
  bool placed = false;              // the camera was fitted to the model

  ~Shown()
  {
    if (!reactor.isNull())
    {
      reactor->detach();
      if (!gone)
        database->removeReactor(reactor.get());
    }
    if (!helper.isNull())
      helper->eraseAllViews();
  }
};

ModelView::ModelView() = default;

ModelView::~ModelView()
{
  m_shown = nullptr;
  m_kept.clear();
  if (hwnd())
    DestroyWindow(hwnd());
}

bool ModelView::create(HWND parent, int id)
{
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = classProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_CROSS));
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;
  if (!CreateWindowExW(WS_EX_CLIENTEDGE, kClassName, L"Model", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                       parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this))
    return false;
  // Fails without OLE on the thread: the view then takes no drops.
  m_dropTarget =
    new ViewDropTarget(hwnd(), {[this] { return shownDatabase(); }, [this](POINT client) { return entityAt(client); },
                                [this](const OdDbObjectId& entity, const OdDbObjectId& material) {
                                  if (onDropMaterial)
                                    onDropMaterial(entity, material);
                                  UpdateWindow(hwnd());
                                }});
  if (FAILED(RegisterDragDrop(hwnd(), m_dropTarget)))
  {
    m_dropTarget->Release();
    m_dropTarget = nullptr;
  }
  return true;
}

LRESULT ModelView::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message)
  {
  case WM_ERASEBKGND: return 1; // the paint covers every pixel
  case WM_PAINT: onPaint(); return 0;
  case WM_SIZE: InvalidateRect(hwnd(), nullptr, FALSE); return 0;
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK: press(point, false, wParam); return 0;
  case WM_MBUTTONDOWN:
  case WM_MBUTTONDBLCLK: press(point, true, wParam); return 0;
  case WM_MOUSEMOVE: move(point); return 0;
  case WM_LBUTTONUP:
  case WM_MBUTTONUP: release(point); return 0;
  case WM_MOUSEWHEEL: wheel(point, GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
  case WM_CAPTURECHANGED:
    if (reinterpret_cast<HWND>(lParam) != hwnd() && m_drag != Drag::None)
    {
      m_drag = Drag::None;
      InvalidateRect(hwnd(), nullptr, FALSE);
    }
    return 0;
  case WM_DESTROY:
    if (m_dropTarget)
    {
      RevokeDragDrop(hwnd());
      m_dropTarget->Release();
      m_dropTarget = nullptr;
    }
    break;
  case kForgetMessage:
    // By the entry, not the address: a new database may have taken it.
    for (auto it = m_kept.begin(); it != m_kept.end(); ++it)
      if (it->second.get() == reinterpret_cast<Shown*>(lParam))
      {
        forget(it->first);
        break;
      }
    return 0;
  }
  return previousProc(message, wParam, lParam);
}

void ModelView::show(OdDbDatabase* database, const OdDbObjectIdArray& selection)
{
  if (!hwnd())
    return;
  Shown* const was = m_shown;
  Shown* wanted = nullptr;
  if (database)
  {
    auto found = m_kept.find(database);
    if (found != m_kept.end() && !found->second->gone)
      wanted = found->second.get();
    else
    {
      auto shown = std::make_unique<Shown>();
      shown->database = database;
      try
      {
        OdGsModulePtr module = odrxDynamicLinker()->loadModule(OdGsWin32ModuleName);
        if (module.isNull())
          throw OdError(eNullPtr, L"no graphics module");
        shown->device = module->createDevice();
        shown->context = OdGiContextForDbDatabase::createObject();
        shown->context->setDatabase(database);
        // The device keeps the meshes it took while the drawing stays as it
        // was: a camera move only draws again.
        shown->context->enableGsModel(true);
        shown->helper = OdDbGsManager::setupActiveLayoutViews(shown->device, shown->context);
        std::vector<ODCOLORREF> palette(odcmAcadPalette(), odcmAcadPalette() + 256);
        palette[0] = kBackground;
        shown->helper->setLogicalPalette(palette.data(), int(palette.size()));
        shown->helper->setBackgroundColor(kBackground);
        shown->helper->activeView()->setViewportBorderVisibility(false);
        shown->reactor = OdSmartPtr<Reactor>(new Reactor(*this, *shown));
        database->addReactor(shown->reactor.get());
      }
      catch (const OdError&)
      {
        // FIXME: the drawing is then not shown at all; the list beside still is.
        shown.reset();
      }
      if (shown)
      {
        wanted = shown.get();
        m_kept[database] = std::move(shown);
      }
    }
  }
  if (wanted && !wanted->placed)
  {
    // A drawing is read after its document opens: the camera is fitted to
    // the model once there is one.
    m_shown = wanted;
    wanted->placed = lookAtModel(*view(), picker(), kViewDirection, OdGeVector3d::kZAxis, kExtentsMargin);
    if (wanted->placed)
      InvalidateRect(hwnd(), nullptr, FALSE);
  }
  if (wanted != was || selection != m_selection)
  {
    if (wanted != was)
      endDrag(); // a drag over the other drawing ends with it, capture included
    m_shown = wanted;
    m_selection = selection;
    InvalidateRect(hwnd(), nullptr, FALSE);
  }
}

void ModelView::forget(OdDbDatabase* database)
{
  auto found = m_kept.find(database);
  if (found == m_kept.end())
    return;
  if (m_shown == found->second.get())
  {
    m_shown = nullptr;
    m_selection.clear();
    InvalidateRect(hwnd(), nullptr, FALSE);
  }
  m_kept.erase(found);
}

void ModelView::changed(Shown& shown)
{
  // Once until the paint: under Wine each InvalidateRect asks the server,
  // which a command writing thousands of objects would pay for each.
  if (m_shown == &shown && hwnd() && !m_paintAsked)
  {
    InvalidateRect(hwnd(), nullptr, FALSE);
    m_paintAsked = true;
  }
}

void ModelView::goodbye(Shown& shown)
{
  // The database goes without its document closing first (the host is
  // ending): nothing may read it any more. Its device is dropped later, as
  // the database is walking its reactors now.
  shown.gone = true;
  if (m_shown == &shown)
  {
    m_shown = nullptr;
    m_selection.clear();
  }
  if (hwnd())
    PostMessageW(hwnd(), kForgetMessage, 0, reinterpret_cast<LPARAM>(&shown));
}

OdDbDatabase* ModelView::shownDatabase() const { return m_shown ? m_shown->database : nullptr; }

OdDbObjectId ModelView::entityAt(POINT client)
{
  if (!render())
    return OdDbObjectId();
  return picker().pick(view()->worldToDeviceMatrix(), client.x + 0.5, client.y + 0.5);
}

OdGsView* ModelView::view() const { return m_shown ? m_shown->helper->activeView() : nullptr; }

const ModelPicker& ModelView::picker()
{
  if (m_shown->pickedAt != m_shown->context->changeCount())
  {
    m_shown->picker.collect(m_shown->database);
    m_shown->pickedAt = m_shown->context->changeCount();
  }
  return m_shown->picker;
}

bool ModelView::render()
{
  if (!m_shown || !hwnd())
    return false;
  RECT client{};
  GetClientRect(hwnd(), &client);
  if (client.right < 1 || client.bottom < 1)
    return false;
  const OdGsDCRect output = m_shown->helper->outputRect();
  if (output.width() != client.right || output.height() != client.bottom)
    m_shown->helper->onSize(OdGsDCRect(0, client.right, client.bottom, 0));
  if (!m_shown->helper->isValid())
    m_shown->helper->update();
  return true;
}

void ModelView::onPaint()
{
  m_paintAsked = false;
  win::PaintDc paint(hwnd());
  RECT client{};
  GetClientRect(hwnd(), &client);
  if (!render())
  {
    win::SolidBrush brush;
    FillRect(paint.get(), &client,
             brush.get(RGB(ODGETRED(kBackground), ODGETGREEN(kBackground), ODGETBLUE(kBackground))));
    return;
  }
  // Picture, outlines and the selection window are put together off
  // screen and copied in one go: no flicker while dragging.
  void* bits = nullptr;
  win::Bitmap frame = win::topDownDib(client.right, client.bottom, bits, paint.get());
  win::MemoryDc memory(CreateCompatibleDC(paint.get()));
  if (!frame || !memory)
    return;
  win::SelectedObject withFrame(memory.get(), frame.get());
  OdGsWin32Device::cast(m_shown->device)->presentTo(memory.get());

  const OdGeMatrix3d toDevice = view()->worldToDeviceMatrix();
  win::Pen pen(CreatePen(PS_SOLID, 2, kHighlight));
  win::SelectedObject withPen(memory.get(), pen.get());
  for (const OdDbObjectId& id : m_selection)
    for (const std::vector<OdGePoint2d>& line : picker().outlines(toDevice, id))
    {
      std::vector<POINT> points;
      for (const OdGePoint2d& p : line)
        points.push_back(POINT{LONG(std::lround(p.x)), LONG(std::lround(p.y))});
      Polyline(memory.get(), points.data(), int(points.size()));
    }
  if (m_drag == Drag::Window)
  {
    RECT band{std::min(m_start.x, m_last.x), std::min(m_start.y, m_last.y), std::max(m_start.x, m_last.x) + 1,
              std::max(m_start.y, m_last.y) + 1};
    DrawFocusRect(memory.get(), &band);
  }
  BitBlt(paint.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}

void ModelView::press(POINT point, bool middle, WPARAM keys)
{
  // A click in the drawing takes the focus, as in any CAD program: an
  // editor open in a palette closes on it.
  SetFocus(hwnd());
  if (!m_shown || m_drag != Drag::None)
    return;
  const bool shift = (keys & MK_SHIFT) != 0, control = (keys & MK_CONTROL) != 0;
  if (middle)
    m_drag = shift ? Drag::Orbit : Drag::Pan;
  else
    m_drag = control ? Drag::Orbit : Drag::Pending;
  m_dragAdds = shift;
  m_start = m_last = point;
  SetCapture(hwnd());
}

void ModelView::move(POINT point)
{
  if (!m_shown || m_drag == Drag::None)
    return;
  OdGsView& active = *view();
  switch (m_drag)
  {
  case Drag::Pending:
    // Far enough from where it began: a drag. From empty space it draws
    // a selection window; from an entity it stays a click.
    if (std::abs(point.x - m_start.x) > kDragThreshold || std::abs(point.y - m_start.y) > kDragThreshold)
      if (picker().pick(active.worldToDeviceMatrix(), m_start.x + 0.5, m_start.y + 0.5).isNull())
        m_drag = Drag::Window;
    break;
  case Drag::Pan: panView(active, OdGsDCPoint(m_last.x, m_last.y), OdGsDCPoint(point.x, point.y)); break;
  case Drag::Orbit: orbitView(active, OdGsDCPoint(m_last.x, m_last.y), OdGsDCPoint(point.x, point.y)); break;
  default: break;
  }
  m_last = point;
  if (m_drag != Drag::Pending)
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void ModelView::release(POINT point)
{
  if (!m_shown || m_drag == Drag::None)
    return;
  const Drag drag = m_drag;
  endDrag();
  const OdGeMatrix3d toDevice = view()->worldToDeviceMatrix();
  if (drag == Drag::Pending)
  {
    const OdDbObjectId hit = picker().pick(toDevice, m_start.x + 0.5, m_start.y + 0.5);
    OdDbObjectIdArray ids = m_dragAdds ? m_selection : OdDbObjectIdArray();
    if (!hit.isNull() && !(m_dragAdds && ids.remove(hit)))
      ids.append(hit);
    if (ids != m_selection)
      select(ids);
  }
  else if (drag == Drag::Window)
  {
    const ScreenBox window{std::min(m_start.x, point.x), std::min(m_start.y, point.y), std::max(m_start.x, point.x) + 1,
                           std::max(m_start.y, point.y) + 1, true};
    OdDbObjectIdArray ids = m_dragAdds ? m_selection : OdDbObjectIdArray();
    for (const OdDbObjectId& id : picker().inside(toDevice, window))
      if (!ids.contains(id))
        ids.append(id);
    select(ids);
  }
}

void ModelView::endDrag()
{
  const bool band = m_drag == Drag::Window;
  m_drag = Drag::None;
  if (GetCapture() == hwnd())
    ReleaseCapture();
  if (band)
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void ModelView::wheel(POINT screen, int delta)
{
  if (!m_shown || delta == 0)
    return;
  POINT at = screen;
  ScreenToClient(hwnd(), &at);
  if (zoomAbout(*view(), OdGsDCPoint(at.x, at.y), std::pow(kNotchZoom, double(delta) / WHEEL_DELTA)))
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void ModelView::select(const OdDbObjectIdArray& ids)
{
  m_selection = ids;
  InvalidateRect(hwnd(), nullptr, FALSE);
  if (onSelect)
    onSelect(ids);
}

bool ModelView::routeWheel(MSG& message)
{
  if (message.message != WM_MOUSEWHEEL)
    return false;
  const POINT screen{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
  HWND under = WindowFromPoint(screen);
  wchar_t name[64] = L"";
  if (!under || under == message.hwnd || !GetClassNameW(under, name, 64) || wcscmp(name, kClassName) != 0)
    return false;
  message.hwnd = under;
  return true;
}

void ModelView::dump(JsonWriter& json)
{
  RECT client{};
  if (hwnd())
    GetClientRect(hwnd(), &client);
  json.beginObject();
  json.key(L"size").beginArray().value(int(client.right)).value(int(client.bottom)).endArray();
  json.key(L"focus").value(hwnd() && GetFocus() == hwnd());
  const DWORD effect = m_dropTarget ? m_dropTarget->lastEffect() : DROPEFFECT_NONE;
  json.key(L"dragEffect").value(effect == DROPEFFECT_COPY ? L"copy" : effect == DROPEFFECT_LINK ? L"link" : L"none");
  if (!render())
  {
    json.key(L"mean").null();
    json.key(L"entities").beginObject().endObject();
    json.endObject();
    return;
  }
  const OdGiRasterImageRGBA& image = OdGsSoftwareDevice::cast(m_shown->device)->image();
  const ColourSums sums(image);
  double rgb[3];
  json.key(L"mean");
  if (sums.mean(0, 0, long(image.pixelWidth()), long(image.pixelHeight()), rgb))
    writeColour(json, rgb);
  else
    json.null();

  OdGsView& active = *view();
  json.key(L"camera").beginObject();
  json.key(L"position");
  writePoint(json, active.position());
  json.key(L"target");
  writePoint(json, active.target());
  json.key(L"field").beginArray().value(active.fieldWidth()).value(active.fieldHeight()).endArray();
  json.endObject();

  json.key(L"selection").beginArray();
  for (const OdDbObjectId& id : m_selection)
    json.value(handleText(id));
  json.endArray();

  // Every entity of model space, on the screen or not; the box in client
  // pixels (right and bottom past the last pixel), null when it shows nothing.
  const ModelPicker& model = picker();
  const std::vector<ScreenBox> boxes = model.screenBoxes(active.worldToDeviceMatrix());
  const ScreenBox all{0, 0, client.right, client.bottom, true};
  json.key(L"entities").beginObject();
  for (std::size_t i = 0; i < boxes.size(); ++i)
  {
    const ScreenBox& box = boxes[i];
    json.key(handleText(model.entities()[i].id)).beginObject();
    json.key(L"box");
    if (box.valid)
      json.beginArray()
        .value(int(box.left))
        .value(int(box.top))
        .value(int(box.right))
        .value(int(box.bottom))
        .endArray();
    else
      json.null();
    json.key(L"visible").value(all.intersects(box));
    json.key(L"mean");
    if (box.valid && sums.mean(box.left, box.top, box.right, box.bottom, rgb))
      writeColour(json, rgb);
    else
      json.null();
    json.endObject();
  }
  json.endObject();
  json.endObject();
}
} // namespace host
