// The Texture editor's providers as the grid uses them: the factory's
// choice, the rows in order with their texts, the lock rules of position and
// scale, whole degrees, the choice lists, RGB colours red-lowest, values at
// the limits, and the reference cycle between rows and provider that the
// dialog must break for map editing to end.
#include "FakeHostServices.h"
#include "core/editor/EditorFixture.h"

#include "core/IMeSettingsStorage.h"
#include "core/MeStrings.h"
#include "ui/properties/MeUiGlossinessProperty.h"
#include "ui/properties/MeUiTexturePropertiesProvider.h"
#include "ui/properties/MeUiWholeNumbers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using meui::MeUiTexturePropertiesProvider;

// Every row's label, in order.
std::vector<OdString> labelsOf(const MeUiTexturePropertiesProvider& provider)
{
  std::vector<OdString> labels;
  for (IKtEditableProperty* row : provider.rows())
    labels.push_back(row->GetName());
  return labels;
}

const std::vector<OdString> kFileRows = {
  L"Image.Browse image", L"Image.Brightness",  L"Position.Lock offset",    L"Position.X",
  L"Position.Y",         L"Position.Rotation", L"Scale.Lock aspect ratio", L"Scale.Width",
  L"Scale.Height",       L"Repeat.Horizontal", L"Repeat.Vertical",         L"Projection.Type"};

// A material whose diffuse map is open in the material editor, a provider
// over it with its rows built, and the rows reached by label as the grid
// reaches them.
class ProviderTest : public EditorTest
{
protected:
  void SetUp() override
  {
    EditorTest::SetUp();
    settings = me::settingsService();
    ASSERT_NE(settings, nullptr);
    settings->setLockPositionAxis(false);
    settings->setLockSampleSize(false);
  }
  void TearDown() override
  {
    if (provider)
    {
      provider->releaseRows();
      provider->Release();
    }
    editor->removeReactor(&reactor);
  }

  void openWith(const MaterialMap& map)
  {
    id = addMaterial(L"Edited", [&](OdDbMaterial& m) { m.setDiffuse(byColor(5, 5, 5), map); });
    editor->open(id);
    editor->addReactor(&reactor);
    provider = meui::createTexturePropertiesProvider(editor->editDiffuseMap());
    if (provider)
      provider->buildRows();
  }
  void openFile(const OdString& path) { openWith(fileMap(path)); }
  meui::MeUiFileTexturePropertiesProvider& file()
  {
    return *dynamic_cast<meui::MeUiFileTexturePropertiesProvider*>(provider);
  }

  IKtEditableProperty* row(const OdString& label)
  {
    for (IKtEditableProperty* candidate : provider->rows())
      if (candidate->GetName() == label)
        return candidate;
    ADD_FAILURE() << "no row " << label;
    return nullptr;
  }
  OdString text(const OdString& label)
  {
    CXStringW shown;
    IKtEditableProperty* r = row(label);
    return r && r->GetText(shown) ? shown : OdString(L"<none>");
  }
  // The text typed into the row; the message of a refusal.
  bool enter(const OdString& label, const OdString& typed, OdString* message = nullptr)
  {
    CXStringW why;
    IKtEditableProperty* r = row(label);
    const bool written = r && r->SetText(typed, why);
    if (message)
      *message = why;
    return written;
  }
  OdGeVector3d offset() const
  {
    OdGeVector3d v;
    const_cast<ProviderTest*>(this)->file().editor().offset(v);
    return v;
  }
  OdGeVector3d scale()
  {
    OdGeVector3d v;
    file().editor().scale(v);
    return v;
  }
  MaterialMap storedMap() { return diffuseMapOf(id); }

  FakeHostServices services;
  me::IMeSettingsStorage* settings = nullptr;
  RecordingReactor reactor;
  OdDbObjectId id;
  MeUiTexturePropertiesProvider* provider = nullptr;
};
} // namespace

