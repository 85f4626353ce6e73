// The Texture editor's body under Wine, over the real grid of inspctl.dll:
// the layout that leaves 25 pixels below the grid and a texture kind without
// rows. A close ending map editing: texture_palette_test and tests/rows.
// What a user sees of its image and rows: texture_editor_test.
#include "ui/MeUiPaneLayout.h"
#include "ui/MeUiTexturePropertiesDlg.h"

#include "TestHost.h"
#include "common/MessagePump.h"
#include "common/TempDir.h"

#include "core/IMeEditor.h"
#include "core/MeServices.h"
#include "framework/ModuleState.h"
#include "od/DbDictionary.h"
#include "od/DbMaterial.h"
#include "resources/MeResources.h"
#include "win32/Handles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace
{
const std::filesystem::path kImages = std::filesystem::path(ME_TEST_FIXTURES) / "images";

class TextureDialog : public ::testing::Test
{
protected:
  void SetUp() override
  {
    fw::setResourceHandle(GetModuleHandleW(nullptr)); // this program carries template 105
    m_grid = LoadLibraryW(INSPCTL_LIBRARY);
    ASSERT_NE(m_grid, nullptr) << "the grid's library beside the test";
    m_host.newDocument();
    OdDbMaterialPtr material = OdDbMaterial::createObject();
    material->setName(L"Tiles");
    MaterialColor colour;
    MaterialMap map;
    map.setSource(kFile);
    map.setSourceFileName(TempDir::toOd(kImages / "quad.bmp"));
    material->setDiffuse(colour, map);
    OdDbDictionaryPtr dictionary = m_host.database()->getMaterialDictionaryId(true).safeOpenObject(OdDb::kForWrite);
    m_id = dictionary->setAt(L"Tiles", material);
    m_editor = me::editorService();
    ASSERT_NE(m_editor, nullptr);
    m_editor->open(m_id);
    m_parent.attach(CreateWindowExW(0, L"STATIC", L"palette", WS_POPUP | WS_VISIBLE, 0, 0, 260, 480, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr));
  }
  void TearDown() override
  {
    if (m_dialog)
    {
      m_dialog->destroy();
      m_dialog->Release();
    }
    m_parent.reset();
  }

  void open()
  {
    m_editor->editDiffuseMap(); // the map the dialog asks for
    m_dialog = new meui::MeUiTexturePropertiesDlg();
    ASSERT_TRUE(m_dialog->Create(m_parent.get()));
    ShowWindow(m_dialog->hwnd(), SW_SHOW);
    pumpMessages();
  }
  MaterialMap stored()
  {
    MaterialColor colour;
    MaterialMap map;
    OdDbMaterialPtr(m_id.safeOpenObject())->diffuse(colour, map);
    return map;
  }
  IKtEditableProperty* gridRow(const OdString& label)
  {
    CInspectorCtrl* grid = m_dialog->grid();
    for (int i = 0; grid && i < grid->GetRowCount(); ++i)
      if (grid->GetRow(i)->GetName() == label)
        return grid->GetRow(i);
    ADD_FAILURE() << "no row " << label.str().size();
    return nullptr;
  }

  TestHost m_host;
  HMODULE m_grid = nullptr;
  OdDbObjectId m_id;
  me::IMeEditor* m_editor = nullptr;
  win::Window m_parent;
  meui::MeUiTexturePropertiesDlg* m_dialog = nullptr;
};
} // namespace

TEST_F(TextureDialog, TheGridEnds25PixelsAboveTheBottomWhileItsRowsFitAndAShortDialogGivesTheImageUpFirst)
{
  open();
  // The image's bottom and the grid's, the grid directly below the image, both the dialog's width.
  const auto layoutAt = [&](int height) {
    SetWindowPos(m_dialog->hwnd(), nullptr, 0, 0, 240, height, SWP_NOZORDER | SWP_NOMOVE);
    const RECT grid = m_dialog->itemRect(IDC_PROPERTY_GRID), preview = m_dialog->itemRect(IDC_MAP_PREVIEW);
    EXPECT_TRUE(preview.left == 0 && preview.top == 0 && preview.right == 240 && grid.right == 240);
    EXPECT_EQ(grid.top, preview.bottom);
    return std::make_pair(int(preview.bottom), int(grid.bottom));
  };
  const int lines = int(SendMessageW(m_dialog->item(IDC_PROPERTY_GRID), LB_GETCOUNT, 0, 0));
  const int lineHeight = int(SendMessageW(m_dialog->item(IDC_PROPERTY_GRID), LB_GETITEMHEIGHT, 1, 0));
  ASSERT_GT(lines * lineHeight, 400 - meui::kMinPictureSide) << "the test needs rows that do not fit at 400";
  const auto tall = layoutAt(900);
  EXPECT_GT(tall.first, 200) << "the template's image";
  EXPECT_EQ(tall.second, 900 - meui::kGridBottomMargin);
  // Short: the image at its smallest square, then the margin gone for the rows.
  EXPECT_EQ(layoutAt(400), std::make_pair(meui::kMinPictureSide, 400));
  EXPECT_EQ(layoutAt(900), tall) << "all back when there is room";
  EXPECT_EQ(layoutAt(60), std::make_pair(60, 60)) << "lower than the smallest square: no grid, never less";
}

TEST_F(TextureDialog, AProceduralTextureOfAnotherKindShowsAnEmptyGrid)
{
  m_editor->editDiffuseMap().setSource(kProcedural);
  m_editor->editDiffuseMap().setTexture(OdGiGenericTexture::createObject());
  open();
  ASSERT_NE(m_dialog->grid(), nullptr);
  EXPECT_EQ(m_dialog->grid()->GetRowCount(), 0);
  EXPECT_EQ(m_dialog->provider(), nullptr);
  EXPECT_EQ(m_dialog->mapPreview().state(), meui::MapPreviewState::Procedural);
}
