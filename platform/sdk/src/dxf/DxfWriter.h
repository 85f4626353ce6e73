// The DXF writer's state, shared by the files that write the sections.
// ASCII, UTF-8; objects of the model keep their handles; what the format
// needs around them (tables the model does not keep, BLOCK and ENDBLK,
// SEQEND, layouts) gets handles from the seed on. What a file held that the
// model does not know goes back in its place.
#pragma once

#include "../DbInternal.h"
#include "DxfKeep.h"
#include "DxfShared.h"

#include "od/DbDictionary.h"
#include "od/DbGroup.h"
#include "od/DbSymbolTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace dxf
{
class Writer
{
public:
  explicit Writer(OdDbDatabase* db) : m_db(db), m_next(OdDbInternal::handleSeed(db)) {}

  std::string run();

  // What the write() writes, alone.
  template <class Write>
  std::string recordText(Write&& write)
  {
    m_out.clear();
    write();
    return std::move(m_out);
  }
  // Writes an object through write(), or the file's record of it when the
  // model writes it as it did just after reading (see OdDxfKept::asRead).
  template <class Write>
  void asRead(const OdDbObject* object, Write&& write)
  {
    const OdDxfKept* kept = object->dxfKept();
    const std::size_t start = m_out.size();
    write();
    if (kept && !kept->asRead.empty() && m_out.size() - start == kept->asRead.size() &&
        m_out.compare(start, std::string::npos, kept->asRead) == 0)
    {
      m_out.resize(start);
      putRecord(kept->original);
    }
  }
  void layerRecord(const OdDbLayerTableRecord* layer, OdUInt64 tableHandle);
  void insert(const OdDbBlockReference* ref, OdUInt64 owner, bool paper);
  void material(const OdDbMaterial* material, OdUInt64 owner);
  std::vector<const OdDbBlockTableRecord*> blockRecords() const;

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
  void materialExtension(const MaterialMaps& maps);
  void extensionColor(const MaterialColor& color);
  void materialColor(int methodCode, int factorCode, int valueCode, const MaterialColor& color);
  void mapChannel(Channel channel, const MaterialMap& map);
  void group(const OdDbGroup* group, OdUInt64 owner);
  void layouts(OdUInt64 owner);

  OdDbDatabase* m_db;
  OdUInt64 m_next;
  std::string m_out;
  // Made up front, since tables and blocks refer to them before they are written.
  OdUInt64 m_layoutDictionary = 0;
  // The layouts written when the file's own are not kept: model space, paper
  // space and further paper space blocks (*Paper_Space0, ...).
  struct Layout
  {
    std::string name;
    OdUInt64 handle;
    OdDbObjectId block;
    int order;
  };
  std::vector<Layout> m_layouts;
  OdUInt64 layoutOf(const OdDbObjectId& block) const;
  bool hasSubDMesh() const;
  OdDbObjectId m_layerId;
  std::string m_layerText;
  bool m_needsAppId = false;  // some material has extension data of ours
  bool m_keptLayouts = false; // the file's own layouts are kept
};
// Notes, for each record the model writes its own way, how it writes it
// right after reading (see OdDxfKept::asRead).
void noteAsRead(OdDbDatabase* database);
} // namespace dxf
