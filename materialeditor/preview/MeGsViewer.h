// The material preview window: draws a database's model space through the
// graphics system, turns the camera with the left mouse button, zooms with
// the wheel, and hands its picture out as a bitmap.
//
//   message            handler
//   WM_PAINT           onPaint(HDC, const RECT&)   draws the picture
//   WM_PRINTCLIENT     printClient(HDC)            the picture into another DC
//   WM_ERASEBKGND      (nothing once attached: the picture covers the window)
//   WM_SIZE            onSize(int, int)            resizes the device
//   WM_LBUTTONDOWN/UP  beginDrag(POINT) / endDrag()
//   WM_LBUTTONDBLCLK   the refit callback: the sample fitted again
//   WM_CAPTURECHANGED  endDrag() when another window took the mouse
//   WM_MOUSEMOVE       orbit(POINT)
//   WM_MOUSEWHEEL      wheel(int delta)     within 1/20 and 20 times the fitted view
//   KTM_QUERYSTATE     the zoom against the fitted view, in thousandths
//   WM_SETCURSOR       takes the focus over the client area, unless an
//                      edit box has it
//   KTM_THEMECHAGED    themeChanged()              the host's new background
//   WM_DESTROY         onDestroy()                 releases the graphics objects
#pragma once

#include "MeGsPreview.h"
#include "MeViewOrbit.h"

#include "framework/Wnd.h"
#include "resources/MeResources.h"
#include "win32/Dc.h"
#include "win32/Handles.h"

#include <functional>

namespace meui
{
class MeGsViewer : public fw::CWnd, public MePreviewView
{
public:
  // Wheel steps: toward the user the field grows (zoom out), away it shrinks.
  static constexpr double kWheelTowardUser = 0.95;
  static constexpr double kWheelAwayFromUser = 1.05;
  static const wchar_t* const kClassName;
  static constexpr UINT kClassStyle = ME_VIEWER_CLASS_STYLE;
  static constexpr DWORD kStyle = ME_VIEWER_STYLE;

  MeGsViewer() = default;
  ~MeGsViewer() override;

  // The viewer as a visible child window of its own class.
  bool createChild(HWND parent, const RECT& rect, UINT id);

  // Builds the graphics objects for the database, once the window exists.
  // False (nothing changed) without a window or a database, or when no
  // graphics module loads; a module that is no graphics module raises the
  // SDK's wrong-class error.
  bool attach(OdDbDatabase* database);
  bool isAttached() const { return m_gs.isAttached(); }

  // A bitmap of the client area (owned by the caller), or null for a window
  // of no size. The size argument is not used: the window has the size.
  HBITMAP renderToBitmap(int size);
  // The same picture written into a 32-bit DIB's pixels (rows stride words
  // apart), with no bitmap of its own: many thumbnails share one. False when
  // not attached or when the window is not width x height.
  bool copyPicture(DWORD* pixels, int width, int height, int stride);

  OdGsView* view() const { return m_gs.view(); }
  OdGsDevice* device() const { return m_gs.device(); }
  OdDbDatabase* database() const { return m_database; }
  bool isDragging() const { return m_dragging; }

  // The zoom against the view last fitted to the sample: 1 fitted, above 1
  // zoomed in.
  double zoomed() const { return view() ? m_orbit.zoomed(*view()) : 1.0; }
  // A viewer that only hands its picture out (thumbnails) is never seen:
  // a change then asks for no repaint, which costs a round trip to the
  // window system per picture.
  void setPicturesOnly(bool only) { m_picturesOnly = only; }
  // What a double click does: the owner fits the sample again.
  void setRefit(std::function<void()> refit) { m_refit = std::move(refit); }

  // MePreviewView
  OdGsView* previewView() override { return view(); }
  void previewChanged() override;
  void previewFitted() override;

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void onPaint(HDC dc, const RECT& area) override;
  void onSize(int width, int height) override;
  void onDestroy() override;

private:
  void printClient(HDC dc);
  void beginDrag(POINT point);
  void endDrag();
  bool orbit(POINT point);
  bool wheel(int delta);
  void themeChanged();
  void releaseGraphics();

  MeGsPreview m_gs;
  OdDbDatabase* m_database = nullptr;
  win::ClientDc m_dc;        // the window's own DC, from attach to destroy
  win::Cursor m_dragCursor;  // loaded from the module's resources
  HCURSOR m_arrow = nullptr; // shared system cursor: not ours to destroy
  bool m_dragging = false;
  bool m_picturesOnly = false;
  POINT m_last{};
  MeViewOrbit m_orbit;
  std::function<void()> m_refit;
};
} // namespace meui
