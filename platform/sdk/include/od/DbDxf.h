// Drawing files in the DXF format (ASCII): read from AC1009 on; written at
// the version read from AC1021 on, else as AC1021 (UTF-8).
//
// What the model holds goes out and comes back: the header variables the
// model keeps (CLAYER, CMATERIAL, MEASUREMENT), layers with their materials,
// block records, blocks and their entities (polyface meshes, subdivision
// meshes, 3D faces, inserts), groups, the named-object dictionary with the
// material dictionary and its materials, each with the handle it had.
// Texture details the format has no place for travel as extension data of
// the application "ME_MATERIAL". Everything else a file holds is kept as its
// group pairs and written back in its place (od/DbProxy.h).
#pragma once

#include "od/DbDatabase.h"

#include <string>
#include <utility>
#include <vector>

// Reads a whole DXF file held in memory. fileName only names the file in
// messages. A file that cannot be read throws OdError (eInvalidDrawingFile)
// whose description names the file and the line; warnings, when asked for,
// list what was skipped ("file, line n: ...").
OdDbDatabasePtr odDxfRead(const std::string& bytes, const OdString& fileName,
                          std::vector<OdString>* warnings = nullptr);
// The same from a file; eFileNotFound / eCantOpenFile when it cannot be read.
OdDbDatabasePtr odDxfReadFile(const OdString& path, std::vector<OdString>* warnings = nullptr);

// What a save would leave out because it cannot be written as it was read
// (entities of older files that cannot be carried across): type and count,
// in the order the types are first met.
std::vector<std::pair<std::string, int>> odDxfLeftOut(OdDbDatabase* database);

// The drawing as DXF text. Putting it on disk is the caller's: a save
// replaces a file whole or not at all (the host's writeFileAtomically).
std::string odDxfWrite(OdDbDatabase* database);
