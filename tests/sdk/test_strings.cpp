#include "od/OdArray.h"
#include "od/OdString.h"

#include "common/od_print.h"

#include <gtest/gtest.h>

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
