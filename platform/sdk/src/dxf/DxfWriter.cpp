// The DXF writer: ASCII, AC1021, UTF-8. Objects of the model keep their
// handles; what the format needs around them (tables the model does not
// keep, BLOCK and ENDBLK, SEQEND, layouts) gets handles from the seed on.
#include "../DbInternal.h"
#include "DxfKeep.h"
#include "DxfShared.h"

#include "od/DbDictionary.h"
#include "od/DbDxf.h"
#include "od/DbGroup.h"
#include "od/DbProxy.h"
#include "od/DbSymbolTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
using namespace dxf;

class Writer
{
public:
  explicit Writer(OdDbDatabase* db) : m_db(db), m_next(OdDbInternal::handleSeed(db)) {}

  std::string run();

private:
  // Group output.
  void code(int groupCode)
  {
    // Right-aligned in three places, as drawing files have them.
    char text[16] = {' ', ' '};
    char* start = text + (groupCode >= 0 && groupCode < 10 ? 2 : groupCode >= 0 && groupCode < 100 ? 1 : 0);
    char* end = std::to_chars(start, text + sizeof text - 1, groupCode).ptr;
    *end++ = '\n';
    m_out.append(text, end);
  }
  void put(int groupCode, const char* value)
  {
    code(groupCode);
    m_out += value;
    m_out += '\n';
  }
  void put(int groupCode, const OdString& value) { putUtf8(groupCode, value.toUtf8()); }
  void putUtf8(int groupCode, const std::string& value)
  {
    code(groupCode);
    // A value is one line: control characters go out as ^ and a letter, a
    // caret as "^ ".
    for (char ch : value)
    {
      if (ch == '^')
        m_out += "^ ";
      else if (static_cast<unsigned char>(ch) < 0x20)
      {
        m_out += '^';
        m_out += char(ch + 0x40);
      }
      else
        m_out += ch;
    }
    m_out += '\n';
  }
  void putInt(int groupCode, long long value)
  {
    code(groupCode);
    char text[32];
    auto result = std::to_chars(text, text + sizeof text, value);
    m_out.append(text, result.ptr);
    m_out += '\n';
  }
  void putReal(int groupCode, double value)
  {
    code(groupCode);
    char text[64];
    auto result = std::to_chars(text, text + sizeof text, std::isfinite(value) ? value : 0.0);
    m_out.append(text, result.ptr);
    if (std::find(text, result.ptr, '.') == result.ptr && std::find(text, result.ptr, 'e') == result.ptr)
      m_out += ".0";
    m_out += '\n';
  }
  void putHandle(int groupCode, OdUInt64 handle)
  {
    code(groupCode);
    char text[24];
    auto result = std::to_chars(text, text + sizeof text, static_cast<unsigned long long>(handle), 16);
    for (char* c = text; c != result.ptr; ++c)
      m_out += char(*c >= 'a' ? *c - 'a' + 'A' : *c);
    m_out += '\n';
  }
  void putPoint(int groupCode, const OdGePoint3d& p)
  {
    putReal(groupCode, p.x);
    putReal(groupCode + 10, p.y);
    putReal(groupCode + 20, p.z);
  }
  // Kept values go out as they were read.
  void putKept(const OdDxfPair& pair)
  {
    code(pair.code);
    m_out += pair.value;
    m_out += '\n';
  }
  void putKept(const KeptParts& kept, std::size_t from, std::size_t to)
  {
    for (std::size_t i = from; i < to; ++i)
      putKept(kept.pairs()[i]);
  }
  void putKept(const KeptParts& kept, std::pair<std::size_t, std::size_t> range)
  {
    putKept(kept, range.first, range.second);
  }
  void putRecord(const OdDxfRecord& record)
  {
    put(0, record.type.c_str());
    for (const OdDxfPair& pair : record.pairs)
      putKept(pair);
  }
  // Every kept subclass but those written already, marker and pairs, then
  // the extension data.
  void putKeptOthers(const KeptParts& kept, std::initializer_list<std::string_view> written);
  OdUInt64 fresh() { return m_next++; }
  OdUInt64 handleOf(const OdDbObjectId& id) const { return OdDbInternal::peek(id) ? OdUInt64(id.getHandle()) : 0; }

