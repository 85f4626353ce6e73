#include "ui/MeUiMaterialBrowserPalette.h"

#include "core/IMeSettingsStorage.h"
#include "core/MeHost.h"
#include "core/MeModule.h"
#include "core/MeNames.h"
#include "core/MeStrings.h"
#include "ui/MeUiGuarded.h"
#include "ui/MeUiMaterialBrowserParts.h"
#include "ui/MeUiMaterialDrag.h"
#include "ui/MeUiThumbnailBatch.h"
#include "win/MeHostTheme.h"

#include <algorithm>
#include <utility>

namespace meui
{
namespace
{
constexpr int kViewMenuImage = 1;

const wchar_t* const kHelpTopic = L"IDH_MaterialBrowser";

// The filter box's band: a line of text with room for the box's border and
// a gap above and below it.
constexpr int kFilterPadding = 6, kFilterGap = 2;

COLORREF lighter(COLORREF colour, int by)
{
  const auto up = [by](int channel) { return BYTE(std::min(255, channel + by)); };
  return RGB(up(GetRValue(colour)), up(GetGValue(colour)), up(GetBValue(colour)));
}

} // namespace

MeUiMaterialBrowserPalette::MeUiMaterialBrowserPalette(MeUiPaletteLinks& links)
  : MeUiPalette(m_toolbar, ID_BROWSER_HELP, kHelpTopic, kMinListSide), m_links(links)
{
}

MeUiMaterialBrowserPalette::~MeUiMaterialBrowserPalette()
{
  // The window goes first, while its destroy handler still runs (the pane
  // leaves the host's dock) and before m_shown, which the list items point into.
  destroy();
  if (me::IMeManager* manager = me::managerService())
    manager->removeReactor(this);
  m_links.paletteGone(this);
}

bool MeUiMaterialBrowserPalette::onCreate()
{
  // The palette holds the items: the list asks for what it draws.
  if (!m_list.create(ME_MATERIALS_LIST_STYLE | LVS_OWNERDATA, RECT{0, 0, 10, 10}, hwnd(), IDC_MATERIALS_LIST))
    return false;

  if (!createToolbar())
    return false;
  // The box gets the list's font, so both read alike.
  const auto listFont = reinterpret_cast<HFONT>(SendMessageW(m_list.hwnd(), WM_GETFONT, 0, 0));
  if (!m_filter.create(hwnd(), IDC_MATERIALS_FILTER, me::loadString(me::kStrSearchMaterials), listFont))
    return false;
  m_filter.onDown = [this] { focusFirstItem(); };
  m_viewMenu.createPopup();
  m_viewMenu.appendItem(ID_VIEW_ICONS, me::translate(L"Icon").c_str());
  m_viewMenu.appendItem(ID_VIEW_LIST, me::translate(L"List").c_str());
  applyTheme();

  makeImages(0);
  me::IMeSettingsStorage* settings = me::settingsService();
  setViewStyle(settings ? settings->browserView() : kIconView);
  return true;
}

void MeUiMaterialBrowserPalette::onDestroy()
{
  dropChanged();
  stopFill(); // its viewer is a child of the window
  m_filter.destroy();
  // The list's items point into m_shown; the list goes with the window.
  m_list.destroy();
  m_images = nullptr;
  MeUiPalette::onDestroy();
}

void MeUiMaterialBrowserPalette::bodyResized()
{
  // Auto-arrange does not arrange for a new width: the columns follow it here.
  if (m_list.viewType() == kIconView)
    m_list.arrange();
}

int MeUiMaterialBrowserPalette::bandHeight() const
{
  return m_filter.hwnd() ? m_list.textLineHeight() + kFilterPadding + 2 * kFilterGap : 0;
}

void MeUiMaterialBrowserPalette::placeBand(const RECT& band)
{
  if (m_filter.hwnd())
    SetWindowPos(m_filter.hwnd(), nullptr, band.left + kFilterGap, band.top + kFilterGap,
                 std::max(0, int(band.right - band.left) - 2 * kFilterGap),
                 std::max(0, int(band.bottom - band.top) - 2 * kFilterGap), SWP_NOZORDER | SWP_NOACTIVATE);
}

// Thumbnails are drawn on the theme's background: a new theme draws them again.
void MeUiMaterialBrowserPalette::onThemeChanged()
{
  applyTheme();
  if (me::browserShown() && m_buttonsEnabled && !redrawThumbnails())
    reloadItems();
  InvalidateRect(hwnd(), nullptr, TRUE);
  if (m_filter.hwnd())
    InvalidateRect(m_filter.hwnd(), nullptr, TRUE); // its colours and the cue's grey
}

LRESULT MeUiMaterialBrowserPalette::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  return guardedMessage([&]() -> LRESULT {
    if (message == kChangedMessage)
    {
      onChangedMessage();
      return 0;
    }
    if (message == WM_TIMER && wParam == kChangedTimer)
    {
      refreshChanged();
      return 0;
    }
    if (message == WM_TIMER && wParam == kFillTimer)
    {
      fillBatch();
      return 0;
    }
    if (LRESULT answer = 0; answerHostQuery(message, wParam, lParam, answer))
      return answer;
    // The context-menu key and Shift+F10 in the list (a right click is
    // answered at NM_RCLICK): the menu opens at the selected item.
    if (message == WM_CONTEXTMENU && m_list && HWND(wParam) == m_list.hwnd() && lParam == -1)
    {
      const int index = m_list.selectedItem();
      RECT place{};
      if (index >= 0)
        m_list.ensureVisible(index);
      if (!m_list.itemScreenRect(index, LVIR_ICON, place))
        GetWindowRect(m_list.hwnd(), &place);
      showContextMenu(POINT{(place.left + place.right) / 2, (place.top + place.bottom) / 2}, true);
      return 0;
    }
    return MeUiPalette::windowProc(message, wParam, lParam);
  });
}

