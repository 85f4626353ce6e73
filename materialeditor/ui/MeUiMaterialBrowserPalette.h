// The Materials Browser: a docking palette listing the drawing's materials,
// each with a rendered thumbnail, from which the user creates, clones,
// renames, removes, applies and opens materials.
//
//   message                        handler
//   (every message)                first to the host's theme hook
//   KTM_THEMECHAGED                applyTheme(), then the thumbnails again on the new background
//   WM_CREATE                      onCreate()        list, toolbar, view-style menu, images
//   WM_SIZE                        onSize(w, h)      toolbar on top, list below it
//   WM_COMMAND                     onCommand(id)     70 and 1004 New, 72 Help, 1000 Clone,
//                                                    1001 Remove, 1002 Rename, 1003 Apply,
//                                                    1005 Edit, 2000 Icon, 2001 List
//   WM_NOTIFY TTN_NEEDTEXTW        the toolbar answers: tips by button position
//             TBN_DROPDOWN         the toolbar drops the view-style menu
//             NM_RCLICK            showContextMenu(NMITEMACTIVATE*)
//             NM_DBLCLK            edit()
//             LVN_BEGINLABELEDITW  beginLabelEdit(NMLVDISPINFOW*)  refuses standard names
//             LVN_ENDLABELEDITW    endLabelEdit(NMLVDISPINFOW*)    checks and applies the name
//
// The palette holds no material data: each command opens the material by id
// when it runs, and changes reach the list through the manager's
// notifications. SDK errors of a command end the command, never the host.
#pragma once

#include "core/IMeManager.h"
#include "core/MeServices.h"
#include "framework/DockablePane.h"
#include "framework/ListCtrl.h"
#include "framework/Menu.h"
#include "resources/MeResources.h"
#include "ui/MeUiBrowserToolbar.h"

#include <commctrl.h>

#include <list>
#include <vector>

namespace meui
{
class MeUiThumbnailBatch;

// The browser's list: a plain list view with no behaviour of its own.
class MeUiMaterialsList : public fw::CListCtrl
{
};

class MeUiMaterialBrowserPalette : public fw::hostUiPaletteSet, public me::IMeManagerReactor, public me::IMeServiceItem
{
public:
  // The list keeps its place below this size in either direction.
  static constexpr int kMinListSide = 51;

  MeUiMaterialBrowserPalette() = default;
  ~MeUiMaterialBrowserPalette() override;

  // hostUiPaletteSet
  void ShowPane(bool show, bool delay, bool activate) override;
  void OnPressCloseButton() override;

  // IMeManagerReactor
  void databaseChanged(OdDbDatabase* database) override;
  void materialAdded(const OdDbObjectId& id) override;
  void materialErased(const OdDbObjectId& id) override;
  void managerClosing() override;
  bool canDetach(me::IMeManager* manager) override;

  // IMeServiceItem: event 5 renders the thumbnail of the material that the
  // material editor has open again.
  void onServiceEvent(int event, void* argument) override;

  const std::list<OdDbObjectId>& shownMaterials() const { return m_shown; }

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool onCreate() override;
  void onSize(int width, int height) override;
  bool onCommand(UINT id, UINT code, HWND control) override;
  bool onNotify(NMHDR* header, LRESULT& result) override;
  void onDestroy() override;

private:
  // Commands on the current item (the list's selection mark).
  void newMaterial();
  void edit();
  void applyToSelection();
  void cloneMaterial();
  void removeMaterial();
  void rename();
  void setViewStyle(int value);

  void showContextMenu(const NMITEMACTIVATE* click);
  bool beginLabelEdit(const NMLVDISPINFOW* info);
  bool endLabelEdit(const NMLVDISPINFOW* info);

  void applyTheme();
  // The toolbar's buttons and "New Generic Material" of the blank-space menu.
  void enableCommands(bool enabled);

  // The list.
  void clearItems();
  // Every material of the manager's drawing again, with new thumbnails.
  void reloadItems();
  void makeImages();
  int thumbnailSize() const;
  // Appends the item of the material; false when it does not open as one.
  bool addItem(OdDbObjectId& id, MeUiThumbnailBatch& batch);
  // The id the current item refers to, or null.
  OdDbObjectId* currentId() const;
  std::vector<OdString> shownNames() const;

  MeUiMaterialsList m_list;
  std::list<OdDbObjectId> m_shown; // the items' data point into it
  HIMAGELIST m_images = nullptr;   // owned by the list
  MeUiBrowserToolbar m_toolbar;
  fw::CMenu m_contextMenu;
  fw::CMenu m_viewMenu;
  // Set while New and Clone add their material: its item is selected and
  // scrolled into sight.
  bool m_revealAdded = false;
  // The toolbar's buttons (and New on blank space) are enabled while the
  // manager has a drawing.
  bool m_buttonsEnabled = true;
};

// The one palette: created on demand; owned by the registry once it is
// registered as service 6.
MeUiMaterialBrowserPalette* browserPalette(bool create);

// The command MATBROWSEROPEN: shows the browser, or hides it when shown.
void toggleMaterialsBrowser();
} // namespace meui
