#include "TestHost.h"

#include "core/MeHost.h"
#include "core/MeServices.h"
#include "host/AppServices.h"
#include "host/Application.h"
#include "host/DocumentManager.h"
#include "host/FileSystem.h"
#include "host/ProfileStore.h"
#include "host/Translations.h"

#include <cstring>
#include <map>

namespace
{
struct Export
{
  me::HostLibrary library;
  void* function;
};

class TestHelp final : public IHelpService
{
public:
  explicit TestHelp(std::vector<OdString>& topics) : m_topics(topics) {}
  bool showTopic(const wchar_t* topic) override
  {
    m_topics.push_back(topic ? topic : L"");
    return true;
  }
  void release() override {} // lives as long as the host

private:
  std::vector<OdString>& m_topics;
};

class TestEvents final : public IEvents
{
public:
  explicit TestEvents(std::vector<OdString>& messages) : m_messages(messages) {}
  int showMessage(int, const wchar_t* text, int, int) override
  {
    m_messages.push_back(text ? text : L"");
    return kHostAnswerOk;
  }

private:
  std::vector<OdString>& m_messages;
};

class TestPreviewNotifier final : public HostPreviewNotifier
{
public:
  explicit TestPreviewNotifier(std::vector<int>& calls) : m_calls(calls) {}
  void previewChanged(int what) override { m_calls.push_back(what); }

private:
  std::vector<int>& m_calls;
};

// A light theme that consumes no message; its background can be changed.
class TestTheme final : public HostThemeService
{
public:
  OdUInt32 background = ODRGB(255, 255, 255);
  OdUInt32 windowBackgroundColor() const override { return background; }
  OdUInt32 textColor() const override { return ODRGB(0, 0, 0); }
  bool isDark() const override { return false; }
  bool useAlternateIcons() const override { return false; }
  bool hookMessage(void*, unsigned, std::uintptr_t, std::intptr_t, std::intptr_t*) override { return false; }
};
} // namespace

struct TestHost::Impl
{
  explicit Impl(TestHost& owner)
    : host(owner), help(owner.helpTopics), events(owner.eventMessages), notifier(owner.previewNotifications)
  {
  }

  TestHost& host;
  host::DocumentManager documents;
  host::ProfileStore profile;
  host::Translations translations;
  host::AppServices services;
  host::Application application;
  TestHelp help;
  TestEvents events;
  TestPreviewNotifier notifier;
  TestTheme theme;
  std::deque<HostMessageAnswer> answers;
  std::deque<OdString> files;
  std::map<std::string, Export> exports;

  // The exports are plain functions: they reach the host through this.
  static Impl* current;

