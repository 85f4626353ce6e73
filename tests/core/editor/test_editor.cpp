#include "EditorFixture.h"

#include "core/MeEditor.h"
#include "core/MeStrings.h"
#include "od/DbSymbolTable.h"

#include <limits>

namespace
{
// A material whose every cached channel differs from a new record's.
void furnish(OdDbMaterial& m)
{
  m.setDiffuse(byColor(10, 20, 30), fileMap(L"diffuse.png"));
  m.setSpecular(byColor(40, 50, 60), fileMap(L"specular.png"), 0.7);
  m.setOpacity(0.4, fileMap(L"opacity.png"));
  m.setBump(fileMap(L"bump.png"));
  m.setRefraction(1.3, fileMap(L"refraction.png"));
  m.setNormalMap(fileMap(L"normal.png"), 2, 2.5);
}
} // namespace

TEST_F(EditorTest, OpenFillsTheCacheAndTellsReactorsWhileOpenForRead)
{
  const OdDbObjectId id = addMaterial(L"Brick", furnish);
  RecordingReactor reactor;
  editor->addReactor(&reactor);
  editor->open(id);
  editor->removeReactor(&reactor);

  OdCmColor color;
  editor->specularColor(color);
  EXPECT_EQ(color.entityColor(), OdCmEntityColor(40, 50, 60));
  EXPECT_EQ(editor->glossiness(), 0.7);
  EXPECT_EQ(editor->diffuseMapText(), OdString(L"diffuse.png"));
  EXPECT_EQ(editor->bumpMapText(), OdString(L"bump.png"));
  EXPECT_EQ(editor->opacityMapText(), OdString(L"opacity.png"));
  EXPECT_EQ(editor->specularMapText(), OdString(L"specular.png"));
  EXPECT_EQ(reactor.modes, std::vector<OdDb::OpenMode>{OdDb::kForRead});
}

TEST_F(EditorTest, BadIdsAndBadValuesGiveSdkErrorsNotCrashes)
{
  const OdDbObjectId brick = addMaterial(L"Brick", furnish);
  editor->open(brick);
  RecordingReactor reactor;
  editor->addReactor(&reactor);

  // A null id: 398, and the editor stays on the material it had.
  EXPECT_EQ(errorCode([&] { editor->open(OdDbObjectId()); }), eInvalidObjectId);
  EXPECT_EQ(editor->materialId(), brick);
  EXPECT_EQ(editor->diffuseMapText(), OdString(L"diffuse.png"));

  // Values that are no numbers are refused before the material opens.
  EXPECT_EQ(errorCode([&] { editor->setOpacity(std::numeric_limits<double>::quiet_NaN()); }), eInvalidInput);
  EXPECT_EQ(errorCode([&] { editor->setGlossiness(std::numeric_limits<double>::infinity()); }), eInvalidInput);
  EXPECT_EQ(editor->opacity(), 0.4);

  // Not a material: the wrong-class error names both classes, and the id is
  // already replaced, so later writes fail the same way.
  const OdDbObjectId layer = db->getLayerZeroId();
  expectWrongClass([&] { editor->open(layer); }, OdDbLayerTableRecord::desc(), OdDbMaterial::desc());
  EXPECT_EQ(editor->materialId(), layer);
  EXPECT_EQ(errorCode([&] { editor->setOpacity(0.5); }), eNotThatKindOfClass);

  // Erased under the editor, then the whole drawing closed.
  editor->open(brick);
  OdDbObjectPtr(brick.safeOpenObject(OdDb::kForWrite))->erase();
  EXPECT_EQ(errorCode([&] { editor->setDiffuseMapFile(L"x.png"); }), eWasErased);
  EXPECT_EQ(errorCode([&] { editor->open(brick); }), eWasErased);
  editor->open(addMaterial(L"Other"));
  host.closeDocument(host.currentDocument());
  EXPECT_NE(errorCode([&] { editor->setReflectivity(0.5); }), eOk);
  EXPECT_NE(errorCode([&] { editor->materialName(); }), eOk);
  EXPECT_EQ(reactor.count(), 2u); // the two successful opens only
  editor->removeReactor(&reactor);
}

