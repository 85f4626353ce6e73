// Names the browser gives new and cloned materials.
#include "core/MeMaterialNaming.h"

#include "common/od_print.h"

#include <gtest/gtest.h>

using me::cloneMaterialName;
using me::newMaterialName;

TEST(MaterialNaming, NewNamesCountUpPastEveryTakenNameWhateverItsCase)
{
  EXPECT_EQ(newMaterialName(L"Default Generic", {L"Global"}), L"Default Generic");
  EXPECT_EQ(newMaterialName(L"Default Generic", {L"Default Generic", L"default generic (1)"}), L"Default Generic (2)");
  // A later name can be the one the first candidate needs: the list is looked at again each time.
  EXPECT_EQ(newMaterialName(L"M", {L"m (2)", L"M (1)", L"M", L"M (3)"}), L"M (4)");
}

TEST(MaterialNaming, ClonesNumberFromTheDigitAfterTheLastParenthesis)
{
  EXPECT_EQ(cloneMaterialName(L"Steel", {L"Steel"}), L"Steel(1)");
  EXPECT_EQ(cloneMaterialName(L"Steel(1)", {L"Steel", L"Steel(1)"}), L"Steel(2)");
  EXPECT_EQ(cloneMaterialName(L"Steel(12)", {L"Steel(12)"}), L"Steel(1)") << "one digit only";
  EXPECT_EQ(cloneMaterialName(L"Steel(x)", {L"Steel(x)"}), L"Steel(0)") << "no digit counts from 0";
  EXPECT_EQ(cloneMaterialName(L"Steel(", {L"Steel("}), L"Steel((1)") << "no ')': the whole name is the base";
  EXPECT_EQ(cloneMaterialName(L"a(1) b(3)", {L"a(1) b(3)"}), L"a(1) b(4)") << "the base ends before the last (";
  EXPECT_EQ(cloneMaterialName(L"Glass", {L"glass(1)", L"GLASS(2)"}), L"Glass(3)");
}

TEST(MaterialNaming, LongNamesAndLongListsEndWithAFreeName)
{
  const OdString longName(L'x', 10000);
  EXPECT_EQ(cloneMaterialName(longName, {longName}), longName + L"(1)");
  std::vector<OdString> taken{L"Default Generic"};
  for (int i = 1; i < 500; ++i)
    taken.push_back(OdString::format(L"Default Generic (%d)", i));
  EXPECT_EQ(newMaterialName(L"Default Generic", taken), L"Default Generic (500)");
}
