// Drawing contexts: what a device needs to know about the database it draws.
//
//   OdGiContext                the base: the database drawn
//   OdGiContextForDbDatabase   bound to one database; notices its changes so
//                              that a device may keep what it drew from it
#pragma once

#include "od/RxObject.h"

class OdDbDatabase;
class OdGiContextDatabaseWatch;

class OdGiContext : public OdRxObject
{
  ODRX_DECLARE_MEMBERS(OdGiContext);
  virtual OdDbDatabase* database() const = 0;
  // A number that changes whenever the database changes (objects added,
  // modified or erased) or another database is bound.
  virtual OdUInt64 changeCount() const = 0;
  // Whether devices may keep the geometry they took from the database
  // between updates while the change count stays the same.
  virtual bool useGsModel() const = 0;

protected:
  OdGiContext() = default;
};
using OdGiContextPtr = OdSmartPtr<OdGiContext>;

class OdGiContextForDbDatabase : public OdGiContext
{
  ODRX_DECLARE_MEMBERS(OdGiContextForDbDatabase);
  OdGiContextForDbDatabase();
  ~OdGiContextForDbDatabase() override;

  // Binds the context to the database (not owned); null unbinds it. A
  // database that goes away unbinds itself.
  void setDatabase(OdDbDatabase* database);
  OdDbDatabase* database() const override;
  OdUInt64 changeCount() const override;

  // Off in a new context.
  void enableGsModel(bool enable) { m_gsModel = enable; }
  bool useGsModel() const override { return m_gsModel; }

private:
  OdSmartPtr<OdGiContextDatabaseWatch> m_watch;
  bool m_gsModel = false;
};
using OdGiContextForDbDatabasePtr = OdSmartPtr<OdGiContextForDbDatabase>;
