// material-render as a user runs it: a PNG written whole or not at all, and
// the exit status says which.
#include "SmallTmpfs.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace
{
struct ToolRun
{
  int exitCode = -1;
  std::string errors;
};

std::string quoted(const std::string& text) { return "'" + text + "'"; }

ToolRun render(const TempDir& scratch, const fs::path& out, const std::string& options = "--size 64")
{
  const fs::path errors = scratch / "stderr.txt";
  const std::string command =
    quoted(MATERIAL_RENDER) + " " + options + " --out " + quoted(out.string()) + " 2> " + quoted(errors.string());
  const int status = std::system(command.c_str());
  ToolRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.errors = TempDir::read(errors);
  return run;
}
} // namespace

TEST(MaterialRender, AFullDiskFailsAndLeavesTheOldPicture)
{
  SmallTmpfs disk;
  if (!disk.mounted())
    GTEST_SKIP() << disk.why();
  TempDir scratch;
  const fs::path png = disk.dir() / "sphere.png";
  ToolRun run = render(scratch, png, "--size 32");
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const std::string old = TempDir::read(png);
  ASSERT_TRUE(disk.fill());

  run = render(scratch, png, "--size 400 --map marble");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.errors.find("No space left on device"), std::string::npos) << run.errors;
  EXPECT_EQ(TempDir::read(png), old);
  EXPECT_EQ(std::distance(fs::directory_iterator(disk.dir().path()), fs::directory_iterator()), 2)
    << "no temporary file is left behind";
}

TEST(MaterialRender, WritesThroughALinkAndNeverOverAFolder)
{
  TempDir dir;
  fs::create_directories(dir / "pictures");
  fs::create_symlink("pictures/latest.png", dir / "latest.png");
  ToolRun run = render(dir, dir / "latest.png");
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_TRUE(fs::is_symlink(dir / "latest.png"));
  EXPECT_EQ(TempDir::read(dir / "pictures" / "latest.png").substr(0, 8), "\x89PNG\r\n\x1A\n");

  run = render(dir, dir / "pictures");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.errors.find("not a regular file"), std::string::npos) << run.errors;
  EXPECT_TRUE(fs::is_directory(dir / "pictures"));

  run = render(dir, dir / "no folder" / "x.png");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.errors.find("cannot write"), std::string::npos) << run.errors;
}
