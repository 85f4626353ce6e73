// The material editor's rows over a real drawing: what each row reads and
// writes through the material editor, which rows show, the map row's texts
// and menu, and the one "by object" rule of the editor and the colour list.
#include "FakeHostServices.h"
#include "common/TempDir.h"
#include "common/TestDrawing.h"
#include "common/TestHost.h"
#include "common/od_print.h"
#include "core/IMeEditor.h"
#include "core/IMeSettingsStorage.h"
#include "core/MeServices.h"
#include "od/DbSymbolTable.h"
#include "ui/controls/MeUiColorList.h"
#include "ui/properties/MeUiColorProperty.h"
#include "ui/properties/MeUiGlossinessProperty.h"
#include "ui/properties/MeUiTextureProperty.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
// Stands in for the Material editor palette (service 5): the events it gets.
struct PaletteEvents : me::IMeServiceItem
{
  std::vector<int>* log;
  explicit PaletteEvents(std::vector<int>* events) : log(events) {}
  void onServiceEvent(int event, void*) override { log->push_back(event); }
};

// The map row with its menu caught instead of shown: it answers `answer`
// after running `whileOpen`, as the drawing may change while a menu is open.
struct MenuCatcher : meui::MeUiDiffuseTextureProperty
{
  MenuCatcher() : meui::MeUiDiffuseTextureProperty(L"Map.Diffuse", nullptr) {}
  std::vector<std::vector<meui::MapMenuItem>> shown;
  unsigned answer = 0;
  std::function<void()> whileOpen;
  std::vector<unsigned> sent;
  unsigned showMenu(const std::vector<meui::MapMenuItem>& items) override
  {
    shown.push_back(items);
    if (whileOpen)
      whileOpen();
    return answer;
  }
  void sendCommand(unsigned command) override { sent.push_back(command); }
};

template <class Row>
struct Source
{
  Row* row;
  explicit Source(const OdString& label) : row(new Row(label)) {}
  ~Source() { row->Release(); }
  Row* operator->() { return row; }
};

OdCmColor rgb(OdUInt8 r, OdUInt8 g, OdUInt8 b)
{
  OdCmColor color;
  color.setRGB(r, g, b);
  return color;
}

OdCmColor indexColor(int index)
{
  OdCmColor color;
  color.setColorIndex(OdInt16(index));
  return color;
}

class MaterialRows : public ::testing::Test
{
protected:
  void SetUp() override
  {
    host.newDocument();
    db = host.database();
    editor = me::editorService();
    settings = me::settingsService();
    ASSERT_TRUE(db && editor && settings);
    material = addMaterial(db, L"Brick");
    editor->open(material);
  }
  MaterialColor diffuse()
  {
    MaterialColor color;
    MaterialMap map;
    OdDbMaterialPtr(material.safeOpenObject())->diffuse(color, map);
    return color;
  }
  MaterialColor specular()
  {
    MaterialColor color;
    MaterialMap map;
    double glossiness = 0;
    OdDbMaterialPtr(material.safeOpenObject())->specular(color, map, glossiness);
    return color;
  }
  MaterialColor ambient()
  {
    MaterialColor color;
    OdDbMaterialPtr(material.safeOpenObject())->ambient(color);
    return color;
  }
  void setDiffuseMap(const MaterialMap& map)
  {
    {
      OdDbMaterialPtr m = material.safeOpenObject(OdDb::kForWrite);
      MaterialColor color;
      MaterialMap old;
      m->diffuse(color, old);
      m->setDiffuse(color, map);
    }
    editor->open(material);
  }

  TestHost host;
  FakeHostServices kt;
  OdDbDatabase* db = nullptr;
  me::IMeEditor* editor = nullptr;
  me::IMeSettingsStorage* settings = nullptr;
  OdDbObjectId material;
};
} // namespace

TEST_F(MaterialRows, OutsideExtendedModeTheDiffuseColourSetsAllThreeAndOnlyItShows)
{
  settings->setExtendedRegime(false);
  Source<meui::MeUiDiffuseColorProperty> diffuseRow(L"Generic.Diffuse");
  Source<meui::MeUiAmbientColorProperty> ambientRow(L"Generic.Ambient");
  Source<meui::MeUiSpecularColorProperty> specularRow(L"Generic.Specular");
  EXPECT_TRUE(diffuseRow->isShown());
  EXPECT_FALSE(ambientRow->isShown());
  EXPECT_FALSE(specularRow->isShown());

  ASSERT_TRUE(diffuseRow->setValue(rgb(200, 10, 20)));
  EXPECT_EQ(diffuse().color(), OdCmEntityColor(200, 10, 20));
  EXPECT_EQ(ambient().color(), OdCmEntityColor(200, 10, 20));
  EXPECT_EQ(specular().color(), OdCmEntityColor(200, 10, 20));
  OdCmColor read;
  ASSERT_TRUE(specularRow->getValue(read));
  EXPECT_EQ(read.entityColor(), OdCmEntityColor(200, 10, 20)) << "each row reads the editor again";
}

