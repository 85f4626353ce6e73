// Basic types of the drawing SDK stand-in.
#pragma once

#include <cstddef>
#include <cstdint>

using OdInt8 = std::int8_t;
using OdUInt8 = std::uint8_t;
using OdInt16 = std::int16_t;
using OdUInt16 = std::uint16_t;
using OdInt32 = std::int32_t;
using OdUInt32 = std::uint32_t;
using OdInt64 = std::int64_t;
using OdUInt64 = std::uint64_t;

// A screen colour as Windows keeps it: 0x00BBGGRR.
using ODCOLORREF = OdUInt32;

inline constexpr ODCOLORREF ODRGB(unsigned r, unsigned g, unsigned b)
{
  return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
inline constexpr unsigned ODGETRED(ODCOLORREF c) { return c & 0xFF; }
inline constexpr unsigned ODGETGREEN(ODCOLORREF c) { return (c >> 8) & 0xFF; }
inline constexpr unsigned ODGETBLUE(ODCOLORREF c) { return (c >> 16) & 0xFF; }

#define OdPi 3.14159265358979323846
#define Od2Pi 6.283185307179586
