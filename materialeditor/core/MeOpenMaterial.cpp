#include "core/MeOpenMaterial.h"

#include "core/MeHost.h"
#include "core/MeStrings.h"
#include "od/DbMaterial.h"

namespace me
{
bool materialName(const OdDbObjectId& id, OdString& name)
{
  if (id.isNull())
    return false;
  try
  {
    const OdDbMaterialPtr material = OdDbMaterial::cast(id.openObject(OdDb::kForRead).get());
    if (material.isNull())
      return false;
    name = material->name();
    return true;
  }
  catch (const OdError&)
  {
    return false; // erased or of a closed drawing
  }
}

bool materialToEdit(const OdDbObjectId& id, OdString& name)
{
  if (materialName(id, name))
    return true;
  showMessage(loadString(kStrInvalidMaterial), kHostIconStop);
  return false;
}
} // namespace me
