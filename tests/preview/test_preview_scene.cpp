// The preview scene over a device without a window: one sample at a time,
// framed; only the shown material (and the standard ones) in the private
// drawing; refused copies that change nothing; the picture follows the
// material.
#include "MeGsPreview.h"
#include "MePreviewScene.h"
#include "TestHost.h"

#include "od/DbDictionary.h"
#include "od/DbMaterial.h"
#include "od/DbSymbolTable.h"
#include "od/GsSoftware.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace
{
constexpr ODCOLORREF kBackground = ODRGB(40, 50, 60);

OdDbObjectId addMaterial(OdDbDatabase* db, const OdString& name, int r, int g, int b)
{
  OdDbMaterialPtr material = OdDbMaterial::createObject();
  material->setName(name);
  MaterialColor colour;
  colour.setMethod(MaterialColor::kOverride);
  colour.setColor(OdCmEntityColor(OdUInt8(r), OdUInt8(g), OdUInt8(b)));
  material->setDiffuse(colour, MaterialMap());
  material->setAmbient(colour);
  OdDbDictionaryPtr dictionary = db->getMaterialDictionaryId(true).safeOpenObject(OdDb::kForWrite);
  if (dictionary->has(name))
  {
    OdDbMaterialPtr existing = dictionary->getAt(name, OdDb::kForWrite);
    existing->setDiffuse(colour, MaterialMap());
    existing->setAmbient(colour);
    return existing->objectId();
  }
  return dictionary->setAt(name, material);
}

OdCmEntityColor diffuseOf(const OdDbObjectId& id)
{
  MaterialColor colour;
  MaterialMap map;
  OdDbMaterialPtr(id.safeOpenObject())->diffuse(colour, map);
  return colour.color();
}

class PreviewScene : public ::testing::Test
{
protected:
  PreviewScene()
  {
    m_host.newDocument(L"Shown");
    meui::MeGsPreview::Setup setup;
    setup.moduleName = OdGsSoftwareModuleName;
    setup.properties = {{L"DiscardBackFaces", OdRxVariantValue(true)}};
    setup.background = kBackground;
    EXPECT_TRUE(m_gs.attach(m_scene.database(), setup));
  }

  std::set<OdString> privateMaterials() const
  {
    std::set<OdString> names;
    OdDbDictionaryPtr dictionary = m_scene.database()->getMaterialDictionaryId(false).safeOpenObject();
    for (OdDbDictionaryIteratorPtr it = dictionary->newIterator(); !it->done(); it->next())
      names.insert(it->name());
    return names;
  }

  OdDbObjectIdArray modelSpace() const
  {
    OdDbObjectIdArray ids;
    OdDbBlockTableRecordPtr ms = m_scene.database()->getModelSpaceId().safeOpenObject();
    for (OdDbObjectIteratorPtr it = ms->newIterator(); !it->done(); it->step())
      ids.append(it->objectId());
    return ids;
  }

  OdDbObjectId sampleMaterial() const { return OdDbEntityPtr(m_scene.sampleId().safeOpenObject())->materialId(); }

  TestHost m_host;
  meui::MeGsPreview m_gs;
  meui::MePreviewScene m_scene{m_gs};
};

TEST_F(PreviewScene, OneSampleAtATimeAndUnknownCodesBuildTheSphere)
{
  const std::pair<int, int> codes[] = {{0, 2452}, {1, 8}, {2, 2452}, {3, 2452}, {4, 2500}, {-7, 2452}};
  OdDbObjectId previous;
  for (const auto& [code, points] : codes)
  {
    ASSERT_TRUE(m_scene.setSampleType(code)) << code;
    const OdDbObjectIdArray ids = modelSpace();
    ASSERT_EQ(ids.size(), 1u) << "code " << code;
    EXPECT_EQ(ids[0], m_scene.sampleId());
    EXPECT_TRUE(previous.isNull() || previous.isErased());
    previous = ids[0];
    OdDbEntityPtr sample = ids[0].safeOpenObject();
    if (OdDbSubDMeshPtr mesh = OdDbSubDMesh::cast(sample))
      EXPECT_EQ(int(mesh->vertices().size()), points) << "code " << code;
    else
      EXPECT_EQ(OdDbPolyFaceMeshPtr(sample)->numVertices(), points) << "code " << code;
  }
}

TEST_F(PreviewScene, TheSampleIsFramedWithAMarginAndNeedsNoView)
{
  // Looking down Z at the cube, 100 units across: a field of 102.
  ASSERT_TRUE(m_scene.setSampleType(1));
  EXPECT_NEAR(m_gs.view()->fieldWidth(), 102.0, 1e-6);
  EXPECT_NEAR(m_gs.view()->fieldHeight(), 102.0, 1e-6);
  // The sphere's points reach 50 on x only: a little less on y.
  ASSERT_TRUE(m_scene.setSampleType(0));
  EXPECT_NEAR(m_gs.view()->fieldWidth(), 102.0, 1e-6);
  EXPECT_GT(m_gs.view()->fieldHeight(), 101.0);
  // Centred across the view.
  EXPECT_NEAR(m_gs.view()->target().x, 0.0, 0.2);
  EXPECT_NEAR(m_gs.view()->target().y, 0.0, 0.2);
  meui::MeGsPreview unattached;
  meui::MePreviewScene alone(unattached);
  EXPECT_TRUE(alone.setSampleType(4));
  EXPECT_FALSE(alone.sampleId().isNull());
}

TEST_F(PreviewScene, TheSphereFollowsTheHostUcs)
{
  // A UCS whose Z axis is the world's X: the first pole lies on -X.
  static const auto turned = [](OdDbDatabase*, OdGeMatrix3d& ucs) {
    ucs.setCoordSystem(OdGePoint3d::kOrigin, OdGeVector3d::kYAxis, OdGeVector3d::kZAxis, OdGeVector3d::kXAxis);
    return true;
  };
  m_host.replaceExport(HOST_EXPORT_CURRENT_UCS, reinterpret_cast<void*>(+turned));
  ASSERT_TRUE(m_scene.setSampleType(0));
  OdDbSubDMeshPtr sphere = m_scene.sampleId().safeOpenObject();
  EXPECT_TRUE(sphere->vertices().first().isEqualTo(OdGePoint3d(-50, 0, 0), OdGeTol(1e-9)));
}

TEST_F(PreviewScene, OnlyTheShownMaterialStaysAndASameNamedOneReplacesIt)
{
  OdDbDatabase* db = m_host.database();
  ASSERT_TRUE(m_scene.setSampleType(0));
  ASSERT_TRUE(m_scene.setMaterial(addMaterial(db, L"Red", 200, 0, 0)));
  const OdDbObjectId firstRed = m_scene.materialId();
  EXPECT_EQ(sampleMaterial(), firstRed);
  ASSERT_TRUE(m_scene.setMaterial(addMaterial(db, L"Blue", 0, 0, 200)));
  EXPECT_EQ(privateMaterials(), (std::set<OdString>{L"By Block", L"By Layer", L"Blue", L"Global"}));
  EXPECT_TRUE(firstRed.isErased());
  EXPECT_EQ(sampleMaterial(), m_scene.materialId());

  // The drawing's "Blue" changes; shown again, the new copy replaces the old.
  const OdDbObjectId firstBlue = m_scene.materialId();
  ASSERT_TRUE(m_scene.setMaterial(addMaterial(db, L"Blue", 0, 90, 255)));
  EXPECT_NE(m_scene.materialId(), firstBlue);
  EXPECT_TRUE(firstBlue.isErased());
  EXPECT_EQ(diffuseOf(m_scene.materialId()), OdCmEntityColor(0, 90, 255));
  EXPECT_EQ(privateMaterials().count(L"Blue"), 1u);
  // A new sample takes the shown material.
  ASSERT_TRUE(m_scene.setSampleType(1));
  EXPECT_EQ(sampleMaterial(), m_scene.materialId());
}

TEST_F(PreviewScene, AStandardMaterialIsShownThoughItRefusesToBeErased)
{
  OdDbDatabase* db = m_host.database();
  ASSERT_TRUE(m_scene.setSampleType(0));
  ASSERT_TRUE(m_scene.setMaterial(addMaterial(db, L"Red", 200, 0, 0)));
  addMaterial(db, L"Global", 10, 220, 30);
  EXPECT_NO_THROW(EXPECT_TRUE(m_scene.setMaterial(db->globalMaterialId())));
  ASSERT_FALSE(m_scene.materialId().isNull());
  EXPECT_EQ(OdDbMaterialPtr(m_scene.materialId().safeOpenObject())->name(), L"Global");
  EXPECT_EQ(diffuseOf(m_scene.materialId()), OdCmEntityColor(10, 220, 30));
  EXPECT_EQ(sampleMaterial(), m_scene.materialId());
  EXPECT_EQ(privateMaterials(), (std::set<OdString>{L"Global"}));
}

TEST_F(PreviewScene, AFailedCopyRaisesNothingAndTheSampleKeepsItsMaterial)
{
  OdDbDatabase* db = m_host.database();
  ASSERT_TRUE(m_scene.setSampleType(0));
  ASSERT_TRUE(m_scene.setMaterial(addMaterial(db, L"Red", 200, 0, 0)));
  const OdDbObjectId red = m_scene.materialId();

  const OdDbObjectId gone = addMaterial(db, L"Gone", 0, 200, 0);
  OdDbObjectPtr(gone.safeOpenObject(OdDb::kForWrite))->erase();
  HostDocument* other = m_host.newDocument(L"Other");
  const OdDbObjectId closedId = addMaterial(other->database(), L"Teal", 0, 128, 128);
  OdDbMaterialPtr closedMaterial = closedId.safeOpenObject();
  m_host.closeDocument(other);

  for (const OdDbObjectId& bad : {gone, closedId, OdDbObjectId(), db->getLayerZeroId()})
  {
    EXPECT_NO_THROW(EXPECT_FALSE(m_scene.setMaterial(bad)));
    EXPECT_TRUE(m_scene.materialId().isNull());
    EXPECT_EQ(sampleMaterial(), red);
    EXPECT_FALSE(red.isErased());
  }
  EXPECT_NO_THROW(EXPECT_FALSE(m_scene.setMaterial(closedMaterial.get())));
  EXPECT_NO_THROW(EXPECT_FALSE(m_scene.setMaterial(static_cast<const OdDbMaterial*>(nullptr))));
  EXPECT_EQ(sampleMaterial(), red);
}

TEST_F(PreviewScene, TheThumbnailCentreFollowsTheDiffuseColour)
{
  ASSERT_TRUE(m_scene.setSampleType(0));
  const int channels[3][3] = {{220, 30, 30}, {30, 220, 30}, {30, 30, 220}};
  for (int strong = 0; strong < 3; ++strong)
  {
    const int* c = channels[strong];
    ASSERT_TRUE(m_scene.setMaterial(addMaterial(m_host.database(), OdString::format(L"M%d", strong), c[0], c[1], c[2])));
    OdGiRasterImagePtr image = m_gs.render(48, 48);
    ASSERT_FALSE(image.isNull());
    const ODCOLORREF centre = image->pixelAt(24, 24);
    const int rgb[3] = {int(ODGETRED(centre)), int(ODGETGREEN(centre)), int(ODGETBLUE(centre))};
    for (int other = (strong + 1) % 3; other != strong; other = (other + 1) % 3)
      EXPECT_GT(rgb[strong], rgb[other] + 40) << "material " << strong << " centre " << std::hex << centre;
    EXPECT_EQ(image->pixelAt(0, 0), kBackground);
    EXPECT_EQ(image->pixelAt(47, 47), kBackground);
  }
}

// The preview asks the host for smooth shading of its private drawing's
// active viewport, and the view it is shown through takes that mode.
TEST(PreviewRenderMode, TheSceneAsksTheHostForSmoothShadingAndTheViewTakesIt)
{
  TestHost host;
  host.newDocument(L"Shown");
  static std::vector<std::pair<OdDbDatabase*, bool>> calls;
  calls.clear();
  static const auto setRenderMode = [](OdDbDatabase* database, bool smooth) {
    calls.emplace_back(database, smooth);
    database->setActiveViewportRenderMode(smooth ? OdDb::kGouraudShaded : OdDb::kFlatShaded);
    return true;
  };
  host.replaceExport(HOST_EXPORT_SET_RENDER_MODE, reinterpret_cast<void*>(+setRenderMode));

  meui::MeGsPreview gs;
  meui::MePreviewScene scene(gs);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].first, scene.database()) << "the private drawing, not the shown one";
  EXPECT_TRUE(calls[0].second);
  meui::MeGsPreview::Setup setup;
  setup.moduleName = OdGsSoftwareModuleName;
  ASSERT_TRUE(gs.attach(scene.database(), setup));
  EXPECT_EQ(gs.view()->mode(), OdDb::kGouraudShaded);

  // A host without the function: the preview is made all the same.
  host.removeExport(HOST_EXPORT_SET_RENDER_MODE);
  meui::MeGsPreview other;
  meui::MePreviewScene plain(other);
  ASSERT_TRUE(other.attach(plain.database(), setup));
  EXPECT_TRUE(plain.setSampleType(0));
  EXPECT_EQ(calls.size(), 1u);
}
} // namespace
