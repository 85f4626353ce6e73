// The Materials Browser: a docking palette listing the drawing's materials,
// each with a rendered thumbnail, from which the user creates, clones,
// renames, removes, applies and opens materials.
//
//   message                        handler (the rest: MeUiPalette)
//   KTM_THEMECHAGED                applyTheme(), then the thumbnails again on the new background
//                                  (the items stay unless the drawing's materials differ from them)
//   kChangedMessage, WM_TIMER      refreshChanged()  the items of changed materials, once the loop is idle
//   WM_TIMER kFillTimer            fillBatch()       the next thumbnails in place of placeholders
//   the host's state query         placeholders in sight, in all, an item's thumbnail rendered
//   WM_CREATE                      onCreate()        list, toolbar, view-style menu, images
//   WM_SIZE                        the list below the toolbar; the icons arranged for the width
//   WM_CONTEXTMENU (from the list) showContextMenu() for the selected item at
//                                  the item (context-menu key, Shift+F10)
//   WM_COMMAND                     onCommand(id)     70 and 1004 New, 72 Help, 1000 Clone,
//                                                    1001 Remove, 1002 Rename, 1003 Apply,
//                                                    1005 Edit, 1006 Select Objects,
//                                                    1007 Remove Unused, 2000 Icon, 2001 List
//              EN_CHANGE (1008)    filterChanged()   the list shows the items that match
//   WM_NOTIFY TBN_DROPDOWN         the toolbar drops the view-style menu
//             NM_RCLICK            showContextMenu(): the selected item's menu
//                                  (the press selects), else the blank-space menu
//             LVN_KEYDOWN          onListKey(NMLVKEYDOWN*)  F2 Rename, Delete Remove
//             NM_DBLCLK, NM_RETURN edit()
//             LVN_GETDISPINFOW     an item's text and image, from what the palette holds
//             LVN_ODFINDITEMW      the item whose name starts with the typed letters
//             LVN_BEGINLABELEDITW  beginLabelEdit(NMLVDISPINFOW*)  refuses standard names
//             LVN_ENDLABELEDITW    endLabelEdit(NMLVDISPINFOW*)    checks and applies the name
//
// The palette holds no material data: each command opens the material by id
// when it runs, and changes reach the list through the manager's
// notifications. SDK errors of a command end the command, never the host.
#pragma once

#include "core/IMeManager.h"
#include "core/MeServices.h"
#include "framework/ListCtrl.h"
#include "framework/Menu.h"
#include "resources/MeResources.h"
#include "ui/MeUiBrowserToolbar.h"
#include "ui/MeUiFilterBox.h"
#include "ui/MeUiPalette.h"
#include "ui/MeUiPaletteLinks.h"

#include <commctrl.h>

#include <deque>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

namespace meui
{
class MeUiThumbnailBatch;

// The browser's list: a plain list view with no behaviour of its own; the
// palette holds its items (a virtual list), so showing thousands inserts none.
class MeUiMaterialsList : public fw::CListCtrl
{
};

class MeUiMaterialBrowserPalette : public MeUiPalette, public me::IMeManagerReactor, public me::IMeServiceItem
{
public:
  // The list keeps its place below this size in either direction.
  static constexpr int kMinListSide = 51;

  explicit MeUiMaterialBrowserPalette(MeUiPaletteLinks& links);
  ~MeUiMaterialBrowserPalette() override;

  // hostUiPaletteSet
  void ShowPane(bool show, bool delay, bool activate) override;
  void OnPressCloseButton() override;

  // IMeManagerReactor
  void databaseChanged(OdDbDatabase* database) override;
  void materialAdded(const OdDbObjectId& id) override;
  void materialErased(const OdDbObjectId& id) override;
  // Relabels the item and renders its thumbnail again once the loop is idle.
  void materialChanged(const OdDbObjectId& id) override;
  void managerClosing() override;
  bool canDetach(me::IMeManager* manager) override;

  // IMeServiceItem: event 5 renders the thumbnail of the material that the
  // material editor has open again.
  void onServiceEvent(int event, void* argument) override;

