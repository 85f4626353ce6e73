// What the host application offers to run-time modules.
//
// The host is reached through exported functions found by name (the
// typedefs and export names below) and through the abstract classes they
// hand out. Host objects live as long as the host; modules never delete them.
//
//   HostDocManager, HostDocument, HostCommandContext, HostSelectionSet
//   HostApDocManagerReactor     observer of the document manager
//   HostAppServices             new databases, texture file search
//   IHostApp, IProfile, IProfileSection
//   IHelpService, IEvents, HostPreviewNotifier, HostThemeService
#pragma once

#include "host/HostVariant.h"
#include "od/CmColor.h"
#include "od/DbDatabase.h"
#include "od/Ge.h"

#include <cstdint>

class HostDocument;

class HostSelectionSet
{
public:
  virtual ~HostSelectionSet() = default;
  virtual OdDbObjectIdArray objectIdArray() const = 0;
  virtual OdUInt32 numEntities() const = 0;
};

class HostCommandContext
{
public:
  virtual ~HostCommandContext() = default;
  virtual HostSelectionSet* selectionSet() = 0;
};

class HostDocument
{
public:
  virtual ~HostDocument() = default;
  virtual OdDbDatabase* database() = 0;
  virtual const OdString& fileName() const = 0;
  virtual const OdString& title() const = 0;
  virtual void* reserved2() { return nullptr; }
  virtual void* reserved3() { return nullptr; }
  virtual HostCommandContext* commandContext() = 0;
};

// Fifteen notifications, all empty by default, and a flag that only the
// base's last operation reads and sets.
class HostApDocManagerReactor
{
public:
  virtual void documentCreateStarted(HostDocument*) {}
  virtual void documentCreated(HostDocument*) {}
  virtual void documentToBeDestroyed(HostDocument*) {}
  virtual void documentDestroyed(const OdString& fileName) { (void)fileName; }
  virtual void documentCreateCanceled(HostDocument*) {}
  virtual void documentLockModeWillChange(HostDocument*) {}
  virtual void documentLockModeChanged(HostDocument*) {}
  virtual void documentToBeActivated(HostDocument*) {}
  virtual void documentBecameCurrent(HostDocument*) {}
  virtual void documentToBeDeactivated(HostDocument*) {}
  virtual void documentActivated(HostDocument*) {}
  virtual void documentActivationModified(bool) {}
  virtual void documentLockModeChangeVetoed(HostDocument*) {}
  virtual void documentsCleared() {}
  virtual bool checkAndSetBusy()
  {
    const bool was = m_busy != 0;
    m_busy = 1;
    return was;
  }

protected:
  ~HostApDocManagerReactor() = default;

private:
  OdInt32 m_busy = 0;
};

class HostDocManager
{
public:
  virtual ~HostDocManager() = default;
  virtual HostDocument* curDocument() = 0;
  virtual HostDocument* documentAt(int index) = 0;
  virtual bool setCurDocument(HostDocument* document) = 0;
  virtual void* reserved3() { return nullptr; }
  virtual int documentCount() const = 0;
  virtual void addReactor(HostApDocManagerReactor* reactor) = 0;
  virtual void removeReactor(HostApDocManagerReactor* reactor) = 0;
  // The host main window (a window handle), parent of palettes and dialogs.
  virtual void* mainWindow() const = 0;
};

// Search kinds of HostAppServices::findFile.
enum HostFindFileKind
{
  kHostFindDefault = 0,
  kHostFindTextureMap = 10,
};

class HostAppServices
{
public:
  virtual ~HostAppServices() = default;
  virtual OdDbDatabasePtr createDatabase(bool defaultContents, OdDb::MeasurementValue measurement) = 0;
  // The full path under which the file is found, or an empty text.
  virtual OdString findFile(const OdString& fileName, OdDbDatabase* database, int kind) = 0;
};

class IProfileSection
{
public:
  virtual ~IProfileSection() = default;
  // Sections stay owned by the profile; null when missing and not created.
  virtual IProfileSection* openSection(const char* name, bool create) = 0;
  virtual bool readValue(const char* name, CKtVariant& value) const = 0;
  virtual bool writeValue(const char* name, const CKtVariant& value) = 0;
  virtual bool createValue(const char* name) = 0;
  virtual bool deleteValue(const char* name) = 0;
};

class IProfile
{
public:
  virtual ~IProfile() = default;
  virtual IProfileSection* openSection(const char* name, bool create) = 0;
};

class IHostMathParser
{
public:
  virtual ~IHostMathParser() = default;
  // False when the text is no valid expression; message then says why.
  // No flags are defined: callers pass 0.
  virtual bool evaluate(const wchar_t* expression, double& value, OdString& message, int flags) = 0;
};