  void header();
  void classes();
  void tables();
  void emptyTable(const char* name, OdUInt64 handle);
  void tableStart(const char* name, OdUInt64 handle, int count);
  // The head every symbol table record shares: its type, handle, owner
  // table, the two subclass markers and its name.
  template <class Name>
  void recordStart(const char* type, OdUInt64 handle, OdUInt64 owner, const char* subclass, const Name& name,
                   const KeptParts& kept)
  {
    put(0, type);
    putHandle(5, handle);
    putKept(kept, 0, kept.headEnd());
    putHandle(330, owner);
    put(100, "AcDbSymbolTableRecord");
    putKept(kept, kept.subclass("AcDbSymbolTableRecord"));
    put(100, subclass);
    put(2, name);
  }
  void headerSeed();
  void headerMeasurement();
  void headerLayer();
  void headerMaterial();
  void ownTable(std::string_view name);
  void keptTableStart(const OdDxfRecord& head, int count);
  void keptTableOut(const OdDxfFileKept::Table& table);
  static bool isActiveViewport(const OdDxfRecord& record);
  static OdUInt64 handleIn(const OdDxfRecord& record);
  void layerTable(const OdDxfRecord* keptHead);
  void blockRecordTable(const OdDxfRecord* keptHead);
  void blocks();
  void entities();
  void entity(const OdDbEntity* entity, const OdDbObjectId& ownerId, bool paper);
  void entityCommon(const char* type, OdUInt64 handle, OdUInt64 owner, const OdDbEntity* entity, bool paper,
                    const KeptParts& kept);
  void following(const OdDbEntity* entity);
  void polyface(const OdDbPolyFaceMesh* mesh, OdUInt64 owner, bool paper, const KeptParts& kept);
  bool needsAppId() const;
  // Whether a reader of the group codes alone would get the map's texture
  // or v tiling wrong.
  static bool needsExtension(const MaterialMap& map);
  void objects();
  void dictionary(const OdDbDictionary* dictionary, OdUInt64 owner, bool root, bool materials);
  void material(const OdDbMaterial* material, OdUInt64 owner);
  void materialExtension(const MaterialMaps& maps);
  void extensionColor(const MaterialColor& color);
  void materialColor(int methodCode, int factorCode, int valueCode, const MaterialColor& color);
  void mapChannel(Channel channel, const MaterialMap& map);
  void group(const OdDbGroup* group, OdUInt64 owner);
  void layouts(OdUInt64 owner);

  std::vector<const OdDbBlockTableRecord*> blockRecords() const;

  OdDbDatabase* m_db;
  OdUInt64 m_next;
  std::string m_out;
  // Made up front, since tables and blocks refer to them before they are written.
  OdUInt64 m_layoutDictionary = 0, m_modelLayout = 0, m_paperLayout = 0;
  OdDbObjectId m_layerId;
  std::string m_layerText;
  bool m_needsAppId = false;  // some material has extension data of ours
  bool m_keptLayouts = false; // the file's own layouts are kept
};

void Writer::putKeptOthers(const KeptParts& kept, std::initializer_list<std::string_view> written)
{
  for (std::size_t i = kept.headEnd(); i < kept.xdata();)
  {
    std::size_t end = i + 1;
    while (end < kept.xdata() && kept.pairs()[end].code != 100)
      ++end;
    const std::string_view marker = trimmed(kept.pairs()[i].value);
    if (std::find(written.begin(), written.end(), marker) == written.end())
      putKept(kept, i, end);
    i = end;
  }
  putKept(kept, kept.xdata(), kept.size());
}

std::vector<const OdDbBlockTableRecord*> Writer::blockRecords() const
{
  std::vector<const OdDbBlockTableRecord*> out;
  if (auto* table = OdDbInternal::peekAs<OdDbBlockTable>(m_db->getBlockTableId()))
    for (auto it = table->newIterator(); !it->done(); it->step())
      if (auto* record = OdDbInternal::peekAs<OdDbBlockTableRecord>(it->getRecordId()))
        out.push_back(record);
  return out;
}

