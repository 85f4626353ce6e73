#include "MeUiMaterialMapPreview.h"

#include "win/MeHostQuery.h"
#include "win/MeHostTheme.h"
#include "win32/Dc.h"

#include <string>

namespace meui
{
namespace
{
// The notes' margin: the grid's labels stand this far in.
constexpr int kNoteMargin = 12;

COLORREF themeText()
{
  if (HostThemeService* theme = me::hostTheme())
    return COLORREF(theme->textColor() & 0x00FFFFFF);
  return GetSysColor(COLOR_WINDOWTEXT);
}

// A note in place of the picture: its lines as they are (long ones broken at
// words), inside the margin the grid's labels keep below it, and the whole
// block centred from top to bottom.
void drawNote(HDC dc, const RECT& client, const OdString& text)
{
  RECT area{client.left + kNoteMargin, client.top + kNoteMargin, client.right - kNoteMargin,
            client.bottom - kNoteMargin};
  if (area.right <= area.left || area.bottom <= area.top)
    return;
  RECT measured = area;
  DrawTextW(dc, text.c_str(), -1, &measured, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
  const LONG height = measured.bottom - measured.top;
  if (height < area.bottom - area.top)
    area.top += (area.bottom - area.top - height) / 2;
  DrawTextW(dc, text.c_str(), -1, &area, DT_WORDBREAK | DT_NOPREFIX);
}

// A screen bitmap of an RGBA picture.
win::Bitmap screenBitmap(const OdGsDecodedImage& image)
{
  void* bits = nullptr;
  win::Bitmap bitmap = win::topDownDib(int(image.width), int(image.height), bits);
  if (!bitmap)
    return bitmap;
  auto* out = static_cast<std::uint8_t*>(bits);
  const std::size_t pixels = std::size_t(image.width) * image.height;
  for (std::size_t i = 0; i < pixels; ++i)
  {
    out[4 * i + 0] = image.rgba[4 * i + 2];
    out[4 * i + 1] = image.rgba[4 * i + 1];
    out[4 * i + 2] = image.rgba[4 * i + 0];
    out[4 * i + 3] = 0;
  }
  GdiFlush();
  return bitmap;
}
} // namespace

MeUiMaterialMapPreview::MeUiMaterialMapPreview(MaterialMap& map) : m_map(&map) { refresh(); }

MeUiMaterialMapPreview::~MeUiMaterialMapPreview() { destroy(); }

void MeUiMaterialMapPreview::setMap(MaterialMap& map)
{
  m_map = &map;
  refresh();
}

void MeUiMaterialMapPreview::refresh()
{
  // Deleted before anything else: no paint can reach the old one after this.
  m_bitmap.reset();
  if (!m_map)
    return;
  m_model.refresh(*m_map);
  m_transparent = m_model.image() && hasTransparency(*m_model.image());
  makeBitmap();
}

bool MeUiMaterialMapPreview::loadImage(const wchar_t* path)
{
  m_bitmap.reset();
  const bool loaded = m_model.loadImage(OdString(path ? path : L""));
  m_transparent = m_model.image() && hasTransparency(*m_model.image());
  makeBitmap();
  return loaded;
}

bool MeUiMaterialMapPreview::showTexture(OdGiMaterialTexture* texture)
{
  m_bitmap.reset();
  const bool loaded = m_model.showTexture(texture);
  m_transparent = m_model.image() && hasTransparency(*m_model.image());
  makeBitmap();
  return loaded;
}

void MeUiMaterialMapPreview::makeBitmap(int side) const
{
  const std::shared_ptr<const OdGsDecodedImage>& image = m_model.image();
  if (m_model.state() != MapPreviewState::Image || !image)
    return;
  if (side < 0)
  {
    const RECT client = exists() ? clientRect() : RECT{};
    side = previewSquare(client.right - client.left, client.bottom - client.top).side;
  }
  m_bitmapSide = side;
  m_bitmap = screenBitmap(m_transparent ? overChecker(*image, side) : *image);
}

LRESULT MeUiMaterialMapPreview::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  if (me::isHostStateQuery(message, wParam, kHostQueryMapPreviewState))
    return me::hostStateAnswer(std::size_t(m_model.state()));
  return CStatic::windowProc(message, wParam, lParam);
}

void MeUiMaterialMapPreview::onPaint(HDC dc, const RECT& client) { paint(dc, client); }

void MeUiMaterialMapPreview::onSize(int, int) { redrawNow(); }

void MeUiMaterialMapPreview::paint(HDC dc, const RECT& client) const
{
  const COLORREF background = me::hostWindowBackground();
  {
    const win::Brush brush(CreateSolidBrush(background));
    FillRect(dc, &client, brush.get());
  }
  const PreviewSquare square = previewSquare(client.right - client.left, client.bottom - client.top);
  RECT squareRect{client.left + square.left, client.top + square.top, client.left + square.left + square.side,
                  client.top + square.top + square.side};

  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldBackground = SetBkColor(dc, background);
  const COLORREF oldText = SetTextColor(dc, themeText());
  HFONT font = hwnd() ? reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)) : nullptr;
  const win::SelectedObject selectedFont(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));

  switch (m_model.state())
  {
  case MapPreviewState::Image:
    // The checker's squares keep their size on the screen.
    if (m_transparent && m_bitmap && square.side != m_bitmapSide)
      makeBitmap(square.side);
    if (HBITMAP bitmap = m_bitmap.get(); bitmap && square.side > 0)
    {
      BITMAP info{};
      GetObjectW(bitmap, sizeof info, &info);
      const win::MemoryDc memory(CreateCompatibleDC(dc));
      const win::SelectedObject selected(memory.get(), bitmap);
      SetStretchBltMode(dc, HALFTONE);
      SetBrushOrgEx(dc, 0, 0, nullptr); // as HALFTONE requires
      StretchBlt(dc, squareRect.left, squareRect.top, square.side, square.side, memory.get(), 0, 0, info.bmWidth,
                 info.bmHeight, SRCCOPY);
    }
    break;
  case MapPreviewState::FileNotFound: drawNote(dc, client, m_model.notFoundText()); break;
  case MapPreviewState::Procedural: DrawTextW(dc, L"Not implemented", -1, &squareRect, DT_CENTER); break;
  case MapPreviewState::Nothing:
    // A file that is there but does not decode says why, where a missing
    // one would name itself.
    if (!m_model.failure().isEmpty() && m_map)
      drawNote(dc, client, OdString(L"File: ") + m_map->sourceFileName() + L" \n" + m_model.failure());
    break;
  }
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBackground);
  SetBkMode(dc, oldMode);
}

