// The browser's list: its items, their thumbnails, and the changes of the
// drawing's materials as they reach it.
#include "ui/MeUiMaterialBrowserPalette.h"

#include "core/IMeEditor.h"
#include "core/IMeSettingsStorage.h"
#include "core/MeHost.h"
#include "core/MeModule.h"
#include "core/MeNames.h"
#include "framework/ImageList.h"
#include "framework/WaitCursor.h"
#include "ui/MeUiMaterialBrowserParts.h"
#include "ui/MeUiThumbnailBatch.h"
#include "win/MeHostTheme.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace meui
{
namespace
{
// Thumbnails are this size whatever the profile holds ("BrowserImageSize"
// is taken as read): a stored 0 or 100000 must not leave the list without
// pictures or render a picture larger than the memory.
constexpr int kDefaultThumbnail = 96, kMinThumbnail = 16, kMaxThumbnail = 512;
constexpr int kImageListGrowth = 100;
// Icon spacing around a thumbnail: a gap between columns, and below the
// picture room for two lines of its name and the list's own paddings.
constexpr int kIconGapAcross = 20, kIconLabelLines = 2, kIconPaddingDown = 16;
} // namespace

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
  m_imageCapacity = capacity;
  if (!images.create(size, size, ILC_COLOR32, capacity, kImageListGrowth))
  {
    m_imageCapacity = 0;
    if (capacity == 0 || !images.create(size, size, ILC_COLOR32, 0, kImageListGrowth))
      return;
  }
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
  stopFill();
  m_listed.clear();
  if (m_list)
    m_list.setItemCount(0);
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
  m_itemShown[&id] = {text, image, matchesFilter(text), true, RGB(128, 128, 128)};
  relist();
  return true;
}

bool MeUiMaterialBrowserPalette::addPlaceholder(OdDbObjectId& id)
{
  OdDbMaterialPtr material = openMaterial(id);
  if (material.isNull())
    return false;
  const OdString text = me::displayMaterialName(material->name());
  m_itemShown[&id] = {text, -1, matchesFilter(text), false, placeholderColour(*material)};
  return true;
}

void MeUiMaterialBrowserPalette::addItems()
{
  // Each item shows its placeholder until the fill renders its thumbnail.
  for (auto it = m_shown.begin(); it != m_shown.end();)
    it = addPlaceholder(*it) ? std::next(it) : m_shown.erase(it);
  relist();
}

bool MeUiMaterialBrowserPalette::redrawThumbnails()
{
  abandonLabelEdit();
  me::IMeManager* manager = me::managerService();
  std::list<OdDbObjectId> current;
  if (!manager || !m_list || !manager->collectMaterials(current) || current != m_shown ||
      m_itemShown.size() != m_shown.size())
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
  if (m_list.itemCount() != int(m_listed.size()))
    return false;
  renderAllAgain(items);
  return true;
}

