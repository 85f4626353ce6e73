#include "ui/MeUiMaterialBrowserPalette.h"

#include "core/IMeSettingsStorage.h"
#include "core/MeHost.h"
#include "core/MeModule.h"
#include "core/MeStrings.h"
#include "framework/ModuleState.h"
#include "host/HostDocking.h"
#include "od/DbMaterial.h"

#include <commctrl.h>

#include <memory>

namespace meui
{
namespace
{
// Until the registry owns the palette, this does.
std::unique_ptr<MeUiMaterialBrowserPalette> g_unowned;
MeUiMaterialBrowserPalette* g_palette = nullptr;

// The name a list item shows: reserved names in their translated form.
OdString displayName(const OdString& name)
{
  me::IMeSettingsStorage* settings = me::settingsService();
  return settings && settings->isReservedMaterialName(name) ? me::translate(name) : name;
}
} // namespace

MeUiMaterialBrowserPalette* browserPalette(bool create)
{
  if (!g_palette && create)
  {
    g_unowned = std::make_unique<MeUiMaterialBrowserPalette>();
    g_palette = g_unowned.get();
  }
  return g_palette;
}

MeUiMaterialBrowserPalette::~MeUiMaterialBrowserPalette()
{
  // The window goes first, while its destroy handler still runs (the pane
  // leaves the host's dock) and before m_shown, which the list items point into.
  destroy();
  if (me::IMeManager* manager = me::managerService())
    manager->removeReactor(this);
  if (g_palette == this)
    g_palette = nullptr;
}

bool MeUiMaterialBrowserPalette::onCreate()
{
  const RECT area{0, 0, 10, 10};
  m_list = CreateWindowExW(0, WC_LISTVIEWW, L"", ME_MATERIALS_LIST_STYLE, area.left, area.top, area.right, area.bottom, hwnd(),
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kListId)), fw::moduleInstance(), nullptr);
  if (!m_list)
    return false;
  if (HostThemeService* theme = me::hostTheme())
  {
    const COLORREF background = theme->windowBackgroundColor();
    ListView_SetBkColor(m_list, background);
    ListView_SetTextBkColor(m_list, background);
  }
  return true;
}

void MeUiMaterialBrowserPalette::onSize(int, int)
{
  if (!m_list)
    return;
  const RECT content = contentRect();
  MoveWindow(m_list, content.left, content.top, content.right - content.left, content.bottom - content.top, TRUE);
}

LRESULT MeUiMaterialBrowserPalette::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  // The host's theme may take any message first.
  if (HostThemeService* theme = me::hostTheme())
  {
    std::intptr_t result = 0;
    if (theme->hookMessage(hwnd(), message, wParam, lParam, &result))
      return result;
  }
  return fw::hostUiPaletteSet::windowProc(message, wParam, lParam);
}

void MeUiMaterialBrowserPalette::ShowPane(bool show, bool delay, bool activate)
{
  fw::hostUiPaletteSet::ShowPane(show, delay, activate);
  me::IMeManager* manager = me::managerService();
  if (show)
  {
    me::setBrowserShown(true);
    if (manager)
    {
      manager->addReactor(this);
      if (OdDbDatabase* database = me::currentDatabase())
        manager->setDatabase(database);
    }
    return;
  }
  me::setBrowserShown(false);
  if (manager)
  {
    manager->removeReactor(this);
    if (OdDbDatabase* database = me::currentDatabase())
      manager->releaseDatabase(database);
  }
  me::detachDocumentObserver();
  clearItems();
}

void MeUiMaterialBrowserPalette::OnPressCloseButton()
{
  me::setStartupCommand(false, me::kBrowserCommand);
  fw::hostUiPaletteSet::OnPressCloseButton();
}

void MeUiMaterialBrowserPalette::clearItems()
{
  if (m_list)
    ListView_DeleteAllItems(m_list);
  m_shown.clear();
}

void MeUiMaterialBrowserPalette::addItem(OdDbObjectId& id)
{
  OdDbObjectPtr object = id.openObject(OdDb::kForRead);
  OdDbMaterialPtr material = OdDbMaterial::cast(object.get());
  if (material.isNull() || !m_list)
    return;
  const OdString text = displayName(material->name());
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = ListView_GetItemCount(m_list);
  item.pszText = const_cast<wchar_t*>(text.c_str());
  item.lParam = reinterpret_cast<LPARAM>(&id);
  // The wide messages by name: this code does not depend on UNICODE being defined.
  SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void MeUiMaterialBrowserPalette::databaseChanged(OdDbDatabase*)
{
  clearItems();
  me::IMeManager* manager = me::managerService();
  if (!manager)
    return;
  manager->collectMaterials(m_shown);
  for (OdDbObjectId& id : m_shown)
    addItem(id);
}

void MeUiMaterialBrowserPalette::materialAdded(const OdDbObjectId& id)
{
  m_shown.push_back(id);
  addItem(m_shown.back());
}

void MeUiMaterialBrowserPalette::materialErased(const OdDbObjectId& id)
{
  for (auto it = m_shown.begin(); it != m_shown.end(); ++it)
  {
    if (*it != id)
      continue;
    if (m_list)
    {
      LVFINDINFOW find{};
      find.flags = LVFI_PARAM;
      find.lParam = reinterpret_cast<LPARAM>(&*it);
      const int index = int(SendMessageW(m_list, LVM_FINDITEMW, WPARAM(-1), reinterpret_cast<LPARAM>(&find)));
      if (index < 0)
        return;
      ListView_DeleteItem(m_list, index);
    }
    m_shown.erase(it);
    return;
  }
}

void MeUiMaterialBrowserPalette::managerClosing() { clearItems(); }

bool MeUiMaterialBrowserPalette::canDetach(me::IMeManager*) { return !me::browserShown(); }

void toggleMaterialsBrowser()
{
  fw::ResourceScope scope(fw::moduleInstance());
  MeUiMaterialBrowserPalette* palette = browserPalette(true);
  if (!palette->exists())
  {
    const OdString title = me::loadString(me::kStrMaterialsBrowser);
    const RECT empty{0, 0, 0, 0};
    if (palette->createPane(title.c_str(), static_cast<HWND>(me::hostMainWindow()), ME_PALETTE_STYLE, empty,
                          IDC_PALETTE_PANE))
    {
      palette->EnableDocking(kHostDockAnySide);
      palette->RestoreControlBar(kHostDockLeft);
      if (me::appServices()->registerService(me::kMaterialsBrowserService, palette) && g_unowned.get() == palette)
        g_unowned.release();
    }
  }
  if (me::browserShown())
  {
    palette->ShowPane(false, false, false);
    me::detachDocumentObserver();
    me::setStartupCommand(false, me::kBrowserCommand);
  }
  else
  {
    me::attachDocumentObserver();
    palette->ShowPane(true, false, true);
    me::setStartupCommand(true, me::kBrowserCommand);
  }
}
} // namespace meui
