#include "Gestures.h"

#include "OtherApplication.h"
#include "PaneControls.h"

#include "../docbar/DockLayout.h"
#include "host/HostDocking.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>

namespace host
{
namespace
{
constexpr UINT kDefaultHoverMs = 800;
constexpr int kDragStepPixels = 4;
constexpr int kMaxRepeat = 1000;
// How often a place out of sight is looked at, each look followed by input
// that should bring it nearer, before the gesture gives up.
constexpr int kMaxSeekLooks = 40;

std::map<OdString, GesturePlaceResolver, OdStringLessNoCase>& places()
{
  static std::map<OdString, GesturePlaceResolver, OdStringLessNoCase> registry;
  return registry;
}

// An offset inside a place as a script gives it: "x" or "x,y", or none (the
// centre). Read when the verb runs, placed when its input is sent: by then
// the place may have been scrolled.
struct Offset
{
  int x = 0, y = 0;
  bool hasX = false, hasY = false;

  POINT in(const GesturePlace& place) const { return placeOffset(place, hasX ? &x : nullptr, hasY ? &y : nullptr); }
};

// SHIFT and CTRL in any order: the keys held around a click or a drag.
Modifiers readModifiers(ScriptArgs& args)
{
  Modifiers held;
  while (true)
    if (args.nextIs(L"SHIFT"))
      held.shift = true;
    else if (args.nextIs(L"CTRL"))
      held.control = true;
    else
      return held;
}

Offset readOffset(const OdString& word, const OdString& what)
{
  Offset offset;
  const int comma = word.find(L',');
  offset.hasX = true;
  offset.hasY = comma >= 0;
  offset.x = ScriptArgs::toInt(offset.hasY ? word.left(comma) : word, what, -10000, 10000);
  if (offset.hasY)
    offset.y = ScriptArgs::toInt(word.mid(comma + 1), what, -10000, 10000);
  return offset;
}

// The places every pane has.
void registerSharedPlaces()
{
  // AT x,y: a point of the pane's client area.
  registerGesturePlace(L"AT", [](HWND pane, ScriptArgs& args) {
    const Offset at = readOffset(args.next(L"x,y"), L"the point");
    if (!at.hasY)
      throw ScriptError(L"AT takes x,y");
    return GesturePlace{pane, RECT{at.x, at.y, at.x + 1, at.y + 1}};
  });
  // CLOSE: the close button at the right of the pane's caption.
  registerGesturePlace(L"CLOSE", [](HWND pane, ScriptArgs&) {
    RECT client{};
    GetClientRect(pane, &client);
    return GesturePlace{pane, RECT{client.right - kHostPaneCaptionHeight, 0, client.right, kHostPaneCaptionHeight}};
  });
  // CAPTION: the pane's caption, left of its close button (where a drag
  // moves the pane to another side).
  registerGesturePlace(L"CAPTION", [](HWND pane, ScriptArgs&) {
    RECT client{};
    GetClientRect(pane, &client);
    return GesturePlace{pane, RECT{0, 0, std::max(1L, client.right - kHostPaneCaptionHeight), kHostPaneCaptionHeight}};
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
  throw ScriptError(
    OdString::format(L"no pane \"%s\" (panes: %s)", title, known.isEmpty() ? OdString(L"none") : known));
}

namespace
{
HWND g_viewWindow = nullptr;
} // namespace

void setViewWindow(HWND view) { g_viewWindow = view; }

GesturePlace readPlace(ScriptArgs& args)
{
  const OdString paneWord = args.next(L"pane title or VIEW");
  if (paneWord.iCompare(L"VIEW") == 0)
  {
    if (!g_viewWindow || !IsWindow(g_viewWindow) || !IsWindowVisible(g_viewWindow))
      throw ScriptError(L"the host has no model view to work");
    RECT client{};
    GetClientRect(g_viewWindow, &client);
    return GesturePlace{g_viewWindow, client};
  }
  HWND pane = findPane(paneWord);
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

POINT placeOffset(const GesturePlace& place, const int* x, const int* y)
{
  return POINT{x ? *x : (place.rect.right - place.rect.left) / 2, y ? *y : (place.rect.bottom - place.rect.top) / 2};
}

POINT placeScreenPoint(const GesturePlace& place, POINT offset)
{
  if (!IsWindow(place.window))
    throw ScriptError(L"the place's window is gone");
  POINT point{place.rect.left + offset.x, place.rect.top + offset.y};
  ClientToScreen(place.window, &point);
  return point;
}

POINT placePoint(const GesturePlace& place, const int* x, const int* y)
{
  return placeScreenPoint(place, placeOffset(place, x, y));
}

namespace
{
// Along one axis, how far the control must scroll to show a span of the
// part wholly (one larger than the view: across the view's middle):
// negative towards the control's start, positive towards its end, 0 when
// it shows.
int scrollNeeded(LONG low, LONG high, LONG viewLow, LONG viewHigh)
{
  if (high - low > viewHigh - viewLow)
  {
    const LONG middle = (viewLow + viewHigh) / 2;
    return high < middle ? int(high - middle) : low > middle ? int(low - middle) : 0;
  }
  return low < viewLow ? int(low - viewLow) : high > viewHigh ? int(high - viewHigh) : 0;
}
} // namespace

WheelSeeker::WheelSeeker(HWND window, OdString control, OdString kind, OdString name, Look look)
  : m_window(window), m_control(std::move(control)), m_kind(std::move(kind)), m_name(std::move(name)),
    m_look(std::move(look))
{
}

InputBatch WheelSeeker::operator()(GesturePlace& place)
{
  if (!IsWindow(m_window) || !IsWindowVisible(m_window))
    throw ScriptError(OdString::format(L"the %s went away while scrolling to \"%s\"", m_control, m_name));
  const Sight sight = m_look();
  const RECT& part = sight.part;
  RECT client{};
  GetClientRect(m_window, &client);
  const bool across = sight.across;
  const int need = across ? scrollNeeded(part.left, part.right, client.left, client.right)
                          : scrollNeeded(part.top, part.bottom, client.top, client.bottom);
  const bool aside = across ? part.bottom <= client.top || part.top >= client.bottom
                            : part.right <= client.left || part.left >= client.right;
  if (aside)
    throw ScriptError(OdString::format(L"the %s \"%s\" lies %s the %s's visible part, where the wheel does not scroll",
                                       m_kind, m_name, across ? L"above or below" : L"beside", m_control));
  const LONG at = across ? part.left : part.top;
  if (m_sent > 0)
  {
    const LONG moved = std::labs(at - m_lastAt);
    if (moved == 0)
      throw ScriptError(
        OdString::format(L"the %s does not scroll on towards \"%s\" with the wheel", m_control, m_name));
    m_perNotch = std::max<LONG>(1, moved / m_sent);
  }
  if (need == 0)
  {
    IntersectRect(&place.rect, &part, &client);
    return InputBatch();
  }
  const int direction = need < 0 ? -1 : 1;
  if (m_direction != 0 && direction != m_direction && ++m_turns > kMaxTurns)
    throw ScriptError(OdString::format(L"a notch of the wheel scrolls the %s past \"%s\"", m_control, m_name));
  m_direction = direction;
  m_lastAt = at;
  m_sent = m_perNotch > 0 ? std::clamp(std::abs(need) / int(m_perNotch), 1, kMaxNotches) : 1;
  // Away from the user goes towards the start.
  POINT pointer =
    sight.hasPointer ? sight.pointer : POINT{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
  ClientToScreen(m_window, &pointer);
  InputBatch notches;
  notches.moveTo(pointer);
  for (int i = 0; i < m_sent; ++i)
    notches.wheel(direction < 0);
  return notches;
}

GesturePlace wheeledPlace(HWND window, const OdString& control, const OdString& kind, const OdString& name,
                          const WheelSeeker::Look& look)
{
  const RECT now = look().part;
  auto seeker = std::make_shared<WheelSeeker>(window, control, kind, name, look);
  return GesturePlace{window, now, [seeker](GesturePlace& place) { return (*seeker)(place); }};
}

std::shared_ptr<const GesturePlace> Gestures::reach(GesturePlace place)
{
  auto live = std::make_shared<GesturePlace>(std::move(place));
  if (live->seek)
    queue(seekStep(live, 1));
  return live;
}

Gestures::Step Gestures::seekStep(std::shared_ptr<GesturePlace> place, int looks)
{
  return [this, place, looks] {
    InputBatch nearer = place->seek(*place);
    if (!nearer.empty())
    {
      if (looks >= kMaxSeekLooks)
        throw ScriptError(OdString::format(L"the place is still out of sight after %d tries to bring it there", looks));
      // Looked at again once this input has been handled, before the
      // rest of the gesture.
      m_steps.push_front(Queued{seekStep(place, looks + 1), 0, OdString(), {}});
    }
    return nearer;
  };
}

void Gestures::addCommands(ScriptInterpreter& interpreter)
{
  registerSharedPlaces();

  // CLICK "pane" place [RIGHT|DOUBLE|MIDDLE] [SHIFT] [CTRL] [AT x[,y]] [SHIFT] [CTRL]
  interpreter.add(L"CLICK", [this](ScriptArgs& args) {
    const GesturePlace place = readPlace(args);
    const bool right = args.nextIs(L"RIGHT");
    const bool twice = !right && args.nextIs(L"DOUBLE");
    const bool middle = !right && !twice && args.nextIs(L"MIDDLE");
    Modifiers held = readModifiers(args);
    const Offset at = args.nextIs(L"AT") ? readOffset(args.next(L"x[,y]"), L"the offset") : Offset();
    // The keys may also follow the point.
    const Modifiers after = readModifiers(args);
    held.shift = held.shift || after.shift;
    held.control = held.control || after.control;
    args.expectEnd();
    const auto live = reach(place);
    // The pointer arrives first, as a hand's would: the control sees the
    // move and sets its cursor before the button goes down.
    queue([live, at] { return InputBatch().moveTo(placeScreenPoint(*live, at.in(*live))); });
    InputBatch press;
    press.hold(held, true);
    press.click(right ? MouseButton::Right : middle ? MouseButton::Middle : MouseButton::Left);
    if (twice)
      press.click(MouseButton::Left);
    press.hold(held, false);
    queue(std::move(press));
  });
  // DRAG "pane" place FROM x[,y] TO x[,y] [MIDDLE] [SHIFT] [CTRL] [KEY name]
  // DRAG "pane" place TO VIEW|"pane" place [AT x[,y]] [HOLD]
  interpreter.add(L"DRAG", [this](ScriptArgs& args) {
    const GesturePlace place = readPlace(args);
    if (args.nextIs(L"TO"))
    {
      dragBetween(place, args);
      return;
    }
    if (!args.nextIs(L"FROM"))
      throw ScriptError(L"DRAG takes FROM x[,y] TO x[,y]");
    const Offset from = readOffset(args.next(L"x[,y]"), L"the start");
    if (!args.nextIs(L"TO"))
      throw ScriptError(L"DRAG takes FROM x[,y] TO x[,y]");
    const Offset to = readOffset(args.next(L"x[,y]"), L"the end");
    const MouseButton button = args.nextIs(L"MIDDLE") ? MouseButton::Middle : MouseButton::Left;
    const Modifiers held = readModifiers(args);
    // A key pressed while the button is still down, before the release
    // (KEY ESC: a drag given up).
    std::optional<KeyChord> key;
    if (args.nextIs(L"KEY"))
      key = keyByName(args.next(L"key"));
    args.expectEnd();
    // As many moves as the place's size now asks for; each placed when sent.
    const POINT a = from.in(place), b = to.in(place);
    const int steps = std::max(1, int(std::max(std::abs(b.x - a.x), std::abs(b.y - a.y))) / kDragStepPixels);
    const auto live = reach(place);
    const auto along = [live, from, to, steps](int i) {
      return [live, from, to, steps, i] {
        const POINT start = from.in(*live), end = to.in(*live);
        const POINT at{start.x + (end.x - start.x) * i / steps, start.y + (end.y - start.y) * i / steps};
        return InputBatch().moveTo(placeScreenPoint(*live, at));
      };
    };
    queue(along(0));
    queue(InputBatch().hold(held, true).button(button, true));
    for (int i = 1; i <= steps; ++i)
      queue(along(i));
    if (key)
      queue(InputBatch().key(*key));
    queue(InputBatch().button(button, false).hold(held, false));
  });
  // RELEASE: lets go of the button a DRAG ... HOLD left down.
  interpreter.add(L"RELEASE", [this](ScriptArgs& args) {
    args.expectEnd();
    if (!m_holding)
      throw ScriptError(L"no button is held (DRAG ... HOLD holds one)");
    m_holding = false;
    queue(InputBatch().button(MouseButton::Left, false));
  });
  // WHEEL "pane" place n: positive n turns away from the user.
  interpreter.add(L"WHEEL", [this](ScriptArgs& args) {
    const GesturePlace place = readPlace(args);
    const int notches = ScriptArgs::toInt(args.next(L"notches"), L"the notches", -kMaxRepeat, kMaxRepeat);
    args.expectEnd();
    const auto live = reach(place);
    queue([live] { return InputBatch().moveTo(placePoint(*live)); });
    for (int i = 0; i < std::abs(notches); ++i)
      queue(InputBatch().wheel(notches > 0));
  });
  // HOVER "pane" place [ms]
  interpreter.add(L"HOVER", [this](ScriptArgs& args) {
    const GesturePlace place = readPlace(args);
    const int ms =
      args.done() ? int(kDefaultHoverMs) : ScriptArgs::toInt(args.next(L"milliseconds"), L"the time", 0, 60000);
    args.expectEnd();
    const auto live = reach(place);
    queue([live] { return InputBatch().moveTo(placePoint(*live)); });
    queueWait(UINT(ms));
  });
  // OTHERAPP: a click on the window of another application, which takes the
  // activation and the focus from the host as a switch to another program does.
  interpreter.add(L"OTHERAPP", [this](ScriptArgs& args) {
    args.expectEnd();
    HWND other = otherApplicationWindow();
    if (!other)
      throw ScriptError(L"the other application's window could not be made");
    RECT bounds{};
    GetWindowRect(other, &bounds);
    const POINT centre{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
    queue([centre] { return InputBatch().moveTo(centre); });
    queue(InputBatch().click(MouseButton::Left));
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

void Gestures::dragBetween(const GesturePlace& from, ScriptArgs& args)
{
  GesturePlace to = readPlace(args);
  const Offset at = args.nextIs(L"AT") ? readOffset(args.next(L"x[,y]"), L"the point") : Offset();
  const bool hold = args.nextIs(L"HOLD");
  args.expectEnd();
  if (m_holding)
    throw ScriptError(L"the button is still held: RELEASE it first");
  // Steps of the distance in the screen now; each move placed when sent,
  // between where both places lie by then.
  const POINT a = placePoint(from), b = placeScreenPoint(to, at.in(to));
  const int steps = std::max(1, int(std::max(std::abs(b.x - a.x), std::abs(b.y - a.y))) / kDragStepPixels);
  const auto start = reach(from);
  const auto end = std::make_shared<const GesturePlace>(std::move(to));
  queue([start] { return InputBatch().moveTo(placePoint(*start)); });
  queue(InputBatch().button(MouseButton::Left, true));
  for (int i = 1; i <= steps; ++i)
    queue([start, end, at, steps, i] {
      const POINT p = placePoint(*start), q = placeScreenPoint(*end, at.in(*end));
      return InputBatch().moveTo(POINT{p.x + (q.x - p.x) * i / steps, p.y + (q.y - p.y) * i / steps});
    });
  if (hold)
    m_holding = true;
  else
    queue(InputBatch().button(MouseButton::Left, false));
}

void Gestures::giveUpHold()
{
  if (!m_holding)
    return;
  m_holding = false;
  InputBatch().key(keyByName(L"ESC")).button(MouseButton::Left, false).send();
}

struct Gestures::TimedStep
{
  OdString label;
  TimingClock clock;
  bool inputSeen = false;
};

void Gestures::timeStepsFrom(std::size_t position, const OdString& label)
{
  for (std::size_t i = position; i < m_steps.size(); ++i)
    if (m_steps[i].step || m_steps[i].until)
      m_steps[i].timedAs = label;
}

void Gestures::queueUntil(std::function<bool()> done, UINT timeout, OdString failure,
                          std::shared_ptr<const TimingClock> clock, OdString timedAs)
{
  auto until = std::make_shared<Until>();
  until->done = std::move(done);
  until->timeout = timeout;
  until->failure = std::move(failure);
  until->clock = std::move(clock);
  m_steps.push_back(Queued{nullptr, 0, std::move(timedAs), std::move(until)});
}

UINT Gestures::lookUntil()
{
  // Often enough for a timing, seldom enough to leave the loop to others.
  constexpr UINT kLookMs = 5;
  Queued& front = m_steps.front();
  Until& until = *front.until;
  const ULONGLONG now = GetTickCount64();
  if (until.deadline == 0)
  {
    until.deadline = now + until.timeout;
    if (!until.clock && !front.timedAs.isEmpty())
      until.clock = std::make_shared<TimingClock>();
  }
  if (until.done())
  {
    if (until.clock && !front.timedAs.isEmpty())
      until.clock->record(front.timedAs);
    m_steps.pop_front();
    return 0;
  }
  if (now < until.deadline)
    return kLookMs;
  const OdString failure = until.failure;
  m_steps.clear();
  throw ScriptError(failure);
}

void Gestures::messageHandled(const MSG& message)
{
  if (!m_timed)
    return;
  const bool input = (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) ||
                     (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST);
  m_timed->inputSeen = m_timed->inputSeen || input;
  // Until its input has arrived, the step has not begun to be handled.
  if (!m_timed->inputSeen)
    return;
  if (HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT | QS_POSTMESSAGE | QS_SENDMESSAGE)) != 0)
    return;
  m_timed->clock.record(m_timed->label);
  m_timed.reset();
}

UINT Gestures::sendNext()
{
  if (m_steps.empty())
    return 0;
  if (m_steps.front().until)
  {
    m_timed.reset();
    return lookUntil();
  }
  Queued next = std::move(m_steps.front());
  m_steps.pop_front();
  // A timed step whose input never showed ends untimed.
  m_timed.reset();
  if (!next.step)
    return next.wait;
  try
  {
    // Its input is made first (a look at where the place lies now), then
    // the clock starts.
    InputBatch input = next.step();
    if (!next.timedAs.isEmpty())
      m_timed = std::make_shared<TimedStep>(TimedStep{next.timedAs, TimingClock(), false});
    if (!input.send())
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
