// What the map preview of the Texture editor shows, decided without a window:
//
//   MapPreviewState     nothing, the map's image, its file not found, or a
//                       procedural texture (no picture)
//   MeMapPreviewModel   reloads from a map record: the image through the
//                       shared image loader, found by the host's search when
//                       it has moved
//   previewSquare       where the picture goes in a control of a given size
//   overChecker         a picture with transparent parts as it shows: over
//                       a checker of light and dark squares
//
// The window (MeUiMaterialMapPreview) only turns the picture into a screen
// bitmap and paints what this says.
#pragma once

#include "od/GiImageFile.h"
#include "od/GiMaterial.h"

#include <memory>

namespace meui
{
enum class MapPreviewState
{
  Nothing = 0,
  Image = 1,
  FileNotFound = 2,
  Procedural = 3,
};

struct PreviewSquare
{
  int left = 0;
  int top = 0;
  int side = 0;
};

// The largest square of a width x height control, centred along its longer
// side; the offset is truncated toward zero.
PreviewSquare previewSquare(int width, int height);

// The checker under a picture's transparent parts: squares of about this
// many screen pixels, light at the top left, then dark.
constexpr int kCheckerCell = 8;
constexpr OdUInt8 kCheckerLight = 204;
constexpr OdUInt8 kCheckerDark = 102;

// Whether some pixel of the picture is less than opaque.
bool hasTransparency(const OdGsDecodedImage& image);
// The picture over the checker, opaque, for a square of side screen pixels:
// each checker square is as many pixels as kCheckerCell screen pixels come
// to once the result fills the square. A picture smaller than the square is
// first enlarged a whole number of times (each pixel a block) to at least
// its size, so that the squares can be that fine.
OdGsDecodedImage overChecker(const OdGsDecodedImage& image, int side);

class MeMapPreviewModel
{
public:
  // Drops the picture, then loads what the map's source calls for. A map of
  // the scene, or an image that does not load, leaves nothing to show.
  void refresh(const MaterialMap& map);
  // The file at path or, when it does not exist, the one the host's texture
  // search finds in the current drawing. False when none is found (state
  // FileNotFound) or the file does not decode (state unchanged, reason set).
  bool loadImage(const OdString& path);
  // An image-file texture shows its file; marble, wood and generic textures
  // show state Procedural and answer false; anything else changes nothing.
  bool showTexture(const OdGiMaterialTexture* texture);

  MapPreviewState state() const { return m_state; }
  // The decoded picture in state Image, else null.
  const std::shared_ptr<const OdGsDecodedImage>& image() const { return m_image; }
  // The path the picture came from (the found one when it had moved).
  const OdString& loadedPath() const { return m_loadedPath; }
  // Why the last image did not load; empty when it did.
  const OdString& failure() const { return m_failure; }
  // The text shown in state FileNotFound: the map's stored file name, as stored.
  OdString notFoundText() const;

private:
  MapPreviewState m_state = MapPreviewState::Nothing;
  std::shared_ptr<const OdGsDecodedImage> m_image;
  OdString m_fileName;
  OdString m_loadedPath;
  OdString m_failure;
};
} // namespace meui
