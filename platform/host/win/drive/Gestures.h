// Gestures: script verbs that work the palettes as a user does, with real
// input (Input.h), never by calling a palette's handlers.
//
//   GesturePlace          a window and a rectangle of its client area, and
//                         how to bring it into sight when it may be out of it
//   registerGesturePlace  a place keyword (ITEM, BUTTON, ROW...) and how to
//                         find it in a pane; each kind of control adds its own
//   findPane              a docked pane by its window title
//   Gestures              the verbs, and the queue of input steps they make
//
// A verb does not send its input at once: it queues steps, and the session
// sends one step at a time, each only when everything the previous one
// caused has been handled (nothing but timers left in the queue, no modal
// loop of a seam running). So a drag is a press, moves and a release that
// each reach the control on their own, as a hand makes them. A place out of
// sight (a list item scrolled away) is brought into sight first by steps
// that look, send wheel notches and look again; the verb's points are
// placed when its steps are sent, where the place lies by then.
#pragma once

#include "Input.h"
#include "Script.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>

namespace host
{
class TimingClock;

struct GesturePlace
{
  using Seek = std::function<InputBatch(GesturePlace& place)>;

  GesturePlace() = default;
  GesturePlace(HWND window, RECT rect, Seek seek = nullptr) : window(window), rect(rect), seek(std::move(seek)) {}

  HWND window = nullptr;
  RECT rect{}; // client coordinates of window
  // Set for a place that may lie out of sight (a list item scrolled away),
  // which a user brings into sight first. Each call looks where the place
  // lies now and gives the input that brings it nearer (wheel notches over
  // its window), or an empty batch once it is in sight, with rect set to
  // where it lies. A verb calls it before its own input and again after each
  // batch has been handled, a bounded number of times; it throws
  // ScriptError when it gets no nearer.
  Seek seek;
};

// Wheel notches over a scrolling control until a part of it (a list item,
// a grid row) is in sight, as a user turns the wheel: one notch first, then
// as many as the distance left asks for at the rate the notches so far
// scrolled, looking again after each batch. Gives up, with a ScriptError,
// when a batch moved nothing or the control keeps scrolling past the part.
// A GesturePlace's seek.
class WheelSeeker
{
public:
  // Where the part lies now, in the control's client coordinates; whether
  // the control scrolls sideways under the wheel; where over the control the
  // wheel is turned (none: its middle).
  struct Sight
  {
    RECT part{};
    bool across = false;
    bool hasPointer = false;
    POINT pointer{};
  };
  // Looks where the part lies now; throws ScriptError when it is gone.
  using Look = std::function<Sight()>;

  // control and kind name them in messages ("list", "item"), name is the part's text.
  WheelSeeker(HWND window, OdString control, OdString kind, OdString name, Look look);

  // Input that brings the part nearer, or none once it is wholly in sight
  // (one larger than the view: across the view's middle), with place.rect
  // set to where it lies.
  InputBatch operator()(GesturePlace& place);

private:
  static constexpr int kMaxNotches = 100, kMaxTurns = 2;

  HWND m_window;
  OdString m_control, m_kind, m_name;
  Look m_look;
  int m_sent = 0;      // notches of the last batch
  LONG m_lastAt = 0;   // where the part began before them
  LONG m_perNotch = 0; // pixels one notch scrolled, once known
  int m_direction = 0; // of the last batch
  int m_turns = 0;     // times the direction changed
};

// The part as a place: where the look finds it now, brought into sight
// first by a WheelSeeker with these words.
GesturePlace wheeledPlace(HWND window, const OdString& control, const OdString& kind, const OdString& name,
                          const WheelSeeker::Look& look);

// Reads the place's own words from args (after the keyword) and finds it in
// the pane; throws ScriptError when there is no such place.
using GesturePlaceResolver = std::function<GesturePlace(HWND pane, ScriptArgs& args)>;
void registerGesturePlace(const OdString& keyword, GesturePlaceResolver resolver);
// The resolver registered for the keyword, or null: a kind of control that
// shares a keyword with another (EDITOR) registers one that falls back to it.
GesturePlaceResolver gesturePlace(const OdString& keyword);

// The shown or hidden pane with that window title; throws ScriptError.
HWND findPane(const OdString& title);
// The window the word VIEW names in place of a pane: the host's model view
// (its whole client area is the place).
void setViewWindow(HWND view);
// A pane word and a place: "pane" KEYWORD words..., or VIEW.
GesturePlace readPlace(ScriptArgs& args);
// A point of the place, from its top left corner: its centre, or the offset
// given (a missing y: the vertical centre).
POINT placeOffset(const GesturePlace& place, const int* x = nullptr, const int* y = nullptr);
// The point at that offset in screen coordinates; throws ScriptError when
// the place's window is gone.
POINT placeScreenPoint(const GesturePlace& place, POINT offset);
// Both in one: placeScreenPoint(place, placeOffset(place, x, y)).
POINT placePoint(const GesturePlace& place, const int* x = nullptr, const int* y = nullptr);

class Gestures
{
public:
  // A step makes its input when it is sent, so that it can look at what the
  // steps before it did (a list that has dropped down); it throws
  // ScriptError when what it looks for is not there.
  using Step = std::function<InputBatch()>;

