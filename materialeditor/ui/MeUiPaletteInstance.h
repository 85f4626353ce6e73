// The one instance of a palette and the steps that make its window, written
// once for every palette of the module.
//
// The instance is made on first use and owned here until its window is
// registered as its service; from then on the registry owns it and deletes
// it at unload. The palette's destructor tells its links (the owner, which
// calls forget()), so that a deleted palette is never handed out again.
#pragma once

#include "core/MeHost.h"
#include "core/MeServices.h"
#include "framework/DockablePane.h"
#include "host/HostDocking.h"
#include "resources/MeResources.h"
#include "ui/MeUiPaletteLinks.h"

#include <memory>

namespace meui
{
template <class Palette>
class MeUiPaletteInstance
{
public:
  Palette* get(bool create, MeUiPaletteLinks& links)
  {
    if (!m_palette && create)
    {
      m_unowned = std::make_unique<Palette>(links);
      m_palette = m_unowned.get();
    }
    return m_palette;
  }

  void forget(const void* palette)
  {
    if (m_palette == palette)
      m_palette = nullptr;
  }

  // Creates the palette's pane when it has none: a child of the host's main
  // window, docked on any side and put on the left dock bar, registered as
  // the service. True when the window exists.
  bool createWindow(const wchar_t* title, me::ServiceId service)
  {
    if (!m_palette)
      return false;
    if (m_palette->exists())
      return true;
    if (!m_palette->CreateDocked(title, static_cast<HWND>(me::hostMainWindow()), ME_PALETTE_STYLE, IDC_PALETTE_PANE,
                                 kHostDockAnySide, kHostDockLeft))
      return false;
    if (me::appServices()->registerService(service, m_palette) && m_unowned.get() == m_palette)
      m_unowned.release();
    return true;
  }

private:
  std::unique_ptr<Palette> m_unowned;
  Palette* m_palette = nullptr;
};
} // namespace meui