// The list's colours and the toolbar's icon set follow the host's theme.
void MeUiMaterialBrowserPalette::applyTheme()
{
  if (HostThemeService* theme = me::hostTheme())
  {
    m_list.setBackground(theme->windowBackgroundColor());
    // Not in the list's default black: the names must read on a dark background too.
    ListView_SetTextColor(m_list.hwnd(), theme->textColor());
    // A light scroll bar beside a dark list would be the brightest thing in the pane.
    fw::CListCtrl::ScrollBarColours bars;
    if (theme->isDark())
    {
      const COLORREF background = theme->windowBackgroundColor();
      bars.track = lighter(background, 18);
      bars.thumb = lighter(background, 75);
      bars.arrow = theme->textColor();
    }
    m_list.setScrollBarColours(bars);
  }
  m_toolbar.fill();
  m_toolbar.setMenuButton(ID_VIEW_STYLE_MENU, m_viewMenu.handle(), kViewMenuImage);
  // The view-style button's arrow in the theme's text colour: the control's
  // own black one vanishes on a dark theme.
  HostThemeService* theme = me::hostTheme();
  m_toolbar.setArrowColour(theme ? COLORREF(theme->textColor()) : CLR_DEFAULT);
  m_toolbar.enableButtons(m_buttonsEnabled);
}

bool MeUiMaterialBrowserPalette::onCommand(UINT id, UINT code, HWND control)
{
  if (id == IDC_MATERIALS_FILTER && control)
  {
    if (code == EN_CHANGE)
      filterChanged();
    return true;
  }
  switch (id)
  {
  case ID_NEW_MATERIAL:
  case ID_NEW_MATERIAL_HERE: newMaterial(); return true;
  case ID_EDIT_MATERIAL: edit(std::exchange(m_menuFromKeys, false)); return true;
  case ID_APPLY_TO_SELECTION: applyToSelection(); return true;
  case ID_SELECT_OBJECTS: selectObjects(); return true;
  case ID_REMOVE_UNUSED: removeUnused(); return true;
  case ID_CLONE_MATERIAL: cloneMaterial(); return true;
  case ID_REMOVE_MATERIAL: removeMaterial(); return true;
  case ID_RENAME_MATERIAL: rename(); return true;
  case ID_VIEW_ICONS: setViewStyle(kIconView); return true;
  case ID_VIEW_LIST: setViewStyle(kListView); return true;
  default: return MeUiPalette::onCommand(id, code, control);
  }
}

