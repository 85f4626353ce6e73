#include "ui/MeUiTexturePropertiesDlg.h"

#include "core/MeServices.h"
#include "resources/MeResources.h"

namespace meui
{
MeUiTexturePropertiesDlg::MeUiTexturePropertiesDlg() : MeUiPreviewGridDlg(IDD_TEXTURE_PROPERTIES, kGridBottomMargin) {}

MeUiTexturePropertiesDlg::~MeUiTexturePropertiesDlg()
{
  if (exists())
    destroy(); // onDestroy still runs: this class's part is alive here
  release();
}

HWND MeUiTexturePropertiesDlg::pictureWindow() const { return item(IDC_MAP_PREVIEW); }

void MeUiTexturePropertiesDlg::materialModified(OdDbMaterial*)
{
  if (HWND list = m_grid.listBox())
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  m_preview.refresh();
  m_preview.redrawNow();
}

void MeUiTexturePropertiesDlg::editorGoing()
{
  m_observing = false; // the editor's list goes with it
  release();
}

bool MeUiTexturePropertiesDlg::onInitDialog()
{
  me::IMeEditor* editor = me::editorService();
  MaterialMap* map = editor ? editor->editedMap() : nullptr;
  if (map)
    m_preview.setMap(*map);
  // The preview takes its control over before anything paints it.
  m_preview.subclassDlgItem(hwnd(), IDC_MAP_PREVIEW);
  setPictureHeight(int(itemRect(IDC_MAP_PREVIEW).bottom));
  const bool focusLeft = MeUiPreviewGridDlg::onInitDialog();
  if (editor)
  {
    editor->addReactor(this);
    m_observing = true;
  }
  createGrid();
  if (HWND list = item(IDC_PROPERTY_GRID))
    EnableScrollBar(list, SB_VERT, ESB_ENABLE_BOTH);
  if (map)
    setProvider(createTexturePropertiesProvider(*map));
  return focusLeft;
}

void MeUiTexturePropertiesDlg::onDestroy()
{
  release();
  MeUiPreviewGridDlg::onDestroy();
}

void MeUiTexturePropertiesDlg::release()
{
  if (m_observing)
  {
    if (me::IMeEditor* editor = me::editorService())
      editor->removeReactor(this);
    m_observing = false;
  }
  releaseGrid();
  m_preview.destroy();
  m_preview.forgetMap();
}
} // namespace meui
