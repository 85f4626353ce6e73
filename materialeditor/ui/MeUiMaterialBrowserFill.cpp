// The browser's thumbnails after the list has shown: the placeholders the
// items show at first, and the batches that put the rendered thumbnails in
// their places, those in sight first.
#include "ui/MeUiMaterialBrowserPalette.h"

#include "core/MeHost.h"
#include "ui/MeUiMaterialBrowserParts.h"
#include "ui/MeUiThumbnailBatch.h"
#include "win/MeHostQuery.h"
#include "win/MeHostTheme.h"
#include "win32/Dc.h"
#include "win32/Handles.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace meui
{
COLORREF placeholderColour(const OdDbMaterial& material)
{
  MaterialColor colour;
  MaterialMap map;
  material.diffuse(colour, map);
  if (colour.method() != MaterialColor::kOverride)
    return RGB(128, 128, 128); // the object's own colour: none to show yet
  const OdCmColor value(colour.color());
  return RGB(value.red(), value.green(), value.blue());
}

void MeUiMaterialBrowserPalette::startFill()
{
  m_fill.clear();
  for (const OdDbObjectId& id : m_shown)
    if (const auto found = m_itemShown.find(&id); found != m_itemShown.end() && !found->second.rendered)
      m_fill.push_back({&id, id});
  m_sight = Sight{};
  if (m_fill.empty())
  {
    stopFill();
    return;
  }
  fillOnward();
}

void MeUiMaterialBrowserPalette::fillOnward()
{
  // The items in sight at once: the list then paints with them.
  fillBatch(true);
  if (!m_fill.empty() && !m_fillTimer && hwnd())
    m_fillTimer = SetTimer(hwnd(), kFillTimer, 0, nullptr) != 0;
}

void MeUiMaterialBrowserPalette::stopFill()
{
  m_fill.clear();
  stopFillTimer();
  m_batch.reset();
}

void MeUiMaterialBrowserPalette::stopFillTimer()
{
  if (m_fillTimer && hwnd())
    KillTimer(hwnd(), kFillTimer);
  m_fillTimer = false;
}

MeUiThumbnailBatch& MeUiMaterialBrowserPalette::thumbnailBatch()
{
  // Relative texture paths resolve against the drawing's file, which a
  // save under another name changes.
  OdDbDatabase* database = me::currentDatabase();
  const OdString file = database ? database->getFilename() : OdString();
  if (!m_batch || !m_batch->ready() || file != m_batchFile)
  {
    m_batch.reset();
    m_batch = std::make_unique<MeUiThumbnailBatch>(hwnd(), thumbnailSize());
    m_batchFile = file;
  }
  return *m_batch;
}

std::pair<int, int> MeUiMaterialBrowserPalette::itemsInSight() const
{
  const int count = m_list ? m_list.itemCount() : 0;
  RECT client{};
  if (count == 0 || !GetClientRect(m_list.hwnd(), &client))
    return {0, 0};
  // Arranged items lie in rows (icons) or columns (list) in their order:
  // those before the first in sight end above or left of the client area.
  const bool across = m_list.viewType() == kListView;
  const auto bounds = [this](int index) {
    RECT rect{};
    ListView_GetItemRect(m_list.hwnd(), index, &rect, LVIR_BOUNDS);
    return rect;
  };
  int low = 0, high = count;
  while (low < high)
  {
    const int middle = low + (high - low) / 2;
    const RECT rect = bounds(middle);
    if ((across ? rect.right : rect.bottom) <= (across ? client.left : client.top))
      low = middle + 1;
    else
      high = middle;
  }
  int end = low;
  for (; end < count; ++end)
  {
    const RECT rect = bounds(end);
    if ((across ? rect.left : rect.top) >= (across ? client.right : client.bottom))
      break;
  }
  return {low, end};
}

void MeUiMaterialBrowserPalette::bringSightForward()
{
  Sight now;
  now.count = m_list.itemCount();
  now.view = m_list.viewType();
  GetClientRect(m_list.hwnd(), &now.client);
  if (now.count > 0)
    ListView_GetItemRect(m_list.hwnd(), 0, &now.first, LVIR_BOUNDS);
  if (now == m_sight)
    return;
  m_sight = now;
  const auto [first, end] = itemsInSight();
  for (int index = end - 1; index >= first; --index)
  {
    const OdDbObjectId* item = itemAt(index);
    const auto found = item ? m_itemShown.find(item) : m_itemShown.end();
    if (found != m_itemShown.end() && !found->second.rendered)
      m_fill.push_front({item, *item});
  }
}

void MeUiMaterialBrowserPalette::fillBatch(bool sightOnly)
{
  if (!m_list || !m_images)
  {
    stopFill();
    return;
  }
  bringSightForward();
  const auto [first, end] = itemsInSight();
  const int size = thumbnailSize();
  MeUiThumbnailBatch& batch = thumbnailBatch();
  // Taken as a whole list's were: a strip at a time, added together.
  fw::CImageStrip strip(size, size, kThumbnailStrip);
  std::vector<std::pair<ItemShown*, bool>> taken; // the strip's items, and whether each was drawn
  // Only a picture put in sight needs the list drawn again: once those are
  // done, a redraw per batch would cost more than the rendering.
  std::vector<const OdDbObjectId*> sight;
  for (int index = first; index < end; ++index)
    sight.push_back(itemAt(index));
  bool placed = false; // an item in sight got its picture
  const auto flush = [&] {
    int image = strip.addTo(m_images, me::hostWindowBackground());
    for (auto& [item, drawn] : taken)
    {
      item->image = drawn && image >= 0 ? image++ : -1;
      item->rendered = true;
    }
    taken.clear();
  };
  const auto start = std::chrono::steady_clock::now();
  const auto budget = std::chrono::milliseconds(kFillBudgetMs);
  for (int inSight = std::max(0, end - first);
       !m_fill.empty() && (sightOnly ? inSight > 0 : std::chrono::steady_clock::now() - start < budget); --inSight)
  {
    const FillEntry next = m_fill.front();
    m_fill.pop_front();
    // The item may have gone (erased, reloaded) since it was queued: its
    // data then names another material or nothing.
    const auto found = m_itemShown.find(next.item);
    if (found == m_itemShown.end() || *next.item != next.id || found->second.rendered ||
        std::any_of(taken.begin(), taken.end(), [&](const auto& t) { return t.first == &found->second; }))
      continue;
    // The viewer lies outside its parent's client area, so a redraw paints
    // nothing: the picture is rendered when it is taken.
    DWORD* pixels = strip ? strip.next() : nullptr;
    const bool drawn =
      pixels && openMaterial(next.id).get() && batch.renderInto(next.id, false, pixels, strip.stride());
    if (pixels && !drawn)
      strip.dropLast();
    taken.push_back({&found->second, drawn});
    placed = placed || std::find(sight.begin(), sight.end(), next.item) != sight.end();
    if (strip.full() || !strip)
      flush();
  }
  flush();
  // The list asks for the new images as it draws: those in sight now.
  if (placed && first < end)
    ListView_RedrawItems(m_list.hwnd(), first, end - 1);
  if (m_fill.empty())
    stopFillTimer(); // the viewer stays for the next
}

LRESULT MeUiMaterialBrowserPalette::customDraw(NMLVCUSTOMDRAW* draw) const
{
  switch (draw->nmcd.dwDrawStage)
  {
  case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
  case CDDS_ITEMPREPAINT:
  {
    const auto found = m_itemShown.find(itemAt(int(draw->nmcd.dwItemSpec)));
    return found != m_itemShown.end() && !found->second.rendered ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
  }
  case CDDS_ITEMPOSTPAINT:
  {
    const auto found = m_itemShown.find(itemAt(int(draw->nmcd.dwItemSpec)));
    RECT icon{};
    icon.left = LVIR_ICON;
    if (found == m_itemShown.end() || found->second.rendered ||
        !SendMessageW(m_list.hwnd(), LVM_GETITEMRECT, draw->nmcd.dwItemSpec, reinterpret_cast<LPARAM>(&icon)))
      return CDRF_DODEFAULT;
    // A disc about the size of the sample sphere, in the middle of the
    // place the thumbnail takes.
    const int size = thumbnailSize();
    const int disc = size * 3 / 4;
    const int x = (icon.left + icon.right - disc) / 2;
    const int y = icon.top + std::max(0, int(icon.bottom - icon.top) - size) / 2 + (size - disc) / 2;
    const win::Brush brush(CreateSolidBrush(found->second.placeholder));
    const win::SelectedObject brushIn(draw->nmcd.hdc, brush.get());
    const win::SelectedObject pen(draw->nmcd.hdc, GetStockObject(NULL_PEN));
    Ellipse(draw->nmcd.hdc, x, y, x + disc + 1, y + disc + 1);
    return CDRF_DODEFAULT;
  }
  default: return CDRF_DODEFAULT;
  }
}

std::size_t MeUiMaterialBrowserPalette::placeholdersInSight() const
{
  const auto [first, end] = itemsInSight();
  std::size_t count = 0;
  for (int index = first; index < end; ++index)
  {
    const auto found = m_itemShown.find(itemAt(index));
    count += found != m_itemShown.end() && !found->second.rendered ? 1 : 0;
  }
  return count;
}

std::size_t MeUiMaterialBrowserPalette::placeholders() const
{
  return std::size_t(
    std::count_if(m_itemShown.begin(), m_itemShown.end(), [](const auto& item) { return !item.second.rendered; }));
}

bool MeUiMaterialBrowserPalette::answerHostQuery(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const
{
  if (me::isHostStateQuery(message, wParam, kHostQueryPlaceholdersInSight))
    result = me::hostStateAnswer(m_list ? placeholdersInSight() : 0);
  else if (me::isHostStateQuery(message, wParam, kHostQueryPlaceholders))
    result = me::hostStateAnswer(placeholders());
  else if (me::isHostStateQuery(message, wParam, kHostQueryItemRendered))
  {
    const int index = int(lParam);
    if (!m_list || index < 0 || index >= m_list.itemCount())
      return false;
    const auto found = m_itemShown.find(itemAt(index));
    result = me::hostStateAnswer(found != m_itemShown.end() && found->second.rendered ? 1 : 0);
  }
  else
    return false;
  return true;
}
} // namespace meui
