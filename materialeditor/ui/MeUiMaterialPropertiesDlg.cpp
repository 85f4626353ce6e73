#include "ui/MeUiMaterialPropertiesDlg.h"

#include "core/IMeEditor.h"
#include "core/IMeSettingsStorage.h"
#include "core/MeEditTarget.h"
#include "core/MeHost.h"
#include "core/MeStrings.h"
#include "core/MeSystemDialogs.h"
#include "resources/MeResources.h"
#include "ui/properties/MeUiMaterialRowsProvider.h"
#include "ui/properties/MeUiTextureProperty.h"

namespace meui
{
namespace
{
// The host's preview notifier hears this after the preview's material changed.
constexpr int kPreviewMaterialChanged = 1;
} // namespace

MeUiMaterialPropertiesDlg::MeUiMaterialPropertiesDlg(MeUiPaletteLinks& links)
  : MeUiPreviewGridDlg(IDD_MATERIAL_PROPERTIES, 0), m_links(links)
{
}

MeUiMaterialPropertiesDlg::~MeUiMaterialPropertiesDlg()
{
  destroy(); // while onDestroy still runs: this class's part is alive here
  // Without a window (never created) the parts go here.
  releaseGrid();
  m_preview.destroy();
}

HWND MeUiMaterialPropertiesDlg::pictureWindow() const
{
  return m_preview.viewer().exists() ? m_preview.viewer().hwnd() : nullptr;
}

bool MeUiMaterialPropertiesDlg::onInitDialog()
{
  // The preview takes the placeholder's place. The resource compiler makes
  // every control visible unless told otherwise: the placeholder, which has
  // no clipping of its siblings, would paint over the preview.
  const RECT place = itemRect(IDC_PREVIEW_FRAME);
  ShowWindow(item(IDC_PREVIEW_FRAME), SW_HIDE);
  setPictureHeight(int(place.bottom - place.top));
  me::IMeSettingsStorage* settings = me::settingsService();
  m_preview.create(hwnd(), place, IDC_PREVIEW_VIEWER, settings ? settings->sampleObject() : me::kSampleSphere);
  createGrid();
  setProvider(new MeUiMaterialRowsProvider(hwnd()));
  // The focus stays where the user had it (the browser's list, whose
  // double click opened the editor); the dialog manager would give it to
  // the grid.
  return false;
}

void MeUiMaterialPropertiesDlg::onDestroy()
{
  // Before the child windows go: the rows let go of the grid, the scene of
  // the viewer.
  releaseGrid();
  m_preview.destroy();
  MeUiPreviewGridDlg::onDestroy();
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

bool MeUiMaterialPropertiesDlg::onCommand(UINT id, UINT code, HWND control)
{
  // Only the map menu's choices: the grid's list box (control 1002, inside
  // the menu's range) notifies its focus changes with its own id, which
  // must not read as "&Edit...".
  if (control || code != 0 || id < ID_MAP_COMMAND_FIRST || id > ID_MAP_COMMAND_LAST)
    return false;
  mapCommand(id);
  return true;
}

void MeUiMaterialPropertiesDlg::mapCommand(unsigned command)
{
  me::IMeEditor* editor = me::editorService();
  me::IMeSettingsStorage* settings = me::settingsService();
  if (!editor)
    return;
  switch (command)
  {
  case kMapCommandImage:
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
    m_links.followMapInTextureEditor();
    return;
  }
  case kMapCommandRemove:
    editor->setDiffuseMapFile(OdString());
    if (settings)
      settings->setDiffuseMapPath(OdString());
    m_links.closeTextureEditor();
    return;
  case kMapCommandEdit:
    // The open Texture editor's map editor ends before the map is taken for
    // the new one: ending later would end the new one's editing too.
    m_links.closeTextureEditor();
    editor->editDiffuseMap(); // the map the Texture editor asks for
    m_links.openTextureEditor();
    return;
  default: return;
  }
}
} // namespace meui
