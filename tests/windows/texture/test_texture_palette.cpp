// The Texture editor as a palette under Wine: a pane shown without a dialog
// stays sound, help asks for the Texture editor's topic, closeTextureEditor
// ends map editing, and unloading removes the window.
#include "ui/MeUiFilterBox.h"
#include "ui/MeUiMaterialEditorPalette.h"
#include "ui/MeUiPalettes.h"
#include "ui/MeUiTextureEditorPalette.h"

#include "TestHost.h"
#include "common/MessagePump.h"
#include "common/TempDir.h"

#include "core/IMeEditor.h"
#include "core/MeServices.h"
#include "core/MeStrings.h"
#include "framework/ModuleState.h"
#include "host/DocumentManager.h"
#include "od/DbDictionary.h"
#include "od/DbMaterial.h"
#include "resources/MeResources.h"
#include "win32/Handles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{
const std::filesystem::path kImages = std::filesystem::path(ME_TEST_FIXTURES) / "images";

class TexturePalette : public ::testing::Test
{
protected:
  void SetUp() override
  {
    fw::setModuleInstance(GetModuleHandleW(nullptr)); // this program carries the module's resources
    ASSERT_NE(LoadLibraryW(INSPCTL_LIBRARY), nullptr);
    m_main.attach(CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 700, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr));
    static_cast<host::DocumentManager*>(m_host.docManager())->setMainWindow(m_main.get());
    m_host.newDocument();
    OdDbMaterialPtr material = OdDbMaterial::createObject();
    material->setName(L"Tiles");
    MaterialMap map;
    map.setSource(kFile);
    map.setSourceFileName(TempDir::toOd(kImages / "quad.png"));
    material->setDiffuse(MaterialColor(), map);
    OdDbDictionaryPtr dictionary = m_host.database()->getMaterialDictionaryId(true).safeOpenObject(OdDb::kForWrite);
    m_id = dictionary->setAt(L"Tiles", material);
    m_editor = me::editorService();
    ASSERT_NE(m_editor, nullptr);
    m_editor->open(m_id);
  }
  void TearDown() override { m_main.reset(); }

  meui::MeUiPalettes& owner() { return *meui::palettes(true); }
  void openOnDiffuseMap()
  {
    m_editor->editDiffuseMap(); // as "&Edit..." does
    owner().openTextureEditor();
  }
  meui::MeUiTextureEditorPalette* palette()
  {
    meui::MeUiPalettes* palettes = meui::palettes(false);
    return palettes ? palettes->textureEditor(false) : nullptr;
  }
  double storedBlend()
  {
    MaterialColor colour;
    MaterialMap map;
    OdDbMaterialPtr(m_id.safeOpenObject())->diffuse(colour, map);
    return map.blendFactor();
  }

  TestHost m_host;
  win::Window m_main;
  OdDbObjectId m_id;
  me::IMeEditor* m_editor = nullptr;
};
} // namespace

// A fresh dialog at every opening, and hiding that deletes it, are the
// host's end-to-end tests' (texture_editor_test); here, what no user gesture
// makes: the host showing the pane again on its own.
TEST_F(TexturePalette, APaneTheHostShowsOnItsOwnStaysEmptyAndSound)
{
  openOnDiffuseMap();
  ASSERT_NE(palette(), nullptr);
  palette()->ShowPane(false, false, false);
  EXPECT_EQ(palette()->dialog(), nullptr);
  palette()->ShowPane(true, false, true);
  EXPECT_TRUE(palette()->IsPaneVisible());
  EXPECT_EQ(palette()->dialog(), nullptr) << "nothing made up";
  pumpMessages();
}

TEST_F(TexturePalette, TheDialogFillsThePaneBelowTheToolbar)
{
  openOnDiffuseMap();
  ASSERT_NE(palette(), nullptr);
  SetWindowPos(palette()->hwnd(), nullptr, 0, 0, 260, 600, SWP_NOZORDER | SWP_NOMOVE);
  RECT toolbar{}, dialog{};
  GetWindowRect(palette()->toolbar().hwnd(), &toolbar);
  GetWindowRect(palette()->dialog()->hwnd(), &dialog);
  EXPECT_EQ(dialog.top, toolbar.bottom);
  RECT pane{};
  GetClientRect(palette()->hwnd(), &pane);
  EXPECT_EQ(dialog.right - dialog.left, pane.right);
  EXPECT_EQ(palette()->toolbar().tipText(0), OdString(L"Help Contents and Index"));
  SendMessageW(palette()->hwnd(), WM_COMMAND, MAKEWPARAM(ID_TEXTURE_HELP, 0), 0);
  ASSERT_FALSE(m_host.helpTopics.empty());
  EXPECT_EQ(m_host.helpTopics.back(), OdString(L"IDH_TextureEditor"));
}

