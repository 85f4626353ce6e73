// The DXF reader. The file is read once, record by record (a record is the
// groups from one group 0 to the next), into pending objects that keep
// their file handles and what they refer to; the database is built from
// them at the end, when every reference can be resolved. Nothing of a
// file that fails to read reaches a database anyone holds.
#include "../DbInternal.h"
#include "DxfShared.h"

#include "od/DbDictionary.h"
#include "od/DbDxf.h"
#include "od/DbGroup.h"
#include "od/DbSymbolTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace
{
using namespace dxf;

struct Group
{
  int code = 0;
  std::string_view value;
  std::size_t line = 0; // of the group code
};

struct Record
{
  std::string_view type;
  std::size_t line = 0;
  std::vector<Group> groups; // after the group 0
};

std::string_view trimmed(std::string_view text)
{
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

// Quoted for a message: at most 40 characters, nothing unprintable.
OdString quoted(std::string_view text)
{
  std::string shown;
  for (char ch : text.substr(0, 40))
    shown += static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F ? '?' : ch;
  if (text.size() > 40)
    shown += "...";
  return OdString(L"\"") + OdString(shown.c_str()) + L"\"";
}

class Tokenizer
{
public:
  Tokenizer(const std::string& bytes, const OdString& fileName) : m_bytes(bytes), m_file(fileName)
  {
    if (m_bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
      m_pos = 3;
  }

  [[noreturn]] void fail(std::size_t line, const OdString& what) const
  {
    throw OdError(eInvalidDrawingFile, OdString::format(L"%s, line %u: %s", m_file, unsigned(line), what));
  }

  // The next group; false at the end of the bytes. 999 comments are passed over.
  bool next(Group& group)
  {
    for (;;)
    {
      std::string_view codeText;
      if (!line(codeText))
        return false;
      const std::size_t codeLine = m_line;
      codeText = trimmed(codeText);
      int code = 0;
      const auto result = std::from_chars(codeText.data(), codeText.data() + codeText.size(), code);
      if (codeText.empty() || result.ec != std::errc() || result.ptr != codeText.data() + codeText.size())
        fail(codeLine, OdString(L"a group code was expected, found ") + quoted(codeText));
      if (code < -5 || code > 1071)
        fail(codeLine, OdString::format(L"there is no group code %d", code));
      std::string_view value;
      if (!line(value))
        fail(codeLine, OdString::format(L"the file ends after group code %d, without its value", code));
      if (!value.empty() && value.back() == '\r')
        value.remove_suffix(1);
      if (code == 999)
        continue;
      group.code = code;
      group.value = value;
      group.line = codeLine;
      return true;
    }
  }

  std::size_t lineNumber() const { return m_line; }

private:
  bool line(std::string_view& text)
  {
    if (m_pos >= m_bytes.size())
      return false;
    const std::size_t end = m_bytes.find('\n', m_pos);
    const std::size_t stop = end == std::string::npos ? m_bytes.size() : end;
    text = std::string_view(m_bytes.data() + m_pos, stop - m_pos);
    m_pos = end == std::string::npos ? m_bytes.size() : end + 1;
    ++m_line;
    return true;
  }

  const std::string& m_bytes;
  OdString m_file;
  std::size_t m_pos = 0;
  std::size_t m_line = 0;
};

struct PendingEntity
{
  OdDbEntityPtr entity;
  OdUInt64 handle = 0;
  OdUInt64 material = 0;
  std::string_view layer;
  std::string_view blockName; // inserts
  std::size_t line = 0;
};

struct PendingBlock
{
  OdString name;
  OdUInt64 handle = 0; // of the block record
  std::size_t line = 0;
  std::vector<PendingEntity> entities;
};

struct PendingDictionary
{
  OdUInt64 handle = 0, owner = 0;
  std::size_t line = 0;
  struct Entry
  {
    std::string_view key;
    OdUInt64 handle;
    std::size_t line;
  };
  std::vector<Entry> entries;
};

struct PendingLayer
{
  OdDbLayerTableRecordPtr layer;
  OdUInt64 handle = 0, material = 0;
  std::size_t line = 0;
};

struct PendingMaterial
{
  OdDbMaterialPtr material;
  OdUInt64 handle = 0;
  std::size_t line = 0;
};

struct PendingGroup
{
  OdDbGroupPtr group;
  OdUInt64 handle = 0;
  std::size_t line = 0;
  std::vector<OdUInt64> members;
};

struct Skipped
{
  std::size_t count = 0, firstLine = 0;
  bool entity = false;
};

class Reader
{
public:
  Reader(const std::string& bytes, const OdString& fileName) : m_tokens(bytes, fileName), m_file(fileName) {}

  OdDbDatabasePtr run(std::vector<OdString>* warnings);

private:
  // Values of groups; a value that does not fit its group code is an error.
  [[noreturn]] void fail(std::size_t line, const OdString& what) const { m_tokens.fail(line, what); }
  void warn(std::size_t line, const OdString& what)
  {
    m_warnings.push_back(OdString::format(L"%s, line %u: %s", m_file, unsigned(line), what));
  }
  long long integer(const Group& g) const;
  double real(const Group& g) const;
  OdUInt64 handle(const Group& g) const;
  OdString text(std::string_view value) const;
  OdString text(const Group& g) const { return text(g.value); }

  bool readRecord(Record& record);
  void header(const Record& section);
  void tableRecord(const Record& record);
  void entityRecord(const Record& record, std::size_t block);
  void objectRecord(const Record& record);
  void readMaterial(const Record& record);
  void readMaterialExtension(const Record& record, std::size_t from, MaterialMaps& maps, bool textureGiven[]);
  MaterialColor extensionColor(const Record& record, std::size_t& at);
  void skip(std::string_view type, std::size_t line, bool entity);
  std::size_t blockNamed(const OdString& name, OdUInt64 handle, std::size_t line);

  OdDbDatabasePtr build();
  void buildBlocks(OdDbDatabase* db, DatabaseRoots& roots);
  void buildDictionaries(OdDbDatabase* db, DatabaseRoots& roots, OdDbObjectId& materials, OdDbObjectId& groups);
  void buildMaterials(OdDbDatabase* db, const OdDbObjectId& dictionaryId);
  void buildLayers(OdDbDatabase* db, DatabaseRoots& roots);
  void buildEntities(OdDbDatabase* db);
  void checkNesting(OdDbDatabase* db);
  void buildGroups(OdDbDatabase* db, const OdDbObjectId& dictionaryId);
  OdDbObjectId layerFor(OdDbDatabase* db, std::string_view name);
  const PendingDictionary* dictionary(OdUInt64 handle) const;
  void noteHandle(OdUInt64 value) { m_maxHandle = std::max(m_maxHandle, value); }

  Tokenizer m_tokens;
  OdString m_file;
  Group m_lookahead;
  bool m_haveLookahead = false;
  std::vector<OdString> m_warnings;
  bool m_unicode = true; // AC1021 on: UTF-8; before: a single-byte code page

  // Header.
  OdUInt64 m_handSeed = 0, m_cmaterial = 0;
  std::string_view m_clayer;
  int m_measurement = -1;
  int m_renderMode = -1;
  OdUInt64 m_maxHandle = 0;

  // Tables, blocks, objects.
  OdUInt64 m_blockTableHandle = 0, m_layerTableHandle = 0;
  std::vector<PendingLayer> m_layers;
  std::vector<PendingBlock> m_blocks;
  std::map<OdString, std::size_t, OdStringLessNoCase> m_blockByName;
  std::unordered_map<OdUInt64, std::size_t> m_blockByHandle;
  std::vector<PendingDictionary> m_dictionaries;
  std::unordered_map<OdUInt64, std::size_t> m_dictionaryByHandle;
  std::vector<PendingMaterial> m_materials;
  std::vector<PendingGroup> m_groups;
  std::map<std::string, Skipped> m_skipped;
  std::unordered_map<OdUInt64, std::string_view> m_objectTypes; // of the OBJECTS section, by handle

  // The polyface mesh whose vertices are being read, and an insert's
  // attributes, which end at their SEQEND.
  OdDbPolyFaceMeshPtr m_polyface;
  bool m_inSequence = false;

  std::unordered_map<std::string_view, OdDbObjectId> m_layerIds;
};

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

OdString Reader::text(std::string_view value) const
{
  // ^J and the like stand for control characters, "^ " for a caret.
  std::string bytes;
  bytes.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i)
  {
    const char ch = value[i];
    if (ch == '^' && i + 1 < value.size())
    {
      const char next = value[++i];
      bytes += next == ' ' ? '^' : char(next & 0x1F);
    }
    else if (ch != '\0')
      bytes += ch;
  }
  if (m_unicode)
    return OdString(bytes.c_str());
  std::wstring wide; // older files: one byte a character
  for (char ch : bytes)
    wide += wchar_t(static_cast<unsigned char>(ch));
  return OdString(wide);
}

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
      m_unicode = trimmed(g.value) >= std::string_view("AC1021");
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

void Reader::entityRecord(const Record& record, std::size_t block)
{
  const std::string_view type = record.type;
  PendingEntity pending;
  pending.line = record.line;
  bool paper = false;
  OdUInt64 owner = 0;
  OdCmColor color(OdCmEntityColor::kByLayer);
  for (const Group& g : record.groups)
    switch (g.code)
    {
    case 5: noteHandle(pending.handle = handle(g)); break;
    case 330:
      if (owner == 0)
        owner = handle(g);
      break;
    case 8: pending.layer = g.value; break;
    case 62:
    {
      const long long index = integer(g);
      if (index == 0)
        color = OdCmColor(OdCmEntityColor::kByBlock);
      else if (index > 0 && index < 256)
        color.setColorIndex(OdInt16(index));
      break;
    }
    case 420: color.setColor((OdUInt32(OdCmEntityColor::kByColor) << 24) | (OdUInt32(integer(g)) & 0xFFFFFF)); break;
    case 347: pending.material = handle(g); break;
    case 67: paper = integer(g) == 1; break;
    default: break;
    }

  // Sequences: the vertices of a polyface mesh, an insert's attributes.
  if (type == "VERTEX")
  {
    if (!m_polyface)
    {
      if (!m_inSequence)
        fail(record.line, L"a VERTEX outside a polyline");
      return;
    }
    long long flags = 0;
    OdGePoint3d point;
    OdInt16 numbers[4] = {0, 0, 0, 0};
    for (const Group& g : record.groups)
      if (g.code == 70)
        flags = integer(g);
      else if (g.code == 10)
        point.x = real(g);
      else if (g.code == 20)
        point.y = real(g);
      else if (g.code == 30)
        point.z = real(g);
      else if (g.code >= 71 && g.code <= 74)
      {
        const long long number = integer(g);
        if (number < -32767 || number > 32767)
          fail(g.line, OdString::format(L"vertex number %lld is out of range", number));
        numbers[g.code - 71] = OdInt16(number);
      }
    if ((flags & 128) && !(flags & 64))
    {
      OdDbFaceRecordPtr face = OdDbFaceRecord::createObject();
      for (OdUInt16 k = 0; k < 4; ++k)
      {
        // Faces may name only vertices read before them.
        if (std::abs(numbers[k]) > m_polyface->numVertices())
          fail(record.line, OdString::format(L"a face names vertex %d of a mesh of %d", int(std::abs(numbers[k])),
                                             int(m_polyface->numVertices())));
        face->setVertexAt(k, OdInt16(std::abs(numbers[k])));
        if (numbers[k] < 0)
          face->makeEdgeInvisibleAt(k);
      }
      m_polyface->appendFaceRecord(face);
    }
    else
    {
      OdDbPolyFaceMeshVertexPtr vertex = OdDbPolyFaceMeshVertex::createObject();
      vertex->setPosition(point);
      m_polyface->appendVertex(vertex);
    }
    return;
  }
  if (type == "SEQEND")
  {
    if (!m_polyface && !m_inSequence)
      fail(record.line, L"SEQEND without a polyline or an insert");
    m_polyface = OdDbPolyFaceMeshPtr();
    m_inSequence = false;
    return;
  }
  if (type == "ATTRIB" && m_inSequence)
    return;
  if (m_polyface || m_inSequence)
    fail(record.line, OdString(L"a polyline or an insert's attributes end without SEQEND, at ") + quoted(type));

  if (type == "POLYLINE")
  {
    long long flags = 0;
    for (const Group& g : record.groups)
      if (g.code == 70)
        flags = integer(g);
    if (flags & 64)
    {
      m_polyface = OdDbPolyFaceMesh::createObject();
      pending.entity = OdDbEntityPtr(m_polyface.get());
    }
    else
    {
      skip(type, record.line, true);
      m_inSequence = true; // its vertices go with it
      return;
    }
  }
  else if (type == "MESH")
  {
    OdGePoint3dArray points;
    OdInt32Array faces;
    long long level = 0, faceCount = -1;
    std::size_t i = 0;
    const auto& gs = record.groups;
    for (; i < gs.size(); ++i)
    {
      const Group& g = gs[i];
      if (g.code == 91)
        level = integer(g);
      else if (g.code == 10)
        points.append(OdGePoint3d(real(g), 0.0, 0.0));
      else if (g.code == 20 && !points.isEmpty())
        points[points.size() - 1].y = real(g);
      else if (g.code == 30 && !points.isEmpty())
        points[points.size() - 1].z = real(g);
      else if (g.code == 93)
      {
        faceCount = integer(g);
        break;
      }
    }
    if (faceCount < 0 || std::size_t(faceCount) > gs.size() - i - 1)
      fail(record.line, L"a MESH whose face list is missing or cut short");
    for (long long k = 0; k < faceCount; ++k)
    {
      const Group& g = gs[i + 1 + std::size_t(k)];
      if (g.code != 90)
        fail(g.line, OdString::format(L"the MESH's face list holds group %d", g.code));
      const long long value = integer(g);
      if (value < 0 || value > 0x7FFFFFFF)
        fail(g.line, OdString::format(L"the MESH's face list holds %lld", value));
      faces.append(OdInt32(value));
    }
    OdDbSubDMeshPtr mesh = OdDbSubDMesh::createObject();
    if (level < 0 || level > 64 || mesh->setSubDMesh(points, faces, OdInt32(level)) != eOk)
      fail(record.line, L"a MESH whose faces name vertices it does not have");
    pending.entity = OdDbEntityPtr(mesh.get());
  }
  else if (type == "3DFACE")
  {
    OdDbFacePtr face = OdDbFace::createObject();
    OdGePoint3d corners[4];
    long long hidden = 0;
    for (const Group& g : record.groups)
      if (g.code >= 10 && g.code <= 13)
        corners[g.code - 10].x = real(g);
      else if (g.code >= 20 && g.code <= 23)
        corners[g.code - 20].y = real(g);
      else if (g.code >= 30 && g.code <= 33)
        corners[g.code - 30].z = real(g);
      else if (g.code == 70)
        hidden = integer(g);
    for (OdUInt16 k = 0; k < 4; ++k)
    {
      face->setVertexAt(k, corners[k]);
      if (hidden & (1 << k))
        face->makeEdgeInvisibleAt(k);
    }
    pending.entity = OdDbEntityPtr(face.get());
  }
  else if (type == "INSERT")
  {
    InsertPlacement placement;
    for (const Group& g : record.groups)
      switch (g.code)
      {
      case 2: pending.blockName = g.value; break;
      case 10: placement.position.x = real(g); break;
      case 20: placement.position.y = real(g); break;
      case 30: placement.position.z = real(g); break;
      case 41: placement.scale[0] = real(g); break;
      case 42: placement.scale[1] = real(g); break;
      case 43: placement.scale[2] = real(g); break;
      case 50: placement.rotationDegrees = real(g); break;
      case 210: placement.normal.x = real(g); break;
      case 220: placement.normal.y = real(g); break;
      case 230: placement.normal.z = real(g); break;
      case 66: m_inSequence = integer(g) != 0; break;
      default: break;
      }
    if (pending.blockName.empty())
      fail(record.line, L"an INSERT without a block name");
    OdDbBlockReferencePtr ref = OdDbBlockReference::createObject();
    ref->setBlockTransform(transformOf(placement));
    pending.entity = OdDbEntityPtr(ref.get());
  }
  else
  {
    skip(type, record.line, true);
    return;
  }

  pending.entity->setColor(color);
  if (block == SIZE_MAX)
  {
    auto byOwner = owner ? m_blockByHandle.find(owner) : m_blockByHandle.end();
    block =
      byOwner != m_blockByHandle.end()
        ? byOwner->second
        : blockNamed(paper ? OdDbBlockTableRecord::kPaperSpace : OdDbBlockTableRecord::kModelSpace, 0, record.line);
  }
  m_blocks[block].entities.push_back(std::move(pending));
}

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
        pending.entries.push_back({key.value, handle(record.groups[++i]), key.line});
      }
    if (own)
      m_dictionaryByHandle.emplace(own, m_dictionaries.size());
    m_dictionaries.push_back(std::move(pending));
  }
  else if (type == "MATERIAL")
    readMaterial(record);
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
    m_groups.push_back(std::move(pending));
  }
  else if (type != "LAYOUT")
    skip(type, record.line, false); // layouts are made again for model and paper space
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

