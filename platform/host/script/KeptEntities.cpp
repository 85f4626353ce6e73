#include "KeptEntities.h"

#include "od/DbProxy.h"

#include <map>

namespace host
{
namespace
{
int total(const EntityCounts& counts)
{
  int sum = 0;
  for (const auto& entry : counts)
    sum += entry.second;
  return sum;
}
} // namespace

EntityCounts keptEntities(OdDbDatabase* db)
{
  std::map<std::string, int> byType;
  OdDbBlockTablePtr blocks = db->getBlockTableId().safeOpenObject();
  for (auto block = blocks->newIterator(); !block->done(); block->step())
  {
    OdDbBlockTableRecordPtr record = OdDbBlockTableRecord::cast(block->getRecordId().openObject().get());
    for (auto it = record.isNull() ? OdDbObjectIteratorPtr() : record->newIterator(); !it.isNull() && !it->done();
         it->step())
      if (OdDbProxyEntityPtr kept = OdDbProxyEntity::cast(it->objectId().openObject().get()); !kept.isNull())
        ++byType[kept->dxfName()];
  }
  return EntityCounts(byType.begin(), byType.end());
}

bool isKeptEntity(const OdDbObjectId& id) { return !OdDbProxyEntity::cast(id.openObject().get()).isNull(); }

OdString keptEntitiesStatus(const EntityCounts& kept)
{
  const int count = total(kept);
  if (count == 0)
    return OdString();
  return count == 1 ? OdString(L"Kept 1 entity this program does not show.")
                    : OdString::format(L"Kept %d entities this program does not show.", count);
}

std::vector<OdString> keptEntityLines(const EntityCounts& kept)
{
  std::vector<OdString> lines;
  for (const auto& [type, count] : kept)
    lines.push_back(OdString::format(L"  %s \u00d7 %d (kept)", OdString(type.c_str()), count));
  return lines;
}

OdString leaveOutQuestion(const EntityCounts& leftOut)
{
  const int count = total(leftOut);
  if (count == 0)
    return OdString();
  OdString list;
  for (std::size_t i = 0; i < leftOut.size(); ++i)
  {
    if (i > 0)
      list += i + 1 == leftOut.size() ? L" and " : L", ";
    list += OdString::format(L"%d %s", leftOut[i].second, OdString(leftOut[i].first.c_str()));
  }
  return OdString::format(L"Saving will leave out %s %s that this program cannot keep. Save anyway?", list,
                          count == 1 ? L"entity" : L"entities");
}
} // namespace host
