#include "ui/MeUiTexturePropertiesDlg.h"

#include "core/MeServices.h"
#include "resources/MeResources.h"

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
  return fw::hostUiDialog::windowProc(message, wParam, lParam);
}

bool MeUiTexturePropertiesDlg::onInitDialog()
{
  // The preview takes its control over before anything paints it.
  m_preview.subclassDlgItem(hwnd(), IDC_MAP_PREVIEW);
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
  // The image keeps its height and takes the width; the grid fills the rest
  // down to the margin. (Measured from the image's bottom, not its height:
  // the template's image starts below the top, and the first layout would
  // otherwise leave the grid short of the margin by that much.)
  const int bottom = itemRect(IDC_MAP_PREVIEW).bottom;
  SetWindowPos(preview, nullptr, 0, 0, width, bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  const int gridHeight = height - kGridBottomMargin - bottom;
  SetWindowPos(list, nullptr, 0, bottom, width, gridHeight > 0 ? gridHeight : 0, SWP_NOZORDER | SWP_NOACTIVATE);
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
