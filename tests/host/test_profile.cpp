#include "TempDir.h"
#include "host/ProfileStore.h"
#include "od_print.h"

#include <gtest/gtest.h>

#include <cmath>

using host::ProfileSection;
using host::ProfileStore;

namespace
{
CKtVariant read(IProfileSection* section, const char* name)
{
  CKtVariant value;
  EXPECT_TRUE(section->readValue(name, value)) << name;
  return value;
}

// The settings section with one value of each kind and texts that need escaping.
void fill(ProfileStore& store)
{
  IProfileSection* editor = store.openSection("cmddata", true)->openSection("MaterialEditor", true);
  editor->writeValue("SampleObject", CKtVariant(7));
  editor->writeValue("Negative", CKtVariant(-2147483647 - 1));
  editor->writeValue("Ratio", CKtVariant(0.1));
  editor->writeValue("Empty", CKtVariant());
  editor->writeValue("Path", CKtVariant(L"C:\\maps\\wood.jpg"));
  editor->writeValue("Lines", CKtVariant(OdString(std::wstring(L"a\nb\r\n[c]=d\0e#\\", 15))));
  editor->writeValue("Unicode", CKtVariant(L"Holz \u00fc\u4e2d \U0001F600"));
  editor->writeValue("odd=name/[x]#\\\n", CKtVariant(1));
  store.openSection("a/b", true)->openSection("#[x]", true)->writeValue("v", CKtVariant(2));
}
} // namespace

TEST(ProfileStore, RoundTripsEveryKindOfValueThroughTheFile)
{
  TempDir dir;
  ProfileStore saved;
  fill(saved);
  saved.openSection("Startup", true); // empty sections survive too
  ASSERT_TRUE(saved.save(dir.od("profile.txt")));

  ProfileStore loaded;
  const auto result = loaded.load(dir.od("profile.txt"));
  EXPECT_TRUE(result.fileRead);
  EXPECT_EQ(result.linesSkipped, 0);
  EXPECT_EQ(loaded.serialize(), saved.serialize());

  IProfileSection* editor = loaded.openSection("cmddata", false)->openSection("MaterialEditor", false);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(read(editor, "SampleObject"), CKtVariant(7));
  EXPECT_EQ(read(editor, "Negative").asInt(), -2147483647 - 1);
  EXPECT_EQ(read(editor, "Ratio").asReal(), 0.1); // exactly, not to some digits
  EXPECT_TRUE(read(editor, "Empty").isEmpty());
  EXPECT_EQ(read(editor, "Path").asText(), L"C:\\maps\\wood.jpg");
  EXPECT_EQ(read(editor, "Lines").asText().str(), std::wstring(L"a\nb\r\n[c]=d\0e#\\", 15));
  EXPECT_EQ(read(editor, "Unicode").asText(), L"Holz \u00fc\u4e2d \U0001F600");
  EXPECT_EQ(read(editor, "odd=name/[x]#\\\n"), CKtVariant(1));
  EXPECT_NE(loaded.openSection("a/b", false), nullptr); // one section, not a path
  EXPECT_EQ(loaded.openSection("a", false), nullptr);
  EXPECT_EQ(read(loaded.openSection("a/b", false)->openSection("#[x]", false), "v"), CKtVariant(2));
  EXPECT_NE(loaded.openSection("Startup", false), nullptr);
}

TEST(ProfileStore, NamesIgnoreCaseKeepTheirSpellingAndOrder)
{
  ProfileStore store;
  IProfileSection* section = store.openSection("CmdData", true);
  EXPECT_EQ(store.openSection("cmddata", false), section);
  section->writeValue("Zeta", CKtVariant(1));
  section->writeValue("alpha", CKtVariant(2));
  section->writeValue("ZETA", CKtVariant(3)); // the same value
  EXPECT_EQ(read(section, "zeta"), CKtVariant(3));
  EXPECT_EQ(store.root().section("CMDDATA")->valueNames(), (std::vector<std::string>{"Zeta", "alpha"}));

  EXPECT_FALSE(section->createValue("alpha"));
  EXPECT_TRUE(section->createValue("beta"));
  EXPECT_TRUE(read(section, "beta").isEmpty());
  EXPECT_TRUE(section->deleteValue("ALPHA"));
  EXPECT_FALSE(section->deleteValue("alpha"));
  CKtVariant untouched(5);
  EXPECT_FALSE(section->readValue("alpha", untouched));
  EXPECT_EQ(untouched, CKtVariant(5));
}

TEST(ProfileStore, RefusesNamesItCannotKeep)
{
  ProfileStore store;
  IProfileSection* section = store.openSection("s", true);
  const std::string longest(ProfileSection::kMaxNameLength, 'n');
  const std::string tooLong(ProfileSection::kMaxNameLength + 1, 'n');
  for (const char* bad : {static_cast<const char*>(nullptr), "", tooLong.c_str()})
  {
    EXPECT_EQ(store.openSection(bad, true), nullptr);
    EXPECT_FALSE(section->writeValue(bad, CKtVariant(1)));
    EXPECT_FALSE(section->createValue(bad));
    CKtVariant value;
    EXPECT_FALSE(section->readValue(bad, value));
  }
  EXPECT_TRUE(section->writeValue(longest.c_str(), CKtVariant(1)));
  EXPECT_EQ(static_cast<ProfileSection*>(section)->sectionNames().size() + store.root().sectionNames().size(), 1u);

  // Nesting stops at a fixed depth instead of growing without end.
  IProfileSection* deepest = section;
  int depth = 1;
  while (IProfileSection* next = deepest->openSection("d", true))
    deepest = next, ++depth;
  EXPECT_GE(depth, 8);
  EXPECT_LT(depth, 100);
}