std::vector<std::uint32_t> MeUiMaterialMapPreview::pixels(int& width, int& height) const
{
  width = height = 0;
  if (!exists())
    return {};
  const RECT client = clientRect();
  width = client.right - client.left;
  height = client.bottom - client.top;
  if (width <= 0 || height <= 0)
    return {};
  void* bits = nullptr;
  const win::Bitmap target = win::topDownDib(width, height, bits);
  const win::MemoryDc memory(CreateCompatibleDC(nullptr));
  if (!target.get() || !bits || !memory.get())
    return {};
  {
    const win::SelectedObject selected(memory.get(), target.get());
    paint(memory.get(), client);
    GdiFlush();
  }
  std::vector<std::uint32_t> out(std::size_t(width) * std::size_t(height));
  const auto* in = static_cast<const std::uint8_t*>(bits);
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = RGB(in[4 * i + 2], in[4 * i + 1], in[4 * i + 0]);
  return out;
}

MapPreviewPicture MeUiMaterialMapPreview::picture() const
{
  MapPreviewPicture summary;
  const std::vector<std::uint32_t> all = pixels(summary.width, summary.height);
  if (all.empty())
    return summary;
  summary.centre = all[std::size_t(summary.height / 2) * std::size_t(summary.width) + std::size_t(summary.width / 2)];
  std::uint64_t r = 0, g = 0, b = 0;
  for (std::uint32_t pixel : all)
  {
    r += GetRValue(pixel);
    g += GetGValue(pixel);
    b += GetBValue(pixel);
  }
  const std::uint64_t n = all.size();
  summary.mean = RGB(BYTE(r / n), BYTE(g / n), BYTE(b / n));
  return summary;
}
} // namespace meui
