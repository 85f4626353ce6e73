#include "core/MeOpenMaterial.h"

#include "core/IMeEditor.h"
#include "core/MeHost.h"
#include "core/MeServices.h"
#include "core/MeStrings.h"
#include "od/DbMaterial.h"

namespace me
{
bool openMaterialForEditor(const OdDbObjectId& material)
{
  OdDbObjectPtr object = material.isNull() ? OdDbObjectPtr() : material.openObject(OdDb::kForRead);
  if (object.isNull())
  {
    showMessage(loadString(kStrInvalidMaterial), kHostIconStop);
    return false;
  }
  // Converting raises the SDK's wrong-class error for anything else.
  const OdDbMaterialPtr checked = object;
  if (IMeEditor* editor = editorService())
    editor->open(material);
  return true;
}
} // namespace me
