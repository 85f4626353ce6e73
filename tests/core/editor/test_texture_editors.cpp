#include "EditorFixture.h"

#include "core/IMeSettingsStorage.h"
#include "core/MeProceduralTextureEditors.h"
#include "core/MeTextureEditors.h"

#include <cmath>
#include <limits>
#include <memory>

namespace
{
const double kPi = std::acos(-1.0);
const double kInfinity = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// An image in the diffuse channel, open in the editor, a file texture editor
// over that map and a reactor counting the writes.
class FileTextureTest : public EditorTest
{
protected:
  void SetUp() override
  {
    EditorTest::SetUp();
    id = addMaterial(L"Tiles", [](OdDbMaterial& m) { m.setDiffuse(byColor(5, 5, 5), fileMap(L"tiles.png")); });
    editor->open(id);
    editor->addReactor(&reactor);
    texture = std::make_unique<me::MeFileTextureEditor>(editor->editDiffuseMap());
    settings = me::settingsService();
    ASSERT_NE(settings, nullptr);
  }
  void TearDown() override { editor->removeReactor(&reactor); }

  OdGeVector3d offset() const { return vectorOf(&me::MeFileTextureEditor::offset); }
  OdGeVector3d scale() const { return vectorOf(&me::MeFileTextureEditor::scale); }
  double rotation() const { return vectorOf(&me::MeFileTextureEditor::rotation).z; }
  OdGeVector3d vectorOf(void (me::MeFileTextureEditor::*getter)(OdGeVector3d&) const) const
  {
    OdGeVector3d v;
    (texture.get()->*getter)(v);
    return v;
  }
  void expectXY(const OdGeVector3d& v, double x, double y) const
  {
    EXPECT_NEAR(v.x, x, 1e-12);
    EXPECT_NEAR(v.y, y, 1e-12);
  }
  const OdGeMatrix3d& transform() const { return texture->map().mapper().transform(); }

  OdDbObjectId id;
  RecordingReactor reactor;
  std::unique_ptr<me::MeFileTextureEditor> texture;
  me::IMeSettingsStorage* settings = nullptr;
};
} // namespace

TEST_F(FileTextureTest, RotationsComposedAndDecomposedComeBack)
{
  EXPECT_EQ(offset(), OdGeVector3d(0, 0, 0));
  EXPECT_EQ(scale(), OdGeVector3d(1, 1, 1));
  EXPECT_EQ(rotation(), 0.0);

  texture->setScale(OdGeVector3d(2.0, 0.5, 1.0));
  texture->setOffset(OdGeVector3d(1.5, -4.0, 0.0));
  for (double degrees : {0.0, 45.0, 90.0, 180.0, 270.0, 359.0})
  {
    SCOPED_TRACE(degrees);
    texture->setRotation(OdGeVector3d(0.0, 0.0, degrees));
    EXPECT_NEAR(rotation(), degrees * kPi / 180.0, 1e-12);
    expectXY(offset(), 1.5, -4.0);
    expectXY(scale(), 2.0, 0.5);
    // Past half a turn the angle is told apart by the sign of M[0][1].
    EXPECT_EQ(transform()(0, 1) > 0.0, degrees > 180.0);
  }
  EXPECT_EQ(diffuseMapOf(id).mapper().transform(), transform());
}

