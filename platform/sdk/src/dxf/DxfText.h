// How the strings of a DXF file are meant: UTF-8 from AC1021 on; before,
// bytes of the code page $DWGCODEPAGE names, with \U+XXXX and \M+nXXXX
// escapes for characters outside it.
#pragma once

#include "od/OdString.h"

#include <string>
#include <string_view>

namespace dxf
{
class CodePage;

class TextDecoder
{
public:
  // $ACADVER's value; files before AC1021 use their code page.
  void setVersion(std::string_view version);
  // $DWGCODEPAGE's value ("ANSI_1251", "DOS850", ...); ANSI_1252 when the
  // page is unknown or not given.
  void setCodePage(std::string_view codePage);
  bool unicode() const { return m_unicode; }

  // A name or text of the file as it is meant: ^J and the like stand for
  // control characters, "^ " for a caret.
  OdString decode(std::string_view value) const;
  // A value kept to be written back into a UTF-8 file: carets stay as they
  // are (the writer writes kept values as they stand).
  std::string keptUtf8(std::string_view value) const;

  // Whether values of a group code are text (names, strings, comments)
  // rather than numbers, handles or binary data.
  static bool holdsText(int code);

private:
  std::wstring legacy(std::string_view value, bool carets) const;
  const CodePage& page() const;

  bool m_unicode = true;
  int m_pageNumber = 1252;
  mutable const CodePage* m_page = nullptr; // built when a byte first needs it
};
} // namespace dxf