void Reader::buildDictionaries(OdDbDatabase* db, DatabaseRoots& roots, OdDbObjectId& materials, OdDbObjectId& groups)
{
  // The named-object dictionary is the first of the OBJECTS section.
  const PendingDictionary* named = m_dictionaries.empty() ? nullptr : &m_dictionaries.front();
  OdDbInternal::wantHandle(db, named ? named->handle : 0);
  OdDbDictionaryPtr root = OdDbDictionary::createObject();
  roots.namedObjects = db->addOdDbObject(root);
  const auto child = [&](const wchar_t* key) {
    const PendingDictionary* found = nullptr;
    if (named)
      for (const auto& entry : named->entries)
        if (text(entry.key).iCompare(key) == 0)
          found = dictionary(entry.handle);
    OdDbInternal::wantHandle(db, found ? found->handle : 0);
    OdDbDictionaryPtr made = OdDbDictionary::createObject();
    return root->setAt(key, made);
  };
  groups = child(L"ACAD_GROUP");
  materials = child(L"ACAD_MATERIAL");
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

OdDbObjectId Reader::layerFor(OdDbDatabase* db, std::string_view name)
{
  auto known = m_layerIds.find(name);
  if (known != m_layerIds.end())
    return known->second;
  OdDbLayerTablePtr table = db->getLayerTableId().safeOpenObject(OdDb::kForWrite);
  const OdString layerName = text(name);
  OdDbObjectId id = layerName.isEmpty() ? db->getLayerZeroId() : table->getAt(layerName);
  if (id.isNull())
  {
    // Drawing programs make a layer an entity names but the table lacks.
    OdDbLayerTableRecordPtr layer = OdDbLayerTableRecord::createObject();
    layer->setName(layerName);
    layer->setMaterialId(db->globalMaterialId());
    id = table->add(layer);
  }
  m_layerIds.emplace(name, id);
  return id;
}

void Reader::buildEntities(OdDbDatabase* db)
{
  OdDbBlockTablePtr table = db->getBlockTableId().safeOpenObject();
  const OdDbObjectId byLayer = db->byLayerMaterialId();
  for (PendingBlock& block : m_blocks)
  {
    OdDbBlockTableRecordPtr record = table->getAt(block.name, OdDb::kForWrite);
    for (PendingEntity& pending : block.entities)
    {
      OdDbEntity* entity = pending.entity.get();
      entity->setLayer(layerFor(db, pending.layer));
      const OdDbObjectId material = db->getOdDbObjectId(pending.material);
      entity->setMaterial(OdDbInternal::peekAs<OdDbMaterial>(material) ? material : byLayer);
      if (!pending.blockName.empty())
      {
        const OdDbObjectId target = table->getAt(text(pending.blockName));
        if (target.isNull())
          fail(pending.line,
               OdString(L"an INSERT of the block ") + quoted(pending.blockName) + L", which the drawing does not have");
        static_cast<OdDbBlockReference*>(entity)->setBlockTableRecord(target);
      }
      OdDbInternal::wantHandle(db, pending.handle);
      record->appendOdDbEntity(entity);
    }
    block.entities.clear();
    block.entities.shrink_to_fit();
  }
}

void Reader::checkNesting(OdDbDatabase* db)
{
  // A walk over the inserts with an explicit stack: a block met again on
  // the path from the top contains itself.
  OdDbBlockTablePtr table = db->getBlockTableId().safeOpenObject();
  std::unordered_map<const OdDbStub*, int> state; // 1 on the path, 2 done
  for (auto it = table->newIterator(); !it->done(); it->step())
  {
    const OdDbObjectId start = it->getRecordId();
    if (state[start.stub()] == 2)
      continue;
    struct Frame
    {
      const OdDbBlockTableRecord* block;
      std::size_t next;
    };
    std::vector<Frame> stack{{OdDbInternal::peekAs<OdDbBlockTableRecord>(start), 0}};
    state[start.stub()] = 1;
    while (!stack.empty())
    {
      Frame& top = stack.back();
      const auto& ids = top.block->entityIds();
      if (top.next >= ids.size())
      {
        state[top.block->objectId().stub()] = 2;
        stack.pop_back();
        continue;
      }
      const OdDbObjectId id = ids[top.next++];
      auto* ref = OdDbInternal::peekAs<OdDbBlockReference>(id);
      auto* target = ref ? OdDbInternal::peekAs<OdDbBlockTableRecord>(ref->blockTableRecord()) : nullptr;
      if (!target)
        continue;
      int& seen = state[target->objectId().stub()];
      if (seen == 1)
      {
        std::size_t line = 0;
        for (const PendingBlock& block : m_blocks)
          if (block.name.iCompare(top.block->getName()) == 0)
            line = block.line;
        fail(line, OdString(L"the block ") + quoted(target->getName().toUtf8()) + L" contains itself");
      }
      if (seen == 0)
      {
        seen = 1;
        stack.push_back({target, 0});
      }
    }
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
} // namespace

OdDbDatabasePtr odDxfRead(const std::string& bytes, const OdString& fileName, std::vector<OdString>* warnings)
{
  static const char kBinarySentinel[] = "AutoCAD Binary DXF";
  if (bytes.compare(0, sizeof kBinarySentinel - 1, kBinarySentinel) == 0)
    throw OdError(eInvalidDrawingFile,
                  OdString::format(L"%s, line 1: a binary DXF file; save the drawing as ASCII DXF", fileName));
  return Reader(bytes, fileName).run(warnings);
}