  static void* object(int index)
  {
    if (!current)
      return nullptr;
    switch (index)
    {
    case kHostAppServicesIndex: return static_cast<HostAppServices*>(&current->services);
    case kHostDocManagerIndex: return static_cast<HostDocManager*>(&current->documents);
    case kHostPreviewNotifierIndex: return static_cast<HostPreviewNotifier*>(&current->notifier);
    case kHostThemeIndex: return static_cast<HostThemeService*>(&current->theme);
    default: return nullptr;
    }
  }
  static HostObjectFn hostFuncPtr(int index)
  {
    switch (index)
    {
    case kHostAppServicesIndex: return [] { return object(kHostAppServicesIndex); };
    case kHostDocManagerIndex: return [] { return object(kHostDocManagerIndex); };
    case kHostPreviewNotifierIndex: return [] { return object(kHostPreviewNotifierIndex); };
    case kHostThemeIndex: return [] { return object(kHostThemeIndex); };
    default: return nullptr;
    }
  }
  static IHostApp* getApp() { return current ? &current->application : nullptr; }
  static void* createObject(const char* classId)
  {
    return current && classId && std::strcmp(classId, "CLSID_APP") == 0 ? &current->application : nullptr;
  }
  static const wchar_t* translate(const wchar_t* text)
  {
    return current ? current->translations.translate(text) : text;
  }
  static bool fileExists(const wchar_t* path) { return path && host::isFile(path); }
  static IHelpService* helpService() { return current ? &current->help : nullptr; }
  static IEvents* eventService() { return current ? &current->events : nullptr; }
  static void nameUndoStep(OdDbDatabase* database, const wchar_t* name)
  {
    if (current)
      current->host.undoStepNames.push_back(name ? name : L"");
    if (database && name)
      database->nameUndoRecord(name);
  }
  static bool currentUCS(OdDbDatabase*, OdGeMatrix3d& ucs)
  {
    ucs.setToIdentity(); // world axes
    return true;
  }
  static int messageBox(void*, const wchar_t* text, const wchar_t*, int icon, int buttons)
  {
    if (!current)
      return kHostAnswerCancel;
    current->host.messages.push_back({text ? text : L"", HostMessageIcon(icon), HostMessageButtons(buttons)});
    if (current->answers.empty())
      return buttons == kHostButtonsYesNo ? kHostAnswerNo : kHostAnswerOk;
    const HostMessageAnswer answer = current->answers.front();
    current->answers.pop_front();
    return answer;
  }
  static bool selectFile(void*, const wchar_t*, const wchar_t* filter, unsigned, wchar_t* path, unsigned pathSize)
  {
    if (!current)
      return false;
    current->host.fileDialogFilters.push_back(filter ? filter : L"");
    if (current->files.empty())
      return false;
    const OdString chosen = current->files.front();
    current->files.pop_front();
    // A path that does not fit is refused, as the system dialog refuses it.
    if (chosen.isEmpty() || !path || unsigned(chosen.getLength()) >= pathSize)
      return false;
    std::wcsncpy(path, chosen.c_str(), pathSize);
    return true;
  }
};

TestHost::Impl* TestHost::Impl::current = nullptr;

namespace
{
template <class Fn>
void* asExport(Fn fn)
{
  return reinterpret_cast<void*>(fn);
}

// The main library may be reached in more than one way; every library that
// is none of the named others is taken for it.
bool sameLibrary(me::HostLibrary exported, me::HostLibrary asked)
{
  using me::HostLibrary;
  if (exported == asked)
    return true;
  const bool other = asked == HostLibrary::Executable || asked == HostLibrary::Core || asked == HostLibrary::Events ||
                     asked == HostLibrary::Utils || asked == HostLibrary::Docbar ||
                     asked == HostLibrary::VectorizerUtils;
  return exported == HostLibrary::Main && !other;
}

// Where the real host exports the names this one does not provide.
me::HostLibrary libraryOf(const std::string& name)
{
  if (name == HOST_EXPORT_GET_MAIN_DLL_INSTANCE || name == HOST_EXPORT_GET_MAIN_DLL_NAME)
    return me::HostLibrary::Executable;
  if (name == HOST_EXPORT_INIT_RES_TRANSLATION)
    return me::HostLibrary::Core;
  if (name == HOST_EXPORT_CURRENT_VECTORIZER)
    return me::HostLibrary::VectorizerUtils;
  if (name == HOST_EXPORT_SET_RENDER_MODE)
    return me::HostLibrary::Utils;
  return me::HostLibrary::Main;
}
} // namespace

