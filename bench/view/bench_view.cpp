// The shaded view of 100,000 polyface cubes with 1,000 distinct materials at
// 1,000 x 700 (bench/common/BigDrawing.h):
//
//   BM_ViewFirstDraw          a new device's first update: the scene is built
//   BM_ViewRedraw/0           a full redraw with the scene kept: the view
//                             moves a hair each time; from above
//   BM_ViewRedraw/1           the same from the side (isometric)
//   BM_ViewMaterialChanged    one material's colour changed, then an update
//   BM_ViewZoomedIn           zoomed 50 times into one end of the grid
//
// Each checks that the model shows (a twentieth of the picture or more).
#include "ShadedView.h"

#include <benchmark/benchmark.h>

using namespace viewbench;

namespace
{
void BM_ViewFirstDraw(benchmark::State& state)
{
  OdDbDatabase* db = drawing();
  for (auto _ : state)
  {
    state.PauseTiming();
    auto view = std::make_unique<ShadedView>(db, Direction::Plan);
    state.ResumeTiming();
    view->update();
    state.PauseTiming();
    view->check(kModelFraction);
    view.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ViewFirstDraw)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ViewRedraw(benchmark::State& state)
{
  ShadedView view(drawing(), state.range(0) ? Direction::Isometric : Direction::Plan);
  view.update();
  for (auto _ : state)
    view.redraw();
  view.check(kModelFraction);
  state.counters["triangles"] = view.device()->lastUpdateReport().numTriangles;
}
BENCHMARK(BM_ViewRedraw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_ViewMaterialChanged(benchmark::State& state)
{
  ShadedView view(drawing(), Direction::Plan);
  view.update();
  int next = 0;
  for (auto _ : state)
  {
    view.changeMaterial(next++ * 37);
    view.update();
  }
  view.check(kModelFraction);
}
BENCHMARK(BM_ViewMaterialChanged)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_ViewZoomedIn(benchmark::State& state)
{
  ShadedView view(drawing(), Direction::Plan);
  // The grid's west end, 40 cubes across.
  const OdGePoint3d target(40, 40, 0);
  view.view()->setView(target + OdGeVector3d(0, 0, 100), target, OdGeVector3d::kYAxis, 80, 56);
  view.update();
  for (auto _ : state)
    view.redraw();
  view.check(0.2);
  state.counters["triangles"] = view.device()->lastUpdateReport().numTriangles;
}
BENCHMARK(BM_ViewZoomedIn)->Unit(benchmark::kMillisecond)->MinTime(1.0);
} // namespace
