#include "MeMapPreviewModel.h"

#include "core/MeHost.h"

#include <algorithm>

namespace meui
{
PreviewSquare previewSquare(int width, int height)
{
  width = std::max(width, 0);
  height = std::max(height, 0);
  PreviewSquare square;
  square.side = std::min(width, height);
  if (width > height)
    square.left = (width - height) / 2;
  else
    square.top = (height - width) / 2;
  return square;
}

bool hasTransparency(const OdGsDecodedImage& image)
{
  for (std::size_t i = 3; i < image.rgba.size(); i += 4)
    if (image.rgba[i] != 255)
      return true;
  return false;
}

OdGsDecodedImage overChecker(const OdGsDecodedImage& image, int side)
{
  if (side <= 0 || image.width == 0 || image.height == 0)
    return image;
  const OdUInt32 larger = std::max(image.width, image.height);
  const OdUInt32 times = larger >= OdUInt32(side) ? 1 : (OdUInt32(side) + larger - 1) / larger;
  OdGsDecodedImage out;
  out.width = image.width * times;
  out.height = image.height * times;
  out.rgba.resize(std::size_t(out.width) * out.height * 4);
  // Result pixels per checker square along each side (the result is
  // stretched to the square, so the two may differ), rounded, at least 1.
  const auto cell = [side](OdUInt32 length) {
    return std::max<long long>(1, (static_cast<long long>(length) * kCheckerCell + side / 2) / side);
  };
  const long long cellX = cell(out.width), cellY = cell(out.height);
  for (OdUInt32 y = 0; y < out.height; ++y)
    for (OdUInt32 x = 0; x < out.width; ++x)
    {
      const OdUInt8* in = &image.rgba[(std::size_t(y / times) * image.width + x / times) * 4];
      OdUInt8* p = &out.rgba[(std::size_t(y) * out.width + x) * 4];
      const int alpha = in[3];
      const int under = ((x / cellX + y / cellY) % 2 == 0) ? kCheckerLight : kCheckerDark;
      for (int c = 0; c < 3; ++c)
        p[c] = OdUInt8((in[c] * alpha + under * (255 - alpha) + 127) / 255);
      p[3] = 255;
    }
  return out;
}

void MeMapPreviewModel::refresh(const MaterialMap& map)
{
  // The old picture goes first, so a failed reload never shows it again.
  m_image.reset();
  m_loadedPath = OdString();
  m_failure = OdString();
  m_state = MapPreviewState::Nothing;
  m_fileName = map.sourceFileName();
  switch (map.source())
  {
  case kFile: loadImage(map.sourceFileName()); break;
  case kProcedural: showTexture(map.texture().get()); break;
  default: break;
  }
}

bool MeMapPreviewModel::loadImage(const OdString& path)
{
  OdString found = path;
  if (path.isEmpty() || !me::fileExists(path))
  {
    found = me::findFile(path, me::currentDatabase(), kHostFindTextureMap);
    if (found.isEmpty())
    {
      m_fileName = path;
      m_image.reset();
      m_state = MapPreviewState::FileNotFound;
      return false;
    }
  }
  const OdGiImageLoadResult loaded = odgiLoadImageFile(found);
  if (!loaded.image || loaded.image->width == 0 || loaded.image->height == 0)
  {
    m_failure = loaded.reason.isEmpty() ? OdString(L"the picture could not be read") : loaded.reason;
    return false;
  }
  m_image = loaded.image;
  m_loadedPath = found;
  m_failure = OdString();
  m_state = MapPreviewState::Image;
  return true;
}

bool MeMapPreviewModel::showTexture(const OdGiMaterialTexture* texture)
{
  if (!texture)
    return false;
  if (texture->isKindOf(OdGiImageFileTexture::desc()))
  {
    const OdString path = static_cast<const OdGiImageFileTexture*>(texture)->sourceFileName();
    m_fileName = path;
    return loadImage(path);
  }
  if (texture->isKindOf(OdGiMarbleTexture::desc()) || texture->isKindOf(OdGiWoodTexture::desc()) ||
      texture->isKindOf(OdGiGenericTexture::desc()))
  {
    m_image.reset();
    m_state = MapPreviewState::Procedural;
  }
  return false;
}

OdString MeMapPreviewModel::notFoundText() const
{
  // The name goes in as data: a '%' in it is shown, not interpreted.
  return OdString(L"File: ") + m_fileName + OdString(L" \nnot found");
}
} // namespace meui
