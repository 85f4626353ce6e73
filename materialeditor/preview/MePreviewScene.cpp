#include "MePreviewScene.h"

#include "MeSampleGeometry.h"

#include "core/IMeSettingsStorage.h"
#include "core/MeHost.h"
#include "core/MeNames.h"
#include "od/DbDictionary.h"
#include "od/DbMaterial.h"
#include "od/DbSymbolTable.h"
#include "od/Gs.h"

#include <vector>

namespace meui
{
namespace
{
// The preview's sample sizes: all three fit a box of about 100 units.
constexpr double kSampleSize = 50.0;
constexpr double kTubeRadius = 10.0;
constexpr int kSampleDivisions = 50;
// Room around the sample when it is framed.
constexpr double kFrameMargin = 1.02;

OdDbDatabasePtr createPrivateDatabase()
{
  OdDbDatabasePtr database;
  if (HostAppServices* services = me::hostAppServices())
    database = services->createDatabase(true, OdDb::kMetric);
  // Without a host, or when it makes none, the SDK's own database with the
  // same default contents stands in.
  if (database.isNull())
    database = odCreateDatabase(true, OdDb::kMetric);
  // Relative texture paths then resolve as they do in the shown drawing.
  if (OdDbDatabase* current = me::currentDatabase())
    database->setDatabaseFileName(current->getFilename());
  // Smooth shading: the host sets the render mode of the current layout's
  // active viewport, which the viewer's view takes when it is attached.
  // Without the host's function the drawing keeps its own mode.
  if (auto setRenderMode = me::hostFunction<HostSetRenderModeFn>(me::HostLibrary::Utils, HOST_EXPORT_SET_RENDER_MODE))
    setRenderMode(database.get(), true);
  return database;
}

OdDbObjectId openMaterialDictionary(OdDbDatabase* database, OdDbDictionaryPtr& dictionary)
{
  const OdDbObjectId id = database->getMaterialDictionaryId(true);
  dictionary = OdDbDictionary::cast(id.safeOpenObject(OdDb::kForWrite));
  return id;
}
} // namespace

MePreviewScene::MePreviewScene(MePreviewView& view) : m_database(createPrivateDatabase()), m_view(&view) {}

MePreviewScene::~MePreviewScene() = default;

bool MePreviewScene::setSampleType(int type)
{
  try
  {
    if (!m_sampleId.isNull())
    {
      if (OdDbObjectPtr old = m_sampleId.openObject(OdDb::kForWrite))
        old->erase();
      m_sampleId = OdDbObjectId();
    }

    OdDbEntityPtr sample;
    const OdGePoint3d centre(0.0, 0.0, 0.0);
    switch (type)
    {
    case me::kSampleCube: buildSampleCube(m_database, centre, kSampleSize, sample); break;
    case me::kSampleTorus:
      buildSampleTorus(m_database, centre, kSampleSize, kTubeRadius, kSampleDivisions, kSampleDivisions, sample);
      break;
    default: buildSampleSphere(m_database, centre, kSampleSize, kSampleDivisions, kSampleDivisions, sample); break;
    }
    if (sample.isNull())
      return false;
    // Until a material is shown the sample keeps the drawing's default.
    if (!m_materialId.isNull())
      sample->setMaterial(m_materialId, true);
    OdDbBlockTableRecordPtr modelSpace =
      OdDbBlockTableRecord::cast(m_database->getModelSpaceId().safeOpenObject(OdDb::kForWrite));
    m_sampleId = modelSpace->appendOdDbEntity(sample);
  }
  catch (const OdError&)
  {
    return false;
  }
  fitSample();
  m_view->previewChanged();
  return true;
}

void MePreviewScene::fitSample()
{
  OdGsView* view = m_view->previewView();
  OdDbEntityPtr sample = OdDbEntity::cast(m_sampleId.openObject(OdDb::kForRead));
  OdGeExtents3d box;
  if (!view || sample.isNull() || sample->getGeomExtents(box) != eOk || !box.isValidExtents())
    return;
  // The box around the eight corners as the camera sees them.
  box.transformBy(view->viewingMatrix());
  view->zoomExtents(box.minPoint(), box.maxPoint(), kFrameMargin);
  m_view->previewFitted();
}

bool MePreviewScene::setMaterial(const OdDbMaterial* material)
{
  return setMaterial(material ? material->objectId() : OdDbObjectId());
}

bool MePreviewScene::setMaterial(const OdDbObjectId& material)
{
  try
  {
    m_materialId = copyMaterial(material);
  }
  catch (const OdError&)
  {
    m_materialId = OdDbObjectId();
  }
  if (m_materialId.isNull())
    return false;
  try
  {
    OdDbMaterialPtr shown = OdDbMaterial::cast(m_materialId.safeOpenObject());
    const OdString name = shown->name();
    shown = nullptr;
    keepOnlyMaterial(name);
    giveSampleMaterial();
  }
  catch (const OdError&)
  {
    return false;
  }
  m_view->previewChanged();
  return true;
}

OdDbObjectId MePreviewScene::copyMaterial(const OdDbObjectId& source)
{
  OdString name;
  {
    OdDbMaterialPtr material = OdDbMaterial::cast(source.safeOpenObject(OdDb::kForRead));
    if (material.isNull())
      return OdDbObjectId();
    name = material->name();
  }

  OdDbDictionaryPtr dictionary;
  OdDbObjectId dictionaryId = openMaterialDictionary(m_database, dictionary);
  if (OdDbObjectPtr existing = dictionary->getAt(name, OdDb::kForWrite))
  {
    const OdResult erased = existing->erase();
    existing = nullptr;
    // The standard materials refuse to go; the whole dictionary goes
    // instead, and they with it.
    if (erased == eCannotBeErasedByCaller && me::isReservedMaterialName(name))
    {
      dictionary->erase();
      dictionary = nullptr;
      dictionaryId = openMaterialDictionary(m_database, dictionary);
    }
  }
  dictionary = nullptr;

  OdDbIdMappingPtr mapping = OdDbIdMapping::createObject();
  OdDbObjectIdArray ids;
  ids.append(source);
  m_database->wblockCloneObjects(ids, dictionaryId, *mapping, OdDb::kDrcReplace);
  OdDbIdPair pair(source);
  if (!mapping->compute(pair))
    return OdDbObjectId();
  return pair.value();
}

void MePreviewScene::keepOnlyMaterial(const OdString& name)
{
  OdDbDictionaryPtr dictionary;
  openMaterialDictionary(m_database, dictionary);
  std::vector<OdString> others;
  for (OdDbDictionaryIteratorPtr it = dictionary->newIterator(); !it->done(); it->next())
  {
    OdDbMaterialPtr material = OdDbMaterial::cast(it->getObject(OdDb::kForRead));
    if (material.isNull())
      continue;
    const OdString other = material->name();
    if (other.iCompare(name) != 0 && !me::isReservedMaterialName(other))
      others.push_back(it->name());
  }
  // The entries go with their materials: an erased material's entry would
  // stay in the dictionary, and a browser that shows a thousand materials on
  // one scene would walk a thousand dead entries for every one of them.
  for (const OdString& key : others)
    if (OdDbObjectPtr material = dictionary->remove(key).openObject(OdDb::kForWrite))
      material->erase();
}

void MePreviewScene::giveSampleMaterial()
{
  if (OdDbEntityPtr sample = OdDbEntity::cast(m_sampleId.openObject(OdDb::kForWrite)))
    sample->setMaterial(m_materialId, true);
}
} // namespace meui
