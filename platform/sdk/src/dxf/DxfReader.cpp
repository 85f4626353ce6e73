// The DXF reader: sections, header, tables and the database built at the
// end. Nothing of a file that fails to read reaches a database anyone holds.
#include "DxfReader.h"

#include "od/DbDictionary.h"
#include "od/DbDxf.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace dxf
{
long long Reader::integer(const Group& g) const
{
  const std::string_view text = trimmed(g.value);
  long long value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
    fail(g.line, OdString::format(L"group %d needs a whole number, found ", g.code) + quoted(g.value));
  return value;
}

double Reader::real(const Group& g) const
{
  std::string_view text = trimmed(g.value);
  if (!text.empty() && text.front() == '+')
    text.remove_prefix(1);
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value))
    fail(g.line, OdString::format(L"group %d needs a number, found ", g.code) + quoted(g.value));
  return value;
}

OdUInt64 Reader::handle(const Group& g) const
{
  const std::string_view text = trimmed(g.value);
  OdUInt64 value = 0;
  if (text.empty())
    return 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size())
    fail(g.line, OdString::format(L"group %d needs a handle, found ", g.code) + quoted(g.value));
  return value;
}

OdString Reader::text(std::string_view value) const { return m_text.decode(value); }

bool Reader::readRecord(Record& record)
{
  Group g;
  if (m_haveLookahead)
  {
    g = m_lookahead;
    m_haveLookahead = false;
  }
  else if (!m_tokens.next(g))
    return false;
  if (g.code != 0)
    fail(g.line, OdString::format(L"an object or entity (group 0) was expected, found group %d", g.code));
  record.type = trimmed(g.value);
  record.line = g.line;
  record.groups.clear();
  while (m_tokens.next(g))
  {
    if (g.code == 0)
    {
      m_lookahead = g;
      m_haveLookahead = true;
      break;
    }
    record.groups.push_back(g);
  }
  return true;
}

void Reader::skip(std::string_view type, std::size_t line, bool entity)
{
  Skipped& s = m_skipped[std::string(type.substr(0, 64))];
  if (s.count++ == 0)
    s.firstLine = line;
  s.entity = entity;
}

OdDbDatabasePtr Reader::run(std::vector<OdString>* warnings)
{
  Record record;
  std::string_view section;
  std::size_t block = SIZE_MAX; // the block whose entities are read, in BLOCKS
  bool ended = false;
  while (!ended && readRecord(record))
  {
    const std::string_view type = record.type;
    if (type == "EOF")
    {
      if (!section.empty())
        fail(record.line, L"the file ends inside a section");
      ended = true;
    }
    else if (type == "SECTION")
    {
      if (!section.empty())
        fail(record.line, L"a section starts inside another");
      if (record.groups.empty() || record.groups[0].code != 2)
        fail(record.line, L"a section without a name");
      section = trimmed(record.groups[0].value);
      if (section == "HEADER")
        header(record);
    }
    else if (type == "ENDSEC")
    {
      if (section.empty())
        fail(record.line, L"ENDSEC outside a section");
      if (m_polyface || m_inSequence)
        fail(record.line, L"a polyline or an insert's attributes end without SEQEND");
      section = std::string_view();
      block = SIZE_MAX;
    }
    else if (section.empty())
      fail(record.line, OdString(L"a section was expected, found ") + quoted(type));
    else if (section == "TABLES")
      tableRecord(record);
    else if (section == "BLOCKS")
    {
      if (type == "BLOCK")
      {
        if (block != SIZE_MAX)
          fail(record.line, L"a block starts inside another");
        OdString name;
        OdUInt64 owner = 0;
        for (const Group& g : record.groups)
          if (g.code == 2)
            name = text(g);
          else if (g.code == 330)
            owner = handle(g);
          else if (g.code == 5)
            noteHandle(handle(g));
        if (name.isEmpty())
          fail(record.line, L"a block without a name");
        block = blockNamed(name, owner, record.line);
      }
      else if (type == "ENDBLK")
      {
        if (block == SIZE_MAX)
          fail(record.line, L"ENDBLK without BLOCK");
        if (m_polyface || m_inSequence)
          fail(record.line, L"a polyline or an insert's attributes end without SEQEND");
        block = SIZE_MAX;
      }
      else if (block == SIZE_MAX)
        fail(record.line, OdString(L"an entity outside a block: ") + quoted(type));
      else
        entityRecord(record, block);
    }
    else if (section == "ENTITIES")
      entityRecord(record, SIZE_MAX);
    else if (section == "OBJECTS")
      objectRecord(record);
    // CLASSES, THUMBNAILIMAGE and other sections hold nothing the model keeps.
  }
  if (!ended)
    fail(m_tokens.lineNumber(), L"the file ends without EOF: it is cut short");

  OdDbDatabasePtr db = build();
  for (const auto& entry : m_skipped)
    warn(entry.second.firstLine,
         OdString::format(L"%u %s %s skipped (from here on)", unsigned(entry.second.count),
                          OdString(entry.first.c_str()), entry.second.entity ? L"entities" : L"objects"));
  if (warnings)
    *warnings = m_warnings;
  return db;
}

