// What the Material editor accepts to open, and message 150 for the rest.
#include "ManagerTestSupport.h"

#include "core/MeOpenMaterial.h"
#include "core/MeStrings.h"

#include <gtest/gtest.h>

TEST(OpenMaterial, AMaterialGivesItsNameAndAnythingElseMessage150)
{
  TestHost host;
  host.newDocument();
  OdDbDatabase* db = host.database();
  const OdDbObjectId steel = addMaterial(db, L"Steel");

  OdString name;
  EXPECT_TRUE(me::materialToEdit(steel, name));
  EXPECT_EQ(name, OdString(L"Steel"));
  EXPECT_TRUE(host.messages.empty());

  // Null, erased and an object that is no material (layer 0): message 150
  // with the stop icon each, and the quiet form says no without a message.
  const OdDbObjectId gone = addMaterial(db, L"Gone");
  OdDbObjectPtr(gone.safeOpenObject(OdDb::kForWrite))->erase();
  for (const OdDbObjectId& id : {OdDbObjectId(), gone, db->getLayerZeroId()})
  {
    host.messages.clear();
    name = L"kept";
    EXPECT_FALSE(me::materialToEdit(id, name));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, me::loadString(me::kStrInvalidMaterial));
    EXPECT_EQ(host.messages[0].icon, kHostIconStop);
    host.messages.clear();
    EXPECT_FALSE(me::materialName(id, name));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(name, OdString(L"kept"));
  }
}
