// Object ids as keys of unordered containers: by the stub they point to.
#pragma once

#include "od/DbObjectId.h"

#include <functional>
#include <unordered_set>

namespace me
{
struct StubHash
{
  std::size_t operator()(const OdDbObjectId& id) const { return std::hash<const void*>()(id.stub()); }
};
using IdSet = std::unordered_set<OdDbObjectId, StubHash>;
} // namespace me
