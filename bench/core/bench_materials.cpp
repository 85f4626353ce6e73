// The material-user search on a large nested drawing, the finder of unused
// materials on as many entities, and the material list.
#include "common/TestDrawing.h"
#include "core/MeManager.h"
#include "core/MeMaterialOperations.h"
#include "core/MeMaterialUsage.h"
#include "od/OdSdk.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace
{
constexpr int kDefinitions = 1000;
constexpr int kEntitiesPerDefinition = 100; // 100,000 entities in all
constexpr int kUsersEvery = 100;            // 1 % use the material
constexpr int kNesting = 3;

[[noreturn]] void fail(const char* what)
{
  std::fprintf(stderr, "benchmark check failed: %s\n", what);
  std::abort();
}

// Definitions in chains of three: model space inserts the first of each
// chain, which inserts the second, which inserts the third. The expected
// result is counted on the reference graph kept here, not by the SDK: an
// entity of definition d is met once for every path to d from the start of
// any block record's walk.
struct NestedDrawing
{
  OdDbDatabasePtr db = odCreateDatabase();
  std::map<OdDbObjectId, int> expected; // user id -> times met

  NestedDrawing()
  {
    const OdDbObjectId steel = addMaterial(db, L"Steel");
    const OdDbObjectId model = db->getModelSpaceId();
    OdDbBlockTablePtr blocks = db->getBlockTableId().safeOpenObject(OdDb::kForWrite);
    std::vector<OdDbObjectId> definitions;
    std::vector<int> parent(kDefinitions, -1); // -1: inserted by model space
    for (int d = 0; d < kDefinitions; ++d)
    {
      OdDbBlockTableRecordPtr record = OdDbBlockTableRecord::createObject();
      record->setName(OdString::format(L"Block %d", d));
      definitions.push_back(blocks->add(record));
      if (d % kNesting != 0)
        parent[d] = d - 1;
    }
    std::vector<std::vector<OdDbObjectId>> users(kDefinitions);
    int serial = 0;
    for (int d = 0; d < kDefinitions; ++d)
    {
      OdDbBlockTableRecordPtr record = definitions[d].safeOpenObject(OdDb::kForWrite);
      for (int e = 0; e < kEntitiesPerDefinition; ++e, ++serial)
      {
        OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
        mesh->setDatabaseDefaults(db);
        const OdDbObjectId id = record->appendOdDbEntity(mesh);
        if (serial % kUsersEvery == 0)
        {
          mesh->setMaterial(steel);
          users[d].push_back(id);
        }
      }
      OdDbBlockReferencePtr insert = OdDbBlockReference::createObject();
      insert->setDatabaseDefaults(db);
      insert->setBlockTableRecord(definitions[d]);
      if (parent[d] < 0)
        OdDbBlockTableRecordPtr(model.safeOpenObject(OdDb::kForWrite))->appendOdDbEntity(insert);
      else
        OdDbBlockTableRecordPtr(definitions[parent[d]].safeOpenObject(OdDb::kForWrite))->appendOdDbEntity(insert);
    }
    // Walks start at model space, paper space (empty) and every definition:
    // d is reached from its own walk, from model space, and from each of its
    // ancestors' walks.
    for (int d = 0; d < kDefinitions; ++d)
    {
      int reached = 2;
      for (int a = parent[d]; a >= 0; a = parent[a])
        ++reached;
      for (const OdDbObjectId& id : users[d])
        expected[id] = reached;
    }
  }

  void check(const OdDbObjectIdArray& found) const
  {
    std::map<OdDbObjectId, int> counted;
    for (const OdDbObjectId& id : found)
      ++counted[id];
    if (counted != expected)
      fail("findMaterialUsers did not list every user as often as the walk meets it");
  }
};

void BM_FindMaterialUsers(benchmark::State& state)
{
  static const NestedDrawing drawing;
  std::size_t total = 0;
  for (const auto& entry : drawing.expected)
    total += std::size_t(entry.second);
  {
    OdDbObjectIdArray ids;
    me::findMaterialUsers(drawing.db, L"steel", ids);
    drawing.check(ids);
  }
  for (auto _ : state)
  {
    OdDbObjectIdArray ids;
    me::findMaterialUsers(drawing.db, L"steel", ids);
    if (ids.size() != total)
      fail("findMaterialUsers changed its result between runs");
    benchmark::DoNotOptimize(ids.asArrayPtr());
  }
  state.counters["users"] = double(total);
}
BENCHMARK(BM_FindMaterialUsers)->Unit(benchmark::kMillisecond);

// 100,000 entities spread over 1,000 definitions and model space, each
// using one of 100 materials in turn (so no run of equal materials makes it
// easy); 100 more materials, one of which only a layer uses.
struct UsageDrawing
{
  static constexpr int kUsed = 100, kSpare = 100;
  OdDbDatabasePtr db = odCreateDatabase();
  std::vector<OdDbObjectId> materials, standard;

  UsageDrawing()
  {
    for (int m = 0; m < kUsed + kSpare; ++m)
      materials.push_back(addMaterial(db, OdString::format(L"Material %03d", m)));
    OdDbDictionaryPtr dictionary = me::openMaterialDictionary(db, OdDb::kForRead);
    for (const wchar_t* name : {L"By Layer", L"By Block", L"Global"})
      standard.push_back(dictionary->getAt(name));
    OdDbLayerTablePtr layers = db->getLayerTableId().safeOpenObject(OdDb::kForWrite);
    OdDbLayerTableRecordPtr layer = OdDbLayerTableRecord::createObject();
    layer->setName(L"Walls");
    layer->setMaterialId(materials[kUsed]);
    layers->add(layer);
    OdDbBlockTablePtr blocks = db->getBlockTableId().safeOpenObject(OdDb::kForWrite);
    int serial = 0;
    for (int d = 0; d <= kDefinitions; ++d)
    {
      OdDbObjectId recordId = db->getModelSpaceId();
      if (d < kDefinitions)
      {
        OdDbBlockTableRecordPtr created = OdDbBlockTableRecord::createObject();
        created->setName(OdString::format(L"Block %d", d));
        recordId = blocks->add(created);
      }
      OdDbBlockTableRecordPtr record = recordId.safeOpenObject(OdDb::kForWrite);
      const int count = d < kDefinitions ? kEntitiesPerDefinition - 1 : kDefinitions;
      for (int e = 0; e < count; ++e, ++serial)
      {
        OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
        mesh->setDatabaseDefaults(db);
        record->appendOdDbEntity(mesh);
        mesh->setMaterial(materials[std::size_t(serial % kUsed)]);
      }
    }
  }
};

void BM_UnusedMaterials(benchmark::State& state)
{
  static const UsageDrawing drawing;
  for (auto _ : state)
  {
    const std::vector<OdDbObjectId> unused = me::unusedMaterials(drawing.db, drawing.standard);
    // The spare ones but the layer's, in the dictionary's order.
    if (unused.size() != std::size_t(UsageDrawing::kSpare - 1) || unused.front() != drawing.materials[101] ||
        unused.back() != drawing.materials.back())
      fail("unusedMaterials did not find exactly the spare materials nothing uses");
    benchmark::DoNotOptimize(unused.data());
  }
}
BENCHMARK(BM_UnusedMaterials)->Unit(benchmark::kMillisecond);

void BM_CollectMaterials(benchmark::State& state)
{
  OdDbDatabasePtr db = odCreateDatabase();
  for (int i = 0; i < 1000; ++i)
    addMaterial(db, OdString::format(L"Material %04d", i));
  me::MeManager manager;
  manager.setDatabase(db);
  for (auto _ : state)
  {
    OdDbObjectIdArray ids;
    if (!manager.collectMaterials(ids) || ids.size() != 1001) // and "Global"
      fail("collectMaterials did not list the 1,000 materials and Global");
    benchmark::DoNotOptimize(ids.asArrayPtr());
  }
  manager.detachDatabase();
}
BENCHMARK(BM_CollectMaterials)->Unit(benchmark::kMicrosecond);
} // namespace
