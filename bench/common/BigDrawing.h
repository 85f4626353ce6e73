// The large drawing the benchmarks share: 100,000 polyface cubes of side 1,
// 2 apart in a grid 1,000 wide, on 100 layers, with 1,000 distinct materials
// (entity i takes material i % 1000, so neighbours differ).
#pragma once

#include "od/OdSdk.h"

namespace bigdrawing
{
constexpr int kCubes = 100000;
constexpr int kLayers = 100;
constexpr int kMaterials = 1000;

inline OdDbDatabasePtr cubes(int count = kCubes)
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
  for (int i = 0; i < count; ++i)
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
} // namespace bigdrawing
