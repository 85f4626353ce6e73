// Owning wrappers of Win32 handles: each frees its handle once, when it goes.
// Borrowed handles stay plain HWND / HDC values.
#pragma once

#include <windows.h>

#include <utility>

namespace host
{
template <class Handle, class Traits>
class UniqueHandle
{
public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : m_handle(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.detach()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept
  {
    if (this != &other)
      attach(other.detach());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  void attach(Handle handle)
  {
    reset();
    m_handle = handle;
  }
  Handle detach() { return std::exchange(m_handle, nullptr); }
  void reset()
  {
    if (m_handle)
      Traits::close(m_handle);
    m_handle = nullptr;
  }

private:
  Handle m_handle = nullptr;
};

struct GdiObjectTraits { static void close(HGDIOBJ h) { DeleteObject(h); } };
struct MemoryDcTraits { static void close(HDC h) { DeleteDC(h); } };
struct LibraryTraits { static void close(HMODULE h) { FreeLibrary(h); } };
struct KernelHandleTraits { static void close(HANDLE h) { CloseHandle(h); } };

using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectTraits>;
using UniqueFont = UniqueHandle<HFONT, GdiObjectTraits>;
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;
using UniqueLibrary = UniqueHandle<HMODULE, LibraryTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;

// A window's device context, released with its window.
class WindowDc
{
public:
  explicit WindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
  ~WindowDc()
  {
    if (m_dc)
      ReleaseDC(m_window, m_dc);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return m_dc; }

private:
  HWND m_window;
  HDC m_dc;
};

// Selects an object into a DC for the scope, then puts the old one back.
class SelectedObject
{
public:
  SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(m_dc, m_old); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

private:
  HDC m_dc;
  HGDIOBJ m_old;
};
} // namespace host
