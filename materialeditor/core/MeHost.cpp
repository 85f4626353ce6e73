#include "core/MeHost.h"

#include "core/MeSystem.h"

#include <cstdio>
#include <vector>

namespace me
{
namespace
{
HostResolver& resolver()
{
  static HostResolver current;
  return current;
}

GetAppFn& cachedGetApp()
{
  static GetAppFn fn = nullptr;
  return fn;
}
} // namespace

void setHostResolver(HostResolver r)
{
  resolver() = std::move(r);
  cachedGetApp() = nullptr;
}

void resetHostResolver()
{
  resolver() = nullptr;
  cachedGetApp() = nullptr;
}

void* hostExport(HostLibrary library, const char* name)
{
  if (resolver())
    return resolver()(library, name);
  return system().hostExport ? system().hostExport(library, name) : nullptr;
}

void* hostObject(int index)
{
  auto getter = hostFunction<GetHostFuncPtrFn>(HostLibrary::Main, HOST_EXPORT_GET_HOST_FUNCPTR);
  if (!getter)
    return nullptr;
  HostObjectFn object = getter(index);
  return object ? object() : nullptr;
}

HostAppServices* hostAppServices() { return static_cast<HostAppServices*>(hostObject(kHostAppServicesIndex)); }
HostDocManager* hostDocManager() { return static_cast<HostDocManager*>(hostObject(kHostDocManagerIndex)); }
HostPreviewNotifier* hostPreviewNotifier()
{
  return static_cast<HostPreviewNotifier*>(hostObject(kHostPreviewNotifierIndex));
}
HostThemeService* hostTheme() { return static_cast<HostThemeService*>(hostObject(kHostThemeIndex)); }

IHostApp* hostApplication()
{
  GetAppFn& getApp = cachedGetApp();
  if (!getApp)
    getApp = hostFunction<GetAppFn>(HostLibrary::Main, HOST_EXPORT_GET_APP);
  if (getApp)
    return getApp();
  if (auto create = hostFunction<CreateObjectCFn>(HostLibrary::Core, HOST_EXPORT_CREATE_OBJECT))
    return static_cast<IHostApp*>(create("CLSID_APP"));
  return nullptr;
}

IProfile* hostProfile()
{
  IHostApp* app = hostApplication();
  return app ? static_cast<IProfile*>(app->queryInterface("IProfile")) : nullptr;
}

IHostMathParser* hostMathParser()
{
  IHostApp* app = hostApplication();
  return app ? static_cast<IHostMathParser*>(app->queryInterface("IHostMathParser")) : nullptr;
}

OdString translate(const OdString& text)
{
  auto fn = hostFunction<SuppTranslateFn>(HostLibrary::Core, HOST_EXPORT_TRANSLATE);
  if (!fn)
    return text;
  const wchar_t* translated = fn(text.c_str());
  return translated ? OdString(translated) : text;
}

bool fileExists(const OdString& path)
{
  if (path.isEmpty())
    return false;
  auto fn = hostFunction<FioIsFileExistFn>(HostLibrary::Core, HOST_EXPORT_FILE_EXISTS);
  return fn && fn(path.c_str());
}

OdString findFile(const OdString& fileName, OdDbDatabase* database, int kind)
{
  HostAppServices* services = hostAppServices();
  if (!services || fileName.isEmpty())
    return OdString();
  return services->findFile(fileName, database, kind);
}

bool showHelpTopic(const OdString& topic)
{
  auto get = hostFunction<GetIHelpServiceFn>(HostLibrary::Events, HOST_EXPORT_HELP_SERVICE);
  IHelpService* help = get ? get() : nullptr;
  if (!help)
    return false;
  const bool shown = help->showTopic(topic.c_str());
  help->release();
  return shown;
}

void showEventMessage(const OdString& text)
{
  auto get = hostFunction<GetIEventsFn>(HostLibrary::Events, HOST_EXPORT_EVENTS);
  if (IEvents* events = get ? get() : nullptr)
    events->showMessage(kHostEventRowMessage, text.c_str(), 0, kHostEventStyleRow);
}

bool currentUCS(OdDbDatabase* database, OdGeMatrix3d& ucs)
{
  auto fn = hostFunction<GetCurrentUCSFn>(HostLibrary::Utils, HOST_EXPORT_CURRENT_UCS);
  return fn && fn(database, ucs);
}

OdString currentVectorizerModuleName()
{
  auto fn =
    hostFunction<GetCurrentVectorizerModuleNameFn>(HostLibrary::VectorizerUtils, HOST_EXPORT_CURRENT_VECTORIZER);
  const wchar_t* name = fn ? fn(false, false) : nullptr;
  return name ? OdString(name) : OdString();
}

HostDocument* currentDocument()
{
  HostDocManager* manager = hostDocManager();
  return manager ? manager->curDocument() : nullptr;
}

OdDbDatabase* currentDatabase()
{
  HostDocument* document = currentDocument();
  return document ? document->database() : nullptr;
}

OdDbObjectIdArray currentSelection()
{
  HostDocument* document = currentDocument();
  HostCommandContext* context = document ? document->commandContext() : nullptr;
  HostSelectionSet* selection = context ? context->selectionSet() : nullptr;
  return selection ? selection->objectIdArray() : OdDbObjectIdArray();
}

bool setSelection(OdDbDatabase* database, const OdDbObjectIdArray& ids)
{
  auto fn = hostFunction<HostSetSelectionFn>(HostLibrary::Core, HOST_EXPORT_SET_SELECTION);
  return fn && database && fn(database, ids.isEmpty() ? nullptr : &ids[0], int(ids.size()));
}

void* hostMainWindow()
{
  HostDocManager* manager = hostDocManager();
  return manager ? manager->mainWindow() : nullptr;
}

void nameUndoStep(OdDbDatabase* database, const OdString& name)
{
  if (auto fn = hostFunction<HostNameUndoStepFn>(HostLibrary::Core, HOST_EXPORT_NAME_UNDO_STEP); fn && database)
    fn(database, name.c_str());
}

HostMessageAnswer showMessage(const OdString& text, HostMessageIcon icon, HostMessageButtons buttons)
{
  const OdString caption = translate(L"Material editor");
  if (auto fn = hostFunction<HostMessageBoxFn>(HostLibrary::Utils, HOST_EXPORT_MESSAGE_BOX))
    return HostMessageAnswer(fn(hostMainWindow(), text.c_str(), caption.c_str(), icon, buttons));
  if (system().messageBox)
    return system().messageBox(hostMainWindow(), text, caption, icon, buttons);
  std::fprintf(stderr, "%s\n", text.toUtf8().c_str());
  return buttons == kHostButtonsYesNo ? kHostAnswerNo : kHostAnswerCancel;
}

bool selectFileToOpen(const OdString& initialName, const OdString& filter, unsigned flags, OdString& path)
{
  if (auto fn = hostFunction<HostSelectFileToOpenFn>(HostLibrary::Utils, HOST_EXPORT_SELECT_FILE))
  {
    std::vector<wchar_t> buffer(32768, L'\0');
    if (!fn(hostMainWindow(), initialName.c_str(), filter.c_str(), flags, buffer.data(), unsigned(buffer.size())))
      return false;
    buffer.back() = L'\0';
    path = OdString(buffer.data());
    return true;
  }
  return system().selectFileToOpen && system().selectFileToOpen(hostMainWindow(), initialName, filter, flags, path);
}
} // namespace me