TEST_F(ProviderTest, TheFactoryChoosesBySourceAndTexture)
{
  openFile(L"tiles.png");
  ASSERT_NE(dynamic_cast<meui::MeUiFileTexturePropertiesProvider*>(provider), nullptr);
  EXPECT_EQ(labelsOf(*provider), kFileRows) << "an existing or unknown file: browse, no found row";

  void* out = nullptr;
  EXPECT_FALSE(provider->QueryInterface(typeid(IKtEditableProperty), &out));
  EXPECT_FALSE(provider->QueryInterface(typeid(IKtConnectionPoint<IKtEditablePropertySink>), &out));

  MaterialMap scene;
  scene.setSource(kScene);
  auto* sceneProvider = meui::createTexturePropertiesProvider(scene);
  ASSERT_NE(dynamic_cast<meui::MeUiSceneTexturePropertiesProvider*>(sceneProvider), nullptr);
  sceneProvider->buildRows();
  EXPECT_TRUE(sceneProvider->rows().empty());
  EXPECT_EQ(sceneProvider->Release(), 0u);

  MaterialMap marble = proceduralMap(OdGiMarbleTexture::createObject());
  auto* marbleProvider = meui::createTexturePropertiesProvider(marble);
  ASSERT_NE(marbleProvider, nullptr);
  marbleProvider->buildRows();
  EXPECT_EQ(labelsOf(*marbleProvider), (std::vector<OdString>{L"Appearance.Stone Color", L"Appearance.Vein Color",
                                                              L"Appearance.Vein Spacing", L"Appearance.Vein Width"}));
  marbleProvider->releaseRows();
  EXPECT_EQ(marbleProvider->Release(), 0u);

  MaterialMap wood = proceduralMap(OdGiWoodTexture::createObject());
  auto* woodProvider = meui::createTexturePropertiesProvider(wood);
  ASSERT_NE(woodProvider, nullptr);
  woodProvider->buildRows();
  EXPECT_EQ(labelsOf(*woodProvider),
            (std::vector<OdString>{L"Appearance.Color 1", L"Appearance.Color 2", L"Appearance.Radial Noise",
                                   L"Appearance.Axial Noise", L"Appearance.Grain Thickness"}));
  woodProvider->releaseRows();
  woodProvider->Release();

  MaterialMap generic = proceduralMap(OdGiGenericTexture::createObject());
  EXPECT_EQ(meui::createTexturePropertiesProvider(generic), nullptr) << "other procedural textures: an empty grid";
  MaterialMap empty = proceduralMap(OdGiMaterialTexturePtr());
  EXPECT_EQ(meui::createTexturePropertiesProvider(empty), nullptr);
  MaterialMap odd;
  odd.setSource(MapSource(7));
  EXPECT_EQ(meui::createTexturePropertiesProvider(odd), nullptr);
}

TEST_F(ProviderTest, AMovedFileShowsWhereItWasSavedAndWhereItIsFound)
{
  TempDir folder;
  TempDir::write(folder / "brick.png", "image");
  host.addSearchPath(TempDir::toOd(folder.path()));
  const OdString stored = TempDir::toOd(folder.path() / "old" / "brick.png");
  openFile(stored);
  std::vector<OdString> expected = kFileRows;
  expected[0] = L"Image.Saved at";
  expected.insert(expected.begin() + 1, L"Image.Found at");
  EXPECT_EQ(labelsOf(*provider), expected) << "13 rows, the found one above the brightness";
  EXPECT_EQ(text(L"Image.Saved at"), stored);
  EXPECT_EQ(text(L"Image.Found at"), folder.od("brick.png"));
  EXPECT_FALSE(row(L"Image.Found at")->CanChange()) << "no button, no setter";
  EXPECT_TRUE(row(L"Image.Saved at")->CanChange()) << "its button browses";
}

TEST_F(ProviderTest, BrowsingOffersTheImageFilterAndACancelChangesNothing)
{
  openFile(L"tiles.png");
  EXPECT_TRUE(file().browseImage()) << "cancelled";
  EXPECT_EQ(storedMap().sourceFileName(), OdString(L"tiles.png"));
  ASSERT_EQ(host.fileDialogFilters.size(), 1u);
  EXPECT_EQ(host.fileDialogFilters[0], me::loadString(103));
  EXPECT_EQ(me::loadString(103),
            OdString(L"Image (*.jpg;*.jpeg;*.tiff;*.tif;*.bmp;*.png)|*.jpg;*.jpeg;*.tiff;*.tif;*.bmp;*.png|"));

  host.queueFile(L"C:\\maps\\stone.jpg");
  EXPECT_TRUE(file().browseImage());
  EXPECT_EQ(storedMap().sourceFileName(), OdString(L"C:\\maps\\stone.jpg"));
  EXPECT_EQ(text(L"Image.Browse image"), OdString(L"C:\\maps\\stone.jpg"));
}

