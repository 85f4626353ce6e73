#include "common/TestHost.h"
#include "common/od_print.h"
#include "core/IMeManager.h"
#include "core/MeDocumentManagerReactor.h"
#include "core/MeModule.h"
#include "core/MeServices.h"

#include <gtest/gtest.h>

#include <cstring>

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
  void TearDown() override { me::setBrowserShown(false); }
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
  me::setBrowserShown(true);
  EXPECT_EQ(command->state(), 3);
  host.closeDocument(host.currentDocument());
  EXPECT_EQ(command->state(), 0);
  EXPECT_EQ(command->Release(), 0u);
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
