// The host's translation of user texts into the user's language.
#pragma once

#include "od/OdString.h"

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace host
{
class Translations
{
public:
  // A later call for the same text replaces the translation; texts handed
  // out before stay valid.
  void set(const OdString& text, const OdString& translated);
  // The translation, or the text itself when there is none. The pointer
  // stays valid as long as this object: every answer is kept. Null reads as
  // the empty text.
  const wchar_t* translate(const wchar_t* text);
  std::size_t size() const { return m_table.size(); }

private:
  const std::wstring& intern(const std::wstring& text);

  // Node-based, so a kept text never moves.
  std::unordered_set<std::wstring> m_interned;
  std::unordered_map<std::wstring, const std::wstring*> m_table;
};
} // namespace host
