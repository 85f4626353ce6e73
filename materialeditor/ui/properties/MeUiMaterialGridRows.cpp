// The grid rows the material row sources make, and the map menu: the window
// half of MeUiColorProperty and MeUiTextureProperty.
// A build without windows has no grid: the sources make no rows there.
#include "ui/properties/MeUiColorProperty.h"
#include "ui/properties/MeUiTextureProperty.h"

#if defined(_WIN32)
#include "framework/Menu.h"
#include "ui/properties/MeUiColorPropertyEx.h"

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

void MeUiDiffuseTextureProperty::createEditableProperty(IKtEditableProperty*& out)
{
  auto* row = new CTTextProperty<MeUiDiffuseTextureProperty, CXStringW>(m_label, this);
  row->SetGetter(&MeUiDiffuseTextureProperty::getValue);
  row->SetAction(&MeUiDiffuseTextureProperty::buttonAction);
  out = row;
}

unsigned MeUiTextureProperty::showMenu(const std::vector<MapMenuItem>& items)
{
  fw::CMenu menu;
  if (!menu.createPopup())
    return 0;
  for (const MapMenuItem& item : items)
  {
    if (item.command == 0)
      menu.appendSeparator();
    else
      menu.appendItem(item.command, item.text.c_str(), item.enabled);
  }
  POINT pointer{};
  GetCursorPos(&pointer);
  // Pressed from the keyboard (the pointer elsewhere): the menu drops below
  // the row's button, where the user's eyes are.
  RECT button{};
  HWND focus = GetFocus();
  if (focus && GetWindowRect(focus, &button) && !PtInRect(&button, pointer))
    pointer = {button.left, button.bottom};
  // Modal until the menu closes; the command comes back rather than posted,
  // so that the caller can look again at what it was chosen for.
  return fw::trackPopupMenu(menu.handle(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, pointer.x,
                            pointer.y, static_cast<HWND>(ownerWindow()));
}

void MeUiTextureProperty::sendCommand(unsigned command)
{
  if (HWND owner = static_cast<HWND>(ownerWindow()); owner && IsWindow(owner))
    SendMessageW(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}
} // namespace meui

#else

namespace meui
{
void MeUiColorProperty::createEditableProperty(IKtEditableProperty*& out) { out = nullptr; }
void MeUiDiffuseTextureProperty::createEditableProperty(IKtEditableProperty*& out) { out = nullptr; }
unsigned MeUiTextureProperty::showMenu(const std::vector<MapMenuItem>&) { return 0; }
void MeUiTextureProperty::sendCommand(unsigned) {}
} // namespace meui

#endif
