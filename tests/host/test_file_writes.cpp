// Files written whole or not at all: through links, never over what is no
// file, and into a file system that is full.
#include "SmallTmpfs.h"
#include "TempDir.h"
#include "host/FileSystem.h"
#include "od_print.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using host::writeFileAtomically;

namespace
{
std::size_t entries(const fs::path& folder)
{
  return std::size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}
} // namespace

TEST(FileWrites, NothingButAFileIsWrittenOver)
{
  TempDir dir;
  fs::create_directories(dir / "folder");
  TempDir::write(dir / "folder" / "inside", "x");
  OdString error;
  EXPECT_FALSE(writeFileAtomically(dir.od("folder"), "new", &error));
  EXPECT_NE(error.find(L"not a regular file"), -1) << error;
  EXPECT_TRUE(fs::is_directory(dir / "folder"));
  EXPECT_EQ(TempDir::read(dir / "folder" / "inside"), "x");
  EXPECT_EQ(entries(dir.path()), 1u) << "no temporary file is left behind";

  EXPECT_FALSE(writeFileAtomically(dir.od("folder/"), "new", &error)) << "a path that names no file";
  EXPECT_FALSE(writeFileAtomically(OdString(std::wstring(L"a\0b", 3)), "new", &error));
}

// Read-only as Windows marks it and as Wine maps a file no one may write.
TEST(FileWrites, AReadOnlyFileIsLeftAsItIsAndSaysWhy)
{
  TempDir dir;
  TempDir::write(dir / "profile.txt", "old");
  fs::permissions(dir / "profile.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const fs::perms before = fs::status(dir / "profile.txt").permissions();
  OdString error;
  EXPECT_FALSE(writeFileAtomically(dir.od("profile.txt"), "new", &error));
  EXPECT_NE(error.find(L"read-only"), -1) << error;
  EXPECT_EQ(TempDir::read(dir / "profile.txt"), "old");
  EXPECT_EQ(fs::status(dir / "profile.txt").permissions(), before) << "still read-only";
  EXPECT_EQ(entries(dir.path()), 1u) << "no temporary file is left behind";
  fs::permissions(dir / "profile.txt", fs::perms::owner_write, fs::perm_options::add);
}

#ifndef _WIN32
TEST(FileWrites, OnlyTheOwnersPermissionsStayOnlyTheOwners)
{
  TempDir dir;
  TempDir::write(dir / "profile.txt", "old");
  fs::permissions(dir / "profile.txt", fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(writeFileAtomically(dir.od("profile.txt"), "new"));
  EXPECT_EQ(TempDir::read(dir / "profile.txt"), "new");
  EXPECT_EQ(fs::status(dir / "profile.txt").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
}

TEST(FileWrites, LinksAreFollowedAndKept)
{
  TempDir dir;
  TempDir::write(dir / "real" / "profile.txt", "old");
  fs::permissions(dir / "real" / "profile.txt", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("real/profile.txt", dir / "link");
  fs::create_symlink("link", dir / "link to link");

  ASSERT_TRUE(writeFileAtomically(dir.od("link to link"), "new"));
  EXPECT_TRUE(fs::is_symlink(dir / "link to link"));
  EXPECT_TRUE(fs::is_symlink(dir / "link"));
  EXPECT_EQ(TempDir::read(dir / "real" / "profile.txt"), "new");
  EXPECT_EQ(fs::status(dir / "real" / "profile.txt").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write)
    << "the file keeps its permissions";
  EXPECT_EQ(entries(dir / "real"), 1u);

  // A link to nothing yet: the file is made where it points.
  fs::create_symlink("real/new.txt", dir / "dangling");
  ASSERT_TRUE(writeFileAtomically(dir.od("dangling"), "made"));
  EXPECT_TRUE(fs::is_symlink(dir / "dangling"));
  EXPECT_EQ(TempDir::read(dir / "real" / "new.txt"), "made");

  // Links that go round end with a message.
  fs::create_symlink("loop b", dir / "loop a");
  fs::create_symlink("loop a", dir / "loop b");
  OdString error;
  EXPECT_FALSE(writeFileAtomically(dir.od("loop a"), "x", &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_TRUE(fs::is_symlink(dir / "loop a"));
}

TEST(FileWrites, AFullFileSystemLeavesTheOldFile)
{
  SmallTmpfs disk;
  if (!disk.mounted())
    GTEST_SKIP() << disk.why();
  TempDir::write(disk.dir() / "profile.txt", "the old settings\n");
  ASSERT_TRUE(disk.fill());

  OdString error;
  EXPECT_FALSE(writeFileAtomically(disk.dir().od("profile.txt"), std::string(200000, 'n'), &error));
  EXPECT_NE(error.find(L"No space left on device"), -1) << error;
  EXPECT_EQ(TempDir::read(disk.dir() / "profile.txt"), "the old settings\n");
  EXPECT_EQ(entries(disk.dir().path()), 2u) << "the temporary file is gone again";
}
#endif
