#include "ui/controls/MeUiSliderModel.h"

#include "host/KtServices.h"

#include <algorithm>
#include <cmath>

namespace meui
{
int sliderPosition(int value, int low, int high, int width)
{
  if (high <= low || width <= 0)
    return 0;
  value = std::clamp(value, low, high);
  const double position = std::trunc(double(width) / double(high - low) * double(value - low));
  return std::min(int(position), width);
}

int sliderValue(int x, int low, int high, int width)
{
  if (high <= low || width <= 0)
    return low;
  // The right edge itself is the high end: w / (w / n) can fall just short
  // of n in floating point (a 17-pixel slider of 0 to 100 would stop at 99).
  if (x >= width)
    return high;
  if (x <= 0)
    return low;
  const double value = std::trunc(double(x) / (double(width) / double(high - low)));
  return std::clamp(low + int(value), low, high);
}

void drawSlider(IKtCanvas& canvas, const KtRect& area, int position, const CXStringW& text, bool markers)
{
  const ODCOLORREF background = ktThemeBackground();
  canvas.fill(area, background);
  const int right = std::min(area.left + std::max(position, 0), area.right);
  if (right > area.left)
  {
    const ODCOLORREF bar = ktScaleColor(background, ktThemeIsDark() ? 150 : 80);
    canvas.fill({area.left, area.top, right, area.bottom}, bar);
    if (markers)
    {
      const ODCOLORREF mark = ktScaleColor(ktThemeText(), 50);
      const KtPoint top[] = {{right - 3, area.top}, {right, area.top}, {right, area.top + 4}};
      const KtPoint bottom[] = {{right - 3, area.bottom}, {right, area.bottom}, {right, area.bottom - 5}};
      canvas.polygon(top, 3, mark);
      canvas.polygon(bottom, 3, mark);
    }
  }
  canvas.text({area.left + 4, area.top + 2, area.right - 4, area.bottom - 2}, text, ktThemeText(), KtAlign::Centre);
}

void SliderModel::setValue(int v, int width)
{
  value = std::clamp(v, low, high);
  m_stored = value;
  m_wheeled = false;
  position = sliderPosition(value, low, high, width);
}

SliderModel::Press SliderModel::buttonDown(int x, int width)
{
  m_pressed = true;
  if (position - kGrabZone < x && x < position + kGrabZone)
  {
    dragging = true;
    return Press::Grab;
  }
  position = std::clamp(x, 0, std::max(width, 0));
  value = sliderValue(position, low, high, width);
  return Press::Jump;
}

bool SliderModel::buttonMove(int x, int width)
{
  if (!firstMoveSeen)
  {
    firstMoveSeen = true;
    return false;
  }
  if (!dragging)
    return false;
  position = std::clamp(x, 0, std::max(width, 0));
  value = sliderValue(position, low, high, width);
  return true;
}

bool SliderModel::buttonUp()
{
  dragging = false;
  const bool written = m_pressed;
  m_pressed = false;
  if (written)
    m_wheeled = false;
  return written;
}

bool SliderModel::cancel(int width)
{
  const bool dropped = pending();
  dragging = false;
  m_pressed = false;
  setValue(m_stored, width);
  return dropped;
}

void SliderModel::wheel(int delta, int width)
{
  if (delta < 0)
    value = std::min(value + step, high);
  else if (delta > 0)
    value = std::max(value - step, low);
  m_wheeled = m_wheeled || delta != 0;
  position = std::max(sliderPosition(value, low, high, width), 0);
}

bool SliderModel::key(SliderKey key, int width)
{
  if (m_pressed)
    return false;
  int next = value;
  switch (key)
  {
  case SliderKey::Left: next = value - step; break;
  case SliderKey::Right: next = value + step; break;
  case SliderKey::PageUp: next = value - kPageSteps * step; break;
  case SliderKey::PageDown: next = value + kPageSteps * step; break;
  case SliderKey::Home: next = low; break;
  case SliderKey::End: next = high; break;
  }
  next = std::clamp(next, low, high);
  // A wheel change not yet written goes with the key's.
  const bool moved = next != value || m_wheeled;
  value = next;
  m_wheeled = false;
  position = sliderPosition(value, low, high, width);
  return moved;
}
} // namespace meui
