// What the host's commands share about the files they read, and where the
// host's own messages go.
//
//   kMaxScriptSize  the largest script or script drawing read
//   isDxf           whether a path names a DXF file
//   readProblem     why a file could not be read, for the user
//   writeError      a line to standard error
#pragma once

#include "host/FileSystem.h"
#include "od/OdString.h"

#include <cstddef>

namespace host
{
constexpr std::size_t kMaxScriptSize = 16u << 20;

bool isDxf(const OdString& path);
// what: "script", "drawing"...
OdString readProblem(ReadResult result, const OdString& what, const OdString& path);
// Writes a line to standard error as UTF-8.
void writeError(const OdString& line);
} // namespace host
