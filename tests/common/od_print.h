// Lets GoogleTest print SDK values in failure messages.
#pragma once

#include "od/OdString.h"

#include <ostream>

inline void PrintTo(const OdString& text, std::ostream* os) { *os << '"' << text.toUtf8() << '"'; }
