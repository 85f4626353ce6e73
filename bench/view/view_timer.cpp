// The shaded view benchmark as a plain program, for the Windows build under
// Wine (Google Benchmark is not built for it): the same cases as
// bench_view.cpp, each repeated, printed as "case median_ms min_ms
// wall_median_ms" lines: the process's CPU time (which Wine counts in steps
// of 10 ms or so), and the wall clock's.
// Usage: view_timer [repetitions]
#include "ShadedView.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

using namespace viewbench;

namespace
{
struct Times
{
  std::vector<double> cpu, wall;

  void time(const std::function<void()>& step)
  {
    const double start = cpuMilliseconds();
    const auto wallStart = std::chrono::steady_clock::now();
    step();
    cpu.push_back(cpuMilliseconds() - start);
    wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count());
  }
};

void report(const char* name, Times t)
{
  std::sort(t.cpu.begin(), t.cpu.end());
  std::sort(t.wall.begin(), t.wall.end());
  std::printf("%s %.2f %.2f %.2f\n", name, t.cpu[t.cpu.size() / 2], t.cpu.front(), t.wall[t.wall.size() / 2]);
  std::fflush(stdout);
}

Times timeEach(int repetitions, const std::function<void()>& step)
{
  Times t;
  for (int i = 0; i < repetitions; ++i)
    t.time(step);
  return t;
}
} // namespace

int main(int argc, char** argv)
{
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  OdDbDatabase* db = drawing();

  Times first;
  for (int i = 0; i < 3; ++i)
  {
    ShadedView view(db, Direction::Plan);
    first.time([&] { view.update(); });
    view.check(kModelFraction);
  }
  report("first_draw", first);

  for (Direction direction : {Direction::Plan, Direction::Isometric})
  {
    ShadedView view(db, direction);
    view.update();
    const auto ms = timeEach(repetitions, [&] { view.redraw(); });
    view.check(kModelFraction);
    report(direction == Direction::Plan ? "redraw_plan" : "redraw_isometric", ms);
  }

  ShadedView view(db, Direction::Plan);
  view.update();
  int next = 0;
  const auto changed = timeEach(repetitions, [&] {
    view.changeMaterial(next++ * 37);
    view.update();
  });
  view.check(kModelFraction);
  report("material_changed", changed);
  return 0;
}
