// material-render as a user runs it: a PNG written whole or not at all, and
// the exit status says which.
#include "SmallTmpfs.h"
#include "TempDir.h"
#include "od/GiImageFile.h"

#include <gtest/gtest.h>

#include <algorithm>
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

namespace
{
// The width of what differs from the black background, as a share of the
// picture's.
double silhouetteWidth(const fs::path& png)
{
  const OdGiImageLoadResult loaded = odgiLoadImageFile(TempDir::toOd(png));
  if (!loaded.image)
    return -1;
  const OdGsDecodedImage& image = *loaded.image;
  OdUInt32 left = image.width, right = 0;
  for (OdUInt32 y = 0; y < image.height; ++y)
    for (OdUInt32 x = 0; x < image.width; ++x)
    {
      const OdUInt8* p = &image.rgba[(std::size_t(y) * image.width + x) * 4];
      if (p[0] + p[1] + p[2] > 24)
        left = std::min(left, x), right = std::max(right, x);
    }
  return right < left ? 0 : double(right - left + 1) / image.width;
}
} // namespace

TEST(MaterialRender, FramesTheSampleByItsBoxAsThePreviewDoes)
{
  // Sphere and cube share one box, so the preview shows the sphere smaller
  // than the cube; framing each by its own vertices blew the sphere (and the
  // torus) up to fill the picture.
  TempDir dir;
  const std::string look = "--size 96 --background 0,0,0 --diffuse 255,255,255 --ambient 255,255,255 ";
  ASSERT_EQ(render(dir, dir / "cube.png", look + "--sample cube").exitCode, 0);
  ASSERT_EQ(render(dir, dir / "sphere.png", look + "--sample sphere").exitCode, 0);
  const double cube = silhouetteWidth(dir / "cube.png"), sphere = silhouetteWidth(dir / "sphere.png");
  EXPECT_GT(cube, 0.6);
  EXPECT_GT(sphere, 0.4);
  EXPECT_LT(sphere, cube * 0.9) << "the sphere is framed by the box it shares with the cube: cube " << cube
                                << ", sphere " << sphere;
}
