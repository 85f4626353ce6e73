// Records of files before AC1015 (no subclass markers, handles optional)
// brought to the form later files have, so that what is kept of them can be
// written into an AC1021 file: handles, owners, subclass markers chosen by
// type and flags, the layout blocks under their later names.
#pragma once

#include "DxfTokens.h"

#include "od/OdPlatform.h"

#include <deque>
#include <string>

namespace dxf
{
class OldFileUpgrade
{
public:
  // Handles are made from here on; the file's own stay as they are.
  void setHandleSeed(OdUInt64 seed) { m_next = seed; }
  OdUInt64 nextHandle() const { return m_next; }

  // A record of the section (and table) it is in; records that have
  // subclass markers already are left as they are.
  void upgrade(Record& record, std::string_view section, std::string_view table);

  // Whether an entity of this type can be written into an AC1021 file as it
  // was read from an older one.
  static bool carries(std::string_view type);

private:
  std::string_view handleText(OdUInt64 handle);
  std::string_view keep(std::string text);
  void entity(Record& record, std::vector<Group>& out);
  void tableRecord(Record& record, std::string_view table, std::vector<Group>& out);

  OdUInt64 m_next = 0x100000;
  std::deque<std::string> m_made; // the values made, which records point into
  std::string_view m_tableHandle;
  std::string_view m_blockRecord; // of the block being read
  std::string_view m_parent;      // the polyline or insert whose sequence is read
  long long m_polylineFlags = 0;
};
} // namespace dxf
