// What the Material editor palette tells those that depend on the material
// it shows (the Texture editor palette): it switched to another material,
// lost its drawing or closed. Observers override what they need.
#pragma once

namespace meui
{
class MeUiMaterialEditorPaletteReactor
{
public:
  virtual ~MeUiMaterialEditorPaletteReactor() = default;
  virtual void editorPaletteChanged() {}
};
} // namespace meui