TEST_F(MaterialRows, InExtendedModeTheThreeColoursAreIndependentAndSpecularTellsThePalette)
{
  std::vector<int> events;
  me::appServices()->registerService(me::kMaterialEditorPaletteService, new PaletteEvents(&events));
  settings->setExtendedRegime(true);
  Source<meui::MeUiDiffuseColorProperty> diffuseRow(L"Generic.Diffuse");
  Source<meui::MeUiAmbientColorProperty> ambientRow(L"Generic.Ambient");
  Source<meui::MeUiSpecularColorProperty> specularRow(L"Generic.Specular");
  EXPECT_TRUE(ambientRow->isShown());
  EXPECT_TRUE(specularRow->isShown());

  diffuseRow->setValue(rgb(1, 2, 3));
  ambientRow->setValue(rgb(4, 5, 6));
  EXPECT_TRUE(events.empty()) << "only the specular colour concerns the palette";
  specularRow->setValue(indexColor(5));
  EXPECT_EQ(diffuse().color(), OdCmEntityColor(1, 2, 3));
  EXPECT_EQ(ambient().color(), OdCmEntityColor(4, 5, 6));
  EXPECT_EQ(specular().color(), indexColor(5).entityColor());
  EXPECT_EQ(events, std::vector<int>{me::kEventSpecularChanged});

  OdCmColor read;
  ASSERT_TRUE(ambientRow->getValue(read));
  EXPECT_EQ(read.entityColor(), OdCmEntityColor(4, 5, 6));
  ASSERT_TRUE(diffuseRow->getValue(read));
  EXPECT_EQ(meui::colorText(read), L"1,2,3");
}

TEST_F(MaterialRows, TheBaseColourSourceHasNoValue)
{
  Source<meui::MeUiColorProperty> base(L"Generic.Diffuse");
  OdCmColor color = rgb(9, 9, 9);
  EXPECT_FALSE(base->getValue(color));
  EXPECT_FALSE(base->setValue(color));
  EXPECT_EQ(diffuse().color(), OdCmEntityColor()) << "nothing written";
  EXPECT_TRUE(base->isShown());
}

TEST_F(MaterialRows, ByLayerSampleIsTheCurrentLayersColour)
{
  Source<meui::MeUiDiffuseColorProperty> row(L"Generic.Diffuse");
  {
    OdDbLayerTableRecordPtr layer = db->getCLAYER().safeOpenObject(OdDb::kForWrite);
    layer->setColor(indexColor(3));
  }
  EXPECT_EQ(row->byLayerSample(), indexColor(3));
  host.closeDocument(host.currentDocument());
  EXPECT_EQ(row->byLayerSample().colorMethod(), OdCmEntityColor::kNone) << "no drawing, no layer";
}

TEST_F(MaterialRows, AValueReadsBackAsItWasWritten)
{
  // Every percent's way there and back: provider_tests, with the brightness.
  Source<meui::MeUiGlossinessProperty> row(L"Generic.Glossiness");
  row->setValue(35);
  EXPECT_DOUBLE_EQ(editor->glossiness(), 0.35);
  row->setValue(-40);
  EXPECT_DOUBLE_EQ(editor->glossiness(), 0.40) << "the magnitude";

  CXStringW text;
  ASSERT_TRUE(row->format(35, text));
  EXPECT_EQ(text, L"35%");
  EXPECT_TRUE(row->isShown()) << "in the grid whatever the mode";
  settings->setExtendedRegime(false);
  EXPECT_TRUE(row->isShown());
}

TEST_F(MaterialRows, TheMapRowNamesTheMapItsFileOrWhyItIsMissing)
{
  MenuCatcher row;
  CXStringW text;
  ASSERT_TRUE(row.getValue(text));
  EXPECT_EQ(text, L"No texture specified");

  TempDir folders;
  TempDir::write(folders / "maps" / "wood.png", "image");
  const OdString where = folders.od("maps/wood.png");
  editor->setDiffuseMapFile(where);
  ASSERT_TRUE(row.getValue(text));
  EXPECT_EQ(text, L"wood.png") << "without its folders";

  // Moved to a folder the host searches: the found file's name.
  const OdString gone = folders.od("old/stone.png");
  TempDir::write(folders / "library" / "stone.png", "image");
  host.addSearchPath(folders.od("library"));
  editor->setDiffuseMapFile(gone);
  ASSERT_TRUE(row.getValue(text));
  EXPECT_EQ(text, L"stone.png");

  const OdString nowhere = folders.od("old/lost.png");
  editor->setDiffuseMapFile(nowhere);
  ASSERT_TRUE(row.getValue(text));
  EXPECT_EQ(text, OdString(L"Unable to find texture file '") + nowhere + L"'") << "the stored name, in full";

  editor->setDiffuseMapFile(L"C:\\maps\\tiles.jpg");
  host.addSearchPath(folders.od("maps"));
  ASSERT_TRUE(row.getValue(text));
  EXPECT_EQ(text, L"Unable to find texture file 'C:\\maps\\tiles.jpg'");

  setDiffuseMap([] {
    MaterialMap map;
    map.setSource(kProcedural);
    map.setTexture(OdGiMarbleTexture::createObject());
    return map;
  }());
  ASSERT_TRUE(row.getValue(text));
  EXPECT_EQ(text, L"Marble");
  EXPECT_FALSE(row.setValue(L"typed.png")) << "read-only";
  EXPECT_FALSE(row.isEditable());
}

