// The body of the Material editor palette: a child dialog from template 104
// with the live preview of the edited material at the top and the property
// grid of its channels below. Every change a row makes goes to the material
// at once through the material editor service; there is no OK or Cancel.
//
//   message            handler
//   WM_INITDIALOG      onInitDialog()     preview over placeholder 1036, grid on 1002, rows
//   WM_SIZE            onSize(w, h)       the grid takes the rest; the preview yields to its rows in a short pane
//   WM_MEASUREITEM     (reflected by fw::CDialog: the grid's row height for 1002)
//   0x135F             answered 1: the host asks whether the dialog is one of its own kind
//   WM_COMMAND         onCommand(id)      1000..1098 from a menu (no control): the
//                                         diffuse map row's menu, offset id - 1000
//   WM_DESTROY         onDestroy()        rows, then the preview (scene before viewer), then the grid
//
// SDK errors of a command end the command, never the host.
#pragma once

#include "MeLivePreview.h"

#include "framework/Dialog.h"
#include "host/win/GridHolder.h"
#include "resources/MeResources.h"

#include <vector>

class OdDbMaterial;

namespace meui
{
class MeUiProperty;

class MeUiMaterialPropertiesDlg : public fw::hostUiDialog
{
public:
  // The host's question to dialogs of its kind, answered 1.
  static constexpr UINT kHostDialogQuery = 0x135F;
  // The diffuse map menu's items, as offsets from ID_MAP_COMMAND_FIRST.
  enum MapCommand
  {
    kMapImage = 0,
    kMapRemove = 1,
    kMapEdit = 2,
  };

  MeUiMaterialPropertiesDlg();
  ~MeUiMaterialPropertiesDlg() override;

  // The open material (the material editor's): the preview shows a copy,
  // the host's preview notifier hears of it, and the grid repaints at once.
  void setMaterial(const OdDbMaterial* material);
  // The sample object: 0 sphere, 1 cube, 4 torus.
  void setSampleType(int type);
  // Empties the grid and adds the rows again: the ambient and specular
  // rows only while they say they are shown (extended mode).
  void rebuild();

  MeLivePreview& preview() { return m_preview; }
  CInspectorCtrl* grid() const { return m_grid.grid(); }

  // What the diffuse map menu's item does.
  void mapCommand(int offset);

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool onInitDialog() override;
  void onSize(int width, int height) override;
  // Lays the preview and grid out again for the current size.
  void relayout();
  bool onCommand(UINT id, UINT code, HWND control) override;
  void onDestroy() override;

private:
  void createRows();
  void releaseRows();

  kt::GridHolder m_grid;
  MeLivePreview m_preview;
  // The preview's height in the template: kept whatever the dialog's size,
  // only cut while the dialog is lower than it.
  int m_previewHeight = 0;
  // The five row sources in the grid's order, owned (one reference each).
  std::vector<MeUiProperty*> m_rows;
};
} // namespace meui