// A drawing may hold a transform that cannot be drawn (read from a file):
// its parameters read as the identity's, as the renderer draws it, and the
// next value set replaces it with one that can.
TEST_F(FileTextureTest, AnUndrawableTransformReadsAsTheIdentityAndZIsNeverWritten)
{
  OdGeMatrix3d infinite = OdGeMatrix3d::translation(OdGeVector3d(3.0, 0.0, 5.0));
  infinite(0, 0) = kInfinity;
  infinite(1, 0) = kNaN;
  OdGeMatrix3d flat = OdGeMatrix3d::scaling(OdGeVector3d(0.0, 0.0, 1.0));
  OdGeMatrix3d beyondFloats = OdGeMatrix3d::scaling(OdGeVector3d(1e300, 1.0, 1.0));
  for (const OdGeMatrix3d& m : {infinite, flat, beyondFloats})
  {
    texture->map().mapper().setTransform(m);
    EXPECT_EQ(scale(), OdGeVector3d(1.0, 1.0, 1.0));
    EXPECT_EQ(offset(), OdGeVector3d(0.0, 0.0, 0.0));
    EXPECT_EQ(rotation(), 0.0);
  }
  texture->setWidth(4.0);
  EXPECT_TRUE(isDrawableMapTransform(transform()));
  expectXY(scale(), 4.0, settings->lockSampleSize() ? 4.0 : 1.0);

  OdGeMatrix3d m = OdGeMatrix3d::translation(OdGeVector3d(3.0, 0.0, 5.0));
  texture->map().mapper().setTransform(m);
  EXPECT_EQ(offset().z, 5.0); // carried while reading ...
  texture->setScale(OdGeVector3d(2.0, 2.0, 1.0));
  EXPECT_EQ(transform()(2, 3), 0.0); // ... but never written
  texture->setOffset(OdGeVector3d(1.0, 2.0, 9.0));
  EXPECT_EQ(offset(), OdGeVector3d(1.0, 2.0, 0.0));
}

TEST_F(FileTextureTest, BadNumbersAreRefusedOrIgnoredAndWriteNothing)
{
  texture->setScale(OdGeVector3d(2.0, 1.0, 1.0));
  const OdGeMatrix3d before = transform();
  const std::size_t writes = reactor.count();
  EXPECT_THROW(texture->setOffset(OdGeVector3d(kNaN, 0.0, 0.0)), OdError);
  EXPECT_THROW(texture->setScale(OdGeVector3d(1.0, kInfinity, 1.0)), OdError);
  EXPECT_THROW(texture->setScale(OdGeVector3d(0.0, 1.0, 1.0)), OdError);
  EXPECT_THROW(texture->setRotation(OdGeVector3d(0.0, 0.0, kNaN)), OdError);
  EXPECT_THROW(texture->setBrightness(kInfinity), OdError);
  // The rows' setters ignore what the map cannot be drawn with: sizes out of
  // [1e-6, 1e9] (a tiny positive one too), positions beyond finite numbers.
  for (double bad : {0.0, -1.0, 1e-320, 1e-7, 2e9, kNaN, kInfinity})
  {
    texture->setWidth(bad);
    texture->setHeight(bad);
  }
  texture->setPositionX(kNaN);
  texture->setPositionY(1e300);
  EXPECT_EQ(transform(), before);
  EXPECT_EQ(texture->brightness(), 1.0);
  EXPECT_EQ(reactor.count(), writes);
}

TEST_F(FileTextureTest, LockedAspectRatioScalesTheOtherSideAlong)
{
  texture->setLockAspectRatio(false);
  texture->setScale(OdGeVector3d(2.0, 1.0, 1.0));
  texture->setLockAspectRatio(true);
  EXPECT_TRUE(settings->lockSampleSize());
  const std::size_t writes = reactor.count(); // the lock alone writes nothing

  texture->setWidth(4.0);
  expectXY(scale(), 4.0, 2.0);
  texture->setHeight(3.0);
  expectXY(scale(), 6.0, 3.0);
  EXPECT_EQ(reactor.count(), writes + 2);

  texture->setLockAspectRatio(false);
  EXPECT_FALSE(settings->lockSampleSize());
  texture->setWidth(1.0);
  expectXY(scale(), 1.0, 3.0);
}

TEST_F(FileTextureTest, LockedOffsetMovesAlongTheDiagonal)
{
  texture->setLockOffset(false);
  texture->setOffset(OdGeVector3d(2.0, 7.0, 0.0));
  texture->setPositionX(5.0);
  expectXY(offset(), 5.0, 7.0);

  // Turning the lock on takes the larger value for both.
  texture->setOffset(OdGeVector3d(2.0, 7.0, 0.0));
  texture->setLockOffset(true);
  EXPECT_TRUE(settings->lockPositionAxis());
  expectXY(offset(), 7.0, 7.0);
  texture->setOffset(OdGeVector3d(9.0, -1.0, 0.0));
  texture->setLockOffset(true);
  expectXY(offset(), 9.0, 9.0);

  const std::size_t writes = reactor.count();
  texture->setLockOffset(true); // the two equal already: nothing to write
  texture->setPositionX(5.0);
  expectXY(offset(), 5.0, 5.0);
  texture->setPositionY(-2.0);
  expectXY(offset(), -2.0, -2.0);
  texture->setLockOffset(false); // keeps the offset, writes nothing
  EXPECT_FALSE(settings->lockPositionAxis());
  expectXY(offset(), -2.0, -2.0);
  EXPECT_EQ(reactor.count(), writes + 2);
}

