#include "ui/properties/MeUiTextureProperty.h"

#include "core/IMeEditor.h"
#include "core/MeEditTarget.h"
#include "core/MeHost.h"
#include "core/MeStrings.h"
#include "od/DbObjectId.h"
#include "od/OdError.h"

#include <algorithm>

namespace meui
{
namespace
{
// "C:\maps\wood.jpg" and "maps/wood.jpg" are both "wood.jpg": a drawing
// names its files with either separator.
OdString withoutFolders(const OdString& path)
{
  const int cut = std::max(path.reverseFind(L'\\'), path.reverseFind(L'/'));
  return cut < 0 ? path : path.mid(cut + 1);
}
} // namespace

std::vector<MapMenuItem> mapMenuItems(bool mapAvailable)
{
  return {{kMapCommandImage, me::loadString(me::kStrImageMenuItem), true},
          {0, CXStringW(), true},
          {kMapCommandRemove, me::loadString(me::kStrRemove), mapAvailable},
          {kMapCommandEdit, me::loadString(me::kStrEdit), mapAvailable}};
}

bool MeUiTextureProperty::getValue(CXStringW&) { return false; }
bool MeUiTextureProperty::setValue(CXStringW) { return false; }
bool MeUiTextureProperty::buttonAction() { return false; }

bool MeUiDiffuseTextureProperty::getValue(CXStringW& text)
{
  me::IMeEditor* editor = me::editorService();
  if (!editor)
    return false;
  const OdString stored = editor->diffuseMapText();
  if (stored.isEmpty())
  {
    text = me::loadString(me::kStrNoTexture);
    return true;
  }
  if (editor->isDiffuseMapFile() && !me::fileExists(stored))
  {
    // Moved since it was chosen: the host's search paths may know it.
    const OdString found = me::findFile(stored, editor->materialId().database(), kHostFindTextureMap);
    text = found.isEmpty() ? OdString::format(me::loadString(me::kStrTextureNotFound), stored) : withoutFolders(found);
    return true;
  }
  text = withoutFolders(stored);
  return true;
}

bool MeUiDiffuseTextureProperty::buttonAction()
{
  me::IMeEditor* editor = me::editorService();
  if (!editor)
    return true;
  bool available = false;
  try
  {
    available = editor->isDiffuseMapAvailable();
  }
  catch (const OdError&)
  {
    // The material went (erased, its drawing closed): only a new image is offered.
  }
  const me::MeEditTarget target = me::MeEditTarget::ofEditor(&editor->diffuseMap());
  const unsigned command = showMenu(mapMenuItems(available));
  if (command != 0 && target.stillCurrent())
    sendCommand(command);
  return true;
}
} // namespace meui
