// The material colour rows as the grid shows them: the swatch of each colour
// method really drawn (GDI, read back pixel by pixel). Which item the colour
// list selects is tests/rows' (the list and the by-object rule).
#include "common/TestDrawing.h"
#include "common/TestHost.h"
#include "core/IMeEditor.h"
#include "core/MeServices.h"
#include "ui/properties/MeUiColorProperty.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace
{
// A 32-bit bitmap in a memory DC, read back as COLORREFs.
class Surface
{
public:
  Surface(int width, int height) : m_width(width)
  {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
    m_old = SelectObject(m_dc, m_bitmap);
    RECT all{0, 0, width, height};
    FillRect(m_dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  }
  ~Surface()
  {
    SelectObject(m_dc, m_old);
    DeleteObject(m_bitmap);
    DeleteDC(m_dc);
  }
  HDC dc() const { return m_dc; }
  COLORREF at(int x, int y) const
  {
    GdiFlush();
    const DWORD pixel = m_bits[y * m_width + x];
    return RGB((pixel >> 16) & 255, (pixel >> 8) & 255, pixel & 255);
  }

private:
  int m_width;
  HDC m_dc = nullptr;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_old = nullptr;
  DWORD* m_bits = nullptr;
};

OdCmColor indexColor(int index)
{
  OdCmColor color;
  color.setColorIndex(OdInt16(index));
  return color;
}

class MaterialRowsWindow : public ::testing::Test
{
protected:
  void SetUp() override
  {
    host.newDocument();
    editor = me::editorService();
    ASSERT_TRUE(editor);
    editor->open(addMaterial(host.database(), L"Brick"));
    source = new meui::MeUiDiffuseColorProperty(L"Generic.Diffuse");
    source->createEditableProperty(row);
    ASSERT_TRUE(row);
  }
  void TearDown() override
  {
    if (row)
      row->Release();
    source->Release();
  }

  // The cell drawn with the diffuse colour; the swatch then lies at
  // x 4..13, y 5..14 (2 in from the cell's inner edge, centred).
  Surface drawn(const OdCmColor& color)
  {
    editor->setDiffuseColor(color);
    Surface surface(kCell.right, kCell.bottom);
    row->Draw(surface.dc(), kCell);
    return surface;
  }

  static constexpr KtRect kCell{0, 0, 120, 20};
  TestHost host;
  me::IMeEditor* editor = nullptr;
  meui::MeUiDiffuseColorProperty* source = nullptr;
  IKtEditableProperty* row = nullptr;
};
} // namespace

TEST_F(MaterialRowsWindow, EachColourMethodDrawsItsSwatch)
{
  {
    const Surface red = drawn(indexColor(1));
    EXPECT_EQ(red.at(9, 10), RGB(255, 0, 0)) << "an index colour's swatch is its palette colour";
    EXPECT_EQ(red.at(4, 5), RGB(0, 0, 0)) << "outlined in black";
    EXPECT_EQ(red.at(2, 10), red.at(1, 10)) << "nothing left of the swatch";
  }
  {
    const Surface white = drawn(indexColor(7));
    EXPECT_EQ(white.at(11, 7), RGB(0, 0, 0)) << "index 7: the upper-right half black";
    EXPECT_EQ(white.at(6, 12), RGB(255, 255, 255)) << "and the lower-left half white";
  }
  {
    const Surface foreground = drawn(OdCmColor(OdCmEntityColor::kForeground));
    EXPECT_EQ(foreground.at(11, 7), RGB(0, 0, 0)) << "foreground is split the same way";
    EXPECT_EQ(foreground.at(6, 12), RGB(255, 255, 255));
  }
  {
    OdCmColor rgb;
    rgb.setRGB(0, 128, 255);
    const Surface byColor = drawn(rgb);
    EXPECT_EQ(byColor.at(9, 10), RGB(0, 128, 255));
  }
  {
    const Surface none = drawn(OdCmColor(OdCmEntityColor::kNone));
    EXPECT_NE(none.at(4, 5), RGB(0, 0, 0)) << "none keeps the swatch's place empty";
    EXPECT_EQ(none.at(9, 10), none.at(20, 2));
  }
}
