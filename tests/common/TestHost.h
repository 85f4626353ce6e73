// A host for native tests of the module's core: the portable host parts
// (documents, profile, translation, file search) behind the same exports the
// module looks up in the real host, plus recorded message boxes and queued
// answers for the modal dialogs.
//
// Constructing it installs the lookup; destroying it destroys the module's
// service registry while the host still answers (the settings are written
// into its profile), then removes the lookup, so every test starts clean.
// One at a time: the exports reach the host through a global.
#pragma once

#include "host/HostApi.h"

#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace host
{
class ProfileStore;
}

class TestHost
{
public:
  struct Message
  {
    OdString text;
    HostMessageIcon icon;
    HostMessageButtons buttons;
  };

  TestHost();
  ~TestHost();
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  // Documents. A new document has default contents and becomes current; the
  // document manager's observers hear what the real host tells them.
  HostDocument* newDocument(const OdString& title = L"Drawing");
  void makeCurrent(HostDocument* document);
  void closeDocument(HostDocument* document);
  HostDocument* currentDocument();
  OdDbDatabase* database(); // of the current document, or null
  HostDocManager* docManager();
  void select(const OdDbObjectIdArray& ids);

  // Message boxes: every one is recorded; answers are taken from the queue,
  // else No for a question and OK otherwise.
  std::vector<Message> messages;
  void queueAnswer(HostMessageAnswer answer);
  // Open-file dialog: queued paths; an empty one means Cancel; an empty
  // queue cancels too.
  void queueFile(const OdString& path);
  std::vector<OdString> fileDialogFilters; // what the dialog was asked to show

  // Translation of user texts ("Global" -> "Global (de)" ...).
  void setTranslation(const OdString& text, const OdString& translated);
  // Folders the texture file search looks in, in order.
  void addSearchPath(const OdString& folder);

  // A section "cmddata" exists from the start, as in the real host.
  IProfile* profile();
  host::ProfileStore& profileStore(); // its values in the order they were made
  HostAppServices* appServices();
  // The theme's window background (white unless changed), 0x00BBGGRR.
  void setWindowBackground(OdUInt32 color);

  // What the module asked of the help service, the event service and the
  // preview notifier.
  std::vector<OdString> helpTopics;
  std::vector<OdString> eventMessages;
  std::vector<int> previewNotifications;
  // The names the module gave the undo steps its writes opened, in order.
  std::vector<OdString> undoStepNames;

  // Makes an export look missing, as a host built without it would. Without
  // "GetApp" the application object still comes from "CreateObjectC".
  void removeExport(const std::string& name);
  // Puts another function behind an export (e.g. a "GetApp" whose profile
  // belongs to the test); null makes it look missing.
  void replaceExport(const std::string& name, void* function);

private:
  void installResolver();
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};
