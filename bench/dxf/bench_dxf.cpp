// DXF files of a large drawing: 100,000 polyface cubes on 100 layers with
// 1,000 distinct materials, written to text and read back. The counters give
// the file size and the objects read.
#include "od/OdSdk.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
constexpr int kCubes = 100000;
constexpr int kLayers = 100;
constexpr int kMaterials = 1000;

[[noreturn]] void fail(const char* what)
{
  std::fprintf(stderr, "benchmark check failed: %s\n", what);
  std::abort();
}

OdDbDatabasePtr bigDrawing()
{
  OdDbDatabasePtr db = odCreateDatabase();
  OdDbObjectIdArray materials, layers;
  {
    OdDbDictionaryPtr dictionary = db->getMaterialDictionaryId().safeOpenObject(OdDb::kForWrite);
    for (int i = 0; i < kMaterials; ++i)
    {
      OdDbMaterialPtr material = OdDbMaterial::createObject();
      const OdString name = OdString::format(L"Material %d", i);
      material->setName(name);
      MaterialColor color;
      color.setMethod(MaterialColor::kOverride);
      color.setColor(OdCmEntityColor(OdUInt8(i), OdUInt8(i / 256), OdUInt8(255 - i % 256)));
      material->setDiffuse(color, MaterialMap());
      materials.append(dictionary->setAt(name, material));
    }
  }
  {
    OdDbLayerTablePtr table = db->getLayerTableId().safeOpenObject(OdDb::kForWrite);
    for (int i = 0; i < kLayers; ++i)
    {
      OdDbLayerTableRecordPtr layer = OdDbLayerTableRecord::createObject();
      layer->setName(OdString::format(L"Layer %d", i));
      layer->setMaterialId(materials[OdUInt32(i * 7 % kMaterials)]);
      layers.append(table->add(layer));
    }
  }
  OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
  const int faces[6][4] = {{1, 2, 4, 3}, {5, 6, 8, 7}, {1, 2, 6, 5}, {3, 4, 8, 7}, {1, 3, 7, 5}, {2, 4, 8, 6}};
  for (int i = 0; i < kCubes; ++i)
  {
    OdDbPolyFaceMeshPtr mesh = OdDbPolyFaceMesh::createObject();
    const double x = (i % 1000) * 2.0, y = (i / 1000) * 2.0;
    for (int v = 0; v < 8; ++v)
    {
      OdDbPolyFaceMeshVertexPtr vertex = OdDbPolyFaceMeshVertex::createObject();
      vertex->setPosition(OdGePoint3d(x + (v & 1), y + (v >> 1 & 1), v >> 2 & 1));
      mesh->appendVertex(vertex);
    }
    for (const auto& face : faces)
    {
      OdDbFaceRecordPtr record = OdDbFaceRecord::createObject();
      for (int k = 0; k < 4; ++k)
        record->setVertexAt(OdUInt16(k), OdInt16(face[k]));
      mesh->appendFaceRecord(record);
    }
    mesh->setLayer(layers[OdUInt32(i % kLayers)]);
    mesh->setMaterial(materials[OdUInt32(i % kMaterials)]);
    model->appendOdDbEntity(mesh);
  }
  return db;
}

const OdDbDatabasePtr& drawing()
{
  static const OdDbDatabasePtr db = bigDrawing();
  return db;
}

const std::string& drawingText()
{
  static const std::string text = odDxfWrite(drawing());
  return text;
}

void DxfWrite(benchmark::State& state)
{
  OdDbDatabase* db = drawing();
  std::size_t bytes = 0;
  for (auto _ : state)
  {
    const std::string text = odDxfWrite(db);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["megabytes"] = double(bytes) / 1e6;
}
BENCHMARK(DxfWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

void DxfRead(benchmark::State& state)
{
  const std::string& text = drawingText();
  std::size_t entities = 0;
  for (auto _ : state)
  {
    OdDbDatabasePtr db = odDxfRead(text, L"big.dxf");
    OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject();
    entities = model->entityIds().size();
    state.PauseTiming();
    db.release(); // freeing the drawing is not reading it
    state.ResumeTiming();
  }
  if (entities != std::size_t(kCubes))
    fail("every cube is read");
  state.counters["megabytes"] = double(text.size()) / 1e6;
  state.counters["entities"] = double(entities);
}
BENCHMARK(DxfRead)->Unit(benchmark::kMillisecond)->Iterations(3);
} // namespace
