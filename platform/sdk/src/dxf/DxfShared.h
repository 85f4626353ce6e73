// What the DXF reader and writer agree on: the group codes of a material's
// map channels, the names the standard materials have in files, the
// extension data of the textures and the object coordinate system of
// inserts.
#pragma once

#include "od/DbMaterial.h"

namespace dxf
{
// The seven group codes of one map channel of a MATERIAL object, in the
// order they are written: blend factor, source, file name, projection,
// tiling, auto-transform, and the code repeated 16 times for the matrix.
struct MapCodes
{
  int blend, source, file, projection, tiling, autoTransform, matrix;
};

enum Channel
{
  kDiffuseMap,
  kSpecularMap,
  kReflectionMap,
  kOpacityMap,
  kBumpMap,
  kRefractionMap,
  kNormalMap,
  kChannelCount
};

extern const MapCodes kMapCodes[kChannelCount];

// The map records of a material, by channel, for reading and writing alike.
struct MaterialMaps
{
  MaterialMap maps[kChannelCount];
  void takeFrom(const OdDbMaterial& material);
};

// Application name of the extension data that keeps what the format has no
// group codes for.
extern const char* const kAppName;

// "By Layer" <-> "ByLayer", "By Block" <-> "ByBlock"; other names unchanged.
OdString fileMaterialName(const OdString& name);
OdString modelMaterialName(const OdString& name);

// Whether a reader without our extension data gives the map an image file
// texture: a file source with a file name.
bool impliesImageTexture(const MaterialMap& map);

// An insert's placement as the format has it: insertion point in the
// object coordinate system of the normal, scale factors and the rotation
// about the normal in degrees.
struct InsertPlacement
{
  OdGePoint3d position;
  double scale[3] = {1.0, 1.0, 1.0};
  double rotationDegrees = 0.0;
  OdGeVector3d normal{0.0, 0.0, 1.0};
};
InsertPlacement placementOf(const OdGeMatrix3d& transform);
OdGeMatrix3d transformOf(const InsertPlacement& placement);
// The x axis of the object coordinate system of a normal (the arbitrary
// axis rule); the normal must have a length.
OdGeVector3d ocsXAxis(const OdGeVector3d& normal);
} // namespace dxf