TEST_F(TexturePalette, ClosingFromOutsideEndsMapEditingAndUnloadRemovesTheWindow)
{
  owner().closeTextureEditor(); // nothing open: nothing happens
  meui::MeUiMaterialEditorPalette* materialEditor = owner().materialEditor(true);
  MaterialMap& record = m_editor->editDiffuseMap(); // asking for it starts map editing
  owner().openTextureEditor();
  record.setBlendFactor(0.5);
  m_editor->commitEditedMap();
  ASSERT_EQ(storedBlend(), 0.5);

  owner().openTextureEditor();
  EXPECT_EQ(materialEditor->listenerCount(), 1u) << "a listener of the Material editor once";
  owner().closeTextureEditor();
  EXPECT_EQ(palette()->dialog(), nullptr);
  EXPECT_FALSE(palette()->IsPaneVisible());
  EXPECT_EQ(materialEditor->listenerCount(), 0u);
  record.setBlendFactor(0.25);
  m_editor->commitEditedMap();
  EXPECT_EQ(storedBlend(), 0.5) << "map editing ended";

  // The close button does the same.
  openOnDiffuseMap();
  ASSERT_NE(palette(), nullptr);
  palette()->OnPressCloseButton();
  EXPECT_EQ(palette()->dialog(), nullptr);
  openOnDiffuseMap();
  palette()->editorPaletteChanged(); // the Material editor switched material
  EXPECT_EQ(palette()->dialog(), nullptr);
  EXPECT_FALSE(palette()->IsPaneVisible());

  openOnDiffuseMap();
  ASSERT_NE(palette(), nullptr);
  const HWND pane = palette()->hwnd();
  me::destroyAppServices(); // unload: the registry and the palettes' owner go
  EXPECT_FALSE(IsWindow(pane));
  EXPECT_EQ(palette(), nullptr);
}

// The module's entry for the Material editor, given an id that names no
// material: the user is told (message 150, stop icon), the palette stays
// hidden, and its window is already the registered service 5.
TEST_F(TexturePalette, OpeningTheMaterialEditorOnANullOrErasedIdShowsTheStopMessageAndNoPalette)
{
  const std::size_t before = m_host.messages.size();
  EXPECT_FALSE(owner().openMaterialEditor(OdDbObjectId()));
  {
    OdDbMaterialPtr material = m_id.safeOpenObject(OdDb::kForWrite);
    ASSERT_EQ(material->erase(), eOk);
  }
  EXPECT_FALSE(owner().openMaterialEditor(m_id));
  ASSERT_EQ(m_host.messages.size(), before + 2);
  for (std::size_t i = before; i < m_host.messages.size(); ++i)
  {
    EXPECT_EQ(m_host.messages[i].text, me::loadString(me::kStrInvalidMaterial));
    EXPECT_EQ(m_host.messages[i].icon, kHostIconStop);
  }
  meui::MeUiMaterialEditorPalette* editor = owner().materialEditor(false);
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->exists()) << "the window is made before the id is checked";
  EXPECT_FALSE(editor->IsPaneVisible());
  EXPECT_EQ(
    dynamic_cast<meui::MeUiMaterialEditorPalette*>(me::appServices()->getService(me::kMaterialEditorPaletteService)),
    editor);
}

// The browser's filter box owns its edit window: it goes with the object,
// a parent that took it along leaves nothing to destroy, and making it again
// replaces the old one.
TEST_F(TexturePalette, TheFilterBoxWindowGoesWithItsObjectAndOnlyOnce)
{
  HWND first = nullptr;
  {
    meui::MeUiFilterBox box;
    ASSERT_TRUE(box.create(m_main.get(), 1008, L"Search", nullptr));
    first = box.hwnd();
    ASSERT_TRUE(box.create(m_main.get(), 1008, L"Search", nullptr));
    EXPECT_FALSE(IsWindow(first)) << "the box made before is replaced";
    first = box.hwnd();
  }
  EXPECT_FALSE(IsWindow(first)) << "the object went without a destroy()";

  meui::MeUiFilterBox box;
  ASSERT_TRUE(box.create(m_main.get(), 1008, L"Search", nullptr));
  const HWND edit = box.hwnd();
  m_main.reset(); // the parent takes the box along
  EXPECT_FALSE(IsWindow(edit));
  EXPECT_EQ(box.hwnd(), nullptr);
  EXPECT_TRUE(box.text().isEmpty());
  box.destroy(); // nothing left to destroy
}
