// Static controls of ours.
//
//   fw::CStatic  a "STATIC" window, usually a dialog's placeholder, taken over
//                by subclassing: painting and sizing reach typed handlers,
//                everything else the control's own procedure
//
// A control taken from a dialog belongs to the dialog, which destroys it;
// one made by create belongs to this object, which destroys it at the latest
// in its destructor (the derived handlers are gone by then, so a class that
// needs them on WM_DESTROY calls destroy itself).
#pragma once

#include "win32/TWnd.h"

#include <windows.h>

namespace fw
{
class CStatic : public win::TWnd<CStatic>
{
public:
  CStatic() = default;
  ~CStatic() override;

  // Takes over the dialog's control id; false when there is none or it is
  // taken already.
  bool subclassDlgItem(HWND dialog, int id);
  // Takes over a control made elsewhere.
  bool attach(HWND control);
  // Makes a child static control and takes it over.
  bool create(HWND parent, const RECT& rect, UINT id, DWORD style = WS_CHILD | WS_VISIBLE);
  // Destroys a control made by create; lets go of one taken over.
  void destroy();

  bool exists() const { return hwnd() && IsWindow(hwnd()); }
  RECT clientRect() const;
  // Invalidates, erases and paints at once.
  void redrawNow();

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  virtual bool hasOwnPaint() const { return false; } // whether onPaint takes WM_PAINT
  virtual void onPaint(HDC dc, const RECT& client)
  {
    (void)dc;
    (void)client;
  } // inside BeginPaint/EndPaint
  virtual void onSize(int width, int height)
  {
    (void)width;
    (void)height;
  } // WM_SIZE, after the control's own

private:
  bool m_created = false;
};
} // namespace fw