TestHost::TestHost() : m_impl(std::make_unique<Impl>(*this))
{
  // A registry left by code that ran without a host goes first.
  me::destroyAppServices();
  Impl::current = m_impl.get();

  using me::HostLibrary;
  m_impl->exports = {
    {HOST_EXPORT_GET_HOST_FUNCPTR, {HostLibrary::Main, asExport(&Impl::hostFuncPtr)}},
    {HOST_EXPORT_GET_APP, {HostLibrary::Main, asExport(&Impl::getApp)}},
    {HOST_EXPORT_CREATE_OBJECT, {HostLibrary::Core, asExport(&Impl::createObject)}},
    {HOST_EXPORT_TRANSLATE, {HostLibrary::Core, asExport(&Impl::translate)}},
    {HOST_EXPORT_FILE_EXISTS, {HostLibrary::Core, asExport(&Impl::fileExists)}},
    {HOST_EXPORT_NAME_UNDO_STEP, {HostLibrary::Core, asExport(&Impl::nameUndoStep)}},
    {HOST_EXPORT_HELP_SERVICE, {HostLibrary::Events, asExport(&Impl::helpService)}},
    {HOST_EXPORT_EVENTS, {HostLibrary::Events, asExport(&Impl::eventService)}},
    {HOST_EXPORT_CURRENT_UCS, {HostLibrary::Utils, asExport(&Impl::currentUCS)}},
    {HOST_EXPORT_MESSAGE_BOX, {HostLibrary::Utils, asExport(&Impl::messageBox)}},
    {HOST_EXPORT_SELECT_FILE, {HostLibrary::Utils, asExport(&Impl::selectFile)}},
  };
  m_impl->application.setInterface("IProfile", static_cast<IProfile*>(&m_impl->profile));
  m_impl->profile.openSection("cmddata", true);

  installResolver();
}

void TestHost::installResolver()
{
  Impl* impl = m_impl.get();
  // Looked up in the binary the real host exports it from, or not found.
  // Installing it again also drops what the module cached of earlier lookups.
  me::setHostResolver([impl](me::HostLibrary library, const char* name) -> void* {
    if (!name)
      return nullptr;
    auto it = impl->exports.find(name);
    if (it == impl->exports.end() || !sameLibrary(it->second.library, library))
      return nullptr;
    return it->second.function;
  });
}

TestHost::~TestHost()
{
  // The module goes while the host is still there: the settings are written
  // into this profile and observers can still detach.
  me::destroyAppServices();
  me::resetHostResolver();
  Impl::current = nullptr;
}

HostDocument* TestHost::newDocument(const OdString& title) { return m_impl->documents.openDocument(title); }

void TestHost::makeCurrent(HostDocument* document) { m_impl->documents.setCurDocument(document); }

void TestHost::closeDocument(HostDocument* document) { m_impl->documents.closeDocument(document); }

HostDocument* TestHost::currentDocument() { return m_impl->documents.curDocument(); }

OdDbDatabase* TestHost::database()
{
  HostDocument* document = currentDocument();
  return document ? document->database() : nullptr;
}

HostDocManager* TestHost::docManager() { return &m_impl->documents; }

void TestHost::select(const OdDbObjectIdArray& ids)
{
  if (host::Document* document = m_impl->documents.find(currentDocument()))
    document->setSelection(ids);
}

void TestHost::queueAnswer(HostMessageAnswer answer) { m_impl->answers.push_back(answer); }

void TestHost::queueFile(const OdString& path) { m_impl->files.push_back(path); }

void TestHost::setTranslation(const OdString& text, const OdString& translated)
{
  m_impl->translations.set(text, translated);
}

void TestHost::addSearchPath(const OdString& folder) { m_impl->services.addSearchPath(folder); }

IProfile* TestHost::profile() { return &m_impl->profile; }

host::ProfileStore& TestHost::profileStore() { return m_impl->profile; }

HostAppServices* TestHost::appServices() { return &m_impl->services; }

void TestHost::setWindowBackground(OdUInt32 color) { m_impl->theme.background = color; }

void TestHost::removeExport(const std::string& name) { replaceExport(name, nullptr); }

void TestHost::replaceExport(const std::string& name, void* function)
{
  auto it = m_impl->exports.find(name);
  if (it != m_impl->exports.end())
    it->second.function = function;
  else if (function)
    m_impl->exports.emplace(name, Export{libraryOf(name), function});
  installResolver();
}
