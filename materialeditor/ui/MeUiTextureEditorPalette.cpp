#include "ui/MeUiTextureEditorPalette.h"

#include "framework/ModuleState.h"
#include "resources/MeResources.h"
#include "win/MeHostQuery.h"

namespace meui
{
namespace
{
constexpr const wchar_t* kHelpTopic = L"IDH_TextureEditor";
} // namespace

MeUiTextureEditorPalette::MeUiTextureEditorPalette(MeUiPaletteLinks& links)
  : MeUiPalette(m_toolbar, ID_TEXTURE_HELP, kHelpTopic), m_links(links)
{
}

MeUiTextureEditorPalette::~MeUiTextureEditorPalette()
{
  deleteDialog();
  destroy(); // while onDestroy still runs: the pane leaves the host's dock
}

void MeUiTextureEditorPalette::newDialog() { m_dialog.reset(new MeUiTexturePropertiesDlg()); }

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
    return me::hostStateAnswer(m_links.materialEditorListenerCount());
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