std::string Writer::run()
{
  m_layoutDictionary = fresh();
  m_modelLayout = fresh();
  m_paperLayout = fresh();
  m_out.reserve(1 << 16);
  m_needsAppId = needsAppId();
  if (auto* root = OdDbInternal::peek(m_db->getNamedObjectsDictionaryId()))
  {
    const KeptParts kept(root->dxfKept());
    for (std::size_t i = 0; i < kept.size(); ++i)
      if (kept.pairs()[i].code == 3 && trimmed(kept.pairs()[i].value) == "ACAD_LAYOUT")
        m_keptLayouts = true;
  }
  // The header names the handle seed, known only at the end.
  classes();
  tables();
  blocks();
  entities();
  objects();
  put(0, "EOF");
  std::string body;
  std::swap(body, m_out);
  header();
  m_out += body;
  return std::move(m_out);
}

void Writer::header()
{
  // A file read from AC1021 on keeps its version; older ones become AC1021.
  const OdDxfFileKept* file = m_db->dxfFileKept();
  const bool ownVersion = file && file->version >= "AC1021";
  put(0, "SECTION");
  put(2, "HEADER");
  put(9, "$ACADVER");
  put(1, ownVersion ? file->version.c_str() : "AC1021");
  bool seed = false, measurement = false, clayer = false, cmaterial = false;
  const auto own = [&](const std::string& name) {
    if (name == "$ACADVER")
      return true;
    if (name == "$HANDSEED")
      return seed = true, headerSeed(), true;
    if (name == "$MEASUREMENT")
      return measurement = true, headerMeasurement(), true;
    if (name == "$CLAYER")
      return clayer = true, headerLayer(), true;
    if (name == "$CMATERIAL")
      return cmaterial = true, headerMaterial(), true;
    return false;
  };
  if (file)
    for (const OdDxfFileKept::Variable& variable : file->header)
      if (!own(variable.name))
      {
        put(9, variable.name.c_str());
        for (const OdDxfPair& pair : variable.pairs)
          putKept(pair);
      }
  if (!file)
  {
    put(9, "$DWGCODEPAGE");
    put(3, "ANSI_1252");
  }
  if (!seed)
    headerSeed();
  if (!measurement)
    headerMeasurement();
  if (!clayer)
    headerLayer();
  if (!cmaterial)
    headerMaterial();
  put(0, "ENDSEC");
}

void Writer::headerSeed()
{
  put(9, "$HANDSEED");
  putHandle(5, m_next);
}

void Writer::headerMeasurement()
{
  put(9, "$MEASUREMENT");
  putInt(70, m_db->getMEASUREMENT());
}

void Writer::headerLayer()
{
  if (auto* layer = OdDbInternal::peekAs<OdDbLayerTableRecord>(m_db->getCLAYER()))
  {
    put(9, "$CLAYER");
    put(8, layer->getName());
  }
}

void Writer::headerMaterial()
{
  if (const OdUInt64 cmaterial = handleOf(m_db->getCMATERIAL()))
  {
    put(9, "$CMATERIAL");
    putHandle(347, cmaterial);
  }
}

void Writer::classes()
{
  put(0, "SECTION");
  put(2, "CLASSES");
  const OdDxfFileKept* file = m_db->dxfFileKept();
  const auto kept = [&](const char* name) {
    if (file)
      for (const OdDxfRecord& record : file->classes)
        for (const OdDxfPair& pair : record.pairs)
          if (pair.code == 1 && trimmed(pair.value) == name)
            return true;
    return false;
  };
  if (file)
    for (const OdDxfRecord& record : file->classes)
      putRecord(record);
  const struct
  {
    const char* name;
    const char* cppName;
    int proxyFlags;
    int isEntity;
  } kClasses[] = {{"MATERIAL", "AcDbMaterial", 1153, 0}, {"MESH", "AcDbSubDMesh", 4095, 1}};
  for (const auto& cls : kClasses)
  {
    if (kept(cls.name))
      continue;
    put(0, "CLASS");
    put(1, cls.name);
    put(2, cls.cppName);
    put(3, "ObjectDBX Classes");
    putInt(90, cls.proxyFlags);
    putInt(91, 0);
    putInt(280, 0);
    putInt(281, cls.isEntity);
  }
  put(0, "ENDSEC");
}

void Writer::tableStart(const char* name, OdUInt64 handle, int count)
{
  put(0, "TABLE");
  put(2, name);
  putHandle(5, handle);
  putHandle(330, 0);
  put(100, "AcDbSymbolTable");
  putInt(70, count);
}

void Writer::emptyTable(const char* name, OdUInt64 handle)
{
  tableStart(name, handle, 0);
  put(0, "ENDTAB");
}

