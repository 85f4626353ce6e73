// The host's documents: each a drawing database with a file name, a title
// and a command context whose selection set lists the selected object ids.
//
//   Document          one open drawing (HostDocument)
//   DocumentManager   the open documents, the current one, and the observers
//
// What observers hear, in this order:
//   new document   documentCreateStarted, documentCreated, then as for a switch
//   switch         documentToBeDeactivated(old, when there is one),
//                  documentToBeActivated, documentBecameCurrent, documentActivated
//   close          documentToBeDestroyed(doc); the document goes;
//                  documentDestroyed(file name); then, when others remain, the
//                  most recently current of them is made current as by a switch
// During documentDestroyed the closed document is no longer counted and no
// document is current.
//
// Observers may attach or detach (themselves or others) while being told:
// one detached meanwhile is not told, one attached meanwhile hears the next
// event. Opening, switching or closing from inside a notification is refused.
#pragma once

#include "host/HostApi.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace host
{
class Document final : public HostDocument
{
public:
  Document(OdDbDatabasePtr database, const OdString& fileName, const OdString& title);
  ~Document() override;
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  OdDbDatabase* database() override { return m_database.get(); }
  const OdString& fileName() const override { return m_fileName; }
  const OdString& title() const override { return m_title; }
  HostCommandContext* commandContext() override { return &m_context; }

  void setSelection(const OdDbObjectIdArray& ids) { m_selection.ids = ids; }
  // How long reading its drawing file took; negative when it was read from none.
  double loadSeconds() const { return m_loadSeconds; }
  void setLoadSeconds(double seconds) { m_loadSeconds = seconds; }
  // What the drawing file's reader passed over ("file, line n: ...").
  const std::vector<OdString>& readerWarnings() const { return m_readerWarnings; }
  void setReaderWarnings(std::vector<OdString> warnings) { m_readerWarnings = std::move(warnings); }
  // The entities of types the host does not show that the file held, by
  // type: counted once, as the document opens (nothing the host does makes
  // or erases one).
  const std::vector<std::pair<std::string, int>>& keptEntities() const { return m_kept; }
  void setKeptEntities(std::vector<std::pair<std::string, int>> kept) { m_kept = std::move(kept); }
  // After a save under another name: the file, its title and the drawing's
  // own file name (which the texture search starts from) follow.
  void rename(const OdString& fileName, const OdString& title);
  // How often the object was written (opened for write and closed) since
  // the document was opened.
  int writesOf(const OdDbObjectId& id) const;
  // Whether the drawing was written (an object appended, changed or erased,
  // a header variable set) since it was opened or last saved.
  bool isModified() const;
  // The drawing as it is now is the one in its file.
  void markSaved();
  // How often the drawing was written since the document opened.
  long long changes() const;
  // The user agreed that saving the drawing as it is now leaves out what
  // the file cannot keep; the next change asks again.
  void acceptLeavingOut() { m_leaveOutAccepted = changes(); }
  bool leavingOutAccepted() const { return m_leaveOutAccepted == changes(); }

private:
  struct Selection final : HostSelectionSet
  {
    OdDbObjectIdArray objectIdArray() const override { return ids; }
    OdUInt32 numEntities() const override { return ids.size(); }
    OdDbObjectIdArray ids;
  };
  struct Context final : HostCommandContext
  {
    explicit Context(Selection& s) : selection(s) {}
    HostSelectionSet* selectionSet() override { return &selection; }
    Selection& selection;
  };

  class WriteCounter;

  OdDbDatabasePtr m_database;
  OdSmartPtr<WriteCounter> m_writes;
  long long m_savedChanges = 0;
  long long m_leaveOutAccepted = -1;
  OdString m_fileName;
  OdString m_title;
  Selection m_selection;
  Context m_context{m_selection};
  double m_loadSeconds = -1.0;
  std::vector<OdString> m_readerWarnings;
  std::vector<std::pair<std::string, int>> m_kept;
};

class DocumentManager final : public HostDocManager
{
public:
  DocumentManager() = default;
  // Documents still open go without notifications: the host is ending.
  ~DocumentManager() override;
  DocumentManager(const DocumentManager&) = delete;
  DocumentManager& operator=(const DocumentManager&) = delete;

  // Opens a document on the database (a new one with default contents when
  // null) and makes it current. The database takes the file name, so the
  // texture search finds the drawing's folder. Null when refused.
  Document* openDocument(const OdString& title, const OdString& fileName = OdString(),
                         OdDbDatabasePtr database = OdDbDatabasePtr());
  // False for a document that is not open (closed already, or another
  // manager's) and while observers are being told.
  bool closeDocument(HostDocument* document);
  // The open document behind a pointer, without touching the pointer.
  Document* find(const HostDocument* document) const;

  HostDocument* curDocument() override { return m_current; }
  // In the order of opening; null outside 0 .. count - 1.
  HostDocument* documentAt(int index) override;
  // False for a document that is not open and while observers are being told.
  bool setCurDocument(HostDocument* document) override;
  int documentCount() const override { return int(m_documents.size()); }
  // Attaching twice keeps one entry; null is ignored.
  void addReactor(HostApDocManagerReactor* reactor) override;
  void removeReactor(HostApDocManagerReactor* reactor) override;
  bool hasReactor(const HostApDocManagerReactor* reactor) const;
  void* mainWindow() const override { return m_mainWindow; }
  void setMainWindow(void* window) { m_mainWindow = window; }

private:
  template <class Fn>
  void notify(Fn&& fn);
  void activate(Document* document);

  std::vector<std::unique_ptr<Document>> m_documents;
  // Most recently current last.
  std::vector<Document*> m_history;
  Document* m_current = nullptr;
  std::vector<HostApDocManagerReactor*> m_reactors;
  int m_notifying = 0;
  void* m_mainWindow = nullptr;
};
} // namespace host