class IHostApp
{
public:
  virtual ~IHostApp() = default;
  // "IProfile" and "IHostMathParser"; null for anything else.
  virtual void* queryInterface(const char* name) = 0;
};

class IHelpService
{
public:
  virtual ~IHelpService() = default;
  virtual bool showTopic(const wchar_t* topic) = 0;
  virtual void release() = 0;
};

// Event codes of IEvents::showMessage.
enum HostEventCode
{
  kHostEventRowMessage = 12, // a property row refused what the user entered
};
// The style property rows pass with their messages.
constexpr int kHostEventStyleRow = 7;

class IEvents
{
public:
  virtual ~IEvents() = default;
  // Shows the text to the user (code 12: as a message box the user closes)
  // and answers the box's button; param and style are the caller's, kept
  // with the event.
  virtual int showMessage(int code, const wchar_t* text, int param, int style) = 0;
};

class HostPreviewNotifier
{
public:
  virtual ~HostPreviewNotifier() = default;
  virtual void previewChanged(int what) = 0;
};

class HostThemeService
{
public:
  virtual ~HostThemeService() = default;
  // Screen colours, 0x00BBGGRR.
  virtual OdUInt32 windowBackgroundColor() const = 0;
  virtual OdUInt32 textColor() const = 0;
  virtual bool isDark() const = 0;
  virtual bool useAlternateIcons() const = 0;
  // True when the host consumed the message; result then holds its answer.
  virtual bool hookMessage(void* window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                           std::intptr_t* result) = 0;
};

// The window message the host sends when its theme changes, registered by
// this name (RegisterWindowMessage); the spelling is the host's own.
#define HOST_MESSAGE_THEME_CHANGED L"KTM_THEMECHAGED"

// The host's state report (DUMP) asks a module's windows with this
// registered message for what no standard message tells: wParam names the
// value (HostStateQuery); the answer is the value plus 1, so that 0, what
// any other window answers, means "not known here".
#define HOST_MESSAGE_QUERY_STATE L"KTM_QUERYSTATE"

enum HostStateQuery
{
  kHostQueryMapPreviewState = 1,     // a map preview: 0 nothing, 1 image, 2 file not found, 3 procedural
  kHostQueryEditorListeners = 2,     // how many listeners the Material editor palette has
  kHostQueryPreviewZoom = 3,         // a material preview: its zoom against the fitted view, in thousandths
  kHostQueryPlaceholdersInSight = 4, // the browser: items in sight still showing a placeholder picture
  kHostQueryPlaceholders = 5,        // the browser: items (listed or not) still waiting for their thumbnail
  kHostQueryItemRendered = 6,        // the browser: 1 when the list item at index lParam shows its thumbnail
};

// Indices of get_host_funcptr.
enum HostObjectIndex
{
  kHostAppServicesIndex = 0,
  kHostDocManagerIndex = 2,
  kHostPreviewNotifierIndex = 12,
  kHostThemeIndex = 17,
};

// Message boxes and the open-file dialog go through the host, which shows
// the real ones or hands out answers queued by a script.
enum HostMessageIcon
{
  kHostIconNone = 0,
  kHostIconStop = 0x10,
  kHostIconQuestion = 0x20,
  kHostIconExclamation = 0x30,
  kHostIconInformation = 0x40,
};
enum HostMessageButtons
{
  kHostButtonsOk = 0,
  kHostButtonsYesNo = 4,
};
enum HostMessageAnswer
{
  kHostAnswerOk = 1,
  kHostAnswerCancel = 2,
  kHostAnswerYes = 6,
  kHostAnswerNo = 7,
};

