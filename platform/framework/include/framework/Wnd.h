// Window wrappers.
//
//   fw::CWnd      a window of ours: one window procedure, typed handlers as
//                 virtual functions, the rest to the default procedure
//   fw::TWnd<T>   subclasses an existing window (a common control): the
//                 object and the previous procedure are kept as window
//                 properties; unhandled messages go to the previous one
//   fw::OwnedGdi  owning handle of a GDI object (deletes it)
#pragma once

#include <windows.h>

#include <string>

namespace fw
{
class CWnd
{
public:
  CWnd() = default;
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
  LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam);

  virtual bool onCreate() { return true; }                            // WM_CREATE; false refuses
  virtual void onSize(int width, int height) { (void)width; (void)height; } // WM_SIZE
  virtual void onPaint(HDC dc, const RECT& area) { (void)dc; (void)area; } // WM_PAINT, inside BeginPaint/EndPaint
  virtual bool hasOwnPaint() const { return false; }                  // whether onPaint takes WM_PAINT
  virtual bool onCommand(UINT id, UINT code, HWND control) { (void)id; (void)code; (void)control; return false; } // WM_COMMAND
  virtual bool onNotify(NMHDR* header, LRESULT& result) { (void)header; (void)result; return false; }          // WM_NOTIFY
  virtual void onDestroy() {}                                         // WM_DESTROY

private:
  static LRESULT CALLBACK staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND m_hWnd = nullptr;
};

// Subclassing wrapper for a control made elsewhere.
template <class T>
class TWnd
{
public:
  virtual ~TWnd() { unsubclass(); }

  bool subclass(HWND hwnd)
  {
    if (!hwnd || m_hWnd)
      return false;
    m_hWnd = hwnd;
    SetPropW(hwnd, L"fw.object", static_cast<HANDLE>(this));
    SetPropW(hwnd, L"fw.previous", reinterpret_cast<HANDLE>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)));
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWnd::staticProc));
    return true;
  }
  void unsubclass()
  {
    if (!m_hWnd)
      return;
    if (IsWindow(m_hWnd))
    {
      if (auto previous = reinterpret_cast<WNDPROC>(GetPropW(m_hWnd, L"fw.previous")))
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      RemovePropW(m_hWnd, L"fw.object");
      RemovePropW(m_hWnd, L"fw.previous");
    }
    m_hWnd = nullptr;
  }
  HWND hwnd() const { return m_hWnd; }

protected:
  virtual LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) { return previousProc(message, wParam, lParam); }
  LRESULT previousProc(UINT message, WPARAM wParam, LPARAM lParam)
  {
    auto previous = reinterpret_cast<WNDPROC>(GetPropW(m_hWnd, L"fw.previous"));
    return previous ? CallWindowProcW(previous, m_hWnd, message, wParam, lParam) : DefWindowProcW(m_hWnd, message, wParam, lParam);
  }

private:
  static LRESULT CALLBACK staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
  {
    auto* self = static_cast<TWnd*>(GetPropW(hwnd, L"fw.object"));
    if (!self)
      return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY)
    {
      const LRESULT result = self->previousProc(message, wParam, lParam);
      self->unsubclass();
      return result;
    }
    return self->windowProc(message, wParam, lParam);
  }
  HWND m_hWnd = nullptr;
};

// An owned GDI object; a borrowed one is a plain handle.
template <class H>
class OwnedGdi
{
public:
  OwnedGdi() = default;
  explicit OwnedGdi(H handle) : m_handle(handle) {}
  ~OwnedGdi() { reset(); }
  OwnedGdi(const OwnedGdi&) = delete;
  OwnedGdi& operator=(const OwnedGdi&) = delete;
  OwnedGdi(OwnedGdi&& other) noexcept : m_handle(other.detach()) {}
  OwnedGdi& operator=(OwnedGdi&& other) noexcept
  {
    reset(other.detach());
    return *this;
  }
  H get() const { return m_handle; }
  H detach()
  {
    H handle = m_handle;
    m_handle = nullptr;
    return handle;
  }
  void reset(H handle = nullptr)
  {
    if (m_handle)
      DeleteObject(m_handle);
    m_handle = handle;
  }

private:
  H m_handle = nullptr;
};
} // namespace fw
