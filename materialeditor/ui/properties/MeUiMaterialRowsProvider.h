// meui::MeUiMaterialRowsProvider: the Material editor's rows, made as the
// Texture editor's providers make theirs: diffuse colour, ambient and
// specular colours (while extended mode shows them), glossiness and the
// diffuse map. Each build makes fresh row sources; the rows hold them.
#pragma once

#include "ui/properties/MeUiRowProvider.h"

namespace meui
{
class MeUiMaterialRowsProvider : public MeUiRowProvider
{
public:
  // The diffuse map row's menu sends its commands to the owner window.
  explicit MeUiMaterialRowsProvider(void* mapMenuOwner) : m_mapMenuOwner(mapMenuOwner) {}

  // Replaces the rows held with the rows shown now.
  void buildRows() override;

private:
  void* m_mapMenuOwner;
};
} // namespace meui
