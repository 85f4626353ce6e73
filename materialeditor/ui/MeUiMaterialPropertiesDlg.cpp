#include "ui/MeUiMaterialPropertiesDlg.h"

#include "core/IMeEditor.h"
#include "core/IMeSettingsStorage.h"
#include "core/MeEditTarget.h"
#include "core/MeHost.h"
#include "core/MeStrings.h"
#include "core/MeSystemDialogs.h"
#include "ui/MeEditorEntries.h"
#include "ui/MeUiGuarded.h"
#include "ui/MeUiMaterialEditorPalette.h"
#include "ui/MeUiPaneLayout.h"
#include "ui/properties/MeUiColorProperty.h"
#include "ui/properties/MeUiGlossinessProperty.h"
#include "ui/properties/MeUiTextureProperty.h"

#include <algorithm>

namespace meui
{
namespace
{
// The host's preview notifier hears this after the preview's material changed.
constexpr int kPreviewMaterialChanged = 1;
// Rows at these places are added only when they say they are shown.
constexpr std::size_t kFirstOptionalRow = 1, kLastOptionalRow = 3;
} // namespace

MeUiMaterialPropertiesDlg::MeUiMaterialPropertiesDlg() : hostUiDialog(IDD_MATERIAL_PROPERTIES) {}

MeUiMaterialPropertiesDlg::~MeUiMaterialPropertiesDlg()
{
  destroy();
  // Without a window (never created) the parts go here.
  releaseRows();
  m_preview.destroy();
  m_grid.release();
}

bool MeUiMaterialPropertiesDlg::onInitDialog()
{
  // The preview takes the placeholder's place. The resource compiler makes
  // every control visible unless told otherwise: the placeholder, which has
  // no clipping of its siblings, would paint over the preview.
  const RECT place = itemRect(IDC_PREVIEW_FRAME);
  ShowWindow(item(IDC_PREVIEW_FRAME), SW_HIDE);
  m_previewHeight = int(place.bottom - place.top);
  me::IMeSettingsStorage* settings = me::settingsService();
  m_preview.create(hwnd(), place, IDC_PREVIEW_VIEWER, settings ? settings->sampleObject() : me::kSampleSphere);
  m_grid.create(item(IDC_PROPERTY_GRID));
  createRows();
  rebuild();
  // The focus stays where the user had it (the browser's list, whose
  // double click opened the editor); the dialog manager would give it to
  // the grid.
  return false;
}

void MeUiMaterialPropertiesDlg::onDestroy()
{
  // Before the child windows go: the rows let go of the grid, the scene of
  // the viewer, and the grid of its list box.
  if (m_grid)
    m_grid.grid()->RemoveAll();
  releaseRows();
  m_preview.destroy();
  m_grid.release();
  hostUiDialog::onDestroy();
}

void MeUiMaterialPropertiesDlg::createRows()
{
  releaseRows();
  m_rows = {
    new MeUiDiffuseColorProperty(me::loadString(me::kStrDiffuseLabel)),
    new MeUiAmbientColorProperty(me::loadString(me::kStrAmbientLabel)),
    new MeUiSpecularColorProperty(me::loadString(me::kStrSpecularLabel)),
    new MeUiGlossinessProperty(me::loadString(me::kStrGlossinessLabel)),
    // Its menu's commands come to this dialog (1000 + the item's offset).
    new MeUiDiffuseTextureProperty(me::loadString(me::kStrDiffuseMapLabel), hwnd()),
  };
}

void MeUiMaterialPropertiesDlg::releaseRows()
{
  for (MeUiProperty* row : m_rows)
    if (row)
      row->Release();
  m_rows.clear();
}

void MeUiMaterialPropertiesDlg::rebuild()
{
  if (!m_grid)
    return;
  std::vector<IKtEditableProperty*> entries;
  for (std::size_t i = 0; i < m_rows.size(); ++i)
  {
    IKtEditableProperty* entry = nullptr;
    if (m_rows[i])
      m_rows[i]->createEditableProperty(entry);
    if (!entry)
      continue;
    const bool optional = i >= kFirstOptionalRow && i <= kLastOptionalRow;
    if (!optional || entry->IsShown())
      entries.push_back(entry);
    else
      entry->Release();
  }
  m_grid.rebuild(entries);
  // The grid holds its own references now.
  for (IKtEditableProperty* entry : entries)
    entry->Release();
  // Extended mode changes how many rows need room below the preview.
  relayout();
}

void MeUiMaterialPropertiesDlg::setMaterial(const OdDbMaterial* material)
{
  m_preview.setMaterial(material);
  if (HostPreviewNotifier* notifier = me::hostPreviewNotifier())
    notifier->previewChanged(kPreviewMaterialChanged);
  m_grid.refresh();
  m_preview.viewer().invalidate(true);
}

void MeUiMaterialPropertiesDlg::setSampleType(int type) { m_preview.setSampleType(type); }

void MeUiMaterialPropertiesDlg::onSize(int width, int height)
{
  if (!m_grid)
    return;
  // The rows come first: the preview gives way to them in a short pane.
  const bool preview = m_preview.viewer().exists();
  const PaneLayout layout = paneLayout(height, preview ? m_previewHeight : 0, m_grid.heightForRows(), 0);
  if (preview)
    SetWindowPos(m_preview.viewer().hwnd(), nullptr, 0, 0, width, layout.picture, SWP_NOZORDER | SWP_NOACTIVATE);
  const int top = preview ? layout.picture : 0;
  SetWindowPos(m_grid.listBox(), nullptr, 0, top, width, std::max(0, height - top), SWP_NOZORDER | SWP_NOACTIVATE);
}

void MeUiMaterialPropertiesDlg::relayout()
{
  RECT client{};
  if (hwnd() && GetClientRect(hwnd(), &client))
    onSize(int(client.right), int(client.bottom));
}

bool MeUiMaterialPropertiesDlg::onCommand(UINT id, UINT code, HWND control)
{
  // Only the map menu's choices: the grid's list box (control 1002, inside
  // the menu's range) notifies its focus changes with its own id, which
  // must not read as "&Edit...".
  if (control || code != 0 || id < ID_MAP_COMMAND_FIRST || id > ID_MAP_COMMAND_LAST)
    return false;
  mapCommand(int(id - ID_MAP_COMMAND_FIRST));
  return true;
}

void MeUiMaterialPropertiesDlg::mapCommand(int offset)
{
  me::IMeEditor* editor = me::editorService();
  me::IMeSettingsStorage* settings = me::settingsService();
  if (!editor)
    return;
  switch (offset)
  {
  case kMapImage:
  {
    me::IMeSystemDialogs* dialogs = me::systemDialogsService();
    const me::MeEditTarget target = me::MeEditTarget::ofEditor(&editor->diffuseMap());
    OdString path;
    // A cancelled dialog leaves the map as it was, and so does a drawing
    // that changed under it.
    if (!dialogs || !dialogs->selectFileToOpen(OdString(), me::loadString(me::kStrImageFilter), path) ||
        !target.stillCurrent())
      return;
    editor->setDiffuseMapFile(path);
    if (settings)
      settings->setDiffuseMapPath(path);
    // An open Texture editor shows the map as it is now: an image file.
    if (MeUiMaterialEditorPalette* palette = materialEditorPalette(false))
      palette->followMapInTextureEditor();
    return;
  }
  case kMapRemove:
    editor->setDiffuseMapFile(OdString());
    if (settings)
      settings->setDiffuseMapPath(OdString());
    closeTextureEditor();
    return;
  case kMapEdit:
    // The open Texture editor's map editor ends before the map is taken for
    // the new one: ending later would end the new one's editing too.
    closeTextureEditor();
    openTextureEditor(editor->editDiffuseMap());
    return;
  default: return;
  }
}

LRESULT MeUiMaterialPropertiesDlg::windowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == kHostDialogQuery)
    return 1;
  return guardedMessage([&] { return hostUiDialog::windowProc(message, wParam, lParam); });
}
} // namespace meui