TEST_F(FileTextureTest, SettersWriteTheMapAndTheEndOfEditingStopsThat)
{
  texture->setBrightness(0.25);
  texture->setProjection(MapMapper::kSphere);
  texture->setHorizontalTiling(MapMapper::kMirror);
  texture->setVerticalTiling(MapMapper::kClamp);
  texture->map().setSource(kScene);
  texture->setFileName(L"other.png");
  EXPECT_EQ(reactor.count(), 5u);
  EXPECT_EQ(diffuseMapOf(id), texture->map());
  EXPECT_EQ(diffuseMapOf(id).source(), kFile);
  EXPECT_EQ(texture->mapText(), OdString(L"other.png"));

  // Once the editor is gone, changes of the record stay in the record.
  MaterialMap& diffuse = texture->map();
  texture.reset();
  diffuse.setSourceFileName(L"unsaved.png");
  editor->commitEditedMap();
  me::MeFileTextureEditor bumpEditor(editor->editBumpMap());
  bumpEditor.endEditing();
  bumpEditor.setFileName(L"unsaved.png");
  EXPECT_EQ(diffuseMapOf(id).sourceFileName(), OdString(L"other.png"));
  EXPECT_TRUE(bumpEditor.map().sourceFileName().isEmpty()) << "an ended editor changes not even the record";
  MaterialMap bump;
  read(id)->bump(bump);
  EXPECT_TRUE(bump.sourceFileName().isEmpty());
  EXPECT_EQ(reactor.count(), 5u);

  // An editor ended when its dialog went, but destroyed only later (a row
  // of it still ran), leaves a newer editor of the same map editing.
  auto old = std::make_unique<me::MeFileTextureEditor>(editor->editDiffuseMap());
  old->endEditing();
  me::MeFileTextureEditor newer(editor->editDiffuseMap());
  old.reset();
  newer.setProjection(MapMapper::kCylinder);
  EXPECT_EQ(diffuseMapOf(id).mapper().projection(), MapMapper::kCylinder);
}

TEST_F(FileTextureTest, FoundElsewhereOnlyWhenTheStoredPathIsGone)
{
  TempDir folder;
  TempDir::write(folder / "here.png", "image");
  host.addSearchPath(TempDir::toOd(folder.path()));
  texture->setFileName(folder.od("here.png"));
  EXPECT_FALSE(texture->isFoundElsewhere());
  texture->setFileName(folder.od("nowhere.png"));
  EXPECT_FALSE(texture->isFoundElsewhere());
  EXPECT_TRUE(texture->foundAtPath().isEmpty());
  // Saved in a folder that is gone; the search finds the name.
  texture->setFileName(folder.od("gone/here.png"));
  EXPECT_TRUE(texture->isFoundElsewhere());
  EXPECT_EQ(texture->foundAtPath(), folder.od("here.png"));
  // A relative name is the drawing's own: beside it, the file is where it
  // was saved; found under another folder, it moved.
  TempDir::write(folder / "maps" / "tile.png", "image");
  db->setDatabaseFileName(folder.od("plan.dxf"));
  texture->setFileName(L"maps/tile.png");
  EXPECT_FALSE(texture->isFoundElsewhere());
  texture->setFileName(L"old/here.png");
  EXPECT_TRUE(texture->isFoundElsewhere());
}

namespace
{
class ProceduralTextureTest : public EditorTest
{
protected:
  // A material whose diffuse map holds the texture, open and being edited.
  MaterialMap& editMapWith(const OdGiMaterialTexturePtr& texture)
  {
    id = addMaterial(L"Stone", [&](OdDbMaterial& m) { m.setDiffuse(byColor(5, 5, 5), proceduralMap(texture)); });
    editor->open(id);
    return editor->editDiffuseMap();
  }
  OdGiMaterialTexturePtr storedTexture() { return diffuseMapOf(id).texture(); }