TEST_F(EditorTest, ReactorsAreToldOncePerWriteInRegistrationOrder)
{
  editor->open(addMaterial(L"Brick", furnish));
  std::vector<const RecordingReactor*> order;
  RecordingReactor first, second, stranger;
  first.log = second.log = &order;
  editor->addReactor(&first);
  editor->addReactor(&second);
  editor->addReactor(&first);       // no second entry
  editor->removeReactor(&stranger); // not registered: nothing changes

  editor->setOpacity(0.25);
  EXPECT_EQ(order, (std::vector<const RecordingReactor*>{&first, &second}));
  EXPECT_EQ(first.modes, std::vector<OdDb::OpenMode>{OdDb::kForWrite});
  EXPECT_EQ(editor->opacity(), 0.25);

  // Channel flags change silently.
  editor->setChannelFlag(kUseNormalMap, true);
  EXPECT_TRUE(editor->hasChannelFlag(kUseNormalMap));
  editor->setChannelFlag(kUseNormalMap | kUseBump, false);
  EXPECT_FALSE(editor->hasChannelFlag(kUseNormalMap | kUseBump));
  EXPECT_EQ(order.size(), 2u);

  editor->removeReactor(&first);
  editor->setReflectivity(0.5);
  EXPECT_EQ(order, (std::vector<const RecordingReactor*>{&first, &second, &second}));
  // At unload the editor tells those still listening that it goes.
  me::destroyAppServices();
  EXPECT_EQ(second.going, 1);
  EXPECT_EQ(first.going, 0);
}

TEST_F(EditorTest, EachWriteKeepsTheOtherValuesOfItsChannel)
{
  const OdDbObjectId id = addMaterial(L"Brick", furnish);
  editor->open(id);
  MaterialColor color;
  MaterialMap map;
  double gloss = 0.0;
  editor->setGlossiness(0.2);
  read(id)->specular(color, map, gloss);
  EXPECT_EQ(color, byColor(40, 50, 60));
  EXPECT_EQ(map.sourceFileName(), OdString(L"specular.png"));
  OdCmColor red;
  red.setRGB(255, 0, 0);
  editor->setSpecularColor(red);
  read(id)->specular(color, map, gloss);
  EXPECT_EQ(gloss, 0.2);
  EXPECT_EQ(map.sourceFileName(), OdString(L"specular.png"));

  editor->setDiffuseColor(red);
  EXPECT_EQ(diffuseMapOf(id).sourceFileName(), OdString(L"diffuse.png"));

  // Method and strength of the normal map are each written with the other
  // as the material has it.
  editor->setNormalMapStrength(4.0);
  EXPECT_EQ(editor->normalMapMethod(), 2);
  editor->setNormalMapMethod(1);
  EXPECT_EQ(editor->normalMapStrength(), 4.0);

  editor->setMaterialValueA(0.3);
  editor->setMaterialValueB(0.6);
  EXPECT_EQ(editor->materialValueA(), 0.3);
  EXPECT_EQ(editor->materialValueB(), 0.6);
}

TEST_F(EditorTest, ByObjectColoursTravelAsWhiteNamedByObject)
{
  host.setTranslation(L"by object", L"vom Objekt");
  const OdDbObjectId id = addMaterial(L"Plain", [](OdDbMaterial& m) {
    MaterialColor inherit;
    inherit.setFactor(0.5);
    m.setDiffuse(inherit, MaterialMap());
  });
  editor->open(id);

  OdCmColor color;
  editor->diffuseColor(color);
  EXPECT_EQ(color.entityColor(), OdCmEntityColor(255, 255, 255));
  EXPECT_EQ(color.colorName(), OdString(L"vom Objekt"));
  EXPECT_EQ(color.bookName(), OdString(L"vom Objekt"));

  // Fed back it stays by object, and the factor is kept.
  editor->setDiffuseColor(color);
  MaterialColor stored;
  MaterialMap map;
  read(id)->diffuse(stored, map);
  EXPECT_EQ(stored.method(), MaterialColor::kInherit);
  EXPECT_EQ(stored.factor(), 0.5);

  // The name is compared without regard to case; other colours are by colour.
  OdCmColor shouting;
  shouting.setNames(L"VOM OBJEKT");
  editor->setAmbientColor(shouting);
  read(id)->ambient(stored);
  EXPECT_EQ(stored.method(), MaterialColor::kInherit);
  OdCmColor green;
  green.setRGB(0, 200, 0);
  editor->setAmbientColor(green);
  read(id)->ambient(stored);
  EXPECT_EQ(stored, byColor(0, 200, 0));
  editor->ambientColor(color);
  EXPECT_EQ(color, green);
}

