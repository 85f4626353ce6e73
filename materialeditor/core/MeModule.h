// What runs because the library is loaded: the module object, which holds
// the state the palettes share (the document observer, whether the browser
// is shown, the command's action) for as long as the host keeps it, the
// command MATBROWSEROPEN and its object, and the "Startup" profile entry.
#pragma once

#include "host/HostCommands.h"
#include "od/RxModule.h"

#include <atomic>
#include <memory>

class HostApDocManagerReactor;

namespace me
{
class MeDocumentManagerReactor;

// MATBROWSEROPEN's action; the user interface installs it (the palette lives
// there). Without one the command does nothing.
using BrowserToggle = void (*)();

class MeMaterialEditorModule : public OdRxModule
{
public:
  ~MeMaterialEditorModule() override;

  // The module's own count: it lives until the host deletes it.
  void addRef() const override { m_refs.fetch_add(1); }
  void release() const override { m_refs.fetch_sub(1); }
  long numRefs() const override { return m_refs.load(); }

  void deleteModule() override;
  // Registers the class "MeManager", creates the registry with its services
  // and the document observer (not yet attached).
  void initApp() override;
  // Removes the class, detaches and destroys the document observer. The
  // registry stays until the library's static objects go.
  void uninitApp() override;
  OdString moduleName() const override;

  MeDocumentManagerReactor* documentObserver() const { return m_observer.get(); }
  void attachDocumentObserver();
  void detachDocumentObserver();
  bool browserShown() const { return m_browserShown; }
  void setBrowserShown(bool shown) { m_browserShown = shown; }
  void setBrowserToggle(BrowserToggle toggle) { m_toggle = toggle; }
  void toggleBrowser();

private:
  mutable std::atomic<long> m_refs{0};
  std::unique_ptr<MeDocumentManagerReactor> m_observer;
  bool m_observerAttached = false;
  bool m_browserShown = false;
  BrowserToggle m_toggle = nullptr;
};

// The module object, created on the first call bound to the instance.
MeMaterialEditorModule* moduleObject(void* instance);
// The module object if it exists.
OdRxModule* existingModuleObject();

// What follows asks the module object, and does nothing (or answers null,
// false) while there is none.

// The document observer created by initApp; null outside initApp..uninitApp.
MeDocumentManagerReactor* documentObserver();
void attachDocumentObserver();
void detachDocumentObserver();

// Whether the Materials Browser is shown (set by the palette).
bool browserShown();
void setBrowserShown(bool shown);

// Adds (add) or deletes the value named by the command in the host profile
// section "Startup"; nothing without a profile.
void setStartupCommand(bool add, const OdString& command);

// The command object of MATBROWSEROPEN.
class MeMaterialBrowserCmd : public ICmdProcess
{
public:
  MeMaterialBrowserCmd() = default;
  virtual ~MeMaterialBrowserCmd();

  unsigned AddRef() override { return internalAddRef(); }
  unsigned Release() override { return internalRelease(); }
  bool QueryInterface(const std::type_info& type, void** out) override;
  int run() override;
  int beginHook() override { return 0; }
  int endHook() override { return 0; }
  // 0 without a current document, else 1, plus 2 while the browser is shown.
  int state() override;
  int getContext(IKtUnknown** context) override;
  int setContext(IKtUnknown* context) override;

  unsigned internalAddRef() { return ++m_refs; }
  unsigned internalRelease();
  bool internalQuery(const std::type_info& type, void** out);

  // The factory handed to the host: one object with count 1.
  static int create(ICmdProcess** command);

private:
  unsigned m_refs = 0; // not atomic: commands run on the user-interface thread
  IKtUnknown* m_context = nullptr;
};

constexpr const char* kBrowserCommand = "MATBROWSEROPEN";
constexpr const wchar_t* kBrowserCommandGroup = L"HOST";

// Registers MATBROWSEROPEN with the host's command factory; false (and
// nothing registered) when the host has no "new_ICmdFactory".
bool registerBrowserCommand();

// The command's action, as the module object holds it.
void toggleMaterialsBrowser();
} // namespace me
