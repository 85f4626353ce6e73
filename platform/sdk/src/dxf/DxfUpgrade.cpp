#include "DxfUpgrade.h"

#include <cctype>
#include <charconv>

namespace dxf
{
namespace
{
// Codes of the entity as a whole: they go under AcDbEntity.
bool entityCode(int code)
{
  return code == 6 || code == 8 || code == 48 || code == 60 || code == 62 || code == 67 || code == 284 || code == 347 ||
         code == 370 || code == 390 || code == 420 || code == 430 || code == 440;
}
bool secondText(int code) { return code == 73; }
bool attribute(int code) { return code == 2 || code == 70 || code == 73 || code == 74 || code == 280; }
bool attributeDefinition(int code) { return code == 3 || attribute(code); }
bool arc(int code) { return code == 50 || code == 51; }
bool everything(int) { return true; }

const char* tableSubclass(std::string_view table)
{
  if (table == "LTYPE")
    return "AcDbLinetypeTableRecord";
  if (table == "LAYER")
    return "AcDbLayerTableRecord";
  if (table == "STYLE")
    return "AcDbTextStyleTableRecord";
  if (table == "VIEW")
    return "AcDbViewTableRecord";
  if (table == "UCS")
    return "AcDbUCSTableRecord";
  if (table == "VPORT")
    return "AcDbViewportTableRecord";
  if (table == "DIMSTYLE")
    return "AcDbDimStyleTableRecord";
  if (table == "APPID")
    return "AcDbRegAppTableRecord";
  return nullptr;
}

long long flagsOf(const Record& record, int code)
{
  for (const Group& g : record.groups)
    if (g.code == code)
    {
      const std::string_view text = trimmed(g.value);
      long long value = 0;
      std::from_chars(text.data(), text.data() + text.size(), value);
      return value;
    }
  return 0;
}

bool sameName(std::string_view a, const char* b)
{
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return i == a.size() && !b[i];
}
} // namespace

bool OldFileUpgrade::carries(std::string_view type)
{
  for (const char* known : {"LINE", "POINT", "CIRCLE", "ARC", "TEXT", "SOLID", "TRACE", "3DFACE", "POLYLINE", "VERTEX",
                            "SEQEND", "INSERT", "ATTRIB", "ATTDEF"})
    if (type == known)
      return true;
  return false;
}

std::string_view OldFileUpgrade::keep(std::string text)
{
  m_made.push_back(std::move(text));
  return m_made.back();
}

std::string_view OldFileUpgrade::handleText(OdUInt64 handle)
{
  char text[24];
  const auto end = std::to_chars(text, text + sizeof text, static_cast<unsigned long long>(handle), 16).ptr;
  std::string out(text, end);
  for (char& c : out)
    c = char(std::toupper(static_cast<unsigned char>(c)));
  return keep(std::move(out));
}

void OldFileUpgrade::upgrade(Record& record, std::string_view section, std::string_view table)
{
  for (const Group& g : record.groups)
    if (g.code == 100)
      return;
  std::vector<Group> out;
  out.reserve(record.groups.size() + 6);
  const std::size_t line = record.line;
  const auto add = [&](int code, std::string_view value) { out.push_back({code, value, line}); };
  const std::string_view type = record.type;
  if (section == "TABLES")
  {
    if (type == "ENDTAB")
      return;
    if (type == "TABLE")
    {
      std::string_view handle;
      for (const Group& g : record.groups)
        if (g.code == 5)
          handle = g.value;
      m_tableHandle = handle.empty() ? handleText(m_next++) : handle;
      for (const Group& g : record.groups)
        if (g.code == 2)
          out.push_back(g);
      add(5, m_tableHandle);
      add(330, "0");
      add(100, "AcDbSymbolTable");
      for (const Group& g : record.groups)
        if (g.code != 2 && g.code != 5)
          out.push_back(g);
    }
    else
      tableRecord(record, table, out);
  }
  else if (section == "BLOCKS" && (type == "BLOCK" || type == "ENDBLK"))
  {
    std::string_view handle;
    for (const Group& g : record.groups)
      if (g.code == 5)
        handle = g.value;
    add(5, handle.empty() ? handleText(m_next++) : handle);
    if (type == "BLOCK")
      m_blockRecord = handleText(m_next++);
    add(330, m_blockRecord);
    add(100, "AcDbEntity");
    bool layer = false;
    for (const Group& g : record.groups)
      if (entityCode(g.code))
      {
        out.push_back(g);
        layer = layer || g.code == 8;
      }
    if (!layer)
      add(8, "0");
    add(100, type == "BLOCK" ? "AcDbBlockBegin" : "AcDbBlockEnd");
    for (const Group& g : record.groups)
      if (g.code != 5 && g.code != 330 && !entityCode(g.code))
      {
        // The layouts of older files go by their later names.
        Group named = g;
        if ((g.code == 2 || g.code == 3) && sameName(trimmed(g.value), "$MODEL_SPACE"))
          named.value = "*Model_Space";
        else if ((g.code == 2 || g.code == 3) && sameName(trimmed(g.value), "$PAPER_SPACE"))
          named.value = "*Paper_Space";
        out.push_back(named);
      }
  }
  else if (section == "BLOCKS" || section == "ENTITIES")
    entity(record, out);
  else
    return;
  record.groups.swap(out);
}

void OldFileUpgrade::tableRecord(Record& record, std::string_view table, std::vector<Group>& out)
{
  const char* subclass = tableSubclass(table);
  if (!subclass)
    return;
  // A dimension style's handle is 105; its 5, 6 and 7 name arrow blocks.
  const bool dimStyle = table == "DIMSTYLE";
  const int handleCode = dimStyle ? 105 : 5;
  std::string_view handle;
  for (const Group& g : record.groups)
    if (g.code == handleCode)
      handle = g.value;
  out.push_back({handleCode, handle.empty() ? handleText(m_next++) : handle, record.line});
  out.push_back({330, m_tableHandle, record.line});
  out.push_back({100, "AcDbSymbolTableRecord", record.line});
  out.push_back({100, subclass, record.line});
  for (const Group& g : record.groups)
    if (dimStyle && g.code >= 5 && g.code <= 7)
    {
      // Arrow blocks by name go where later files refer to them by handle
      // (342 to 344), still named until the blocks are read.
      if (!trimmed(g.value).empty())
        out.push_back({g.code + 337, g.value, g.line});
    }
    else if (g.code != handleCode && g.code != 330)
      out.push_back(g);
}

void OldFileUpgrade::entity(Record& record, std::vector<Group>& out)
{
  const std::string_view type = record.type;
  std::string_view handle;
  for (const Group& g : record.groups)
    if (g.code == 5)
      handle = g.value;
  if (handle.empty())
    handle = handleText(m_next++);
  out.push_back({5, handle, record.line});
  const bool inSequence = type == "VERTEX" || type == "SEQEND" || type == "ATTRIB";
  if (inSequence)
    out.push_back({330, m_parent, record.line});
  out.push_back({100, "AcDbEntity", record.line});
  for (const Group& g : record.groups)
    if (entityCode(g.code))
      out.push_back(g);

  // The subclasses of the type: what goes under the second, if any.
  const char* first = nullptr;
  const char* second = nullptr;
  bool (*inSecond)(int) = nullptr;
  if (type == "LINE")
    first = "AcDbLine";
  else if (type == "POINT")
    first = "AcDbPoint";
  else if (type == "CIRCLE")
    first = "AcDbCircle";
  else if (type == "ARC")
    first = "AcDbCircle", second = "AcDbArc", inSecond = arc;
  else if (type == "TEXT")
    first = "AcDbText", second = "AcDbText", inSecond = secondText;
  else if (type == "ATTRIB")
    first = "AcDbText", second = "AcDbAttribute", inSecond = attribute;
  else if (type == "ATTDEF")
    first = "AcDbText", second = "AcDbAttributeDefinition", inSecond = attributeDefinition;
  else if (type == "SOLID" || type == "TRACE")
    first = "AcDbTrace";
  else if (type == "3DFACE")
    first = "AcDbFace";
  else if (type == "POLYLINE")
  {
    m_parent = handle;
    m_polylineFlags = flagsOf(record, 70);
    first = m_polylineFlags & 8    ? "AcDb3dPolyline"
            : m_polylineFlags & 16 ? "AcDbPolygonMesh"
            : m_polylineFlags & 64 ? "AcDbPolyFaceMesh"
                                   : "AcDb2dPolyline";
  }
  else if (type == "VERTEX")
  {
    const long long flags = flagsOf(record, 70);
    first = "AcDbVertex";
    second = (flags & 128) && !(flags & 64) ? "AcDbFaceRecord"
             : flags & 128                  ? "AcDbPolyFaceMeshVertex"
             : flags & 64                   ? "AcDbPolygonMeshVertex"
             : flags & 32                   ? "AcDb3dPolylineVertex"
                                            : "AcDb2dVertex";
    inSecond = everything;
  }
  else if (type == "INSERT")
  {
    if (flagsOf(record, 66))
      m_parent = handle;
    first = flagsOf(record, 70) > 1 || flagsOf(record, 71) > 1 ? "AcDbMInsertBlock" : "AcDbBlockReference";
  }
  std::vector<Group> secondGroups, extension;
  if (first)
    out.push_back({100, first, record.line});
  for (const Group& g : record.groups)
  {
    if (g.code == 5 || g.code == 330 || entityCode(g.code))
      continue;
    if (g.code >= 1000)
      extension.push_back(g);
    else if (second && inSecond(g.code))
      secondGroups.push_back(g);
    else
      out.push_back(g);
  }
  if (second)
  {
    out.push_back({100, second, record.line});
    out.insert(out.end(), secondGroups.begin(), secondGroups.end());
  }
  out.insert(out.end(), extension.begin(), extension.end());
}
} // namespace dxf