TEST_F(MaterialRows, RemoveAndEditAreGreyedUnlessTheMapCanBeUsed)
{
  const auto enabled = [](const std::vector<meui::MapMenuItem>& items) {
    std::vector<std::pair<unsigned, bool>> states;
    for (const auto& item : items)
      states.push_back({item.command, item.enabled});
    return states;
  };
  MenuCatcher row;
  ASSERT_TRUE(row.buttonAction());
  ASSERT_EQ(row.shown.size(), 1u);
  using State = std::vector<std::pair<unsigned, bool>>;
  EXPECT_EQ(enabled(row.shown[0]), (State{{1000, true}, {0, true}, {1001, false}, {1002, false}}));
  EXPECT_EQ(row.shown[0][0].text, L"Image...");
  EXPECT_EQ(row.shown[0][2].text, L"&Remove");
  EXPECT_EQ(row.shown[0][3].text, L"&Edit...");

  TempDir folders;
  TempDir::write(folders / "wood.png", "image");
  editor->setDiffuseMapFile(folders.od("wood.png"));
  row.buttonAction();
  EXPECT_EQ(enabled(row.shown[1]), (State{{1000, true}, {0, true}, {1001, true}, {1002, true}}));

  editor->setDiffuseMapFile(folders.od("missing.png"));
  row.buttonAction();
  EXPECT_EQ(enabled(row.shown[2]), (State{{1000, true}, {0, true}, {1001, false}, {1002, false}}))
    << "a file found nowhere is no usable map";
}

// The editor and the colour list tell a by-object colour by one rule, also
// when the host translates "by object" to nothing.
TEST_F(MaterialRows, ByObjectIsOneRuleForTheEditorAndTheList)
{
  for (const OdString& translation : {OdString(L"nach Objekt"), OdString()})
  {
    SCOPED_TRACE(translation.isEmpty() ? "empty translation" : "translated");
    host.setTranslation(L"by object", translation);
    kt.translations[L"by object"] = translation.c_str();
    Source<meui::MeUiDiffuseColorProperty> row(L"Generic.Diffuse");

    // An unnamed colour is no by-object colour, in the list either.
    row->setValue(indexColor(3));
    OdCmColor read;
    row->getValue(read);
    EXPECT_EQ(diffuse().method(), MaterialColor::kOverride);
    EXPECT_FALSE(meui::isByObject(read));
    meui::ColorList list = meui::colorList(read, {});
    EXPECT_EQ(list.selected, 2) << "index 3 is the third item, not by object";

    // The list's by-object item written by the row is by object to the
    // editor, and read back the list selects it.
    row->setValue(list.items.back().color);
    EXPECT_EQ(diffuse().method(), MaterialColor::kInherit);
    row->getValue(read);
    EXPECT_TRUE(meui::isByObject(read));
    list = meui::colorList(read, {});
    EXPECT_EQ(list.selected, int(list.items.size()) - 1);
    const OdCmColor byObject = meui::byObjectColor();
    EXPECT_FALSE(byObject.colorName().isEmpty());
    EXPECT_EQ(byObject.colorName(), read.colorName()) << "the same name on both sides";
  }
}

TEST_F(MaterialRows, AfterTheMaterialWasErasedTheMenuStillOpensAndWritesAreRefused)
{
  TempDir folders;
  TempDir::write(folders / "wood.png", "image");
  editor->setDiffuseMapFile(folders.od("wood.png"));
  OdDbMaterialPtr(material.safeOpenObject(OdDb::kForWrite))->erase();

  MenuCatcher row;
  ASSERT_TRUE(row.buttonAction());
  ASSERT_EQ(row.shown.size(), 1u);
  EXPECT_TRUE(row.shown[0][0].enabled) << "a new image can still be chosen";
  CXStringW text;
  EXPECT_TRUE(row.getValue(text)) << "the last map the editor read";
  EXPECT_EQ(text, L"wood.png");

  // The colour rows' writes reach the editor, which refuses the erased
  // material with an SDK error; the grid row turns that into a refusal.
  Source<meui::MeUiDiffuseColorProperty> colour(L"Generic.Diffuse");
  EXPECT_NE(errorCode([&] { colour->setValue(indexColor(2)); }), eOk);
}
