// What the slider does with the pointer and the wheel, apart from its
// window: the thumb position of a value, the value of a pointer position,
// and the press, drag, release and wheel rules. The arithmetic is floating
// point, as the formulas read:
//   position = trunc(w / (high - low) * value), at most w
//   value    = trunc(x / (w / (high - low)))
// (with value and x counted from low; every slider here has low 0).
#pragma once

#include "host/KtCanvas.h"

namespace meui
{
int sliderPosition(int value, int low, int high, int width);
int sliderValue(int x, int low, int high, int width);

// The slider's drawing into an area (a grid cell, or the control's client
// area): the theme background, the bar from the left edge to left +
// position in the background brightened to 150 % on a dark theme or
// darkened to 80 % on a light one, and the text centred over it. The
// standalone control may add its two markers at the bar's end.
void drawSlider(IKtCanvas& canvas, const KtRect& area, int position, const CXStringW& text, bool markers);

// Keys an open slider takes: a step either way, ten steps, or an end.
enum class SliderKey
{
  Left,     // a step down
  Right,    // a step up
  PageUp,   // ten steps down, as a trackbar and the wheel away count
  PageDown, // ten steps up
  Home,     // the low end
  End,      // the high end
};

class SliderModel
{
public:
  // Within this many pixels either side of the thumb a press grabs it.
  static constexpr int kGrabZone = 10;
  static constexpr int kPageSteps = 10;

  enum class Press
  {
    Grab, // the thumb was taken: a drag starts
    Jump, // the thumb jumped to the pointer
  };

  int low = 0;
  int high = 100;
  int value = 0;
  int position = 0;
  int step = 1;
  bool dragging = false;
  bool firstMoveSeen = false;

  // The owner's value, clamped to high, and the position that shows it
  // over width: what the slider shows while nothing is pending.
  void setValue(int v, int width);
  // A press on the bar: from here until its release (or a cancel) the value
  // shown is the press's, not the owner's.
  Press buttonDown(int x, int width);
  // A move with the button held; true when it changed the position (the
  // control then redraws and tells valueChanging). The first move the
  // control ever sees is ignored: it is the echo of the press that made it.
  bool buttonMove(int x, int width);
  // Ends a press, wherever the button went up; true when one was under way:
  // its value is then written (valueChosen), a wheel change with it.
  bool buttonUp();
  // Drops a press (Esc, or the capture taken away) and the wheel's change:
  // the owner's value shows again. True when something was dropped.
  bool cancel(int width);
  // A wheel notch: towards the user (negative delta) adds step, away
  // subtracts; clamped to [low, high]. Nothing is written until a release.
  void wheel(int delta, int width);
  // A key moves the value at once, to be written as a release is; true
  // when it moved. Not while a press is under way: its release decides.
  bool key(SliderKey key, int width);
  // A press or a wheel change waits to be written (or dropped).
  bool pending() const { return m_pressed || m_wheeled; }
  bool pressed() const { return m_pressed; }

private:
  bool m_pressed = false;
  bool m_wheeled = false;
  int m_stored = 0; // the owner's value, as last set
};
} // namespace meui