TEST_F(ProviderTest, TheLockedOffsetMovesAlongTheDiagonalAndSwitchingItOnTakesTheLarger)
{
  openFile(L"tiles.png");
  settings->setLockPositionAxis(true);
  EXPECT_EQ(text(L"Position.Lock offset"), OdString(L"Yes"));
  ASSERT_TRUE(enter(L"Position.X", L"5"));
  EXPECT_EQ(offset(), OdGeVector3d(5, 5, 0));
  ASSERT_TRUE(enter(L"Position.Y", L"-3"));
  EXPECT_EQ(offset(), OdGeVector3d(-3, -3, 0));

  ASSERT_TRUE(enter(L"Position.Lock offset", L"No"));
  EXPECT_FALSE(settings->lockPositionAxis());
  ASSERT_TRUE(enter(L"Position.X", L"2"));
  ASSERT_TRUE(enter(L"Position.Y", L"7"));
  EXPECT_EQ(offset(), OdGeVector3d(2, 7, 0));
  ASSERT_TRUE(enter(L"Position.Lock offset", L"Yes"));
  EXPECT_TRUE(settings->lockPositionAxis());
  EXPECT_EQ(offset(), OdGeVector3d(7, 7, 0));
  EXPECT_EQ(text(L"Position.X"), text(L"Position.Y"));
  ASSERT_TRUE(enter(L"Position.Lock offset", L"0"));
  EXPECT_EQ(offset(), OdGeVector3d(7, 7, 0)) << "switching off keeps the offset";
  EXPECT_EQ(storedMap(), file().editor().map()) << "every change reached the material";
}

TEST_F(ProviderTest, TheLockedAspectRatioScalesTheOtherSideInOneWrite)
{
  openFile(L"tiles.png");
  ASSERT_TRUE(enter(L"Scale.Width", L"2"));
  EXPECT_EQ(scale().x, 2.0);
  EXPECT_EQ(scale().y, 1.0) << "unlocked, the other side stays";
  settings->setLockSampleSize(true);
  const std::size_t writes = reactor.count();
  ASSERT_TRUE(enter(L"Scale.Width", L"4"));
  EXPECT_EQ(scale().x, 4.0);
  EXPECT_EQ(scale().y, 2.0);
  EXPECT_EQ(reactor.count(), writes + 1) << "one write for both sides";
  ASSERT_TRUE(enter(L"Scale.Height", L"3"));
  EXPECT_EQ(scale().x, 6.0);
  EXPECT_EQ(scale().y, 3.0);

  // -1 is refused by the range; sizes the map cannot be drawn at (0 and a
  // tiny positive one among them), and positions that would take it out of
  // finite numbers, by their own message.
  const std::size_t before = reactor.count();
  OdString message;
  EXPECT_FALSE(enter(L"Scale.Height", L"-1", &message));
  EXPECT_EQ(message, OdString(L"Value must be more ") + services.realToText(0.0));
  for (const wchar_t* size : {L"0", L"1e-320", L"1e-7", L"2e9"})
  {
    message.empty();
    EXPECT_FALSE(enter(L"Scale.Width", size, &message)) << OdString(size);
    EXPECT_EQ(message, L"The map cannot be drawn at this size.");
  }
  EXPECT_EQ(scale().x, 6.0);
  EXPECT_EQ(scale().y, 3.0);
  EXPECT_EQ(reactor.count(), before);
}

TEST_F(ProviderTest, RotationReadsBackInWholeDegreesAsWritten)
{
  openFile(L"tiles.png");
  ASSERT_TRUE(enter(L"Position.Rotation", L"30"));
  EXPECT_EQ(text(L"Position.Rotation"), OdString(L"30\u00B0")) << "not 29 from the composed matrix";
  for (int degrees : {1, 7, 45, 89, 90, 179, 271, 359})
  {
    file().setRotation(degrees);
    int shown = -1;
    ASSERT_TRUE(file().rotation(shown));
    EXPECT_EQ(shown, degrees);
  }
  file().editor().setRotation(OdGeVector3d(0, 0, 359.9));
  EXPECT_EQ(text(L"Position.Rotation"), OdString(L"359\u00B0"));
  file().editor().setRotation(OdGeVector3d(0, 0, 29.9999));
  EXPECT_EQ(text(L"Position.Rotation"), OdString(L"29\u00B0")) << "the tolerance is 1e-9, not a rounding";
  EXPECT_EQ(meui::wholeDegrees(std::nan("")), 0);
  EXPECT_EQ(meui::wholeDegrees(-0.5 * 3.141592653589793), -90);
}

