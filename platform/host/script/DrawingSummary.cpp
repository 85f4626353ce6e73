#include "DrawingSummary.h"

namespace host
{
namespace
{
// Long drawings are cut: the view is for reading, DUMP has everything.
constexpr int kMaxObjectLines = 500;

OdString handleOf(const OdDbObjectId& id) { return id.getHandle().ascii(); }
} // namespace

std::vector<OdString> describeDrawing(OdDbDatabase* db, const OdString& title, const OdDbObjectIdArray& selection)
{
  std::vector<OdString> lines;
  lines.push_back(OdString::format(L"Materials of %s:", title));
  OdDbDictionaryPtr materials = db->getMaterialDictionaryId().safeOpenObject();
  for (auto it = materials->newIterator(); !it->done(); it->next())
    lines.push_back(OdString::format(L"  %s   [%s]%s", it->name(), handleOf(it->objectId()),
                                     it->objectId() == db->getCMATERIAL() ? L"   (current material)" : L""));

  lines.push_back(L"");
  lines.push_back(L"Objects in model space (handle, kind, material, layer):");
  OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject();
  int shown = 0, total = 0;
  for (auto it = model->newIterator(); !it->done(); it->step())
  {
    if (++total > kMaxObjectLines)
      continue;
    OdDbEntityPtr entity = OdDbEntity::cast(it->objectId().openObject().get());
    if (entity.isNull())
      continue;
    const OdString material = entity->material();
    lines.push_back(OdString::format(L"  %s   %s   %s   layer %s%s", handleOf(it->objectId()), entity->isA()->name(),
                                     material.isEmpty() ? OdString(L"(no material)") : material, entity->layer(),
                                     selection.contains(it->objectId()) ? L"   (selected)" : L""));
    ++shown;
  }
  if (total > shown)
    lines.push_back(OdString::format(L"  ... and %d more", total - shown));

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
} // namespace host
