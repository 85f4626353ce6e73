// What tests do to drawings and to SDK calls again and again.
#pragma once

#include "od/DbDatabase.h"
#include "od/DbDictionary.h"
#include "od/DbMaterial.h"

#include <functional>

// A material in the drawing's material dictionary under its own name, set up
// before it is added.
inline OdDbObjectId addMaterial(OdDbDatabase* db, const OdString& name,
                                const std::function<void(OdDbMaterial&)>& setUp = nullptr)
{
  OdDbMaterialPtr material = OdDbMaterial::createObject();
  material->setName(name);
  if (setUp)
    setUp(*material);
  OdDbDictionaryPtr dictionary = db->getMaterialDictionaryId(true).safeOpenObject(OdDb::kForWrite);
  return dictionary->setAt(name, material);
}

// The result code of the SDK error the call raises, or eOk.
inline OdResult errorCode(const std::function<void()>& call)
{
  try
  {
    call();
  }
  catch (const OdError& error)
  {
    return error.code();
  }
  return eOk;
}