void Writer::tables()
{
  put(0, "SECTION");
  put(2, "TABLES");
  const char* const kOrder[] = {"VPORT", "LTYPE", "LAYER", "STYLE", "VIEW", "UCS", "APPID", "DIMSTYLE", "BLOCK_RECORD"};
  const OdDxfFileKept* file = m_db->dxfFileKept();
  const auto keptTable = [&](std::string_view name) -> const OdDxfFileKept::Table* {
    if (file)
      for (const OdDxfFileKept::Table& table : file->tables)
        if (table.name == name)
          return &table;
    return nullptr;
  };
  for (const char* name : kOrder)
    if (const OdDxfFileKept::Table* table = keptTable(name))
      keptTableOut(*table);
    else
      ownTable(name);
  if (file)
    for (const OdDxfFileKept::Table& table : file->tables)
      if (std::none_of(std::begin(kOrder), std::end(kOrder), [&](const char* n) { return table.name == n; }))
        keptTableOut(table);
  put(0, "ENDSEC");
}

void Writer::keptTableStart(const OdDxfRecord& head, int count)
{
  // The count is the records written, which may be more than were read.
  put(0, "TABLE");
  bool counted = false;
  for (const OdDxfPair& pair : head.pairs)
    if (pair.code == 70 && !counted)
    {
      putInt(70, count);
      counted = true;
    }
    else
      putKept(pair);
}

void Writer::keptTableOut(const OdDxfFileKept::Table& table)
{
  if (table.name == "LAYER")
    return layerTable(&table.head);
  if (table.name == "BLOCK_RECORD")
    return blockRecordTable(&table.head);
  std::vector<const char*> added;
  if (table.name == "APPID" && m_needsAppId)
  {
    bool present = false;
    for (const OdDxfRecord& record : table.records)
      for (const OdDxfPair& pair : record.pairs)
        if (pair.code == 2 && OdString(pair.value.c_str()).iCompare(OdString(kAppName)) == 0)
          present = true;
    if (!present)
      added.push_back(kAppName);
  }
  keptTableStart(table.head, int(table.records.size() + added.size()));
  bool active = false;
  for (const OdDxfRecord& record : table.records)
  {
    if (table.name == "VPORT" && !active && isActiveViewport(record))
    {
      // The active viewport carries the model's render mode.
      active = true;
      put(0, record.type.c_str());
      bool written = false;
      for (const OdDxfPair& pair : record.pairs)
        if (pair.code == 281)
        {
          putInt(281, m_db->activeViewportRenderMode());
          written = true;
        }
        else
        {
          if (!written && pair.code >= 1000)
          {
            putInt(281, m_db->activeViewportRenderMode());
            written = true;
          }
          putKept(pair);
        }
      if (!written)
        putInt(281, m_db->activeViewportRenderMode());
      continue;
    }
    putRecord(record);
  }
  const OdUInt64 tableHandle = handleIn(table.head);
  for (const char* name : added)
  {
    recordStart("APPID", fresh(), tableHandle, "AcDbRegAppTableRecord", name, KeptParts(nullptr));
    putInt(70, 0);
  }
  put(0, "ENDTAB");
}

bool Writer::isActiveViewport(const OdDxfRecord& record)
{
  for (const OdDxfPair& pair : record.pairs)
    if (pair.code == 2)
      return OdString(std::string(trimmed(pair.value)).c_str()).iCompare(L"*Active") == 0;
  return false;
}

OdUInt64 Writer::handleIn(const OdDxfRecord& record)
{
  for (const OdDxfPair& pair : record.pairs)
    if (pair.code == 5)
    {
      const std::string_view text = trimmed(pair.value);
      OdUInt64 value = 0;
      std::from_chars(text.data(), text.data() + text.size(), value, 16);
      return value;
    }
  return 0;
}

