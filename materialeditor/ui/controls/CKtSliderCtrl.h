// meui::CKtSliderCtrl<int>: the slider editor of the slider rows. A flat,
// theme-coloured bar whose filled part shows the value, with the value's
// text over it; set by a click, a drag or the mouse wheel.
//
// A "STATIC" child (child, visible, tab stop, notify: 0x50010100) whose
// procedure the object replaces (TWnd); it wants every key.
//
//   WM_PAINT          the drawing over the client area
//   WM_LBUTTONDOWN    grab the thumb (within 10 pixels: drag, capture,
//                     sizing cursor, dragStarted) or jump to the pointer
//   WM_MOUSEMOVE      while dragging: follow the pointer, valueChanging
//   WM_LBUTTONUP      end of the drag, release, valueChosen
//   WM_MOUSEWHEEL     a step per notch, valueChanging (nothing written)
//   WM_SETCURSOR      the sizing arrow while dragging, else the arrow
//   WM_GETDLGCODE     the default answer plus all keys
//   WM_KEYDOWN        Esc, Enter, Tab and Shift+Tab, Up and Down close it
//                     (Esc during a drag drops the drag); nothing is written
//   WM_KILLFOCUS      the grid closes the editor
#pragma once

#include "host/win/KtControls.h"
#include "ui/controls/MeUiSliderModel.h"

#include <windows.h>
#include <windowsx.h>

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
    m_slider.dragging = false;
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
  int SliderValue() const { return m_slider.value; }
  // The standalone control's markers at the bar's end; rows do not use them.
  bool m_markers = false;

protected:
  // The text to draw; false draws the value as a decimal number.
  virtual bool getText(CXStringW& text)
  {
    (void)text;
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
    case WM_KEYDOWN:
    {
      // It has nothing to commit: the keys only close it, Esc in the middle
      // of a drag too, and then nothing is written.
      InspectorClose how = kInspectorCloseKeep;
      if (!ktCloseForKey(wParam, how))
        return 0;
      if (m_slider.dragging)
      {
        m_slider.buttonUp();
        if (GetCapture() == window)
          ReleaseCapture();
      }
      ktRequestClose(window, how);
      return 0;
    }
    case WM_PAINT:
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
      if (m_slider.buttonDown(GET_X_LPARAM(lParam), clientWidth()) == SliderModel::Press::Grab)
      {
        SetCursor(sizingCursor());
        SetCapture(window);
        dragStarted();
      }
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_MOUSEMOVE:
      if ((wParam & MK_LBUTTON) || !m_slider.firstMoveSeen)
        if (m_slider.buttonMove(GET_X_LPARAM(lParam), clientWidth()))
        {
          SetCursor(sizingCursor());
          InvalidateRect(window, nullptr, FALSE);
          valueChanging();
        }
      return 0;
    case WM_LBUTTONUP:
      m_slider.buttonUp();
      if (GetCapture() == window)
        ReleaseCapture();
      valueChosen();
      return 0;
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
