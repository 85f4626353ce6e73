// meui::MeUiTexturePropertiesDlg: the body of the Texture editor, made from
// dialog template 105: the map's image (MeUiMaterialMapPreview on control
// 1048) above the host's grid with the rows of the provider that suits the
// map. The shape, the layout and the host's query: MeUiPreviewGridDlg.
//
// It edits the map the material editor has open for editing, asked for as
// its window is made: it keeps no record of the editor's, which may go
// first at unload. It observes the material editor: every change of the
// material repaints the grid and reloads the image. When its window goes the provider, and
// with it its texture map editor, ends (which ends map editing).
#pragma once

#include "MeUiMaterialMapPreview.h"
#include "core/IMeEditor.h"
#include "ui/MeUiPreviewGridDlg.h"
#include "ui/properties/MeUiTexturePropertiesProvider.h"

namespace meui
{
// The grid ends this far above the dialog's bottom edge while its rows fit.
constexpr int kGridBottomMargin = 25;

class MeUiTexturePropertiesDlg : public MeUiPreviewGridDlg, public me::MeEditorReactor
{
public:
  // The window is made later, by the palette.
  MeUiTexturePropertiesDlg();
  ~MeUiTexturePropertiesDlg() override;

  // me::MeEditorReactor
  void materialModified(OdDbMaterial* material) override;
  // The rows, their map editor and the picture let go of the editor's map.
  void editorGoing() override;

  MeUiMaterialMapPreview& mapPreview() { return m_preview; }
  MeUiTexturePropertiesProvider* provider() const { return static_cast<MeUiTexturePropertiesProvider*>(rowProvider()); }

protected:
  HWND pictureWindow() const override;
  bool onInitDialog() override;
  void onDestroy() override;

private:
  void release();

  MeUiMaterialMapPreview m_preview;
  bool m_observing = false;
};
} // namespace meui
