// Name rules shared by the settings store and the material operations.
#pragma once

#include "od/OdString.h"

namespace me
{
// True when the name equals, ignoring case, "byblock", "bylayer", "global",
// "by block", "by layer" or the host's translation of "ByBlock", "ByLayer"
// or "Global". A longer name that only begins with one of them is free.
bool isReservedName(const OdString& name);
} // namespace me
