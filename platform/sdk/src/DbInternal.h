// What the database classes share behind their public interfaces.
#pragma once

#include "od/DbDatabase.h"

// The record behind an object id. Stubs are never freed or reused while the
// process runs, so an id outlives its object and its database safely.
struct OdDbStub
{
  OdDbDatabase* database = nullptr; // null once the database is gone
  OdDbObject* object = nullptr;     // the database holds one reference
  OdUInt64 handle = 0;
};

// The objects a database is built around, for a reader that makes them itself.
struct DatabaseRoots
{
  OdDbObjectId blockTable, layerTable, modelSpace, paperSpace, layerZero, namedObjects;
};

struct OdDbInternal
{
  // The next object made resident takes this handle; false (and nothing
  // changes) when it is 0 or already taken.
  static bool wantHandle(OdDbDatabase* database, OdUInt64 handle);
  // The handle the next new object gets unless another is wanted.
  static OdUInt64 handleSeed(const OdDbDatabase* database);
  static void raiseHandleSeed(OdDbDatabase* database, OdUInt64 seed);
  static void setRoots(OdDbDatabase* database, const DatabaseRoots& roots);

  static OdDbStub* newStub();

  // The object behind an id for the SDK's own reads, without opening it;
  // null when there is none or it is erased (unless asked for).
  static OdDbObject* peek(const OdDbObjectId& id, bool evenErased = false);
  template <class T>
  static T* peekAs(const OdDbObjectId& id, bool evenErased = false)
  {
    OdDbObject* object = peek(id, evenErased);
    return object && object->isKindOf(T::desc()) ? static_cast<T*>(object) : nullptr;
  }

  // Makes the object resident without telling the reactors; the caller puts
  // it into its container and then calls finishAppend.
  static OdDbObjectId makeResident(OdDbDatabase* database, OdDbObject* object, const OdDbObjectId& ownerId);
  static void finishAppend(OdDbDatabase* database, OdDbObject* object);

  // Erases or unerases without the open check and without the object's
  // refusal, telling the reactors; used for owners that take their contents
  // with them.
  static void forceErase(OdDbObject* object, bool erasing);
  static void detachFromDatabase(OdDbObject* object);
  // Tells the block record a block reference points to of the reference
  // (made, or pointed elsewhere); anything else is ignored.
  static void noteBlockReference(const OdDbObject* object);
  // Undo: the object is about to change (its state is kept once a step);
  // it was just made resident; the database's header is about to change.
  // Nothing happens while the database keeps no history.
  static void noteChange(OdDbObject* object);
  static void noteAppended(OdDbObject* object);
  static void noteHeaderChange(OdDbDatabase* database);
  static void copyUndoState(OdDbObject* target, const OdDbObject* source) { target->copyUndoState(source); }
  // Keeps a dictionary key equal to the name of the object stored under it.
  static void renameEntry(OdDbObject* object, const OdString& oldName, const OdString& newName);
};
