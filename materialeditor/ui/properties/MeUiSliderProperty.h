// meui::MeUiSliderProperty<Owner, int>: a grid row of a whole number shown
// and set with a slider (glossiness, brightness, rotation). The value is
// written when the user lets the button go, wherever that is, or moves it
// with a key (valueChosen); dragging and the wheel only move the slider,
// which otherwise shows what the owner holds.
#pragma once

#include "resources/MeResources.h"
#include "ui/controls/CKtSliderCtrl.h"

namespace meui
{
// The command code the slider sends its parent when a value was chosen.
constexpr UINT kSliderValueChosen = 4;

template <class Owner, class T = int>
class MeUiSliderProperty : public CTEditableProperty<Owner, T, T>, public CKtSliderCtrl<T>
{
public:
  MeUiSliderProperty(const CXStringW& label, Owner* owner) : CTEditableProperty<Owner, T, T>(label, owner)
  {
    this->m_slider.low = 0;
    this->m_slider.high = 100;
    this->m_slider.value = 0;
    this->m_slider.step = 1;
  }
  void SetSliderRange(int low, int high)
  {
    this->m_slider.low = low;
    this->m_slider.high = high;
  }
  void SetStep(int step) { this->m_slider.step = step; }

  // Slot 6: the slider over the cell, with the value read into it; the click
  // that opened it acts on it too.
  KtHwnd CreateEditor(KtHwnd parent, const KtRect& cell) override
  {
    if (this->hwnd())
      return nullptr;
    HWND window = this->CreateSlider(static_cast<HWND>(parent), ktRect(cell), IDC_SLIDER);
    if (!window)
      return nullptr;
    this->m_editWindow = window;
    int value = 0;
    if (this->GetValue(value))
      this->SetSliderValue(value);
    SetFocus(window);
    this->PassOnOpeningPress();
    return window;
  }
  void DrawValue(IKtCanvas& canvas, const KtRect& rect, const T& value) override
  {
    const KtRect area = rect.inflated(2, 2); // the cell itself
    drawSlider(canvas, area, sliderPosition(value, this->m_slider.low, this->m_slider.high, area.width()),
               this->TextFromValue(value), false);
  }
  bool GetEditorValue(T& value) override
  {
    if (!this->hwnd())
      return false;
    value = this->SliderValue();
    return true;
  }
  bool DrawsCentred() override { return true; }
  bool WantsAllKeys() override { return true; }

protected:
  bool storedValue(int& value) override { return this->GetValue(value); }
  bool getText(CXStringW& text) override
  {
    text = this->TextFromValue(this->m_slider.value);
    return true;
  }
  void valueChosen() override
  {
    HWND window = this->hwnd();
    this->WriteValue(this->m_slider.value);
    if (window && IsWindow(window))
      PostMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(IDC_SLIDER, kSliderValueChosen),
                   reinterpret_cast<LPARAM>(window));
  }
  void sliderDestroyed() override { this->m_editWindow = nullptr; }
};
} // namespace meui
