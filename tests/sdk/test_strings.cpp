#include "od/OdArray.h"
#include "od/OdString.h"

#include "common/od_print.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <utility>
#include <vector>

TEST(OdString, CaseInsensitiveComparisonCoversAccentedAndCyrillicLetters)
{
  EXPECT_EQ(OdString(L"ByLayer").iCompare(L"BYLAYER"), 0);
  EXPECT_EQ(OdString(L"\u00C9tude").iCompare(L"\u00E9TUDE"), 0); // É / é
  EXPECT_EQ(OdString(L"\u0421\u0442\u0430\u043B\u044C").iCompare(L"\u0441\u0422\u0410\u041B\u042C"), 0);
  EXPECT_LT(OdString(L"abc").iCompare(L"ABD"), 0);
  EXPECT_GT(OdString(L"Global material").iCompare(L"global"), 0);
  EXPECT_NE(OdString(L"Global").iCompare(L"Globa"), 0);
  // Long shared prefixes are skipped in blocks: a difference of case or of
  // letter on either side of a block's edge still decides.
  for (int at = 0; at < 20; ++at)
  {
    std::wstring lower(20, L'a'), upper(20, L'a'), later(20, L'a');
    upper[std::size_t(at)] = L'A';
    later[std::size_t(at)] = L'B';
    EXPECT_EQ(OdString(lower).iCompare(OdString(upper)), 0) << at;
    EXPECT_LT(OdString(lower).iCompare(OdString(later)), 0) << at;
    EXPECT_GT(OdString(later).iCompare(OdString(upper)), 0) << at;
  }
}

// Simple folding, one character to one, in scripts beyond Latin-1, Greek
// and Cyrillic; what only full folding joins stays apart.
TEST(OdString, CaseFoldingJoinsTheCasesOfEveryBmpScriptOneCharacterToOne)
{
  const std::pair<const wchar_t*, const wchar_t*> same[] = {
    {L"\u03A3\u03BF\u03C6\u03CC\u03C2", L"\u03C3\u039F\u03A6\u038C\u03A3"}, // Σοφός: final sigma
    {L"\u0531\u0580\u0561", L"\u0561\u0550\u0531"},                         // Armenian
    {L"\u10A0\u10C5\u10C7", L"\u2D00\u2D25\u2D27"},                         // Georgian capitals
    {L"\u13A0\u13F5\u13F8", L"\uAB70\u13F5\u13F0"},                         // Cherokee folds to capitals
    {L"\u01C4\u01C5\u0187\u0241", L"\u01C6\u01C6\u0188\u0242"},             // Latin Extended-B
    {L"\u1E00\u1E9E\u1EFE", L"\u1E01\u00DF\u1EFF"},                         // Latin Extended Additional
    {L"\uFF21\uFF3A", L"\uFF41\uFF5A"},                                     // fullwidth Latin
    {L"\u212A\u2126", L"k\u03C9"},                                          // Kelvin and ohm signs
  };
  for (const auto& [a, b] : same)
  {
    EXPECT_EQ(OdString(a).iCompare(b), 0) << OdString(a) << " / " << OdString(b);
    EXPECT_EQ(OdString(a).makeLower(), OdString(b).makeLower()) << OdString(a);
  }
  EXPECT_NE(OdString(L"STRASSE").iCompare(L"Stra\u00DFe"), 0);
  EXPECT_NE(OdString(L"\u0130").iCompare(L"i"), 0); // dotted capital I: no one-character fold
  // Beyond the BMP nothing folds, in UTF-16 and in UTF-32 alike (Deseret).
  EXPECT_NE(OdString(L"\U00010400").iCompare(L"\U00010428"), 0);
}

