#include "ui/MeEditorEntries.h"

#include "framework/ModuleState.h"
#include "ui/MeUiMaterialEditorPalette.h"

namespace meui
{
namespace
{
MeUiMaterialEditorPaletteReactor* g_textureEditor = nullptr;
std::function<void(MaterialMap&)> g_openTextureEditor;
} // namespace

bool openMaterialEditor(const OdDbObjectId& material)
{
  fw::ResourceScope scope(fw::moduleInstance());
  return materialEditorPalette(true)->openOn(material);
}

void focusMaterialEditor()
{
  MeUiMaterialEditorPalette* palette = materialEditorPalette(false);
  if (palette && palette->hwnd() && IsWindowVisible(palette->hwnd()))
    palette->focusMainControl();
}

void closeTextureEditor()
{
  MeUiMaterialEditorPalette* palette = materialEditorPalette(false);
  if (!g_textureEditor || !palette)
    return;
  palette->notifyListeners();
  palette->removeListener(g_textureEditor);
}

void openTextureEditor(MaterialMap& map)
{
  if (g_openTextureEditor)
  {
    fw::ResourceScope scope(fw::moduleInstance());
    g_openTextureEditor(map);
    // Told when the Material editor moves on; listed once however often it opens.
    if (MeUiMaterialEditorPalette* palette = materialEditorPalette(false); palette && g_textureEditor)
      palette->addListener(g_textureEditor);
  }
}

void setTextureEditor(MeUiMaterialEditorPaletteReactor* palette, std::function<void(MaterialMap&)> open)
{
  g_textureEditor = palette;
  g_openTextureEditor = std::move(open);
}
} // namespace meui
