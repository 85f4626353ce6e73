// Speed of the preview renderer: thumbnails of the sample sphere, an orbit
// frame, and a browser's worth of thumbnails in a row.
#include "BenchMaterials.h"

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
} // namespace

BENCHMARK(BM_ThumbnailMarble)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThumbnailImage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThumbnailPlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Frame400Plain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Frame400Marble)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThousandThumbnails)->Unit(benchmark::kMillisecond)->Iterations(3);

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
