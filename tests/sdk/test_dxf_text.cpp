// Strings of DXF files before AC1021: bytes of their code page and escapes,
// read alike by both builds.
#include "DxfText.h"

#include "common/od_print.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace
{
dxf::TextDecoder decoder(const char* version, const char* codePage)
{
  dxf::TextDecoder text;
  text.setVersion(version);
  text.setCodePage(codePage);
  return text;
}
} // namespace

// The fixture holds Python's answer for every byte 0x80-0xFF of every page
// (tests/sdk/make_code_pages.py); the system's must match it.
TEST(DxfText, EveryHighByteOfEveryCodePageReadsAsTheFixtureSays)
{
  std::ifstream fixture(ME_TEST_FIXTURES "/dxf/code-pages.txt");
  ASSERT_TRUE(fixture.good());
  std::string line;
  int pages = 0;
  while (std::getline(fixture, line))
  {
    if (line.empty() || line[0] == '#')
      continue;
    std::istringstream fields(line);
    std::string page;
    fields >> page;
    const dxf::TextDecoder text = decoder("AC1018", page.c_str());
    for (unsigned byte = 0x80; byte < 0x100; ++byte)
    {
      unsigned expected = 0;
      fields >> std::hex >> expected;
      const wchar_t wide[] = {wchar_t(expected), 0};
      EXPECT_EQ(text.decode(std::string(1, char(byte))), wide) << page << " byte " << std::hex << byte;
    }
    ++pages;
  }
  EXPECT_EQ(pages, 37);
}

TEST(DxfText, EscapesAndDoubleByteCharactersAreDecodedBeforeAC1021Only)
{
  const dxf::TextDecoder ansi = decoder("AC1018", "ANSI_1252");
  EXPECT_EQ(ansi.decode("Caf\\U+00e9 \\U+00C9\\U+D83D\\U+DE00"), OdString("Caf\xC3\xA9 \xC3\x89\xF0\x9F\x98\x80"));
  EXPECT_EQ(ansi.decode("\\M+193FA\\M+5D6D0 \\M+38140"), OdString("\xE6\x97\xA5\xE4\xB8\xAD \xEF\xBF\xBD"));
  // Malformed escapes stay as they are: short, no hex, no lead byte, a
  // lone surrogate, an unknown page.
  for (const char* kept : {"\\U+12", "\\U+12G4", "\\U+D800x", "\\U+0000", "\\M+10041", "\\M+61234", "\\u+00E9"})
    EXPECT_EQ(ansi.decode(kept), OdString(kept));
  EXPECT_EQ(ansi.keptUtf8("^J\\U+00E9\xE9"), "^J\xC3\xA9\xC3\xA9"); // carets kept, escapes decoded
  EXPECT_EQ(ansi.decode("^J^ x"), L"\n^x");

  // Shift-JIS: a trail byte may be a backslash or a caret, and begins no
  // escape; a lead byte without its trail stands for nothing.
  const dxf::TextDecoder japanese = decoder("AC1015", "ANSI_932");
  EXPECT_EQ(japanese.decode("\x95\\U+0041\x83^J"), OdString("\xE8\xA1\xA8U+0041\xE3\x82\xBFJ"));
  EXPECT_EQ(japanese.keptUtf8("\x93\xFA\x93 B\x93"), "\xE6\x97\xA5\xEF\xBF\xBD B\xEF\xBF\xBD");

  const dxf::TextDecoder utf8 = decoder("AC1021", "ANSI_1251");
  EXPECT_EQ(utf8.decode("\\U+00E9 \xC3\xA9"), OdString("\\U+00E9 \xC3\xA9"));
  EXPECT_EQ(utf8.keptUtf8("\\U+00E9^J"), "\\U+00E9^J");
}

TEST(DxfText, GroupCodesThatHoldText)
{
  for (int code : {1,   2,   3,   4,   6,   7,   8,   9,    100,  101,  102,  300, 309,
                   410, 419, 430, 439, 470, 479, 999, 1000, 1001, 1002, 1003, 1009})
    EXPECT_TRUE(dxf::TextDecoder::holdsText(code)) << code;
  for (int code : {0, 5, 10, 70, 105, 310, 320, 330, 390, 420, 440, 480, 1004, 1005, 1010, 1071})
    EXPECT_FALSE(dxf::TextDecoder::holdsText(code)) << code;
}
