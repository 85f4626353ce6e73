#include "ui/MeUiTexturePropertiesDlg.h"

#include "core/MeServices.h"
#include "resources/MeResources.h"
#include "ui/MeUiPaneLayout.h"
#include "win/MeHostTheme.h"

namespace meui
{
MeUiTexturePropertiesDlg::MeUiTexturePropertiesDlg(MaterialMap& map)
  : fw::hostUiDialog(IDD_TEXTURE_PROPERTIES), m_preview(map), m_map(&map)
{
}

MeUiTexturePropertiesDlg::~MeUiTexturePropertiesDlg()
{
  if (exists())
    destroy(); // onDestroy still runs: this class's part is alive here
  release();
}

unsigned MeUiTexturePropertiesDlg::AddRef() { return ++m_refCount; }

unsigned MeUiTexturePropertiesDlg::Release()
{
  const OdUInt32 count = --m_refCount;
  if (count == 0)
    delete this;
  return count;
}

bool MeUiTexturePropertiesDlg::QueryInterface(const std::type_info& type, void** out)
{
  const bool known = type == typeid(IKtUnknown);
  if (out)
    *out = known ? static_cast<IKtUnknown*>(this) : nullptr;
  if (known)
    AddRef();
  return known;
}

void MeUiTexturePropertiesDlg::materialModified(OdDbMaterial*)
{
  if (HWND list = m_grid.listBox())
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  m_preview.refresh();
  m_preview.redrawNow();
}

LRESULT MeUiTexturePropertiesDlg::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == kHostQueryDialogBody)
  {
    SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, 1);
    return 1;
  }
  // The margin below the rows shows the dialog's own background: the
  // host's theme paints it as it paints the palette around it.
  LRESULT answer = 0;
  if (message == WM_ERASEBKGND && me::offerToHostTheme(hwnd(), message, wParam, lParam, answer))
    return answer;
  return fw::hostUiDialog::windowProc(message, wParam, lParam);
}

bool MeUiTexturePropertiesDlg::onInitDialog()
{
  // The preview takes its control over before anything paints it.
  m_preview.subclassDlgItem(hwnd(), IDC_MAP_PREVIEW);
  m_imageHeight = int(itemRect(IDC_MAP_PREVIEW).bottom);
  const bool focusLeft = fw::hostUiDialog::onInitDialog();
  if (me::IMeEditor* editor = me::editorService())
  {
    editor->addReactor(this);
    m_observing = true;
  }
  m_grid.create(item(IDC_PROPERTY_GRID));
  if (HWND list = item(IDC_PROPERTY_GRID))
    EnableScrollBar(list, SB_VERT, ESB_ENABLE_BOTH);
  m_provider = KtRef<MeUiTexturePropertiesProvider>::adopt(createTexturePropertiesProvider(*m_map));
  if (m_provider)
  {
    m_provider->buildRows();
    m_grid.add(m_provider->rows());
  }
  return focusLeft;
}

void MeUiTexturePropertiesDlg::onSize(int width, int height)
{
  HWND list = item(IDC_PROPERTY_GRID);
  HWND preview = item(IDC_MAP_PREVIEW);
  if (!m_grid || !list || !preview)
    return;
  // The rows come first: the image gives way to them in a short pane, then
  // the margin below them.
  const PaneLayout layout = paneLayout(height, m_imageHeight, m_grid.heightForRows(), kGridBottomMargin);
  SetWindowPos(preview, nullptr, 0, 0, width, layout.picture, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(list, nullptr, 0, layout.picture, width, layout.grid, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MeUiTexturePropertiesDlg::onDestroy()
{
  release();
  fw::hostUiDialog::onDestroy();
}

void MeUiTexturePropertiesDlg::release()
{
  if (m_observing)
  {
    if (me::IMeEditor* editor = me::editorService())
      editor->removeReactor(this);
    m_observing = false;
  }
  // The map editor ends with the dialog, even when a row of it still runs
  // (a file or colour dialog of its own returning late) and keeps it alive.
  if (m_provider)
    m_provider->endEditing();
  // The grid's references first, then the provider's, so the rows go before
  // the grid; the provider, freed of its rows, goes with the last reference.
  if (CInspectorCtrl* grid = m_grid.grid())
    grid->RemoveAll();
  if (m_provider)
    m_provider->releaseRows();
  m_grid.release();
  m_provider.reset();
  m_preview.destroy();
}
} // namespace meui
