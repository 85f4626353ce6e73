// The drawing's part of DUMP without its write counters: materials with
// every channel, the current material, layers, entities with handles,
// groups. Two drawings that give the same text are the same to a user.
#pragma once

#include "DrawingSummary.h"
#include "JsonWriter.h"
#include "MaterialScript.h"

#include <string>

namespace host
{
inline std::string drawingState(OdDbDatabase* db)
{
  JsonWriter json;
  json.beginObject();
  json.key(L"materials").beginArray();
  OdDbDictionaryPtr materials = db->getMaterialDictionaryId(false).safeOpenObject();
  for (auto it = materials->newIterator(); !it->done(); it->next())
  {
    json.beginObject();
    json.key(L"name").value(it->name());
    json.key(L"handle").value(it->objectId().getHandle().ascii());
    writeMaterialChannels(json, *OdDbMaterialPtr(it->getObject()), nullptr);
    json.endObject();
  }
  json.endArray();
  json.key(L"cmaterial").value(db->getCMATERIAL().getHandle().ascii());
  writeDrawingObjects(json, db);
  json.endObject();
  return json.text();
}
} // namespace host
