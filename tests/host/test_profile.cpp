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
  EXPECT_EQ(result.status, ProfileStore::LoadResult::Status::Read);
  EXPECT_EQ(result.linesKept, 0);
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

TEST(ProfileStore, ReadsWhatItCanAndKeepsEveryOtherLineInItsPlace)
{
  // Every kind of line the reader cannot use, between lines it can.
  const std::string tooLongName(ProfileSection::kMaxNameLength + 1, 'n');
  std::string deep = "[d";
  for (int i = 0; i < 40; ++i)
    deep += "/d";
  deep += "]";
  const std::string file = "\xEF\xBB\xBF"
                           "# materialeditor host profile 1\n"
                           "value before any section=i:1\n"
                           "\n"
                           "[good]\n"
                           "a=i:1\n"
                           "b=i:99999999999\n"   // beyond 32 bits
                           "c=i:12x\n"           // trailing junk
                           "d=r:inf\n"           // not finite
                           "e=q:1\n"             // unknown kind
                           "f=s:ends in \\\n"    // bad escape
                           "=i:1\n"              // no name
                           "g\n"                 // no value
                           "h=e:x\n"             // empty with data
                           "i=r:-2.5e3\n"
                           "  # indented comment-like line\n" +
                           tooLongName + "=i:3\n"
                           "a=i:5\n"             // the same name again: this one counts
                           "[bad\n"              // unclosed header
                           "lost=i:1\n"          // under the bad header
                           "[a//b]\n"            // empty part
                           "lost=i:2\n" +
                           deep + "\n"           // nested too deeply
                           "x=i:1\n"
                           "[good/sub]\n"
                           "j=s:caf\xC3\xA9\n"
                           "k=i:4";              // no line end, as editors save it: still a value
  ProfileStore store;
  const auto result = store.parse(file);
  EXPECT_EQ(result.status, ProfileStore::LoadResult::Status::Read);
  EXPECT_EQ(result.linesKept, 18);

  const ProfileSection* good = store.root().section("good");
  ASSERT_NE(good, nullptr);
  EXPECT_EQ(good->valueNames(), (std::vector<std::string>{"a", "i"}));
  CKtVariant value;
  EXPECT_TRUE(good->readValue("a", value));
  EXPECT_EQ(value, CKtVariant(5));
  EXPECT_TRUE(good->readValue("i", value));
  EXPECT_EQ(value.asReal(), -2500.0);
  EXPECT_EQ(store.root().sectionNames(), (std::vector<std::string>{"good"}));
  const ProfileSection* sub = good->section("sub");
  ASSERT_NE(sub, nullptr);
  EXPECT_TRUE(sub->readValue("j", value));
  EXPECT_EQ(value.asText(), L"caf\u00e9");
  EXPECT_TRUE(sub->readValue("k", value));
  EXPECT_EQ(value, CKtVariant(4));

  // Written back unchanged: every line as it was, the last one still open.
  EXPECT_EQ(store.serialize(), file);
  // Something after it ends it.
  store.openSection("later", true)->writeValue("x", CKtVariant(1));
  EXPECT_EQ(store.serialize().substr(0, file.size() + 1), file + "\n");
}

TEST(ProfileStore, WrittenValuesTakeThePlaceOfLinesOfTheirName)
{
  ProfileStore store;
  store.parse("# mine\n"
              "[cmddata/MaterialEditor]\n"
              "SampleObject=i:99999999999\n" // unreadable: the module will write it
              "BrowserView=i:1\n"
              "junk line\n"
              "\n"
              "# about the next section\n"
              "[Startup]\n"
              "MATBROWSEROPEN=e:\n"
              "[cmddata/MaterialEditor]\n"
              "Later=i:007\n");
  IProfileSection* editor = store.openSection("cmddata", false)->openSection("MaterialEditor", false);
  ASSERT_NE(editor, nullptr);
  CKtVariant value;
  EXPECT_FALSE(editor->readValue("SampleObject", value));
  EXPECT_TRUE(editor->readValue("Later", value));
  EXPECT_EQ(value, CKtVariant(7));

  editor->writeValue("sampleobject", CKtVariant(4)); // takes the unreadable line's place
  editor->writeValue("BrowserView", CKtVariant(1));  // unchanged: its line stays as it is
  editor->writeValue("Later", CKtVariant(7));        // the same: "007" stays
  editor->writeValue("ExtendedRegime", CKtVariant(1)); // new: after the section's entries
  store.openSection("Startup", false)->deleteValue("MATBROWSEROPEN");
  store.openSection("New", true)->writeValue("v", CKtVariant(L"x"));
  store.openSection("Empty", true);

  EXPECT_EQ(store.serialize(), "# mine\n"
                               "[cmddata/MaterialEditor]\n"
                               "sampleobject=i:4\n"
                               "BrowserView=i:1\n"
                               "junk line\n"
                               "ExtendedRegime=i:1\n"
                               "\n"
                               "# about the next section\n"
                               "[Startup]\n"
                               "[cmddata/MaterialEditor]\n"
                               "Later=i:007\n"
                               "[New]\n"
                               "v=s:x\n"
                               "[Empty]\n");
}

TEST(ProfileStore, LinesEndWithLfCrlfOrCr)
{
  for (const char* end : {"\n", "\r\n", "\r"})
  {
    const std::string e = end;
    ProfileStore store;
    const auto result = store.parse("[s]" + e + "a=i:1" + e + "b=s:x" + e + e + "[t]" + e + "c=i:3" + e);
    EXPECT_EQ(result.status, ProfileStore::LoadResult::Status::Read);
    EXPECT_EQ(result.linesKept, 0);
    CKtVariant value;
    EXPECT_TRUE(store.root().section("s")->readValue("b", value)) << "line end " << int(end[0]);
    EXPECT_EQ(value.asText(), L"x");
    EXPECT_TRUE(store.root().section("t")->readValue("c", value));
    // Written back with its own line ends, new lines too.
    store.openSection("t", false)->writeValue("d", CKtVariant(4));
    EXPECT_EQ(store.serialize(), "[s]" + e + "a=i:1" + e + "b=s:x" + e + e + "[t]" + e + "c=i:3" + e + "d=i:4" + e);
  }
}

