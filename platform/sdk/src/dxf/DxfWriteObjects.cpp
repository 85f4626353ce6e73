// The DXF writer's objects: dictionaries, materials, groups and layouts.
#include "DxfWriter.h"

namespace dxf
{
void Writer::objects()
{
  put(0, "SECTION");
  put(2, "OBJECTS");
  if (auto* root = OdDbInternal::peekAs<OdDbDictionary>(m_db->getNamedObjectsDictionaryId()))
    dictionary(root, 0, true, false);
  if (!m_keptLayouts)
    layouts(handleOf(m_db->getNamedObjectsDictionaryId()));
  const OdDxfFileKept* file = m_db->dxfFileKept();
  if (file)
    for (const OdDxfRecord& record : file->objects)
      putRecord(record);
  put(0, "ENDSEC");
  if (file)
    for (const OdDxfFileKept::Section& section : file->sections)
    {
      put(0, "SECTION");
      put(2, section.name.c_str());
      for (const OdDxfRecord& record : section.records)
        putRecord(record);
      put(0, "ENDSEC");
    }
}

void Writer::dictionary(const OdDbDictionary* dict, OdUInt64 owner, bool root, bool materials)
{
  // Entries first, their objects after, as drawing files have them.
  std::vector<std::pair<OdString, const OdDbObject*>> entries;
  for (auto it = dict->newIterator(); !it->done(); it->next())
  {
    const OdDbObject* object = OdDbInternal::peek(it->objectId());
    if (object && (object->isKindOf(OdDbDictionary::desc()) || object->isKindOf(OdDbMaterial::desc()) ||
                   object->isKindOf(OdDbGroup::desc())))
      entries.emplace_back(materials ? fileMaterialName(it->name()) : it->name(), object);
  }
  const OdUInt64 handle = dict->getDbHandle();
  const KeptParts kept(dict->dxfKept());
  put(0, "DICTIONARY");
  putHandle(5, handle);
  if (!dict->dxfKept() && !root)
  {
    put(102, "{ACAD_REACTORS");
    putHandle(330, owner);
    put(102, "}");
  }
  putKept(kept, 0, kept.headEnd());
  putHandle(330, owner);
  put(100, "AcDbDictionary");
  putInt(281, 1);
  // The file's entries in its order: those of the model's objects under
  // their present names (gone when the object is), the kept objects' as they
  // were; the model's new entries after them.
  std::vector<bool> written(entries.size(), false);
  const auto range = kept.subclass("AcDbDictionary");
  for (std::size_t i = range.first; i < range.second; ++i)
  {
    const OdDxfPair& pair = kept.pairs()[i];
    const bool entry =
      pair.code == 3 && i + 1 < range.second && (kept.pairs()[i + 1].code == 350 || kept.pairs()[i + 1].code == 360);
    if (!entry)
    {
      putKept(pair);
      continue;
    }
    const OdDxfPair& target = kept.pairs()[++i];
    OdUInt64 value = 0;
    const std::string_view text = trimmed(target.value);
    std::from_chars(text.data(), text.data() + text.size(), value, 16);
    const OdDbObjectId id = m_db->getOdDbObjectId(OdDbHandle(value));
    if (id.isNull())
    {
      putKept(pair);
      putKept(target);
      continue;
    }
    for (std::size_t k = 0; k < entries.size(); ++k)
      if (!written[k] && entries[k].second->objectId() == id)
      {
        put(3, entries[k].first);
        putHandle(target.code, value);
        written[k] = true;
      }
  }
  for (std::size_t k = 0; k < entries.size(); ++k)
    if (!written[k])
    {
      put(3, entries[k].first);
      putHandle(350, entries[k].second->getDbHandle());
    }
  if (root && !m_keptLayouts)
  {
    put(3, "ACAD_LAYOUT");
    putHandle(350, m_layoutDictionary);
  }
  putKeptOthers(kept, {"AcDbDictionary"});
  const OdDbObjectId materialDictionary = m_db->getMaterialDictionaryId(false);
  for (const auto& entry : entries)
  {
    if (auto* child = OdDbDictionary::cast(entry.second).get())
      dictionary(child, handle, false, child->objectId() == materialDictionary);
    else if (auto* mat = OdDbMaterial::cast(entry.second).get())
      asRead(mat, [&] { material(mat, handle); });
    else if (auto* grp = OdDbGroup::cast(entry.second).get())
      group(grp, handle);
  }
}

void Writer::materialColor(int methodCode, int factorCode, int valueCode, const MaterialColor& color)
{
  putInt(methodCode, color.method());
  putReal(factorCode, color.factor());
  putInt(valueCode, OdInt32(color.color().color()));
}

void Writer::mapChannel(Channel channel, const MaterialMap& map)
{
  const MapCodes& codes = kMapCodes[channel];
  putReal(codes.blend, map.blendFactor());
  putInt(codes.source, map.source());
  put(codes.file, map.sourceFileName());
  putInt(codes.projection, map.mapper().projection());
  putInt(codes.tiling, map.mapper().uTiling());
  putInt(codes.autoTransform, map.mapper().autoTransform());
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column)
      putReal(codes.matrix, map.mapper().transform().entry[row][column]);
}

