// What a preview scene needs of whatever shows it: a camera to frame the
// sample with, and a way to say the picture is out of date. A window
// (MeGsViewer) and a device without a window (MeGsPreview) both give it, so
// a scene works for the live preview, for thumbnails and for tests alike.
#pragma once

class OdGsView;

namespace meui
{
class MePreviewView
{
public:
  // The camera; null while nothing is attached.
  virtual OdGsView* previewView() = 0;
  // The scene changed what is to be drawn.
  virtual void previewChanged() = 0;
  // The camera was just fitted to the sample (the zoom counts from here).
  virtual void previewFitted() {}

protected:
  ~MePreviewView() = default;
};
} // namespace meui