TEST(ProfileStore, AFileThatIsNoProfileIsNotRead)
{
  using Status = ProfileStore::LoadResult::Status;
  const std::string drawing = "# a drawing\nMATERIAL Steel DIFFUSE 10,20,30\nBOX MATERIAL Steel\n";
  const std::string binary("MZ\x90\0\x03\0\0\0[s]\na=i:1\n", 18);
  const std::string latin1 = "[s]\na=s:M\xFC" "ller\n";
  const std::string overlong = "[s]\na=s:\xC0\xAF\n";
  for (const std::string& text : {drawing, binary, latin1, overlong})
  {
    ProfileStore store;
    store.openSection("kept", true)->writeValue("x", CKtVariant(1));
    const auto result = store.parse(text);
    EXPECT_EQ(result.status, Status::NotAProfile) << text;
    EXPECT_FALSE(result.reason.isEmpty());
    EXPECT_FALSE(result.mayWrite());
    EXPECT_EQ(store.root().section("s"), nullptr);
    CKtVariant value;
    EXPECT_FALSE(store.root().section("kept")->readValue("x", value)) << "nothing of before is left either";
  }
  // Comments and blank lines alone are an empty profile, as is nothing.
  for (const std::string& text : {std::string("# materialeditor host profile 1\n\n"), std::string()})
  {
    ProfileStore store;
    EXPECT_EQ(store.parse(text).status, Status::Read);
  }
}

TEST(ProfileStore, SurvivesArbitraryLines)
{
  // Text of every printable shape in lines of every length: nothing may
  // crash or hang, and a second round changes nothing.
  std::string noise = "[s]\n";
  unsigned seed = 12345;
  for (int i = 0; i < 200000; ++i)
  {
    seed = seed * 1103515245u + 12345u;
    const char pick = char(0x20 + (seed >> 16) % 0x5F);
    noise += (seed >> 8) % 7 == 0 ? "\n[\r"[(seed >> 4) % 3] : pick;
  }
  ProfileStore store;
  EXPECT_EQ(store.parse(noise).status, ProfileStore::LoadResult::Status::Read);
  ProfileStore again;
  again.parse(store.serialize());
  EXPECT_EQ(again.serialize(), store.serialize());
}

TEST(ProfileStore, MissingOversizedAndUnreadableFilesStartEmptyAndKeepSectionsValid)
{
  using Status = ProfileStore::LoadResult::Status;
  TempDir dir;
  ProfileStore store;
  IProfileSection* section = store.openSection("cmddata", true);
  section->writeValue("x", CKtVariant(1));

  auto result = store.load(dir.od("missing.txt"));
  EXPECT_EQ(result.status, Status::Missing);
  EXPECT_TRUE(result.mayWrite());
  CKtVariant value;
  EXPECT_FALSE(section->readValue("x", value)); // the pointer is still good

  TempDir::write(dir / "big.txt", "[s]\n" + std::string(ProfileStore::kMaxFileSize, '#') + "\n");
  result = store.load(dir.od("big.txt"));
  EXPECT_EQ(result.status, Status::NotAProfile);
  EXPECT_FALSE(result.mayWrite());
  EXPECT_EQ(store.root().section("s"), nullptr);

  // A folder under the profile's name is not read, nor later written over.
  result = store.load(dir.od(""));
  EXPECT_EQ(result.status, Status::Unreadable);
  EXPECT_FALSE(result.mayWrite());
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
  // A file of the user's under the name a naive writer would use for its
  // temporary file is not touched.
  TempDir::write(dir / "profile.txt.tmp", "mine");
  ASSERT_TRUE(second.save(path)); // over an existing file
  EXPECT_EQ(TempDir::read(dir / "profile.txt"), second.serialize());
  EXPECT_EQ(TempDir::read(dir / "profile.txt.tmp"), "mine");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 2)
    << "no temporary file is left behind";

  OdString error;
  EXPECT_FALSE(first.save(dir.od("no such folder/profile.txt"), &error));
  EXPECT_NE(error.find(L"no such folder"), -1) << error;
  EXPECT_FALSE(first.save(OdString()));
}

// As many editors save a file: no line end after the last line.
TEST(ProfileStore, AHandEditedLastLineWithoutItsEndIsAValue)
{
  const std::string file = "[cmddata/MaterialEditor]\nBrowserImageSize=i:128";
  ProfileStore store;
  EXPECT_EQ(store.parse(file).linesKept, 0);
  IProfileSection* editor = store.openSection("cmddata", false)->openSection("MaterialEditor", false);
  ASSERT_NE(editor, nullptr);
  CKtVariant value;
  ASSERT_TRUE(editor->readValue("BrowserImageSize", value));
  EXPECT_EQ(value, CKtVariant(128));
  editor->writeValue("BrowserImageSize", CKtVariant(128));
  EXPECT_EQ(store.serialize(), file) << "an unchanged value is written back as it was read";
  editor->writeValue("BrowserImageSize", CKtVariant(64));
  EXPECT_EQ(store.serialize(), "[cmddata/MaterialEditor]\nBrowserImageSize=i:64");
  // A last line that reads as no value is still kept as it is.
  EXPECT_EQ(store.parse("[a]\nb=i:12x").linesKept, 1);
}
