// meui::MeUiMaterialMapPreview: the picture of the map's image above the
// Texture editor's grid. A static control (usually the dialog's placeholder,
// taken over) bound to one map record; MeMapPreviewModel decides what to
// show, this turns the picture into a screen bitmap and paints it into the
// centred square (a picture with transparent parts over a checker made for
// the square's size), or the not-found or "Not implemented" text.
#pragma once

#include "MeMapPreviewModel.h"

#include "framework/Static.h"
#include "win32/Handles.h"

#include <cstdint>

namespace meui
{
// What the control shows, for DUMP and tests: the client size, the pixel at
// its centre and the mean colour over the whole client area.
struct MapPreviewPicture
{
  int width = 0;
  int height = 0;
  COLORREF centre = 0;
  COLORREF mean = 0;
};

class MeUiMaterialMapPreview : public fw::CStatic
{
public:
  // Keeps the map (not owned: the material editor's cached record) and
  // reloads from it at once.
  explicit MeUiMaterialMapPreview(MaterialMap& map);
  // Without a map until setMap, which reloads from it.
  MeUiMaterialMapPreview() = default;
  void setMap(MaterialMap& map);
  void forgetMap() { m_map = nullptr; }
  ~MeUiMaterialMapPreview() override;

  // Drops the bitmap and reloads from the map; the caller redraws.
  void refresh();
  bool loadImage(const wchar_t* path);
  bool showTexture(OdGiMaterialTexture* texture);

  MapPreviewState state() const { return m_model.state(); }
  const MeMapPreviewModel& model() const { return m_model; }
  // The screen bitmap of state Image, else null.
  HBITMAP bitmap() const { return m_bitmap.get(); }

  // Paints into a bitmap of the client's size, as the screen would show it.
  MapPreviewPicture picture() const;
  // The same picture, 0x00BBGGRR per pixel, rows top first; empty without a window.
  std::vector<std::uint32_t> pixels(int& width, int& height) const;

protected:
  // Answers the host's state query with the state; the rest as any static.
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool hasOwnPaint() const override { return true; }
  void onPaint(HDC dc, const RECT& client) override;
  void onSize(int width, int height) override;

private:
  void paint(HDC dc, const RECT& client) const;
  // The screen bitmap for a square of that side (the client's when none is
  // given); a transparent picture's is made again for another side.
  void makeBitmap(int side = -1) const;

  MaterialMap* m_map = nullptr;
  MeMapPreviewModel m_model;
  mutable win::Bitmap m_bitmap;
  mutable int m_bitmapSide = 0; // the square a transparent picture's checker was made for
  bool m_transparent = false;
};
} // namespace meui
