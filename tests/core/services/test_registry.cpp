#include "ServiceProbe.h"
#include "TestHost.h"
#include "core/IMeSettingsStorage.h"
#include "core/MeServices.h"
#include "host/Application.h"
#include "host/ProfileStore.h"

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
// A profile section that lets the test look at the registry at each write.
class WatchedSection : public IProfileSection
{
public:
  WatchedSection(IProfileSection& inner, std::function<void(const char*)> onWrite)
    : m_inner(inner), m_onWrite(std::move(onWrite))
  {
  }
  IProfileSection* openSection(const char* name, bool create) override
  {
    IProfileSection* section = m_inner.openSection(name, create);
    if (!section)
      return nullptr;
    m_children.push_back(std::make_unique<WatchedSection>(*section, m_onWrite));
    return m_children.back().get();
  }
  bool readValue(const char* name, CKtVariant& value) const override { return m_inner.readValue(name, value); }
  bool writeValue(const char* name, const CKtVariant& value) override
  {
    m_onWrite(name);
    return m_inner.writeValue(name, value);
  }
  bool createValue(const char* name) override { return m_inner.createValue(name); }
  bool deleteValue(const char* name) override { return m_inner.deleteValue(name); }

private:
  IProfileSection& m_inner;
  std::function<void(const char*)> m_onWrite;
  std::vector<std::unique_ptr<WatchedSection>> m_children;
};

class WatchedProfile : public IProfile
{
public:
  WatchedProfile(IProfile& inner, std::function<void(const char*)> onWrite) : m_inner(inner), m_onWrite(std::move(onWrite)) {}
  IProfileSection* openSection(const char* name, bool create) override
  {
    IProfileSection* section = m_inner.openSection(name, create);
    if (!section)
      return nullptr;
    m_sections.push_back(std::make_unique<WatchedSection>(*section, m_onWrite));
    return m_sections.back().get();
  }

private:
  IProfile& m_inner;
  std::function<void(const char*)> m_onWrite;
  std::vector<std::unique_ptr<WatchedSection>> m_sections;
};

host::Application* g_watchedApp = nullptr;
IHostApp* watchedGetApp() { return g_watchedApp; }
} // namespace

TEST(ServiceRegistry, DestroysInAscendingIdOrderWritingTheSettingsFirst)
{
  TestHost host;
  std::vector<std::string> log;
  const auto registered = [](int id) { return appServices()->getService(id) != nullptr; };

  // Each write of the settings notes whether the manager and editor still exist.
  WatchedProfile profile(*host.profile(), [&](const char* name) {
    log.push_back(std::string("write ") + name + (registered(3) && registered(4) ? " (3, 4 alive)" : " (3, 4 gone)"));
  });
  host::Application app;
  app.setInterface("IProfile", static_cast<IProfile*>(&profile));
  g_watchedApp = &app;
  host.replaceExport(HOST_EXPORT_GET_APP, reinterpret_cast<void*>(&watchedGetApp));

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
  g_watchedApp = nullptr;
  const std::vector<std::string> expected = {
    "write BrowserImageSize (3, 4 alive)", "write BrowserView (3, 4 alive)",   "write ExtendedRegime (3, 4 alive)",
    "write SampleObject (3, 4 alive)",     "write LockPositionAxis (3, 4 alive)", "write LockSampleSize (3, 4 alive)",
    "destroy 5",                           "destroy 6"};
  EXPECT_EQ(log, expected);
  CKtVariant size;
  EXPECT_TRUE(host.profile()->openSection("cmddata", false)->openSection("MaterialEditor", false)->readValue("BrowserImageSize", size));
  EXPECT_EQ(size, CKtVariant(128));
}
