// Kept group pairs: taken from records by the reader, found again by the
// writer, which puts them back where they were (see od/DbProxy.h).
#pragma once

#include "DxfText.h"
#include "DxfTokens.h"

#include "od/DbProxy.h"

#include <utility>

namespace dxf
{
// A group as it is to be written back: text of older files in UTF-8, every
// other value as the file had it.
OdDxfPair keptPair(const Group& group, const TextDecoder& text);
OdDxfRecord keptRecord(const Record& record, const TextDecoder& text);

// Which pairs of an object the model writes itself, by the subclass marker
// they follow ("" before the first) and their group code.
using OwnedPairs = bool (*)(std::string_view subclass, int code);

struct KeepRules
{
  OwnedPairs owned = nullptr;
  // Extension data of this application is the writer's own.
  const char* ownApp = nullptr;
};

// The pairs of a record the model does not write itself, in file order,
// subclass markers included; without the handle (5) and the owner (the
// first 330 outside an application group).
OdDxfPairs keptPairs(const Record& record, const TextDecoder& text, const KeepRules& rules);

// Whether kept pairs of an entity hold nothing but subclass markers and a
// colour or space the model writes the same way itself.
bool onlyWhatTheModelWrites(const OdDxfPairs& pairs);

// The parts of an object's kept pairs: the head before the first subclass
// marker (application groups), the subclasses, and the extension data.
class KeptParts
{
public:
  explicit KeptParts(const OdDxfKept* kept);
  bool empty() const { return !m_pairs || m_pairs->empty(); }
  const OdDxfPairs& pairs() const { return *m_pairs; }
  std::size_t headEnd() const { return m_headEnd; }
  std::size_t xdata() const { return m_xdata; }
  std::size_t size() const { return m_pairs ? m_pairs->size() : 0; }
  // The pairs after the marker of this subclass up to the next marker or
  // the extension data (the marker itself not included); {0, 0} without it.
  std::pair<std::size_t, std::size_t> subclass(std::string_view marker) const;
  // Whether a pair of the kept subclass pairs has this code.
  bool has(std::string_view marker, int code) const;

private:
  const OdDxfPairs* m_pairs = nullptr;
  std::size_t m_headEnd = 0, m_xdata = 0;
};
} // namespace dxf
