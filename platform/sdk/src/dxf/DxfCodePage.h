// The code pages of DXF files before AC1021, as tables of the characters
// their bytes stand for. The system converts (MultiByteToWideChar on
// Windows, iconv natively), asked once per byte and per pair of bytes when a
// page is first used; its answers pass one rule here, so that both builds
// read a file alike.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dxf
{
class CodePage
{
public:
  // The Windows number of the page $DWGCODEPAGE names ("ANSI_1251",
  // "DOS850", "BIG5", ...); 1252 for a name it does not know.
  static int numberNamed(std::string_view dwgCodePage);
  // A page by its number, built once per process; ANSI_1252 if the system
  // lacks it.
  static const CodePage& numbered(int number);

  int number() const { return m_number; }

  static constexpr char32_t kLeadByte = 0xFFFFFFFF;
  // The character a byte stands for alone (bytes below 0x80 are ASCII),
  // U+FFFD if the page leaves it undefined, kLeadByte if it begins a pair.
  char32_t byte(unsigned char b) const { return m_bytes[b]; }
  // The character of a lead byte and the byte after it; 0 if the pair
  // stands for nothing.
  char32_t pair(unsigned char lead, unsigned char trail) const
  {
    return m_pairs.empty() ? 0 : m_pairs[std::size_t(lead) << 8 | trail];
  }

  explicit CodePage(int number);

private:
  int m_number;
  char32_t m_bytes[256];
  std::vector<char32_t> m_pairs; // lead << 8 | trail, double-byte pages only
};

// The system's own conversion of one code page, used only to fill a table.
class SystemCodePage
{
public:
  explicit SystemCodePage(int number);
  ~SystemCodePage();
  SystemCodePage(const SystemCodePage&) = delete;
  SystemCodePage& operator=(const SystemCodePage&) = delete;

  bool available() const;
  enum class Answer
  {
    kCharacters,
    kLeadByte, // a byte that begins a character of two
    kUndefined
  };
  // What one byte, or a lead byte and its trail byte, stand for.
  Answer convert(const char* bytes, std::size_t count, std::u32string& characters);

private:
  // Windows converts by the number, iconv with a converter opened once.
  [[maybe_unused]] int m_number;
  [[maybe_unused]] void* m_converter = nullptr;
};
} // namespace dxf
