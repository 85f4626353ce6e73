#include "ui/MeUiMaterialBrowserPalette.h"

#include "core/IMeEditor.h"
#include "core/IMeSettingsStorage.h"
#include "core/MeHost.h"
#include "core/MeMaterialNaming.h"
#include "core/MeMaterialOperations.h"
#include "core/MeModule.h"
#include "core/MeNames.h"
#include "core/MeStrings.h"
#include "framework/ImageList.h"
#include "framework/ModuleState.h"
#include "framework/WaitCursor.h"
#include "host/HostDocking.h"
#include "od/DbMaterial.h"
#include "ui/MeUiGuarded.h"
#include "ui/MeUiMaterialDrag.h"
#include "ui/MeUiThumbnailBatch.h"
#include "win/MeHostTheme.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

namespace meui
{
namespace
{
constexpr int kViewMenuImage = 1;

// The view types the view-style menu chooses between (the low two bits of
// the list's style).
constexpr int kIconView = LVS_ICON;
constexpr int kListView = LVS_LIST;

// Thumbnails are this size whatever the profile holds ("BrowserImageSize"
// is taken as read): a stored 0 or 100000 must not leave the list without
// pictures or render a picture larger than the memory.
constexpr int kDefaultThumbnail = 96, kMinThumbnail = 16, kMaxThumbnail = 512;
constexpr int kImageListGrowth = 100;
// Thumbnails of a whole list are taken this many to a bitmap and added to
// the image list together (small enough for the list's copy of them to come
// from the heap rather than from fresh pages).
constexpr int kThumbnailStrip = 8;
// Icon spacing around a thumbnail: a gap between columns, and below the
// picture room for two lines of its name and the list's own paddings.
constexpr int kIconGapAcross = 20, kIconLabelLines = 2, kIconPaddingDown = 16;

const wchar_t* const kHelpTopic = L"IDH_MaterialBrowser";

// Changed materials are rendered again when this arrives, or at the timer
// when a drag was going on then.
constexpr UINT kChangedMessage = WM_APP + 0x3B0;
constexpr UINT_PTR kChangedTimer = 1;

// Thumbnails taken a strip at a time into an image list: each material's
// picture is rendered into the strip, and when the strip is full (or
// flushed) its pictures go into the list together and each material's
// callback learns its image (-1 where none could be drawn), in order.
class ThumbnailStrip
{
public:
  ThumbnailStrip(HIMAGELIST images, MeUiThumbnailBatch& batch, int size)
    : m_images(images), m_batch(batch), m_strip(size, size, kThumbnailStrip)
  {
  }
  explicit operator bool() const { return bool(m_strip); }