  // The verbs CLICK, DRAG, RELEASE, WHEEL, HOVER, KEY, TYPE, PASTE, RESIZE and the
  // shared places AT and CLOSE.
  void addCommands(ScriptInterpreter& interpreter);

  void queue(Step step) { m_steps.push_back(Queued{std::move(step), 0, OdString(), {}}); }
  void queue(InputBatch batch)
  {
    queue(Step([batch = std::move(batch)] { return batch; }));
  }
  // Lets the message loop run for that long before the next step.
  void queueWait(UINT milliseconds) { m_steps.push_back(Queued{nullptr, milliseconds, OdString(), {}}); }
  // Lets the message loop run until done() holds, looking again every few
  // milliseconds from a timer (never a spin); fails with the message after
  // timeout ms. Timed (TIME) from its first look, or from the clock given,
  // to the look that finds it done.
  void queueUntil(std::function<bool()> done, UINT timeout, OdString failure,
                  std::shared_ptr<const TimingClock> clock = nullptr, OdString timedAs = OdString());

  // The place as the input of a verb finds it when it is sent: a place
  // with a seek is brought into sight first, by steps queued now.
  std::shared_ptr<const GesturePlace> reach(GesturePlace place);

  bool pending() const { return !m_steps.empty(); }
  void clear()
  {
    m_steps.clear();
    m_timed.reset();
  }
  // Whether a DRAG ... HOLD has left the left button down for RELEASE.
  bool holding() const { return m_holding; }
  // Gives a held drag up at once, as a user does: Esc, then the button let
  // go. The drag's own loop (a module's code beneath) ends once it sees them.
  void giveUpHold();
  std::size_t queuedSteps() const { return m_steps.size(); }

  // TIME of a gesture: each step queued from that position on is timed
  // under the label, from just before its input is sent until the message
  // loop has handled its input and everything that caused (messages,
  // paints) and nothing of it is left in the queue.
  void timeStepsFrom(std::size_t position, const OdString& label);
  // The message loop's call after each message it dispatched: ends the
  // timing of the step sent last once the queue is quiet again.
  void messageHandled(const MSG& message);

  // The next step: its input is sent and 0 returned, or it is a wait and its
  // time returned. A step that fails is dropped with the rest of the queue
  // (they belonged to the same gesture) and its ScriptError thrown.
  UINT sendNext();

private:
  struct Until
  {
    std::function<bool()> done;
    UINT timeout = 0;
    OdString failure;
    std::shared_ptr<const TimingClock> clock;
    ULONGLONG deadline = 0; // set at the first look
  };
  struct Queued
  {
    Step step;
    UINT wait;
    OdString timedAs; // empty: not timed
    std::shared_ptr<Until> until;
  };
  // The front step is a queueUntil: done, failed or looked at again later.
  UINT lookUntil();
  struct TimedStep;
  // A look at the place that queues itself again, ahead of the rest, after
  // the input it sends; the count bounds how often.
  Step seekStep(std::shared_ptr<GesturePlace> place, int looks);
  // DRAG's second form, after its TO: from one place to another, as a
  // dragged item goes from a palette to the view.
  void dragBetween(const GesturePlace& from, ScriptArgs& args);

  std::deque<Queued> m_steps;
  std::shared_ptr<TimedStep> m_timed; // the step sent last, while it is timed
  bool m_holding = false;             // a DRAG ... HOLD left the left button down
};
} // namespace host
