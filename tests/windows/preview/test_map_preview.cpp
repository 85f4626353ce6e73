// The Texture editor's map preview as a real static control: the picture in
// the centred square on the host's background, a resize painted at once,
// the texts of a missing file and of a procedural texture, and a refresh
// that never leaves the old bitmap behind.
#include "MeUiMaterialMapPreview.h"
#include "TestHost.h"

#include "common/MessagePump.h"
#include "common/TempDir.h"

#include "win32/Dc.h"
#include "win32/Handles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace
{
const std::filesystem::path kImages = std::filesystem::path(ME_TEST_FIXTURES) / "images";
constexpr COLORREF kBackground = RGB(40, 60, 80);

// The fixture's quadrants, as make.sh draws them.
bool isRed(COLORREF c) { return GetRValue(c) > 150 && GetGValue(c) < 80 && GetBValue(c) < 80; }
bool isGreen(COLORREF c) { return GetGValue(c) > 150 && GetRValue(c) < 80 && GetBValue(c) < 80; }
bool isBlue(COLORREF c) { return GetBValue(c) > 150 && GetRValue(c) < 80 && GetGValue(c) < 80; }

class MapPreview : public ::testing::Test
{
protected:
  void SetUp() override
  {
    m_host.newDocument();
    m_host.setWindowBackground(kBackground);
    m_parent.attach(CreateWindowExW(0, L"STATIC", L"map", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(m_parent.get());
    m_map.setSource(kFile);
    m_map.setSourceFileName(TempDir::toOd(kImages / "quad.bmp"));
  }

public:
  COLORREF screen(int x, int y) { return GetPixel(win::ClientDc(m_preview->hwnd()).get(), x, y); }
  // The picture as paint draws it, taken without the screen.
  COLORREF painted(int x, int y)
  {
    int width = 0, height = 0;
    const std::vector<std::uint32_t> all = m_preview->pixels(width, height);
    if (x < 0 || y < 0 || x >= width || y >= height)
      return CLR_INVALID;
    return all[std::size_t(y) * std::size_t(width) + std::size_t(x)];
  }

protected:
  // A control of the given size, taken over from a placeholder as the dialog does.
  void make(int width, int height)
  {
    m_preview = std::make_unique<meui::MeUiMaterialMapPreview>(m_map);
    HWND placeholder = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, width, height, m_parent.get(),
                                       reinterpret_cast<HMENU>(1048), GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(m_preview->subclassDlgItem(m_parent.get(), 1048));
    (void)placeholder;
    UpdateWindow(m_preview->hwnd());
    pumpMessages();
  }

  void TearDown() override
  {
    m_preview.reset();
    m_parent.reset();
  }

  TestHost m_host;
  MaterialMap m_map;
  win::Window m_parent;
  std::unique_ptr<meui::MeUiMaterialMapPreview> m_preview;
};
} // namespace

TEST_F(MapPreview, A200By100ControlShowsTheSquarePictureAtOffset50OnTheThemeBackground)
{
  make(200, 100);
  ASSERT_EQ(m_preview->state(), meui::MapPreviewState::Image);
  ASSERT_NE(m_preview->bitmap(), nullptr);
  for (auto pixel : {&MapPreview::screen, &MapPreview::painted})
  {
    EXPECT_EQ((this->*pixel)(10, 50), kBackground) << "left of the square";
    EXPECT_EQ((this->*pixel)(48, 50), kBackground);
    EXPECT_EQ((this->*pixel)(190, 50), kBackground) << "right of the square";
    EXPECT_EQ((this->*pixel)(151, 50), kBackground);
    EXPECT_TRUE(isRed((this->*pixel)(55, 5))) << std::hex << (this->*pixel)(55, 5);
    EXPECT_TRUE(isGreen((this->*pixel)(145, 5)));
    EXPECT_TRUE(isBlue((this->*pixel)(55, 95)));
  }
  const meui::MapPreviewPicture summary = m_preview->picture();
  EXPECT_EQ(summary.width, 200);
  EXPECT_EQ(summary.height, 100);
}

TEST_F(MapPreview, AResizeIsPaintedAtOnceWithoutWaitingForTheMessageLoop)
{
  make(200, 100);
  ASSERT_EQ(screen(5, 55), kBackground);
  // Now tall: the square moves down by 50. No message is dispatched here.
  SetWindowPos(m_preview->hwnd(), nullptr, 0, 0, 100, 200, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  RECT pending{};
  EXPECT_FALSE(GetUpdateRect(m_preview->hwnd(), &pending, FALSE)) << "nothing left for a later WM_PAINT";
  EXPECT_TRUE(isRed(screen(5, 55))) << std::hex << screen(5, 55);
  EXPECT_TRUE(isBlue(screen(5, 145)));
  EXPECT_EQ(screen(50, 20), kBackground);
}

TEST_F(MapPreview, AMissingFileNamesItselfAndAProceduralMapSaysNotImplemented)
{
  const OdString missing = TempDir::toOd(kImages / "no-such-picture.png");
  m_map.setSourceFileName(missing);
  make(200, 100);
  EXPECT_EQ(m_preview->state(), meui::MapPreviewState::FileNotFound);
  EXPECT_EQ(m_preview->bitmap(), nullptr);
  EXPECT_EQ(m_preview->model().notFoundText(), OdString(L"File: ") + missing + L" \nnot found");
  // The text on the background, inside the margin the grid's labels keep.
  int width = 0, height = 0;
  const std::vector<std::uint32_t> all = m_preview->pixels(width, height);
  ASSERT_EQ(all.size(), 200u * 100u);
  bool text = false, inMargin = false;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x)
    {
      const bool drawn = all[std::size_t(y * 200 + x)] != kBackground;
      text = text || drawn;
      inMargin = inMargin || (drawn && (x < 12 || y < 12 || y >= 88));
    }
  EXPECT_TRUE(text);
  EXPECT_FALSE(inMargin) << "the text starts at the edge";

  m_map.setSource(kProcedural);
  m_map.setTexture(OdGiMarbleTexture::createObject());
  m_preview->refresh();
  m_preview->redrawNow();
  EXPECT_EQ(m_preview->state(), meui::MapPreviewState::Procedural);
  bool textInSquare = false;
  for (int y = 0; y < 20; ++y)
    for (int x = 50; x < 150; ++x)
      textInSquare = textInSquare || painted(x, y) != kBackground;
  EXPECT_TRUE(textInSquare) << "\"Not implemented\" centred in the square";
  EXPECT_EQ(painted(10, 10), kBackground) << "nothing outside the square";
}

TEST_F(MapPreview, TransparentPixelsShowOverALightAndDarkCheckerNotInTheirHiddenColour)
{
  // The red quadrant transparent, the light grey one half transparent.
  m_map.setSourceFileName(TempDir::toOd(kImages / "quad-alpha.png"));
  make(200, 100);
  ASSERT_EQ(m_preview->state(), meui::MapPreviewState::Image);
  int width = 0, height = 0;
  std::vector<std::uint32_t> all = m_preview->pixels(width, height);
  ASSERT_EQ(all.size(), 200u * 100u);
  int light = 0, dark = 0, red = 0;
  for (int y = 2; y < 48; ++y)
    for (int x = 52; x < 98; ++x)
    {
      const COLORREF c = all[std::size_t(y * 200 + x)];
      const bool grey =
        std::abs(int(GetRValue(c)) - int(GetBValue(c))) < 12 && std::abs(int(GetGValue(c)) - int(GetBValue(c))) < 12;
      light += grey && GetRValue(c) > 180;
      dark += grey && GetRValue(c) < 130;
      red += isRed(c);
    }
  EXPECT_EQ(red, 0) << "the hidden colour shows";
  EXPECT_GT(light, 200);
  EXPECT_GT(dark, 200);
  EXPECT_TRUE(isGreen(painted(145, 5))) << "an opaque pixel as it is";
  // Half the light grey over the checker: grey, between the two.
  const COLORREF half = painted(145, 95);
  EXPECT_LT(std::abs(int(GetRValue(half)) - int(GetBValue(half))), 12) << std::hex << half;
  // A larger square: the checker made again, its squares as large on the screen.
  SetWindowPos(m_preview->hwnd(), nullptr, 0, 0, 300, 300, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  all = m_preview->pixels(width, height);
  int changes = 0;
  for (std::size_t x = 1; x < 140 && all.size() == 300u * 300u; ++x)
    changes += (GetRValue(all[5 * 300 + x]) > 160) != (GetRValue(all[5 * 300 + x - 1]) > 160);
  EXPECT_TRUE(changes >= 12 && changes <= 24) << changes << " changes, about one in eight pixels expected";
}

TEST_F(MapPreview, ARefreshToAMapWithoutAPictureNeverDrawsTheOldBitmap)
{
  make(200, 100);
  ASSERT_TRUE(isRed(screen(55, 5)));
  m_map.setSource(kScene);
  m_preview->refresh();
  EXPECT_EQ(m_preview->bitmap(), nullptr);
  m_preview->redrawNow();
  EXPECT_EQ(screen(55, 5), kBackground);
  EXPECT_EQ(m_preview->picture().mean, kBackground);

  // A corrupt file: no picture, a reason in its place, and no crash.
  TempDir temp;
  {
    std::FILE* file = _wfopen((temp.path() / "broken.bmp").wstring().c_str(), L"wb");
    ASSERT_TRUE(file);
    std::fputs("BM but not a bitmap at all", file);
    std::fclose(file);
  }
  m_map.setSource(kFile);
  m_map.setSourceFileName(TempDir::toOd(temp.path() / "broken.bmp"));
  m_preview->refresh();
  EXPECT_EQ(m_preview->bitmap(), nullptr);
  EXPECT_FALSE(m_preview->model().failure().isEmpty());
  m_preview->redrawNow();
  pumpMessages();
  m_preview->destroy(); // the dialog's control goes with the dialog; the object lets go
}
