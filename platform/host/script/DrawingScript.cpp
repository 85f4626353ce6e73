#include "DrawingScript.h"

#include "MaterialScript.h"

#include <cstdlib>
#include <unordered_set>
#include <vector>

namespace host
{
struct DrawingScript::EntityOptions
{
  OdString material;
  OdString layer;
  OdString block; // empty: model space
  OdString label;
  double at[3] = {0.0, 0.0, 0.0};
  double size = 1.0;
};

namespace
{
OdDbObjectId layerByName(OdDbDatabase* db, const OdString& name)
{
  OdDbLayerTablePtr layers = db->getLayerTableId().safeOpenObject();
  const OdDbObjectId id = layers->getAt(name);
  if (id.isNull())
    throw ScriptError(OdString::format(L"no layer \"%s\"", name));
  return id;
}

// Model space and paper space are no blocks that a script may name.
OdDbObjectId blockByName(OdDbDatabase* db, const OdString& name)
{
  OdDbBlockTablePtr blocks = db->getBlockTableId().safeOpenObject();
  const OdDbObjectId id = name.getAt(0) == L'*' ? OdDbObjectId() : blocks->getAt(name);
  if (id.isNull())
    throw ScriptError(OdString::format(L"no block \"%s\"", name));
  return id;
}

// Whether a reference to `inserted` put into `container` would make a block
// contain itself: true when `inserted` leads, through the references it
// holds, back to `container`. The search runs from both ends at once, a
// block at a time each, and stops as soon as either end has nothing left to
// visit: building a chain of any depth, top down or bottom up, costs a step
// or two per insert, and only closing a cycle walks the chain. Explicit
// lists, no recursion.
bool wouldContainItself(const OdDbObjectId& container, const OdDbObjectId& inserted)
{
  if (container == inserted)
    return true;
  std::unordered_set<const OdDbStub*> below{inserted.stub()}, above{container.stub()};
  std::vector<OdDbObjectId> down{inserted}, up{container};
  while (!down.empty() && !up.empty())
  {
    // Down: the blocks that the references in this one insert.
    OdDbBlockTableRecordPtr record = OdDbBlockTableRecord::cast(down.back().openObject());
    down.pop_back();
    static const std::vector<OdDbObjectId> kNone;
    for (const OdDbObjectId& id : record.isNull() ? kNone : record->entityIds())
    {
      OdDbBlockReferencePtr reference = OdDbBlockReference::cast(id.openObject());
      if (reference.isNull())
        continue;
      const OdDbObjectId next = reference->blockTableRecord();
      if (above.count(next.stub()))
        return true;
      if (below.insert(next.stub()).second)
        down.push_back(next);
    }
    if (down.empty())
      break;
    // Up: the blocks that hold references to this one.
    record = OdDbBlockTableRecord::cast(up.back().openObject());
    up.pop_back();
    OdDbObjectIdArray references;
    if (!record.isNull())
      record->getBlockReferenceIds(references);
    for (const OdDbObjectId& id : references)
    {
      OdDbObjectPtr reference = id.openObject();
      const OdDbObjectId owner = reference.isNull() ? OdDbObjectId() : reference->ownerId();
      if (owner.isNull())
        continue;
      if (below.count(owner.stub()))
        return true;
      if (above.insert(owner.stub()).second)
        up.push_back(owner);
    }
  }
  return false;
}
} // namespace

OdDbObjectId materialByName(OdDbDatabase* db, const OdString& name)
{
  OdDbDictionaryPtr materials = db->getMaterialDictionaryId().safeOpenObject();
  const OdDbObjectId id = materials->getAt(name);
  if (id.isNull())
    throw ScriptError(OdString::format(L"no material \"%s\"", name));
  return id;
}

void DrawingScript::addCommands(ScriptInterpreter& interpreter)
{
  interpreter.add(L"MATERIAL", [this](ScriptArgs& a) { material(a); });
  interpreter.add(L"MATEDIT", [this](ScriptArgs& a) { editMaterial(a); });
  interpreter.add(L"ERASE", [this](ScriptArgs& a) { eraseMaterial(a); });
  interpreter.add(L"DROPSTANDARD", [this](ScriptArgs& a) { dropStandardMaterial(a); });
  interpreter.add(L"LAYER", [this](ScriptArgs& a) { layer(a); });
  interpreter.add(L"MESH", [this](ScriptArgs& a) { mesh(a, false); });
  interpreter.add(L"BOX", [this](ScriptArgs& a) { mesh(a, true); });
  interpreter.add(L"BLOCK", [this](ScriptArgs& a) { block(a); });
  interpreter.add(L"INSERT", [this](ScriptArgs& a) { insert(a); });
  interpreter.add(L"GROUP", [this](ScriptArgs& a) { group(a); });
  interpreter.add(L"CMATERIAL", [this](ScriptArgs& a) { currentMaterial(a); });
}

OdDbDatabasePtr DrawingScript::readDrawing(const std::string& bytes, const OdString& fileName,
                                           ScriptInterpreter& commands,
                                           const std::function<void(int line, const OdString& error)>& failed)
{
  OdDbDatabasePtr db = odCreateDatabase(true, OdDb::kMetric);
  // Relative map files are found beside the drawing from its first line on.
  db->setDatabaseFileName(fileName);
  m_reading = db.get();
  struct Reset
  {
    OdDbDatabase*& reading;
    ~Reset() { reading = nullptr; }
  } reset{m_reading};
  for (const ScriptLine& line : scriptLines(bytes))
  {
    OdString error;
    if (!commands.tryRun(line.text, error))
      failed(line.number, error);
  }
  return db;
}

OdDbDatabase* DrawingScript::database() const
{
  if (m_reading)
    return m_reading;
  OdDbDatabase* db = m_current ? m_current() : nullptr;
  if (!db)
    throw ScriptError(L"no current document");
  return db;
}

OdDbObjectId DrawingScript::resolve(OdDbDatabase* db, const OdString& word) const
{
  OdDbObjectId id;
  if (word.getAt(0) == L'$')
  {
    auto it = m_labels.find(word);
    if (it == m_labels.end())
      throw ScriptError(OdString::format(L"no object labelled \"%s\"", word));
    id = it->second;
    if (id.database() != db)
      throw ScriptError(OdString::format(L"\"%s\" is an object of another document", word));
  }
  else
  {
    const std::string text = word.toUtf8();
    char* end = nullptr;
    const unsigned long long handle = std::strtoull(text.c_str(), &end, 16);
    if (text.empty() || *end != '\0' || handle == 0)
      throw ScriptError(OdString::format(L"\"%s\" is neither a handle nor a $label", word));
    id = db->getOdDbObjectId(OdDbHandle(handle));
    if (id.isNull())
      throw ScriptError(OdString::format(L"no object with handle %s", word));
  }
  if (id.isErased())
    throw ScriptError(OdString::format(L"the object \"%s\" is erased", word));
  return id;
}

void DrawingScript::remember(const OdString& label, const OdDbObjectId& id)
{
  if (!label.isEmpty())
    m_labels[label] = id;
}

// MATERIAL name [options] [AS $label]: a new material.
void DrawingScript::material(ScriptArgs& args)
{
  OdDbDatabase* db = database();
  const OdString& name = args.next(L"material name");
  MaterialOptions options;
  options.read(args);
  // Made whole before the dictionary is opened, so a refused line writes nothing.
  OdDbMaterialPtr object = OdDbMaterial::createObject();
  object->setName(name);
  options.applyTo(*object);
  const auto taken = [&] {
    return ScriptError(OdString::format(L"the material \"%s\" exists already; MATEDIT changes it", name));
  };
  OdDbDictionaryPtr materials = db->getMaterialDictionaryId().safeOpenObject();
  // A drawing being read has no observers: setAt's own refusal of a taken
  // name is enough there, and a second search a line slows long drawings.
  if (!m_reading && materials->has(name))
    throw taken();
  materials->upgradeOpen();
  try
  {
    remember(options.label, materials->setAt(name, object));
  }
  catch (const OdError& error)
  {
    if (error.code() == eDuplicateKey)
      throw taken();
    throw;
  }
}

// MATEDIT name [NAME new] [options]: changes an existing material, as an
// edit in the drawing would: the material is opened for write once, so the
// drawing's observers hear of the change once.
void DrawingScript::editMaterial(ScriptArgs& args)
{
  OdDbDatabase* db = database();
  const OdDbObjectId id = materialByName(db, args.next(L"material name"));
  OdString newName;
  if (args.nextIs(L"NAME"))
  {
    newName = args.next(L"new material name");
    OdDbDictionaryPtr materials = db->getMaterialDictionaryId().safeOpenObject();
    const OdDbObjectId holder = materials->getAt(newName);
    if (!holder.isNull() && holder != id)
      throw ScriptError(OdString::format(L"the name \"%s\" is taken by another material", newName));
  }
  MaterialOptions options;
  options.read(args);
  if (!options.label.isEmpty())
    throw ScriptError(L"MATEDIT takes no AS");
  options.check(*OdDbMaterialPtr(id.safeOpenObject()));
  OdDbMaterialPtr material = id.safeOpenObject(OdDb::kForWrite);
  if (!newName.isEmpty())
    material->setName(newName);
  options.applyTo(*material);
}

// ERASE name: erases the material as another command of the host would, so
// the drawing's observers hear of it; what used it keeps a reference to the
// erased material.
void DrawingScript::eraseMaterial(ScriptArgs& args)
{
  OdDbDatabase* db = database();
  const OdString name = args.next(L"material name");
  args.expectEnd();
  OdDbMaterialPtr material = materialByName(db, name).safeOpenObject(OdDb::kForWrite);
  if (material->erase() != eOk)
    throw ScriptError(
      OdString::format(L"the material \"%s\" cannot be erased: it is one of the drawing's standard materials", name));
}

// DROPSTANDARD name: a drawing without that standard material ("By Layer",
// "By Block" or "Global"), as one written by another program may come.
// What used it keeps a reference to the erased material.
void DrawingScript::dropStandardMaterial(ScriptArgs& args)
{
  OdDbDatabase* db = database();
  const OdString name = args.next(L"standard material name");
  args.expectEnd();
  const OdDbObjectId id = materialByName(db, name);
  if (id != db->byLayerMaterialId() && id != db->byBlockMaterialId() && id != db->globalMaterialId())
    throw ScriptError(OdString::format(L"\"%s\" is no standard material; ERASE erases it", name));
  OdDbDictionaryPtr materials = db->getMaterialDictionaryId().safeOpenObject(OdDb::kForWrite);
  materials->remove(id);
  OdDbMaterialPtr material = id.safeOpenObject(OdDb::kForWrite);
  material->erase();
}

// LAYER name [MATERIAL name] [AS $label]: makes the layer, or gives an
// existing one the material.
void DrawingScript::layer(ScriptArgs& args)
{
  OdDbDatabase* db = database();
  const OdString name = args.next(L"layer name");
  OdDbObjectId materialId;
  OdString label;
  while (!args.done())
  {
    if (args.nextIs(L"MATERIAL"))
      materialId = materialByName(db, args.next(L"material name"));
    else if (args.nextIs(L"AS"))
      label = args.next(L"label");
    else
      args.expectEnd();
  }
  OdDbLayerTablePtr layers = db->getLayerTableId().safeOpenObject(OdDb::kForWrite);
  OdDbObjectId id = layers->getAt(name);
  if (id.isNull())
  {
    OdDbLayerTableRecordPtr record = OdDbLayerTableRecord::createObject();
    record->setName(name);
    id = layers->add(record);
    if (!materialId.isNull())
      record->setMaterialId(materialId);
  }
  else if (!materialId.isNull())
    OdDbLayerTableRecordPtr(id.safeOpenObject(OdDb::kForWrite))->setMaterialId(materialId);
  remember(label, id);
}

void DrawingScript::readEntityOption(ScriptArgs& args, EntityOptions& options)
{
  if (args.nextIs(L"MATERIAL"))
    options.material = args.next(L"material name");
  else if (args.nextIs(L"LAYER"))
    options.layer = args.next(L"layer name");
  else if (args.nextIs(L"IN"))
    options.block = args.next(L"block name");
  else if (args.nextIs(L"AT"))
    ScriptArgs::toTriple(args.next(L"position x,y,z"), L"the position", options.at);
  else if (args.nextIs(L"SIZE"))
  {
    options.size = ScriptArgs::toReal(args.next(L"size"), L"the size");
    if (options.size <= 0)
      throw ScriptError(L"the size must be above 0");
  }
  else if (args.nextIs(L"AS"))
    options.label = args.next(L"label");
  else
    args.expectEnd();
}

OdDbObjectId DrawingScript::place(OdDbDatabase* db, OdDbEntity* entity, const EntityOptions& options)
{
  // Names are checked before anything is added, so a refused line adds nothing.
  const OdDbObjectId materialId = options.material.isEmpty() ? OdDbObjectId() : materialByName(db, options.material);
  const OdDbObjectId layerId = options.layer.isEmpty() ? OdDbObjectId() : layerByName(db, options.layer);
  const OdDbObjectId owner = options.block.isEmpty() ? db->getModelSpaceId() : blockByName(db, options.block);
  entity->setDatabaseDefaults(db);
  if (!materialId.isNull())
    entity->setMaterial(materialId);
  if (!layerId.isNull())
    entity->setLayer(layerId);
  OdDbBlockTableRecordPtr record = owner.safeOpenObject(OdDb::kForWrite);
  const OdDbObjectId id = record->appendOdDbEntity(entity);
  remember(options.label, id);
  return id;
}

// MESH|BOX [MATERIAL name] [LAYER name] [IN block] [AT x,y,z] [SIZE s] [AS $label]:
// a cube as a subdivision mesh (MESH) or a polyface mesh (BOX).
void DrawingScript::mesh(ScriptArgs& args, bool polyface)
{
  OdDbDatabase* db = database();
  EntityOptions options;
  while (!args.done())
    readEntityOption(args, options);
  const double s = options.size;
  OdGePoint3dArray corners;
  for (int i = 0; i < 8; ++i)
    corners.append(OdGePoint3d(options.at[0] + ((i & 1) ? s : 0), options.at[1] + ((i & 2) ? s : 0),
                               options.at[2] + ((i & 4) ? s : 0)));
  // Quads with outward normals: bottom, top, front, back, left, right.
  static const int kFaces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  if (polyface)
  {
    OdDbPolyFaceMeshPtr mesh = OdDbPolyFaceMesh::createObject();
    for (const OdGePoint3d& corner : corners)
    {
      OdDbPolyFaceMeshVertexPtr vertex = OdDbPolyFaceMeshVertex::createObject();
      vertex->setPosition(corner);
      mesh->appendVertex(vertex);
    }
    for (const auto& face : kFaces)
    {
      OdDbFaceRecordPtr record = OdDbFaceRecord::createObject();
      for (int k = 0; k < 4; ++k)
        record->setVertexAt(OdUInt16(k), OdInt16(face[k] + 1));
      mesh->appendFaceRecord(record);
    }
    place(db, mesh, options);
  }
  else
  {
    OdInt32Array faces;
    for (const auto& face : kFaces)
    {
      faces.append(4);
      for (int k = 0; k < 4; ++k)
        faces.append(face[k]);
    }
    OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
    if (mesh->setSubDMesh(corners, faces, 0) != eOk)
      throw ScriptError(L"the mesh was refused");
    place(db, mesh, options);
  }
}

// BLOCK name [AS $label]: an empty block definition.
void DrawingScript::block(ScriptArgs& args)
{
  OdDbDatabase* db = database();
  const OdString name = args.next(L"block name");
  OdString label;
  if (args.nextIs(L"AS"))
    label = args.next(L"label");
  args.expectEnd();
  if (name.getAt(0) == L'*')
    throw ScriptError(L"block names starting with * are the drawing's own");
  OdDbBlockTablePtr blocks = db->getBlockTableId().safeOpenObject(OdDb::kForWrite);
  if (blocks->has(name))
    throw ScriptError(OdString::format(L"the block \"%s\" exists already", name));
  OdDbBlockTableRecordPtr record = OdDbBlockTableRecord::createObject();
  record->setName(name);
  remember(label, blocks->add(record));
}

// INSERT block [MATERIAL name] [LAYER name] [IN block] [AT x,y,z] [AS $label]
void DrawingScript::insert(ScriptArgs& args)
{
  OdDbDatabase* db = database();
  const OdDbObjectId blockId = blockByName(db, args.next(L"block name"));
  EntityOptions options;
  while (!args.done())
  {
    if (args.nextIs(L"SIZE"))
      throw ScriptError(L"INSERT takes no SIZE");
    readEntityOption(args, options);
  }
  if (!options.block.isEmpty() && wouldContainItself(blockByName(db, options.block), blockId))
    throw ScriptError(OdString::format(L"the insert would make the block \"%s\" contain itself", options.block));
  OdDbBlockReferencePtr reference = OdDbBlockReference::createObject();
  reference->setBlockTableRecord(blockId);
  reference->setPosition(OdGePoint3d(options.at[0], options.at[1], options.at[2]));
  place(db, reference, options);
}

// GROUP name objects...: a group of the named objects.
void DrawingScript::group(ScriptArgs& args)
{
  OdDbDatabase* db = database();
  const OdString name = args.next(L"group name");
  OdDbObjectIdArray members;
  for (const OdString& word : args.rest())
    members.append(resolve(db, word));
  OdDbDictionaryPtr groups = db->getGroupDictionaryId().safeOpenObject(OdDb::kForWrite);
  if (groups->has(name))
    throw ScriptError(OdString::format(L"the group \"%s\" exists already", name));
  OdDbGroupPtr group = OdDbGroup::createObject();
  groups->setAt(name, group);
  for (const OdDbObjectId& id : members)
    group->append(id);
}

// CMATERIAL name
void DrawingScript::currentMaterial(ScriptArgs& args)
{
  OdDbDatabase* db = database();
  const OdDbObjectId id = materialByName(db, args.next(L"material name"));
  args.expectEnd();
  db->setCMATERIAL(id);
}
} // namespace host