void Writer::ownTable(std::string_view name)
{
  const KeptParts none(nullptr);
  if (name == "VPORT")
  {
    // The active viewport carries the render mode.
    const OdUInt64 vports = fresh();
    tableStart("VPORT", vports, 1);
    recordStart("VPORT", fresh(), vports, "AcDbViewportTableRecord", "*Active", none);
    putInt(70, 0);
    putReal(10, 0.0);
    putReal(20, 0.0);
    putReal(11, 1.0);
    putReal(21, 1.0);
    putPoint(16, OdGePoint3d(0.0, 0.0, 1.0));
    putReal(40, 1000.0);
    putReal(41, 1.5);
    putInt(281, m_db->activeViewportRenderMode());
    put(0, "ENDTAB");
  }
  else if (name == "LTYPE")
  {
    const OdUInt64 linetypes = fresh();
    tableStart("LTYPE", linetypes, 3);
    for (const char* type : {"ByBlock", "ByLayer", "Continuous"})
    {
      recordStart("LTYPE", fresh(), linetypes, "AcDbLinetypeTableRecord", type, none);
      putInt(70, 0);
      put(3, type[0] == 'C' ? "Solid line" : "");
      putInt(72, 65);
      putInt(73, 0);
      putReal(40, 0.0);
    }
    put(0, "ENDTAB");
  }
  else if (name == "LAYER")
    layerTable(nullptr);
  else if (name == "STYLE")
  {
    const OdUInt64 styles = fresh();
    tableStart("STYLE", styles, 1);
    recordStart("STYLE", fresh(), styles, "AcDbTextStyleTableRecord", "Standard", none);
    putInt(70, 0);
    putReal(40, 0.0);
    putReal(41, 1.0);
    putReal(50, 0.0);
    putInt(71, 0);
    putReal(42, 2.5);
    put(3, "txt");
    put(4, "");
    put(0, "ENDTAB");
  }
  else if (name == "VIEW" || name == "UCS")
    emptyTable(name == "VIEW" ? "VIEW" : "UCS", fresh());
  else if (name == "APPID")
  {
    const OdUInt64 apps = fresh();
    tableStart("APPID", apps, 2);
    for (const char* app : {"ACAD", kAppName})
    {
      recordStart("APPID", fresh(), apps, "AcDbRegAppTableRecord", app, none);
      putInt(70, 0);
    }
    put(0, "ENDTAB");
  }
  else if (name == "DIMSTYLE")
  {
    const OdUInt64 dimStyles = fresh();
    tableStart("DIMSTYLE", dimStyles, 0);
    put(100, "AcDbDimStyleTable");
    putInt(71, 0);
    put(0, "ENDTAB");
  }
  else if (name == "BLOCK_RECORD")
    blockRecordTable(nullptr);
}

void Writer::layerTable(const OdDxfRecord* keptHead)
{
  auto* table = OdDbInternal::peekAs<OdDbLayerTable>(m_db->getLayerTableId());
  std::vector<const OdDbLayerTableRecord*> layers;
  if (table)
    for (auto it = table->newIterator(); !it->done(); it->step())
      if (auto* layer = OdDbInternal::peekAs<OdDbLayerTableRecord>(it->getRecordId()))
        layers.push_back(layer);
  const OdUInt64 tableHandle = table ? handleOf(m_db->getLayerTableId()) : fresh();
  if (keptHead)
    keptTableStart(*keptHead, int(layers.size()));
  else
    tableStart("LAYER", tableHandle, int(layers.size()));
  for (const OdDbLayerTableRecord* layer : layers)
  {
    const KeptParts kept(layer->dxfKept());
    recordStart("LAYER", layer->getDbHandle(), tableHandle, "AcDbLayerTableRecord", layer->getName(), kept);
    // An index colour as it is, a true colour beside index 7; a layer that
    // is off has a negative colour number.
    const OdCmColor color = layer->color();
    const int index = color.isByACI() && color.colorIndex() > 0 && color.colorIndex() < 256 ? color.colorIndex() : 7;
    if (kept.empty())
      putInt(70, 0);
    putInt(62, layer->isOff() ? -index : index);
    if (color.isByColor())
      putInt(420, OdInt32(color.color() & 0xFFFFFF));
    if (kept.empty())
    {
      put(6, "Continuous");
      putInt(370, -3);
    }
    if (const OdUInt64 material = handleOf(layer->materialId()))
      putHandle(347, material);
    putKept(kept, kept.subclass("AcDbLayerTableRecord"));
    putKeptOthers(kept, {"AcDbSymbolTableRecord", "AcDbLayerTableRecord"});
  }
  put(0, "ENDTAB");
}

