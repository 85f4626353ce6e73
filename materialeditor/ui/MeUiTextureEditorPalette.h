// The Texture editor: a docking palette over one texture map of the material
// the Material editor shows. Its body is a MeUiTexturePropertiesDlg made
// anew for every opening and deleted whenever the palette hides or closes.
//
//   message                  handler (the rest: MeUiPalette)
//   WM_CREATE                onCreate()    the toolbar
//   WM_COMMAND 76            the help topic "IDH_TextureEditor"
//   the host's state query   the Material editor palette's listener count
//
// One instance per process, made on the first opening and kept by the
// palettes' owner (MeUiPalettes), which opens it; not a service.
#pragma once

#include "ui/MeUiMaterialEditorPaletteReactor.h"
#include "ui/MeUiPalette.h"
#include "ui/MeUiPaletteLinks.h"
#include "ui/MeUiTextureEditorToolbar.h"
#include "ui/MeUiTexturePropertiesDlg.h"

namespace meui
{
class MeUiTextureEditorPalette : public MeUiPalette, public MeUiMaterialEditorPaletteReactor
{
public:
  explicit MeUiTextureEditorPalette(MeUiPaletteLinks& links);
  ~MeUiTextureEditorPalette() override;

  // A new dialog, replacing the one shown; its window, made when the pane
  // shows, asks the material editor for the map it edits.
  void newDialog();
  MeUiTexturePropertiesDlg* dialog() const { return m_dialog.get(); }

  // Shown: makes the window of a dialog that has none (a pane the host
  // shows on its own, without a dialog, stays empty). Hidden: the dialog goes.
  void ShowPane(bool show, bool delay, bool activate) override;
  void OnPressCloseButton() override;
  // The Material editor switched material, lost its drawing or closed.
  void editorPaletteChanged() override;

  MeUiTextureEditorToolbar& toolbar() { return m_toolbar; }

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool onCreate() override;
  // The grid takes the keys.
  HWND focusTarget() const override { return m_dialog && m_dialog->grid() ? m_dialog->grid()->GetWindow() : nullptr; }
  HWND bodyWindow() const override { return m_dialog ? m_dialog->hwnd() : nullptr; }
  void onDestroy() override;

private:
  void deleteDialog();

  MeUiBody<MeUiTexturePropertiesDlg> m_dialog;
  MeUiTextureEditorToolbar m_toolbar;
  MeUiPaletteLinks& m_links;
};
} // namespace meui
