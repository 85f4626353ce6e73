// The native build's conversion of code pages: glibc's iconv.
#include "DxfCodePage.h"

#include <cerrno>
#include <string>

#include <iconv.h>

namespace dxf
{
namespace
{
std::string iconvName(int number)
{
  if (number >= 28591 && number <= 28599)
    return "ISO-8859-" + std::to_string(number - 28590);
  if (number == 10000)
    return "MACINTOSH";
  return "CP" + std::to_string(number);
}

iconv_t converter(void* handle) { return static_cast<iconv_t>(handle); }
} // namespace

SystemCodePage::SystemCodePage(int number) : m_number(number)
{
  iconv_t cd = iconv_open("UTF-32LE", iconvName(number).c_str());
  if (cd != iconv_t(-1))
    m_converter = cd;
}

SystemCodePage::~SystemCodePage()
{
  if (m_converter)
    iconv_close(converter(m_converter));
}

bool SystemCodePage::available() const { return m_converter != nullptr; }

SystemCodePage::Answer SystemCodePage::convert(const char* bytes, std::size_t count, std::u32string& characters)
{
  characters.clear();
  iconv_t cd = converter(m_converter);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  unsigned char out[64];
  char* in = const_cast<char*>(bytes);
  std::size_t inLeft = count;
  char* outAt = reinterpret_cast<char*>(out);
  std::size_t outLeft = sizeof out;
  if (iconv(cd, &in, &inLeft, &outAt, &outLeft) == std::size_t(-1))
  {
    const int error = errno;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return error == EINVAL && count == 1 ? Answer::kLeadByte : Answer::kUndefined;
  }
  // glibc's 1258 holds a letter back, to join a tone mark that may follow.
  iconv(cd, nullptr, nullptr, &outAt, &outLeft);
  for (const unsigned char* at = out; at + 4 <= reinterpret_cast<unsigned char*>(outAt); at += 4)
    characters += char32_t(at[0] | at[1] << 8 | at[2] << 16 | char32_t(at[3]) << 24);
  return Answer::kCharacters;
}
} // namespace dxf
