#include "core/MeSystemDialogs.h"

#include "core/MeHost.h"

namespace me
{
bool MeSystemDialogsServiceItem::selectFileToOpen(const OdString& fileName, const OdString& filter, OdString& path)
{
  OdString chosen;
  if (!me::selectFileToOpen(fileName, filter, kOpenFileFlags, chosen))
    return false;
  path = chosen;
  return true;
}

IMeServiceItem* createSystemDialogs() { return new MeSystemDialogsServiceItem(); }
} // namespace me
