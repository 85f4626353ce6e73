#include "DxfCodePage.h"

#include <cctype>
#include <map>
#include <mutex>

namespace dxf
{
namespace
{
struct PageName
{
  const char* name; // upper case, without '_' and '-'
  int number;
};

// The names AutoCAD writes, and the Windows page each means.
constexpr PageName kPageNames[] = {
  {"ANSI874", 874},    {"ANSI932", 932},    {"ANSI936", 936},    {"ANSI949", 949},    {"ANSI950", 950},
  {"ANSI1250", 1250},  {"ANSI1251", 1251},  {"ANSI1252", 1252},  {"ANSI1253", 1253},  {"ANSI1254", 1254},
  {"ANSI1255", 1255},  {"ANSI1256", 1256},  {"ANSI1257", 1257},  {"ANSI1258", 1258},  {"ANSI1361", 1361},
  {"DOS437", 437},     {"DOS850", 850},     {"DOS852", 852},     {"DOS855", 855},     {"DOS857", 857},
  {"DOS860", 860},     {"DOS861", 861},     {"DOS863", 863},     {"DOS864", 864},     {"DOS865", 865},
  {"DOS866", 866},     {"DOS869", 869},     {"DOS932", 932},     {"BIG5", 950},       {"GB2312", 936},
  {"KSC5601", 949},    {"JOHAB", 1361},     {"MACROMAN", 10000}, {"ISO88591", 28591}, {"ISO88592", 28592},
  {"ISO88593", 28593}, {"ISO88594", 28594}, {"ISO88595", 28595}, {"ISO88596", 28596}, {"ISO88597", 28597},
  {"ISO88598", 28598}, {"ISO88599", 28599},
};

// Where the systems' tables disagree on a defined character, the answer
// both builds give: Windows' own for its pages (glibc lacks 1255's 0xCA),
// the current Unicode mappings for the others (Wine keeps older ISO 8859-7,
// 8859-8 and Mac tables, glibc an older Mac delta).
struct Fix
{
  int number;
  unsigned char byte;
  char32_t character;
};
constexpr Fix kFixes[] = {
  {1255, 0xCA, 0x05BA},  {10000, 0xBD, 0x03A9}, {10000, 0xC6, 0x2206}, {28597, 0xA1, 0x2018},
  {28597, 0xA2, 0x2019}, {28597, 0xA4, 0x20AC}, {28597, 0xA5, 0x20AF}, {28597, 0xAA, 0x037A},
  {28598, 0xAF, 0x00AF}, {28598, 0xFD, 0x200E}, {28598, 0xFE, 0x200F},
};

// The one rule for what a system answers: a single character, or U+FFFD.
// Windows gives some undefined bytes as C1 controls or private-use
// characters, which no page defines.
char32_t defined(SystemCodePage::Answer answer, const std::u32string& characters)
{
  if (answer != SystemCodePage::Answer::kCharacters || characters.size() != 1)
    return 0xFFFD;
  const char32_t ch = characters[0];
  if ((ch >= 0x80 && ch <= 0x9F) || (ch >= 0xE000 && ch <= 0xF8FF))
    return 0xFFFD;
  return ch;
}
} // namespace

CodePage::CodePage(int number) : m_number(number)
{
  for (unsigned b = 0; b < 0x80; ++b)
    m_bytes[b] = b;
  // Byte by byte, and pair by pair: glibc's 1258 would join a letter and the
  // tone mark after it into one character, Windows does not.
  SystemCodePage system(number);
  std::u32string characters;
  for (unsigned b = 0x80; b < 0x100; ++b)
  {
    const char byte = char(b);
    const SystemCodePage::Answer answer =
      system.available() ? system.convert(&byte, 1, characters) : SystemCodePage::Answer::kUndefined;
    m_bytes[b] = answer == SystemCodePage::Answer::kLeadByte ? kLeadByte : defined(answer, characters);
  }
  for (const Fix& fix : kFixes)
    if (fix.number == number)
      m_bytes[fix.byte] = fix.character;
  for (unsigned lead = 0x80; lead < 0x100; ++lead)
  {
    if (m_bytes[lead] != kLeadByte)
      continue;
    if (m_pairs.empty())
      m_pairs.assign(0x10000, 0);
    for (unsigned trail = 1; trail < 0x100; ++trail)
    {
      const char bytes[2] = {char(lead), char(trail)};
      const char32_t ch = defined(system.convert(bytes, 2, characters), characters);
      m_pairs[lead << 8 | trail] = ch == 0xFFFD ? 0 : ch;
    }
  }
}

const CodePage& CodePage::numbered(int number)
{
  static std::mutex mutex;
  static std::map<int, std::unique_ptr<CodePage>> pages; // by the number asked for
  const std::lock_guard<std::mutex> lock(mutex);
  std::unique_ptr<CodePage>& page = pages[number];
  if (!page)
    page = std::make_unique<CodePage>(number == 1252 || SystemCodePage(number).available() ? number : 1252);
  return *page;
}

int CodePage::numberNamed(std::string_view dwgCodePage)
{
  std::string key;
  for (char ch : dwgCodePage)
    if (ch != '_' && ch != '-' && ch != ' ' && ch != '\t' && ch != '\r')
      key += char(std::toupper(static_cast<unsigned char>(ch)));
  for (const PageName& page : kPageNames)
    if (key == page.name)
      return page.number;
  return 1252;
}
} // namespace dxf