void MeUiMaterialBrowserPalette::renderAllAgain(const std::vector<ItemShown*>& items)
{
  stopFill();
  makeImages(int(m_shown.size()));
  {
    const fw::CListCtrl::RedrawOff quiet(m_list);
    // Every item shows its placeholder again, listed or not (the filter may
    // list it later); the thumbnails follow on the new background.
    std::size_t at = 0;
    for (const OdDbObjectId& id : m_shown)
    {
      // A name or colour another command changed since the list was filled shows too.
      OdDbMaterialPtr material = openMaterial(id);
      const OdString text = material.isNull() ? OdString() : me::displayMaterialName(material->name());
      ItemShown& item = *items[at++];
      if (!material.isNull())
        item.placeholder = placeholderColour(*material);
      material = nullptr;
      if (!text.isEmpty())
        item.text = text;
      item.image = -1;
      item.rendered = false;
    }
    applyFilter(); // a new name may match the filter no longer, or now
    InvalidateRect(m_list.hwnd(), nullptr, TRUE);
  }
  startFill();
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
  {
    // A shown icon view arranges and repaints itself at every insert, which
    // made 1,000 items take seconds; with redraw off it is one paint at the end.
    const fw::CListCtrl::RedrawOff quiet(m_list);
    addItems();
  }
  startFill();
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
  OdDbObjectId& item = m_shown.back();
  // One the user makes here shows with its thumbnail at once; any other
  // (an undo may bring back thousands) with its placeholder until the fill
  // renders it.
  if (!(m_revealAdded ? addItem(item, thumbnailBatch()) : addPlaceholder(item)))
  {
    m_shown.pop_back();
    return;
  }
  if (!m_revealAdded)
  {
    m_fill.push_back({&item, item});
    ++m_addedLater;
    listLater();
    return;
  }
  if (const int index = indexOf(&item); index >= 0)
  {
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
    // image list. An item the filter hides has no place in the list. Its
    // place stays empty until the list is made again (once for all that
    // an undo or Remove Unused takes away): the selection keeps its index.
    if (const int index = indexOf(&*it); index >= 0)
    {
      m_listed[std::size_t(index)] = nullptr;
      listLater();
    }
    if (id == m_editedId)
      abandonLabelEdit();
    m_itemShown.erase(&*it);
    m_shown.erase(it);
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
  postChanged();
}

void MeUiMaterialBrowserPalette::listLater()
{
  m_listLater = true;
  postChanged();
}

void MeUiMaterialBrowserPalette::postChanged()
{
  if (m_changedPosted || m_changedTimer || !hwnd())
    return;
  m_changedPosted = PostMessageW(hwnd(), kChangedMessage, 0, 0) != FALSE;
  if (!m_changedPosted)
    m_changedTimer = SetTimer(hwnd(), kChangedTimer, 0, nullptr) != 0;
}

void MeUiMaterialBrowserPalette::listAgain()
{
  // (Another command may have made the list since: the added items still
  // wait for their thumbnails.)
  const int added = std::exchange(m_addedLater, 0);
  const bool list = std::exchange(m_listLater, false);
  if (!m_list)
    return;
  if (list)
    relist();
  if (added == 0)
    return;
  // The image list was made with room for the items it had then: beyond
  // it, it grows kImageListGrowth at a time, copying all it holds at every
  // step. Thousands brought back at once get a new list instead.
  if (!m_images || (added > kImageListGrowth && ImageList_GetImageCount(m_images) + added > m_imageCapacity))
  {
    std::vector<ItemShown*> items;
    for (const OdDbObjectId& id : m_shown)
      if (const auto found = m_itemShown.find(&id); found != m_itemShown.end())
        items.push_back(&found->second);
    if (items.size() == m_shown.size())
      renderAllAgain(items);
    else
      reloadItems();
    return;
  }
  m_sight = Sight{}; // the new ones in sight go first
  fillOnward();
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
  listAgain();
  const std::vector<OdDbObjectId> changed = std::exchange(m_changed, {});
  if (changed.empty() || !m_list)
    return;
  MeUiThumbnailBatch& batch = thumbnailBatch();
  for (const OdDbObjectId& id : changed)
    refreshItem(id, batch);
}

void MeUiMaterialBrowserPalette::dropChanged()
{
  m_changed.clear();
  m_listLater = false;
  m_addedLater = 0;
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
  const auto found = m_itemShown.find(&*shown);
  OdDbMaterialPtr material = openMaterial(id);
  if (found == m_itemShown.end() || material.isNull())
    return;
  ItemShown& item = found->second;
  const int index = indexOf(&*shown);
  const OdString text = me::displayMaterialName(material->name());
  material = nullptr; // closed again before the preview copies it
  // The list is not sorted: a new name keeps its place, as do the
  // selection and the scrolling.
  const bool renamed = text != item.text;
  const win::Bitmap picture = batch.render(id, true);
  int image = item.image;
  if (picture && (image < 0 || !fw::replaceMaskedImage(m_images, image, picture.get(), me::hostWindowBackground())))
    image = fw::addMaskedImage(m_images, picture.get(), me::hostWindowBackground());
  item.text = text;
  item.image = image;
  item.rendered = true;
  if (index >= 0)
    m_list.redrawItem(index);
  if (renamed)
    applyFilter(shown);
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
  refreshItem(editor->materialId(), thumbnailBatch());
}

// ---- the filter

void MeUiMaterialBrowserPalette::filterChanged()
{
  m_filter.textChanged();
  const OdString text = m_filter.text();
  if (text == m_filterText)
    return;
  m_filterText = text;
  applyFilter();
}

bool MeUiMaterialBrowserPalette::matchesFilter(const OdString& text) const
{
  return m_filterText.isEmpty() || me::containsIgnoringCase(text, m_filterText);
}

void MeUiMaterialBrowserPalette::applyFilter()
{
  if (!m_list)
    return;
  bool changed = false;
  for (OdDbObjectId& id : m_shown)
  {
    const auto found = m_itemShown.find(&id);
    if (found == m_itemShown.end() || found->second.listed == matchesFilter(found->second.text))
      continue;
    found->second.listed = !found->second.listed;
    if (id == m_editedId && !found->second.listed)
      abandonLabelEdit();
    changed = true;
  }
  if (!changed)
    return;
  {
    const fw::CListCtrl::RedrawOff quiet(m_list);
    relist();
  }
  m_sight = Sight{}; // other items in sight: the fill looks again
}

void MeUiMaterialBrowserPalette::relist()
{
  // The list holds only a count: it asks for each item's text and image as
  // it draws it, and keeps the selection by index, so the selection is
  // moved to where its material now lies.
  const OdDbObjectId* selected = currentId();
  m_listLater = false;
  m_listed.clear();
  for (OdDbObjectId& id : m_shown)
    if (const auto found = m_itemShown.find(&id); found != m_itemShown.end() && found->second.listed)
      m_listed.push_back(&id);
  if (!m_list)
    return;
  const int before = m_list.selectedItem();
  m_list.setItemCount(int(m_listed.size()));
  // The icon view places only the items it has arranged.
  if (m_list.viewType() == kIconView)
    m_list.arrange();
  const int now = selected ? indexOf(selected) : -1;
  if (now >= 0 && now != before)
    m_list.select(now);
  else if (now < 0 && before >= 0)
    ListView_SetItemState(m_list.hwnd(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  InvalidateRect(m_list.hwnd(), nullptr, TRUE);
}

OdDbObjectId* MeUiMaterialBrowserPalette::itemAt(int index) const
{
  return index >= 0 && std::size_t(index) < m_listed.size() ? m_listed[std::size_t(index)] : nullptr;
}

int MeUiMaterialBrowserPalette::indexOf(const OdDbObjectId* item) const
{
  const auto found = std::find(m_listed.begin(), m_listed.end(), item);
  return found == m_listed.end() ? -1 : int(found - m_listed.begin());
}

void MeUiMaterialBrowserPalette::getDispInfo(NMLVDISPINFOW* info) const
{
  LVITEMW& item = info->item;
  const auto found = m_itemShown.find(itemAt(item.iItem));
  if (found == m_itemShown.end())
  {
    // The place of an item erased a moment ago, until the list is made again.
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
      item.pszText[0] = L'\0';
    if (item.mask & LVIF_IMAGE)
      item.iImage = -1;
    return;
  }
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
    lstrcpynW(item.pszText, found->second.text.c_str(), item.cchTextMax);
  if (item.mask & LVIF_IMAGE)
    item.iImage = found->second.image;
}

int MeUiMaterialBrowserPalette::findItem(const NMLVFINDITEMW* find) const
{
  const LVFINDINFOW& what = find->lvfi;
  if (!(what.flags & (LVFI_STRING | LVFI_PARTIAL)) || !what.psz || m_listed.empty())
    return -1;
  const OdString wanted(what.psz);
  const bool partial = (what.flags & LVFI_PARTIAL) != 0;
  const int count = int(m_listed.size());
  const int start = find->iStart >= 0 && find->iStart < count ? find->iStart : 0;
  for (int step = 0; step < count; ++step)
  {
    const int index = (start + step) % count;
    if (!(what.flags & LVFI_WRAP) && index < start)
      break;
    const auto found = m_itemShown.find(m_listed[std::size_t(index)]);
    if (found == m_itemShown.end())
      continue;
    const OdString& text = found->second.text;
    if (partial ? text.left(wanted.getLength()).iCompare(wanted) == 0 : text.iCompare(wanted) == 0)
      return index;
  }
  return -1;
}

void MeUiMaterialBrowserPalette::applyFilter(std::list<OdDbObjectId>::iterator shown)
{
  const auto found = m_itemShown.find(&*shown);
  if (!m_list || found == m_itemShown.end() || found->second.listed == matchesFilter(found->second.text))
    return;
  applyFilter();
}

void MeUiMaterialBrowserPalette::focusFirstItem()
{
  if (!m_list || m_list.itemCount() == 0)
    return;
  SetFocus(m_list.hwnd());
  m_list.select(0);
  m_list.ensureVisible(0);
}

OdDbObjectId* MeUiMaterialBrowserPalette::currentId() const
{
  // The selection, not the selection mark: a press on blank space clears
  // the one and keeps the other.
  return itemAt(m_list ? m_list.selectedItem() : -1);
}

std::vector<OdString> MeUiMaterialBrowserPalette::shownNames() const
{
  std::vector<OdString> names;
  for (const OdDbObjectId& id : m_shown)
    if (OdDbMaterialPtr material = openMaterial(id))
      names.push_back(material->name());
  return names;
}
} // namespace meui
