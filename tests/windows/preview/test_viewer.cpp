// The preview window on real Win32 windows: it paints the sample in the
// material's shade on the host's background, turns with a drag, hands out
// its picture, follows the theme, and without attach ignores what it is sent.
#include "MeGsViewer.h"
#include "MePreviewScene.h"
#include "TestHost.h"
#include "od/GsWin32.h"

#include "common/MessagePump.h"

#include "framework/ModuleState.h"
#include "od/DbDictionary.h"
#include "od/DbMaterial.h"
#include "win32/Dc.h"
#include "win32/Handles.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
constexpr int kSize = 300;
constexpr COLORREF kWhite = RGB(255, 255, 255);

LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

// Red clearly above green and blue.
bool isRedShade(COLORREF c) { return GetRValue(c) > GetGValue(c) + 60 && GetRValue(c) > GetBValue(c) + 60; }

class Viewer : public ::testing::Test
{
protected:
  void SetUp() override
  {
    // This program carries the module's resources, drag cursor included.
    fw::setResourceHandle(GetModuleHandleW(nullptr));
    m_host.newDocument(L"Shown");
    OdDbMaterialPtr material = OdDbMaterial::createObject();
    material->setName(L"Brick");
    MaterialColor red;
    red.setMethod(MaterialColor::kOverride);
    red.setColor(OdCmEntityColor(220, 40, 30));
    material->setDiffuse(red, MaterialMap());
    material->setAmbient(red);
    OdDbDictionaryPtr dictionary = m_host.database()->getMaterialDictionaryId(true).safeOpenObject(OdDb::kForWrite);
    m_material = dictionary->setAt(L"Brick", material);

    m_parent.attach(CreateWindowExW(0, L"STATIC", L"preview", WS_POPUP | WS_VISIBLE, 0, 0, kSize, kSize, nullptr,
                                    nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(m_viewer.createChild(m_parent.get(), RECT{0, 0, kSize, kSize}, 1));
  }

  void TearDown() override
  {
    m_scene.reset();
    m_viewer.destroy();
    m_parent.reset();
  }

  // As the properties dialog does it: scene over the viewer, attach, sample, material.
  void show()
  {
    m_scene = std::make_unique<meui::MePreviewScene>(m_viewer);
    ASSERT_TRUE(m_viewer.attach(m_scene->database()));
    ASSERT_TRUE(m_scene->setSampleType(0));
    ASSERT_TRUE(m_scene->setMaterial(m_material));
    UpdateWindow(m_viewer);
    pumpMessages();
  }

  COLORREF windowPixel(int x, int y) { return GetPixel(win::ClientDc(m_viewer).get(), x, y); }

  // One pixel of a bitmap, as a COLORREF.
  static COLORREF bitmapPixel(const win::Bitmap& bitmap, int x, int y)
  {
    DIBSECTION dib{};
    if (GetObjectW(bitmap.get(), sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits)
      return CLR_INVALID;
    const auto* row = static_cast<const BYTE*>(dib.dsBm.bmBits) + std::size_t(y) * std::size_t(dib.dsBm.bmWidthBytes);
    const BYTE* p = row + x * 4; // top-down, B G R X
    return RGB(p[2], p[1], p[0]);
  }

  // Looks at the origin from +Z with a field as large as the window: one
  // pixel is one eye unit.
  void pixelPerUnitView()
  {
    m_viewer.view()->setView(OdGePoint3d(0, 0, 400), OdGePoint3d::kOrigin, OdGeVector3d::kYAxis, kSize, kSize);
  }

  void drag(int x0, int y0, int x1, int y1)
  {
    SendMessageW(m_viewer, WM_LBUTTONDOWN, MK_LBUTTON, at(x0, y0));
    SendMessageW(m_viewer, WM_MOUSEMOVE, MK_LBUTTON, at(x1, y1));
    SendMessageW(m_viewer, WM_LBUTTONUP, 0, at(x1, y1));
  }

  TestHost m_host;
  OdDbObjectId m_material;
  win::Window m_parent;
  meui::MeGsViewer m_viewer;
  std::unique_ptr<meui::MePreviewScene> m_scene; // goes before the viewer it frames through
};

TEST_F(Viewer, AttachedItPaintsTheSphereInTheMaterialsShadeOnTheHostBackground)
{
  show();
  const OdSmartPtr<OdGsWin32Device> device = OdGsWin32Device::cast(m_viewer.device());
  ASSERT_FALSE(device.isNull()) << "the window renderer is the default";
  EXPECT_EQ(device->windowHandle(), reinterpret_cast<OdIntPtr>(m_viewer.hwnd()));
  EXPECT_NE(device->windowDC(), 0);
  EXPECT_TRUE(device->discardBackFaces());

  const COLORREF centre = windowPixel(kSize / 2, kSize / 2);
  EXPECT_TRUE(isRedShade(centre)) << std::hex << centre;
  EXPECT_EQ(centre, device->image().pixelAt(kSize / 2, kSize / 2)) << "presented as rendered";
  EXPECT_EQ(windowPixel(1, 1), kWhite);
  EXPECT_EQ(windowPixel(kSize - 2, kSize - 2), kWhite);

  // Resized, the device follows the client area; to nothing, it keeps its size.
  SetWindowPos(m_viewer, nullptr, 0, 0, 200, 120, SWP_NOZORDER | SWP_NOMOVE);
  EXPECT_EQ(device->outputRect().width(), 200);
  EXPECT_EQ(device->outputRect().height(), 120);
  SetWindowPos(m_viewer, nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOMOVE);
  EXPECT_EQ(device->outputRect().width(), 200);
  EXPECT_EQ(m_viewer.renderToBitmap(96), nullptr) << "a window of no size has no picture";
}

TEST_F(Viewer, ADragOf200EyeUnitsTurnsHalfAroundAndNoLengthNothing)
{
  show();
  pixelPerUnitView();
  drag(150, 150, 150, 150);
  EXPECT_EQ(m_viewer.view()->position(), OdGePoint3d(0, 0, 400));
  SendMessageW(m_viewer, WM_MOUSEMOVE, 0, at(20, 20)); // no button: no turn
  EXPECT_EQ(m_viewer.view()->position(), OdGePoint3d(0, 0, 400));

  SendMessageW(m_viewer, WM_LBUTTONDOWN, MK_LBUTTON, at(50, 150));
  EXPECT_TRUE(m_viewer.isDragging());
  const HCURSOR arrow = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  EXPECT_NE(GetCursor(), arrow);
  EXPECT_NE(GetCursor(), nullptr) << "the drag cursor comes from the resources";
  EXPECT_EQ(GetCapture(), m_viewer.hwnd());
  SendMessageW(m_viewer, WM_MOUSEMOVE, MK_LBUTTON, at(250, 150));
  SendMessageW(m_viewer, WM_LBUTTONUP, 0, at(250, 150));
  EXPECT_FALSE(m_viewer.isDragging());
  EXPECT_EQ(GetCursor(), arrow);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(m_viewer.view()->position().isEqualTo(OdGePoint3d(0, 0, -400), OdGeTol(1e-6)));
  EXPECT_TRUE(m_viewer.view()->upVector().isEqualTo(OdGeVector3d::kYAxis, OdGeTol(1e-9)));
}

TEST_F(Viewer, RenderToBitmapIsTheClientAreaInTheMaterialsShade)
{
  show();
  win::Bitmap bitmap(m_viewer.renderToBitmap(96));
  ASSERT_TRUE(bitmap);
  BITMAP info{};
  ASSERT_TRUE(GetObjectW(bitmap.get(), sizeof info, &info));
  EXPECT_EQ(info.bmWidth, kSize);
  EXPECT_EQ(info.bmHeight, kSize);
  const COLORREF centre = bitmapPixel(bitmap, kSize / 2, kSize / 2);
  EXPECT_TRUE(isRedShade(centre)) << std::hex << centre;
  EXPECT_EQ(centre, windowPixel(kSize / 2, kSize / 2));
  EXPECT_EQ(bitmapPixel(bitmap, 0, 0), kWhite);

  // Thumbnails are drawn on a hidden window: its picture is the same.
  ShowWindow(m_parent.get(), SW_HIDE);
  bitmap.attach(m_viewer.renderToBitmap(96));
  EXPECT_EQ(bitmapPixel(bitmap, kSize / 2, kSize / 2), centre);
}

TEST_F(Viewer, CopyPictureWritesTheBitmapsPixelsIntoAStripAndRefusesAnotherSize)
{
  show();
  const win::Bitmap bitmap(m_viewer.renderToBitmap(0));
  ASSERT_TRUE(bitmap);
  // The picture's rows inside a strip three pictures wide, between others.
  const int stride = 3 * kSize;
  std::vector<DWORD> strip(std::size_t(stride) * kSize, 0xABCDEF);
  ASSERT_TRUE(m_viewer.copyPicture(strip.data() + kSize, kSize, kSize, stride));
  for (int y : {0, kSize / 3, kSize / 2, kSize - 1})
    for (int x : {0, kSize / 4, kSize / 2, kSize - 1})
    {
      const DWORD word = strip[std::size_t(y) * stride + std::size_t(kSize + x)];
      EXPECT_EQ(RGB(GetBValue(word), GetGValue(word), GetRValue(word)), bitmapPixel(bitmap, x, y)) << x << "," << y;
    }
  EXPECT_EQ(strip[std::size_t(kSize) * stride / 2 + kSize - 1], 0xABCDEFu) << "the picture on the left is untouched";
  EXPECT_EQ(strip[std::size_t(kSize) * stride / 2 + 2 * kSize], 0xABCDEFu) << "the picture on the right is untouched";

  EXPECT_FALSE(m_viewer.copyPicture(strip.data(), kSize - 1, kSize, stride)) << "not the window's size";
  meui::MeGsViewer windowless;
  EXPECT_FALSE(windowless.copyPicture(strip.data(), kSize, kSize, stride));
}

TEST_F(Viewer, ThemeChangeRepaintsTheBackgroundInTheNewColour)
{
  show();
  m_host.setWindowBackground(RGB(20, 40, 120));
  SendMessageW(m_viewer, RegisterWindowMessageW(HOST_MESSAGE_THEME_CHANGED), 0, 0);
  UpdateWindow(m_viewer);
  EXPECT_EQ(windowPixel(1, 1), RGB(20, 40, 120));
  EXPECT_TRUE(isRedShade(windowPixel(kSize / 2, kSize / 2)));
}

TEST_F(Viewer, SetCursorOverTheClientAreaTakesTheFocus)
{
  SetFocus(m_parent.get());
  SendMessageW(m_viewer, WM_SETCURSOR, WPARAM(m_viewer.hwnd()), MAKELPARAM(HTBORDER, WM_MOUSEMOVE));
  EXPECT_EQ(GetFocus(), m_parent.get());
  SendMessageW(m_viewer, WM_SETCURSOR, WPARAM(m_viewer.hwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetFocus(), m_viewer.hwnd());
}

TEST_F(Viewer, NeverAttachedItIgnoresWhatItIsSentAndRefusesNoDatabase)
{
  EXPECT_FALSE(m_viewer.attach(nullptr));
  SendMessageW(m_viewer, WM_SIZE, 0, at(120, 80));
  SendMessageW(m_viewer, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), at(10, 10));
  drag(10, 10, 200, 40);
  InvalidateRect(m_viewer, nullptr, TRUE);
  UpdateWindow(m_viewer);
  pumpMessages();
  EXPECT_FALSE(m_viewer.isAttached());
  EXPECT_EQ(m_viewer.view(), nullptr);
  const win::Bitmap bitmap(m_viewer.renderToBitmap(0));
  EXPECT_TRUE(bitmap) << "the window prints itself instead";

  meui::MeGsViewer windowless;
  OdDbDatabasePtr db = odCreateDatabase();
  EXPECT_FALSE(windowless.attach(db));
  EXPECT_EQ(windowless.renderToBitmap(96), nullptr);
}

TEST_F(Viewer, TheHostsGraphicsModuleIsTakenWhenItNamesOneThatLoads)
{
  static const wchar_t* name = nullptr;
  static const auto vectorizer = [](bool, bool) -> const wchar_t* { return name; };
  m_host.replaceExport(HOST_EXPORT_CURRENT_VECTORIZER, reinterpret_cast<void*>(+vectorizer));
  m_scene = std::make_unique<meui::MePreviewScene>(m_viewer);

  name = OdGsSoftwareModuleName;
  ASSERT_TRUE(m_viewer.attach(m_scene->database()));
  EXPECT_TRUE(m_viewer.device()->isKindOf(OdGsSoftwareDevice::desc()));
  EXPECT_TRUE(OdGsWin32Device::cast(m_viewer.device()).isNull());

  name = L"NoSuchRenderer.txv";
  ASSERT_TRUE(m_viewer.attach(m_scene->database()));
  EXPECT_FALSE(OdGsWin32Device::cast(m_viewer.device()).isNull()) << "the SDK's renderer for windows";
  name = nullptr;
}

TEST_F(Viewer, ThePreviewIsSmoothShadedByTheHostsSetRenderMode)
{
  // The real host's function, from its hostutils.dll.
  const win::Library utils(LoadLibraryW(L"hostutils.dll"));
  ASSERT_TRUE(utils);
  void* setRenderMode = reinterpret_cast<void*>(GetProcAddress(utils.get(), HOST_EXPORT_SET_RENDER_MODE));
  ASSERT_NE(setRenderMode, nullptr);
  m_host.replaceExport(HOST_EXPORT_SET_RENDER_MODE, setRenderMode);
  show();
  EXPECT_EQ(m_scene->database()->activeViewportRenderMode(), OdDb::kGouraudShaded);
  EXPECT_EQ(m_viewer.view()->mode(), OdDb::kGouraudShaded);
  EXPECT_TRUE(isRedShade(windowPixel(kSize / 2, kSize / 2)));
  m_scene.reset();
  m_viewer.destroy();
  m_host.removeExport(HOST_EXPORT_SET_RENDER_MODE); // before the library goes
}

TEST_F(Viewer, DestroyReleasesTheGraphicsObjects)
{
  show();
  OdGsDevicePtr device = m_viewer.device();
  m_viewer.destroy();
  EXPECT_FALSE(m_viewer.isAttached());
  EXPECT_EQ(m_viewer.device(), nullptr);
  EXPECT_EQ(device->numViews(), 0);
  EXPECT_EQ(device->numRefs(), 1) << "nothing but this test holds the device";
}
} // namespace
