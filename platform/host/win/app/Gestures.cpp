#include "Gestures.h"

#include "../docbar/DockLayout.h"
#include "host/HostDocking.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace host
{
namespace
{
constexpr UINT kDefaultHoverMs = 800;
constexpr int kDragStepPixels = 4;
constexpr int kMaxRepeat = 1000;

std::map<OdString, GesturePlaceResolver, OdStringLessNoCase>& places()
{
  static std::map<OdString, GesturePlaceResolver, OdStringLessNoCase> registry;
  return registry;
}

// "x" or "x,y" into offsets; y stays unset for a single number.
void readOffset(const OdString& word, const OdString& what, int& x, int& y, bool& hasY)
{
  const int comma = word.find(L',');
  hasY = comma >= 0;
  x = ScriptArgs::toInt(hasY ? word.left(comma) : word, what, -10000, 10000);
  if (hasY)
    y = ScriptArgs::toInt(word.mid(comma + 1), what, -10000, 10000);
}

POINT offsetPoint(const GesturePlace& place, const OdString& word, const OdString& what)
{
  int x = 0, y = 0;
  bool hasY = false;
  readOffset(word, what, x, y, hasY);
  return placePoint(place, &x, hasY ? &y : nullptr);
}

// The places every pane has.
void registerSharedPlaces()
{
  // AT x,y: a point of the pane's client area.
  registerGesturePlace(L"AT", [](HWND pane, ScriptArgs& args) {
    int x = 0, y = 0;
    bool hasY = false;
    readOffset(args.next(L"x,y"), L"the point", x, y, hasY);
    if (!hasY)
      throw ScriptError(L"AT takes x,y");
    return GesturePlace{pane, RECT{x, y, x + 1, y + 1}};
  });
  // CLOSE: the close button at the right of the pane's caption.
  registerGesturePlace(L"CLOSE", [](HWND pane, ScriptArgs&) {
    RECT client{};
    GetClientRect(pane, &client);
    return GesturePlace{pane, RECT{client.right - kHostPaneCaptionHeight, 0, client.right, kHostPaneCaptionHeight}};
  });
}
} // namespace

void registerGesturePlace(const OdString& keyword, GesturePlaceResolver resolver)
{
  places()[keyword] = std::move(resolver);
}

GesturePlaceResolver gesturePlace(const OdString& keyword)
{
  auto found = places().find(keyword);
  return found == places().end() ? GesturePlaceResolver() : found->second;
}

HWND findPane(const OdString& title)
{
  for (const DockPaneInfo& pane : dockPanes())
    if (pane.title == title)
      return static_cast<HWND>(pane.window);
  OdString known;
  for (const DockPaneInfo& pane : dockPanes())
    known += OdString::format(L"%s\"%s\"", known.isEmpty() ? L"" : L", ", pane.title);
  throw ScriptError(OdString::format(L"no pane \"%s\" (panes: %s)", title, known.isEmpty() ? OdString(L"none") : known));
}

GesturePlace readPlace(ScriptArgs& args)
{
  HWND pane = findPane(args.next(L"pane title"));
  const OdString keyword = args.next(L"place");
  auto found = places().find(keyword);
  if (found == places().end())
  {
    OdString known;
    for (const auto& entry : places())
      known += OdString(known.isEmpty() ? L"" : L", ") + entry.first;
    throw ScriptError(OdString::format(L"unknown place \"%s\" (places: %s)", keyword, known));
  }
  GesturePlace place = found->second(pane, args);
  if (!place.window || !IsWindow(place.window))
    throw ScriptError(OdString::format(L"the place %s has no window", keyword));
  if (!IsWindowVisible(place.window))
    throw ScriptError(OdString::format(L"the place %s is not visible", keyword));
  return place;
}

POINT placePoint(const GesturePlace& place, const int* x, const int* y)
{
  POINT point{x ? place.rect.left + *x : (place.rect.left + place.rect.right) / 2,
              y ? place.rect.top + *y : (place.rect.top + place.rect.bottom) / 2};
  ClientToScreen(place.window, &point);
  return point;
}

void Gestures::addCommands(ScriptInterpreter& interpreter)
{
  registerSharedPlaces();

  // CLICK "pane" place [RIGHT|DOUBLE] [AT x[,y]]
  interpreter.add(L"CLICK", [this](ScriptArgs& args) {
    const GesturePlace place = readPlace(args);
    const bool right = args.nextIs(L"RIGHT");
    const bool twice = !right && args.nextIs(L"DOUBLE");
    const POINT point = args.nextIs(L"AT") ? offsetPoint(place, args.next(L"x[,y]"), L"the offset") : placePoint(place);
    args.expectEnd();
    // The pointer arrives first, as a hand's would: the control sees the
    // move and sets its cursor before the button goes down.
    queue(InputBatch().moveTo(point));
    InputBatch press;
    press.click(right ? MouseButton::Right : MouseButton::Left);
    if (twice)
      press.click(MouseButton::Left);
    queue(std::move(press));
  });
  // DRAG "pane" place FROM x[,y] TO x[,y]
  interpreter.add(L"DRAG", [this](ScriptArgs& args) {
    const GesturePlace place = readPlace(args);
    if (!args.nextIs(L"FROM"))
      throw ScriptError(L"DRAG takes FROM x[,y] TO x[,y]");
    const POINT from = offsetPoint(place, args.next(L"x[,y]"), L"the start");
    if (!args.nextIs(L"TO"))
      throw ScriptError(L"DRAG takes FROM x[,y] TO x[,y]");
    const POINT to = offsetPoint(place, args.next(L"x[,y]"), L"the end");
    args.expectEnd();
    queue(InputBatch().moveTo(from));
    queue(InputBatch().button(MouseButton::Left, true));
    const int distance = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
    const int steps = std::max(1, distance / kDragStepPixels);
    for (int i = 1; i <= steps; ++i)
    {
      const POINT at{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
      queue(InputBatch().moveTo(at));
    }
    queue(InputBatch().button(MouseButton::Left, false));
  });
  // WHEEL "pane" place n: positive n turns away from the user.
  interpreter.add(L"WHEEL", [this](ScriptArgs& args) {
    const GesturePlace place = readPlace(args);
    const int notches = ScriptArgs::toInt(args.next(L"notches"), L"the notches", -kMaxRepeat, kMaxRepeat);
    args.expectEnd();
    queue(InputBatch().moveTo(placePoint(place)));
    for (int i = 0; i < std::abs(notches); ++i)
      queue(InputBatch().wheel(notches > 0));
  });
  // HOVER "pane" place [ms]
  interpreter.add(L"HOVER", [this](ScriptArgs& args) {
    const GesturePlace place = readPlace(args);
    const int ms = args.done() ? int(kDefaultHoverMs) : ScriptArgs::toInt(args.next(L"milliseconds"), L"the time", 0, 60000);
    args.expectEnd();
    queue(InputBatch().moveTo(placePoint(place)));
    queueWait(UINT(ms));
  });
  // KEY name [n]: to the window with the focus.
  interpreter.add(L"KEY", [this](ScriptArgs& args) {
    const KeyChord chord = keyByName(args.next(L"key"));
    const int times = args.done() ? 1 : ScriptArgs::toInt(args.next(L"count"), L"the count", 1, kMaxRepeat);
    args.expectEnd();
    for (int i = 0; i < times; ++i)
      queue(InputBatch().key(chord));
  });
  // TYPE "text": to the window with the focus.
  interpreter.add(L"TYPE", [this](ScriptArgs& args) {
    const OdString text = args.next(L"text");
    args.expectEnd();
    if (!text.isEmpty())
      queue(InputBatch().text(text));
  });
  // PASTE "text": on the clipboard, then Ctrl+V to the window with the focus.
  interpreter.add(L"PASTE", [this](ScriptArgs& args) {
    const OdString text = args.next(L"text");
    args.expectEnd();
    queue(InputBatch().paste(text));
  });
  // RESIZE "pane" w,h: the pane's size in its dock column.
  interpreter.add(L"RESIZE", [](ScriptArgs& args) {
    HWND pane = findPane(args.next(L"pane title"));
    const OdString word = args.next(L"w,h");
    args.expectEnd();
    const int comma = word.find(L',');
    if (comma < 0)
      throw ScriptError(L"RESIZE takes w,h");
    const int width = ScriptArgs::toInt(word.left(comma), L"the width", 1, 10000);
    const int height = ScriptArgs::toInt(word.mid(comma + 1), L"the height", 1, 10000);
    dockSetPaneSize(pane, width, height);
  });
}

UINT Gestures::sendNext()
{
  if (m_steps.empty())
    return 0;
  Queued next = std::move(m_steps.front());
  m_steps.pop_front();
  if (!next.step)
    return next.wait;
  try
  {
    if (!next.step().send())
      throw ScriptError(L"the system refused the input");
  }
  catch (...)
  {
    m_steps.clear();
    throw;
  }
  return 0;
}
} // namespace host
