#include "common/TestHost.h"
#include "common/od_print.h"
#include "core/IMeManager.h"
#include "core/MeDocumentManagerReactor.h"
#include "core/MeModule.h"
#include "core/MeModuleInstance.h"
#include "core/MeServices.h"
#include "core/MeStrings.h"
#include "core/MeSystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/KtEditableProperty.h"

namespace
{
// A host context object that counts its references.
class CountedContext : public IKtUnknown
{
public:
  unsigned refs = 1;
  unsigned AddRef() override { return ++refs; }
  unsigned Release() override { return --refs; }
  bool QueryInterface(const std::type_info&, void**) override { return false; }
};

class ModuleTest : public ::testing::Test
{
protected:
  TestHost host;
};

bool hasValue(IProfile* profile, const char* section, const char* name)
{
  IProfileSection* s = profile->openSection(section, false);
  CKtVariant value;
  return s && s->readValue(name, value);
}
} // namespace

TEST_F(ModuleTest, CommandStateFollowsDocumentAndBrowser)
{
  ICmdProcess* command = nullptr;
  ASSERT_EQ(me::MeMaterialBrowserCmd::create(&command), 1);
  EXPECT_EQ(command->state(), 0) << "no document: unavailable";
  host.newDocument();
  EXPECT_EQ(command->state(), 1);
  me::setBrowserShown(true); // no module object: nothing to be shown by
  EXPECT_EQ(command->state(), 1);
  OdRxModule* module = me::moduleObject(nullptr);
  me::setBrowserShown(true);
  EXPECT_EQ(command->state(), 3);
  host.closeDocument(host.currentDocument());
  EXPECT_EQ(command->state(), 0);
  EXPECT_EQ(command->Release(), 0u);
  module->deleteModule(); // the shown state goes with it
  EXPECT_FALSE(me::browserShown());
}

TEST_F(ModuleTest, CommandReferenceCountingAndInterfaces)
{
  ICmdProcess* command = nullptr;
  ASSERT_EQ(me::MeMaterialBrowserCmd::create(&command), 1);
  void* out = nullptr;
  EXPECT_FALSE(command->QueryInterface(typeid(IKtEditableProperty), &out));
  EXPECT_EQ(out, nullptr);
  ASSERT_TRUE(command->QueryInterface(typeid(ICmdProcess), &out));
  EXPECT_EQ(out, static_cast<void*>(command));
  ASSERT_TRUE(command->QueryInterface(typeid(IKtUnknown), &out));
  EXPECT_FALSE(command->QueryInterface(typeid(IKtUnknown), nullptr));
  EXPECT_EQ(command->beginHook(), 0);
  EXPECT_EQ(command->endHook(), 0);
  // Three references now: the first, and one per successful query.
  EXPECT_EQ(command->Release(), 2u);
  EXPECT_EQ(command->Release(), 1u);
  EXPECT_EQ(command->Release(), 0u); // the object is gone; ASan would see a second free
}

TEST_F(ModuleTest, ContextIsReferencedWhileHeld)
{
  CountedContext first, second;
  ICmdProcess* command = nullptr;
  me::MeMaterialBrowserCmd::create(&command);
  IKtUnknown* got = nullptr;
  EXPECT_EQ(command->getContext(&got), 0);
  EXPECT_EQ(command->setContext(&first), 1);
  EXPECT_EQ(first.refs, 2u);
  ASSERT_EQ(command->getContext(&got), 1);
  EXPECT_EQ(got, &first);
  EXPECT_EQ(first.refs, 3u);
  got->Release();
  command->setContext(&second);
  EXPECT_EQ(first.refs, 1u) << "the old context is released";
  EXPECT_EQ(second.refs, 2u);
  command->Release();
  EXPECT_EQ(second.refs, 1u) << "destruction releases the context";
}

TEST_F(ModuleTest, StartupSectionHoldsTheCommandOnlyWhenAdded)
{
  me::setStartupCommand(true, me::kBrowserCommand);
  EXPECT_TRUE(hasValue(host.profile(), "Startup", "MATBROWSEROPEN"));
  me::setStartupCommand(true, me::kBrowserCommand);
  me::setStartupCommand(false, me::kBrowserCommand);
  EXPECT_FALSE(hasValue(host.profile(), "Startup", "MATBROWSEROPEN"));
  // Deleting what is not there is harmless.
  me::setStartupCommand(false, me::kBrowserCommand);
}

TEST_F(ModuleTest, StartupCommandWithoutProfileDoesNothing)
{
  host.removeExport(HOST_EXPORT_GET_APP);
  host.removeExport(HOST_EXPORT_CREATE_OBJECT);
  me::setStartupCommand(true, me::kBrowserCommand); // must not crash
  EXPECT_FALSE(hasValue(host.profile(), "Startup", "MATBROWSEROPEN"));
}

