#include "core/MeMaterialOperations.h"

#include "core/IMeManager.h"
#include "core/MeHost.h"
#include "core/MeIdHash.h"
#include "core/MeServices.h"
#include "core/MeStrings.h"
#include "od/DbEntity.h"
#include "od/DbGroup.h"
#include "od/DbMaterial.h"
#include "od/DbSymbolTable.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace me
{
OdDbDictionaryPtr openMaterialDictionary(OdDbDatabase* database, OdDb::OpenMode mode)
{
  if (!database)
    return OdDbDictionaryPtr();
  const OdDbObjectId id = database->getMaterialDictionaryId(true);
  OdDbObjectPtr object = id.openObject(mode);
  return OdDbDictionary::cast(object.get());
}

bool materialNameExists(OdDbDatabase* database, const OdString& name)
{
  OdDbDictionaryPtr dictionary = openMaterialDictionary(database, OdDb::kForRead);
  return dictionary && dictionary->has(name);
}

namespace
{
// Another material of the dictionary answers to the name (compared without
// case): the material itself may keep its name or change only its case.
bool nameTakenByOther(OdDbDatabase* database, const OdString& name, const OdDbObjectId& self)
{
  OdDbDictionaryPtr dictionary = openMaterialDictionary(database, OdDb::kForRead);
  if (!dictionary)
    return false;
  const OdDbObjectId holder = dictionary->getAt(name);
  return !holder.isNull() && holder != self;
}
} // namespace

NewNameOutcome applyNewMaterialName(const OdDbObjectId& materialId, const wchar_t* text)
{
  if (!text)
    return NewNameOutcome::Cancelled;
  const OdString name(text);
  // Enter on the name as it stands changes nothing: no write, no event.
  {
    OdDbMaterialPtr material = OdDbMaterial::cast(materialId.openObject(OdDb::kForRead).get());
    if (material && material->name() == name)
      return NewNameOutcome::Unchanged;
  }
  if (hasInvalidCharacters(name))
  {
    showMessage(loadString(kStrInvalidCharacters), kHostIconExclamation);
    return NewNameOutcome::RefusedInvalidCharacters;
  }
  // Blanks alone would show as an invisible label: as good as no name.
  if (isBlankName(name))
    return NewNameOutcome::RefusedSilently;
  // The name must be free where the material lives; that is the current
  // document's drawing whenever the browser shows it.
  OdDbDatabase* database = materialId.database() ? materialId.database() : currentDatabase();
  if (isReservedMaterialName(name) || nameTakenByOther(database, name, materialId))
  {
    // The name is data, never a format.
    showMessage(OdString::format(loadString(kStrMaterialExists), name), kHostIconExclamation);
    return NewNameOutcome::RefusedNameExists;
  }
  {
    OdDbObjectPtr object = materialId.openObject(OdDb::kForWrite);
    OdDbMaterialPtr material = OdDbMaterial::cast(object.get());
    object = nullptr;
    // The standard materials are found by their names: they keep them.
    if (!material || isReservedMaterialName(material->name()))
      return NewNameOutcome::RefusedSilently;
    try
    {
      material->setName(name);
    }
    catch (const OdError&)
    {
      return NewNameOutcome::RefusedSilently; // the SDK changes nothing when it refuses
    }
  } // closed here, before the palette looks at it
  if (hasAppServices())
    sendServiceEvent(kMaterialEditorPaletteService, kEventMaterialRenamed);
  return NewNameOutcome::Accepted;
}

namespace
{
// Names are compared without case; folding maps one character to one, so
// texts of different lengths never match.
bool sameName(const OdString& a, const OdString& b) { return a.getLength() == b.getLength() && a.iCompare(b) == 0; }

// One search for the users of a material name.
class UserSearch
{
public:
  UserSearch(const OdString& name, OdDbObjectIdArray& ids) : m_name(name), m_ids(ids) {}

  // The entities of a block record, and through each block reference the
  // record it inserts, as deep as references go. A record already being
  // walked further out (a block that inserts itself, directly or not) is
  // not entered again, so the walk always ends. Iterative, so deep nesting
  // cannot exhaust the stack.
  void walkBlock(const OdDbObjectId& recordId)
  {
    std::vector<Frame> stack;
    enter(stack, recordId);
    while (!stack.empty())
    {
      OdDbObjectIterator& it = *stack.back().entities;
      if (it.done())
      {
        m_onPath.erase(stack.back().record);
        stack.pop_back();
        continue;
      }
      const OdDbObjectId id = it.objectId();
      it.step();
      OdDbObjectPtr object = id.openObject(OdDb::kForRead);
      if (!object)
        continue;
      if (object->isKindOf(OdDbBlockReference::desc()))
      {
        const OdDbObjectId inserted = static_cast<OdDbBlockReference*>(object.get())->blockTableRecord();
        object = nullptr;
        enter(stack, inserted);
      }
      else if (object->isKindOf(OdDbEntity::desc()))
        check(static_cast<OdDbEntity*>(object.get()), id);
    }
  }

  // Group members; a member group is walked the same way, once per path.
  // Iterative, like walkBlock: groups may hold groups to any depth.
  void walkGroup(const OdDbGroup* group)
  {
    std::vector<GroupFrame> stack;
    enterGroup(stack, group);
    while (!stack.empty())
    {
      GroupFrame& top = stack.back();
      if (top.next == top.members.size())
      {
        m_groupsOnPath.erase(top.group);
        stack.pop_back();
        continue;
      }
      const OdDbObjectId id = top.members[top.next++];
      OdDbObjectPtr object = id.openObject(OdDb::kForRead);
      if (!object)
        continue;
      if (object->isKindOf(OdDbBlockReference::desc()))
        walkBlock(static_cast<OdDbBlockReference*>(object.get())->blockTableRecord());
      else if (object->isKindOf(OdDbGroup::desc()))
        enterGroup(stack, static_cast<OdDbGroup*>(object.get()));
      else if (object->isKindOf(OdDbEntity::desc()))
        check(static_cast<OdDbEntity*>(object.get()), id);
      // Anything else in a group uses no material.
    }
  }

private:
  struct Frame
  {
    OdDbObjectIteratorPtr entities;
    OdDbObjectId record;
  };

  struct GroupFrame
  {
    OdDbObjectId group;
    OdDbObjectIdArray members;
    OdUInt32 next;
  };

  void enterGroup(std::vector<GroupFrame>& stack, const OdDbGroup* group)
  {
    if (!m_groupsOnPath.insert(group->objectId()).second)
      return;
    stack.push_back(GroupFrame{group->objectId(), OdDbObjectIdArray(), 0});
    group->allEntityIds(stack.back().members);
  }

  void enter(std::vector<Frame>& stack, const OdDbObjectId& recordId)
  {
    if (recordId.isNull() || m_onPath.count(recordId))
      return;
    OdDbObjectPtr object = recordId.openObject(OdDb::kForRead);
    if (!object)
      return;                                // an erased or missing definition has nothing to walk
    OdDbBlockTableRecordPtr record = object; // another class: the wrong-class error
    stack.push_back(Frame{record->newIterator(true, true), recordId});
    m_onPath.insert(recordId);
  }

  void check(const OdDbEntity* entity, const OdDbObjectId& id)
  {
    if (usesTheName(entity))
      m_ids.append(id);
  }

  // The answer per material id, since names do not change during a search:
  // entities mostly share a few materials, and taking each one's name would
  // copy it for every entity met.
  bool usesTheName(const OdDbEntity* entity)
  {
    const OdDbObjectId materialId = entity->materialId();
    if (m_hasLast && materialId == m_lastMaterial)
      return m_lastAnswer;
    auto known = m_answers.find(materialId);
    const bool answer =
      known != m_answers.end() ? known->second : (m_answers[materialId] = sameName(entity->material(), m_name));
    m_hasLast = true;
    m_lastMaterial = materialId;
    m_lastAnswer = answer;
    return answer;
  }

  const OdString& m_name;
  OdDbObjectIdArray& m_ids;
  IdSet m_onPath;
  IdSet m_groupsOnPath;
  std::unordered_map<OdDbObjectId, bool, StubHash> m_answers;
  bool m_hasLast = false;
  OdDbObjectId m_lastMaterial;
  bool m_lastAnswer = false;
};
} // namespace

void findMaterialUsers(OdDbDatabase* database, const OdString& name, OdDbObjectIdArray& ids)
{
  if (!database)
    return;
  UserSearch search(name, ids);

  if (materialNameExists(database, name))
  {
    OdDbBlockTablePtr blocks = database->getBlockTableId().safeOpenObject(OdDb::kForRead);
    for (OdDbSymbolTableIteratorPtr it = blocks->newIterator(true, true); !it->done(); it->step())
      search.walkBlock(it->getRecordId());
  }

  OdDbLayerTablePtr layers = database->getLayerTableId().safeOpenObject(OdDb::kForRead);
  for (OdDbSymbolTableIteratorPtr it = layers->newIterator(true, true); !it->done(); it->step())
  {
    OdDbLayerTableRecordPtr layer = it->getRecord(OdDb::kForRead);
    const OdDbObjectId materialId = layer ? layer->materialId() : OdDbObjectId();
    if (materialId.isNull())
      continue;
    // An erased material still names what the layer was given, as for entities.
    OdDbObjectPtr object = materialId.openObject(OdDb::kForRead, true);
    if (!object)
      continue;
    OdDbMaterialPtr material = object; // another class: the wrong-class error
    if (sameName(material->name(), name))
      ids.append(it->getRecordId());
  }

  const OdDbObjectId groupsId = database->getGroupDictionaryId(false);
  if (groupsId.isNull())
    return;
  OdDbDictionaryPtr groups = groupsId.safeOpenObject(OdDb::kForRead);
  for (OdDbDictionaryIteratorPtr it = groups->newIterator(OdRx::kDictSorted); !it->done(); it->next())
  {
    OdDbObjectPtr object = it->getObject(OdDb::kForRead);
    if (!object)
      continue;
    OdDbGroupPtr group = object; // another class: the wrong-class error
    search.walkGroup(group);
  }
}

bool isCurrentMaterial(OdDbDatabase* database, const OdString& name)
{
  if (!database)
    return false;
  const OdDbObjectId id = database->getCMATERIAL();
  if (id.isNull())
    return false;
  OdDbObjectPtr object = id.openObject(OdDb::kForRead, true);
  if (!object)
    return false;
  OdDbMaterialPtr material = object;
  return sameName(material->name(), name);
}

namespace
{
RemoveResult refused(OdResult code) { return RemoveResult{RemoveOutcome::Refused, code}; }
} // namespace

RemoveResult removeMaterialWithUsers(const OdDbObjectId& materialId)
{
  OdDbObjectPtr object;
  const OdResult opened = materialId.openObject(object, OdDb::kForRead);
  if (opened != eOk)
    return refused(opened);
  OdDbMaterialPtr material = object; // another class: the wrong-class error
  const OdString name = material->name();
  OdDbDatabase* database = material->database();
  material = nullptr;
  object = nullptr;

  // Everything that could make the removal fail halfway is checked before
  // the question, so that a Yes either removes the material or changes nothing.
  IMeManager* manager = managerService();
  if (!manager || !database || manager->database() != database)
    return refused(eWrongDatabase);
  const OdDbObjectId byLayer = manager->byLayerMaterialId();
  if (materialId == byLayer || materialId == manager->byBlockMaterialId() || materialId == manager->globalMaterialId())
    return refused(eCannotBeErasedByCaller);
  OdDbDictionaryPtr dictionary = openMaterialDictionary(database, OdDb::kForRead);
  if (!dictionary)
    return refused(eInvalidOpenState);
  if (dictionary->getAt(name) != materialId)
    return refused(eInvalidObjectId);
  dictionary = nullptr;

  OdDbObjectIdArray users;
  findMaterialUsers(database, name, users);
  const bool current = isCurrentMaterial(database, name);
  if (users.isEmpty() && !current)
  {
    const int code = manager->removeMaterial(name);
    return code == eOk ? RemoveResult{RemoveOutcome::Removed, eOk} : refused(OdResult(code));
  }
  if (byLayer.isNull())
    return refused(eNullObjectId);

  if (showMessage(loadString(kStrMaterialInUse), kHostIconQuestion, kHostButtonsYesNo) != kHostAnswerYes)
    return RemoveResult{RemoveOutcome::Declined, eOk};

  {
    // Each user once, however often the search met it; all of them open
    // for write before the first changes.
    std::vector<OdDbObjectPtr> writable;
    IdSet seen;
    for (const OdDbObjectId& id : users)
    {
      if (!seen.insert(id).second)
        continue;
      OdDbObjectPtr user;
      const OdResult result = id.openObject(user, OdDb::kForWrite);
      if (result != eOk)
        return refused(result);
      writable.push_back(user);
    }
    for (const OdDbObjectPtr& user : writable)
    {
      if (auto* entity = OdDbEntity::cast(user.get()).get())
        entity->setMaterial(byLayer, true);
      else if (auto* layer = OdDbLayerTableRecord::cast(user.get()).get())
        layer->setMaterialId(byLayer);
    }
  }
  if (current && isCurrentMaterial(database, name))
    database->setCMATERIAL(byLayer);

  const int code = manager->removeMaterial(name);
  return code == eOk ? RemoveResult{RemoveOutcome::Removed, eOk} : refused(OdResult(code));
}

unsigned applyMaterialToSelection(const OdDbObjectId& materialId)
{
  OdDbObjectPtr material = materialId.openObject(OdDb::kForRead);
  if (!material || !material->isKindOf(OdDbMaterial::desc()))
    return 0;
  material = nullptr;
  const OdDbDatabase* database = materialId.database();

  unsigned changed = 0;
  for (const OdDbObjectId& id : currentSelection())
  {
    OdDbObjectPtr object = id.openObject(OdDb::kForRead);
    OdDbEntity* entity = OdDbEntity::cast(object.get()).get();
    // A material of another drawing would be a reference into nowhere.
    if (!entity || entity->database() != database)
      continue;
    // Someone else's open for write stays as it was.
    const bool wasWritable = entity->openMode() == OdDb::kForWrite;
    entity->upgradeOpen();
    entity->setMaterial(materialId, true);
    if (!wasWritable)
      entity->downgradeOpen();
    ++changed;
  }
  return changed;
}
} // namespace me
