// The host as the module sees it: entry points found by exported name at
// each use, and the services behind them. A missing entry leaves its step
// undone: the functions below then answer nothing (null, false, the text
// unchanged) and never fail.
#pragma once

#include "host/HostApi.h"

#include <functional>
#include <string>

namespace me
{
// The host binaries that exports are looked up in.
enum class HostLibrary
{
  Executable,
  Main,            // the host's main library, by GetMainDllInstance
  MainByName,      // the same library found by GetMainDllNameW
  Core,            // kticore
  Events,          // events5
  Utils,           // hostutils
  Docbar,          // docking panes
  VectorizerUtils, // hostvectorizerutils
};

// Where lookups go. By default to the system's lookup (MeSystem.h): in the
// Windows module the real one in the host's binaries, natively none. A host
// of its own (a test) installs a resolver, which replaces the default until
// it is reset.
using HostResolver = std::function<void*(HostLibrary library, const char* name)>;
void setHostResolver(HostResolver resolver);
void resetHostResolver();

// The export, or null.
void* hostExport(HostLibrary library, const char* name);
template <class Fn>
Fn hostFunction(HostLibrary library, const char* name)
{
  return reinterpret_cast<Fn>(hostExport(library, name));
}

// Host objects by index of get_host_funcptr; null when unavailable.
void* hostObject(int index);
HostAppServices* hostAppServices();
HostDocManager* hostDocManager();
HostPreviewNotifier* hostPreviewNotifier();
HostThemeService* hostTheme();

// The application object: GetApp (cached after the first success), else
// CreateObjectC("CLSID_APP").
IHostApp* hostApplication();
IProfile* hostProfile();
IHostMathParser* hostMathParser();

// Host translation of a user text; the text itself without a host.
OdString translate(const OdString& text);
bool fileExists(const OdString& path);
// Full path of a file found by the host's search, or empty.
OdString findFile(const OdString& fileName, OdDbDatabase* database, int kind = kHostFindTextureMap);
bool showHelpTopic(const OdString& topic);
void showEventMessage(const OdString& text);
bool currentUCS(OdDbDatabase* database, OdGeMatrix3d& ucs);
// The graphics module the host draws with, or empty when it names none.
OdString currentVectorizerModuleName();

// The current document and what the module takes from it.
HostDocument* currentDocument();
OdDbDatabase* currentDatabase();
OdDbObjectIdArray currentSelection();
// Makes the selection of the database's document exactly the ids; false
// when the host cannot.
bool setSelection(OdDbDatabase* database, const OdDbObjectIdArray& ids);
// The host main window, parent of palettes and dialogs; null without one.
void* hostMainWindow();

// Names the undo step a write of the module opened in the database, as the
// Edit menu shows it; a step with a name keeps it. Nothing without the host.
void nameUndoStep(OdDbDatabase* database, const OdString& name);

// The one seam for message boxes: the host's, else the system's (MeSystem.h),
// else a refusal (No / Cancel) with the text on standard error.
HostMessageAnswer showMessage(const OdString& text, HostMessageIcon icon, HostMessageButtons buttons = kHostButtonsOk);
// The open-file dialog: the host's, else the system's; false on cancel and
// without either.
bool selectFileToOpen(const OdString& initialName, const OdString& filter, unsigned flags, OdString& path);
} // namespace me
