// The browser's commands on its items, its context menus, its keys and its
// label edits.
#include "ui/MeUiMaterialBrowserPalette.h"

#include "core/IMeSettingsStorage.h"
#include "core/MeHost.h"
#include "core/MeMaterialNaming.h"
#include "core/MeMaterialOperations.h"
#include "core/MeMaterialUsage.h"
#include "core/MeModule.h"
#include "core/MeNames.h"
#include "core/MeStrings.h"
#include "ui/MeUiMaterialBrowserParts.h"

#include <utility>

namespace meui
{
void MeUiMaterialBrowserPalette::newMaterial()
{
  me::IMeManager* manager = me::managerService();
  if (!manager)
    return;
  OdDbMaterialPtr material = OdDbMaterial::createObject();
  material->setName(me::newMaterialName(me::loadString(me::kStrDefaultGeneric), shownNames()));
  m_revealAdded = true;
  manager->addMaterial(material);
  m_revealAdded = false;
}

void MeUiMaterialBrowserPalette::cloneMaterial()
{
  OdDbObjectId* id = currentId();
  me::IMeManager* manager = me::managerService();
  OdDbMaterialPtr source = id ? openMaterial(*id) : OdDbMaterialPtr();
  if (source.isNull() || !manager)
    return;
  OdDbMaterialPtr copy = OdDbMaterial::cast(source->clone().get());
  if (copy.isNull())
    return;
  const OdString sourceName = me::displayMaterialName(source->name());
  source = nullptr;
  copy->setName(me::cloneMaterialName(sourceName, shownNames()));
  m_revealAdded = true;
  manager->addMaterial(copy);
  m_revealAdded = false;
}

void MeUiMaterialBrowserPalette::edit(bool focusEditor)
{
  OdDbObjectId* id = currentId();
  if (!id)
    return;
  const OdDbObjectId material = *id; // the item may go while the editor opens
  m_links.closeTextureEditor();
  // The material that was being edited gets its thumbnail rendered again.
  me::sendServiceEvent(me::kMaterialsBrowserService, me::kEventRefreshEditedThumbnail);
  // The editor's pane takes the focus as it shows; after a double click or
  // Enter it stays in the list, where the user goes on choosing.
  const HWND focus = GetFocus();
  if (!m_links.openMaterialEditor(material))
    return;
  if (focusEditor)
    m_links.focusMaterialEditor();
  else if (focus == m_list.hwnd() && IsWindow(focus))
    SetFocus(focus);
}

void MeUiMaterialBrowserPalette::applyToSelection()
{
  if (OdDbObjectId* id = currentId())
    me::applyMaterialToSelection(*id);
}

void MeUiMaterialBrowserPalette::selectObjects()
{
  OdDbObjectId* id = currentId();
  OdDbDatabase* database = id ? id->database() : nullptr;
  if (database)
    me::setSelection(database, me::selectableUsers(database, *id));
}

void MeUiMaterialBrowserPalette::removeUnused() { me::removeUnusedMaterials(); }

void MeUiMaterialBrowserPalette::removeMaterial()
{
  if (OdDbObjectId* id = currentId())
    me::removeMaterialWithUsers(OdDbObjectId(*id));
}

void MeUiMaterialBrowserPalette::rename()
{
  const int index = m_list ? m_list.selectedItem() : -1;
  if (index < 0)
    return;
  SetFocus(m_list.hwnd());
  m_list.editLabel(index);
}

void MeUiMaterialBrowserPalette::onListKey(const NMLVKEYDOWN* key)
{
  // Not while a modifier is down: Ctrl+Delete and Shift+F2 are no commands here.
  if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0 || GetKeyState(VK_SHIFT) < 0)
    return;
  OdDbObjectId* id = currentId();
  OdDbMaterialPtr material = id ? openMaterial(*id) : OdDbMaterialPtr();
  if (material.isNull())
    return;
  // As the menu does: the standard materials are neither renamed nor removed.
  me::IMeSettingsStorage* settings = me::settingsService();
  if (settings && settings->isReservedMaterialName(material->name()))
    return;
  material = nullptr;
  if (key->wVKey == VK_F2)
    rename();
  else if (key->wVKey == VK_DELETE)
    removeMaterial();
}

void MeUiMaterialBrowserPalette::showContextMenu(POINT at, bool fromKeys)
{
  m_menuFromKeys = fromKeys;
  if (!m_contextMenu.createPopup())
    return;
  if (!currentId())
  {
    m_contextMenu.appendItem(ID_NEW_MATERIAL_HERE, me::loadString(me::kStrNewGenericMaterial).c_str(),
                             m_buttonsEnabled);
    // The walk that decides it runs as the menu opens.
    m_contextMenu.appendItem(ID_REMOVE_UNUSED, me::loadString(me::kStrRemoveUnusedMaterials).c_str(),
                             m_buttonsEnabled && !me::unusedMaterials(me::managerService()).empty());
  }
  else
  {
    OdDbObjectId* id = currentId();
    OdDbMaterialPtr material = id ? openMaterial(*id) : OdDbMaterialPtr();
    if (material.isNull())
      return;
    me::IMeSettingsStorage* settings = me::settingsService();
    const bool reserved = settings && settings->isReservedMaterialName(material->name());
    m_contextMenu.appendItem(ID_EDIT_MATERIAL, me::loadString(me::kStrEdit).c_str());
    m_contextMenu.appendItem(ID_APPLY_TO_SELECTION, me::translate(L"Apply to selection").c_str(),
                             !me::currentSelection().isEmpty());
    m_contextMenu.appendItem(ID_SELECT_OBJECTS, me::loadString(me::kStrSelectObjects).c_str(), !reserved);
    m_contextMenu.appendItem(ID_CLONE_MATERIAL, me::translate(L"Clone").c_str());
    m_contextMenu.appendSeparator();
    m_contextMenu.appendItem(ID_REMOVE_MATERIAL, me::loadString(me::kStrRemove).c_str(), !reserved);
    m_contextMenu.appendItem(ID_RENAME_MATERIAL, me::translate(L"Rename").c_str(), !reserved);
  }
  // Left-aligned at the point; the command comes to the palette.
  fw::trackPopupMenu(m_contextMenu.handle(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, hwnd());
  m_contextMenu.destroy();
}

bool MeUiMaterialBrowserPalette::beginLabelEdit(const NMLVDISPINFOW* info)
{
  OdDbObjectId* id = itemAt(info->item.iItem);
  OdDbMaterialPtr material = id ? openMaterial(*id) : OdDbMaterialPtr();
  me::IMeSettingsStorage* settings = me::settingsService();
  if (material.isNull() || (settings && settings->isReservedMaterialName(material->name())))
    return false;
  // The stored name, not the shown (possibly translated) one.
  if (HWND editor = m_list.labelEditor())
    SetWindowTextW(editor, material->name().c_str());
  m_editedId = *id;
  return true;
}

bool MeUiMaterialBrowserPalette::endLabelEdit(const NMLVDISPINFOW* info)
{
  // The material the edit began on, whatever item the list now has there;
  // none when a reload or removal ended the edit.
  const OdDbObjectId id = m_editedId;
  m_editedId = OdDbObjectId();
  if (id.isNull())
    return false;
  const me::NewNameOutcome outcome = me::applyNewMaterialName(id, info->item.pszText);
  return outcome == me::NewNameOutcome::Accepted || outcome == me::NewNameOutcome::Unchanged;
}

void MeUiMaterialBrowserPalette::abandonLabelEdit()
{
  m_editedId = OdDbObjectId();
  if (m_list)
    m_list.cancelLabelEdit();
}
} // namespace meui
