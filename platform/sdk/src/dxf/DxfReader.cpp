// The DXF reader: sections, header, tables and the database built at the
// end. Nothing of a file that fails to read reaches a database anyone holds.
#include "DxfReader.h"
#include "DxfWriter.h"

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

OdDbDatabasePtr Reader::run(std::vector<OdString>* warnings)
{
  Record record;
  std::string_view section;
  std::size_t block = SIZE_MAX; // the block whose entities are read, in BLOCKS
  bool ended = false;
  while (!ended && readRecord(record))
  {
    const std::string_view type = record.type;
    if (section == "TABLES" && type == "TABLE")
      for (const Group& g : record.groups)
        if (g.code == 2)
          m_table = trimmed(g.value);
    if (m_old && !section.empty())
      m_upgrade.upgrade(record, section, m_table);
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
      else if (section != "CLASSES" && section != "TABLES" && section != "BLOCKS" && section != "ENTITIES" &&
               section != "OBJECTS")
        m_fileKept->sections.push_back({std::string(section), {}});
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
        keptOfBlock(block).following.push_back(keptRecord(record, m_text));
      }
      else if (type == "ENDBLK")
      {
        if (block == SIZE_MAX)
          fail(record.line, L"ENDBLK without BLOCK");
        if (m_polyface || m_inSequence)
          fail(record.line, L"a polyline or an insert's attributes end without SEQEND");
        for (const Group& g : record.groups)
          if (g.code == 5)
            noteHandle(handle(g));
        keptOfBlock(block).following.push_back(keptRecord(record, m_text));
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
    else if (section == "HEADER")
      fail(record.line, OdString(L"the header holds ") + quoted(type));
    else
    {
      // Classes and sections the model does not know go back as they came.
      for (const Group& g : record.groups)
        if (g.code == 5)
          noteHandle(handle(g));
      if (section == "CLASSES")
        m_fileKept->classes.push_back(keptRecord(record, m_text));
      else
        m_fileKept->sections.back().records.push_back(keptRecord(record, m_text));
    }
  }
  if (!ended)
    fail(m_tokens.lineNumber(), L"the file ends without EOF: it is cut short");

  OdDbDatabasePtr db = build();
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
    {
      m_version = trimmed(g.value);
      m_text.setVersion(g.value);
    }
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
  // Kept once the code page is known, wherever it stood.
  m_old = m_version < std::string_view("AC1015");
  if (m_old && m_handSeed)
    m_upgrade.setHandleSeed(m_handSeed);
  m_fileKept->version = std::string(m_version);
  for (std::size_t i = 1; i < section.groups.size(); ++i)
  {
    const Group& g = section.groups[i];
    if (g.code == 9)
      m_fileKept->header.push_back({std::string(trimmed(g.value)), {}});
    else if (!m_fileKept->header.empty())
      m_fileKept->header.back().pairs.push_back(keptPair(g, m_text));
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

namespace
{
bool layerOwns(std::string_view, int code) { return code == 2 || code == 62 || code == 420 || code == 347; }
bool blockRecordOwns(std::string_view, int code) { return code == 2; }
} // namespace

OdDxfKept& Reader::keptOfBlock(std::size_t block)
{
  if (!m_blocks[block].kept)
    m_blocks[block].kept = std::make_shared<OdDxfKept>();
  return *m_blocks[block].kept;
}

void Reader::tableRecord(const Record& record)
{
  const std::string_view type = record.type;
  OdUInt64 own = 0;
  // A dimension style's handle is 105; its 5 is an old arrow block name.
  const int handleCode = type == "DIMSTYLE" ? 105 : 5;
  for (const Group& g : record.groups)
    if (g.code == handleCode)
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
    m_fileKept->tables.push_back({std::string(name), keptRecord(record, m_text), {}});
    return;
  }
  if (type != "ENDTAB" && type != "LAYER" && type != "BLOCK_RECORD")
  {
    if (m_fileKept->tables.empty())
      fail(record.line, OdString(L"a table record outside a table: ") + quoted(type));
    m_fileKept->tables.back().records.push_back(keptRecord(record, m_text));
  }
  if (type == "LAYER")
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
    auto kept = std::make_shared<OdDxfKept>();
    kept->pairs = keptPairs(record, m_text, {layerOwns});
    kept->original = keptRecord(record, m_text);
    pending.layer->setDxfKept(std::move(kept));
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
    const std::size_t block = blockNamed(name, own, record.line);
    keptOfBlock(block).pairs = keptPairs(record, m_text, {blockRecordOwns});
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
  if (m_old)
    noteHandle(m_upgrade.nextHandle());
  OdDbDatabasePtr db = odCreateDatabase(false);
  // New objects (and objects whose handles clash) get handles above every
  // handle of the file, so none takes one a later object of the file has.
  OdDbInternal::raiseHandleSeed(db, std::max(m_handSeed, m_maxHandle + 1));
  DatabaseRoots roots;
  OdDbObjectId materials, groups;
  buildBlocks(db, roots);
  if (m_old)
    nameArrowBlocks(roots);
  buildDictionaries(db, roots, materials, groups);
  buildMaterials(db, materials);
  OdDbInternal::setRoots(db, roots); // the standard materials are found through the named objects
  buildLayers(db, roots);
  OdDbInternal::setRoots(db, roots);
  buildEntities(db);
  checkNesting(db);
  buildGroups(db, groups);
  noteAsRead(db);
  db->setDxfFileKept(std::move(m_fileKept));

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

void Reader::nameArrowBlocks(const DatabaseRoots& roots)
{
  // An older file's dimension styles name their arrow blocks ("ARCHTICK" is
  // the block "_ARCHTICK"); later files give the block record's handle.
  auto* table = OdDbInternal::peekAs<OdDbBlockTable>(roots.blockTable);
  for (OdDxfFileKept::Table& kept : m_fileKept->tables)
    if (kept.name == "DIMSTYLE")
      for (OdDxfRecord& record : kept.records)
        for (auto it = record.pairs.begin(); it != record.pairs.end();)
        {
          if (it->code < 342 || it->code > 344)
          {
            ++it;
            continue;
          }
          const OdString name(std::string(trimmed(it->value)).c_str());
          OdDbObjectId block = table ? table->getAt(L"_" + name) : OdDbObjectId();
          if (block.isNull() && table)
            block = table->getAt(name);
          if (block.isNull())
          {
            it = record.pairs.erase(it);
            continue;
          }
          it->value = block.getHandle().ascii().toUtf8();
          ++it;
        }
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
    if (block.kept)
      record->setDxfKept(std::move(block.kept));
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
  return dxf::Reader(bytes, fileName).run(warnings);
}
