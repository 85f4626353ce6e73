// Building a large drawing: 100,000 entities, 20,000 layers, 20,000 blocks
// in two chains nested 10,000 deep, one group of all 100,000 entities.
// Once through the SDK, once as a drawing file read as the host opens one
// (DrawingScript::readDrawing); and each part alone at two sizes, so that a
// cost growing faster than the drawing shows as a ratio above 2. The
// counter "per line" is the time a line of the file took.
#include "DrawingScript.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
constexpr int kEntities = 100000;
constexpr int kLayers = 20000;
constexpr int kBlocks = 20000;
constexpr int kChainDepth = 10000;

[[noreturn]] void fail(const char* what)
{
  std::fprintf(stderr, "benchmark check failed: %s\n", what);
  std::abort();
}

struct Sizes
{
  int entities = 0;
  int layers = 0;
  int blocks = 0; // in chains of kChainDepth (or fewer, when there are fewer blocks)
  bool group = false;
  int materials = 0;
};

std::string number(int i) { return std::to_string(i); }

// The drawing as a drawing file says it.
std::string drawingText(const Sizes& sizes)
{
  std::string text;
  text.reserve(std::size_t(sizes.entities) * 40 + std::size_t(sizes.layers + sizes.blocks) * 30);
  for (int i = 0; i < sizes.materials; ++i)
    text += "MATERIAL \"Material " + number(i) + "\"\n";
  for (int i = 0; i < sizes.layers; ++i)
    text += "LAYER \"Layer " + number(i) + "\"\n";
  for (int i = 0; i < sizes.blocks; ++i)
    text += "BLOCK B" + number(i) + "\n";
  // Each block inserted in the one before it within its chain.
  const int depth = std::min(sizes.blocks, kChainDepth);
  for (int i = 0; i < sizes.blocks; ++i)
    if (i % depth != 0)
      text += "INSERT B" + number(i) + " IN B" + number(i - 1) + " AT 1,0,0\n";
  for (int i = 0; i < sizes.blocks; i += depth)
    text += "INSERT B" + number(i) + "\n";
  for (int i = 0; i < sizes.entities; ++i)
  {
    text += "MESH AT " + number(i % 1000) + "," + number(i / 1000) + ",0 AS $e" + number(i);
    if (sizes.layers > 0)
      text += " LAYER \"Layer " + number(i % sizes.layers) + "\"";
    text += "\n";
  }
  if (sizes.group)
  {
    text += "GROUP Everything";
    for (int i = 0; i < sizes.entities; ++i)
      text += " $e" + number(i);
    text += "\n";
  }
  return text;
}

// As the host opens a drawing file, which it then keeps: the drawing's
// destruction is no part of the time.
OdDbDatabasePtr loadDrawing(const std::string& text)
{
  host::DrawingScript drawing([] { return nullptr; });
  host::ScriptInterpreter commands;
  drawing.addCommands(commands);
  OdDbDatabasePtr db = drawing.readDrawing(text, L"bench.mescript", commands, [&](int line, const OdString& error) {
    std::fprintf(stderr, "line %d: %s\n", line, error.toUtf8().c_str());
    fail("a line of the drawing was refused");
  });
  return db;
}