extern "C" {
typedef void* (*HostObjectFn)();
typedef HostObjectFn (*GetHostFuncPtrFn)(int index);
typedef void* (*GetMainDllInstanceFn)();
typedef const wchar_t* (*GetMainDllNameWFn)();
typedef IHostApp* (*GetAppFn)();
typedef void* (*CreateObjectCFn)(const char* classId);
typedef void (*InitResTranslationFn)(void* moduleInstance);
// The translation stays valid as long as the host runs.
typedef const wchar_t* (*SuppTranslateFn)(const wchar_t* text);
typedef bool (*FioIsFileExistFn)(const wchar_t* path);
typedef IHelpService* (*GetIHelpServiceFn)();
typedef IEvents* (*GetIEventsFn)();
typedef bool (*GetCurrentUCSFn)(OdDbDatabase* database, OdGeMatrix3d& ucs);
// The name of the graphics module the host draws with; null or empty for none.
typedef const wchar_t* (*GetCurrentVectorizerModuleNameFn)(bool forPrinting, bool forRendering);
typedef int (*HostMessageBoxFn)(void* owner, const wchar_t* text, const wchar_t* caption, int icon, int buttons);
// Sets the render mode of the current layout's active viewport of the
// database: smooth shaded (OdDb::kGouraudShaded, 4) or flat shaded
// (OdDb::kFlatShaded, 3). False for no database.
typedef bool (*HostSetRenderModeFn)(OdDbDatabase* database, bool smoothShaded);
// Writes the chosen path into path (size in characters); false on cancel.
typedef bool (*HostSelectFileToOpenFn)(void* owner, const wchar_t* initialName, const wchar_t* filter, unsigned flags,
                                       wchar_t* path, unsigned pathSize);
// Shows a pop-up menu (an HMENU) at a screen point, as TrackPopupMenuEx does
// with the same flags: with TPM_RETURNCMD it answers the chosen command,
// otherwise it posts WM_COMMAND to the owner and answers whether one was
// chosen. 0 when the menu was cancelled.
typedef unsigned (*HostTrackPopupMenuFn)(void* menu, unsigned flags, int x, int y, void* owner);
// A real as text in a unit mode (2 decimal) with a number of decimals (-1:
// the default); writes at most size characters with the terminating zero.
typedef bool (*HostDbRToSFn)(double value, int unitMode, int precision, wchar_t* text, unsigned size);
// A distance typed in a unit mode to a real; false when it is none.
typedef bool (*HostDbDisToFFn)(const wchar_t* text, int unitMode, double* value);
// The colour dialog opened on color; on OK color is the chosen true colour.
// flag and second (a sample colour) are kept for the host's own use; tabs
// names the dialog's pages (7: all).
typedef bool (*HostSetColorDialogTrueColorFn)(OdCmColor& color, bool flag, const OdCmColor& second, int tabs,
                                              void* parent);
// The custom colours of the colour dialog, newest first; gives their count.
typedef int (*HostGetCustomColorsFn)(OdCmColor* colors, int capacity);
typedef void (*HostAddCustomColorFn)(const OdCmColor& color);
// Names the undo step that a palette's write opened in the database, so that
// the Edit menu and the undo history say what it changed ("Glossiness"). A
// step that has a name keeps it; with no step open nothing happens.
typedef void (*HostNameUndoStepFn)(OdDbDatabase* database, const wchar_t* name);
// Makes the selection of the open document on the database exactly these
// ids (count of them), as a user's pick would, and the view shows it; false
// when no open document has that database.
typedef bool (*HostSetSelectionFn)(OdDbDatabase* database, const OdDbObjectId* ids, int count);
}

#define HOST_EXPORT_GET_MAIN_DLL_INSTANCE "GetMainDllInstance"
#define HOST_EXPORT_GET_MAIN_DLL_NAME "GetMainDllNameW"
#define HOST_EXPORT_GET_HOST_FUNCPTR "get_host_funcptr"
#define HOST_EXPORT_GET_APP "GetApp"
#define HOST_EXPORT_NEW_CMD_FACTORY "new_ICmdFactory"
#define HOST_EXPORT_CREATE_OBJECT "CreateObjectC"
#define HOST_EXPORT_INIT_RES_TRANSLATION "_InitResTranslation"
#define HOST_EXPORT_TRANSLATE "Supp_Translate"
#define HOST_EXPORT_FILE_EXISTS "Fio_IsFileExist"
#define HOST_EXPORT_HELP_SERVICE "Get_IHelpService"
#define HOST_EXPORT_EVENTS "Get_IEvents"
#define HOST_EXPORT_CURRENT_UCS "getCurrentUCS"
#define HOST_EXPORT_CURRENT_VECTORIZER "getCurrentVectorizerModuleName"
#define HOST_EXPORT_MESSAGE_BOX "hostMessageBox"
#define HOST_EXPORT_SELECT_FILE "hostSelectFileToOpen"
#define HOST_EXPORT_TRACK_POPUP_MENU "hostTrackPopupMenu"
#define HOST_EXPORT_RTOS "hostdbRToS"
#define HOST_EXPORT_DISTOF "hostdbDisToF"
#define HOST_EXPORT_COLOR_DIALOG "hostSetColorDialogTrueColor"
#define HOST_EXPORT_GET_CUSTOM_COLORS "hostGetCustomColors"
#define HOST_EXPORT_ADD_CUSTOM_COLOR "hostAddCustomColor"
#define HOST_EXPORT_SET_RENDER_MODE "setRenderMode"
// From kticore, which keeps the documents and their undo history.
#define HOST_EXPORT_NAME_UNDO_STEP "hostNameUndoStep"
#define HOST_EXPORT_SET_SELECTION "hostSetSelection"
