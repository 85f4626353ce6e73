// The host's conversions between reals and the texts a user reads and types
// (exported from hostutils as hostdbRToS and hostdbDisToF).
//
// Unit modes as the drawing's linear units: 1 scientific, 2 decimal. The
// host draws in decimal units only; the other modes (engineering,
// architectural, fractional) are refused by the text-to-real conversion
// and shown as decimal by the real-to-text one.
#pragma once

#include "od/OdString.h"

namespace host
{
enum HostUnitMode
{
  kUnitsScientific = 1,
  kUnitsDecimal = 2,
};

// The number of decimals used when the caller asks for the default (-1).
constexpr int kDefaultUnitPrecision = 4;

// 2.5 -> "2.5000" (mode 2), "2.5000E+00" (mode 1). Precision -1 is the
// default; others are clamped to 0..8. Never "-0.0000"; NaN and infinities
// as "nan", "inf", "-inf".
OdString realToText(double value, int unitMode, int precision = -1);

// " -1.5 ", "2", ".5", "1e3" -> true and the value. Refused: empty text, any
// other character ("2*3", "1,5"), more than one number, a value that is not
// finite ("1e400", "nan", "inf"), a unit mode other than 1 or 2.
bool distanceToReal(const OdString& text, int unitMode, double& value);
} // namespace host
