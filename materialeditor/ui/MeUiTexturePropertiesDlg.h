// meui::MeUiTexturePropertiesDlg: the body of the Texture editor, made from
// dialog template 105: the map's image (MeUiMaterialMapPreview on control
// 1048) above the host's grid with the rows of the provider that suits the
// map. The shape, the layout and the host's query: MeUiPreviewGridDlg.
//
// It observes the material editor: every change of the material repaints
// the grid and reloads the image. When its window goes the provider, and
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
  // For the map record (the material editor's; not owned). The window is
  // made later, by the palette.
  explicit MeUiTexturePropertiesDlg(MaterialMap& map);
  ~MeUiTexturePropertiesDlg() override;

  // me::MeEditorReactor
  void materialModified(OdDbMaterial* material) override;

  MeUiMaterialMapPreview& mapPreview() { return m_preview; }
  MeUiTexturePropertiesProvider* provider() const { return static_cast<MeUiTexturePropertiesProvider*>(rowProvider()); }
  MaterialMap& map() const { return *m_map; }

protected:
  HWND pictureWindow() const override;
  bool onInitDialog() override;
  void onDestroy() override;

private:
  void release();

  MeUiMaterialMapPreview m_preview;
  MaterialMap* m_map;
  bool m_observing = false;
};
} // namespace meui
