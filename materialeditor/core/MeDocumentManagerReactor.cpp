#include "core/MeDocumentManagerReactor.h"

#include "core/IMeManager.h"
#include "core/MeHost.h"

namespace me
{
MeDocumentManagerReactor::~MeDocumentManagerReactor() = default;

bool MeDocumentManagerReactor::attach()
{
  HostDocManager* documents = hostDocManager();
  if (!documents)
    return false;
  documents->removeReactor(this);
  documents->addReactor(this);
  return true;
}

bool MeDocumentManagerReactor::detach()
{
  HostDocManager* documents = hostDocManager();
  if (!documents)
    return false;
  documents->removeReactor(this);
  return true;
}

void MeDocumentManagerReactor::documentToBeDestroyed(HostDocument* document)
{
  IMeManager* manager = managerService();
  if (!manager)
    return;
  // Only the bound drawing matters: closing a document in the background
  // must not leave the current one unwatched.
  OdDbDatabase* database = document ? document->database() : nullptr;
  if (database && database != manager->database())
    return;
  manager->detachDatabase();
}

void MeDocumentManagerReactor::documentDestroyed(const OdString&)
{
  HostDocManager* documents = hostDocManager();
  if (!documents || documents->documentCount() != 0)
    return;
  if (IMeManager* manager = managerService())
    manager->closing();
}

void MeDocumentManagerReactor::documentBecameCurrent(HostDocument* document)
{
  OdDbDatabase* database = document ? document->database() : nullptr;
  IMeManager* manager = database ? managerService() : nullptr;
  if (manager)
    manager->setDatabase(database);
}
} // namespace me
