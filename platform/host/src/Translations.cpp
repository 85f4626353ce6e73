#include "host/Translations.h"

namespace host
{
const std::wstring& Translations::intern(const std::wstring& text) { return *m_interned.insert(text).first; }

void Translations::set(const OdString& text, const OdString& translated)
{
  m_table[text.str()] = &intern(translated.str());
}

const wchar_t* Translations::translate(const wchar_t* text)
{
  const std::wstring key = text ? text : L"";
  auto it = m_table.find(key);
  return it != m_table.end() ? it->second->c_str() : intern(key).c_str();
}
} // namespace host