int linesOf(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

void timeLoading(benchmark::State& state, const std::string& text)
{
  for (auto _ : state)
  {
    OdDbDatabasePtr db = loadDrawing(text);
    state.PauseTiming();
    db = OdDbDatabasePtr();
    state.ResumeTiming();
  }
  state.counters["per line"] = benchmark::Counter(double(linesOf(text)), benchmark::Counter::kIsIterationInvariantRate |
                                                                           benchmark::Counter::kInvert);
}

// The same drawing straight through the SDK.
void buildDrawing(const Sizes& sizes)
{
  OdDbDatabasePtr db = odCreateDatabase();
  std::vector<OdDbObjectId> layerIds;
  {
    OdDbLayerTablePtr layers = db->getLayerTableId().safeOpenObject(OdDb::kForWrite);
    for (int i = 0; i < sizes.layers; ++i)
    {
      const OdString name = OdString::format(L"Layer %d", i);
      if (layers->has(name))
        fail("a new layer name is taken");
      OdDbLayerTableRecordPtr layer = OdDbLayerTableRecord::createObject();
      layer->setName(name);
      layerIds.push_back(layers->add(layer));
    }
  }
  std::vector<OdDbObjectId> blockIds;
  {
    OdDbBlockTablePtr blocks = db->getBlockTableId().safeOpenObject(OdDb::kForWrite);
    for (int i = 0; i < sizes.blocks; ++i)
    {
      OdDbBlockTableRecordPtr block = OdDbBlockTableRecord::createObject();
      block->setName(OdString::format(L"B%d", i));
      blockIds.push_back(blocks->add(block));
    }
  }
  auto insert = [&](const OdDbObjectId& into, const OdDbObjectId& block) {
    OdDbBlockTableRecordPtr owner = into.safeOpenObject(OdDb::kForWrite);
    OdDbBlockReferencePtr reference = OdDbBlockReference::createObject();
    reference->setDatabaseDefaults(db);
    reference->setBlockTableRecord(block);
    owner->appendOdDbEntity(reference);
  };
  const int depth = std::min(sizes.blocks, kChainDepth);
  for (int i = 0; i < sizes.blocks; ++i)
    insert(i % depth ? blockIds[std::size_t(i - 1)] : db->getModelSpaceId(), blockIds[std::size_t(i)]);

  OdDbObjectIdArray entities;
  {
    OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
    OdGePoint3dArray corners{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    OdInt32Array faces{4, 0, 1, 2, 3};
    for (int i = 0; i < sizes.entities; ++i)
    {
      OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
      mesh->setDatabaseDefaults(db);
      mesh->setSubDMesh(corners, faces, 0);
      if (!layerIds.empty())
        mesh->setLayer(layerIds[std::size_t(i % sizes.layers)]);
      entities.append(model->appendOdDbEntity(mesh));
    }
  }
  if (sizes.group)
  {
    OdDbDictionaryPtr groups = db->getGroupDictionaryId().safeOpenObject(OdDb::kForWrite);
    OdDbGroupPtr group = OdDbGroup::createObject();
    groups->setAt(L"Everything", group);
    for (const OdDbObjectId& id : entities)
      group->append(id);
    if (group->numEntities() != OdUInt32(sizes.entities))
      fail("the group lost members");
  }
  benchmark::DoNotOptimize(db.get());
}

const Sizes kWhole{kEntities, kLayers, kBlocks, true};

void BM_BuildThroughTheSdk(benchmark::State& state)
{
  for (auto _ : state)
    buildDrawing(kWhole);
}
BENCHMARK(BM_BuildThroughTheSdk)->Unit(benchmark::kMillisecond);

void BM_LoadDrawingFile(benchmark::State& state)
{
  const std::string text = drawingText(kWhole);
  timeLoading(state, text);
  state.counters["lines"] = double(linesOf(text));
}
BENCHMARK(BM_LoadDrawingFile)->Unit(benchmark::kMillisecond);

// Each part alone, from a drawing file, at half and at full size.
void loadPart(benchmark::State& state, const Sizes& sizes) { timeLoading(state, drawingText(sizes)); }

void BM_Layers(benchmark::State& state) { loadPart(state, Sizes{0, int(state.range(0)), 0, false}); }
BENCHMARK(BM_Layers)->Arg(kLayers / 2)->Arg(kLayers)->Unit(benchmark::kMillisecond);

void BM_Materials(benchmark::State& state) { loadPart(state, Sizes{0, 0, 0, false, int(state.range(0))}); }
BENCHMARK(BM_Materials)->Arg(kLayers / 2)->Arg(kLayers)->Unit(benchmark::kMillisecond);

void BM_NestedBlocks(benchmark::State& state) { loadPart(state, Sizes{0, 0, int(state.range(0)), false}); }
BENCHMARK(BM_NestedBlocks)->Arg(kBlocks / 2)->Arg(kBlocks)->Unit(benchmark::kMillisecond);

void BM_Entities(benchmark::State& state) { loadPart(state, Sizes{int(state.range(0)), 0, 0, false}); }
BENCHMARK(BM_Entities)->Arg(kEntities / 2)->Arg(kEntities)->Unit(benchmark::kMillisecond);

void BM_EntitiesInOneGroup(benchmark::State& state) { loadPart(state, Sizes{int(state.range(0)), 0, 0, true}); }
BENCHMARK(BM_EntitiesInOneGroup)->Arg(kEntities / 2)->Arg(kEntities)->Unit(benchmark::kMillisecond);

// Emptying a group member by member, as erasing its entities one at a time does.
void BM_EmptyGroup(benchmark::State& state)
{
  const int members = int(state.range(0));
  OdDbDatabasePtr db = odCreateDatabase();
  OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
  OdDbObjectIdArray ids;
  for (int i = 0; i < members; ++i)
  {
    OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
    mesh->setDatabaseDefaults(db);
    ids.append(model->appendOdDbEntity(mesh));
  }
  OdDbDictionaryPtr groups = db->getGroupDictionaryId().safeOpenObject(OdDb::kForWrite);
  OdDbGroupPtr group = OdDbGroup::createObject();
  groups->setAt(L"Everything", group);
  for (auto _ : state)
  {
    state.PauseTiming();
    for (const OdDbObjectId& id : ids)
      group->append(id);
    state.ResumeTiming();
    for (const OdDbObjectId& id : ids)
      group->remove(id);
    if (group->numEntities() != 0)
      fail("the group kept members");
  }
}
BENCHMARK(BM_EmptyGroup)->Arg(kEntities / 2)->Arg(kEntities)->Unit(benchmark::kMillisecond);
} // namespace
