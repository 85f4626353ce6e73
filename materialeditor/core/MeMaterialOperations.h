// Operations on the materials of one drawing by name: the material
// dictionary, the messages of the naming rules (the rules themselves are in
// MeNames.h), the search for the objects that use a material, removal of a
// used material, and applying a material to the selection. Objects are
// opened only for the length of a call.
#pragma once

#include "core/MeNames.h"
#include "od/DbDatabase.h"
#include "od/DbDictionary.h"

namespace me
{
// The material dictionary, created when missing; null when the database is
// null or the dictionary cannot be opened as asked.
OdDbDictionaryPtr openMaterialDictionary(OdDbDatabase* database, OdDb::OpenMode mode);

// The dictionary has an entry of that name (compared without case).
bool materialNameExists(OdDbDatabase* database, const OdString& name);

// Checking a name typed for a material (in-place edit of a browser item).
enum class NewNameOutcome
{
  Accepted,                  // renamed; the Material editor palette was told
  Unchanged,                 // the text is the stored name: nothing written
  Cancelled,                 // no text came back from the edit
  RefusedInvalidCharacters,  // message 105 was shown
  RefusedSilently,           // empty name, or the material no longer opens
  RefusedNameExists,         // reserved or another material's: message 107 was shown
};
// text null means the edit was cancelled.
NewNameOutcome applyNewMaterialName(const OdDbObjectId& materialId, const wchar_t* text);

// Appends every entity (through nested block references, as often as the
// walk meets it), layer and group member that uses the material name.
// Entities are searched only when the dictionary has the name.
void findMaterialUsers(OdDbDatabase* database, const OdString& name, OdDbObjectIdArray& ids);

// The drawing's current material (CMATERIAL) has that name, ignoring case.
bool isCurrentMaterial(OdDbDatabase* database, const OdString& name);

// Removing a material from the browser.
enum class RemoveOutcome
{
  Removed,
  Declined, // the user answered No to question 106
  Refused,  // nothing changed; see the code
};
struct RemoveResult
{
  RemoveOutcome outcome;
  OdResult code; // eOk unless refused
};
// Asks question 106 when the material is used or current; on Yes its users
// get the by-layer material, then it is removed with the manager. Refused,
// without a question and without a change, when the manager is not bound to
// the material's database, the material is a standard one or there is no
// by-layer material, and when a user cannot be opened for write.
RemoveResult removeMaterialWithUsers(const OdDbObjectId& materialId);

// Gives every selected entity of the current document the material, with
// its sub-entities. Answers how many entities were changed; nothing changes
// when the id is no live material.
unsigned applyMaterialToSelection(const OdDbObjectId& materialId);
} // namespace me
