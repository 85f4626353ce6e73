// The DXF writer: header, classes and tables.
#include "DxfWriter.h"

#include "od/DbDxf.h"
#include "od/DbProxy.h"

namespace dxf
{
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

bool Writer::hasSubDMesh() const
{
  for (const OdDbBlockTableRecord* record : blockRecords())
    for (const OdDbObjectId& id : record->entityIds())
      if (OdDbInternal::peekAs<OdDbSubDMesh>(id))
        return true;
  return false;
}

OdUInt64 Writer::layoutOf(const OdDbObjectId& block) const
{
  for (const Layout& layout : m_layouts)
    if (layout.block == block)
      return layout.handle;
  return 0;
}

std::string Writer::run()
{
  m_layoutDictionary = fresh();
  m_layouts.push_back({"Model", fresh(), m_db->getModelSpaceId(), 0});
  m_layouts.push_back({"Layout1", fresh(), m_db->getPaperSpaceId(), 1});
  for (const OdDbBlockTableRecord* record : blockRecords())
  {
    // Further paper spaces of older files keep a layout of their own.
    const OdString name = record->getName();
    const OdString paper(OdDbBlockTableRecord::kPaperSpace);
    if (name.getLength() > paper.getLength() && name.left(paper.getLength()).iCompare(paper) == 0 &&
        std::all_of(name.c_str() + paper.getLength(), name.c_str() + name.getLength(),
                    [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
    {
      const int order = int(m_layouts.size());
      m_layouts.push_back({"Layout" + std::to_string(order), fresh(), record->objectId(), order});
    }
  }
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
    // A file's classes get ours only when something of them is written.
    if (kept(cls.name) || (file && cls.isEntity && !hasSubDMesh()))
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
    tableStart("APPID", apps, m_needsAppId ? 2 : 1);
    for (const char* app : {"ACAD", kAppName})
      if (app != kAppName || m_needsAppId)
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
    asRead(layer, [&] { layerRecord(layer, tableHandle); });
  put(0, "ENDTAB");
}

void Writer::layerRecord(const OdDbLayerTableRecord* layer, OdUInt64 tableHandle)
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
      putHandle(340, layoutOf(id));
    putKept(kept, kept.subclass("AcDbBlockTableRecord"));
    putKeptOthers(kept, {"AcDbSymbolTableRecord", "AcDbBlockTableRecord"});
  }
  put(0, "ENDTAB");
}
} // namespace dxf

std::string odDxfWrite(OdDbDatabase* database)
{
  if (!database)
    throw OdError(eNullPtr);
  return dxf::Writer(database).run();
}

void dxf::noteAsRead(OdDbDatabase* database)
{
  // Each record the model writes its own way, written now, before any edit.
  Writer writer(database);
  const auto note = [&](const OdDbObject* object, auto&& write) {
    const OdDxfKept* kept = object->dxfKept();
    if (!kept || kept->original.type.empty())
      return;
    auto noted = std::make_shared<OdDxfKept>(*kept);
    noted->asRead = writer.recordText(write);
    const_cast<OdDbObject*>(object)->setDxfKept(std::move(noted));
  };
  if (auto* layers = OdDbInternal::peekAs<OdDbLayerTable>(database->getLayerTableId()))
    for (auto it = layers->newIterator(); !it->done(); it->step())
      if (auto* layer = OdDbInternal::peekAs<OdDbLayerTableRecord>(it->getRecordId()))
        note(layer, [&] { writer.layerRecord(layer, OdUInt64(database->getLayerTableId().getHandle())); });
  const OdDbObjectId materialsId = database->getMaterialDictionaryId(false);
  if (auto* materials = OdDbInternal::peekAs<OdDbDictionary>(materialsId))
    for (auto it = materials->newIterator(); !it->done(); it->next())
      if (auto* mat = OdDbInternal::peekAs<OdDbMaterial>(it->objectId()))
        note(mat, [&] { writer.material(mat, OdUInt64(materialsId.getHandle())); });
  for (const OdDbBlockTableRecord* record : writer.blockRecords())
    for (const OdDbObjectId& id : record->entityIds())
      if (auto* ref = OdDbInternal::peekAs<OdDbBlockReference>(id))
        note(ref, [&] {
          writer.insert(ref, OdUInt64(record->getDbHandle()), record->objectId() == database->getPaperSpaceId());
        });
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
