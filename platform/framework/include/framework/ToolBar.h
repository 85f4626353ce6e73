// Toolbars.
//
//   fw::CToolBar  a toolbar control with the framework's bar styles (kept as
//                 its pane style beside the window style), one image list,
//                 menu buttons that drop a pop-up menu, and tool tips by
//                 position: button i is tool i + 1, and the tip's text is
//                 asked of the toolbar's parent with TTN_NEEDTEXTW whose
//                 idFrom is i + 1. Commands go to the parent. The menu
//                 buttons' arrows may take a colour of their own.
//
//   message (subclass)   handler
//   WM_NOTIFY            a tip's TTN_NEEDTEXTW, passed on to the parent
//   WM_SIZE, TB_*        the tips follow the buttons' places
//   WM_DESTROY           the tip window goes too
#pragma once

#include "framework/ImageList.h"
#include "win32/Handles.h"
#include "win32/TWnd.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

namespace fw
{
// Bar styles: bits of the style given to CToolBar::create that are no
// window styles. The names are the framework's (CBRS_*).
constexpr DWORD kBarSizeDynamic = 0x0004;
constexpr DWORD kBarHideInPlace = 0x0008;
constexpr DWORD kBarToolTips = 0x0010;
constexpr DWORD kBarFlyBy = 0x0020;
constexpr DWORD kBarBorderBottom = 0x0800;
constexpr DWORD kBarBorderAny = 0x0F00;
constexpr DWORD kBarAlignTop = 0x2000;
constexpr DWORD kBarGripper = 0x00400000;
constexpr DWORD kBarAll = 0x0040FFFF;
// The framework's id of a frame's first toolbar (AFX_IDW_TOOLBAR).
constexpr UINT kToolBarId = 0xE800;
// Button styles as the framework keeps them: the low word is the button's
// style, the high word its state with TBSTATE_ENABLED meaning disabled.
constexpr UINT kButtonEnabled = 0;
constexpr UINT kButtonDisabled = MAKELONG(0, TBSTATE_ENABLED);

class CToolBar : public win::TWnd<CToolBar>
{
public:
  CToolBar() = default;
  ~CToolBar() override;

  // style: window styles and bar styles together.
  bool create(HWND parent, DWORD style, UINT id);
  void destroy();

  DWORD paneStyle() const { return m_paneStyle; }
  // With kBarToolTips the buttons get tips, without it they have none.
  void setPaneStyle(DWORD style);

  // Buttons and images go; the sizes stay.
  void removeAll();
  void setSizes(SIZE image, SIZE button);
  // An image for the buttons; its index, or -1.
  int addImage(HICON icon);
  void addButton(UINT command, int image);
  // The button of the command drops the menu (not owned) when pressed, and
  // keeps it as its data (TBBUTTON::dwData); an image below 0 leaves the
  // button the image it has.
  bool setMenuButton(UINT command, HMENU menu, int image);

  // The button of the command becomes a check box: a click turns its
  // checked state over before the command reaches the parent.
  bool setCheckButton(UINT command);
  void setChecked(UINT command, bool checked);
  bool isChecked(UINT command) const;

  int buttonCount() const;
  int commandToIndex(UINT command) const;
  UINT buttonStyle(int index) const;
  void setButtonStyle(int index, UINT style);
  // Height of the bar laid out horizontally: the buttons and a small margin.
  int fixedHeight() const;
  // The tool tip window whose questions come to the parent; null without tips.
  HWND tipsWindow() const { return m_tips.get(); }

  // The colour of the menu buttons' arrows; CLR_DEFAULT for the system's
  // button text, which is black on any background.
  void setArrowColour(COLORREF colour);

  // Notifications of the control that reach its parent and that the
  // toolbar answers itself (TBN_DROPDOWN of a menu button, NM_CUSTOMDRAW
  // for the arrows' colour); the parent passes them on first.
  bool handleNotify(const NMHDR* header, LRESULT& result);

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  void updateTips();
  LRESULT customDraw(const NMTBCUSTOMDRAW& draw) const;
  bool isMenuButton(UINT command) const;

  DWORD m_paneStyle = 0;
  SIZE m_imageSize{16, 16};
  CImageList m_images;
  win::Window m_tips;
  int m_tools = 0; // tools registered with m_tips
  struct MenuButton
  {
    UINT command;
    HMENU menu;
  };
  std::vector<MenuButton> m_menus;
  COLORREF m_arrowColour = CLR_DEFAULT;
};
} // namespace fw
