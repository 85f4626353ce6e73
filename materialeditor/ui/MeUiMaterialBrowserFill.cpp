// The browser's thumbnails after the list has shown: the placeholders the
// items show at first, and the batches that put the rendered thumbnails in
// their places, those in sight first.
#include "ui/MeUiMaterialBrowserPalette.h"

#include "ui/MeUiMaterialBrowserParts.h"
#include "ui/MeUiThumbnailBatch.h"
#include "win/MeHostQuery.h"
#include "win/MeHostTheme.h"
#include "win32/Dc.h"
#include "win32/Handles.h"

#include <algorithm>
#include <chrono>

namespace meui
{
PlaceholderPainter::PlaceholderPainter(int size) : m_size(size > 0 ? size : 0)
{
  if (m_size == 0)
    return;
  // The disc's shape is drawn once by GDI; each placeholder only colours it.
  void* bits = nullptr;
  const win::Bitmap shape = win::topDownDib(m_size, m_size, bits);
  win::MemoryDc dc(CreateCompatibleDC(nullptr));
  if (!shape || !dc.get())
    return;
  const win::SelectedObject bitmap(dc.get(), shape.get());
  const RECT all{0, 0, m_size, m_size};
  FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const win::SelectedObject brush(dc.get(), GetStockObject(WHITE_BRUSH));
  const win::SelectedObject pen(dc.get(), GetStockObject(WHITE_PEN));
  // About the size of the sample sphere in its picture.
  const int inset = m_size / 8;
  Ellipse(dc.get(), inset, inset, m_size - inset, m_size - inset);
  GdiFlush();
  const auto* pixels = static_cast<const DWORD*>(bits);
  m_inside.resize(std::size_t(m_size) * std::size_t(m_size));
  for (std::size_t i = 0; i < m_inside.size(); ++i)
    m_inside[i] = (pixels[i] & 0x00FFFFFF) != 0;
}

bool PlaceholderPainter::paint(COLORREF colour, COLORREF background, DWORD* pixels, int stride) const
{
  if (m_inside.empty() || !pixels)
    return false;
  const auto dib = [](COLORREF c) { return DWORD(GetRValue(c)) << 16 | DWORD(GetGValue(c)) << 8 | GetBValue(c); };
  const DWORD disc = dib(colour), back = dib(background);
  for (int y = 0; y < m_size; ++y)
  {
    DWORD* row = pixels + std::size_t(y) * std::size_t(stride);
    const std::uint8_t* inside = m_inside.data() + std::size_t(y) * std::size_t(m_size);
    for (int x = 0; x < m_size; ++x)
      row[x] = inside[x] ? disc : back;
  }
  return true;
}

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
  // The items in sight at once: the list then paints with them.
  fillBatch(true);
  if (!m_fill.empty() && !m_fillTimer && hwnd())
    m_fillTimer = SetTimer(hwnd(), kFillTimer, 0, nullptr) != 0;
}

void MeUiMaterialBrowserPalette::stopFill()
{
  m_fill.clear();
  if (m_fillTimer && hwnd())
    KillTimer(hwnd(), kFillTimer);
  m_fillTimer = false;
  m_fillBatch.reset();
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
    const auto* item = reinterpret_cast<const OdDbObjectId*>(m_list.itemData(index));
    const auto found = item ? m_itemShown.find(item) : m_itemShown.end();
    if (found != m_itemShown.end() && !found->second.rendered)
      m_fill.push_front({item, *item});
  }
}

bool MeUiMaterialBrowserPalette::renderPlaceholder(const OdDbObjectId* item)
{
  const auto found = m_itemShown.find(item);
  if (found == m_itemShown.end() || found->second.rendered)
    return false;
  ItemShown& shown = found->second;
  shown.rendered = true;
  const int size = thumbnailSize();
  if (!m_fillBatch)
    m_fillBatch = std::make_unique<MeUiThumbnailBatch>(hwnd(), size);
  void* bits = nullptr;
  const win::Bitmap picture = win::topDownDib(size, size, bits);
  // The viewer lies outside its parent's client area, so a redraw paints
  // nothing: the picture is rendered when it is taken, as a whole list's are.
  const bool drawn = picture && openMaterial(*item).get() &&
                     m_fillBatch->renderInto(*item, false, static_cast<DWORD*>(bits), size) &&
                     fw::replaceMaskedImage(m_images, shown.image, picture.get(), me::hostWindowBackground());
  if (!drawn)
  {
    // No picture, as when the list rendered it at once: not the placeholder.
    shown.image = -1;
    if (const int index = shown.listed ? m_list.findItemByData(reinterpret_cast<LPARAM>(item)) : -1; index >= 0)
      m_list.setItem(index, nullptr, -1);
  }
  return true;
}

void MeUiMaterialBrowserPalette::fillBatch(bool sightOnly)
{
  if (!m_list)
  {
    stopFill();
    return;
  }
  bringSightForward();
  const auto [first, end] = itemsInSight();
  bool shownChanged = false;
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
    if (found == m_itemShown.end() || *next.item != next.id)
      continue;
    if (renderPlaceholder(next.item) && found->second.listed)
      shownChanged = true;
  }
  if (shownChanged && first < end)
    ListView_RedrawItems(m_list.hwnd(), first, end - 1);
  if (m_fill.empty())
    stopFill();
}

std::size_t MeUiMaterialBrowserPalette::placeholdersInSight() const
{
  const auto [first, end] = itemsInSight();
  std::size_t count = 0;
  for (int index = first; index < end; ++index)
  {
    const auto found = m_itemShown.find(reinterpret_cast<const OdDbObjectId*>(m_list.itemData(index)));
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
    const auto found = m_itemShown.find(reinterpret_cast<const OdDbObjectId*>(m_list.itemData(index)));
    result = me::hostStateAnswer(found != m_itemShown.end() && found->second.rendered ? 1 : 0);
  }
  else
    return false;
  return true;
}
} // namespace meui
