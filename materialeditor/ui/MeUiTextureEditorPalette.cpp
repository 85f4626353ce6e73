#include "ui/MeUiTextureEditorPalette.h"

#include "core/MeHost.h"
#include "core/MeStrings.h"
#include "framework/ModuleState.h"
#include "host/HostDocking.h"
#include "resources/MeResources.h"
#include "ui/MeEditorEntries.h"
#include "ui/MeUiMaterialEditorPalette.h"
#include "win/MeHostQuery.h"

#include <algorithm>
#include <memory>

namespace meui
{
namespace
{
constexpr const wchar_t* kHelpTopic = L"IDH_TextureEditor";

// Not in the registry: the module keeps it until it unloads.
std::unique_ptr<MeUiTextureEditorPalette>& instance()
{
  static std::unique_ptr<MeUiTextureEditorPalette> palette;
  return palette;
}
} // namespace

void openTextureEditorOn(MaterialMap& map);

MeUiTextureEditorPalette* textureEditorPalette(bool create)
{
  std::unique_ptr<MeUiTextureEditorPalette>& palette = instance();
  if (!palette && create)
  {
    palette = std::make_unique<MeUiTextureEditorPalette>();
    setTextureEditor(palette.get(), &openTextureEditorOn);
  }
  return palette.get();
}

void installTextureEditor() { setTextureEditor(textureEditorPalette(false), &openTextureEditorOn); }

void destroyTextureEditorPalette()
{
  if (!instance())
    return;
  closeTextureEditor(); // out of the Material editor's listeners
  setTextureEditor(nullptr, &openTextureEditorOn);
  instance().reset();
}

void openTextureEditorOn(MaterialMap& map)
{
  MeUiTextureEditorPalette* palette = textureEditorPalette(true);
  if (!palette->exists() && !palette->CreateDocked(me::loadString(me::kStrTextureEditorTitle).c_str(),
                                                   static_cast<HWND>(me::hostMainWindow()), ME_PALETTE_STYLE,
                                                   IDC_PALETTE_PANE, kHostDockAnySide, kHostDockLeft))
    return;
  palette->setMap(map);
  palette->ShowPane(true, false, true);
}

MeUiTextureEditorPalette::MeUiTextureEditorPalette() : MeUiPalette(m_toolbar, ID_TEXTURE_HELP, kHelpTopic) {}

MeUiTextureEditorPalette::~MeUiTextureEditorPalette()
{
  deleteDialog();
  destroy(); // while onDestroy still runs: the pane leaves the host's dock
}

void MeUiTextureEditorPalette::setMap(MaterialMap& map) { m_dialog.reset(new MeUiTexturePropertiesDlg(map)); }

void MeUiTextureEditorPalette::deleteDialog() { m_dialog.reset(); }

void MeUiTextureEditorPalette::ShowPane(bool show, bool delay, bool activate)
{
  if (!show)
    deleteDialog();
  else if (m_dialog && !m_dialog->exists() && hwnd())
  {
    fw::ResourceScope scope(fw::moduleInstance());
    if (m_dialog->Create(hwnd()))
    {
      placeBody();
      ShowWindow(m_dialog->hwnd(), SW_SHOW);
    }
    else
      deleteDialog(); // no template: an empty pane rather than a dialog without a window
  }
  MeUiPalette::ShowPane(show, delay, activate);
}

void MeUiTextureEditorPalette::OnPressCloseButton()
{
  deleteDialog();
  MeUiPalette::OnPressCloseButton();
}

void MeUiTextureEditorPalette::editorPaletteChanged() { OnPressCloseButton(); }

LRESULT MeUiTextureEditorPalette::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  // Asked here because this palette is the listener whose count matters.
  if (me::isHostStateQuery(message, wParam, kHostQueryEditorListeners))
  {
    const MeUiMaterialEditorPalette* editor = materialEditorPalette(false);
    return me::hostStateAnswer(editor ? editor->listenerCount() : 0);
  }
  return MeUiPalette::windowProc(message, wParam, lParam);
}

bool MeUiTextureEditorPalette::onCreate()
{
  if (!createToolbar())
    return false;
  m_toolbar.fill();
  return true;
}

void MeUiTextureEditorPalette::onDestroy()
{
  deleteDialog();
  MeUiPalette::onDestroy();
}
} // namespace meui
