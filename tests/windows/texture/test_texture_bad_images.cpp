// Image files a user may pick for a map that cannot be shown as they are: a
// damaged one, one of a kind no loader reads, a TIFF whose colours lie in
// separate planes, one found nowhere. The map takes the file (the row
// browses for any image), the preview says why it shows nothing or shows
// the picture, and the host goes on: no crash, no hang, no message box.
#include "PaletteRun.h"

#include <cstdint>
#include <tuple>

using namespace palettetest;

namespace
{
void put16(std::string& bytes, std::uint16_t v)
{
  bytes += char(v & 0xFF);
  bytes += char(v >> 8);
}

void put32(std::string& bytes, std::uint32_t v)
{
  put16(bytes, std::uint16_t(v & 0xFFFF));
  put16(bytes, std::uint16_t(v >> 16));
}

// A 16 x 16 RGB TIFF of one colour, little-endian, with its red, green and
// blue planes stored one after another (planar configuration 2), a layout
// most pictures do not use.
std::string planarTiff(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
  constexpr std::uint32_t kSide = 16, kPlane = kSide * kSide;
  const std::uint8_t value[3] = {r, g, b};
  std::string bytes = "II";
  put16(bytes, 42);
  put32(bytes, 8); // the directory follows the header
  struct Entry
  {
    std::uint16_t tag, type;
    std::uint32_t count, value;
  };
  constexpr std::uint32_t kEntries = 11;
  const std::uint32_t directoryEnd = 8 + 2 + kEntries * 12 + 4;
  const std::uint32_t bits = directoryEnd, offsets = bits + 6, counts = offsets + 12, data = counts + 12;
  const Entry entries[kEntries] = {
    {256, 3, 1, kSide},  {257, 3, 1, kSide},   {258, 3, 3, bits}, {259, 3, 1, 1}, // no compression
    {262, 3, 1, 2},      {273, 4, 3, offsets}, {277, 3, 1, 3},    {278, 3, 1, kSide},
    {279, 4, 3, counts}, {284, 3, 1, 2},       {339, 3, 1, 1}, // planar, unsigned samples
  };
  put16(bytes, kEntries);
  for (const Entry& e : entries)
  {
    put16(bytes, e.tag);
    put16(bytes, e.type);
    put32(bytes, e.count);
    if (e.type == 3 && e.count == 1)
    {
      put16(bytes, std::uint16_t(e.value));
      put16(bytes, 0);
    }
    else
      put32(bytes, e.value);
  }
  put32(bytes, 0); // no next directory
  for (int i = 0; i < 3; ++i)
    put16(bytes, 8);
  for (std::uint32_t i = 0; i < 3; ++i)
    put32(bytes, data + i * kPlane);
  for (int i = 0; i < 3; ++i)
    put32(bytes, kPlane);
  for (int plane = 0; plane < 3; ++plane)
    bytes.append(kPlane, char(value[plane]));
  return bytes;
}

// A TGA header and a few pixels: a real picture format that no loader of
// the browse filter reads.
std::string targa()
{
  std::string bytes(18, '\0');
  bytes[2] = 2;                 // uncompressed true colour
  bytes[12] = 4, bytes[14] = 4; // 4 x 4
  bytes[16] = 24;
  bytes.append(4 * 4 * 3, char(0x80));
  return bytes;
}

std::string pngSignatureThenNoise()
{
  std::string bytes = "\x89PNG\r\n\x1a\n";
  for (int i = 0; i < 300; ++i)
    bytes += char((i * 37) & 0xFF);
  return bytes;
}

// The lines that choose the file through the image row's button.
std::vector<std::string> browseTo(const std::string& path, const std::string& dump)
{
  return {"ANSWER FILE '" + path + "'", on("CLICK", "ROW \"Image.Browse image\""), "KEY ENTER", "DUMP " + dump};
}
} // namespace

TEST(TextureEditorBadImages, DamagedUnreadableOddAndMissingFilesLeaveAWorkingEditorThatSaysWhy)
{
  HostHarness host;
  host.writeFile(L"damaged.png", pngSignatureThenNoise());
  host.writeFile(L"picture.tga", targa());
  host.writeFile(L"planar.tif", planarTiff(200, 30, 30));
  host.writeFile(L"empty.jpg", "");
  const std::string dir = scriptPath(host.file(L""));
  const std::wstring file =
    drawing(host, "MATERIAL Steel MAP FILE '" + std::string(HOST_TEST_FIXTURES) + "/images/quad.png'\n");
  const HostRun run =
    host.run(std::vector<std::string>{"MATBROWSEROPEN"} + openTexture("Steel") +
               browseTo(dir + "damaged.png", "{dir}/damaged.json") + browseTo(dir + "picture.tga", "{dir}/tga.json") +
               browseTo(dir + "empty.jpg", "{dir}/empty.json") + browseTo(dir + "planar.tif", "{dir}/planar.json") +
               browseTo("C:/nowhere/at/all.png", "{dir}/nowhere.json") +
               // Still working: another row writes as ever.
               typeInto("Position.X", "3") + std::vector<std::string>{"DUMP {dump}", "QUIT"},
             {file});
  ASSERT_EQ(run.exitCode, 0) << run.errors;

  for (const wchar_t* name : {L"damaged.json", L"tga.json", L"empty.json"})
  {
    const JsonValue dump = dumpOf(host, name);
    const JsonValue& preview = texturePane(dump)["mapPreview"];
    EXPECT_EQ(preview["state"].asNumber(), 0) << "nothing to show for the picture of " << name;
    EXPECT_TRUE(textureShown(dump));
    EXPECT_EQ(dump["messages"].size(), 0u);
    // The reason is written where the picture would be: not the bare background.
    const Rgb mean = colour(preview["picture"]["mean"]), background = colour(dump["theme"]["background"]);
    EXPECT_NE(std::make_tuple(mean.r, mean.g, mean.b), std::make_tuple(background.r, background.g, background.b))
      << name;
  }
  EXPECT_NE(diffuseMap(dumpOf(host, L"tga.json"), "Steel")["file"].asString().find("picture.tga"), std::string::npos)
    << "the row takes the file the user chose";

  // Separate planes: either read as the one colour, or said to be unreadable.
  const JsonValue planar = dumpOf(host, L"planar.json");
  const JsonValue& odd = texturePane(planar)["mapPreview"];
  if (odd["state"].asNumber() == 1)
  {
    const Rgb centre = colour(odd["picture"]["centre"]);
    EXPECT_GT(centre.r, 150) << odd["picture"]["centre"].asString();
    EXPECT_LT(centre.g, 80);
    EXPECT_LT(centre.b, 80);
  }
  else
    EXPECT_EQ(odd["state"].asNumber(), 0);

  const JsonValue nowhere = dumpOf(host, L"nowhere.json");
  EXPECT_EQ(texturePane(nowhere)["mapPreview"]["state"].asNumber(), 2);
  EXPECT_TRUE(diffuseMap(nowhere, "Steel")["found"].isNull());

  const JsonValue dump = run.dump();
  EXPECT_NEAR(diffuseMap(dump, "Steel")["offset"][0].asNumber(), 3, 1e-9);
  EXPECT_EQ(dump["messages"].size(), 0u);
}