  const std::list<OdDbObjectId>& shownMaterials() const { return m_shown; }

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool onCreate() override;
  HWND focusTarget() const override { return m_list.hwnd(); }
  HWND bodyWindow() const override { return m_list.hwnd(); }
  void bodyResized() override;
  int bandHeight() const override;
  void placeBand(const RECT& band) override;
  void onThemeChanged() override;
  bool onCommand(UINT id, UINT code, HWND control) override;
  bool onNotify(NMHDR* header, LRESULT& result) override;
  void onDestroy() override;

private:
  // Commands on the current item (the list's selection mark).
  void newMaterial();
  // Opens the current item in the Material editor; a user working from the
  // keys (the menu opened by its key) goes on in the editor's grid.
  void edit(bool focusEditor);
  void applyToSelection();
  // The selection becomes the model-space users of the current item.
  void selectObjects();
  // Every material nothing uses goes, after one question.
  void removeUnused();
  void cloneMaterial();
  void removeMaterial();
  void rename();
  void setViewStyle(int value);

  // The selected item's menu, or the blank-space menu when none is
  // selected, at the point in screen coordinates; opened by the menu key or
  // Shift+F10 (fromKeys) or by a right click.
  void showContextMenu(POINT at, bool fromKeys);
  void onListKey(const NMLVKEYDOWN* key);
  bool beginLabelEdit(const NMLVDISPINFOW* info);
  bool endLabelEdit(const NMLVDISPINFOW* info);
  // Ends an open label edit without writing: its item is about to go.
  void abandonLabelEdit();

  void applyTheme();
  // The toolbar's buttons and "New Generic Material" of the blank-space menu.
  void enableCommands(bool enabled);

  // The filter: the list shows, in the materials' order, the items whose
  // shown name holds the filter's text; the others are kept, unlisted.
  void filterChanged();
  bool matchesFilter(const OdString& text) const;
  // Lists or unlists every item as the filter wants it; the selection stays
  // on an item that still shows.
  void applyFilter();
  // The list's items again from the listed ones, in the materials' order;
  // the selection stays on the material it was on while it is listed.
  void relist();
  // The item at the list's index, or null; the index of the item, or -1.
  OdDbObjectId* itemAt(int index) const;
  int indexOf(const OdDbObjectId* item) const;
  void getDispInfo(NMLVDISPINFOW* info) const;
  // Type-ahead: the next item from the start on whose name begins with the text.
  int findItem(const NMLVFINDITEMW* find) const;
  // The same for one item, whose name may have changed.
  void applyFilter(std::list<OdDbObjectId>::iterator shown);
  // Down in the filter box: the focus goes to the list's first item.
  void focusFirstItem();