void Writer::blockRecordTable(const OdDxfRecord* keptHead)
{
  const auto records = blockRecords();
  const OdUInt64 tableHandle =
    OdDbInternal::peek(m_db->getBlockTableId()) ? handleOf(m_db->getBlockTableId()) : fresh();
  if (keptHead)
    keptTableStart(*keptHead, int(records.size()));
  else
    tableStart("BLOCK_RECORD", tableHandle, int(records.size()));
  for (const OdDbBlockTableRecord* record : records)
  {
    const KeptParts kept(record->dxfKept());
    recordStart("BLOCK_RECORD", record->getDbHandle(), tableHandle, "AcDbBlockTableRecord", record->getName(), kept);
    const OdDbObjectId id = record->objectId();
    if (!kept.has("AcDbBlockTableRecord", 340))
      putHandle(340, id == m_db->getModelSpaceId() ? m_modelLayout : id == m_db->getPaperSpaceId() ? m_paperLayout : 0);
    putKept(kept, kept.subclass("AcDbBlockTableRecord"));
    putKeptOthers(kept, {"AcDbSymbolTableRecord", "AcDbBlockTableRecord"});
  }
  put(0, "ENDTAB");
}

void Writer::blocks()
{
  put(0, "SECTION");
  put(2, "BLOCKS");
  for (const OdDbBlockTableRecord* record : blockRecords())
  {
    const OdDxfKept* kept = record->dxfKept();
    const bool keptEnds = kept && kept->following.size() == 2;
    const OdUInt64 owner = record->getDbHandle();
    const bool paper = record->objectId() == m_db->getPaperSpaceId();
    // BLOCK and ENDBLK as the file had them, or made.
    const auto end = [&](const char* type, const char* subclass) {
      put(0, type);
      putHandle(5, fresh());
      putHandle(330, owner);
      put(100, "AcDbEntity");
      if (paper)
        putInt(67, 1);
      put(8, "0");
      put(100, subclass);
    };
    if (keptEnds)
      putRecord(kept->following[0]);
    else
    {
      end("BLOCK", "AcDbBlockBegin");
      put(2, record->getName());
      const bool anonymous =
        record->getName().getLength() > 1 && record->getName().getAt(0) == L'*' && !record->isLayout();
      putInt(70, anonymous ? 1 : 0);
      putPoint(10, OdGePoint3d());
      put(3, record->getName());
      put(1, "");
    }
    // Layout entities go into the ENTITIES section.
    if (!record->isLayout())
      for (const OdDbObjectId& id : record->entityIds())
        if (auto* child = OdDbInternal::peekAs<OdDbEntity>(id))
          entity(child, record->objectId(), false);
    if (keptEnds)
      putRecord(kept->following[1]);
    else
      end("ENDBLK", "AcDbBlockEnd");
  }
  put(0, "ENDSEC");
}

void Writer::entities()
{
  put(0, "SECTION");
  put(2, "ENTITIES");
  for (const OdDbObjectId& spaceId : {m_db->getModelSpaceId(), m_db->getPaperSpaceId()})
    if (auto* space = OdDbInternal::peekAs<OdDbBlockTableRecord>(spaceId))
      for (const OdDbObjectId& id : space->entityIds())
        if (auto* child = OdDbInternal::peekAs<OdDbEntity>(id))
          entity(child, spaceId, spaceId == m_db->getPaperSpaceId());
  put(0, "ENDSEC");
}

void Writer::entityCommon(const char* type, OdUInt64 handle, OdUInt64 owner, const OdDbEntity* ent, bool paper,
                          const KeptParts& kept)
{
  put(0, type);
  putHandle(5, handle);
  putKept(kept, 0, kept.headEnd());
  putHandle(330, owner);
  put(100, "AcDbEntity");
  // What was kept of colour and space goes back as it was.
  if (paper && kept.empty())
    putInt(67, 1);
  // A mesh's vertices share its layer: the name is made once.
  if (ent->layerId() != m_layerId || m_layerText.empty())
  {
    const OdString layer = ent->layer();
    m_layerId = ent->layerId();
    m_layerText = layer.isEmpty() ? std::string("0") : layer.toUtf8();
  }
  putUtf8(8, m_layerText);
  if (!std::strcmp(type, "VERTEX") || !std::strcmp(type, "SEQEND"))
    return; // the mesh's colour and material are its vertices'
  if (kept.empty())
  {
    const OdCmColor color = ent->color();
    if (color.isByBlock())
      putInt(62, 0);
    else if (color.isByACI())
      putInt(62, color.colorIndex());
    else if (color.isByColor())
      putInt(420, OdInt32(color.color() & 0xFFFFFF));
  }
  // By layer is what an entity without a material has.
  if (const OdUInt64 material = handleOf(ent->materialId()))
    if (ent->materialId() != m_db->byLayerMaterialId())
      putHandle(347, material);
  putKept(kept, kept.subclass("AcDbEntity"));
}