void Writer::material(const OdDbMaterial* mat, OdUInt64 owner)
{
  const KeptParts kept(mat->dxfKept());
  put(0, "MATERIAL");
  putHandle(5, mat->getDbHandle());
  if (!mat->dxfKept())
  {
    put(102, "{ACAD_REACTORS");
    putHandle(330, owner);
    put(102, "}");
  }
  putKept(kept, 0, kept.headEnd());
  putHandle(330, owner);
  put(100, "AcDbMaterial");
  put(1, fileMaterialName(mat->name()));
  put(2, mat->description());

  MaterialMaps maps;
  maps.takeFrom(*mat);
  MaterialColor color;
  MaterialMap ignored;
  mat->ambient(color);
  materialColor(70, 40, 90, color);
  mat->diffuse(color, ignored);
  materialColor(71, 41, 91, color);
  mapChannel(kDiffuseMap, maps.maps[kDiffuseMap]);
  double gloss = 0.0;
  mat->specular(color, ignored, gloss);
  putReal(44, gloss);
  materialColor(76, 45, 92, color);
  mapChannel(kSpecularMap, maps.maps[kSpecularMap]);
  mapChannel(kReflectionMap, maps.maps[kReflectionMap]);
  double value = 0.0;
  mat->opacity(value, ignored);
  putReal(140, value);
  mapChannel(kOpacityMap, maps.maps[kOpacityMap]);
  mapChannel(kBumpMap, maps.maps[kBumpMap]);
  mat->refraction(value, ignored);
  putReal(145, value);
  mapChannel(kRefractionMap, maps.maps[kRefractionMap]);
  OdInt32 method = 0;
  mat->normalMap(ignored, method, value);
  putInt(271, method);
  putReal(465, value);
  mapChannel(kNormalMap, maps.maps[kNormalMap]);
  putReal(148, mat->translucence());
  putReal(149, mat->selfIllumination());
  putReal(468, mat->reflectivity());
  putInt(93, mat->illuminationModel());
  putInt(94, OdInt32(mat->channelFlags()));
  putKept(kept, kept.subclass("AcDbMaterial"));
  putKeptOthers(kept, {"AcDbMaterial"}); // other applications' extension data last
  materialExtension(maps);
}

void Writer::extensionColor(const MaterialColor& color)
{
  putInt(1070, color.method());
  putReal(1040, color.factor());
  putInt(1071, OdInt32(color.color().color()));
}

bool Writer::needsExtension(const MaterialMap& map)
{
  const OdGiMaterialTexture* texture = map.texture().get();
  auto* image = OdGiImageFileTexture::cast(texture).get();
  const bool plainImage = image && impliesImageTexture(map) && image->sourceFileName() == map.sourceFileName();
  const bool plainNone = !texture && !impliesImageTexture(map);
  return !(plainImage || plainNone) || map.mapper().vTiling() != map.mapper().uTiling();
}

bool Writer::needsAppId() const
{
  auto* dictionary = OdDbInternal::peekAs<OdDbDictionary>(m_db->getMaterialDictionaryId(false));
  if (dictionary)
    for (auto it = dictionary->newIterator(); !it->done(); it->next())
      if (auto* mat = OdDbInternal::peekAs<OdDbMaterial>(it->objectId()))
      {
        MaterialMaps maps;
        maps.takeFrom(*mat);
        for (const MaterialMap& map : maps.maps)
          if (needsExtension(map))
            return true;
      }
  return false;
}

