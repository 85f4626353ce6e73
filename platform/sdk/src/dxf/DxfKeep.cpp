#include "DxfKeep.h"

#include <cstring>

namespace dxf
{
OdDxfPair keptPair(const Group& group, const TextDecoder& text)
{
  OdDxfPair pair;
  pair.code = group.code;
  if (TextDecoder::holdsText(group.code))
    pair.value = text.keptUtf8(group.value);
  else
    pair.value.assign(group.value.data(), group.value.size());
  return pair;
}

OdDxfRecord keptRecord(const Record& record, const TextDecoder& text)
{
  OdDxfRecord out;
  out.type.assign(record.type.data(), record.type.size());
  out.pairs.reserve(record.groups.size());
  for (const Group& g : record.groups)
    out.pairs.push_back(keptPair(g, text));
  return out;
}

OdDxfPairs keptPairs(const Record& record, const TextDecoder& text, const KeepRules& rules)
{
  OdDxfPairs out;
  std::string_view subclass;
  bool ownerSeen = false, inAppGroup = false, droppingApp = false;
  for (const Group& g : record.groups)
  {
    const std::string_view value = trimmed(g.value);
    if (g.code == 1001)
      // An application's extension data runs to the next application's.
      droppingApp = rules.ownApp && value == rules.ownApp;
    if (droppingApp)
      continue;
    if (g.code == 102)
    {
      if (!value.empty() && value.front() == '{')
        inAppGroup = true;
      else if (value == "}")
        inAppGroup = false;
    }
    if (g.code >= 1000)
    {
      out.push_back(keptPair(g, text));
      continue;
    }
    if (!inAppGroup)
    {
      if (g.code == 5)
        continue;
      if (g.code == 330 && !ownerSeen)
      {
        ownerSeen = true;
        continue;
      }
      if (g.code == 100)
        subclass = value;
      else if (rules.owned && rules.owned(subclass, g.code))
        continue;
    }
    out.push_back(keptPair(g, text));
  }
  return out;
}

bool onlyWhatTheModelWrites(const OdDxfPairs& pairs)
{
  bool index = false, trueColor = false;
  for (const OdDxfPair& pair : pairs)
    if (pair.code == 62)
      index = true;
    else if (pair.code == 420)
      trueColor = true;
    else if (pair.code != 100 && pair.code != 67)
      return false;
  return !(index && trueColor);
}

KeptParts::KeptParts(const OdDxfKept* kept) : m_pairs(kept ? &kept->pairs : nullptr)
{
  if (!m_pairs)
    return;
  const std::size_t n = m_pairs->size();
  m_xdata = n;
  for (std::size_t i = 0; i < n; ++i)
    if ((*m_pairs)[i].code >= 1000)
    {
      m_xdata = i;
      break;
    }
  m_headEnd = m_xdata;
  for (std::size_t i = 0; i < m_xdata; ++i)
    if ((*m_pairs)[i].code == 100)
    {
      m_headEnd = i;
      break;
    }
}

std::pair<std::size_t, std::size_t> KeptParts::subclass(std::string_view marker) const
{
  for (std::size_t i = m_headEnd; i < m_xdata; ++i)
    if ((*m_pairs)[i].code == 100 && trimmed((*m_pairs)[i].value) == marker)
    {
      std::size_t end = i + 1;
      while (end < m_xdata && (*m_pairs)[end].code != 100)
        ++end;
      return {i + 1, end};
    }
  return {0, 0};
}

bool KeptParts::has(std::string_view marker, int code) const
{
  const auto range = subclass(marker);
  for (std::size_t i = range.first; i < range.second; ++i)
    if ((*m_pairs)[i].code == code)
      return true;
  return false;
}
} // namespace dxf