  void add(const OdDbObjectId& material, std::function<void(int)> placed)
  {
    // The viewer lies outside its parent's client area, so a redraw paints
    // nothing: the picture is rendered when it is taken.
    DWORD* pixels = m_strip.next();
    const bool drawn = pixels && m_batch.renderInto(material, false, pixels, m_strip.stride());
    if (pixels && !drawn)
      m_strip.dropLast();
    m_pending.push_back({std::move(placed), drawn});
    if (m_strip.full())
      flush();
  }
  void flush()
  {
    // The background the preview rendered on is left out, so the list shows
    // through: on a dark theme white would punch holes in the highlights.
    int image = m_strip.addTo(m_images, me::hostWindowBackground());
    for (Pending& item : m_pending)
      item.placed(item.drawn && image >= 0 ? image++ : -1);
    m_pending.clear();
  }

private:
  struct Pending
  {
    std::function<void(int)> placed;
    bool drawn;
  };
  HIMAGELIST m_images;
  MeUiThumbnailBatch& m_batch;
  fw::CImageStrip m_strip;
  std::vector<Pending> m_pending;
};

COLORREF lighter(COLORREF colour, int by)
{
  const auto up = [by](int channel) { return BYTE(std::min(255, channel + by)); };
  return RGB(up(GetRValue(colour)), up(GetGValue(colour)), up(GetBValue(colour)));
}

OdDbMaterialPtr openMaterial(const OdDbObjectId& id, OdDb::OpenMode mode = OdDb::kForRead)
{
  return OdDbMaterial::cast(id.openObject(mode).get());
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
  if (!m_list.create(ME_MATERIALS_LIST_STYLE, RECT{0, 0, 10, 10}, hwnd(), IDC_MATERIALS_LIST))
    return false;

  if (!createToolbar())
    return false;
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

// Thumbnails are drawn on the theme's background: a new theme draws them again.
void MeUiMaterialBrowserPalette::onThemeChanged()
{
  applyTheme();
  if (me::browserShown() && m_buttonsEnabled && !redrawThumbnails())
    reloadItems();
  InvalidateRect(hwnd(), nullptr, TRUE);
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
  switch (id)
  {
  case ID_NEW_MATERIAL:
  case ID_NEW_MATERIAL_HERE: newMaterial(); return true;
  case ID_EDIT_MATERIAL: edit(std::exchange(m_menuFromKeys, false)); return true;
  case ID_APPLY_TO_SELECTION: applyToSelection(); return true;
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
  case LVN_BEGINDRAG:
    // A copy: the item may go while the drag's loop runs.
    if (const int item = reinterpret_cast<NMLISTVIEW*>(header)->iItem; item >= 0 && m_list.itemData(item))
      dragMaterial(OdDbObjectId(*reinterpret_cast<OdDbObjectId*>(m_list.itemData(item))));
    return true;
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

// ---- the list

int MeUiMaterialBrowserPalette::thumbnailSize() const
{
  me::IMeSettingsStorage* settings = me::settingsService();
  const int stored = settings ? settings->browserImageSize() : kDefaultThumbnail;
  // No size at all is the default, not the smallest picture.
  return stored <= 0 ? kDefaultThumbnail : std::clamp(stored, kMinThumbnail, kMaxThumbnail);
}

void MeUiMaterialBrowserPalette::makeImages(int capacity)
{
  // The old list goes first, so that thousands of thumbnails are never held twice.
  m_list.setNormalImages(nullptr);
  m_images = nullptr;
  fw::CImageList images;
  const int size = thumbnailSize();
  // Transparency by alpha: fw::addMaskedImage needs no mask in a 32-bit list.
  // Room the memory cannot give at once is asked for as the list grows.
  if (!images.create(size, size, ILC_COLOR32, capacity, kImageListGrowth) &&
      (capacity == 0 || !images.create(size, size, ILC_COLOR32, 0, kImageListGrowth)))
    return;
  m_images = images.handle();
  m_list.setNormalImages(images.detach());
  // The list's own spacing is made for 32-pixel icons and, with thumbnails,
  // leaves room for one column where two fit.
  m_list.setIconSpacing(size + kIconGapAcross, size + kIconLabelLines * m_list.textLineHeight() + kIconPaddingDown);
}

void MeUiMaterialBrowserPalette::clearItems()
{
  abandonLabelEdit();
  dropChanged(); // every item left is rendered anew
  if (m_list)
    m_list.deleteAllItems();
  m_itemShown.clear();
  m_shown.clear();
}

bool MeUiMaterialBrowserPalette::addItem(OdDbObjectId& id, MeUiThumbnailBatch& batch)
{
  OdDbMaterialPtr material = openMaterial(id);
  if (material.isNull() || !m_list)
    return false;
  const OdString text = me::displayMaterialName(material->name());
  material = nullptr; // closed again before the preview copies it
  const win::Bitmap picture = batch.render(id, true);
  // The background the preview rendered on is left out, so the list shows
  // through: on a dark theme white would punch holes in the highlights.
  const int image = fw::addMaskedImage(m_images, picture.get(), me::hostWindowBackground());
  if (m_list.insertItem(m_list.itemCount(), text.c_str(), image, reinterpret_cast<LPARAM>(&id)) < 0)
    return false;
  m_itemShown[&id] = {text, image};
  return true;
}

void MeUiMaterialBrowserPalette::addItems(MeUiThumbnailBatch& batch)
{
  ThumbnailStrip strip(m_images, batch, thumbnailSize());
  if (!strip)
  {
    for (auto it = m_shown.begin(); it != m_shown.end();)
      it = addItem(*it, batch) ? std::next(it) : m_shown.erase(it);
    return;
  }
  for (auto it = m_shown.begin(); it != m_shown.end();)
  {
    OdDbMaterialPtr material = openMaterial(*it);
    if (material.isNull())
    {
      it = m_shown.erase(it);
      continue;
    }
    OdDbObjectId* id = &*it;
    OdString text = me::displayMaterialName(material->name());
    material = nullptr; // closed again before the preview copies it
    strip.add(*id, [this, id, text](int image) {
      if (m_list.insertItem(m_list.itemCount(), text.c_str(), image, reinterpret_cast<LPARAM>(id)) < 0)
        m_shown.remove_if([&](const OdDbObjectId& shown) { return &shown == id; });
      else
        m_itemShown[id] = {text, image};
    });
    ++it;
  }
  strip.flush();
}

bool MeUiMaterialBrowserPalette::redrawThumbnails()
{
  abandonLabelEdit();
  me::IMeManager* manager = me::managerService();
  std::list<OdDbObjectId> current;
  if (!manager || !m_list || !manager->collectMaterials(current) || current != m_shown ||
      m_itemShown.size() != m_shown.size() || m_list.itemCount() != int(m_shown.size()))
    return false;
  // (What the items show is kept here: under Wine, asking the list for
  // every item's text and image took a tenth of the whole switch.)
  std::vector<ItemShown*> items;
  items.reserve(m_shown.size());
  for (const OdDbObjectId& id : m_shown)
  {
    const auto found = m_itemShown.find(&id);
    if (found == m_itemShown.end())
      return false;
    items.push_back(&found->second);
  }
  makeImages(int(m_shown.size()));
  const fw::CWaitCursor wait;
  const fw::CListCtrl::RedrawOff quiet(m_list);
  MeUiThumbnailBatch batch(hwnd(), thumbnailSize());
  ThumbnailStrip strip(m_images, batch, thumbnailSize());
  if (!strip)
    return false;
  int index = 0;
  for (const OdDbObjectId& id : m_shown)
  {
    // A name another command changed since the list was filled shows too.
    OdDbMaterialPtr material = openMaterial(id);
    const OdString text = material.isNull() ? OdString() : me::displayMaterialName(material->name());
    material = nullptr;
    ItemShown& item = *items[std::size_t(index)];
    const bool renamed = !text.isEmpty() && text != item.text;
    strip.add(id, [this, index, text, renamed, &item](int image) {
      if (image == item.image && !renamed)
        return;
      m_list.setItem(index, renamed ? text.c_str() : nullptr, image);
      item.image = image;
      if (renamed)
        item.text = text;
    });
    ++index;
  }
  strip.flush();
  return true;
}

void MeUiMaterialBrowserPalette::databaseChanged(OdDbDatabase*)
{
  enableCommands(true);
  reloadItems();
}

void MeUiMaterialBrowserPalette::enableCommands(bool enabled)
{
  m_buttonsEnabled = enabled;
  m_toolbar.enableButtons(enabled);
}

void MeUiMaterialBrowserPalette::reloadItems()
{
  clearItems();
  me::IMeManager* manager = me::managerService();
  if (manager && m_list)
    manager->collectMaterials(m_shown);
  // Room for every thumbnail from the start: a list that grows copies all
  // it holds at each step, and holds it twice meanwhile.
  makeImages(int(m_shown.size()));
  if (!manager || !m_list)
    return;
  const fw::CWaitCursor wait;
  // A shown icon view arranges and repaints itself at every insert, which
  // made 1,000 items take seconds; with redraw off it is one paint at the end.
  const fw::CListCtrl::RedrawOff quiet(m_list);
  MeUiThumbnailBatch batch(hwnd(), thumbnailSize());
  addItems(batch);
}

void MeUiMaterialBrowserPalette::materialAdded(const OdDbObjectId& id)
{
  // Told twice of one material (brought back while still listed): one item.
  if (std::find(m_shown.begin(), m_shown.end(), id) != m_shown.end())
  {
    queueChanged(id);
    return;
  }
  m_shown.push_back(id);
  MeUiThumbnailBatch batch(hwnd(), thumbnailSize());
  if (!addItem(m_shown.back(), batch))
  {
    m_shown.pop_back();
    return;
  }
  if (m_revealAdded)
  {
    const int index = m_list.itemCount() - 1;
    m_list.select(index);
    m_list.ensureVisible(index);
  }
}

void MeUiMaterialBrowserPalette::materialErased(const OdDbObjectId& id)
{
  for (auto it = m_shown.begin(); it != m_shown.end(); ++it)
  {
    if (*it != id)
      continue;
    // The item goes before the id it points to; its thumbnail stays in the
    // image list.
    const int index = m_list ? m_list.findItemByData(reinterpret_cast<LPARAM>(&*it)) : -1;
    if (index < 0)
      return;
    if (id == m_editedId)
      abandonLabelEdit();
    m_list.deleteItem(index);
    m_itemShown.erase(&*it);
    m_shown.erase(it);
    // Auto-arrange leaves the removed item's place empty: close the gap.
    if (m_list.viewType() == kIconView)
      m_list.arrange();
    return;
  }
}

void MeUiMaterialBrowserPalette::materialChanged(const OdDbObjectId& id)
{
  if (std::find(m_shown.begin(), m_shown.end(), id) != m_shown.end())
    queueChanged(id);
}

void MeUiMaterialBrowserPalette::queueChanged(const OdDbObjectId& id)
{
  if (!m_list)
    return;
  if (std::find(m_changed.begin(), m_changed.end(), id) == m_changed.end())
    m_changed.push_back(id);
  if (m_changedPosted || m_changedTimer)
    return;
  m_changedPosted = PostMessageW(hwnd(), kChangedMessage, 0, 0) != FALSE;
  if (!m_changedPosted)
    m_changedTimer = SetTimer(hwnd(), kChangedTimer, 0, nullptr) != 0;
}

void MeUiMaterialBrowserPalette::onChangedMessage()
{
  m_changedPosted = false;
  if (m_changedTimer)
    return; // the timer renders them
  // A drag goes on first (a button is down as of the message being
  // handled): a timer's message comes only once no input is left. Anything
  // else shows at once.
  const bool dragging = GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 || GetKeyState(VK_MBUTTON) < 0;
  if (dragging)
  {
    m_changedTimer = SetTimer(hwnd(), kChangedTimer, 0, nullptr) != 0;
    if (m_changedTimer)
      return;
  }
  refreshChanged();
}

void MeUiMaterialBrowserPalette::refreshChanged()
{
  if (m_changedTimer)
    KillTimer(hwnd(), kChangedTimer);
  m_changedTimer = false;
  const std::vector<OdDbObjectId> changed = std::exchange(m_changed, {});
  if (changed.empty() || !m_list)
    return;
  MeUiThumbnailBatch batch(hwnd(), thumbnailSize());
  for (const OdDbObjectId& id : changed)
    refreshItem(id, batch);
}

void MeUiMaterialBrowserPalette::dropChanged()
{
  m_changed.clear();
  if (m_changedTimer && hwnd())
    KillTimer(hwnd(), kChangedTimer);
  m_changedTimer = false;
  // A message already posted finds nothing to do, and one that went with
  // the window must not keep the next change from posting its own.
  m_changedPosted = false;
}

void MeUiMaterialBrowserPalette::refreshItem(const OdDbObjectId& id, MeUiThumbnailBatch& batch)
{
  const auto shown = std::find(m_shown.begin(), m_shown.end(), id);
  if (shown == m_shown.end())
    return;
  const int index = m_list.findItemByData(reinterpret_cast<LPARAM>(&*shown));
  OdDbMaterialPtr material = openMaterial(id);
  if (index < 0 || material.isNull())
    return;
  const OdString text = me::displayMaterialName(material->name());
  material = nullptr; // closed again before the preview copies it
  ItemShown& item = m_itemShown[&*shown];
  // The list is not sorted: a new name keeps its place, as do the
  // selection and the scrolling.
  const bool renamed = text != item.text;
  const win::Bitmap picture = batch.render(id, true);
  int image = m_list.itemImage(index);
  if (!picture)
    image = item.image;
  else if (image < 0 || !fw::replaceMaskedImage(m_images, image, picture.get(), me::hostWindowBackground()))
    image = fw::addMaskedImage(m_images, picture.get(), me::hostWindowBackground());
  m_list.setItem(index, renamed ? text.c_str() : nullptr, image);
  m_list.redrawItem(index);
  item = {text, image};
}

void MeUiMaterialBrowserPalette::managerClosing()
{
  clearItems();
  enableCommands(false);
}

bool MeUiMaterialBrowserPalette::canDetach(me::IMeManager*) { return !me::browserShown(); }

void MeUiMaterialBrowserPalette::onServiceEvent(int event, void*)
{
  if (event != me::kEventRefreshEditedThumbnail || !m_list)
    return;
  me::IMeEditor* editor = me::editorService();
  if (!editor)
    return;
  MeUiThumbnailBatch batch(hwnd(), thumbnailSize());
  refreshItem(editor->materialId(), batch);
}

OdDbObjectId* MeUiMaterialBrowserPalette::currentId() const
{
  // The selection, not the selection mark: a press on blank space clears
  // the one and keeps the other.
  const int index = m_list ? m_list.selectedItem() : -1;
  return index < 0 ? nullptr : reinterpret_cast<OdDbObjectId*>(m_list.itemData(index));
}

std::vector<OdString> MeUiMaterialBrowserPalette::shownNames() const
{
  std::vector<OdString> names;
  for (const OdDbObjectId& id : m_shown)
    if (OdDbMaterialPtr material = openMaterial(id))
      names.push_back(material->name());
  return names;
}

// ---- commands

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
    m_contextMenu.appendItem(ID_NEW_MATERIAL_HERE, me::loadString(me::kStrNewGenericMaterial).c_str(),
                             m_buttonsEnabled);
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
  auto* id = reinterpret_cast<OdDbObjectId*>(info->item.lParam);
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