  OdDbObjectId id;
};
} // namespace

TEST_F(ProceduralTextureTest, AnEditorOfTheWrongKindFailsAtConstruction)
{
  MaterialMap& map = editMapWith(OdGiMarbleTexture::createObject());
  expectWrongClass([&] { me::MeWoodProceduralTextureEditor wood(map); }, OdGiMarbleTexture::desc(),
                   OdGiWoodTexture::desc());
  // The failed editor did not end the editing of the map.
  me::MeMarbleProceduralTextureEditor marble(map);
  marble.setVeinWidth(0.125);
  EXPECT_EQ(OdGiMarbleTexturePtr(storedTexture())->veinWidth(), 0.125);

  // No texture at all: the editor exists, its operations report an error.
  MaterialMap empty = proceduralMap(nullptr);
  me::MeWoodProceduralTextureEditor woodOfNothing(empty);
  EXPECT_THROW(woodOfNothing.setRadialNoise(0.5), OdError);
}

TEST_F(ProceduralTextureTest, EditorsShareTheMapsTextureAndWriteItThrough)
{
  MaterialMap& map = editMapWith(OdGiWoodTexture::createObject());
  RecordingReactor reactor;
  editor->addReactor(&reactor);
  me::MeWoodProceduralTextureEditor first(map);
  me::MeWoodProceduralTextureEditor second(map);
  first.setGrainThickness(0.75);
  EXPECT_EQ(second.grainThickness(), 0.75);
  second.setColor2(byColor(1, 2, 3));
  EXPECT_EQ(first.color2(), byColor(1, 2, 3));

  // The material holds its own copy, which each setter has brought up to date.
  OdGiWoodTexturePtr stored = storedTexture();
  EXPECT_NE(stored.get(), first.texture().get());
  EXPECT_EQ(stored->grainThickness(), 0.75);
  EXPECT_EQ(stored->color2(), byColor(1, 2, 3));
  EXPECT_EQ(reactor.count(), 2u);
  editor->removeReactor(&reactor);
}

TEST_F(ProceduralTextureTest, ScreenColoursBecomeTrueColoursByColour)
{
  me::MeMarbleProceduralTextureEditor marble(editMapWith(OdGiMarbleTexture::createObject()));
  marble.setStoneColor(0xFF0000FFul); // red in the low byte, junk in the top one
  marble.setVeinColor(0x00302010ul);
  const MaterialColor stone = OdGiMarbleTexturePtr(storedTexture())->stoneColor();
  EXPECT_EQ(stone.method(), MaterialColor::kOverride);
  EXPECT_EQ(stone.factor(), 1.0);
  EXPECT_EQ(stone.color(), OdCmEntityColor(255, 0, 0));
  EXPECT_EQ(OdGiMarbleTexturePtr(storedTexture())->veinColor().color(), OdCmEntityColor(0x10, 0x20, 0x30));
}

// The material is held open for write elsewhere when a setter applies: the
// texture goes back to what the drawing holds, and the editor, still on the
// map's own texture object, writes its next change through.
TEST_F(ProceduralTextureTest, ARefusedApplyPutsTheTextureBackAndTheEditorStaysOnIt)
{
  OdGiMarbleTexturePtr original = OdGiMarbleTexture::createObject();
  original->setVeinSpacing(2.0);
  MaterialMap& map = editMapWith(original);
  me::MeMarbleProceduralTextureEditor marble(map);
  {
    OdDbObjectPtr held = id.safeOpenObject(OdDb::kForWrite);
    EXPECT_EQ(errorCode([&] { marble.setVeinSpacing(5.0); }), eWasOpenedForWrite);
  }
  EXPECT_EQ(marble.veinSpacing(), 2.0);
  EXPECT_EQ(map.texture().get(), marble.texture().get());

  marble.setVeinWidth(0.5);
  const OdGiMarbleTexturePtr stored = storedTexture();
  EXPECT_EQ(stored->veinSpacing(), 2.0);
  EXPECT_EQ(stored->veinWidth(), 0.5);
}
