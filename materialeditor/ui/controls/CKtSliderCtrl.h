// meui::CKtSliderCtrl<int>: the slider editor of the slider rows. A flat,
// theme-coloured bar whose filled part shows the value, with the value's
// text over it; set by a click, a drag or the mouse wheel.
//
// A "STATIC" child (child, visible, tab stop, notify: 0x50010100) whose
// procedure the object replaces (TWnd); it wants every key.
//
//   WM_PAINT          the drawing over the client area
//   WM_LBUTTONDOWN    capture the mouse; grab the thumb (within 10 pixels:
//                     drag, sizing cursor, dragStarted) or jump to the pointer
//   WM_MOUSEMOVE      while dragging: follow the pointer, valueChanging
//   WM_LBUTTONUP      end of the press, wherever it is: release, valueChosen
//   WM_CAPTURECHANGED the capture taken away mid-press: the press is dropped
//   WM_MOUSEWHEEL     a step per notch, valueChanging (nothing written)
//   WM_SETCURSOR      the sizing arrow while dragging, else the arrow
//   WM_GETDLGCODE     the default answer plus all keys
//   WM_KEYDOWN        Left/Right a step, PgUp/PgDn ten, Home/End the ends,
//                     each chosen (valueChosen) as a release is; Esc during a
//                     press drops it and keeps the slider open; otherwise Esc,
//                     Enter, Tab and Shift+Tab, Up and Down close it unwritten
//   WM_KILLFOCUS      the grid closes the editor
//
// While no press or wheel change is pending the slider shows the owner's
// value (storedValue), read again whenever it paints or is asked.
#pragma once

#include "host/win/KtControls.h"
#include "ui/controls/MeUiSliderModel.h"

#include <windows.h>
#include <windowsx.h>

#include <utility>

namespace meui
{
// The style of the slider window: child, visible, tab stop, notify.
constexpr DWORD kSliderStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | SS_NOTIFY;
static_assert(kSliderStyle == 0x50010100, "the slider's style");

template <class T>
class CKtSliderCtrl : public win::TWnd<CKtSliderCtrl<T>>
{
  static_assert(std::is_same_v<T, int>, "sliders hold whole numbers");

public:
  ~CKtSliderCtrl() override { ktDestroyControl(*this); }