TEST_F(ModuleTest, StartAndShutDownInOrder)
{
  OdRxModule* module = me::moduleObject(nullptr);
  EXPECT_EQ(me::moduleObject(nullptr), module) << "one module object";
  module->initApp();
  ASSERT_NE(odrxFindClass(L"MeManager"), nullptr);
  EXPECT_TRUE(odrxFindClass(L"MeManager")->isDerivedFrom(OdDbDatabaseReactor::desc()));
  EXPECT_TRUE(me::hasAppServices());
  ASSERT_NE(me::documentObserver(), nullptr);

  // The observer is attached only on request, and follows the current document.
  host.newDocument(L"A");
  EXPECT_EQ(me::managerService()->database(), nullptr);
  me::attachDocumentObserver();
  HostDocument* b = host.newDocument(L"B");
  EXPECT_EQ(me::managerService()->database(), b->database());

  module->uninitApp();
  EXPECT_EQ(odrxFindClass(L"MeManager"), nullptr);
  EXPECT_EQ(me::documentObserver(), nullptr);
  EXPECT_TRUE(me::hasAppServices()) << "the registry outlives shut-down";
  host.newDocument(L"C"); // a detached, destroyed observer must not be told
  EXPECT_EQ(me::managerService()->database(), b->database());
  module->deleteModule();
  EXPECT_EQ(me::existingModuleObject(), nullptr);
}

TEST_F(ModuleTest, CommandRegistrationNeedsTheHostFactory)
{
  host.removeExport(HOST_EXPORT_NEW_CMD_FACTORY);
  EXPECT_FALSE(me::registerBrowserCommand());
}

namespace
{
// A system beneath the module, as the Windows module installs one, that
// records what it is asked.
struct RecordingSystem
{
  static inline std::vector<std::string> calls;
  static inline void* instance = nullptr;

  static void* hostExport(me::HostLibrary, const char* name)
  {
    calls.push_back(std::string("export ") + name);
    return nullptr;
  }
  static OdString loadString(void* from, int id)
  {
    instance = from;
    return id == me::kStrMaterialsBrowser ? OdString(L"Materialien") : OdString();
  }
  static OdString moduleFileName(void* from)
  {
    instance = from;
    return L"C:\\modules\\materialeditor.dll";
  }
  static HostMessageAnswer messageBox(void*, const OdString& text, const OdString&, HostMessageIcon, HostMessageButtons)
  {
    calls.push_back("message " + text.toUtf8());
    return kHostAnswerYes;
  }
  static bool selectFileToOpen(void*, const OdString&, const OdString&, unsigned, OdString& path)
  {
    path = L"C:\\maps\\chosen.png";
    return true;
  }
};

class SystemTest : public ModuleTest
{
protected:
  void SetUp() override
  {
    RecordingSystem::calls.clear();
    me::setSystem(me::MeSystem{&RecordingSystem::hostExport, &RecordingSystem::loadString,
                               &RecordingSystem::moduleFileName, &RecordingSystem::messageBox,
                               &RecordingSystem::selectFileToOpen});
  }
  void TearDown() override
  {
    me::setSystem(me::MeSystem());
    me::setModuleInstance(nullptr);
    ModuleTest::TearDown();
  }
};
} // namespace

TEST_F(SystemTest, TheModulesResourcesComeFromTheSystemWithTheBuiltInTableBehind)
{
  EXPECT_EQ(me::loadString(me::kStrMaterialsBrowser), me::builtInString(me::kStrMaterialsBrowser)) << "no instance yet";
  int instance = 0;
  me::setModuleInstance(&instance);
  EXPECT_EQ(me::loadString(me::kStrMaterialsBrowser), OdString(L"Materialien"));
  EXPECT_EQ(RecordingSystem::instance, &instance);
  EXPECT_EQ(me::loadString(me::kStrInvalidMaterial), me::builtInString(me::kStrInvalidMaterial)) << "missing resource";

  OdRxModule* module = me::moduleObject(&instance);
  EXPECT_EQ(module->moduleName(), OdString(L"C:\\modules\\materialeditor.dll"));
  module->deleteModule();
}

TEST_F(SystemTest, TheSystemAnswersOnlyWhereTheHostGivesNothing)
{
  // The host's lookup and dialogs win while it has them.
  EXPECT_EQ(me::showMessage(L"asked", kHostIconQuestion, kHostButtonsYesNo), kHostAnswerNo);
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_TRUE(RecordingSystem::calls.empty());

  host.removeExport(HOST_EXPORT_MESSAGE_BOX);
  host.removeExport(HOST_EXPORT_SELECT_FILE);
  EXPECT_EQ(me::showMessage(L"to the system", kHostIconQuestion, kHostButtonsYesNo), kHostAnswerYes);
  OdString path;
  EXPECT_TRUE(me::selectFileToOpen(L"", L"Image|*.png|", 6, path));
  EXPECT_EQ(path, OdString(L"C:\\maps\\chosen.png"));
  EXPECT_EQ(RecordingSystem::calls, std::vector<std::string>{"message to the system"});

  // Without a host of its own the module looks its exports up in the system.
  me::resetHostResolver();
  EXPECT_EQ(me::hostExport(me::HostLibrary::Utils, HOST_EXPORT_MESSAGE_BOX), nullptr);
  EXPECT_EQ(RecordingSystem::calls.back(), "export " HOST_EXPORT_MESSAGE_BOX);

  // Without either, a question is refused and a file is not chosen.
  me::setSystem(me::MeSystem());
  EXPECT_EQ(me::showMessage(L"nobody", kHostIconQuestion, kHostButtonsYesNo), kHostAnswerNo);
  EXPECT_FALSE(me::selectFileToOpen(L"", L"Image|*.png|", 6, path));
}