// Every percent row (the Texture editor's brightness, the Material editor's
// glossiness) shows what it wrote: 29 % is stored as 0.29, which is 28.999...
// times 100, and going from 29 to 28 must write.
TEST_F(ProviderTest, EveryPercentWrittenThroughAPercentRowReadsBackAsItself)
{
  openFile(L"tiles.png");
  meui::MeUiGlossinessProperty* glossiness = new meui::MeUiGlossinessProperty(L"Generic.Glossiness");
  IKtEditableProperty* glossinessRow = nullptr;
  glossiness->createEditableProperty(glossinessRow);
  ASSERT_NE(glossinessRow, nullptr);
  struct PercentRow
  {
    IKtEditableProperty* row;
    std::function<double()> stored;
  };
  const PercentRow rows[] = {{row(L"Image.Brightness"), [&] { return file().editor().brightness(); }},
                             {glossinessRow, [&] { return editor->glossiness(); }}};
  for (const PercentRow& percentRow : rows)
  {
    SCOPED_TRACE(percentRow.row->GetName().toUtf8());
    for (int pass = 0; pass < 2; ++pass)
      for (int i = 0; i <= 100; ++i)
      {
        const int percent = pass == 0 ? 100 - i : i;
        CXStringW why;
        ASSERT_TRUE(percentRow.row->SetText(CXStringW::format(L"%d", percent), why));
        ASSERT_EQ(percentRow.stored(), percent * 0.01) << percent;
        CXStringW shown;
        ASSERT_TRUE(percentRow.row->GetText(shown));
        ASSERT_EQ(shown, CXStringW::format(L"%d%%", percent));
      }
  }
  // Truncated, not rounded; a percent picked over a value that only shows as
  // it writes it as picked.
  file().editor().setBrightness(0.999);
  EXPECT_EQ(text(L"Image.Brightness"), OdString(L"99%"));
  file().editor().setBrightness(0.355);
  EXPECT_EQ(text(L"Image.Brightness"), OdString(L"35%"));
  ASSERT_TRUE(enter(L"Image.Brightness", L"35"));
  EXPECT_EQ(file().editor().brightness(), 35 * 0.01);
  glossinessRow->Release();
  glossiness->Release();
}

TEST_F(ProviderTest, RepeatAndProjectionListTheSettingsTablesInCodeOrder)
{
  openFile(L"tiles.png");
  std::vector<CXStringW> tilings, projections;
  ASSERT_TRUE(file().tilingChoices(tilings));
  EXPECT_EQ(tilings, (std::vector<CXStringW>{L"Tile", L"None", L"Clamp", L"Mirror"}));
  ASSERT_TRUE(file().projectionChoices(projections));
  EXPECT_EQ(projections,
            (std::vector<CXStringW>{L"Inherit projection", L"Planar", L"Cubic", L"Cylindrical", L"Spherical"}));

  ASSERT_TRUE(enter(L"Repeat.Horizontal", L"Mirror"));
  ASSERT_TRUE(enter(L"Repeat.Vertical", L"Clamp"));
  ASSERT_TRUE(enter(L"Projection.Type", L"Cylindrical"));
  EXPECT_EQ(storedMap().mapper().uTiling(), MapMapper::kMirror);
  EXPECT_EQ(storedMap().mapper().vTiling(), MapMapper::kClamp);
  EXPECT_EQ(storedMap().mapper().projection(), MapMapper::kCylinder);
  EXPECT_EQ(text(L"Repeat.Horizontal"), OdString(L"Mirror"));
  EXPECT_EQ(text(L"Projection.Type"), OdString(L"Cylindrical"));

  // Texts naming no entry: the settings' fallbacks (tile, spherical).
  ASSERT_TRUE(enter(L"Repeat.Horizontal", L"Sideways"));
  EXPECT_EQ(storedMap().mapper().uTiling(), MapMapper::kTile);
  ASSERT_TRUE(enter(L"Projection.Type", L"Conical"));
  EXPECT_EQ(text(L"Projection.Type"), OdString(L"Spherical"));
}

TEST_F(ProviderTest, ValuesAtTheLimitsAreTakenOrRefusedWithTheDrawingUnchanged)
{
  openFile(L"tiles.png");
  ASSERT_TRUE(enter(L"Position.X", L"2147483647"));
  EXPECT_EQ(offset().x, 2147483647.0);
  ASSERT_TRUE(enter(L"Position.X", L"-2147483647"));
  EXPECT_EQ(offset().x, -2147483647.0);

  const MaterialMap before = storedMap();
  const std::size_t writes = reactor.count();
  OdString message;
  EXPECT_FALSE(enter(L"Position.Y", L"1e308", &message));
  EXPECT_NE(message.find(L"Value must be more"), -1) << message;
  EXPECT_FALSE(enter(L"Scale.Width", L"1e308", &message));
  EXPECT_FALSE(enter(L"Position.X", L"abc", &message));
  EXPECT_EQ(message, OdString(L"Invalid expression: abc"));
  EXPECT_FALSE(enter(L"Scale.Height", L"1/0", &message));
  EXPECT_FALSE(message.isEmpty());
  EXPECT_FALSE(enter(L"Position.X", L"", &message)) << "an empty text is refused";
  EXPECT_TRUE(message.isEmpty()) << "without a message";
  EXPECT_EQ(storedMap(), before);
  EXPECT_EQ(reactor.count(), writes);

  ASSERT_TRUE(enter(L"Scale.Width", L"2*3")) << "through the host's evaluator";
  EXPECT_EQ(scale().x, 6.0);
}

