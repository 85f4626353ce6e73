// meui::MeUiColorSelectorProperty<Owner>: a grid row of a plain RGB colour
// (the marble and wood colours). The cell is filled with the colour under
// its "RGB(r,g,b)" text; activating the row opens the host's colour dialog
// at once, on a default colour, and writes the chosen colour unless it is
// the one the owner holds, or the owner's edit target (editTarget()) changed
// while the dialog was open. The selector window lives only for the dialog.
#pragma once

#include "core/MeEditTarget.h"
#include "resources/MeResources.h"
#include "ui/controls/CKtColorSelector.h"
#include "ui/controls/MeUiColorList.h"

namespace meui
{
template <class Owner>
class MeUiColorSelectorProperty : public CTEditableProperty<Owner, OdUInt32, OdUInt32>, public CKtColorSelector
{
public:
  using CTEditableProperty<Owner, OdUInt32, OdUInt32>::CTEditableProperty;
  CXStringW TextFromValue(const OdUInt32& value) override { return kt::rgbText(value); }
  bool ValueFromText(const CXStringW&, OdUInt32&, CXStringW&) override { return false; }
  bool IsEqual(const OdUInt32& a, const OdUInt32& b) override { return a == b; }
  void DrawValue(IKtCanvas& canvas, const KtRect& rect, const OdUInt32& value) override
  {
    drawRgbColor(canvas, rect.inflated(2, 2), value);
  }
  bool GetEditorValue(OdUInt32& value) override
  {
    if (!hwnd())
      return false;
    value = m_colour;
    return true;
  }
  void FillList() override {}

  // Slot 6: the dialog, with the selector over the cell while it is open;
  // never leaves an editor open.
  KtHwnd CreateEditor(KtHwnd parent, const KtRect& cell) override
  {
    if (hwnd() || this->m_editWindow)
      return nullptr;
    HWND window = CreateSelector(static_cast<HWND>(parent), ktRect(cell), IDC_COLOR_SELECTOR);
    if (!window)
      return nullptr;
    this->GetValue(m_colour);
    SetFocus(window);
    // The map may go while the dialog is open (its material erased, its
    // drawing switched, the map replaced): then nothing is written.
    const me::MeEditTarget target = this->GetOwner()->editTarget();
    OdUInt32 colour = 0;
    if (chooseColour(colour) && target.stillCurrent())
    {
      m_colour = colour;
      this->WriteValue(colour);
    }
    if (IsWindow(window))
      DestroyWindow(window);
    return nullptr;
  }
};
} // namespace meui
