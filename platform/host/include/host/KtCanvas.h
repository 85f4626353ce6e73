// What a row draws with: a cell rectangle and the few drawing operations
// rows need, so that what a row draws is decided in portable code and
// tested without a screen. The host hands out the canvas of a device
// context (IKtHostServices::openCanvas).
#pragma once

#include "host/HostVariant.h"
#include "od/OdPlatform.h"

// A window handle and a device context as the grid passes them (HWND, HDC).
using KtHwnd = void*;
using KtHdc = void*;

struct KtRect
{
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  // Grows (positive) or shrinks (negative) each side by d.
  KtRect inflated(int dx, int dy) const { return {left - dx, top - dy, right + dx, bottom + dy}; }
  bool operator==(const KtRect& o) const { return left == o.left && top == o.top && right == o.right && bottom == o.bottom; }
};

struct KtPoint
{
  int x = 0;
  int y = 0;
};

enum class KtAlign
{
  Left,   // edit-control layout: from the left, vertically centred
  Centre, // centred both ways
};

class IKtCanvas
{
public:
  virtual ~IKtCanvas() = default;
  // Colours are screen colours, 0x00BBGGRR.
  virtual void fill(const KtRect& rect, ODCOLORREF color) = 0;
  // A one-pixel outline inside the rectangle.
  virtual void frame(const KtRect& rect, ODCOLORREF color) = 0;
  virtual void polygon(const KtPoint* points, int count, ODCOLORREF color) = 0;
  // One line, transparent background, in the font of the window drawn into.
  virtual void text(const KtRect& rect, const CXStringW& text, ODCOLORREF color, KtAlign align) = 0;
  // The device context behind it, for window code; null when there is none.
  virtual KtHdc dc() = 0;
};

// A colour brightened (percent above 100) or darkened (below): each channel
// scaled and clamped to 255.
inline ODCOLORREF ktScaleColor(ODCOLORREF color, int percent)
{
  const auto channel = [&](unsigned c) {
    const unsigned v = c * unsigned(percent) / 100u;
    return v > 255u ? 255u : v;
  };
  return ODRGB(channel(ODGETRED(color)), channel(ODGETGREEN(color)), channel(ODGETBLUE(color)));
}
