// meui::MeUiTexturePropertiesDlg: the body of the Texture editor, made from
// dialog template 105: the map's image (MeUiMaterialMapPreview on control
// 1048) above the host's grid (on control 1002) with the rows of the
// provider that suits the map.
//
// It observes the material editor: every change of the material repaints
// the grid and reloads the image. When its window goes it empties the grid,
// has the provider let go of its rows and then lets go of the provider: the
// rows and the provider hold each other, and only that order frees both
// (and with the provider its texture map editor, which ends map editing).
#pragma once

#include "MeUiMaterialMapPreview.h"
#include "core/IMeEditor.h"
#include "framework/Dialog.h"
#include "host/KtEditableProperty.h"
#include "host/win/GridHolder.h"
#include "ui/properties/MeUiTexturePropertiesProvider.h"

namespace meui
{
// The host asks a palette's body with this message whether it takes part
// in the host's dialog handling; the answer is 1.
constexpr UINT kHostQueryDialogBody = 0x135F;
// The grid ends this far above the dialog's bottom edge while its rows fit.
constexpr int kGridBottomMargin = 25;

class MeUiTexturePropertiesDlg : public fw::hostUiDialog, public IKtUnknown, public me::MeEditorReactor
{
public:
  // For the map record (the material editor's; not owned). The window is
  // made later, by the palette.
  explicit MeUiTexturePropertiesDlg(MaterialMap& map);
  ~MeUiTexturePropertiesDlg() override;

  unsigned AddRef() override;
  // Deletes the dialog at 0: its window must be gone by then.
  unsigned Release() override;
  bool QueryInterface(const std::type_info& type, void** out) override;

  // me::MeEditorReactor
  void materialModified(OdDbMaterial* material) override;

  MeUiMaterialMapPreview& mapPreview() { return m_preview; }
  MeUiTexturePropertiesProvider* provider() const { return m_provider.get(); }
  CInspectorCtrl* grid() const { return m_grid.grid(); }
  MaterialMap& map() const { return *m_map; }

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool onInitDialog() override;
  void onSize(int width, int height) override;
  void onDestroy() override;

private:
  void release();

  OdUInt32 m_refCount = 1;
  kt::GridHolder m_grid;
  MeUiMaterialMapPreview m_preview;
  MaterialMap* m_map;
  KtRef<MeUiTexturePropertiesProvider> m_provider;
  bool m_observing = false;
  int m_imageHeight = 0; // the template's, from the dialog's top
};
} // namespace meui