  HWND CreateSlider(HWND parent, const RECT& rect, UINT id)
  {
    HWND window = ktCreateControl(*this, L"STATIC", kSliderStyle, parent, rect, id);
    if (!window)
      return nullptr;
    m_slider.firstMoveSeen = false;
    m_slider.cancel(clientWidth()); // nothing left pending from an earlier window
    return window;
  }
  void SetSliderValue(int value) { m_slider.setValue(value, clientWidth()); }
  // The press that opened the slider acts on it too, when there was one:
  // the left button down, as the message being handled saw it, over the
  // slider. Opened from the keyboard (Enter, F2) nothing is pressed, and a
  // press made up there would grab the thumb and the capture for nothing.
  void PassOnOpeningPress()
  {
    HWND window = this->hwnd();
    if (!window || GetKeyState(VK_LBUTTON) >= 0)
      return;
    const DWORD at = GetMessagePos();
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    ScreenToClient(window, &point);
    RECT client{};
    GetClientRect(window, &client);
    if (PtInRect(&client, point))
      PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
  }
  int SliderValue()
  {
    syncWithOwner();
    return m_slider.value;
  }
  // The standalone control's markers at the bar's end; rows do not use them.
  bool m_markers = false;

protected:
  // The text to draw; false draws the value as a decimal number.
  virtual bool getText(CXStringW& text)
  {
    (void)text;
    return false;
  }
  // The value the owner holds; false when there is none to show (the bare
  // control keeps its own).
  virtual bool storedValue(int& value)
  {
    (void)value;
    return false;
  }
  virtual void dragStarted() {}
  virtual void valueChanging() {}
  virtual void valueChosen() {}
  virtual void sliderDestroyed() {}

  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override
  {
    const KtEditorCall call = ktEditorCall(this);
    HWND window = this->hwnd();
    switch (message)
    {
    case WM_KEYDOWN: onKey(wParam); return 0;
    case WM_PAINT:
      syncWithOwner();
      ktPaint(window, [this](IKtCanvas& canvas, const KtRect& client) {
        CXStringW text;
        if (!getText(text))
          text = CXStringW::format(L"%d", m_slider.value);
        drawSlider(canvas, client, m_slider.position, text, m_markers);
      });
      return 0;
    case WM_ERASEBKGND: return TRUE;
    case WM_LBUTTONDOWN:
      SetFocus(window);
      // Captured whatever the press does: its release writes wherever the
      // pointer has gone by then.
      SetCapture(window);
      if (m_slider.buttonDown(GET_X_LPARAM(lParam), clientWidth()) == SliderModel::Press::Grab)
      {
        SetCursor(sizingCursor());
        dragStarted();
      }
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_MOUSEMOVE:
      // A press whose release never came here (the button let go while
      // the capture was elsewhere) ends as a release.
      if (m_slider.pressed() && !(wParam & MK_LBUTTON))
      {
        release();
        return 0;
      }
      if ((wParam & MK_LBUTTON) || !m_slider.firstMoveSeen)
        if (m_slider.buttonMove(GET_X_LPARAM(lParam), clientWidth()))
        {
          SetCursor(sizingCursor());
          InvalidateRect(window, nullptr, FALSE);
          valueChanging();
        }
      return 0;
    case WM_LBUTTONUP: release(); return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != window && m_slider.pressed())
      {
        m_slider.cancel(clientWidth());
        InvalidateRect(window, nullptr, FALSE);
      }
      break;
    case WM_MOUSEWHEEL:
      m_slider.wheel(GET_WHEEL_DELTA_WPARAM(wParam), clientWidth());
      valueChanging();
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_SETCURSOR:
      SetCursor(m_slider.dragging ? sizingCursor() : LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
      return TRUE;
    case WM_GETDLGCODE: return this->previousProc(message, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KILLFOCUS:
      if (!ktFocusLocked(window) && GetCapture() != window)
        ktRequestClose(window, kInspectorCloseKeep);
      break;
    case WM_DESTROY: sliderDestroyed(); break;
    default: break;
    }
    return this->previousProc(message, wParam, lParam);
  }

  // Shared system cursors: loaded, never destroyed.
  static HCURSOR sizingCursor() { return LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEWE)); }

  void syncWithOwner()
  {
    int stored = 0;
    if (!m_slider.pending() && storedValue(stored))
      m_slider.setValue(stored, clientWidth());
  }

  // The press ends: the capture goes (the model first, so that its loss
  // drops nothing) and the value is chosen.
  void release()
  {
    HWND window = this->hwnd();
    const bool pressed = m_slider.buttonUp();
    if (GetCapture() == window)
      ReleaseCapture();
    if (pressed)
      valueChosen();
  }

  void onKey(WPARAM key)
  {
    HWND window = this->hwnd();
    static constexpr std::pair<WPARAM, SliderKey> kMoves[] = {
      {VK_LEFT, SliderKey::Left},     {VK_RIGHT, SliderKey::Right}, {VK_PRIOR, SliderKey::PageUp},
      {VK_NEXT, SliderKey::PageDown}, {VK_HOME, SliderKey::Home},   {VK_END, SliderKey::End},
    };
    for (const auto& [code, move] : kMoves)
      if (key == code)
      {
        if (m_slider.key(move, clientWidth()))
        {
          InvalidateRect(window, nullptr, FALSE);
          valueChosen();
        }
        return;
      }
    InspectorClose how = kInspectorCloseKeep;
    if (!ktCloseForKey(key, how))
      return;
    // Esc in the middle of a press drops the press alone: nothing is
    // written and the slider shows the owner's value again.
    if (m_slider.pressed())
    {
      if (how == kInspectorCloseCancel)
      {
        m_slider.cancel(clientWidth());
        if (GetCapture() == window)
          ReleaseCapture();
        InvalidateRect(window, nullptr, FALSE);
      }
      return;
    }
    ktRequestClose(window, how);
  }

  int clientWidth() const
  {
    RECT client{};
    if (this->hwnd())
      GetClientRect(this->hwnd(), &client);
    return client.right;
  }

  SliderModel m_slider;
};
} // namespace meui
