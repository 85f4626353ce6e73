// The Materials Browser: a docking palette listing the drawing's materials.
#pragma once

#include "core/IMeManager.h"
#include "core/MeServices.h"
#include "framework/DockablePane.h"
#include "resources/MeResources.h"

#include <list>

namespace meui
{
class MeUiMaterialBrowserPalette : public fw::hostUiPaletteSet, public me::IMeManagerReactor, public me::IMeServiceItem
{
public:
  static constexpr UINT kListId = IDC_MATERIALS_LIST;

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

  HWND list() const { return m_list; }
  const std::list<OdDbObjectId>& shownMaterials() const { return m_shown; }

protected:
  LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool onCreate() override;
  void onSize(int width, int height) override;

private:
  void clearItems();
  void addItem(OdDbObjectId& id);

  HWND m_list = nullptr;
  std::list<OdDbObjectId> m_shown;
};

// The one palette: created on demand; owned by the registry once it is
// registered as service 6.
MeUiMaterialBrowserPalette* browserPalette(bool create);

// The command MATBROWSEROPEN: shows the browser, or hides it when shown.
void toggleMaterialsBrowser();
} // namespace meui
