// The row families the texture property providers build their rows from.
//
// In the Windows build they are the grid's families with their editor
// windows. Natively there are no windows: a row is the windowless part of
// the same family (what it shows, converts, range-checks and writes, all of
// which is CTEditableProperty's), so the providers and their rows are
// tested as the grid would call them.
#pragma once

#include "host/KtProperty.h"
#include "host/KtServices.h"
#include "host/KtValueText.h"
#include "ui/properties/MeUiWholeNumbers.h"

#ifdef _WIN32
#include "host/win/KtFamilies.h"
#include "ui/properties/MeUiColorSelectorProperty.h"
#include "ui/properties/MeUiSliderProperty.h"
#endif

namespace meui
{
#ifdef _WIN32
template <class Owner>
using MeTextRow = CTTextProperty<Owner, CXStringW>;
template <class Owner>
using MeRealRow = CTRealProperty<Owner, double>;
template <class Owner>
using MeTextComboRow = CTTextComboProperty<Owner>;
template <class Owner>
using MeYesNoRow = CTBoolProperty<Owner>;
template <class Owner>
using MeSliderRow = MeUiSliderProperty<Owner, int>;
template <class Owner>
using MeRgbRow = MeUiColorSelectorProperty<Owner>;
#else
template <class Owner>
using MeTextRow = CTEditableProperty<Owner, CXStringW>;
template <class Owner>
using MeRealRow = CTEditableProperty<Owner, double>;
template <class Owner>
using MeTextComboRow = CTEditableProperty<Owner, CXStringW>;

template <class Owner>
class MeYesNoRow : public CTEditableProperty<Owner, int>
{
public:
  MeYesNoRow(const CXStringW& label, Owner* owner) : CTEditableProperty<Owner, int>(label, owner)
  {
    this->SetItems(ktHostServices().translate(L"Yes") + L"\t" + ktHostServices().translate(L"No") + L"\t");
  }
};

template <class Owner>
class MeSliderRow : public CTEditableProperty<Owner, int>
{
public:
  using CTEditableProperty<Owner, int>::CTEditableProperty;
  void SetSliderRange(int low, int high)
  {
    m_sliderLow = low;
    m_sliderHigh = high;
  }
  void SetStep(int step) { m_step = step; }
  int SliderLow() const { return m_sliderLow; }
  int SliderHigh() const { return m_sliderHigh; }

private:
  int m_sliderLow = 0;
  int m_sliderHigh = 100;
  int m_step = 1;
};

template <class Owner>
class MeRgbRow : public CTEditableProperty<Owner, OdUInt32>
{
public:
  using CTEditableProperty<Owner, OdUInt32>::CTEditableProperty;
  CXStringW TextFromValue(const OdUInt32& value) override { return kt::rgbText(value); }
};
#endif

// A percent on a slider (glossiness, brightness): its owner's getter gives
// the whole percent (wholePercent) and its fraction getter the value stored.
// A percent picked is written unless the material holds exactly that
// percent: 35 picked over 0.355 (shown as 35 %) writes 0.35, as chosen.
template <class Owner>
class MePercentRow : public MeSliderRow<Owner>
{
public:
  using Fraction = bool (Owner::*)(double&);

  MePercentRow(const CXStringW& label, Owner* owner, Fraction fraction)
    : MeSliderRow<Owner>(label, owner), m_fraction(fraction)
  {
    this->SetSliderRange(0, 100);
    this->SetStep(1);
  }
  bool IsEqual(const int& a, const int& b) override
  {
    double held = 0.0;
    try
    {
      return a == b && (this->GetOwner()->*m_fraction)(held) && holdsPercent(held, b);
    }
    catch (...)
    {
      return false;
    }
  }

private:
  Fraction m_fraction;
};
} // namespace meui
