// The window base class.
//
//   fw::CWnd  a window of ours: one window procedure, typed handlers as
//             virtual functions, the rest to the default procedure
//
// The rule: a window is destroyed before its object. The class that makes a
// window destroys it in its own destructor or close handler, while its
// WM_DESTROY handler can still run; ~CWnd only checks (a trap in debug
// builds). Owning handles and the subclassing wrapper win::TWnd are in the
// Win32 layer (win32/Handles.h, win32/Dc.h, win32/TWnd.h).
#pragma once

#include <windows.h>

#include <string>

namespace fw
{
class CWnd
{
public:
  CWnd() = default;
  // Traps in debug builds when the window still exists: see the rule above.
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND hwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }
  bool exists() const { return m_hWnd && IsWindow(m_hWnd); }

  // Registers (once) a window class of the given name served by CWnd's
  // procedure and creates the window; false when creation failed.
  bool create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, const RECT& rect, HWND parent,
              UINT id, UINT classStyle = CS_DBLCLKS);
  // Destroys the window (WM_DESTROY reaches onDestroy); nothing without one.
  void destroy();
  void show(bool visible) { if (m_hWnd) ShowWindow(m_hWnd, visible ? SW_SHOWNOACTIVATE : SW_HIDE); }
  bool isVisible() const { return m_hWnd && IsWindowVisible(m_hWnd); }
  void invalidate(bool erase = true) { if (m_hWnd) InvalidateRect(m_hWnd, nullptr, erase); }
  RECT clientRect() const;
  std::wstring text() const;
  void setText(const std::wstring& text) { if (m_hWnd) SetWindowTextW(m_hWnd, text.c_str()); }

  // The object behind a window made by create, or null.
  static CWnd* fromHandle(HWND hwnd);

protected:
  // The one dispatch point; the base maps messages to the handlers below
  // and passes everything else to defaultProc.
  virtual LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // DefWindowProcW for windows made by create; a dialog says "not handled".
  virtual LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam);
  // For window types created another way (dialogs): binds the object to its
  // handle as create does, or lets go of it (null).
  void bindHandle(HWND hwnd);

  virtual bool onCreate() { return true; }                            // WM_CREATE; false refuses
  virtual void onSize(int width, int height) { (void)width; (void)height; } // WM_SIZE
  // WM_PAINT, inside BeginPaint/EndPaint (which alone is what the default
  // procedure does): a class paints by overriding this one function.
  virtual void onPaint(HDC dc, const RECT& area) { (void)dc; (void)area; }
  virtual bool onCommand(UINT id, UINT code, HWND control) { (void)id; (void)code; (void)control; return false; } // WM_COMMAND
  virtual bool onNotify(NMHDR* header, LRESULT& result) { (void)header; (void)result; return false; }          // WM_NOTIFY
  virtual void onDestroy() {}                                         // WM_DESTROY

private:
  static LRESULT CALLBACK staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND m_hWnd = nullptr;
};

} // namespace fw