void Reader::header(const Record& section)
{
  std::string_view variable;
  for (const Group& g : section.groups)
  {
    if (g.code == 9)
    {
      variable = trimmed(g.value);
      continue;
    }
    if (variable == "$ACADVER" && g.code == 1)
      m_text.setVersion(m_version = trimmed(g.value));
    else if (variable == "$DWGCODEPAGE" && g.code == 3)
      m_text.setCodePage(g.value);
    else if (variable == "$HANDSEED" && g.code == 5)
      m_handSeed = handle(g);
    else if (variable == "$CLAYER" && g.code == 8)
      m_clayer = g.value;
    else if (variable == "$CMATERIAL" && g.code == 347)
      m_cmaterial = handle(g);
    else if (variable == "$MEASUREMENT" && g.code == 70)
      m_measurement = int(integer(g));
  }
}

std::size_t Reader::blockNamed(const OdString& name, OdUInt64 recordHandle, std::size_t line)
{
  auto byHandle = recordHandle ? m_blockByHandle.find(recordHandle) : m_blockByHandle.end();
  if (byHandle != m_blockByHandle.end())
    return byHandle->second;
  auto byName = m_blockByName.find(name);
  if (byName != m_blockByName.end())
    return byName->second;
  PendingBlock block;
  block.name = name;
  block.handle = recordHandle;
  block.line = line;
  m_blocks.push_back(std::move(block));
  m_blockByName.emplace(name, m_blocks.size() - 1);
  if (recordHandle)
    m_blockByHandle.emplace(recordHandle, m_blocks.size() - 1);
  return m_blocks.size() - 1;
}

void Reader::tableRecord(const Record& record)
{
  const std::string_view type = record.type;
  OdUInt64 own = 0;
  for (const Group& g : record.groups)
    if (g.code == 5 || g.code == 105)
      noteHandle(own = handle(g));
  if (type == "TABLE")
  {
    std::string_view name;
    for (const Group& g : record.groups)
      if (g.code == 2)
        name = trimmed(g.value);
    if (name == "BLOCK_RECORD")
      m_blockTableHandle = own;
    else if (name == "LAYER")
      m_layerTableHandle = own;
  }
  else if (type == "LAYER")
  {
    PendingLayer pending;
    pending.layer = OdDbLayerTableRecord::createObject();
    pending.handle = own;
    pending.line = record.line;
    OdCmColor color(OdCmEntityColor(OdUInt32(OdCmEntityColor::kByACI) << 24 | 7));
    bool off = false, named = false;
    for (const Group& g : record.groups)
      switch (g.code)
      {
      case 2:
        if (text(g).isEmpty())
          fail(g.line, L"a layer without a name");
        pending.layer->setName(text(g));
        named = true;
        break;
      case 62:
      {
        const long long index = integer(g);
        off = index < 0;
        if (index != 0 && std::llabs(index) < 256)
          color.setColorIndex(OdInt16(std::llabs(index)));
        break;
      }
      case 420: color.setColor((OdUInt32(OdCmEntityColor::kByColor) << 24) | (OdUInt32(integer(g)) & 0xFFFFFF)); break;
      case 347: pending.material = handle(g); break;
      default: break;
      }
    if (!named)
      fail(record.line, L"a layer without a name");
    pending.layer->setColor(color);
    pending.layer->setIsOff(off);
    m_layers.push_back(std::move(pending));
  }
  else if (type == "BLOCK_RECORD")
  {
    OdString name;
    for (const Group& g : record.groups)
      if (g.code == 2)
        name = text(g);
    if (name.isEmpty())
      fail(record.line, L"a block record without a name");
    if (m_blockByName.count(name))
      fail(record.line, OdString(L"a second block record named ") + quoted(name.toUtf8()));
    blockNamed(name, own, record.line);
  }
  else if (type == "VPORT")
  {
    bool active = false;
    int mode = -1;
    for (const Group& g : record.groups)
      if (g.code == 2)
        active = text(g).iCompare(L"*Active") == 0;
      else if (g.code == 281)
        mode = int(integer(g));
    if (active && m_renderMode < 0 && mode >= OdDb::k2DOptimized && mode <= OdDb::kGouraudShadedWithWireframe)
      m_renderMode = mode;
  }
}

