// meui::MeUiPalettes: the module's three palettes in one place. It makes
// the Materials Browser, the Material editor and the Texture editor on
// first use, hands each the links to the others (itself), and answers what
// one palette asks of another.
//
// Made with the first palette and registered as service 7, so it is never
// deleted before the registry is, and after the two palettes registered as
// services 5 and 6, which hold it by reference. The Texture editor is no
// service: the owner keeps it and deletes it with itself.
#pragma once

#include "core/MeServices.h"
#include "ui/MeUiPaletteInstance.h"
#include "ui/MeUiPaletteLinks.h"

#include <memory>

namespace meui
{
class MeUiMaterialBrowserPalette;
class MeUiMaterialEditorPalette;
class MeUiTextureEditorPalette;

class MeUiPalettes final : public me::IMeServiceItem, public MeUiPaletteLinks
{
public:
  MeUiPalettes();
  ~MeUiPalettes() override;
  MeUiPalettes(const MeUiPalettes&) = delete;
  MeUiPalettes& operator=(const MeUiPalettes&) = delete;

  // Each palette, made on first use when create is true; null otherwise.
  MeUiMaterialBrowserPalette* browser(bool create);
  MeUiMaterialEditorPalette* materialEditor(bool create);
  MeUiTextureEditorPalette* textureEditor(bool create);

  // The command MATBROWSEROPEN: shows the browser, or hides it when shown.
  void toggleBrowser();

  // MeUiPaletteLinks
  bool openMaterialEditor(const OdDbObjectId& material) override;
  void focusMaterialEditor() override;
  void closeTextureEditor() override;
  void openTextureEditor() override;
  void followMapInTextureEditor() override;
  std::size_t materialEditorListenerCount() override;
  void paletteGone(const void* palette) override;

private:
  MeUiPaletteInstance<MeUiMaterialBrowserPalette> m_browser;
  MeUiPaletteInstance<MeUiMaterialEditorPalette> m_editor;
  std::unique_ptr<MeUiTextureEditorPalette> m_texture;
};

// The owner, made and registered on first use when create is true; null
// otherwise, and while the registry is being built.
MeUiPalettes* palettes(bool create);

// MATBROWSEROPEN's action, as the module's entry installs it.
void toggleMaterialsBrowser();
} // namespace meui
