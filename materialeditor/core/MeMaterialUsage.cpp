#include "core/MeMaterialUsage.h"

#include "core/IMeManager.h"
#include "core/MeHost.h"
#include "core/MeIdHash.h"
#include "core/MeMaterialOperations.h"
#include "core/MeServices.h"
#include "core/MeStrings.h"
#include "od/DbEntity.h"
#include "od/DbMaterial.h"
#include "od/DbSymbolTable.h"

#include <algorithm>
#include <unordered_map>

namespace me
{
namespace
{
// Whether each block definition holds, at any depth, an entity whose own
// material is the one asked about: each definition walked once, its answer
// kept for every other reference to it.
class BlockHolds
{
public:
  explicit BlockHolds(const OdDbObjectId& material) : m_material(material) {}

  bool holds(const OdDbObjectId& record)
  {
    if (const auto known = m_answers.find(record); known != m_answers.end())
      return known->second;
    struct Frame
    {
      OdDbObjectId record;
      OdDbObjectIteratorPtr entities;
      bool found;
      // A "no" that leaned on a definition still on the path (a block that
      // inserts itself): true there, and not kept for later asks.
      bool provisional;
    };
    std::vector<Frame> stack;
    const auto enter = [&](const OdDbObjectId& id) {
      m_onPath.insert(id);
      OdDbObjectPtr object = id.isNull() ? OdDbObjectPtr() : id.openObject(OdDb::kForRead);
      auto* definition = OdDbBlockTableRecord::cast(object.get()).get();
      stack.push_back({id, definition ? definition->newIterator(true, true) : OdDbObjectIteratorPtr(), false, false});
    };
    enter(record);
    bool answer = false;
    while (!stack.empty())
    {
      Frame& top = stack.back();
      if (top.found || !top.entities || top.entities->done())
      {
        const Frame done = top;
        stack.pop_back();
        m_onPath.erase(done.record);
        if (done.found || !done.provisional)
          m_answers[done.record] = done.found;
        answer = done.found;
        if (!stack.empty())
        {
          stack.back().found = stack.back().found || done.found;
          stack.back().provisional = stack.back().provisional || done.provisional;
        }
        continue;
      }
      OdDbEntityPtr entity = top.entities->entity();
      top.entities->step();
      if (entity.isNull())
        continue;
      if (entity->materialId() == m_material)
      {
        top.found = true;
        continue;
      }
      if (const auto* reference = OdDbBlockReference::cast(entity.get()).get())
      {
        const OdDbObjectId inner = reference->blockTableRecord();
        if (const auto known = m_answers.find(inner); known != m_answers.end())
          top.found = known->second;
        else if (m_onPath.count(inner))
          top.provisional = true;
        else
          enter(inner);
      }
    }
    return answer;
  }

private:
  OdDbObjectId m_material;
  std::unordered_map<OdDbObjectId, bool, StubHash> m_answers;
  IdSet m_onPath;
};
} // namespace

OdDbObjectIdArray selectableUsers(OdDbDatabase* database, const OdDbObjectId& materialId)
{
  OdDbObjectIdArray ids;
  if (!database || materialId.isNull())
    return ids;
  OdDbObjectPtr object = database->getModelSpaceId().openObject(OdDb::kForRead);
  auto* modelSpace = OdDbBlockTableRecord::cast(object.get()).get();
  if (!modelSpace)
    return ids;
  BlockHolds blocks(materialId);
  for (OdDbObjectIteratorPtr it = modelSpace->newIterator(true, true); !it->done(); it->step())
  {
    OdDbEntityPtr entity = it->entity();
    if (entity.isNull())
      continue;
    const auto* reference = OdDbBlockReference::cast(entity.get()).get();
    if (entity->materialId() == materialId || (reference && blocks.holds(reference->blockTableRecord())))
      ids.append(it->objectId());
  }
  return ids;
}

std::vector<OdDbObjectId> unusedMaterials(OdDbDatabase* database, const std::vector<OdDbObjectId>& standard)
{
  std::vector<OdDbObjectId> unused;
  if (!database)
    return unused;
  // What is used, gathered in one walk: every entity of every block record
  // (model and paper space are records too), every layer, CMATERIAL. Entities
  // mostly share a few materials: the last one met is not looked up again.
  IdSet used(standard.begin(), standard.end());
  used.insert(database->getCMATERIAL());
  OdDbObjectPtr blocksObject = database->getBlockTableId().openObject(OdDb::kForRead);
  if (auto* blocks = OdDbBlockTable::cast(blocksObject.get()).get())
    for (OdDbSymbolTableIteratorPtr records = blocks->newIterator(true, true); !records->done(); records->step())
    {
      OdDbObjectPtr recordObject = records->getRecord(OdDb::kForRead);
      auto* record = OdDbBlockTableRecord::cast(recordObject.get()).get();
      if (!record)
        continue;
      OdDbObjectId last;
      for (OdDbObjectIteratorPtr it = record->newIterator(true, true); !it->done(); it->step())
      {
        OdDbEntityPtr entity = it->entity();
        if (entity.isNull())
          continue;
        const OdDbObjectId material = entity->materialId();
        if (material != last)
          used.insert(last = material);
      }
    }
  OdDbObjectPtr layersObject = database->getLayerTableId().openObject(OdDb::kForRead);
  if (auto* layers = OdDbLayerTable::cast(layersObject.get()).get())
    for (OdDbSymbolTableIteratorPtr it = layers->newIterator(true, true); !it->done(); it->step())
    {
      OdDbObjectPtr layerObject = it->getRecord(OdDb::kForRead);
      if (auto* layer = OdDbLayerTableRecord::cast(layerObject.get()).get())
        used.insert(layer->materialId());
    }
  OdDbDictionaryPtr dictionary = openMaterialDictionary(database, OdDb::kForRead);
  if (dictionary.isNull())
    return unused;
  for (OdDbDictionaryIteratorPtr it = dictionary->newIterator(OdRx::kDictSorted); !it->done(); it->next())
    if (!used.count(it->objectId()))
      unused.push_back(it->objectId());
  return unused;
}

std::vector<OdDbObjectId> unusedMaterials(IMeManager* manager)
{
  OdDbDatabase* database = manager ? manager->database() : nullptr;
  if (!database)
    return {};
  return unusedMaterials(database,
                         {manager->byLayerMaterialId(), manager->byBlockMaterialId(), manager->globalMaterialId()});
}

RemoveUnusedOutcome removeUnusedMaterials()
{
  IMeManager* manager = managerService();
  OdDbDatabase* database = manager ? manager->database() : nullptr;
  const OdUInt64 drawing = database ? database->serialNumber() : 0;
  const std::vector<OdDbObjectId> unused = unusedMaterials(manager);
  if (unused.empty())
    return RemoveUnusedOutcome::None;
  // The count goes into the (translated) text at its %d, never through it as a format.
  OdString question = loadString(unused.size() == 1 ? kStrRemoveOneUnused : kStrRemoveManyUnused);
  if (const int at = question.find(OdString(L"%d")); at >= 0)
    question = question.left(at) + OdString::format(L"%d", int(unused.size())) + question.mid(at + 2);
  if (showMessage(question, kHostIconQuestion, kHostButtonsYesNo) != kHostAnswerYes)
    return RemoveUnusedOutcome::Declined;
  // The question's loop let the drawing change, or close and another take its
  // address: the drawing is known by its serial number, what is unused is
  // asked again, and only what is still unused, was counted and lives in
  // that drawing goes.
  database = managerService() == manager ? manager->database() : nullptr;
  if (!database || database->serialNumber() != drawing)
    return RemoveUnusedOutcome::None;
  const std::vector<OdDbObjectId> still = unusedMaterials(manager);
  std::vector<OdString> names;
  for (const OdDbObjectId& id : still)
    if (id.database() == database && std::find(unused.begin(), unused.end(), id) != unused.end())
    {
      OdDbObjectPtr object = id.openObject(OdDb::kForRead);
      if (auto* material = OdDbMaterial::cast(object.get()).get())
        names.push_back(material->name());
    }
  for (const OdString& name : names)
    manager->removeMaterial(name);
  nameUndoStep(database, loadString(kStrStepRemoveUnused));
  return names.empty() ? RemoveUnusedOutcome::None : RemoveUnusedOutcome::Removed;
}
} // namespace me
