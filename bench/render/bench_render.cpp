// Speed of the preview renderer: thumbnails of the sample sphere, an orbit
// frame, and a browser's worth of thumbnails in a row.
#include "BenchMaterials.h"
#include "MeGsPreview.h"
#include "MePreviewScene.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace renderbench;

namespace
{
// The preview's thumbnail: the sample sphere, back faces discarded, zoomed
// to its extents with the margin 1.02, from the preview's plan view.
struct Thumbnail
{
  Harness h;
  OdDbObjectId sphere;

  Thumbnail()
  {
    useVectorPath(h);
    h.device()->properties()->putAt(L"DiscardBackFaces", OdRxVariantValue(true));
    sphere = h.add(h.sphere());
    h.view()->zoomExtentsWorld(OdGeExtents3d(OdGePoint3d(-50, -50, -50), OdGePoint3d(50, 50, 50)), 1.02);
  }
  void show(Map kind, int seed)
  {
    const OdString name = OdString::format(L"M%d", seed);
    const OdDbObjectId mat = h.addMaterial(name, [&](OdDbMaterial& m) { setMaterial(m, kind, seed); });
    OdDbEntityPtr e = sphere.safeOpenObject(OdDb::kForWrite);
    e->setMaterial(mat);
  }
};

void thumbnail(benchmark::State& state, Map kind)
{
  Thumbnail t;
  t.show(kind, 1);
  t.h.device()->onSize(OdGsDCRect(0, 96, 96, 0));
  bool in = false;
  for (auto _ : state)
  {
    // A view that differs a hair each time: the whole pipeline runs, none
    // of the previous frame's visibility is reused.
    t.h.view()->zoom(in ? 1.0001 : 1.0 / 1.0001);
    in = !in;
    t.h.device()->update();
    benchmark::DoNotOptimize(t.h.device()->lastUpdateReport().numTriangles);
  }
}

void BM_ThumbnailMarble(benchmark::State& state) { thumbnail(state, Map::Marble); }
void BM_ThumbnailImage(benchmark::State& state) { thumbnail(state, Map::Image); }
void BM_ThumbnailPlain(benchmark::State& state) { thumbnail(state, Map::Plain); }

// One step of a mouse orbit: the camera turns, the drawing stays, so the
// drawing context keeps the scene between frames.
void frame400(benchmark::State& state, Map kind)
{
  Thumbnail t;
  t.show(kind, 3);
  static_cast<OdGiContextForDbDatabase*>(t.h.device()->userGiContext())->enableGsModel(true);
  t.h.device()->onSize(OdGsDCRect(0, 400, 400, 0));
  double angle = 0.0;
  for (auto _ : state)
  {
    angle += 0.05;
    OdGsView* view = t.h.view();
    const OdGePoint3d eye(300 * std::cos(angle), 300 * std::sin(angle), 150);
    view->setView(eye, OdGePoint3d(0, 0, 0), OdGeVector3d::kZAxis, view->fieldWidth(), view->fieldHeight(),
                  OdGsView::kPerspective);
    t.h.device()->update();
    benchmark::DoNotOptimize(t.h.device()->lastUpdateReport().numTriangles);
  }
}

void BM_Frame400Plain(benchmark::State& state) { frame400(state, Map::Plain); }
void BM_Frame400Marble(benchmark::State& state) { frame400(state, Map::Marble); }

// The browser: 1,000 materials, each shown on the same sphere and view and
// taken as a 96 x 96 snapshot (the visibility of the sphere is worked out once).
void BM_ThousandThumbnails(benchmark::State& state)
{
  Thumbnail t;
  t.h.device()->onSize(OdGsDCRect(0, 96, 96, 0));
  std::vector<OdDbObjectId> materials;
  for (int i = 0; i < 1000; ++i)
    materials.push_back(t.h.addMaterial(OdString::format(L"T%d", i), [&](OdDbMaterial& m) {
      setMaterial(m, i % 3 == 0 ? Map::Marble : (i % 3 == 1 ? Map::Image : Map::Plain), i);
    }));
  for (auto _ : state)
    for (const OdDbObjectId& id : materials)
    {
      {
        OdDbEntityPtr e = t.sphere.safeOpenObject(OdDb::kForWrite);
        e->setMaterial(id);
      }
      OdGiRasterImagePtr snapshot;
      t.h.device()->getSnapShot(snapshot, OdGsDCRect(0, 96, 96, 0));
      benchmark::DoNotOptimize(snapshot.get());
    }
}

// The browser's path for a thumbnail: the material copied into the
// preview's private drawing, the sphere drawn and its picture taken. With
// N distinct materials in a row, so that a cost growing with the number
// already shown shows as a per-thumbnail time rising with N.
void BM_SceneThumbnails(benchmark::State& state)
{
  const int count = int(state.range(0));
  constexpr int kSize = 64;
  Harness source;
  std::vector<OdDbObjectId> materials;
  for (int i = 0; i < count; ++i)
    materials.push_back(source.addMaterial(OdString::format(L"Plain %d", i), [&](OdDbMaterial& m) {
      setMaterial(m, Map::Plain, i);
      MaterialColor colour;
      colour.setMethod(MaterialColor::kOverride);
      colour.setColor(OdCmEntityColor(OdUInt8(i % 256), OdUInt8(i / 256), OdUInt8(i * 7 % 256)));
      m.setDiffuse(colour, MaterialMap());
    }));
  for (auto _ : state)
  {
    state.PauseTiming();
    meui::MeGsPreview gs;
    meui::MePreviewScene scene(gs);
    meui::MeGsPreview::Setup setup;
    setup.moduleName = OdGsSoftwareModuleName;
    setup.properties = {{L"DiscardBackFaces", OdRxVariantValue(true)}};
    if (!gs.attach(scene.database(), setup) || !scene.setSampleType(0))
      state.SkipWithError("no preview");
    state.ResumeTiming();
    for (const OdDbObjectId& id : materials)
    {
      scene.setMaterial(id);
      OdGiRasterImagePtr image = gs.render(kSize, kSize);
      if (image.isNull())
        state.SkipWithError("no picture");
      else
        benchmark::DoNotOptimize(image->pixelAt(kSize / 2, kSize / 2));
    }
  }
  // Seconds a thumbnail (the inverse of a rate): 65u is 65 microseconds.
  state.counters["per_thumbnail"] = benchmark::Counter(double(count) * double(state.iterations()),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
} // namespace

BENCHMARK(BM_ThumbnailMarble)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThumbnailImage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThumbnailPlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Frame400Plain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame400Marble)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThousandThumbnails)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SceneThumbnails)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
  takeVectorPathFlag(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