TEST_F(EditorTest, ADiffuseImageLeavesOnlyTheDiffuseChannelOn)
{
  struct Case
  {
    OdUInt32 flags;
    OdString file;
  };
  for (const Case& c : {Case{kUseBump, L"bricks.png"}, Case{kUseBump, L""}, Case{kNoChannels, L"bricks.png"},
                        Case{kUseAll, L"bricks.png"}, Case{kUseDiffuse, L""}})
  {
    const OdString name = OdString::format(L"M%d%s", int(c.flags), c.file);
    SCOPED_TRACE(name.toUtf8());
    const OdDbObjectId id = addMaterial(name, [&](OdDbMaterial& m) {
      m.setChannelFlags(c.flags);
      m.setDiffuse(byColor(1, 1, 1), proceduralMap(OdGiWoodTexture::createObject()));
    });
    editor->open(id);
    RecordingReactor reactor;
    editor->addReactor(&reactor);
    editor->setDiffuseMapFile(c.file);
    editor->removeReactor(&reactor);

    EXPECT_EQ(read(id)->channelFlags(), c.file.isEmpty() ? 0u : OdUInt32(kUseDiffuse));
    // A plain file map: the wood and its parameters go, the image names the
    // file; removed, no texture is left.
    const MaterialMap map = diffuseMapOf(id);
    EXPECT_EQ(map.source(), kFile);
    EXPECT_EQ(map.sourceFileName(), c.file);
    const auto* image = OdGiImageFileTexture::cast(map.texture().get()).get();
    EXPECT_EQ(image != nullptr, !c.file.isEmpty());
    EXPECT_TRUE(map.texture().isNull() || image);
    EXPECT_EQ(image ? image->sourceFileName() : OdString(), image ? c.file : OdString());
    EXPECT_EQ(reactor.count(), 1u);
  }
}

TEST_F(EditorTest, TheEditedMapIsWrittenOnlyWhileItIsBeingEdited)
{
  const OdDbObjectId id = addMaterial(L"Brick", furnish);
  editor->open(id);
  RecordingReactor reactor;
  editor->addReactor(&reactor);
  auto send = [](int event) { me::appServices()->sendServiceEvent(me::kEditorService, event, nullptr); };

  // Only the edited map goes in, never the specular record handed out.
  MaterialMap& diffuse = editor->editDiffuseMap();
  diffuse.setSourceFileName(L"edited.png");
  editor->specularMap().setSourceFileName(L"never.png");
  send(me::kEventCommitEditedMap);
  EXPECT_EQ(diffuseMapOf(id).sourceFileName(), OdString(L"edited.png"));
  EXPECT_EQ(editor->specularMapText(), OdString(L"never.png"));
  MaterialColor color;
  MaterialMap specular;
  double gloss = 0.0;
  read(id)->specular(color, specular, gloss);
  EXPECT_EQ(specular.sourceFileName(), OdString(L"specular.png"));

  // After the end of editing nothing is written and nobody is told.
  send(me::kEventEndMapEditing);
  diffuse.setSourceFileName(L"late.png");
  send(me::kEventCommitEditedMap);
  editor->commitEditedMap();
  EXPECT_EQ(diffuseMapOf(id).sourceFileName(), OdString(L"edited.png"));
  EXPECT_EQ(reactor.count(), 1u);

  // The bump map goes into the bump channel.
  editor->editBumpMap().setBlendFactor(0.5);
  send(me::kEventCommitEditedMap);
  MaterialMap bump;
  read(id)->bump(bump);
  EXPECT_EQ(bump.blendFactor(), 0.5);
  EXPECT_EQ(diffuseMapOf(id).blendFactor(), 1.0);
  EXPECT_EQ(reactor.count(), 2u);
  editor->removeReactor(&reactor);
}

