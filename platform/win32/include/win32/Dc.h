// Device contexts a window lends out, and objects selected into a DC.
//
//   win::ClientDc        GetDC / ReleaseDC: the client area (null window: the
//                        screen); movable, so a window may keep its own DC
//   win::WindowDc        GetWindowDC / ReleaseDC: the whole window, frame included
//   win::PaintDc         BeginPaint / EndPaint inside WM_PAINT; area() is the
//                        part to paint
//   win::SelectedObject  SelectObject for a scope, then the previous object back
//
// A DC of one's own (CreateCompatibleDC) is win::MemoryDc in Handles.h.
#pragma once

#include <windows.h>

#include <utility>

namespace win
{
namespace detail
{
// A DC borrowed from a window with Source::get, given back with ReleaseDC.
// (A traits type, not the function's address: imported functions have no
// constant address to give a template.)
template <class Source>
class BorrowedDc
{
public:
  BorrowedDc() = default;
  explicit BorrowedDc(HWND window) : m_window(window), m_dc(Source::get(window)) {}
  ~BorrowedDc() { reset(); }
  BorrowedDc(BorrowedDc&& other) noexcept
    : m_window(std::exchange(other.m_window, nullptr)), m_dc(std::exchange(other.m_dc, nullptr))
  {
  }
  BorrowedDc& operator=(BorrowedDc&& other) noexcept
  {
    if (this != &other)
    {
      reset();
      m_window = std::exchange(other.m_window, nullptr);
      m_dc = std::exchange(other.m_dc, nullptr);
    }
    return *this;
  }
  BorrowedDc(const BorrowedDc&) = delete;
  BorrowedDc& operator=(const BorrowedDc&) = delete;

  HDC get() const { return m_dc; }
  HWND window() const { return m_window; }
  explicit operator bool() const { return m_dc != nullptr; }
  void reset()
  {
    if (m_dc)
      ReleaseDC(m_window, m_dc);
    m_dc = nullptr;
    m_window = nullptr;
  }

private:
  HWND m_window = nullptr;
  HDC m_dc = nullptr;
};
struct ClientArea { static HDC get(HWND window) { return GetDC(window); } };
struct WholeWindow { static HDC get(HWND window) { return GetWindowDC(window); } };
} // namespace detail

using ClientDc = detail::BorrowedDc<detail::ClientArea>;
using WindowDc = detail::BorrowedDc<detail::WholeWindow>;

class PaintDc
{
public:
  explicit PaintDc(HWND window) : m_window(window) { m_dc = BeginPaint(window, &m_paint); }
  ~PaintDc()
  {
    if (m_dc)
      EndPaint(m_window, &m_paint);
  }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;

  HDC get() const { return m_dc; }
  const RECT& area() const { return m_paint.rcPaint; }
  bool eraseBackground() const { return m_paint.fErase != FALSE; }

private:
  HWND m_window;
  HDC m_dc = nullptr;
  PAINTSTRUCT m_paint{};
};

class SelectedObject
{
public:
  SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject()
  {
    if (m_previous && m_previous != HGDI_ERROR)
      SelectObject(m_dc, m_previous);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

  // False when the object could not be selected (wrong kind, bad DC).
  bool selected() const { return m_previous && m_previous != HGDI_ERROR; }

private:
  HDC m_dc;
  HGDIOBJ m_previous;
};
} // namespace win