TEST_F(ProviderTest, MarbleAndWoodColoursTravelRedLowest)
{
  openWith(proceduralMap(OdGiMarbleTexture::createObject()));
  auto* marble = dynamic_cast<meui::MeUiMarbleTexturePropertiesProvider*>(provider);
  ASSERT_NE(marble, nullptr);
  auto* stone = dynamic_cast<IKtEditablePropertyCombine<OdUInt32>*>(row(L"Appearance.Stone Color"));
  ASSERT_NE(stone, nullptr);
  ASSERT_TRUE(stone->PutValue(0x0000FF));
  EXPECT_EQ(text(L"Appearance.Stone Color"), OdString(L"RGB(255,0,0)"));
  const OdGiMarbleTexturePtr stored = OdGiMarbleTexture::cast(storedMap().texture());
  ASSERT_FALSE(stored.isNull());
  EXPECT_EQ(stored->stoneColor().color().red(), 255);
  EXPECT_EQ(stored->stoneColor().color().blue(), 0);
  ASSERT_TRUE(enter(L"Appearance.Vein Spacing", L"12.5"));
  EXPECT_EQ(OdGiMarbleTexture::cast(storedMap().texture())->veinSpacing(), 12.5);
  OdString message;
  EXPECT_FALSE(enter(L"Appearance.Vein Width", L"150", &message));
  EXPECT_NE(message.find(L"Value must be between"), -1) << message;
  EXPECT_EQ(meui::rgbOf(byColor(1, 2, 3)), 0x030201u);
}

TEST_F(ProviderTest, WoodRowsWriteTheirParameters)
{
  openWith(proceduralMap(OdGiWoodTexture::createObject()));
  auto* color2 = dynamic_cast<IKtEditablePropertyCombine<OdUInt32>*>(row(L"Appearance.Color 2"));
  ASSERT_NE(color2, nullptr);
  ASSERT_TRUE(color2->PutValue(0x00FF8000));
  EXPECT_EQ(text(L"Appearance.Color 2"), OdString(L"RGB(0,128,255)"));
  ASSERT_TRUE(enter(L"Appearance.Grain Thickness", L"0.5"));
  ASSERT_TRUE(enter(L"Appearance.Radial Noise", L"2"));
  ASSERT_TRUE(enter(L"Appearance.Axial Noise", L"3"));
  const OdGiWoodTexturePtr stored = OdGiWoodTexture::cast(storedMap().texture());
  EXPECT_EQ(stored->grainThickness(), 0.5);
  EXPECT_EQ(stored->radialNoise(), 2.0);
  EXPECT_EQ(stored->axialNoise(), 3.0);
  EXPECT_EQ(stored->color2().color().blue(), 255);
}

TEST_F(ProviderTest, MapEditingEndsOnlyWhenTheRowsGoBeforeTheProvider)
{
  openFile(L"tiles.png");
  // As the grid does: a reference of its own to every row.
  std::vector<IKtEditableProperty*> grid = provider->rows();
  for (IKtEditableProperty* r : grid)
    r->AddRef();
  MaterialMap& record = editor->editDiffuseMap();

  // Letting the provider go while the rows still hold it ends nothing.
  provider->AddRef();
  provider->Release();
  record.setBlendFactor(0.5);
  editor->commitEditedMap();
  EXPECT_EQ(storedMap().blendFactor(), 0.5) << "still editing: the cycle keeps the editor alive";

  // The dialog's close: the grid empties, the provider lets its rows go, then itself.
  for (IKtEditableProperty* r : grid)
    r->Release();
  provider->releaseRows();
  EXPECT_EQ(provider->Release(), 0u);
  provider = nullptr;
  record.setBlendFactor(0.25);
  editor->commitEditedMap();
  EXPECT_EQ(storedMap().blendFactor(), 0.5) << "map editing ended with the provider";
}