// A palette's write is one undo step named after what it changed; a write of
// what the material already holds opens nothing, so it makes no step, tells
// no reactor and leaves the drawing as it was.
TEST_F(EditorTest, AWriteThatChangesNothingMakesNoStepAndEachStepIsNamed)
{
  const OdDbObjectId id = addMaterial(L"Brick", furnish);
  db->enableUndoRecording(true);
  editor->open(id);
  RecordingReactor reactor;
  editor->addReactor(&reactor);
  OdCmColor red;
  red.setRGB(255, 0, 0);
  const std::function<void()> writes[] = {
    [&] { editor->setDiffuseColor(red); },
    [&] { editor->setAmbientColor(red); },
    [&] { editor->setSpecularColor(red); },
    [&] { editor->setGlossiness(0.29); },
    [&] { editor->setDiffuseMapFile(L"bricks.png"); },
    [&] { editor->setDiffuseMapFile(L""); },
    [&] {
      editor->editDiffuseMap().setBlendFactor(0.5);
      const int name = me::kStrStepMapBrightness;
      me::appServices()->sendServiceEvent(me::kEditorService, me::kEventCommitEditedMap, const_cast<int*>(&name));
    },
  };
  const std::vector<OdString> names = {L"Diffuse color", L"Ambient color", L"Specular color", L"Glossiness",
                                       L"Diffuse map",   L"Diffuse map",   L"Map brightness"};
  for (const auto& write : writes)
  {
    write();
    db->endUndoRecord(); // as the host does once the input is handled
    write();             // again: nothing changes
    EXPECT_FALSE(db->hasOpenUndoRecord());
  }
  EXPECT_EQ(reactor.count(), names.size()) << "told once per change";
  EXPECT_EQ(db->numUndoSteps(), names.size());
  EXPECT_EQ(host.undoStepNames, names);
  EXPECT_EQ(db->undoStepName(0), OdString(L"Map brightness"));
  EXPECT_EQ(db->undoStepName(6), OdString(L"Diffuse color"));
  editor->endMapEditing();
  editor->removeReactor(&reactor);
}

// Someone else holds the material open for write: each write is refused,
// and the editor keeps reporting what the drawing holds, so that the next
// write of the same channel does not store the refused value after all.
TEST_F(EditorTest, ARefusedWriteLeavesTheCacheAsTheDrawingHoldsIt)
{
  const OdDbObjectId id = addMaterial(L"Brick", furnish);
  editor->open(id);
  RecordingReactor reactor;
  editor->addReactor(&reactor);
  OdCmColor ambientBefore;
  editor->ambientColor(ambientBefore);
  OdCmColor red, green;
  red.setRGB(255, 0, 0);
  green.setRGB(0, 255, 0);
  {
    OdDbObjectPtr held = id.safeOpenObject(OdDb::kForWrite);
    EXPECT_EQ(errorCode([&] { editor->setDiffuseColor(red); }), eWasOpenedForWrite);
    EXPECT_EQ(errorCode([&] { editor->setAmbientColor(red); }), eWasOpenedForWrite);
    EXPECT_EQ(errorCode([&] { editor->setSpecularColor(red); }), eWasOpenedForWrite);
    EXPECT_EQ(errorCode([&] { editor->setGlossiness(0.1); }), eWasOpenedForWrite);
    EXPECT_EQ(errorCode([&] { editor->setBumpMapFile(L"refused.png"); }), eWasOpenedForWrite);
  }
  EXPECT_EQ(reactor.count(), 0u);

  OdCmColor color;
  editor->diffuseColor(color);
  EXPECT_EQ(color.entityColor(), OdCmEntityColor(10, 20, 30));
  editor->ambientColor(color);
  EXPECT_EQ(color, ambientBefore);
  editor->specularColor(color);
  EXPECT_EQ(color.entityColor(), OdCmEntityColor(40, 50, 60));
  EXPECT_TRUE(editor->isSpecularColorByColor());
  EXPECT_EQ(editor->glossiness(), 0.7);
  EXPECT_EQ(editor->bumpMapText(), OdString(L"bump.png"));

  // The writes that carry those cached values along store the drawing's.
  editor->setDiffuseMapFile(L"new.png");
  MaterialColor stored;
  MaterialMap map;
  read(id)->diffuse(stored, map);
  EXPECT_EQ(stored, byColor(10, 20, 30));
  editor->setSpecularColor(green);
  double gloss = 0.0;
  read(id)->specular(stored, map, gloss);
  EXPECT_EQ(gloss, 0.7);
  editor->editBumpMap();
  editor->commitEditedMap();
  editor->endMapEditing();
  read(id)->bump(map);
  EXPECT_EQ(map.sourceFileName(), OdString(L"bump.png"));

  // And a refused specular colour is not carried by the next glossiness.
  {
    OdDbObjectPtr held = id.safeOpenObject(OdDb::kForWrite);
    EXPECT_EQ(errorCode([&] { editor->setSpecularColor(red); }), eWasOpenedForWrite);
  }
  editor->setGlossiness(0.3);
  read(id)->specular(stored, map, gloss);
  EXPECT_EQ(stored, byColor(0, 255, 0));
  EXPECT_EQ(gloss, 0.3);
  editor->removeReactor(&reactor);
}