// Every character of the BMP against Python's Unicode data, written when
// the tests run: the table and its lookup together.
TEST(OdString, CaseFoldingOfTheWholeBmpIsUnicodesSimpleFolding)
{
  std::FILE* file = std::fopen(ME_TEST_CASE_FOLDING, "r");
  ASSERT_NE(file, nullptr) << ME_TEST_CASE_FOLDING;
  std::vector<unsigned> expected(0x10000);
  for (unsigned c = 0; c < expected.size(); ++c)
    expected[c] = c;
  unsigned code = 0, fold = 0;
  std::size_t pairs = 0;
  while (std::fscanf(file, "%x %x", &code, &fold) == 2 && code < expected.size())
  {
    expected[code] = fold;
    ++pairs;
  }
  std::fclose(file);
  EXPECT_GT(pairs, 1000u);
  std::size_t wrong = 0;
  for (unsigned c = 0; c < expected.size(); ++c)
    if (unsigned(odFoldCase(wchar_t(c))) != expected[c] && ++wrong <= 5)
      ADD_FAILURE() << std::hex << "U+" << c << " folds to U+" << unsigned(odFoldCase(wchar_t(c))) << ", not U+"
                    << expected[c];
  EXPECT_EQ(wrong, 0u);
}

TEST(OdString, FormatTreatsArgumentsAsDataNeverAsFormats)
{
  const OdString hostile(L"%s%n%d%%%x");
  EXPECT_EQ(OdString::format(L"The material \"%s\" already exists.", hostile),
            OdString(L"The material \"%s%n%d%%%x\" already exists."));
  EXPECT_EQ(OdString::format(L"%s (%d)", OdString(L"Default Generic"), 2), OdString(L"Default Generic (2)"));
  EXPECT_EQ(OdString::format(L"%d%%", 35), OdString(L"35%"));
  // Missing arguments print nothing rather than reading past the list.
  EXPECT_EQ(OdString::format(L"a%sb%dc"), OdString(L"abc"));
  // An unknown directive is kept as text.
  EXPECT_EQ(OdString::format(L"100%q", 1), OdString(L"100%q"));

  const OdString huge(L'x', 10000);
  const OdString text = OdString::format(L"[%s]", huge);
  EXPECT_EQ(text.getLength(), 10002);
  // A width cannot make the output explode.
  EXPECT_LE(OdString::format(L"%999999999999d", 1).getLength(), 512);
}

TEST(OdString, Utf8RoundTripAndMalformedInput)
{
  const OdString text(u8"Stahl \u00FC\u00DF \u20AC \U0001F600");
  EXPECT_EQ(OdString(text.toUtf8().c_str()), text);
  const OdString broken("\xFF\xC3");
  EXPECT_EQ(broken.getLength(), 2);
  EXPECT_EQ(broken.getAt(0), wchar_t(0xFFFD));
}

TEST(OdString, SearchAndSlicingStayInRange)
{
  const OdString s(L"Steel(12)");
  EXPECT_EQ(s.reverseFind(L'('), 5);
  EXPECT_EQ(s.left(5), OdString(L"Steel"));
  EXPECT_EQ(s.mid(6, 1), OdString(L"1"));
  EXPECT_EQ(s.mid(50), OdString());
  EXPECT_EQ(s.left(-3), OdString());
  EXPECT_EQ(s.getAt(99), wchar_t(0));
  EXPECT_EQ(OdString(L"a\"b").findOneOf(L"<>\""), 1);
  const auto parts = OdString(L"Planar\tCubic\t\tSpherical").split(L'\t');
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_TRUE(parts[2].isEmpty());
}

TEST(OdArray, EveryIndexIsChecked)
{
  OdArray<int> a{1, 2, 3};
  EXPECT_EQ(a[2], 3);
  EXPECT_THROW(a[3], OdError);
  try
  {
    a.removeAt(7);
    FAIL();
  }
  catch (const OdError& e)
  {
    EXPECT_EQ(e.code(), eInvalidIndex);
  }
  OdArray<int> empty;
  EXPECT_THROW(empty.first(), OdError);
  EXPECT_THROW(empty.insertAt(1, 5), OdError);
  empty.insertAt(0, 5);
  EXPECT_EQ(empty.last(), 5);
}
