// Render modes: a view shades flat (one normal per face, the facets show)
// or smoothly, takes its mode from its drawing's active viewport, and a
// change of mode shows at the next update even where the renderer keeps
// what it drew before.
#include "RenderHarness.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace
{
using namespace rendertest;

// The colours along a row across the sphere's disc, a third of the way
// down (where the facets are several pixels wide and their edges slant).
std::vector<ODCOLORREF> middleRow(const OdGiRasterImageRGBA& image)
{
  std::vector<ODCOLORREF> row;
  const OdUInt32 y = image.pixelHeight() / 3;
  for (OdUInt32 x = image.pixelWidth() / 5; x < image.pixelWidth() * 4 / 5; ++x)
    row.push_back(image.pixelAt(x, y));
  return row;
}

// How often a pixel differs from its left neighbour, as a fraction.
double changes(const std::vector<ODCOLORREF>& row)
{
  int changed = 0;
  for (std::size_t i = 1; i < row.size(); ++i)
    changed += row[i] != row[i - 1] ? 1 : 0;
  return double(changed) / double(row.size() - 1);
}

// Where two facets meet along a row: between two runs of at least two equal
// pixels (the facets), and whether pixels lie between them.
struct FacetEdges
{
  int count = 0;   // edges between two facets
  int crossed = 0; // of them, with pixels between the facets
};
FacetEdges facetEdges(const std::vector<ODCOLORREF>& row)
{
  std::vector<std::pair<std::size_t, std::size_t>> facets; // first and last pixel
  for (std::size_t i = 0, j; i < row.size(); i = j)
  {
    for (j = i + 1; j < row.size() && row[j] == row[i];)
      ++j;
    if (j - i >= 2)
      facets.emplace_back(i, j - 1);
  }
  FacetEdges e;
  for (std::size_t f = 1; f < facets.size(); ++f)
  {
    ++e.count;
    e.crossed += facets[f].first > facets[f - 1].second + 1 ? 1 : 0;
  }
  return e;
}

class RenderModes : public ::testing::Test
{
protected:
  RenderModes()
  {
    const OdDbObjectId grey = m_h.addMaterial(L"Grey", [](OdDbMaterial& m) {
      m.setDiffuse(rgb(180, 180, 180), MaterialMap());
      m.setAmbient(rgb(180, 180, 180));
    });
    m_h.add(m_h.sphere(), grey);
    m_h.lookDown(-60, -60, 60, 60);
  }

  std::vector<ODCOLORREF> renderRow(OdGsView::RenderMode mode)
  {
    m_h.view()->setMode(mode);
    return middleRow(m_h.render(240, 240));
  }

  Harness m_h;
};

TEST_F(RenderModes, FlatShadingShowsTheFacetsWhereSmoothShadingIsAGradient)
{
  const std::vector<ODCOLORREF> smooth = renderRow(OdDb::kGouraudShaded);
  const std::vector<ODCOLORREF> flat = renderRow(OdDb::kFlatShaded);
  // Smooth: the shade moves on at nearly every pixel. Flat: it holds over
  // each facet (several pixels wide here) and steps at its edges.
  EXPECT_GT(changes(smooth), 0.7);
  EXPECT_LT(changes(flat), 0.5);
  EXPECT_GT(facetEdges(flat).count, 15);
  // Both are lit alike: the lit side is brighter than the dark side.
  EXPECT_GT(luminance(flat.front()) + luminance(flat[flat.size() / 4]),
            luminance(flat.back()) + luminance(flat[flat.size() * 3 / 4]));

  // The wire-framed flat mode shades flat too; the other modes smoothly.
  EXPECT_EQ(renderRow(OdDb::kFlatShadedWithWireframe), flat);
  EXPECT_EQ(renderRow(OdDb::k2DOptimized), smooth);
  EXPECT_EQ(renderRow(OdDb::kGouraudShadedWithWireframe), smooth);
}

TEST_F(RenderModes, FacetEdgesAreAntialiasedInFlatShading)
{
  // A pixel an edge between two facets crosses blends the two facets' shades
  // by how much of it each covers; with one sample a pixel, it shows one.
  // (An edge that meets the row where no sample lies between two pixels'
  // has no blended pixel even so.)
  const FacetEdges blended = facetEdges(renderRow(OdDb::kFlatShaded));
  EXPECT_GT(blended.count, 15);
  EXPECT_GT(blended.crossed * 10, blended.count * 6) << "most facet edges have blended pixels";

  // Without antialiasing only a facet under two pixels wide leaves pixels
  // between two others.
  m_h.device()->properties()->putAt(L"Antialiasing", OdRxVariantValue(false));
  const FacetEdges stepped = facetEdges(renderRow(OdDb::kFlatShaded));
  EXPECT_GT(stepped.count, 15);
  EXPECT_LT(stepped.crossed * 10, stepped.count * 2);
}

TEST_F(RenderModes, AChangeOfModeShowsAtTheNextUpdateEvenWhenTheSceneIsKept)
{
  // Drawing the same geometry again reuses what was rasterised; the mode
  // must still be honoured.
  const std::vector<ODCOLORREF> smooth = renderRow(OdDb::kGouraudShaded);
  m_h.view()->setMode(OdDb::kFlatShaded);
  EXPECT_FALSE(m_h.view()->isValid()) << "a new mode invalidates the view";
  const std::vector<ODCOLORREF> flat = middleRow(m_h.render(240, 240));
  EXPECT_NE(flat, smooth);
  EXPECT_EQ(renderRow(OdDb::kGouraudShaded), smooth);
}

TEST(RenderModeSetting, TheLayoutsViewTakesTheActiveViewportsModeAndUnknownModesAreRefused)
{
  OdDbDatabasePtr db = odCreateDatabase();
  EXPECT_EQ(db->activeViewportRenderMode(), OdDb::k2DOptimized) << "a new drawing";
  db->setActiveViewportRenderMode(OdDb::kFlatShaded);
  EXPECT_THROW(db->setActiveViewportRenderMode(OdDb::RenderMode(7)), OdError);
  EXPECT_THROW(db->setActiveViewportRenderMode(OdDb::RenderMode(-1)), OdError);
  EXPECT_EQ(db->activeViewportRenderMode(), OdDb::kFlatShaded);

  OdGsSoftwareModulePtr module = OdGsSoftwareModule::createObject();
  OdGsDevicePtr device = module->createDevice();
  OdGiContextForDbDatabasePtr context = OdGiContextForDbDatabase::createObject();
  context->setDatabase(db);
  OdGsLayoutHelperPtr helper = OdDbGsManager::setupActiveLayoutViews(device, context);
  OdGsView* view = helper->activeView();
  EXPECT_EQ(view->mode(), OdDb::kFlatShaded);

  view->setMode(OdDb::kGouraudShaded);
  try
  {
    view->setMode(OdDb::RenderMode(42));
    ADD_FAILURE() << "mode 42 was taken";
  }
  catch (const OdError& e)
  {
    EXPECT_EQ(e.code(), eInvalidInput);
  }
  EXPECT_EQ(view->mode(), OdDb::kGouraudShaded);
}
} // namespace