// A map changed in place and then refused at its commit goes back to what the
// drawing holds, in the very record that was handed out.
TEST_F(EditorTest, ARefusedCommitPutsTheEditedMapBack)
{
  const OdDbObjectId id = addMaterial(L"Brick", furnish);
  editor->open(id);
  for (bool diffuse : {true, false})
  {
    SCOPED_TRACE(diffuse ? "diffuse" : "bump");
    MaterialMap& map = diffuse ? editor->editDiffuseMap() : editor->editBumpMap();
    const OdString original = map.sourceFileName();
    map.setSourceFileName(L"edited.png");
    map.setBlendFactor(0.25);
    {
      OdDbObjectPtr held = id.safeOpenObject(OdDb::kForWrite);
      EXPECT_EQ(errorCode([&] { editor->commitEditedMap(); }), eWasOpenedForWrite);
    }
    EXPECT_EQ(map.sourceFileName(), original);
    EXPECT_EQ(map.blendFactor(), 1.0);
    EXPECT_EQ(diffuse ? editor->diffuseMapText() : editor->bumpMapText(), original);

    // Nothing refused comes back with the next write of the channel.
    OdCmColor red;
    red.setRGB(255, 0, 0);
    editor->setDiffuseColor(red);
    editor->commitEditedMap();
    MaterialMap stored;
    if (diffuse)
      stored = diffuseMapOf(id);
    else
      read(id)->bump(stored);
    EXPECT_EQ(stored.sourceFileName(), original);
    EXPECT_EQ(stored.blendFactor(), 1.0);
    editor->endMapEditing();
  }
}

// Without an edited map the commit still reads the material, so that a
// material erased meanwhile is reported as for the other kinds.
TEST_F(EditorTest, ACommitWithoutAnEditedMapStillReportsAnErasedMaterial)
{
  const OdDbObjectId id = addMaterial(L"Brick", furnish);
  editor->open(id);
  RecordingReactor reactor;
  editor->addReactor(&reactor);
  editor->commitEditedMap();
  EXPECT_EQ(reactor.count(), 0u);
  OdDbObjectPtr(id.safeOpenObject(OdDb::kForWrite))->erase();
  EXPECT_EQ(errorCode([&] { editor->commitEditedMap(); }), eWasErased);
  EXPECT_EQ(reactor.count(), 0u);
  editor->removeReactor(&reactor);
}

TEST_F(EditorTest, MapsAreNamedAndFoundByKind)
{
  MaterialMap scene;
  scene.setSource(kScene);
  MaterialMap strange;
  strange.setSource(MapSource(7));
  EXPECT_EQ(me::mapDisplayText(fileMap(L"C:\\maps\\wood.jpg")), OdString(L"C:\\maps\\wood.jpg"));
  EXPECT_EQ(me::mapDisplayText(scene), OdString(L"Scene"));
  EXPECT_EQ(me::mapDisplayText(proceduralMap(OdGiMarbleTexture::createObject())), OdString(L"Marble"));
  EXPECT_EQ(me::mapDisplayText(proceduralMap(OdGiWoodTexture::createObject())), OdString(L"Wood"));
  EXPECT_EQ(me::mapDisplayText(proceduralMap(OdGiGenericTexture::createObject())), OdString(L"Generic"));
  EXPECT_EQ(me::mapDisplayText(proceduralMap(nullptr)), OdString(L"Generic"));
  EXPECT_EQ(me::mapDisplayText(strange), OdString(L"Unsupported procedural texture"));

  TempDir folder;
  TempDir::write(folder / "found.png", "image");
  host.addSearchPath(TempDir::toOd(folder.path()));
  EXPECT_TRUE(me::isMapAvailable(proceduralMap(OdGiMarbleTexture::createObject()), db));
  EXPECT_FALSE(me::isMapAvailable(proceduralMap(nullptr), db));
  EXPECT_FALSE(me::isMapAvailable(scene, db));
  EXPECT_FALSE(me::isMapAvailable(fileMap(L""), db));
  editor->open(addMaterial(L"Brick", [](OdDbMaterial& m) {
    m.setDiffuse(byColor(1, 1, 1), fileMap(L"found.png"));
    m.setBump(fileMap(L"missing.png"));
  }));
  EXPECT_TRUE(editor->isDiffuseMapAvailable());
  EXPECT_FALSE(editor->isBumpMapAvailable());
}