const PendingDictionary* Reader::dictionary(OdUInt64 h) const
{
  auto it = h ? m_dictionaryByHandle.find(h) : m_dictionaryByHandle.end();
  return it == m_dictionaryByHandle.end() ? nullptr : &m_dictionaries[it->second];
}

OdDbDatabasePtr Reader::build()
{
  OdDbDatabasePtr db = odCreateDatabase(false);
  // New objects (and objects whose handles clash) get handles above every
  // handle of the file, so none takes one a later object of the file has.
  OdDbInternal::raiseHandleSeed(db, std::max(m_handSeed, m_maxHandle + 1));
  DatabaseRoots roots;
  OdDbObjectId materials, groups;
  buildBlocks(db, roots);
  buildDictionaries(db, roots, materials, groups);
  buildMaterials(db, materials);
  OdDbInternal::setRoots(db, roots); // the standard materials are found through the named objects
  buildLayers(db, roots);
  OdDbInternal::setRoots(db, roots);
  buildEntities(db);
  checkNesting(db);
  buildGroups(db, groups);

  if (!m_clayer.empty())
    if (auto* table = OdDbInternal::peekAs<OdDbLayerTable>(roots.layerTable))
      if (OdDbObjectId id = table->getAt(text(m_clayer)); !id.isNull())
        db->setCLAYER(id);
  const OdDbObjectId cmaterial = db->getOdDbObjectId(m_cmaterial);
  db->setCMATERIAL(OdDbInternal::peekAs<OdDbMaterial>(cmaterial) ? cmaterial : db->byLayerMaterialId());
  if (m_measurement == OdDb::kEnglish || m_measurement == OdDb::kMetric)
    db->setMEASUREMENT(OdDb::MeasurementValue(m_measurement));
  if (m_renderMode >= 0)
    db->setActiveViewportRenderMode(OdDb::RenderMode(m_renderMode));
  return db;
}

void Reader::buildBlocks(OdDbDatabase* db, DatabaseRoots& roots)
{
  OdDbInternal::wantHandle(db, m_blockTableHandle);
  OdDbBlockTablePtr table = OdDbBlockTable::createObject();
  roots.blockTable = db->addOdDbObject(table);
  // Older files have no layout blocks, or call them $MODEL_SPACE.
  for (const wchar_t* name : {OdDbBlockTableRecord::kModelSpace, OdDbBlockTableRecord::kPaperSpace})
    blockNamed(name, 0, 0);
  for (PendingBlock& block : m_blocks)
  {
    OdDbBlockTableRecordPtr record = OdDbBlockTableRecord::createObject();
    record->setName(block.name);
    OdDbInternal::wantHandle(db, block.handle);
    const OdDbObjectId id = table->add(record);
    if (block.name.iCompare(OdDbBlockTableRecord::kModelSpace) == 0)
      roots.modelSpace = id;
    else if (block.name.iCompare(OdDbBlockTableRecord::kPaperSpace) == 0)
      roots.paperSpace = id;
  }
}

void Reader::buildLayers(OdDbDatabase* db, DatabaseRoots& roots)
{
  OdDbInternal::wantHandle(db, m_layerTableHandle);
  OdDbLayerTablePtr table = OdDbLayerTable::createObject();
  roots.layerTable = db->addOdDbObject(table);
  const OdDbObjectId global = db->globalMaterialId();
  for (PendingLayer& pending : m_layers)
  {
    if (table->has(pending.layer->getName()))
    {
      warn(pending.line,
           OdString(L"a second layer named ") + quoted(pending.layer->getName().toUtf8()) + L"; left out");
      continue;
    }
    const OdDbObjectId material = db->getOdDbObjectId(pending.material);
    pending.layer->setMaterialId(OdDbInternal::peekAs<OdDbMaterial>(material) ? material : global);
    OdDbInternal::wantHandle(db, pending.handle);
    table->add(pending.layer);
  }
  if (!table->has(L"0"))
  {
    OdDbLayerTableRecordPtr zero = OdDbLayerTableRecord::createObject();
    zero->setName(L"0");
    zero->setMaterialId(global);
    table->add(zero);
  }
  roots.layerZero = table->getAt(L"0");
}
} // namespace dxf

OdDbDatabasePtr odDxfRead(const std::string& bytes, const OdString& fileName, std::vector<OdString>* warnings)
{
  static const char kBinarySentinel[] = "AutoCAD Binary DXF";
  if (bytes.compare(0, sizeof kBinarySentinel - 1, kBinarySentinel) == 0)
    throw OdError(eInvalidDrawingFile,
                  OdString::format(L"%s, line 1: a binary DXF file; save the drawing as ASCII DXF", fileName));
  return dxf::Reader(bytes, fileName).run(warnings);
}
