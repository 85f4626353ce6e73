#include "host/DocumentManager.h"

#include <algorithm>
#include <unordered_map>

namespace host
{
class Document::WriteCounter final : public OdDbDatabaseReactor
{
public:
  void objectModified(const OdDbDatabase*, const OdDbObject* object) override
  {
    ++m_counts[object->objectId().stub()];
    ++m_changes;
  }
  void objectAppended(const OdDbDatabase*, const OdDbObject*) override { ++m_changes; }
  void objectUnAppended(const OdDbDatabase*, const OdDbObject*) override { ++m_changes; }
  void objectReAppended(const OdDbDatabase*, const OdDbObject*) override { ++m_changes; }
  void objectErased(const OdDbDatabase*, const OdDbObject*, bool) override { ++m_changes; }
  void headerSysVarChanged(const OdDbDatabase*, const OdString&) override { ++m_changes; }
  long long changes() const { return m_changes; }
  int count(const OdDbObjectId& id) const
  {
    const auto found = m_counts.find(id.stub());
    return found == m_counts.end() ? 0 : found->second;
  }

private:
  std::unordered_map<const void*, int> m_counts;
  long long m_changes = 0;
};

Document::Document(OdDbDatabasePtr database, const OdString& fileName, const OdString& title)
  : m_database(std::move(database)), m_writes(new WriteCounter), m_fileName(fileName), m_title(title)
{
  if (m_database)
  {
    m_database->addReactor(m_writes.get());
    // A document's drawing keeps what its commands did, from here on.
    m_database->enableUndoRecording(true);
  }
}

void Document::rename(const OdString& fileName, const OdString& title)
{
  m_fileName = fileName;
  m_title = title;
  m_database->setDatabaseFileName(fileName);
}

Document::~Document()
{
  if (m_database)
  {
    m_database->removeReactor(m_writes.get());
    // Whoever still holds the drawing holds no history of a closed document.
    m_database->enableUndoRecording(false);
  }
}

int Document::writesOf(const OdDbObjectId& id) const { return m_writes->count(id); }

long long Document::changes() const { return m_writes->changes(); }

bool Document::isModified() const { return changes() != m_savedChanges; }

void Document::markSaved() { m_savedChanges = changes(); }

DocumentManager::~DocumentManager() = default;

template <class Fn>
void DocumentManager::notify(Fn&& fn)
{
  // A copy, because observers may attach or detach while being told.
  const std::vector<HostApDocManagerReactor*> reactors = m_reactors;
  ++m_notifying;
  for (HostApDocManagerReactor* reactor : reactors)
    if (hasReactor(reactor))
      fn(reactor);
  --m_notifying;
}

Document* DocumentManager::openDocument(const OdString& title, const OdString& fileName, OdDbDatabasePtr database)
{
  if (m_notifying)
    return nullptr;
  if (database.isNull())
    database = odCreateDatabase(true, OdDb::kMetric);
  if (!fileName.isEmpty())
    database->setDatabaseFileName(fileName);
  m_documents.push_back(std::make_unique<Document>(database, fileName.isEmpty() ? title : fileName, title));
  Document* document = m_documents.back().get();
  notify([&](HostApDocManagerReactor* r) { r->documentCreateStarted(document); });
  notify([&](HostApDocManagerReactor* r) { r->documentCreated(document); });
  activate(document);
  return document;
}

Document* DocumentManager::find(const HostDocument* document) const
{
  for (const auto& open : m_documents)
    if (open.get() == document)
      return open.get();
  return nullptr;
}

HostDocument* DocumentManager::documentAt(int index)
{
  return index >= 0 && index < documentCount() ? m_documents[std::size_t(index)].get() : nullptr;
}

bool DocumentManager::setCurDocument(HostDocument* document)
{
  Document* open = find(document);
  if (!open || m_notifying)
    return false;
  if (open != m_current)
    activate(open);
  return true;
}

void DocumentManager::activate(Document* document)
{
  if (Document* old = m_current)
    notify([&](HostApDocManagerReactor* r) { r->documentToBeDeactivated(old); });
  notify([&](HostApDocManagerReactor* r) { r->documentToBeActivated(document); });
  m_current = document;
  m_history.erase(std::remove(m_history.begin(), m_history.end(), document), m_history.end());
  m_history.push_back(document);
  notify([&](HostApDocManagerReactor* r) { r->documentBecameCurrent(document); });
  notify([&](HostApDocManagerReactor* r) { r->documentActivated(document); });
}

bool DocumentManager::closeDocument(HostDocument* document)
{
  Document* open = find(document);
  if (!open || m_notifying)
    return false;
  notify([&](HostApDocManagerReactor* r) { r->documentToBeDestroyed(open); });

  const OdString fileName = open->fileName();
  m_history.erase(std::remove(m_history.begin(), m_history.end(), open), m_history.end());
  if (m_current == open)
    m_current = nullptr;
  // Taken out of the list before it is destroyed, so that nothing reached
  // from its destruction sees it still counted.
  auto it = std::find_if(m_documents.begin(), m_documents.end(), [&](const auto& d) { return d.get() == open; });
  std::unique_ptr<Document> going = std::move(*it);
  m_documents.erase(it);
  going.reset();

  notify([&](HostApDocManagerReactor* r) { r->documentDestroyed(fileName); });
  if (!m_current && !m_history.empty())
    activate(m_history.back());
  return true;
}

void DocumentManager::addReactor(HostApDocManagerReactor* reactor)
{
  if (reactor && !hasReactor(reactor))
    m_reactors.push_back(reactor);
}

void DocumentManager::removeReactor(HostApDocManagerReactor* reactor)
{
  m_reactors.erase(std::remove(m_reactors.begin(), m_reactors.end(), reactor), m_reactors.end());
}

bool DocumentManager::hasReactor(const HostApDocManagerReactor* reactor) const
{
  return std::find(m_reactors.begin(), m_reactors.end(), reactor) != m_reactors.end();
}
} // namespace host
