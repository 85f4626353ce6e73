// Docking panes.
//
//   fw::CDockablePane     a pane with its own caption and close button; the
//                         area below the caption is for the derived class
//   fw::hostUiPaletteSet  a pane docked by the host (docbar): the host places
//                         it, remembers its place and shows or hides it; the
//                         pane leaves the host when its window is destroyed
#pragma once

#include "framework/Wnd.h"
#include "host/HostDocking.h"

namespace fw
{
class CDockablePane : public CWnd
{
public:
  static constexpr int kCaptionHeight = kHostPaneCaptionHeight;

  // Creates the pane as a child of parent with the title as window text.
  bool createPane(const wchar_t* title, HWND parent, DWORD style, const RECT& rect, UINT id);
  // The client area below the caption.
  RECT contentRect() const;

  virtual void ShowPane(bool show, bool delay, bool activate);
  virtual void OnPressCloseButton();
  bool IsPaneVisible() const { return isVisible(); }
  // The keyboard focus to the pane's main control (focusTarget), or to the
  // pane when it has none shown.
  void focusMainControl();

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void onPaint(HDC dc, const RECT& area) override;
  // The control that takes the keys when the pane is given the focus (F6
  // in the host); none keeps it on the pane.
  virtual HWND focusTarget() const { return nullptr; }

private:
  RECT closeButtonRect() const;
  bool inCaption(POINT client) const;
  bool m_closeHot = false;
  // A press on the caption, held: released far enough away, the host moves
  // the pane to the side of the window it was released on.
  bool m_captionHeld = false;
  POINT m_captionPress{0, 0};
};

class hostUiPaletteSet : public CDockablePane
{
public:
  // Sides the pane may dock on (kHostDockAnySide for all); hands the pane to the host.
  void EnableDocking(DWORD sides);
  // Puts the pane where the host's saved layout says, else on the dock bar.
  bool RestoreControlBar(UINT dockBarId);
  // The steps every palette takes once: creates the pane (hidden until
  // shown), hands it to the host for docking on the given sides and puts it
  // on its dock bar. False when the pane could not be created.
  bool CreateDocked(const wchar_t* title, HWND parent, DWORD style, UINT id, DWORD sides, UINT dockBarId);
  // The pane's title.
  void SetName(const wchar_t* name) { setText(name ? name : L""); }
  void ShowPane(bool show, bool delay, bool activate) override;

protected:
  void onDestroy() override;

private:
  bool m_docked = false;
};
} // namespace fw