void Writer::materialExtension(const MaterialMaps& maps)
{
  // Per channel whose texture or v tiling a reader of the group codes alone
  // would not get right: channel, v tiling, texture kind and its values.
  bool started = false;
  for (int channel = 0; channel < kChannelCount; ++channel)
  {
    const MaterialMap& map = maps.maps[channel];
    if (!needsExtension(map))
      continue;
    const OdGiMaterialTexture* texture = map.texture().get();
    auto* image = OdGiImageFileTexture::cast(texture).get();
    if (!started)
    {
      put(1001, kAppName);
      started = true;
    }
    put(1000, "map");
    putInt(1070, channel);
    putInt(1070, map.mapper().vTiling());
    if (image)
    {
      put(1000, "image");
      put(1000, image->sourceFileName());
    }
    else if (auto* marble = OdGiMarbleTexture::cast(texture).get())
    {
      put(1000, "marble");
      extensionColor(marble->stoneColor());
      extensionColor(marble->veinColor());
      putReal(1040, marble->veinSpacing());
      putReal(1040, marble->veinWidth());
    }
    else if (auto* wood = OdGiWoodTexture::cast(texture).get())
    {
      put(1000, "wood");
      extensionColor(wood->color1());
      extensionColor(wood->color2());
      putReal(1040, wood->radialNoise());
      putReal(1040, wood->axialNoise());
      putReal(1040, wood->grainThickness());
    }
    else if (auto* generic = OdGiGenericTexture::cast(texture).get())
    {
      put(1000, "generic");
      putInt(1071, OdInt32(generic->definition().size()));
      for (const auto& entry : generic->definition())
      {
        put(1000, entry.first);
        putReal(1040, entry.second);
      }
    }
    else
      put(1000, "none");
  }
}

void Writer::group(const OdDbGroup* grp, OdUInt64 owner)
{
  const KeptParts kept(grp->dxfKept());
  put(0, "GROUP");
  putHandle(5, grp->getDbHandle());
  if (!grp->dxfKept())
  {
    put(102, "{ACAD_REACTORS");
    putHandle(330, owner);
    put(102, "}");
  }
  putKept(kept, 0, kept.headEnd());
  putHandle(330, owner);
  put(100, "AcDbGroup");
  put(300, grp->description());
  const OdString name = grp->name();
  putInt(70, !name.isEmpty() && name.getAt(0) == L'*' ? 1 : 0);
  putInt(71, 1);
  OdDbObjectIdArray members;
  grp->allEntityIds(members);
  for (const OdDbObjectId& id : members)
    if (const OdUInt64 member = handleOf(id))
      putHandle(340, member);
  putKept(kept, kept.subclass("AcDbGroup"));
  putKeptOthers(kept, {"AcDbGroup"});
}

void Writer::layouts(OdUInt64 owner)
{
  put(0, "DICTIONARY");
  putHandle(5, m_layoutDictionary);
  put(102, "{ACAD_REACTORS");
  putHandle(330, owner);
  put(102, "}");
  putHandle(330, owner);
  put(100, "AcDbDictionary");
  putInt(281, 1);
  for (const Layout& layout : m_layouts)
  {
    put(3, layout.name.c_str());
    putHandle(350, layout.handle);
  }
  for (const Layout& layout : m_layouts)
  {
    put(0, "LAYOUT");
    putHandle(5, layout.handle);
    put(102, "{ACAD_REACTORS");
    putHandle(330, m_layoutDictionary);
    put(102, "}");
    putHandle(330, m_layoutDictionary);
    put(100, "AcDbPlotSettings");
    put(1, "");
    put(2, "none_device");
    put(4, "");
    put(6, "");
    for (int c = 40; c <= 47; ++c)
      putReal(c, 0.0);
    putReal(142, 1.0);
    putReal(143, 1.0);
    putInt(70, 688);
    putInt(72, 0);
    putInt(73, 0);
    putInt(74, 5);
    put(7, "");
    putInt(75, 16);
    putReal(147, 1.0);
    put(100, "AcDbLayout");
    put(1, layout.name.c_str());
    putInt(70, 1);
    putInt(71, layout.order);
    putReal(10, 0.0);
    putReal(20, 0.0);
    putReal(11, 12.0);
    putReal(21, 9.0);
    putPoint(12, OdGePoint3d());
    putPoint(14, OdGePoint3d());
    putPoint(15, OdGePoint3d());
    putReal(146, 0.0);
    putPoint(13, OdGePoint3d());
    putPoint(16, OdGePoint3d(1.0, 0.0, 0.0));
    putPoint(17, OdGePoint3d(0.0, 1.0, 0.0));
    putInt(76, 0);
    putHandle(330, handleOf(layout.block));
  }
}
} // namespace dxf
