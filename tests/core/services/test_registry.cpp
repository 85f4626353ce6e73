#include "ServiceProbe.h"
#include "TestHost.h"
#include "core/IMeSettingsStorage.h"
#include "core/MeServices.h"
#include "host/Application.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using me::appServices;

TEST(ServiceRegistry, IsMadeOnceWithTheBuiltInServices)
{
  TestHost host;
  EXPECT_FALSE(me::hasAppServices());
  me::IMeAppServices* services = appServices();
  ASSERT_NE(services, nullptr);
  EXPECT_EQ(appServices(), services);
  EXPECT_TRUE(me::hasAppServices());
  for (int id : {0, 2, 3, 4})
    EXPECT_NE(services->getService(id), nullptr) << id;
  EXPECT_EQ(services->getService(1), nullptr);
  EXPECT_EQ(services->getService(5), nullptr);
  EXPECT_EQ(services->getService(-1), nullptr);
  EXPECT_EQ(me::settingsService(), dynamic_cast<me::IMeSettingsStorage*>(services->getService(0)));
  EXPECT_NE(me::systemDialogsService(), nullptr);

  // A new registry after destruction starts without what was added to the old.
  services->registerService(6, new ServiceProbe);
  me::destroyAppServices();
  EXPECT_FALSE(me::hasAppServices());
  EXPECT_EQ(appServices()->getService(6), nullptr);
}

TEST(ServiceRegistry, KeepsTheFirstRegistrationAndRefusesNull)
{
  TestHost host;
  auto* first = new ServiceProbe;
  auto second = std::make_unique<ServiceProbe>();
  EXPECT_TRUE(appServices()->registerService(6, first));
  EXPECT_FALSE(appServices()->registerService(6, second.get()));
  EXPECT_EQ(appServices()->getService(6), first);
  EXPECT_FALSE(appServices()->registerService(7, nullptr));
  EXPECT_EQ(appServices()->getService(7), nullptr);
  // A built-in service cannot be displaced either.
  me::IMeServiceItem* settings = appServices()->getService(0);
  EXPECT_FALSE(appServices()->registerService(0, second.get()));
  EXPECT_EQ(appServices()->getService(0), settings);
}

TEST(ServiceRegistry, DeliversEventsOnlyToARegisteredService)
{
  TestHost host;
  appServices()->sendServiceEvent(6, 5, nullptr); // the browser was never opened
  appServices()->sendServiceEvent(1, 5, nullptr);
  auto* browser = new ServiceProbe;
  appServices()->registerService(6, browser);
  int argument = 0;
  appServices()->sendServiceEvent(6, 5, &argument);
  appServices()->sendServiceEvent(5, 3, nullptr);
  ASSERT_EQ(browser->events.size(), 1u);
  EXPECT_EQ(browser->events[0], std::make_pair(5, static_cast<void*>(&argument)));
}

namespace
{
// Every section is this one object; each write is handed to the test.
class LoggingProfile : public IProfile, public IProfileSection
{
public:
  explicit LoggingProfile(std::function<void(const char*, int)> onWrite) : m_onWrite(std::move(onWrite)) {}
  IProfileSection* openSection(const char*, bool) override { return this; }
  bool readValue(const char*, CKtVariant&) const override { return false; }
  bool writeValue(const char* name, const CKtVariant& value) override
  {
    m_onWrite(name, value.asInt());
    return true;
  }
  bool createValue(const char*) override { return false; }
  bool deleteValue(const char*) override { return false; }

private:
  std::function<void(const char*, int)> m_onWrite;
};

host::Application* g_loggingApp = nullptr;
IHostApp* loggingGetApp() { return g_loggingApp; }
} // namespace

TEST(ServiceRegistry, DestroysInAscendingIdOrderWritingTheSettingsFirst)
{
  TestHost host;
  std::vector<std::string> log;
  const auto registered = [](int id) { return appServices()->getService(id) != nullptr; };

  // Each write of the settings notes whether the manager and editor still exist.
  LoggingProfile profile([&](const char* name, int value) {
    log.push_back(std::string("write ") + name + "=" + std::to_string(value) +
                  (registered(3) && registered(4) ? " (3, 4 alive)" : " (3, 4 gone)"));
  });
  host::Application app;
  app.setInterface("IProfile", static_cast<IProfile*>(&profile));
  g_loggingApp = &app;
  host.replaceExport(HOST_EXPORT_GET_APP, reinterpret_cast<void*>(&loggingGetApp));

  me::settingsService()->setBrowserImageSize(128);
  for (int id : {5, 6})
    appServices()->registerService(id, new ServiceProbe([&, id] {
      log.push_back("destroy " + std::to_string(id));
      // By now every lower id has gone, and the getters say so.
      EXPECT_FALSE(registered(0) || registered(2) || registered(3) || registered(4));
      EXPECT_EQ(me::settingsService(), nullptr);
      EXPECT_EQ(me::managerService(), nullptr);
      EXPECT_EQ(me::editorService(), nullptr);
      EXPECT_EQ(registered(6), id == 5);
    }));

  me::destroyAppServices();
  g_loggingApp = nullptr;
  const std::vector<std::string> expected = {
    "write BrowserImageSize=128 (3, 4 alive)", "write BrowserView=0 (3, 4 alive)",
    "write ExtendedRegime=0 (3, 4 alive)",     "write SampleObject=0 (3, 4 alive)",
    "write LockPositionAxis=0 (3, 4 alive)",   "write LockSampleSize=1 (3, 4 alive)",
    "destroy 5",                               "destroy 6"};
  EXPECT_EQ(log, expected);
}
