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
  std::vector<OdDbDatabase*> boundWhenDestroyed;
  void documentDestroyed(const OdString&) override { boundWhenDestroyed.push_back(me::managerService()->database()); }
};

class DocumentTracking : public ::testing::Test
{
protected:
  TestHost host;
  HostDocument* first = host.newDocument(L"A");
  me::IMeManager* manager = me::managerService();
  me::MeDocumentManagerReactor tracker;
  Recorder browser{"browser", false}; // shown: refuses to be detached

  void SetUp() override
  {
    ASSERT_NE(manager, nullptr);
    manager->addReactor(&browser);
    manager->setDatabase(first->database());
    ASSERT_TRUE(tracker.attach());
    ASSERT_TRUE(tracker.attach()); // must not make the host call twice
    browser.events.clear();
  }
  void TearDown() override { tracker.detach(); }
};
} // namespace

TEST_F(DocumentTracking, FollowsTheCurrentDocumentOnlyWhileAttached)
{
  HostDocument* second = host.newDocument(L"B");
  EXPECT_EQ(manager->database(), second->database());
  host.makeCurrent(first);
  EXPECT_EQ(manager->database(), first->database());
  EXPECT_EQ(browser.events, (Lines{"database", "database"}));

  // The browser hidden: switching does not rebind.
  ASSERT_TRUE(tracker.detach());
  host.makeCurrent(second);
  EXPECT_EQ(manager->database(), first->database());
  EXPECT_EQ(browser.events.size(), 2u);
}

TEST_F(DocumentTracking, ClosingADocumentThatIsNotTheLast)
{
  HostDocument* second = host.newDocument(L"B");
  host.makeCurrent(first);
  browser.events.clear();
  BindingProbe probe;
  host.docManager()->addReactor(&probe);
  // The current one: unbound, silently, until the host makes another current.
  host.closeDocument(first);
  EXPECT_EQ(probe.boundWhenDestroyed, std::vector<OdDbDatabase*>{nullptr});
  EXPECT_EQ(browser.events, Lines{"database"});
  EXPECT_EQ(manager->database(), second->database());

  // One in the background: the current drawing stays watched.
  HostDocument* third = host.newDocument(L"C");
  host.closeDocument(second);
  host.docManager()->removeReactor(&probe);
  EXPECT_EQ(manager->database(), third->database());
  browser.events.clear();
  addMaterial(third->database(), L"Steel");
  EXPECT_EQ(browser.events, Lines{"added Steel"});
}

TEST_F(DocumentTracking, ClosingTheLastDocumentClosesTheManager)
{
  Recorder editor{"editor"};
  manager->addReactor(&editor);
  host.closeDocument(first);
  EXPECT_EQ(manager->database(), nullptr);
  EXPECT_EQ(browser.events, Lines{"closing"});
  EXPECT_EQ(editor.events, (Lines{"closing", "detached"}));

  // The shown browser stays and hears of the next drawing; the editor does not.
  HostDocument* next = host.newDocument(L"D");
  EXPECT_EQ(manager->database(), next->database());
  EXPECT_EQ(browser.events, (Lines{"closing", "database"}));
  EXPECT_EQ(editor.events.size(), 2u);
}
