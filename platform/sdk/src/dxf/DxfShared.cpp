#include "DxfShared.h"

#include <cmath>

namespace dxf
{
const MapCodes kMapCodes[kChannelCount] = {
  {42, 72, 3, 73, 74, 75, 43},       // diffuse
  {46, 77, 4, 78, 79, 170, 47},      // specular
  {48, 171, 6, 172, 173, 174, 49},   // reflection
  {141, 175, 7, 176, 177, 178, 142}, // opacity
  {143, 179, 8, 270, 271, 272, 144}, // bump
  {146, 273, 9, 274, 275, 276, 147}, // refraction
  {42, 72, 3, 73, 74, 75, 43},       // normal: the diffuse codes again, after the refraction group
};

const char* const kAppName = "ME_MATERIAL";

void MaterialMaps::takeFrom(const OdDbMaterial& material)
{
  MaterialColor color;
  double value = 0.0;
  OdInt32 method = 0;
  material.diffuse(color, maps[kDiffuseMap]);
  material.specular(color, maps[kSpecularMap], value);
  material.reflection(maps[kReflectionMap]);
  material.opacity(value, maps[kOpacityMap]);
  material.bump(maps[kBumpMap]);
  material.refraction(value, maps[kRefractionMap]);
  material.normalMap(maps[kNormalMap], method, value);
}

namespace
{
struct NamePair
{
  const wchar_t* model;
  const wchar_t* file;
};
const NamePair kStandardNames[] = {{L"By Layer", L"ByLayer"}, {L"By Block", L"ByBlock"}};
} // namespace

OdString fileMaterialName(const OdString& name)
{
  for (const NamePair& pair : kStandardNames)
    if (name.iCompare(pair.model) == 0)
      return pair.file;
  return name;
}

OdString modelMaterialName(const OdString& name)
{
  for (const NamePair& pair : kStandardNames)
    if (name.iCompare(pair.file) == 0)
      return pair.model;
  return name;
}

bool impliesImageTexture(const MaterialMap& map) { return map.source() == kFile && !map.sourceFileName().isEmpty(); }

OdGeVector3d ocsXAxis(const OdGeVector3d& normal)
{
  const OdGeVector3d n = normal.normal();
  const double limit = 1.0 / 64.0;
  const OdGeVector3d axis = std::fabs(n.x) < limit && std::fabs(n.y) < limit ? OdGeVector3d::kYAxis.crossProduct(n)
                                                                             : OdGeVector3d::kZAxis.crossProduct(n);
  return axis.normal();
}

InsertPlacement placementOf(const OdGeMatrix3d& m)
{
  InsertPlacement out;
  const OdGeVector3d x(m.entry[0][0], m.entry[1][0], m.entry[2][0]);
  const OdGeVector3d y(m.entry[0][1], m.entry[1][1], m.entry[2][1]);
  const OdGeVector3d z(m.entry[0][2], m.entry[1][2], m.entry[2][2]);
  const OdGePoint3d origin(m.entry[0][3], m.entry[1][3], m.entry[2][3]);
  // The normal follows the block's z axis; a mirrored block keeps a positive
  // z scale and a negative x scale, as drawing programs write it.
  OdGeVector3d normal = x.crossProduct(y);
  if (normal.length() < 1e-300)
    normal = z.length() > 1e-300 ? z : OdGeVector3d::kZAxis;
  const bool mirrored = normal.dotProduct(z) < 0.0;
  if (mirrored)
    normal = -normal;
  normal.normalize();
  if (std::fabs(normal.x) < 1e-15 && std::fabs(normal.y) < 1e-15 && normal.z > 0.0)
    normal = OdGeVector3d::kZAxis;
  const OdGeVector3d ax = ocsXAxis(normal);
  const OdGeVector3d ay = normal.crossProduct(ax);
  out.normal = normal;
  out.position = OdGePoint3d(origin.asVector().dotProduct(ax), origin.asVector().dotProduct(ay),
                             origin.asVector().dotProduct(normal));
  const double sx = x.length();
  out.scale[0] = mirrored ? -sx : sx;
  out.scale[1] = y.length();
  out.scale[2] = z.dotProduct(normal);
  const OdGeVector3d xDirection = mirrored ? -x : x;
  double degrees = std::atan2(xDirection.dotProduct(ay), xDirection.dotProduct(ax)) * 180.0 / OdPi;
  if (degrees < 0.0)
    degrees += 360.0;
  out.rotationDegrees = degrees == 360.0 ? 0.0 : degrees;
  return out;
}

OdGeMatrix3d transformOf(const InsertPlacement& p)
{
  const OdGeVector3d normal = p.normal.length() > 1e-300 ? p.normal.normal() : OdGeVector3d::kZAxis;
  const OdGeVector3d ax = ocsXAxis(normal);
  const OdGeVector3d ay = normal.crossProduct(ax);
  const double radians = p.rotationDegrees * OdPi / 180.0;
  const double c = std::cos(radians), s = std::sin(radians);
  // Exact for the common angles, so a file's 90 degrees gives 0 and 1.
  const auto clean = [](double v) { return std::fabs(v) < 1e-15 ? 0.0 : v; };
  const OdGeVector3d xDir = ax * clean(c) + ay * clean(s);
  const OdGeVector3d yDir = ax * clean(-s) + ay * clean(c);
  const OdGeVector3d columns[3] = {xDir * p.scale[0], yDir * p.scale[1], normal * p.scale[2]};
  const OdGeVector3d origin = ax * p.position.x + ay * p.position.y + normal * p.position.z;
  OdGeMatrix3d m;
  for (int row = 0; row < 3; ++row)
  {
    m.entry[row][0] = row == 0 ? columns[0].x : row == 1 ? columns[0].y : columns[0].z;
    m.entry[row][1] = row == 0 ? columns[1].x : row == 1 ? columns[1].y : columns[1].z;
    m.entry[row][2] = row == 0 ? columns[2].x : row == 1 ? columns[2].y : columns[2].z;
  }
  m.entry[0][3] = origin.x;
  m.entry[1][3] = origin.y;
  m.entry[2][3] = origin.z;
  return m;
}
} // namespace dxf
