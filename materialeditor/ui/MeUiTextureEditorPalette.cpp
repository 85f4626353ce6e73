#include "ui/MeUiTextureEditorPalette.h"

#include "core/MeHost.h"
#include "core/MeStrings.h"
#include "framework/ModuleState.h"
#include "host/HostDocking.h"
#include "resources/MeResources.h"
#include "ui/MeEditorEntries.h"
#include "ui/MeUiMaterialEditorPalette.h"
#include "win/MeHostQuery.h"
#include "win/MeHostTheme.h"

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

MeUiTextureEditorPalette::~MeUiTextureEditorPalette()
{
  deleteDialog();
  destroy(); // while onDestroy still runs: the pane leaves the host's dock
}

void MeUiTextureEditorPalette::setMap(MaterialMap& map)
{
  deleteDialog();
  m_dialog = new MeUiTexturePropertiesDlg(map);
}

void MeUiTextureEditorPalette::deleteDialog()
{
  MeUiTexturePropertiesDlg* dialog = std::exchange(m_dialog, nullptr);
  if (!dialog)
    return;
  dialog->destroy();
  dialog->Release();
}

void MeUiTextureEditorPalette::ShowPane(bool show, bool delay, bool activate)
{
  if (!show)
    deleteDialog();
  else if (m_dialog && !m_dialog->exists() && hwnd())
  {
    fw::ResourceScope scope(fw::moduleInstance());
    if (m_dialog->Create(hwnd()))
    {
      placeDialog();
      ShowWindow(m_dialog->hwnd(), SW_SHOW);
    }
    else
      deleteDialog(); // no template: an empty pane rather than a dialog without a window
  }
  fw::hostUiPaletteSet::ShowPane(show, delay, activate);
}

void MeUiTextureEditorPalette::OnPressCloseButton()
{
  deleteDialog();
  fw::hostUiPaletteSet::OnPressCloseButton();
}

void MeUiTextureEditorPalette::editorPaletteChanged() { OnPressCloseButton(); }

LRESULT MeUiTextureEditorPalette::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  LRESULT answer = 0;
  if (me::offerToHostTheme(hwnd(), message, wParam, lParam, answer))
    return answer;
  // Asked here because this palette is the listener whose count matters.
  if (me::isHostStateQuery(message, wParam, kHostQueryEditorListeners))
  {
    const MeUiMaterialEditorPalette* editor = materialEditorPalette(false);
    return me::hostStateAnswer(editor ? editor->listenerCount() : 0);
  }
  return fw::hostUiPaletteSet::windowProc(message, wParam, lParam);
}

bool MeUiTextureEditorPalette::onCreate()
{
  if (!m_toolbar.createOnPalette(hwnd()))
    return false;
  m_toolbar.fill();
  return true;
}

void MeUiTextureEditorPalette::onSize(int, int)
{
  if (!m_toolbar.hwnd())
    return;
  const RECT content = contentRect();
  const int width = content.right - content.left;
  const int toolbarHeight = m_toolbar.fixedHeight();
  SetWindowPos(m_toolbar.hwnd(), nullptr, content.left, content.top, width, toolbarHeight,
               SWP_NOACTIVATE | SWP_NOZORDER);
  placeDialog();
}

void MeUiTextureEditorPalette::placeDialog()
{
  if (!m_dialog || !m_dialog->exists() || !m_toolbar.hwnd())
    return;
  const RECT content = contentRect();
  const int top = content.top + m_toolbar.fixedHeight();
  SetWindowPos(m_dialog->hwnd(), nullptr, content.left, top, content.right - content.left,
               std::max(0, int(content.bottom) - top), SWP_NOZORDER | SWP_NOACTIVATE);
}

bool MeUiTextureEditorPalette::onCommand(UINT id, UINT, HWND)
{
  if (id != ID_TEXTURE_HELP)
    return false;
  me::showHelpTopic(kHelpTopic);
  return true;
}

bool MeUiTextureEditorPalette::onNotify(NMHDR* header, LRESULT& result)
{
  if (m_toolbar.handleNotify(header, result))
    return true;
  return m_toolbar.answerTip(header);
}

void MeUiTextureEditorPalette::onDestroy()
{
  deleteDialog();
  m_toolbar.destroy();
  fw::hostUiPaletteSet::onDestroy();
}
} // namespace meui
