#include "DrawingSummary.h"

namespace host
{
namespace
{
// Long lists are cut: the view is for reading, DUMP has everything.
constexpr int kMaxObjectLines = 500;

OdString handleOf(const OdDbObjectId& id) { return id.getHandle().ascii(); }

// The name of the material an id leads to, or null.
void writeMaterialName(JsonWriter& json, const OdDbObjectId& id)
{
  OdDbMaterialPtr material = id.isNull() ? OdDbMaterialPtr() : OdDbMaterial::cast(id.openObject().get());
  if (material.isNull())
    json.null();
  else
    json.value(material->name());
}
} // namespace

std::vector<OdString> describeDrawing(OdDbDatabase* db, const OdString& title, const OdDbObjectIdArray& selection,
                                      const EntityCounts& kept)
{
  std::vector<OdString> lines;
  lines.push_back(OdString::format(L"Materials of %s:", title));
  OdDbDictionaryPtr materials = db->getMaterialDictionaryId().safeOpenObject();
  int listed = 0, unlisted = 0;
  for (auto it = materials->newIterator(); !it->done(); it->next())
    if (listed++ < kMaxObjectLines)
      lines.push_back(OdString::format(L"  %s   [%s]%s", it->name(), handleOf(it->objectId()),
                                       it->objectId() == db->getCMATERIAL() ? L"   (current material)" : L""));
    else
      ++unlisted;
  if (unlisted > 0)
    lines.push_back(OdString::format(L"  ... and %d more", unlisted));

  lines.push_back(L"");
  lines.push_back(L"Objects in model space (handle, kind, material, layer):");
  OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject();
  int shown = 0, more = 0;
  for (auto it = model->newIterator(); !it->done(); it->step())
  {
    if (shown >= kMaxObjectLines)
    {
      ++more;
      continue;
    }
    OdDbEntityPtr entity = OdDbEntity::cast(it->objectId().openObject().get());
    if (entity.isNull() || isKeptEntity(it->objectId()))
      continue;
    const OdString material = entity->material();
    lines.push_back(OdString::format(L"  %s   %s   %s   layer %s%s", handleOf(it->objectId()), entity->isA()->name(),
                                     material.isEmpty() ? OdString(L"(no material)") : material, entity->layer(),
                                     selection.contains(it->objectId()) ? L"   (selected)" : L""));
    ++shown;
  }
  if (more > 0)
    lines.push_back(OdString::format(L"  ... and %d more", more));
  for (const OdString& line : keptEntityLines(kept))
    lines.push_back(line);

  lines.push_back(L"");
  if (selection.isEmpty())
    lines.push_back(L"Nothing is selected (SELECT ALL, SELECT handle..., SELECT NONE).");
  else
  {
    OdString handles;
    for (const OdDbObjectId& id : selection)
      handles += (handles.isEmpty() ? L"" : L", ") + handleOf(id);
    lines.push_back(OdString::format(L"Selected: %d object(s): %s", int(selection.size()), handles));
  }
  return lines;
}
void writeDrawingObjects(JsonWriter& json, OdDbDatabase* db)
{
  json.key(L"layers").beginArray();
  OdDbLayerTablePtr layers = db->getLayerTableId().safeOpenObject();
  for (auto it = layers->newIterator(); !it->done(); it->step())
  {
    OdDbLayerTableRecordPtr layer = OdDbLayerTableRecord::cast(it->getRecordId().openObject().get());
    if (layer.isNull())
      continue;
    json.beginObject();
    json.key(L"name").value(layer->getName());
    json.key(L"handle").value(handleOf(it->getRecordId()));
    json.key(L"material");
    writeMaterialName(json, layer->materialId());
    json.endObject();
  }
  json.endArray();

  json.key(L"entities").beginArray();
  OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject();
  for (auto it = model->newIterator(); !it->done(); it->step())
  {
    OdDbEntityPtr entity = OdDbEntity::cast(it->objectId().openObject().get());
    if (entity.isNull() || isKeptEntity(it->objectId()))
      continue;
    json.beginObject();
    json.key(L"handle").value(handleOf(it->objectId()));
    json.key(L"kind").value(entity->isA()->name());
    json.key(L"material");
    writeMaterialName(json, entity->materialId());
    json.key(L"layer").value(entity->layer());
    json.endObject();
  }
  json.endArray();

  json.key(L"groups").beginArray();
  OdDbDictionaryPtr groups = OdDbDictionary::cast(db->getGroupDictionaryId(false).openObject().get());
  for (auto it = groups.isNull() ? OdDbDictionaryIteratorPtr() : groups->newIterator(); !it.isNull() && !it->done();
       it->next())
  {
    OdDbGroupPtr group = OdDbGroup::cast(it->objectId().openObject().get());
    if (group.isNull())
      continue;
    json.beginObject();
    json.key(L"name").value(it->name());
    json.key(L"handle").value(handleOf(it->objectId()));
    json.key(L"members").beginArray();
    OdDbObjectIdArray members;
    group->allEntityIds(members);
    for (const OdDbObjectId& id : members)
      json.value(handleOf(id));
    json.endArray();
    json.endObject();
  }
  json.endArray();
}
} // namespace host
