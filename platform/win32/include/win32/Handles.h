// Owning Win32 handles: each frees its handle once, when it goes, by the
// call that matches how it was made. Borrowed handles stay plain HWND, HDC,
// HBITMAP... values, so a type says whether its holder must free it.
//
//   win::Owned<H, Traits>  the owning template: move only, get, attach, detach, reset
//   win::Window            DestroyWindow        (a window made by CreateWindowEx)
//   win::Bitmap, Brush, Pen, Font, Region
//                          DeleteObject         (GDI objects)
//   win::MemoryDc          DeleteDC             (CreateCompatibleDC)
//   win::Cursor            DestroyCursor        (a cursor loaded from a file or resource
//                                                with LoadImage; never a shared one)
//   win::Icon              DestroyIcon          (likewise)
//   win::Menu              DestroyMenu          (CreateMenu, CreatePopupMenu, LoadMenu)
//   win::Accelerators      DestroyAcceleratorTable (CreateAcceleratorTable)
//   win::Library           FreeLibrary
//   win::KernelHandle      CloseHandle
//   win::GlobalMemory      GlobalFree           (GlobalAlloc; given up with detach
//                                                once the clipboard has taken it)
//
//   win::topDownDib        a 32-bit DIB section, rows top first, with its bits
//
// Device contexts borrowed from a window (GetDC, BeginPaint) are in Dc.h.
#pragma once

#include <windows.h>

#include <utility>

namespace win
{
template <class H, class Traits>
class Owned
{
public:
  using Handle = H;

  Owned() = default;
  explicit Owned(H handle) : m_handle(handle) {}
  ~Owned() { reset(); }
  Owned(Owned&& other) noexcept : m_handle(other.detach()) {}
  Owned& operator=(Owned&& other) noexcept
  {
    if (this != &other)
      attach(other.detach());
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  H get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  // Takes ownership of the handle, freeing the one held before.
  void attach(H handle)
  {
    if (handle == m_handle)
      return;
    reset();
    m_handle = handle;
  }
  // Gives the handle up without freeing it: the caller owns it now.
  H detach() { return std::exchange(m_handle, nullptr); }
  void reset()
  {
    if (m_handle)
      Traits::close(m_handle);
    m_handle = nullptr;
  }

private:
  H m_handle = nullptr;
};

struct WindowTraits { static void close(HWND h) { if (IsWindow(h)) DestroyWindow(h); } };
struct GdiObjectTraits { static void close(HGDIOBJ h) { DeleteObject(h); } };
struct MemoryDcTraits { static void close(HDC h) { DeleteDC(h); } };
struct CursorTraits { static void close(HCURSOR h) { DestroyCursor(h); } };
struct IconTraits { static void close(HICON h) { DestroyIcon(h); } };
struct MenuTraits { static void close(HMENU h) { DestroyMenu(h); } };
struct AcceleratorTraits { static void close(HACCEL h) { DestroyAcceleratorTable(h); } };
struct LibraryTraits { static void close(HMODULE h) { FreeLibrary(h); } };
struct KernelHandleTraits { static void close(HANDLE h) { CloseHandle(h); } };
struct GlobalMemoryTraits { static void close(HGLOBAL h) { GlobalFree(h); } };

// A window may already be gone when its owner lets go of it (its parent
// took it along): the traits check before destroying.
using Window = Owned<HWND, WindowTraits>;
using Bitmap = Owned<HBITMAP, GdiObjectTraits>;
using Brush = Owned<HBRUSH, GdiObjectTraits>;
using Pen = Owned<HPEN, GdiObjectTraits>;
using Font = Owned<HFONT, GdiObjectTraits>;
using Region = Owned<HRGN, GdiObjectTraits>;
using MemoryDc = Owned<HDC, MemoryDcTraits>;
using Cursor = Owned<HCURSOR, CursorTraits>;
using Icon = Owned<HICON, IconTraits>;
using Menu = Owned<HMENU, MenuTraits>;
using Accelerators = Owned<HACCEL, AcceleratorTraits>;
using Library = Owned<HMODULE, LibraryTraits>;
using KernelHandle = Owned<HANDLE, KernelHandleTraits>;
using GlobalMemory = Owned<HGLOBAL, GlobalMemoryTraits>;

// A width x height DIB section of 32 bits a pixel (B, G, R, unused), rows
// top first; bits points at its pixels, or is null with no bitmap.
inline Bitmap topDownDib(int width, int height, void*& bits, HDC dc = nullptr)
{
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  bits = nullptr;
  Bitmap bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bits)
    bitmap.reset();
  return bitmap;
}

// A brush of one colour that follows a colour which may change (a theme):
// made again only when asked for another colour.
class SolidBrush
{
public:
  HBRUSH get(COLORREF colour)
  {
    if (!m_brush || colour != m_colour)
    {
      m_brush.attach(CreateSolidBrush(colour));
      m_colour = colour;
    }
    return m_brush.get();
  }

private:
  Brush m_brush;
  COLORREF m_colour = 0;
};
} // namespace win
