#include "TempDir.h"
#include "host/AppServices.h"
#include "host/Translations.h"
#include "od_print.h"

#include <gtest/gtest.h>

TEST(Translations, TranslatesKnownTextsAndKeepsEveryAnswerValid)
{
  host::Translations translations;
  translations.set(L"Global", L"Global (de)");

  const wchar_t* global = translations.translate(L"Global");
  EXPECT_STREQ(global, L"Global (de)");
  EXPECT_STREQ(translations.translate(L"global"), L"global"); // exact texts only

  // An unknown text comes back unchanged, in storage of its own: the
  // caller's buffer may go away.
  std::wstring buffer = L"Sphere";
  const wchar_t* sphere = translations.translate(buffer.c_str());
  buffer.assign(100, L'x');
  EXPECT_STREQ(sphere, L"Sphere");
  EXPECT_STREQ(translations.translate(nullptr), L"");

  // Replacing a translation, and many more texts, leave earlier answers intact.
  translations.set(L"Global", L"Global (fr)");
  for (int i = 0; i < 2000; ++i)
    translations.translate(OdString::format(L"text %d", i).c_str());
  EXPECT_STREQ(global, L"Global (de)");
  EXPECT_STREQ(sphere, L"Sphere");
  EXPECT_STREQ(translations.translate(L"Global"), L"Global (fr)");
}

class TextureSearch : public ::testing::Test
{
protected:
  void SetUp() override
  {
    for (const char* file : {"drawing/wood.jpg", "first/wood.jpg", "first/only_first.png", "second/wood.jpg",
                             "second/only_second.png", "second/both.bmp", "third/both.bmp"})
      TempDir::write(dir / file, "image");
    std::filesystem::create_directories(dir / "first" / "folder.jpg");
    database = odCreateDatabase();
    database->setDatabaseFileName(dir.od("drawing/house.dwg"));
    services.addSearchPath(dir.od("first"));
    services.addSearchPath(dir.od("second"));
    services.addSearchPath(dir.od("third"));
  }

  OdString find(const OdString& name, OdDbDatabase* db) { return services.findFile(name, db, kHostFindTextureMap); }

  TempDir dir;
  OdDbDatabasePtr database;
  host::AppServices services;
};

TEST_F(TextureSearch, LooksInTheDrawingsFolderThenTheSearchPathsInOrder)
{
  EXPECT_EQ(find(L"wood.jpg", database.get()), dir.od("drawing/wood.jpg"));
  EXPECT_EQ(find(L"wood.jpg", nullptr), dir.od("first/wood.jpg"));
  EXPECT_EQ(find(L"only_second.png", database.get()), dir.od("second/only_second.png"));
  EXPECT_EQ(find(L"both.bmp", database.get()), dir.od("second/both.bmp"));
  EXPECT_EQ(find(L"absent.png", database.get()), L"");
  EXPECT_EQ(find(L"", database.get()), L"");
  EXPECT_EQ(find(L"folder.jpg", database.get()), L""); // a folder is no image
  EXPECT_EQ(find(L"first", database.get()), L"");
}

TEST_F(TextureSearch, TakesAnExistingFullPathAsGivenElseItsFileName)
{
  const OdString full = dir.od("third/both.bmp");
  EXPECT_EQ(find(full, database.get()), full);
  // Moved since the drawing was saved, perhaps on another system.
  EXPECT_EQ(find(L"C:\\old maps\\only_first.png", database.get()), dir.od("first/only_first.png"));
  EXPECT_EQ(find(dir.od("gone/only_second.png"), database.get()), dir.od("second/only_second.png"));
  EXPECT_EQ(find(L"maps/../only_first.png", nullptr), dir.od("first/only_first.png"));
  EXPECT_EQ(find(L"maps/..", nullptr), L"");
  // A NUL would cut the name short at the system call.
  EXPECT_EQ(find(OdString(std::wstring(L"wood.jpg\0.exe", 13)), database.get()), L"");
}

TEST_F(TextureSearch, ARelativePathIsTheDrawingsOwnBeforeItsNameIsLookedForElsewhere)
{
  TempDir::write(dir / "drawing" / "maps" / "only_first.png", "image");
  EXPECT_EQ(find(L"maps/only_first.png", database.get()), dir.od("drawing/maps/only_first.png"));
  EXPECT_EQ(find(L"maps/only_first.png", nullptr), dir.od("first/only_first.png")) << "no drawing: the name alone";
  EXPECT_EQ(find(L"other/only_first.png", database.get()), dir.od("first/only_first.png"));
}

TEST_F(TextureSearch, TextureFoldersComeBeforeTheSearchPathsAndOnlyForTextureMaps)
{
  TempDir::write(dir / "textures a" / "only_textures.png", "image");
  TempDir::write(dir / "textures b" / "wood.jpg", "image");
  services.addTextureFolders(L" " + dir.od("textures a") + L" ;;" + dir.od("textures b") + L";");
  EXPECT_EQ(services.textureFolders().size(), 2u) << "blanks and empty entries are no folders";
  EXPECT_EQ(services.textureFolders()[0], dir.od("textures a"));

  EXPECT_EQ(find(L"only_textures.png", nullptr), dir.od("textures a/only_textures.png"));
  EXPECT_EQ(find(L"wood.jpg", nullptr), dir.od("textures b/wood.jpg")) << "before the general search paths";
  EXPECT_EQ(find(L"wood.jpg", database.get()), dir.od("drawing/wood.jpg")) << "the drawing's own folder comes first";
  EXPECT_EQ(find(L"only_second.png", nullptr), dir.od("second/only_second.png")) << "then the search paths";
  EXPECT_EQ(services.findFile(L"only_textures.png", nullptr, kHostFindDefault), L"") << "other kinds do not look there";
}
