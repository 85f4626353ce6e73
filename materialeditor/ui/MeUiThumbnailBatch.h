// One batch of the Materials Browser's thumbnails: the hidden preview viewer
// made when the batch starts (a whole list, one added material, one
// refresh) and destroyed when it ends.
//
// The viewer is the square child window the preview makes thumbnails with
// (its own class, visible style, control id 2222), placed outside its
// parent's client area so that the user never sees it flash.
#pragma once

#include "MeLivePreview.h"

#include "win32/Handles.h"

namespace meui
{
class MeUiThumbnailBatch
{
public:
  // size: the thumbnail's side in pixels. The sample is always the sphere.
  MeUiThumbnailBatch(HWND parent, int size);
  ~MeUiThumbnailBatch();
  MeUiThumbnailBatch(const MeUiThumbnailBatch&) = delete;
  MeUiThumbnailBatch& operator=(const MeUiThumbnailBatch&) = delete;

  // False when no viewer could be made (no window, no graphics module).
  bool ready() const { return m_preview.ready(); }

  // The material on the sphere as a bitmap of the viewer's size; null when
  // not ready. redrawFirst repaints the viewer at once before the picture
  // is taken (loading does; the refresh after an edit does not).
  win::Bitmap render(const OdDbObjectId& material, bool redrawFirst);

private:
  MeLivePreview m_preview;
};
} // namespace meui
