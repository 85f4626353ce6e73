// Opening a material for the Material editor from the browser.
#include "ManagerTestSupport.h"

#include "core/IMeEditor.h"
#include "core/MeOpenMaterial.h"
#include "core/MeServices.h"
#include "core/MeStrings.h"

#include <gtest/gtest.h>

TEST(OpenMaterial, AMaterialOpensInTheEditorAndBadIdsGiveMessage150OrTheSdkError)
{
  TestHost host;
  host.newDocument();
  OdDbDatabase* db = host.database();
  const OdDbObjectId steel = addMaterial(db, L"Steel");

  EXPECT_TRUE(me::openMaterialForEditor(steel));
  EXPECT_EQ(me::editorService()->materialId(), steel);
  EXPECT_TRUE(host.messages.empty());

  // Null, and erased: message 150 with the stop icon, the editor stays where it was.
  const OdDbObjectId gone = addMaterial(db, L"Gone");
  OdDbObjectPtr(gone.safeOpenObject(OdDb::kForWrite))->erase();
  for (const OdDbObjectId& id : {OdDbObjectId(), gone})
  {
    host.messages.clear();
    EXPECT_FALSE(me::openMaterialForEditor(id));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, me::loadString(me::kStrInvalidMaterial));
    EXPECT_EQ(host.messages[0].icon, kHostIconStop);
    EXPECT_EQ(me::editorService()->materialId(), steel);
  }

  // Something that is no material: the SDK's wrong-class error, to the caller.
  host.messages.clear();
  EXPECT_THROW(me::openMaterialForEditor(db->getLayerZeroId()), OdError);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(me::editorService()->materialId(), steel);
}
