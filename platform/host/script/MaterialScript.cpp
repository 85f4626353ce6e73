#include "MaterialScript.h"

#include "host/HostApi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace host
{
namespace
{
constexpr double kTwoPi = 6.283185307179586;
constexpr double kDegree = 0.017453292519943295;

// "x,y" of an option; the z the map carries stays as it was.
OdGeVector3d readPair(ScriptArgs& args, const OdString& what)
{
  const OdString word = args.next(what);
  const std::vector<OdString> parts = word.split(L',');
  if (parts.size() != 2)
    throw ScriptError(OdString::format(L"%s must be two numbers separated by a comma, not \"%s\"", what, word));
  return OdGeVector3d(ScriptArgs::toReal(parts[0], what), ScriptArgs::toReal(parts[1], what), 0.0);
}

double readReal(ScriptArgs& args, const OdString& what) { return ScriptArgs::toReal(args.next(what), what); }

// A word of a code list, or the code itself as a number (any 32-bit value,
// as a drawing written by another program may hold).
OdInt32 readCode(const OdString& word, const wchar_t* const names[], int count, const OdString& what)
{
  for (int i = 0; i < count; ++i)
    if (word.iCompare(names[i]) == 0)
      return i;
  OdString list;
  for (int i = 0; i < count; ++i)
    list += OdString(i ? L", " : L"") + names[i];
  try
  {
    return ScriptArgs::toInt(word, what, INT32_MIN, INT32_MAX);
  }
  catch (const ScriptError&)
  {
    throw ScriptError(OdString::format(L"%s takes %s or a code, not \"%s\"", what, list, word));
  }
}

MaterialColor changed(MaterialColor color, const std::optional<ColorOption>& option)
{
  if (option)
    option->applyTo(color);
  return color;
}

const wchar_t* const kProjections[] = {L"INHERIT", L"PLANAR", L"BOX", L"CYLINDER", L"SPHERE"};
const wchar_t* const kTilings[] = {L"INHERIT", L"TILE", L"NONE", L"CLAMP", L"MIRROR"};

MaterialMap fileMap(const OdString& path)
{
  MaterialMap map;
  OdGiImageFileTexturePtr texture = OdGiImageFileTexture::createObject();
  texture->setSourceFileName(path);
  map.setSource(kFile);
  map.setSourceFileName(path);
  map.setTexture(texture);
  return map;
}

void writeColor(JsonWriter& json, const MaterialColor& color)
{
  json.beginObject();
  json.key(L"method");
  if (color.method() == MaterialColor::kInherit)
    json.value(L"byObject");
  else if (color.method() == MaterialColor::kOverride)
    json.value(L"byColor");
  else
    json.value(int(color.method()));
  json.key(L"color").value(colorOptionText(color.color()));
  json.key(L"factor").value(color.factor());
  json.endObject();
}

void writePair(JsonWriter& json, const wchar_t* key, double x, double y)
{
  json.key(key).beginArray().value(x).value(y).endArray();
}

const wchar_t* textureKind(const OdGiMaterialTexture* texture)
{
  if (!texture)
    return nullptr;
  if (texture->isKindOf(OdGiImageFileTexture::desc()))
    return L"image";
  if (texture->isKindOf(OdGiMarbleTexture::desc()))
    return L"marble";
  if (texture->isKindOf(OdGiWoodTexture::desc()))
    return L"wood";
  return L"generic";
}

void writeMap(JsonWriter& json, const MaterialMap& map, OdDbDatabase* db, HostAppServices* services)
{
  json.beginObject();
  json.key(L"source").value(int(map.source()));
  json.key(L"file").value(map.sourceFileName());
  json.key(L"found");
  const OdString found = services && map.source() == kFile && !map.sourceFileName().isEmpty()
                           ? services->findFile(map.sourceFileName(), db, kHostFindTextureMap)
                           : OdString();
  if (found.isEmpty())
    json.null();
  else
    json.value(found);
  const OdGiMaterialTexture* texture = map.texture().get();
  json.key(L"texture");
  if (const wchar_t* kind = textureKind(texture))
    json.value(kind);
  else
    json.null();
  json.key(L"blend").value(map.blendFactor());
  const MapMapper& mapper = map.mapper();
  json.key(L"projection").value(int(mapper.projection()));
  json.key(L"tiling").beginArray().value(int(mapper.uTiling())).value(int(mapper.vTiling())).endArray();
  json.key(L"autoTransform").value(int(mapper.autoTransform()));
  const MapPlacement placement = MapPlacement::of(mapper.transform());
  writePair(json, L"offset", placement.offset.x, placement.offset.y);
  writePair(json, L"scale", placement.scale.x, placement.scale.y);
  json.key(L"rotation").value(placement.rotation / kDegree);
  if (auto marble = OdGiMarbleTexture::cast(texture); !marble.isNull())
  {
    json.key(L"marble").beginObject();
    json.key(L"stone");
    writeColor(json, marble->stoneColor());
    json.key(L"vein");
    writeColor(json, marble->veinColor());
    json.key(L"veinSpacing").value(marble->veinSpacing());
    json.key(L"veinWidth").value(marble->veinWidth());
    json.endObject();
  }
  if (auto wood = OdGiWoodTexture::cast(texture); !wood.isNull())
  {
    json.key(L"wood").beginObject();
    json.key(L"color1");
    writeColor(json, wood->color1());
    json.key(L"color2");
    writeColor(json, wood->color2());
    json.key(L"radialNoise").value(wood->radialNoise());
    json.key(L"axialNoise").value(wood->axialNoise());
    json.key(L"grainThickness").value(wood->grainThickness());
    json.endObject();
  }
  json.endObject();
}
} // namespace

ColorOption ColorOption::read(ScriptArgs& args, const OdString& what)
{
  ColorOption option;
  if (args.nextIs(L"BYOBJECT"))
    option.byObject = true;
  else if (args.nextIs(L"BYLAYER"))
    option.value.setColorMethod(OdCmEntityColor::kByLayer);
  else if (args.nextIs(L"BYBLOCK"))
    option.value.setColorMethod(OdCmEntityColor::kByBlock);
  else if (args.nextIs(L"INDEX"))
    option.value.setColorIndex(OdInt16(ScriptArgs::toInt(args.next(L"colour index"), what + L" INDEX", 1, 255)));
  else
  {
    double rgb[3];
    const OdString word = args.next(what + L" colour");
    ScriptArgs::toTriple(word, what, rgb);
    for (double c : rgb)
      if (c < 0 || c > 255 || c != double(int(c)))
        throw ScriptError(what + L" takes three whole numbers from 0 to 255, INDEX n, BYLAYER, BYBLOCK or BYOBJECT");
    option.value.setRGB(OdUInt8(rgb[0]), OdUInt8(rgb[1]), OdUInt8(rgb[2]));
  }
  return option;
}

void ColorOption::applyTo(MaterialColor& color) const
{
  if (byObject)
  {
    color.setMethod(MaterialColor::kInherit);
    return;
  }
  color.setMethod(MaterialColor::kOverride);
  color.setColor(value);
}

MapPlacement MapPlacement::of(const OdGeMatrix3d& m)
{
  MapPlacement p;
  double* const scale[3] = {&p.scale.x, &p.scale.y, &p.scale.z};
  for (int row = 0; row < 3; ++row)
  {
    const double length = std::sqrt(m.entry[row][0] * m.entry[row][0] + m.entry[row][1] * m.entry[row][1] +
                                    m.entry[row][2] * m.entry[row][2]);
    const double s = 1.0 / length;
    *scale[row] = (s == 0.0 || std::isnan(s)) ? 1.0 : s;
  }
  p.offset = OdGeVector3d(-(p.scale.x * m.entry[0][3]), -(m.entry[1][3] * p.scale.y), m.entry[2][3] * p.scale.z);
  const double c = std::clamp(m.entry[0][0] * p.scale.x, -1.0, 1.0);
  p.rotation = std::acos(c);
  if (m.entry[0][1] > 0)
    p.rotation = kTwoPi - p.rotation;
  return p;
}

OdGeMatrix3d MapPlacement::transform() const
{
  const OdGeMatrix3d s = OdGeMatrix3d::scaling(OdGeVector3d(1.0 / scale.x, 1.0 / scale.y, 1.0 / scale.z));
  const OdGeMatrix3d t = OdGeMatrix3d::translation(OdGeVector3d(-offset.x, -offset.y, 0.0));
  return (s * t) * OdGeMatrix3d::rotation(rotation, OdGeVector3d::kZAxis);
}

OdString colorOptionText(const OdCmEntityColor& color)
{
  switch (color.colorMethod())
  {
  case OdCmEntityColor::kByColor:
    return OdString::format(L"%d,%d,%d", int(color.red()), int(color.green()), int(color.blue()));
  case OdCmEntityColor::kByACI: return OdString::format(L"INDEX %d", int(color.colorIndex()));
  case OdCmEntityColor::kByLayer: return L"BYLAYER";
  case OdCmEntityColor::kByBlock: return L"BYBLOCK";
  default: return OdString::format(L"0x%08X", unsigned(color.color()));
  }
}

bool MaterialOptions::readColorOption(ScriptArgs& args)
{
  if (args.nextIs(L"DIFFUSE"))
    diffuse = ColorOption::read(args, L"DIFFUSE");
  else if (args.nextIs(L"AMBIENT"))
    ambient = ColorOption::read(args, L"AMBIENT");
  else if (args.nextIs(L"SPECULAR"))
    specular = ColorOption::read(args, L"SPECULAR");
  else if (args.nextIs(L"GLOSS"))
  {
    gloss = readReal(args, L"the glossiness");
    if (*gloss < 0 || *gloss > 1)
      throw ScriptError(L"GLOSS takes a number from 0 to 1");
  }
  else if (args.nextIs(L"OPACITY"))
  {
    opacity = readReal(args, L"the opacity");
    if (*opacity < 0 || *opacity > 1)
      throw ScriptError(L"OPACITY takes a number from 0 to 1");
  }
  else if (args.nextIs(L"CHANNELS"))
    channels = OdUInt32(ScriptArgs::toInt(args.next(L"channel bits"), L"CHANNELS", 0, kUseAll));
  else
    return false;
  return true;
}

bool MaterialOptions::readMapOption(ScriptArgs& args)
{
  if (args.nextIs(L"MAP"))
  {
    MaterialMap chosen;
    if (args.nextIs(L"FILE"))
      chosen = fileMap(args.next(L"image file of the map"));
    else if (args.nextIs(L"MARBLE"))
    {
      chosen.setSource(kProcedural);
      chosen.setTexture(OdGiMarbleTexture::createObject());
    }
    else if (args.nextIs(L"WOOD"))
    {
      chosen.setSource(kProcedural);
      chosen.setTexture(OdGiWoodTexture::createObject());
    }
    else if (!args.nextIs(L"NONE"))
      throw ScriptError(L"MAP takes FILE path, MARBLE, WOOD or NONE");
    map = chosen;
  }
  else if (args.nextIs(L"BUMPMAP"))
  {
    if (args.nextIs(L"FILE"))
      bumpMap = fileMap(args.next(L"image file of the bump map"));
    else if (args.nextIs(L"NONE"))
      bumpMap = MaterialMap();
    else
      throw ScriptError(L"BUMPMAP takes FILE path or NONE");
  }
  else if (args.nextIs(L"BLEND"))
    blend = readReal(args, L"the blend factor");
  else if (args.nextIs(L"PROJECTION"))
    projection = readCode(args.next(L"projection"), kProjections, 5, L"PROJECTION");
  else if (args.nextIs(L"TILING"))
  {
    // One word for both directions, or "horizontal,vertical".
    const std::vector<OdString> parts = args.next(L"tiling").split(L',');
    if (parts.size() > 2)
      throw ScriptError(L"TILING takes one tiling or two separated by a comma");
    uTiling = readCode(parts[0], kTilings, 5, L"TILING");
    vTiling = parts.size() == 2 ? readCode(parts[1], kTilings, 5, L"TILING") : *uTiling;
  }
  else if (args.nextIs(L"OFFSET"))
    offset = readPair(args, L"OFFSET x,y");
  else if (args.nextIs(L"SCALE"))
  {
    scale = readPair(args, L"SCALE width,height");
    if (scale->x <= 0 || scale->y <= 0)
      throw ScriptError(L"SCALE takes a width and a height above 0 (drawing units per repeat)");
  }
  else if (args.nextIs(L"ROTATION"))
    rotationDegrees = readReal(args, L"the rotation in degrees");
  else
    return false;
  return true;
}

bool MaterialOptions::readTextureOption(ScriptArgs& args)
{
  if (args.nextIs(L"STONE"))
    stone = ColorOption::read(args, L"STONE");
  else if (args.nextIs(L"VEIN"))
    vein = ColorOption::read(args, L"VEIN");
  else if (args.nextIs(L"VEINSPACING"))
    veinSpacing = readReal(args, L"the vein spacing");
  else if (args.nextIs(L"VEINWIDTH"))
    veinWidth = readReal(args, L"the vein width");
  else if (args.nextIs(L"COLOR1"))
    color1 = ColorOption::read(args, L"COLOR1");
  else if (args.nextIs(L"COLOR2"))
    color2 = ColorOption::read(args, L"COLOR2");
  else if (args.nextIs(L"RADIALNOISE"))
    radialNoise = readReal(args, L"the radial noise");
  else if (args.nextIs(L"AXIALNOISE"))
    axialNoise = readReal(args, L"the axial noise");
  else if (args.nextIs(L"GRAIN"))
    grain = readReal(args, L"the grain thickness");
  else
    return false;
  return true;
}

void MaterialOptions::read(ScriptArgs& args)
{
  while (!args.done())
  {
    if (readColorOption(args) || readMapOption(args) || readTextureOption(args))
      continue;
    if (args.nextIs(L"AS"))
      label = args.next(L"label");
    else
      args.expectEnd();
  }
}

bool MaterialOptions::hasMarbleOptions() const { return stone || vein || veinSpacing || veinWidth; }
bool MaterialOptions::hasWoodOptions() const { return color1 || color2 || radialNoise || axialNoise || grain; }

void MaterialOptions::applyToMap(MaterialMap& target) const
{
  if (blend)
    target.setBlendFactor(*blend);
  MapMapper& mapper = target.mapper();
  if (projection)
    mapper.setProjection(MapMapper::Projection(*projection));
  if (uTiling)
    mapper.setUTiling(MapMapper::Tiling(*uTiling));
  if (vTiling)
    mapper.setVTiling(MapMapper::Tiling(*vTiling));
  if (offset || scale || rotationDegrees)
  {
    MapPlacement placement = MapPlacement::of(mapper.transform());
    if (offset)
      placement.offset = OdGeVector3d(offset->x, offset->y, 0.0);
    if (scale)
      placement.scale = OdGeVector3d(scale->x, scale->y, placement.scale.z);
    if (rotationDegrees)
      placement.rotation = *rotationDegrees * kDegree;
    mapper.setTransform(placement.transform());
  }
  if (!hasMarbleOptions() && !hasWoodOptions())
    return;
  // A copy of the texture: the map record given may share it with others.
  target = target.deepCopy();
  if (auto marble = OdGiMarbleTexture::cast(target.texture().get()); !marble.isNull())
  {
    marble->setStoneColor(changed(marble->stoneColor(), stone));
    marble->setVeinColor(changed(marble->veinColor(), vein));
    if (veinSpacing)
      marble->setVeinSpacing(*veinSpacing);
    if (veinWidth)
      marble->setVeinWidth(*veinWidth);
  }
  if (auto wood = OdGiWoodTexture::cast(target.texture().get()); !wood.isNull())
  {
    wood->setColor1(changed(wood->color1(), color1));
    wood->setColor2(changed(wood->color2(), color2));
    if (radialNoise)
      wood->setRadialNoise(*radialNoise);
    if (axialNoise)
      wood->setAxialNoise(*axialNoise);
    if (grain)
      wood->setGrainThickness(*grain);
  }
}

void MaterialOptions::check(const OdDbMaterial& material) const
{
  MaterialColor color;
  MaterialMap diffuseMap;
  material.diffuse(color, diffuseMap);
  const OdGiMaterialTexture* texture = map ? map->texture().get() : diffuseMap.texture().get();
  if (hasMarbleOptions() && OdGiMarbleTexture::cast(texture).isNull())
    throw ScriptError(L"STONE, VEIN, VEINSPACING and VEINWIDTH need a marble map (MAP MARBLE)");
  if (hasWoodOptions() && OdGiWoodTexture::cast(texture).isNull())
    throw ScriptError(L"COLOR1, COLOR2, RADIALNOISE, AXIALNOISE and GRAIN need a wood map (MAP WOOD)");
}

void MaterialOptions::applyTo(OdDbMaterial& material) const
{
  check(material);
  MaterialColor color;
  MaterialMap diffuseMap;
  material.diffuse(color, diffuseMap);
  if (map)
    diffuseMap = *map;

  if (diffuse || map || blend || projection || uTiling || offset || scale || rotationDegrees || hasMarbleOptions() ||
      hasWoodOptions())
  {
    if (diffuse)
      diffuse->applyTo(color);
    applyToMap(diffuseMap);
    material.setDiffuse(color, diffuseMap);
  }
  if (ambient)
  {
    material.ambient(color);
    ambient->applyTo(color);
    material.setAmbient(color);
  }
  if (specular || gloss)
  {
    MaterialMap specularMap;
    double oldGloss = 0;
    material.specular(color, specularMap, oldGloss);
    if (specular)
      specular->applyTo(color);
    material.setSpecular(color, specularMap, gloss.value_or(oldGloss));
  }
  if (opacity)
  {
    double old = 0;
    MaterialMap opacityMap;
    material.opacity(old, opacityMap);
    material.setOpacity(*opacity, opacityMap);
  }
  if (bumpMap)
    material.setBump(*bumpMap);
  if (channels)
    material.setChannelFlags(*channels);
}

void writeMaterialChannels(JsonWriter& json, const OdDbMaterial& material, HostAppServices* services)
{
  OdDbDatabase* db = material.database();
  MaterialColor color;
  MaterialMap map;
  material.diffuse(color, map);
  json.key(L"diffuse");
  writeColor(json, color);
  json.key(L"diffuseMap");
  writeMap(json, map, db, services);
  material.ambient(color);
  json.key(L"ambient");
  writeColor(json, color);
  double value = 0;
  material.specular(color, map, value);
  json.key(L"specular");
  writeColor(json, color);
  json.key(L"gloss").value(value);
  material.opacity(value, map);
  json.key(L"opacity").value(value);
  material.bump(map);
  json.key(L"bumpMap");
  writeMap(json, map, db, services);
  json.key(L"channels").value(int(material.channelFlags()));
}
} // namespace host
