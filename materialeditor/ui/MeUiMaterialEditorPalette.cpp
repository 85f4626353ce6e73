#include "ui/MeUiMaterialEditorPalette.h"

#include "core/IMeSettingsStorage.h"
#include "core/MeHost.h"
#include "core/MeNames.h"
#include "core/MeObservers.h"
#include "core/MeOpenMaterial.h"
#include "core/MeStrings.h"
#include "od/DbMaterial.h"
#include "resources/MeResources.h"
#include "ui/MeUiMaterialPropertiesDlg.h"
#include "ui/properties/MeUiColorProperty.h"
#include "win/MeHostTheme.h"

#include <algorithm>

namespace meui
{
namespace
{
// The sample menu button keeps the button's own icon (the sample set).
constexpr int kNoImage = -1;

struct SampleItem
{
  UINT command;
  int code;
  const wchar_t* text;
};
constexpr SampleItem kSamples[] = {
  {ID_SAMPLE_SPHERE, me::kSampleSphere, L"Sphere"},
  {ID_SAMPLE_CUBE, me::kSampleCube, L"Cube"},
  {ID_SAMPLE_TORUS, me::kSampleTorus, L"Torus"},
};

const wchar_t* const kHelpTopic = L"IDH_MaterialEditor";
} // namespace

OdString MeUiMaterialEditorPalette::titleFor(const OdString& name)
{
  return OdString::format(me::loadString(me::kStrMaterialEditorTitle).c_str(), me::displayMaterialName(name).c_str());
}

MeUiMaterialEditorPalette::MeUiMaterialEditorPalette(MeUiPaletteLinks& links)
  : MeUiPalette(m_toolbar, ID_EDITOR_HELP, kHelpTopic), m_links(links)
{
}

MeUiMaterialEditorPalette::~MeUiMaterialEditorPalette()
{
  observe(false);
  // The dialog is a child window: it goes with its own object first.
  deleteDialog();
  destroy();
  m_links.paletteGone(this);
}

bool MeUiMaterialEditorPalette::openOn(const OdDbObjectId& material)
{
  OdString name;
  if (!me::materialToEdit(material, name))
    return false;
  setTitleFrom(name);
  ShowPane(true, false, true);
  if (me::IMeEditor* editor = me::editorService())
    editor->open(material);
  return true;
}

// ---- listeners

void MeUiMaterialEditorPalette::addListener(MeUiMaterialEditorPaletteReactor* listener)
{
  me::addObserver(m_listeners, listener);
}

void MeUiMaterialEditorPalette::removeListener(MeUiMaterialEditorPaletteReactor* listener)
{
  me::removeObserver(m_listeners, listener);
}

void MeUiMaterialEditorPalette::notifyListeners()
{
  me::tellObservers(m_listeners, [](MeUiMaterialEditorPaletteReactor* listener) { listener->editorPaletteChanged(); });
}

// ---- the window

HWND MeUiMaterialEditorPalette::focusTarget() const
{
  return m_dialog && m_dialog->grid() ? m_dialog->grid()->GetWindow() : nullptr;
}

void MeUiMaterialEditorPalette::onThemeChanged()
{
  if (m_toolbar.hwnd())
    fillToolbar();
}

bool MeUiMaterialEditorPalette::onCreate()
{
  if (!createToolbar())
    return false;
  m_sampleMenu.createPopup();
  for (const SampleItem& item : kSamples)
    m_sampleMenu.appendItem(item.command, me::translate(item.text).c_str());
  fillToolbar();

  me::IMeSettingsStorage* settings = me::settingsService();
  const int stored = settings ? settings->sampleObject() : me::kSampleSphere;
  checkSample(stored);
  if (settings)
    settings->setSampleObject(stored);
  return true;
}

// The buttons in the theme's icon set, the menu and check buttons made
// again, and the menu button's arrow in the theme's text colour (the
// control's own black one vanishes on a dark theme).
void MeUiMaterialEditorPalette::fillToolbar()
{
  m_toolbar.fill();
  m_toolbar.setMenuButton(ID_SAMPLE_MENU, m_sampleMenu.handle(), kNoImage);
  m_toolbar.setCheckButton(ID_EXTENDED_MODE);
  m_toolbar.setChecked(ID_EXTENDED_MODE, extendedMode());
  HostThemeService* theme = me::hostTheme();
  m_toolbar.setArrowColour(theme ? COLORREF(theme->textColor()) : CLR_DEFAULT);
}

void MeUiMaterialEditorPalette::onDestroy()
{
  deleteDialog();
  MeUiPalette::onDestroy();
}

bool MeUiMaterialEditorPalette::onCommand(UINT id, UINT code, HWND control)
{
  for (const SampleItem& item : kSamples)
    if (item.command == id)
    {
      setSample(item.code);
      return true;
    }
  switch (id)
  {
  case ID_EXTENDED_MODE: toggleExtendedMode(); return true;
  default: return MeUiPalette::onCommand(id, code, control);
  }
}

void MeUiMaterialEditorPalette::checkSample(int code)
{
  m_sampleMenu.uncheckAll();
  for (const SampleItem& item : kSamples)
    if (item.code == code)
      m_sampleMenu.check(item.command, true);
}

int MeUiMaterialEditorPalette::checkedSample() const
{
  for (const SampleItem& item : kSamples)
    if (m_sampleMenu.isChecked(item.command))
      return item.code;
  return -1;
}

void MeUiMaterialEditorPalette::setSample(int code)
{
  if (m_dialog)
    m_dialog->setSampleType(code);
  checkSample(code);
  if (me::IMeSettingsStorage* settings = me::settingsService())
    settings->setSampleObject(code);
}

void MeUiMaterialEditorPalette::toggleExtendedMode()
{
  me::IMeSettingsStorage* settings = me::settingsService();
  const bool extended = settings ? !settings->extendedRegime() : false;
  if (settings)
    settings->setExtendedRegime(extended);
  if (m_dialog)
    m_dialog->rebuild();
  m_toolbar.setChecked(ID_EXTENDED_MODE, extended);
}

void MeUiMaterialEditorPalette::setTitleFrom(const OdString& name) { SetName(titleFor(name).c_str()); }

// ---- showing, hiding, closing

void MeUiMaterialEditorPalette::observe(bool on)
{
  me::IMeEditor* editor = me::editorService();
  me::IMeManager* manager = me::managerService();
  if (on)
  {
    if (editor)
      editor->addReactor(this);
    if (manager)
      manager->addReactor(this);
    return;
  }
  if (editor)
    editor->removeReactor(this);
  if (manager)
    manager->removeReactor(this);
}

void MeUiMaterialEditorPalette::createDialog()
{
  if (m_dialog)
    return;
  auto* dialog = new MeUiMaterialPropertiesDlg(m_links);
  if (!dialog->Create(hwnd()))
  {
    dialog->Release();
    return;
  }
  m_dialog.reset(dialog);
  placeBody();
  m_dialog->show(true);
}

void MeUiMaterialEditorPalette::deleteDialog() { m_dialog.reset(); }

void MeUiMaterialEditorPalette::ShowPane(bool show, bool delay, bool activate)
{
  MeUiPalette::ShowPane(show, delay, activate);
  observe(show);
  if (!show)
    return;
  createDialog();
  // Given the focus as it showed, before its grid was there.
  if (GetFocus() == hwnd())
    focusMainControl();
}

void MeUiMaterialEditorPalette::OnPressCloseButton()
{
  observe(false);
  deleteDialog();
  notifyListeners();
  m_listeners.clear();
  MeUiPalette::OnPressCloseButton();
  // The browser renders the edited material's thumbnail again.
  me::sendServiceEvent(me::kMaterialsBrowserService, me::kEventRefreshEditedThumbnail);
}

// ---- notifications

void MeUiMaterialEditorPalette::switchTo(const OdDbObjectId& id, const OdString& name, bool rebuildGrid)
{
  if (me::IMeEditor* editor = me::editorService())
    editor->open(id); // reaches the dialog through materialModified
  if (m_dialog)
  {
    if (rebuildGrid)
      m_dialog->rebuild();
    RedrawWindow(m_dialog->hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  setTitleFrom(name);
}

bool MeUiMaterialEditorPalette::switchToGlobal(bool rebuildGrid)
{
  me::IMeManager* manager = me::managerService();
  OdDbObjectId global = manager ? manager->globalMaterialId() : OdDbObjectId();
  OdString name;
  if (!me::materialName(global, name))
    return false;
  m_links.closeTextureEditor();
  switchTo(global, name, rebuildGrid);
  return true;
}

void MeUiMaterialEditorPalette::databaseChanged(OdDbDatabase*)
{
  switchToGlobal(false);
  notifyListeners();
  m_listeners.clear();
}

void MeUiMaterialEditorPalette::materialAdded(const OdDbObjectId& id)
{
  OdString name;
  if (!me::materialName(id, name))
    return;
  m_links.closeTextureEditor();
  // The browser renders the thumbnail of the material edited until now.
  me::sendServiceEvent(me::kMaterialsBrowserService, me::kEventRefreshEditedThumbnail);
  switchTo(id, name, false);
}

void MeUiMaterialEditorPalette::materialErased(const OdDbObjectId&) { switchToGlobal(true); }

void MeUiMaterialEditorPalette::materialChanged(const OdDbObjectId& id)
{
  me::IMeEditor* editor = me::editorService();
  if (!editor || id != editor->materialId())
    return;
  if (m_editorWriting)
  {
    m_editorWriting = false;
    return;
  }
  // Changed elsewhere (a command, an undo): the editor reads it again, and
  // the dialog, the title and an open Texture editor show it.
  OdString name;
  if (!me::materialName(id, name))
    return;
  editor->open(id);
  if (m_dialog)
    m_dialog->rebuild();
  setTitleFrom(name);
  m_links.followMapInTextureEditor();
}

void MeUiMaterialEditorPalette::managerClosing()
{
  if (me::IMeEditor* editor = me::editorService())
    editor->removeReactor(this);
  deleteDialog();
  notifyListeners();
  m_listeners.clear();
  MeUiPalette::OnPressCloseButton();
}

void MeUiMaterialEditorPalette::materialModified(OdDbMaterial* material)
{
  // A write of the editor's own: the manager's report of it follows.
  if (material && material->isWriteEnabled())
    m_editorWriting = true;
  if (m_dialog)
    m_dialog->setMaterial(material);
}

void MeUiMaterialEditorPalette::onServiceEvent(int, void*)
{
  if (me::IMeEditor* editor = me::editorService())
    setTitleFrom(editor->materialName());
}
} // namespace meui
