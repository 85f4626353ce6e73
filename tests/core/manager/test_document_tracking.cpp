#include "ManagerTestSupport.h"

#include "core/MeDocumentManagerReactor.h"
#include "core/MeServices.h"

#include <gtest/gtest.h>

using namespace mt;

namespace
{
// Notes whether the manager is bound while the host says a document went.
struct BindingProbe : HostApDocManagerReactor
{
  me::IMeManager* manager = nullptr;
  std::vector<OdDbDatabase*> boundWhenDestroyed;
  void documentDestroyed(const OdString&) override { boundWhenDestroyed.push_back(manager->database()); }
};

class DocumentTracking : public ::testing::Test
{
protected:
  TestHost host;
  HostDocument* first = host.newDocument(L"A");
  me::IMeManager* manager = me::managerService();
  me::MeDocumentManagerReactor tracker;
  Recorder browser{"browser", false};

  void SetUp() override
  {
    ASSERT_NE(manager, nullptr);
    manager->addReactor(&browser);
    manager->setDatabase(first->database());
    ASSERT_TRUE(tracker.attach());
    ASSERT_TRUE(tracker.attach()); // once is enough; twice must not double the calls
    browser.events.clear();
  }
  void TearDown() override { tracker.detach(); }
};
} // namespace

TEST_F(DocumentTracking, FollowsTheCurrentDocumentWhileAttached)
{
  HostDocument* second = host.newDocument(L"B");
  EXPECT_EQ(manager->database(), second->database());
  host.makeCurrent(first);
  EXPECT_EQ(manager->database(), first->database());
  EXPECT_EQ(browser.events, (std::vector<std::string>{"database", "database"}));
}

TEST_F(DocumentTracking, HiddenBrowserDoesNotRebind)
{
  ASSERT_TRUE(tracker.detach());
  HostDocument* second = host.newDocument(L"B");
  host.makeCurrent(second);
  EXPECT_EQ(manager->database(), first->database());
  EXPECT_TRUE(browser.events.empty());
}

TEST_F(DocumentTracking, ClosingTheCurrentDocumentUnbindsUntilAnotherBecomesCurrent)
{
  HostDocument* second = host.newDocument(L"B");
  OdDbDatabase* remaining = second->database();
  host.makeCurrent(first);
  browser.events.clear();
  BindingProbe probe;
  probe.manager = manager;
  host.docManager()->addReactor(&probe);

  host.closeDocument(first);
  host.docManager()->removeReactor(&probe);
  EXPECT_EQ(probe.boundWhenDestroyed, std::vector<OdDbDatabase*>{nullptr});
  // Unbinding told nobody; the next current document did.
  EXPECT_EQ(browser.events, std::vector<std::string>{"database"});
  EXPECT_EQ(manager->database(), remaining);
}

TEST_F(DocumentTracking, ClosingABackgroundDocumentKeepsTheBinding)
{
  HostDocument* second = host.newDocument(L"B");
  OdDbDatabase* current = second->database();
  host.closeDocument(first);
  EXPECT_EQ(manager->database(), current);
  browser.events.clear();
  addMaterial(current, L"Steel");
  EXPECT_EQ(browser.events, std::vector<std::string>{"added Steel"});
}

TEST_F(DocumentTracking, ClosingTheLastDocumentClosesTheManager)
{
  Recorder editor{"editor"};
  manager->addReactor(&editor);
  host.closeDocument(first);
  EXPECT_EQ(manager->database(), nullptr);
  EXPECT_EQ(browser.events, std::vector<std::string>{"closing"});
  EXPECT_EQ(editor.events, (std::vector<std::string>{"closing", "detached"}));

  // The shown browser stays and hears of the next drawing.
  browser.events.clear();
  HostDocument* next = host.newDocument(L"C");
  EXPECT_EQ(manager->database(), next->database());
  EXPECT_EQ(browser.events, std::vector<std::string>{"database"});
  EXPECT_TRUE(editor.events.size() == 2u);
}
