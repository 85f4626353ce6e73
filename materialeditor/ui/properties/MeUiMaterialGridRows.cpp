// The grid rows the material row sources make, and the map menu: the window
// half of MeUiColorProperty, MeUiGlossinessProperty and MeUiTextureProperty.
// A build without windows has no grid: the sources make no rows there.
#include "ui/properties/MeUiColorProperty.h"
#include "ui/properties/MeUiGlossinessProperty.h"
#include "ui/properties/MeUiTextureProperty.h"

#if defined(_WIN32)
#include "framework/Menu.h"
#include "ui/properties/MeUiColorPropertyEx.h"
#include "ui/properties/MeUiSliderProperty.h"

namespace meui
{
namespace
{
// The colour list row of a material colour: the dialog's by-layer page
// shows the current layer's colour.
class MaterialColorRow : public MeUiColorPropertyEx<MeUiColorProperty>
{
public:
  using MeUiColorPropertyEx<MeUiColorProperty>::MeUiColorPropertyEx;

protected:
  OdCmColor byLayerSample() override
  {
    try
    {
      return this->GetOwner()->byLayerSample();
    }
    catch (...)
    {
      return OdCmColor(OdCmEntityColor::kNone); // a drawing going away has no layer to offer
    }
  }
};
} // namespace

void MeUiColorProperty::createEditableProperty(IKtEditableProperty*& out)
{
  auto* row = new MaterialColorRow(m_label, this);
  row->SetGetter(&MeUiColorProperty::getValue);
  row->SetSetter(&MeUiColorProperty::setValue);
  row->SetShown(&MeUiColorProperty::isShown);
  out = row;
}

namespace
{
// A percent picked is written unless the material holds exactly that percent:
// 35 picked over 0.355 (shown as 35%) writes 0.35, as the user chose.
class GlossinessRow : public MeUiSliderProperty<MeUiGlossinessProperty, int>
{
public:
  using MeUiSliderProperty<MeUiGlossinessProperty, int>::MeUiSliderProperty;
  bool IsEqual(const int& a, const int& b) override { return a == b && this->GetOwner()->holdsExactly(b); }
};
} // namespace

void MeUiGlossinessProperty::createEditableProperty(IKtEditableProperty*& out)
{
  auto* row = new GlossinessRow(m_label, this);
  row->SetGetter(&MeUiGlossinessProperty::getValue);
  row->SetSetter(&MeUiGlossinessProperty::setValue);
  row->SetFormat(&MeUiGlossinessProperty::format);
  row->SetSliderRange(0, 100);
  row->SetStep(1);
  out = row;
}

void MeUiDiffuseTextureProperty::createEditableProperty(IKtEditableProperty*& out)
{
  auto* row = new CTTextProperty<MeUiDiffuseTextureProperty, CXStringW>(m_label, this);
  row->SetGetter(&MeUiDiffuseTextureProperty::getValue);
  row->SetAction(&MeUiDiffuseTextureProperty::buttonAction);
  out = row;
}

void MeUiTextureProperty::showMenu(const std::vector<MapMenuItem>& items)
{
  fw::CMenu menu;
  if (!menu.createPopup())
    return;
  for (const MapMenuItem& item : items)
  {
    if (item.command == 0)
      menu.appendSeparator();
    else
      menu.appendItem(item.command, item.text.c_str(), item.enabled);
  }
  POINT pointer{};
  GetCursorPos(&pointer);
  // Modal until the menu closes; the chosen command is posted to the owner.
  fw::trackPopupMenu(menu.handle(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, pointer.x, pointer.y,
                     static_cast<HWND>(ownerWindow()));
}
} // namespace meui

#else

namespace meui
{
void MeUiColorProperty::createEditableProperty(IKtEditableProperty*& out) { out = nullptr; }
void MeUiGlossinessProperty::createEditableProperty(IKtEditableProperty*& out) { out = nullptr; }
void MeUiDiffuseTextureProperty::createEditableProperty(IKtEditableProperty*& out) { out = nullptr; }
void MeUiTextureProperty::showMenu(const std::vector<MapMenuItem>&) {}
} // namespace meui

#endif
