// What the editor tests share: a test host with one drawing, the module's
// material editor, materials made to order and a reactor that records.
#pragma once

#include "common/TempDir.h"
#include "common/TestDrawing.h"
#include "common/TestHost.h"
#include "common/od_print.h"
#include "core/IMeEditor.h"
#include "core/MeServices.h"
#include "od/DbDictionary.h"
#include "od/DbMaterial.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

// Records how the material was open at each notification, and who was told
// in which order when several share a log.
struct RecordingReactor : me::MeEditorReactor
{
  std::vector<OdDb::OpenMode> modes;
  std::vector<const RecordingReactor*>* log = nullptr;
  int going = 0;

  void materialModified(OdDbMaterial* material) override
  {
    modes.push_back(material->openMode());
    if (log)
      log->push_back(this);
  }
  void editorGoing() override { ++going; }
  std::size_t count() const { return modes.size(); }
};

inline MaterialColor byColor(OdUInt8 r, OdUInt8 g, OdUInt8 b)
{
  MaterialColor color;
  color.setMethod(MaterialColor::kOverride);
  color.setColor(OdCmEntityColor(r, g, b));
  return color;
}

inline MaterialMap fileMap(const OdString& fileName)
{
  MaterialMap map;
  map.setSourceFileName(fileName);
  return map;
}

inline MaterialMap proceduralMap(const OdGiMaterialTexturePtr& texture)
{
  MaterialMap map;
  map.setSource(kProcedural);
  map.setTexture(texture);
  return map;
}

inline void expectWrongClass(const std::function<void()>& call, const OdRxClass* found, const OdRxClass* expected)
{
  try
  {
    call();
    ADD_FAILURE() << "no wrong-class error";
  }
  catch (const OdError_NotThatKindOfClass& error)
  {
    EXPECT_EQ(error.objectClassName(), found->name());
    EXPECT_EQ(error.expectedClassName(), expected->name());
  }
}

class EditorTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    host.newDocument();
    db = host.database();
    editor = me::editorService();
    ASSERT_TRUE(db && editor);
  }

  // A material of the current drawing, set up while still open for write.
  OdDbObjectId addMaterial(const OdString& name, const std::function<void(OdDbMaterial&)>& setUp = nullptr)
  {
    return ::addMaterial(db, name, setUp);
  }
  OdDbMaterialPtr read(const OdDbObjectId& id) { return OdDbMaterialPtr(id.safeOpenObject()); }
  MaterialMap diffuseMapOf(const OdDbObjectId& id)
  {
    MaterialColor color;
    MaterialMap map;
    read(id)->diffuse(color, map);
    return map;
  }

  TestHost host;
  OdDbDatabase* db = nullptr;
  me::IMeEditor* editor = nullptr;
};