void Writer::following(const OdDbEntity* ent)
{
  if (const OdDxfKept* data = ent->dxfKept())
    for (const OdDxfRecord& record : data->following)
      putRecord(record);
}

void Writer::entity(const OdDbEntity* ent, const OdDbObjectId& ownerId, bool paper)
{
  const OdUInt64 owner = handleOf(ownerId);
  const KeptParts kept(ent->dxfKept());
  if (auto* proxy = OdDbProxyEntity::cast(ent).get())
  {
    if (!proxy->isWritable())
      return; // left out, as the save's question said
    entityCommon(proxy->dxfName().c_str(), ent->getDbHandle(), owner, ent, paper, kept);
    putKeptOthers(kept, {"AcDbEntity"});
    following(ent);
    return;
  }
  if (auto* mesh = OdDbPolyFaceMesh::cast(ent).get())
    return polyface(mesh, owner, paper, kept);
  if (auto* sub = OdDbSubDMesh::cast(ent).get())
  {
    entityCommon("MESH", ent->getDbHandle(), owner, ent, paper, kept);
    put(100, "AcDbSubDMesh");
    putInt(71, 2);
    putInt(72, 0);
    putInt(91, sub->subDLevel());
    putInt(92, sub->numOfVertices());
    for (const OdGePoint3d& p : sub->vertices())
      putPoint(10, p);
    putInt(93, OdInt32(sub->faceArray().size()));
    for (OdInt32 value : sub->faceArray())
      putInt(90, value);
    putInt(94, 0);
    putInt(95, 0);
    putInt(90, 0);
    putKeptOthers(kept, {"AcDbEntity", "AcDbSubDMesh"});
    return;
  }
  if (auto* face = OdDbFace::cast(ent).get())
  {
    entityCommon("3DFACE", ent->getDbHandle(), owner, ent, paper, kept);
    put(100, "AcDbFace");
    int hidden = 0;
    for (OdUInt16 i = 0; i < 4; ++i)
    {
      OdGePoint3d p;
      face->getVertexAt(i, p);
      putPoint(10 + i, p);
      if (!face->isEdgeVisibleAt(i))
        hidden |= 1 << i;
    }
    if (hidden)
      putInt(70, hidden);
    putKept(kept, kept.subclass("AcDbFace"));
    putKeptOthers(kept, {"AcDbEntity", "AcDbFace"});
    return;
  }
  if (auto* ref = OdDbBlockReference::cast(ent).get())
  {
    auto* block = OdDbInternal::peekAs<OdDbBlockTableRecord>(ref->blockTableRecord());
    if (!block)
      return; // an insert of nothing cannot be written
    entityCommon("INSERT", ent->getDbHandle(), owner, ent, paper, kept);
    // An insert of rows and columns keeps its subclass.
    const char* subclass = kept.subclass("AcDbMInsertBlock").second ? "AcDbMInsertBlock" : "AcDbBlockReference";
    put(100, subclass);
    const OdDxfKept* data = ent->dxfKept();
    if (data && !data->following.empty())
      putInt(66, 1); // its attributes follow
    put(2, block->getName());
    const InsertPlacement placement = placementOf(ref->blockTransform());
    putPoint(10, placement.position);
    for (int i = 0; i < 3; ++i)
      if (placement.scale[i] != 1.0)
        putReal(41 + i, placement.scale[i]);
    if (placement.rotationDegrees != 0.0)
      putReal(50, placement.rotationDegrees);
    if (placement.normal != OdGeVector3d::kZAxis)
      putPoint(210, OdGePoint3d() + placement.normal);
    putKept(kept, kept.subclass(subclass));
    putKeptOthers(kept, {"AcDbEntity", subclass});
    following(ent);
  }
}

