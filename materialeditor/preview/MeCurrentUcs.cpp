#include "MeSampleGeometry.h"

namespace meui
{
// FIXME: the host's getCurrentUCS is not wired in yet; the world axes stand in.
bool currentUcs(OdDbDatabase*, OdGeMatrix3d& ucs)
{
  ucs.setToIdentity();
  return false;
}
} // namespace meui
