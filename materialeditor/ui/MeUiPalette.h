// meui::MeUiPalette: what the three palettes share. The pane is docked by
// the host; its toolbar sits on top and its body (the browser's list, an
// editor's dialog) fills the pane below it.
//
//   message                  handler
//   (every message)          first to the host's theme hook; SDK errors of a
//                            handler end there, never the host
//   KTM_THEMECHAGED          onThemeChanged()
//   WM_SIZE                  onSize(w, h)   toolbar on top, placeBand(), placeBody() below them
//   WM_COMMAND               the help button: the palette's help topic
//   WM_NOTIFY                the toolbar's own (menu buttons, arrows) and its tips
//   WM_DESTROY               onDestroy()    the toolbar goes
#pragma once

#include "framework/DockablePane.h"
#include "ui/MeUiToolbar.h"

namespace meui
{
class MeUiPalette : public fw::hostUiPaletteSet
{
protected:
  // The toolbar is a member of the derived palette, made in onCreate
  // (createToolbar). The body keeps its place only while the pane is at
  // least minBodySide across and down.
  MeUiPalette(MeUiToolbar& toolbar, UINT helpCommand, const wchar_t* helpTopic, int minBodySide = 0);

  // The body window placed below the toolbar; null when there is none.
  virtual HWND bodyWindow() const = 0;
  virtual void onThemeChanged() {}

  // Makes the toolbar on the pane; false when it could not be made.
  bool createToolbar() { return m_toolbar.createOnPalette(hwnd()); }
  // The body fills the pane below the toolbar, down to its bottom edge, so
  // that the body's last row and the end of its scroll bar stay in sight;
  // false when it was left where it was.
  bool placeBody();
  // The body has its new size from onSize.
  virtual void bodyResized() {}
  // A band of this height between the toolbar and the body (the browser's
  // filter), given its place at each onSize.
  virtual int bandHeight() const { return 0; }
  virtual void placeBand(const RECT&) {}

  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void onSize(int width, int height) override;
  bool onCommand(UINT id, UINT code, HWND control) override;
  bool onNotify(NMHDR* header, LRESULT& result) override;
  void onDestroy() override;

private:
  MeUiToolbar& m_toolbar;
  UINT m_helpCommand;
  const wchar_t* m_helpTopic;
  int m_minBodySide;
};
} // namespace meui
