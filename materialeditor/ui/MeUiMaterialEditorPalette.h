// The Material editor: a docking palette titled "Material editor - %s"
// over the material that the material editor service has open. Its toolbar
// chooses the preview's sample object and switches the extended mode; its
// body is the Material properties dialog (preview and grid).
//
//   message                        handler (the rest: MeUiPalette)
//   WM_CREATE                      onCreate()      toolbar, sample menu, extended button
//   WM_COMMAND                     onCommand(id)   2003..2005 sample, 74 extended mode, 75 help
//   WM_NOTIFY TBN_DROPDOWN         the toolbar drops the sample menu
//
// While shown it observes the material editor (each change reaches the
// dialog) and the material manager (new, erased and changed materials,
// another drawing). Two departures from a literal reading: it observes both
// whenever it is shown, also when its dialog outlived a hide; and when the
// manager reports that the open material changed elsewhere (a command, an
// undo), the editor opens it again, so its cache never writes an old value
// back, and the title and an open Texture editor follow.
#pragma once

#include "core/IMeEditor.h"
#include "core/IMeManager.h"
#include "core/MeServices.h"
#include "framework/Menu.h"
#include "ui/MeUiEditorToolbar.h"
#include "ui/MeUiMaterialEditorPaletteReactor.h"
#include "ui/MeUiMaterialPropertiesDlg.h"
#include "ui/MeUiPalette.h"
#include "ui/MeUiPaletteLinks.h"

#include <vector>

namespace meui
{

class MeUiMaterialEditorPalette : public MeUiPalette,
                                  public me::IMeManagerReactor,
                                  public me::MeEditorReactor,
                                  public me::IMeServiceItem
{
public:
  explicit MeUiMaterialEditorPalette(MeUiPaletteLinks& links);
  ~MeUiMaterialEditorPalette() override;

  // "Material editor - %s" with the name as lists show it; the name is
  // data, never a format.
  static OdString titleFor(const OdString& name);

  // Opens the palette, whose window the owner has made, on a material:
  // message 150 (stop icon) and false for a null id or an object that is no
  // material.
  bool openOn(const OdDbObjectId& material);

  // Listeners: no duplicates, told in the order they came.
  void addListener(MeUiMaterialEditorPaletteReactor* listener);
  void removeListener(MeUiMaterialEditorPaletteReactor* listener);
  void notifyListeners();
  std::size_t listenerCount() const { return m_listeners.size(); }

  MeUiMaterialPropertiesDlg* dialog() const { return m_dialog.get(); }
  const MeUiEditorToolbar& toolbar() const { return m_toolbar; }
  // The sample code whose menu item is checked, or -1.
  int checkedSample() const;

  // hostUiPaletteSet
  void ShowPane(bool show, bool delay, bool activate) override;
  void OnPressCloseButton() override;

  // IMeManagerReactor
  void databaseChanged(OdDbDatabase* database) override;
  void materialAdded(const OdDbObjectId& id) override;
  void materialErased(const OdDbObjectId& id) override;
  void materialChanged(const OdDbObjectId& id) override;
  void managerClosing() override;

  // MeEditorReactor
  void materialModified(OdDbMaterial* material) override;

  // IMeServiceItem: any event sets the title again.
  void onServiceEvent(int event, void* argument) override;

protected:
  bool onCreate() override;
  // The grid takes the keys.
  HWND focusTarget() const override;
  HWND bodyWindow() const override { return m_dialog ? m_dialog->hwnd() : nullptr; }
  void onThemeChanged() override;
  bool onCommand(UINT id, UINT code, HWND control) override;
  void onDestroy() override;

private:
  void setSample(int code);
  void fillToolbar();
  void checkSample(int code);
  void toggleExtendedMode();
  void setTitleFrom(const OdString& name);
  // The editor opens the material (which reaches the dialog); the grid is
  // built again when asked, the dialog repaints, the title follows.
  void switchTo(const OdDbObjectId& id, const OdString& name, bool rebuildGrid);
  // Falls back to the drawing's "Global" material; false when it does not open.
  bool switchToGlobal(bool rebuildGrid);
  void createDialog();
  void deleteDialog();
  void observe(bool on);

  MeUiBody<MeUiMaterialPropertiesDlg> m_dialog;
  MeUiEditorToolbar m_toolbar;
  fw::CMenu m_sampleMenu;
  std::vector<MeUiMaterialEditorPaletteReactor*> m_listeners;
  MeUiPaletteLinks& m_links;
  // Set by the editor's own write of the open material, so that the
  // manager's report of it is not taken for a change made elsewhere.
  bool m_editorWriting = false;
};
} // namespace meui