  // The list.
  void clearItems();
  // Every material of the manager's drawing again, with new thumbnails.
  void reloadItems();
  // A new, empty image list with room for the number of thumbnails.
  void makeImages(int capacity);
  // The list shows each item at once with a placeholder (a disc of its
  // diffuse colour); the thumbnails take their places in batches of at most
  // kFillBudgetMs from a zero-delay timer, those in sight first, so that
  // input waits for one batch at most. (Posted messages would come before
  // input and starve it.)
  void startFill();
  // The queued items in sight now, the rest from the timer.
  void fillOnward();
  // Stops the fill and lets the thumbnails' viewer go (a theme, a size or a
  // drawing it was made for is gone).
  void stopFill();
  void stopFillTimer();
  // The viewer that renders thumbnails, made when first wanted and kept for
  // the next: making one costs more than 20 renderings, and an undo may
  // bring back thousands of materials one at a time.
  MeUiThumbnailBatch& thumbnailBatch();
  // The next batch; sightOnly: the items in sight, however long they take
  // (the list's first showing).
  void fillBatch(bool sightOnly = false);
  // The items of the list that lie in sight now, by binary search over the
  // arranged list: [first, end) indices.
  std::pair<int, int> itemsInSight() const;
  // The placeholders newly in sight go to the front of the queue.
  void bringSightForward();
  // The placeholders are drawn over items without images, after the list
  // has drawn them.
  LRESULT customDraw(NMLVCUSTOMDRAW* draw) const;
  std::size_t placeholdersInSight() const;
  std::size_t placeholders() const;
  bool answerHostQuery(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const;
  int thumbnailSize() const;
  // Appends the item of the material, listed when it matches the filter;
  // false when it does not open as one.
  bool addItem(OdDbObjectId& id, MeUiThumbnailBatch& batch);
  // The same with its placeholder, not yet listed (relist() lists it).
  bool addPlaceholder(OdDbObjectId& id);
  // Appends the items of every shown material, with placeholders; ids
  // leave the shown materials when they do not open as one.
  void addItems();
  // New thumbnails for the items as they stand (a theme's background): the
  // items, their order, selection and scrolling stay. False when the items
  // are not those of the drawing's materials in its order: they need a
  // reload. Ends an open label edit either way.
  bool redrawThumbnails();
  // The same without asking; items: the items of m_shown, in its order.
  struct ItemShown;
  void renderAllAgain(const std::vector<ItemShown*>& items);
  // Changed materials wait for the loop to have nothing else to do: a drag
  // that writes many times renders each thumbnail once. A posted message
  // comes before the next input; while a mouse button is down, a zero-delay
  // timer comes after all of it.
  void queueChanged(const OdDbObjectId& id);
  void onChangedMessage();
  void refreshChanged();
  // The list made again once the loop is idle (after all the additions and
  // removals of one command), and the added items' thumbnails started.
  void listLater();
  void listAgain();
  void postChanged();
  // The item's name and thumbnail as the material now has them, in place.
  void refreshItem(const OdDbObjectId& id, MeUiThumbnailBatch& batch);
  void dropChanged();
  // The id the selected item refers to, or null.
  OdDbObjectId* currentId() const;
  std::vector<OdString> shownNames() const;

  MeUiMaterialsList m_list;
  std::list<OdDbObjectId> m_shown;     // the items point into it
  std::vector<OdDbObjectId*> m_listed; // the list's items by index: those that match the filter
  // Each item's text and image as they were last set, by its data, and
  // whether the list holds it (it matches the filter).
  struct ItemShown
  {
    OdString text;
    int image = -1;
    bool listed = false;
    bool rendered = false;    // the thumbnail, no longer the placeholder
    COLORREF placeholder = 0; // the placeholder's colour
  };
  std::unordered_map<const OdDbObjectId*, ItemShown> m_itemShown;
  HIMAGELIST m_images = nullptr; // owned by the list
  MeUiBrowserToolbar m_toolbar;
  MeUiFilterBox m_filter;
  OdString m_filterText; // as typed; never stored in the profile
  fw::CMenu m_contextMenu;
  fw::CMenu m_viewMenu;
  // Set while New and Clone add their material: its item is selected and
  // scrolled into sight.
  bool m_revealAdded = false;
  // The context menu's command comes after the menu has closed: whether
  // the keys opened it.
  bool m_menuFromKeys = false;
  // The toolbar's buttons (and New on blank space) are enabled while the
  // manager has a drawing.
  bool m_buttonsEnabled = true;
  // The material whose label is being edited: the new name goes to it, never
  // to whatever item holds the edited index after a reload. Null when no edit
  // is open or a reload or removal ended it.
  OdDbObjectId m_editedId;
  std::vector<OdDbObjectId> m_changed; // without duplicates
  bool m_changedPosted = false;
  bool m_changedTimer = false;
  bool m_listLater = false; // see listLater()
  int m_addedLater = 0;     // items added since the list was made
  int m_imageCapacity = 0;  // the images the image list has room for
  // Placeholders waiting for their thumbnails, by the item's data and the id
  // it held then: an item erased or reloaded since is skipped.
  struct FillEntry
  {
    const OdDbObjectId* item;
    OdDbObjectId id;
  };
  std::deque<FillEntry> m_fill;
  bool m_fillTimer = false;
  std::unique_ptr<MeUiThumbnailBatch> m_batch; // see thumbnailBatch()
  OdString m_batchFile;                        // the drawing's file when it was made
  // What the items in sight were worked out for: a scroll, resize or
  // filter changes it.
  struct Sight
  {
    RECT first{};
    RECT client{};
    int count = -1;
    DWORD view = 0;
    bool operator==(const Sight& o) const
    {
      return EqualRect(&first, &o.first) && EqualRect(&client, &o.client) && count == o.count && view == o.view;
    }
  };
  Sight m_sight;
  MeUiPaletteLinks& m_links;
};
} // namespace meui