TEST(ProfileStore, LoadsWhatItCanFromACorruptFile)
{
  ProfileStore store;
  const int skipped = store.parse("\xEF\xBB\xBF"
                                  "garbage before any section\n"
                                  "[good]\r\n"
                                  "a=i:1\r\n"
                                  "b=i:99999999999\n"   // out of range
                                  "c=i:12x\n"           // trailing junk
                                  "d=r:nan\n"           // not finite
                                  "e=q:1\n"             // unknown kind
                                  "f=s:ends in \\\n"    // lone backslash
                                  "=i:1\n"              // no name
                                  "g\n"                 // no value
                                  "h=e:x\n"             // empty with data
                                  "i=r:-2.5e3\n"
                                  "[bad\n"              // unclosed header
                                  "lost=i:1\n"          // under the bad header
                                  "[a//b]\n"            // empty part
                                  "lost=i:2\n"
                                  "[good/sub]\n"
                                  "j=s:\xFF\xFE text\n" // bytes that are no UTF-8
                                  "k=i:4");              // cut off: no newline
  EXPECT_EQ(skipped, 14);
  const ProfileSection* good = store.root().section("good");
  ASSERT_NE(good, nullptr);
  EXPECT_EQ(good->valueNames(), (std::vector<std::string>{"a", "i"}));
  CKtVariant value;
  EXPECT_TRUE(good->readValue("i", value));
  EXPECT_EQ(value.asReal(), -2500.0);
  EXPECT_EQ(store.root().sectionNames(), (std::vector<std::string>{"good"}));
  const ProfileSection* sub = good->section("sub");
  ASSERT_NE(sub, nullptr);
  EXPECT_TRUE(sub->readValue("j", value));
  EXPECT_EQ(value.asText().right(5), L" text");
  EXPECT_FALSE(sub->readValue("k", value));
}

TEST(ProfileStore, SurvivesArbitraryBytes)
{
  // Every byte value, in lines of every shape: nothing may crash or hang.
  std::string noise;
  unsigned seed = 12345;
  for (int i = 0; i < 200000; ++i)
  {
    seed = seed * 1103515245u + 12345u;
    const char pick = char((seed >> 16) & 0xFF);
    noise += (seed >> 8) % 7 == 0 ? "\n["[(seed >> 4) & 1] : pick;
  }
  ProfileStore store;
  store.parse(noise);
  ProfileStore again;
  again.parse(store.serialize());
  EXPECT_EQ(again.serialize(), store.serialize());
}

TEST(ProfileStore, MissingOrOversizedFilesStartEmptyAndKeepSectionsValid)
{
  TempDir dir;
  ProfileStore store;
  IProfileSection* section = store.openSection("cmddata", true);
  section->writeValue("x", CKtVariant(1));

  auto result = store.load(dir.od("missing.txt"));
  EXPECT_FALSE(result.fileRead);
  CKtVariant value;
  EXPECT_FALSE(section->readValue("x", value)); // the pointer is still good

  TempDir::write(dir / "big.txt", "[s]\n" + std::string(ProfileStore::kMaxFileSize, '#') + "\n");
  result = store.load(dir.od("big.txt"));
  EXPECT_FALSE(result.fileRead);
  EXPECT_EQ(store.root().section("s"), nullptr);

  // A folder under the profile's name is no profile either.
  result = store.load(dir.od(""));
  EXPECT_FALSE(result.fileRead);
}

TEST(ProfileStore, SaveReplacesTheFileWholeOrNotAtAll)
{
  TempDir dir;
  const OdString path = dir.od("profile.txt");
  ProfileStore first;
  first.openSection("s", true)->writeValue("v", CKtVariant(1));
  ASSERT_TRUE(first.save(path));
  ProfileStore second;
  second.openSection("s", true)->writeValue("v", CKtVariant(2));
  ASSERT_TRUE(second.save(path)); // over an existing file
  EXPECT_EQ(TempDir::read(dir / "profile.txt"), second.serialize());
  EXPECT_FALSE(std::filesystem::exists(dir / "profile.txt.tmp"));

  // A folder where the temporary file would go makes the save fail; the
  // old file stays as it was.
  std::filesystem::create_directories(dir / "profile.txt.tmp");
  EXPECT_FALSE(first.save(path));
  EXPECT_EQ(TempDir::read(dir / "profile.txt"), second.serialize());
  EXPECT_FALSE(first.save(dir.od("no such folder/profile.txt")));
  EXPECT_FALSE(first.save(OdString()));
}
