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
