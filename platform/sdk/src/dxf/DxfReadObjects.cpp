// The DXF reader's objects: dictionaries, materials and groups.
#include "DxfReader.h"

#include "od/DbDictionary.h"

#include <cmath>
#include <cstdio>
#include <unordered_set>

namespace dxf
{
namespace
{
// What the model writes of the objects it knows; the rest is kept.
bool dictionaryOwns(std::string_view subclass, int code) { return subclass == "AcDbDictionary" && code == 281; }
bool groupOwns(std::string_view subclass, int code)
{
  return subclass == "AcDbGroup" && (code == 300 || code == 70 || code == 71 || code == 340);
}
bool materialOwns(std::string_view subclass, int code)
{
  if (subclass != "AcDbMaterial")
    return false;
  for (const MapCodes& map : kMapCodes)
    if (code == map.blend || code == map.source || code == map.file || code == map.projection || code == map.tiling ||
        code == map.autoTransform || code == map.matrix)
      return true;
  static const int kOwn[] = {1,   2,   70,  40,  90,  71,  41,  91, 44, 76,  45, 92, 73,
                             140, 145, 271, 465, 148, 149, 468, 93, 94, 300, 72, 42, 43};
  for (int own : kOwn)
    if (code == own)
      return true;
  return false;
}

// An object read keeps its pairs as read, even none: the writer then writes
// no reactors of its own.
std::shared_ptr<OdDxfKept> keptOf(OdDxfPairs pairs)
{
  auto kept = std::make_shared<OdDxfKept>();
  kept->pairs = std::move(pairs);
  return kept;
}
} // namespace

void Reader::objectRecord(const Record& record)
{
  const std::string_view type = record.type;
  OdUInt64 own = 0, owner = 0;
  for (const Group& g : record.groups)
    if (g.code == 5)
      noteHandle(own = handle(g));
    else if (g.code == 330 && owner == 0)
      owner = handle(g);
  if (own)
    m_objectTypes.emplace(own, type);
  if (type == "DICTIONARY")
  {
    PendingDictionary pending;
    pending.handle = own;
    pending.owner = owner;
    pending.line = record.line;
    for (std::size_t i = 0; i < record.groups.size(); ++i)
      if (record.groups[i].code == 3)
      {
        const Group& key = record.groups[i];
        if (i + 1 >= record.groups.size() || (record.groups[i + 1].code != 350 && record.groups[i + 1].code != 360))
          fail(key.line, L"a dictionary key without its object");
        const int code = record.groups[i + 1].code;
        pending.entries.push_back({key.value, handle(record.groups[++i]), key.line, code});
      }
    KeepRules rules{dictionaryOwns};
    pending.otherPairs = keptPairs(record, m_text, rules);
    m_keptObjects.emplace_back(own, keptRecord(record, m_text));
    if (own)
      m_dictionaryByHandle.emplace(own, m_dictionaries.size());
    m_dictionaries.push_back(std::move(pending));
  }
  else if (type == "MATERIAL")
  {
    readMaterial(record);
    if (!m_materials.empty())
    {
      KeepRules rules{materialOwns, kAppName};
      auto kept = keptOf(keptPairs(record, m_text, rules));
      kept->original = keptRecord(record, m_text);
      m_materials.back().material->setDxfKept(std::move(kept));
    }
  }
  else if (type == "GROUP")
  {
    PendingGroup pending;
    pending.group = OdDbGroup::createObject();
    pending.handle = own;
    pending.line = record.line;
    for (const Group& g : record.groups)
      if (g.code == 300)
        pending.group->setDescription(text(g));
      else if (g.code == 340)
        pending.members.push_back(handle(g));
    KeepRules rules{groupOwns};
    pending.group->setDxfKept(keptOf(keptPairs(record, m_text, rules)));
    m_groups.push_back(std::move(pending));
  }
  else
    m_keptObjects.emplace_back(own, keptRecord(record, m_text));
}

MaterialColor Reader::extensionColor(const Record& record, std::size_t& at)
{
  MaterialColor color;
  const auto& gs = record.groups;
  if (at + 3 > gs.size() || gs[at].code != 1070 || gs[at + 1].code != 1040 || gs[at + 2].code != 1071)
    fail(at < gs.size() ? gs[at].line : record.line, L"the material's texture colour is incomplete");
  color.setMethod(integer(gs[at]) == 1 ? MaterialColor::kOverride : MaterialColor::kInherit);
  color.setFactor(real(gs[at + 1]));
  color.setColor(OdCmEntityColor(OdUInt32(integer(gs[at + 2]))));
  at += 3;
  return color;
}

void Reader::readMaterialExtension(const Record& record, std::size_t at, MaterialMaps& maps, bool textureGiven[])
{
  const auto& gs = record.groups;
  const auto need = [&](std::size_t i, int code) {
    if (i >= gs.size() || gs[i].code != code)
      fail(i < gs.size() ? gs[i].line : record.line,
           OdString::format(L"the material's extension data lacks group %d", code));
    return gs[i];
  };
  const auto number = [&](std::size_t& i) { return real(need(i++, 1040)); };
  while (at < gs.size() && gs[at].code != 1001)
  {
    if (gs[at].code != 1000 || trimmed(gs[at].value) != "map")
    {
      ++at; // something a later version adds
      continue;
    }
    const std::size_t line = gs[at].line;
    const long long channel = integer(need(at + 1, 1070));
    const long long vTiling = integer(need(at + 2, 1070));
    const std::string_view kind = trimmed(need(at + 3, 1000).value);
    at += 4;
    if (channel < 0 || channel >= kChannelCount)
      fail(line, OdString::format(L"the material's extension data names map %lld", channel));
    MaterialMap& map = maps.maps[channel];
    if (vTiling >= MapMapper::kInheritTiling && vTiling <= MapMapper::kMirror)
      map.mapper().setVTiling(MapMapper::Tiling(vTiling));
    textureGiven[channel] = true;
    if (kind == "image")
    {
      OdGiImageFileTexturePtr image = OdGiImageFileTexture::createObject();
      image->setSourceFileName(text(need(at++, 1000)));
      map.setTexture(image);
    }
    else if (kind == "marble")
    {
      OdGiMarbleTexturePtr marble = OdGiMarbleTexture::createObject();
      marble->setStoneColor(extensionColor(record, at));
      marble->setVeinColor(extensionColor(record, at));
      marble->setVeinSpacing(number(at));
      marble->setVeinWidth(number(at));
      map.setTexture(marble);
    }
    else if (kind == "wood")
    {
      OdGiWoodTexturePtr wood = OdGiWoodTexture::createObject();
      wood->setColor1(extensionColor(record, at));
      wood->setColor2(extensionColor(record, at));
      wood->setRadialNoise(number(at));
      wood->setAxialNoise(number(at));
      wood->setGrainThickness(number(at));
      map.setTexture(wood);
    }
    else if (kind == "generic")
    {
      const long long count = integer(need(at++, 1071));
      if (count < 0 || std::size_t(count) > (gs.size() - at) / 2)
        fail(line, L"the material's generic texture has more values than the file holds");
      std::map<OdString, double> definition;
      for (long long k = 0; k < count; ++k)
      {
        const OdString key = text(need(at++, 1000));
        definition[key] = number(at);
      }
      OdGiGenericTexturePtr generic = OdGiGenericTexture::createObject();
      generic->setDefinition(definition);
      map.setTexture(generic);
    }
    else if (kind == "none")
      map.setTexture(OdGiMaterialTexturePtr());
    else
      textureGiven[channel] = false;
  }
}

void Reader::readMaterial(const Record& record)
{
  PendingMaterial pending;
  pending.line = record.line;
  OdDbMaterialPtr material = OdDbMaterial::createObject();
  MaterialMaps maps;
  maps.takeFrom(*material);
  MaterialColor ambient, diffuse, specular;
  double gloss = 0.5, opacity = 1.0, refraction = 1.0, normalStrength = 1.0;
  OdInt32 normalMethod = 0;
  std::vector<double> matrices[kChannelCount];
  std::size_t matrixLine[kChannelCount] = {};
  bool textureGiven[kChannelCount] = {};
  // Codes repeat within the object: the diffuse map's codes come again for
  // the normal map, the bump map's for later values. Which one a code is
  // depends on where it stands: phase 0 up to the refraction index, 1 in
  // the refraction map, 2 after it.
  int phase = 0;
  bool afterGloss = false, procedural = false;
  const auto tilingOf = [&](const Group& g) {
    const long long value = integer(g);
    if (value < MapMapper::kInheritTiling || value > MapMapper::kMirror)
    {
      warn(g.line, OdString::format(L"tiling %lld is not known; tiled instead", value));
      return MapMapper::kTile;
    }
    return MapMapper::Tiling(value);
  };
  const auto mapCode = [&](int channel, const Group& g) {
    const MapCodes& codes = kMapCodes[channel];
    MaterialMap& map = maps.maps[channel];
    if (g.code == codes.blend)
      map.setBlendFactor(real(g));
    else if (g.code == codes.source)
    {
      const long long value = integer(g);
      map.setSource(value >= kScene && value <= kProcedural ? MapSource(value) : kFile);
      if (value < kScene || value > kProcedural)
        warn(g.line, OdString::format(L"map source %lld is not known; a file instead", value));
    }
    else if (g.code == codes.file)
      map.setSourceFileName(text(g));
    else if (g.code == codes.projection)
    {
      const long long value = integer(g);
      const bool known = value >= MapMapper::kInheritProjection && value <= MapMapper::kSphere;
      map.mapper().setProjection(known ? MapMapper::Projection(value) : MapMapper::kPlanar);
      if (!known)
        warn(g.line, OdString::format(L"projection %lld is not known; planar instead", value));
    }
    else if (g.code == codes.tiling)
    {
      map.mapper().setUTiling(tilingOf(g));
      map.mapper().setVTiling(map.mapper().uTiling());
    }
    else if (g.code == codes.autoTransform)
    {
      const long long value = integer(g);
      map.mapper().setAutoTransform(value >= 0 && value <= 7 ? MapMapper::AutoTransform(value) : MapMapper::kNone);
    }
    else if (g.code == codes.matrix)
    {
      if (matrices[channel].empty())
        matrixLine[channel] = g.line;
      if (matrices[channel].size() < 17)
        matrices[channel].push_back(real(g));
    }
    else
      return false;
    return true;
  };
  const auto colorValue = [&](const Group& g) { return OdCmEntityColor(OdUInt32(integer(g))); };
  const auto method = [&](const Group& g) {
    return integer(g) == 1 ? MaterialColor::kOverride : MaterialColor::kInherit;
  };

  std::size_t extension = record.groups.size();
  for (std::size_t i = 0; i < record.groups.size(); ++i)
  {
    const Group& g = record.groups[i];
    if (g.code == 1001)
    {
      if (extension == record.groups.size() && trimmed(g.value) == kAppName)
        extension = i + 1;
      continue;
    }
    if (g.code >= 1000)
      continue;
    if (procedural && g.code != 148 && g.code != 149 && g.code != 468 && g.code != 93 && g.code != 94)
      continue; // a procedural texture's own table
    const bool laterCode = g.code == 271 || g.code == 465 || (g.code >= 460 && g.code <= 464) || g.code == 290 ||
                           g.code == 293 || g.code == 300 || g.code == 148 || g.code == 149 || g.code == 468 ||
                           g.code == 93 || g.code == 94;
    if (phase == 1 && (laterCode || g.code == 42 || g.code == 72 || g.code == 3 || g.code == 73))
      phase = 2;
    switch (g.code)
    {
    case 5:
    case 330:
    case 100:
    case 102: continue;
    case 1: continue; // the name is the dictionary's key
    case 2: material->setDescription(text(g)); continue;
    case 70: ambient.setMethod(method(g)); continue;
    case 40: ambient.setFactor(real(g)); continue;
    case 71: diffuse.setMethod(method(g)); continue;
    case 41: diffuse.setFactor(real(g)); continue;
    case 91: diffuse.setColor(colorValue(g)); continue;
    case 44:
      gloss = real(g);
      afterGloss = true;
      continue;
    case 76: specular.setMethod(method(g)); continue;
    case 45: specular.setFactor(real(g)); continue;
    case 92: specular.setColor(colorValue(g)); continue;
    case 140: opacity = real(g); continue;
    case 145:
      refraction = real(g);
      phase = 1;
      continue;
    case 465: normalStrength = real(g); continue;
    case 148: material->setTranslucence(real(g)); continue;
    case 149: material->setSelfIllumination(real(g)); continue;
    case 468: material->setReflectivity(real(g)); continue;
    case 93: material->setIlluminationModel(OdInt32(integer(g))); continue;
    case 94: material->setChannelFlags(OdUInt32(integer(g)) & kUseAll); continue;
    case 300: procedural = true; continue;
    default: break;
    }
    if (g.code == 90)
    {
      if (phase == 0)
        ambient.setColor(colorValue(g));
      continue;
    }
    if (g.code == 271 && phase == 2)
    {
      normalMethod = OdInt32(integer(g));
      continue;
    }
    if (g.code == 73 && phase == 0 && afterGloss)
    {
      specular.setMethod(method(g)); // as some writers put the specular colour method
      continue;
    }
    if (phase == 2)
    {
      if (g.code == 42 || g.code == 72 || g.code == 3 || g.code == 73 || g.code == 74 || g.code == 75 || g.code == 43)
        mapCode(kNormalMap, g);
      continue; // luminance, illumination modes and the like
    }
    const int channels[] = {kDiffuseMap, kSpecularMap, kReflectionMap, kOpacityMap, kBumpMap, kRefractionMap};
    for (int channel : channels)
      if ((channel == kRefractionMap) == (phase == 1) && mapCode(channel, g))
        break;
  }
  for (int channel = 0; channel < kChannelCount; ++channel)
  {
    if (matrices[channel].size() == 16)
    {
      OdGeMatrix3d m;
      for (int k = 0; k < 16; ++k)
        m.entry[k / 4][k % 4] = matrices[channel][std::size_t(k)];
      maps.maps[channel].mapper().setTransform(m);
    }
    else if (!matrices[channel].empty())
      warn(matrixLine[channel], L"a map transform without its 16 numbers; the map keeps none");
  }
  if (extension < record.groups.size())
    readMaterialExtension(record, extension, maps, textureGiven);
  for (int channel = 0; channel < kChannelCount; ++channel)
    if (!textureGiven[channel] && impliesImageTexture(maps.maps[channel]))
    {
      OdGiImageFileTexturePtr image = OdGiImageFileTexture::createObject();
      image->setSourceFileName(maps.maps[channel].sourceFileName());
      maps.maps[channel].setTexture(image);
    }
  material->setAmbient(ambient);
  material->setDiffuse(diffuse, maps.maps[kDiffuseMap]);
  material->setSpecular(specular, maps.maps[kSpecularMap], gloss);
  material->setReflection(maps.maps[kReflectionMap]);
  material->setOpacity(opacity, maps.maps[kOpacityMap]);
  material->setBump(maps.maps[kBumpMap]);
  material->setRefraction(refraction, maps.maps[kRefractionMap]);
  material->setNormalMap(maps.maps[kNormalMap], normalMethod, normalStrength);
  pending.material = material;
  for (const Group& g : record.groups)
    if (g.code == 5)
      noteHandle(pending.handle = handle(g));
  m_materials.push_back(std::move(pending));
}

void Reader::buildDictionaries(OdDbDatabase* db, DatabaseRoots& roots, OdDbObjectId& materials, OdDbObjectId& groups)
{
  // The named-object dictionary is the first of the OBJECTS section.
  const PendingDictionary* named = m_dictionaries.empty() ? nullptr : &m_dictionaries.front();
  OdDbInternal::wantHandle(db, named ? named->handle : 0);
  OdDbDictionaryPtr root = OdDbDictionary::createObject();
  roots.namedObjects = db->addOdDbObject(root);
  std::unordered_set<OdUInt64> modelled{named ? named->handle : 0};
  const wchar_t* const kModelled[] = {L"ACAD_GROUP", L"ACAD_MATERIAL"};
  const auto child = [&](const wchar_t* key) {
    const PendingDictionary* found = nullptr;
    if (named)
      for (const auto& entry : named->entries)
        if (text(entry.key).iCompare(key) == 0)
          found = dictionary(entry.handle);
    OdDbInternal::wantHandle(db, found ? found->handle : 0);
    OdDbDictionaryPtr made = OdDbDictionary::createObject();
    if (found)
    {
      modelled.insert(found->handle);
      made->setDxfKept(keptOf(found->otherPairs));
    }
    return root->setAt(key, made);
  };
  groups = child(kModelled[0]);
  materials = child(kModelled[1]);
  if (!named)
    return;
  // The root's entries as the file had them, the kept objects' among them.
  OdDxfPairs pairs = named->otherPairs;
  root->setDxfKept(keptOf(std::move(pairs)));
  for (auto& object : m_keptObjects)
    if (!modelled.count(object.first))
      m_fileKept->objects.push_back(std::move(object.second));
  m_keptObjects.clear();
}

void Reader::buildMaterials(OdDbDatabase* db, const OdDbObjectId& dictionaryId)
{
  OdDbDictionaryPtr dictionaryObject = dictionaryId.safeOpenObject(OdDb::kForWrite);
  std::unordered_map<OdUInt64, std::size_t> byHandle;
  for (std::size_t i = 0; i < m_materials.size(); ++i)
    if (m_materials[i].handle)
      byHandle.emplace(m_materials[i].handle, i);
  std::vector<bool> placed(m_materials.size(), false);
  const PendingDictionary* pending = dictionary(OdUInt64(dictionaryId.getHandle()));
  if (pending)
    for (const auto& entry : pending->entries)
    {
      auto it = byHandle.find(entry.handle);
      if (it == byHandle.end())
      {
        auto other = m_objectTypes.find(entry.handle);
        if (other != m_objectTypes.end())
          fail(entry.line, OdString(L"the material dictionary entry ") + quoted(entry.key) +
                             L" is not a material but a " + quoted(other->second));
        warn(entry.line, OdString(L"the material dictionary entry ") + quoted(entry.key) +
                           L" names no object of the file; left out");
        continue;
      }
      const OdString name = modelMaterialName(text(entry.key));
      if (placed[it->second] || name.isEmpty() || dictionaryObject->has(name))
      {
        warn(entry.line, OdString(L"a second material named ") + quoted(name.toUtf8()) + L"; left out");
        continue;
      }
      PendingMaterial& material = m_materials[it->second];
      material.material->setName(name);
      OdDbInternal::wantHandle(db, material.handle);
      dictionaryObject->setAt(name, material.material);
      placed[it->second] = true;
    }
  for (std::size_t i = 0; i < m_materials.size(); ++i)
    if (!placed[i])
      warn(m_materials[i].line, L"a material outside the material dictionary; left out");
  // Files from before materials, or without some standard ones.
  for (const wchar_t* name : {L"By Layer", L"By Block", L"Global"})
    if (!dictionaryObject->has(name))
    {
      OdDbMaterialPtr material = OdDbMaterial::createObject();
      material->setName(name);
      dictionaryObject->setAt(name, material);
    }
}

void Reader::buildGroups(OdDbDatabase* db, const OdDbObjectId& dictionaryId)
{
  OdDbDictionaryPtr dictionaryObject = dictionaryId.safeOpenObject(OdDb::kForWrite);
  std::unordered_map<OdUInt64, std::size_t> byHandle;
  for (std::size_t i = 0; i < m_groups.size(); ++i)
    if (m_groups[i].handle)
      byHandle.emplace(m_groups[i].handle, i);
  const PendingDictionary* pending = dictionary(OdUInt64(dictionaryId.getHandle()));
  if (!pending)
    return;
  for (const auto& entry : pending->entries)
  {
    auto it = byHandle.find(entry.handle);
    const OdString name = text(entry.key);
    if (it == byHandle.end() || name.isEmpty() || dictionaryObject->has(name) || m_groups[it->second].group->isDBRO())
    {
      warn(entry.line, OdString(L"the group dictionary entry ") + quoted(entry.key) + L" is no group; left out");
      continue;
    }
    PendingGroup& group = m_groups[it->second];
    OdDbInternal::wantHandle(db, group.handle);
    dictionaryObject->setAt(name, group.group);
    for (OdUInt64 member : group.members)
    {
      const OdDbObjectId id = db->getOdDbObjectId(member);
      if (OdDbInternal::peekAs<OdDbEntity>(id))
        group.group->append(id);
    }
  }
}
} // namespace dxf
