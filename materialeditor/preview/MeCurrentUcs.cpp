#include "MeSampleGeometry.h"

#include "core/MeHost.h"

namespace meui
{
bool currentUcs(OdDbDatabase* database, OdGeMatrix3d& ucs)
{
  if (me::currentUCS(database, ucs))
    return true;
  // No host, or a host without the function: the world axes.
  ucs.setToIdentity();
  return false;
}
} // namespace meui
