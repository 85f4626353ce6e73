#include "ui/MeUiPalettes.h"

#include "core/IMeEditor.h"
#include "core/MeModule.h"
#include "core/MeStrings.h"
#include "framework/ModuleState.h"
#include "ui/MeUiMaterialBrowserPalette.h"
#include "ui/MeUiMaterialEditorPalette.h"
#include "ui/MeUiTextureEditorPalette.h"

namespace meui
{
MeUiPalettes::MeUiPalettes() = default;

MeUiPalettes::~MeUiPalettes()
{
  // Services 5 and 6 went before this one; the Texture editor goes with it.
  m_texture.reset();
}

MeUiMaterialBrowserPalette* MeUiPalettes::browser(bool create) { return m_browser.get(create, *this); }

MeUiMaterialEditorPalette* MeUiPalettes::materialEditor(bool create) { return m_editor.get(create, *this); }

MeUiTextureEditorPalette* MeUiPalettes::textureEditor(bool create)
{
  if (!m_texture && create)
    m_texture = std::make_unique<MeUiTextureEditorPalette>(*this);
  return m_texture.get();
}

void MeUiPalettes::paletteGone(const void* palette)
{
  m_browser.forget(palette);
  m_editor.forget(palette);
}

void MeUiPalettes::toggleBrowser()
{
  fw::ResourceScope scope(fw::moduleInstance());
  MeUiMaterialBrowserPalette* palette = browser(true);
  m_browser.createWindow(me::loadString(me::kStrMaterialsBrowser).c_str(), me::kMaterialsBrowserService);
  if (me::browserShown())
  {
    palette->ShowPane(false, false, false);
    me::detachDocumentObserver();
    me::setStartupCommand(false, me::kBrowserCommand);
  }
  else
  {
    me::attachDocumentObserver();
    palette->ShowPane(true, false, true);
    me::setStartupCommand(true, me::kBrowserCommand);
  }
}

bool MeUiPalettes::openMaterialEditor(const OdDbObjectId& material)
{
  fw::ResourceScope scope(fw::moduleInstance());
  MeUiMaterialEditorPalette* palette = materialEditor(true);
  m_editor.createWindow(MeUiMaterialEditorPalette::titleFor(L"Global").c_str(), me::kMaterialEditorPaletteService);
  return palette->openOn(material);
}

void MeUiPalettes::focusMaterialEditor()
{
  MeUiMaterialEditorPalette* palette = materialEditor(false);
  if (palette && palette->hwnd() && IsWindowVisible(palette->hwnd()))
    palette->focusMainControl();
}

void MeUiPalettes::closeTextureEditor()
{
  MeUiMaterialEditorPalette* palette = materialEditor(false);
  if (!m_texture || !palette)
    return;
  palette->notifyListeners();
  palette->removeListener(m_texture.get());
}

void MeUiPalettes::openTextureEditor()
{
  fw::ResourceScope scope(fw::moduleInstance());
  MeUiTextureEditorPalette* palette = textureEditor(true);
  if (palette->exists() ||
      palette->CreateDocked(me::loadString(me::kStrTextureEditorTitle).c_str(), static_cast<HWND>(me::hostMainWindow()),
                            ME_PALETTE_STYLE, IDC_PALETTE_PANE, kHostDockAnySide, kHostDockLeft))
  {
    palette->newDialog();
    palette->ShowPane(true, false, true);
  }
  // Told when the Material editor moves on; listed once however often it opens.
  if (MeUiMaterialEditorPalette* editor = materialEditor(false))
    editor->addListener(palette);
}

void MeUiPalettes::followMapInTextureEditor()
{
  // A Texture editor the user closed stays among the listeners, without a
  // dialog: it stays closed.
  me::IMeEditor* editor = me::editorService();
  if (!editor || !m_texture || !m_texture->dialog())
    return;
  // Its rows and its map editor were made for the map as it was: it opens
  // anew on the map as it is now, or closes when the map has gone. Closed
  // first, so that the old map editor ends its editing before the new one
  // begins.
  closeTextureEditor();
  if (editor->diffuseMapText().isEmpty())
    return;
  editor->editDiffuseMap();
  openTextureEditor();
}

std::size_t MeUiPalettes::materialEditorListenerCount()
{
  const MeUiMaterialEditorPalette* editor = materialEditor(false);
  return editor ? editor->listenerCount() : 0;
}

MeUiPalettes* palettes(bool create)
{
  me::IMeAppServices* services = me::appServices();
  if (!services)
    return nullptr;
  auto* owner = dynamic_cast<MeUiPalettes*>(services->getService(me::kPalettesService));
  if (!owner && create)
  {
    auto made = std::make_unique<MeUiPalettes>();
    if (services->registerService(me::kPalettesService, made.get()))
      owner = made.release();
  }
  return owner;
}

void toggleMaterialsBrowser()
{
  if (MeUiPalettes* owner = palettes(true))
    owner->toggleBrowser();
}
} // namespace meui
