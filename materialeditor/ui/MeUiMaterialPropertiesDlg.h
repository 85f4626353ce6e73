// The body of the Material editor palette (template 104): the live preview
// of the edited material over placeholder 1036, the grid of its channels
// below (MeUiMaterialRowsProvider). Every change a row makes goes to the
// material at once through the material editor service; there is no OK or
// Cancel. The shape, the layout and the host's query: MeUiPreviewGridDlg.
//
//   message            handler
//   WM_INITDIALOG      onInitDialog()     preview, grid, rows
//   WM_MEASUREITEM     (reflected by fw::CDialog: the grid's row height for 1002)
//   WM_COMMAND         onCommand(id)      1000..1098 from a menu (no control): the
//                                         diffuse map row's menu (MapCommand)
//   WM_DESTROY         onDestroy()        rows, then the preview (scene before viewer)
#pragma once

#include "MeLivePreview.h"
#include "ui/MeUiPaletteLinks.h"
#include "ui/MeUiPreviewGridDlg.h"

class OdDbMaterial;

namespace meui
{
class MeUiMaterialPropertiesDlg : public MeUiPreviewGridDlg
{
public:
  // The links reach the Texture editor for the diffuse map row's commands.
  explicit MeUiMaterialPropertiesDlg(MeUiPaletteLinks& links);
  ~MeUiMaterialPropertiesDlg() override;

  // The open material (the material editor's): the preview shows a copy,
  // the host's preview notifier hears of it, and the grid repaints at once.
  void setMaterial(const OdDbMaterial* material);
  // The sample object: 0 sphere, 1 cube, 4 torus.
  void setSampleType(int type);
  // Empties the grid and adds the rows again: the ambient and specular
  // rows only while they say they are shown (extended mode).
  void rebuild() { rebuildRows(); }

  MeLivePreview& preview() { return m_preview; }

  // What the diffuse map menu's command (a MapCommand) does.
  void mapCommand(unsigned command);

protected:
  HWND pictureWindow() const override;
  bool onInitDialog() override;
  bool onCommand(UINT id, UINT code, HWND control) override;
  void onDestroy() override;

private:
  MeLivePreview m_preview;
  MeUiPaletteLinks& m_links;
};
} // namespace meui
