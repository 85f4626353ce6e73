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

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool hasOwnPaint() const override { return true; }
  void onPaint(HDC dc, const RECT& area) override;

private:
  RECT closeButtonRect() const;
  bool m_closeHot = false;
};

class hostUiPaletteSet : public CDockablePane
{
public:
  // Sides the pane may dock on (kHostDockAnySide for all); hands the pane to the host.
  void EnableDocking(DWORD sides);
  // Puts the pane where the host's saved layout says, else on the dock bar.
  bool RestoreControlBar(UINT dockBarId);
  void ShowPane(bool show, bool delay, bool activate) override;

protected:
  void onDestroy() override;

private:
  bool m_docked = false;
};
} // namespace fw