void Writer::polyface(const OdDbPolyFaceMesh* mesh, OdUInt64 owner, bool paper, const KeptParts& kept)
{
  const OdUInt64 handle = mesh->getDbHandle();
  const KeptParts none(nullptr);
  // Vertices, face records and SEQEND keep the handles the file gave them.
  const OdDxfKept* data = mesh->dxfKept();
  std::size_t next = 0;
  const auto handleOfNext = [&] {
    const OdUInt64 kept = data && next < data->handles.size() ? data->handles[next] : 0;
    ++next;
    return kept ? kept : fresh();
  };
  entityCommon("POLYLINE", handle, owner, mesh, paper, kept);
  put(100, "AcDbPolyFaceMesh");
  putInt(66, 1);
  putPoint(10, OdGePoint3d());
  putInt(70, 64);
  putInt(71, mesh->numVertices());
  putInt(72, mesh->numFaces());
  putKept(kept, kept.subclass("AcDbPolyFaceMesh"));
  putKeptOthers(kept, {"AcDbEntity", "AcDbPolyFaceMesh"});
  for (OdInt32 i = 0; i < mesh->numVertices(); ++i)
  {
    entityCommon("VERTEX", handleOfNext(), handle, mesh, paper, none);
    put(100, "AcDbVertex");
    put(100, "AcDbPolyFaceMeshVertex");
    putPoint(10, mesh->vertexAt(i)->position());
    putInt(70, 192);
  }
  for (OdInt32 i = 0; i < mesh->numFaces(); ++i)
  {
    const OdDbFaceRecord* face = mesh->faceAt(i);
    entityCommon("VERTEX", handleOfNext(), handle, mesh, paper, none);
    put(100, "AcDbFaceRecord");
    putPoint(10, OdGePoint3d());
    putInt(70, 128);
    for (OdUInt16 k = 0; k < 4; ++k)
      if (const OdInt16 number = face->getVertexAt(k))
        putInt(71 + k, face->isEdgeVisibleAt(k) ? number : -number);
  }
  entityCommon("SEQEND", handleOfNext(), handle, mesh, paper, none);
}

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
  if (!root)
  {
    put(102, "{ACAD_REACTORS");
    putHandle(330, owner);
    put(102, "}");
  }
  putKept(kept, 0, kept.headEnd());
  putHandle(330, owner);
  put(100, "AcDbDictionary");
  putInt(281, 1);
  for (const auto& entry : entries)
  {
    put(3, entry.first);
    putHandle(350, entry.second->getDbHandle());
  }
  // The entries of objects kept as they were, the root's layouts among them.
  putKept(kept, kept.subclass("AcDbDictionary"));
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
      material(mat, handle);
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
  put(102, "{ACAD_REACTORS");
  putHandle(330, owner);
  put(102, "}");
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
  put(102, "{ACAD_REACTORS");
  putHandle(330, owner);
  put(102, "}");
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
  put(3, "Layout1");
  putHandle(350, m_paperLayout);
  put(3, "Model");
  putHandle(350, m_modelLayout);
  const struct
  {
    const char* name;
    OdUInt64 handle;
    OdDbObjectId block;
    int order;
  } layouts[] = {{"Model", m_modelLayout, m_db->getModelSpaceId(), 0},
                 {"Layout1", m_paperLayout, m_db->getPaperSpaceId(), 1}};
  for (const auto& layout : layouts)
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
    put(1, layout.name);
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
} // namespace

std::string odDxfWrite(OdDbDatabase* database)
{
  if (!database)
    throw OdError(eNullPtr);
  return Writer(database).run();
}

std::vector<std::pair<std::string, int>> odDxfLeftOut(OdDbDatabase* database)
{
  std::vector<std::pair<std::string, int>> out;
  auto* table = database ? OdDbInternal::peekAs<OdDbBlockTable>(database->getBlockTableId()) : nullptr;
  if (!table)
    return out;
  for (auto it = table->newIterator(); !it->done(); it->step())
    if (auto* record = OdDbInternal::peekAs<OdDbBlockTableRecord>(it->getRecordId()))
      for (const OdDbObjectId& id : record->entityIds())
      {
        auto* proxy = OdDbInternal::peekAs<OdDbProxyEntity>(id);
        if (!proxy || proxy->isWritable())
          continue;
        auto found = std::find_if(out.begin(), out.end(), [&](const auto& e) { return e.first == proxy->dxfName(); });
        if (found == out.end())
          out.emplace_back(proxy->dxfName(), 1);
        else
          ++found->second;
      }
  return out;
}
