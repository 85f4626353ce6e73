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
// More items in or out than this, and the filter fills the list anew.
constexpr std::size_t kFilterStepLimit = 64;

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
  stopFill();
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
  const bool listed = matchesFilter(text);
  if (listed && m_list.insertItem(m_list.itemCount(), text.c_str(), image, reinterpret_cast<LPARAM>(&id)) < 0)
    return false;
  m_itemShown[&id] = {text, image, listed, true, RGB(128, 128, 128)};
  return true;
}

void MeUiMaterialBrowserPalette::addItems()
{
  // Each item shows its placeholder until the fill renders its thumbnail.
  for (auto it = m_shown.begin(); it != m_shown.end();)
  {
    OdDbMaterialPtr material = openMaterial(*it);
    if (material.isNull())
    {
      it = m_shown.erase(it);
      continue;
    }
    OdDbObjectId* id = &*it;
    const OdString text = me::displayMaterialName(material->name());
    const COLORREF colour = placeholderColour(*material);
    material = nullptr;
    const bool listed = matchesFilter(text);
    if (listed && m_list.insertItem(m_list.itemCount(), text.c_str(), -1, reinterpret_cast<LPARAM>(id)) < 0)
    {
      it = m_shown.erase(it);
      continue;
    }
    m_itemShown[id] = {text, -1, listed, false, colour};
    ++it;
  }
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
  int listed = 0;
  for (const OdDbObjectId& id : m_shown)
  {
    const auto found = m_itemShown.find(&id);
    if (found == m_itemShown.end())
      return false;
    items.push_back(&found->second);
    listed += found->second.listed ? 1 : 0;
  }
  if (m_list.itemCount() != listed)
    return false;
  stopFill();
  makeImages(int(m_shown.size()));
  {
    const fw::CListCtrl::RedrawOff quiet(m_list);
    // Every item shows its placeholder again, listed or not (the filter may
    // list it later); the thumbnails follow on the new background.
    std::size_t at = 0;
    int index = 0;
    for (const OdDbObjectId& id : m_shown)
    {
      // A name or colour another command changed since the list was filled shows too.
      OdDbMaterialPtr material = openMaterial(id);
      const OdString text = material.isNull() ? OdString() : me::displayMaterialName(material->name());
      ItemShown& item = *items[at++];
      if (!material.isNull())
        item.placeholder = placeholderColour(*material);
      material = nullptr;
      const bool renamed = !text.isEmpty() && text != item.text;
      if (item.listed)
        m_list.setItem(index++, renamed ? text.c_str() : nullptr, -1);
      item.image = -1;
      item.rendered = false;
      if (renamed)
        item.text = text;
    }
    applyFilter(); // a new name may match the filter no longer, or now
  }
  startFill();
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
  MeUiThumbnailBatch batch(hwnd(), thumbnailSize());
  if (!addItem(m_shown.back(), batch))
  {
    m_shown.pop_back();
    return;
  }
  if (m_revealAdded && m_itemShown[&m_shown.back()].listed)
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
    // image list. An item the filter hides has no place in the list.
    const int index = m_list ? m_list.findItemByData(reinterpret_cast<LPARAM>(&*it)) : -1;
    if (index < 0 && m_itemShown[&*it].listed)
      return;
    if (id == m_editedId)
      abandonLabelEdit();
    if (index >= 0)
      m_list.deleteItem(index);
    m_itemShown.erase(&*it);
    m_shown.erase(it);
    // Auto-arrange leaves the removed item's place empty: close the gap.
    if (index >= 0 && m_list.viewType() == kIconView)
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
  const auto found = m_itemShown.find(&*shown);
  OdDbMaterialPtr material = openMaterial(id);
  if (found == m_itemShown.end() || material.isNull())
    return;
  ItemShown& item = found->second;
  const int index = item.listed ? m_list.findItemByData(reinterpret_cast<LPARAM>(&*shown)) : -1;
  if (item.listed && index < 0)
    return;
  const OdString text = me::displayMaterialName(material->name());
  material = nullptr; // closed again before the preview copies it
  // The list is not sorted: a new name keeps its place, as do the
  // selection and the scrolling.
  const bool renamed = text != item.text;
  const win::Bitmap picture = batch.render(id, true);
  int image = item.image;
  if (picture && (image < 0 || !fw::replaceMaskedImage(m_images, image, picture.get(), me::hostWindowBackground())))
    image = fw::addMaskedImage(m_images, picture.get(), me::hostWindowBackground());
  if (index >= 0)
  {
    m_list.setItem(index, renamed ? text.c_str() : nullptr, image);
    m_list.redrawItem(index);
  }
  item.text = text;
  item.image = image;
  item.rendered = true;
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
  MeUiThumbnailBatch batch(hwnd(), thumbnailSize());
  refreshItem(editor->materialId(), batch);
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
  std::size_t changes = 0;
  for (OdDbObjectId& id : m_shown)
  {
    const auto found = m_itemShown.find(&id);
    if (found != m_itemShown.end() && found->second.listed != matchesFilter(found->second.text))
      ++changes;
  }
  if (changes == 0)
    return;
  const fw::CListCtrl::RedrawOff quiet(m_list);
  if (changes > kFilterStepLimit)
    relistAll();
  else
  {
    // A few items in or out: the others stay where they are, and with them
    // the selection and the scrolling.
    int index = 0;
    for (OdDbObjectId& id : m_shown)
    {
      const auto found = m_itemShown.find(&id);
      if (found == m_itemShown.end())
        continue;
      ItemShown& item = found->second;
      const bool wanted = matchesFilter(item.text);
      if (item.listed && !wanted)
      {
        if (id == m_editedId)
          abandonLabelEdit();
        m_list.deleteItem(index);
        item.listed = false;
        continue;
      }
      if (!item.listed && wanted)
        item.listed = m_list.insertItem(index, item.text.c_str(), item.image, reinterpret_cast<LPARAM>(&id)) >= 0;
      if (item.listed)
        ++index;
    }
  }
  if (m_list.viewType() == kIconView)
    m_list.arrange();
  m_sight = Sight{}; // other items in sight: the fill looks again
}

void MeUiMaterialBrowserPalette::relistAll()
{
  // Removing or inserting thousands one at a time, each at its index, costs
  // the list seconds under Wine; emptied and filled in order it is one pass. The selected item stays
  // selected when it still shows.
  const OdDbObjectId* selected = currentId();
  abandonLabelEdit();
  m_list.deleteAllItems();
  for (OdDbObjectId& id : m_shown)
  {
    const auto found = m_itemShown.find(&id);
    if (found == m_itemShown.end())
      continue;
    ItemShown& item = found->second;
    item.listed = matchesFilter(item.text) && m_list.insertItem(m_list.itemCount(), item.text.c_str(), item.image,
                                                                reinterpret_cast<LPARAM>(&id)) >= 0;
    if (item.listed && &id == selected)
      m_list.select(m_list.itemCount() - 1);
  }
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
} // namespace meui