bool MeUiMaterialBrowserPalette::onNotify(NMHDR* header, LRESULT& result)
{
  if (MeUiPalette::onNotify(header, result))
    return true;
  if (header->hwndFrom != m_list.hwnd())
    return false;
  switch (header->code)
  {
  case NM_RCLICK:
  {
    // The press has selected the item under it, or none on blank space; the
    // list may have scrolled since, so the notification's item is not asked.
    POINT at{};
    GetCursorPos(&at);
    showContextMenu(at, false);
    result = TRUE; // answered: no WM_CONTEXTMENU as well
    return true;
  }
  case LVN_KEYDOWN: onListKey(reinterpret_cast<NMLVKEYDOWN*>(header)); return true;
  case NM_RETURN:
    // Enter opens the selected item as a double click does.
    if (m_list.selectedItem() >= 0)
      edit(false);
    return true;
  case NM_DBLCLK:
  {
    // The item the first press found: it may have scrolled from under the
    // second one (a short browser above a docked editor shows the lower row
    // in part). Blank space names no material, whatever was selected last.
    const int pressed = m_list.pressedItem();
    if (pressed >= 0 && pressed == m_list.selectedItem())
      edit(false);
    return true;
  }
  case LVN_BEGINLABELEDITW:
    result = beginLabelEdit(reinterpret_cast<NMLVDISPINFOW*>(header)) ? FALSE : TRUE;
    return true;
  case LVN_ENDLABELEDITW: result = endLabelEdit(reinterpret_cast<NMLVDISPINFOW*>(header)) ? TRUE : FALSE; return true;
  case NM_CUSTOMDRAW: result = customDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header)); return true;
  case LVN_BEGINDRAG:
    // A copy: the item may go while the drag's loop runs.
    if (const OdDbObjectId* item = itemAt(reinterpret_cast<NMLISTVIEW*>(header)->iItem))
      dragMaterial(OdDbObjectId(*item));
    return true;
  case LVN_GETDISPINFOW: getDispInfo(reinterpret_cast<NMLVDISPINFOW*>(header)); return true;
  case LVN_ODFINDITEMW: result = findItem(reinterpret_cast<NMLVFINDITEMW*>(header)); return true;
  default: return false;
  }
}

void MeUiMaterialBrowserPalette::setViewStyle(int value)
{
  // The report view has no columns here, so it would show none of the
  // materials: a stored value that asks for it gets the icon view.
  if ((value & LVS_TYPEMASK) == LVS_REPORT)
    value = kIconView;
  m_list.setViewType(DWORD(value));
  if (value == kIconView)
    m_list.arrange();
  if (me::IMeSettingsStorage* settings = me::settingsService())
    settings->setBrowserView(value);
  m_viewMenu.uncheckAll();
  if (value == kIconView)
    m_viewMenu.check(ID_VIEW_ICONS, true);
  else if (value == kListView)
    m_viewMenu.check(ID_VIEW_LIST, true);
}

// ---- showing and hiding

void MeUiMaterialBrowserPalette::ShowPane(bool show, bool delay, bool activate)
{
  MeUiPalette::ShowPane(show, delay, activate);
  me::IMeManager* manager = me::managerService();
  if (show)
  {
    me::setBrowserShown(true);
    OdDbDatabase* database = me::currentDatabase();
    if (manager)
      manager->addReactor(this);
    if (manager && database)
      manager->setDatabase(database);
    else
      enableCommands(false); // no drawing to make a material in, as after managerClosing
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
  MeUiPalette::OnPressCloseButton();
}
} // namespace meui
