// meui::MeUiColorPropertyEx<Owner>: the material colour rows' grid row. The
// list holds the seven index colours, the host's custom colours, "More
// Colors..." (the host's colour dialog) and "by object"; a colour is drawn
// as a swatch and its name (MeUiColorList.h).
#pragma once

#include "core/MeEditTarget.h"
#include "host/win/KtFamilies.h"
#include "ui/controls/MeUiColorList.h"

namespace meui
{
template <class Owner>
class MeUiColorPropertyEx : public COdColorProperty<Owner>
{
  using Base = COdColorProperty<Owner>;

public:
  using Base::Base;

  CXStringW TextFromValue(const OdCmColor& value) override
  {
    return isByObject(value) ? byObjectText() : colorText(value);
  }

protected:
  using Item = typename Base::Item;

  // The colour the by-layer page of the dialog shows: the current layer's,
  // which the material rows know; none here.
  virtual OdCmColor byLayerSample() { return OdCmColor(OdCmEntityColor::kNone); }

  void FillColorItems(const OdCmColor& current, std::vector<Item>& items, int& selected) override
  {
    const ColorList list = colorList(current, ktHostServices().customColors());
    for (const ColorListItem& entry : list.items)
      items.push_back({entry.hasColor, entry.color, entry.text});
    selected = list.selected;
  }
  // "More Colors..." opens the dialog on the current colour; a colour chosen
  // there joins the host's custom colours.
  bool ChooseColorItem(int index, OdCmColor& value) override
  {
    if (index < 0 || index >= int(this->m_colorItems.size()))
      return false;
    const Item& item = this->m_colorItems[std::size_t(index)];
    if (item.hasColor)
    {
      value = item.color;
      return true;
    }
    OdCmColor color;
    if (!this->GetValue(color))
      color = OdCmColor();
    // The material may go while the dialog is open (erased by a command, its
    // drawing switched or closed): the colour was not chosen for whatever the
    // row edits then.
    const me::MeEditTarget target = this->GetOwner()->editTarget();
    if (!ktHostServices().colorDialog(color, false, byLayerSample(), 7, this->hwnd()) || !target.stillCurrent())
      return false;
    ktHostServices().addCustomColor(color);
    value = color;
    return true;
  }
  void DrawColor(IKtCanvas& canvas, const KtRect& rect, const OdCmColor* color, ODCOLORREF textColor) override
  {
    drawColor(canvas, rect, color, textColor);
  }
};
} // namespace meui
