// The shaded view benchmark as a plain program, for the Windows build under
// Wine (Google Benchmark is not built for it): the same cases as
// bench_view.cpp, each repeated, printed as "case median_ms min_ms" lines of the process's
// CPU time.
// Usage: view_timer [repetitions]
#include "ShadedView.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

using namespace viewbench;

namespace
{
void report(const char* name, std::vector<double> ms)
{
  std::sort(ms.begin(), ms.end());
  std::printf("%s %.2f %.2f\n", name, ms[ms.size() / 2], ms.front());
  std::fflush(stdout);
}

std::vector<double> timeEach(int repetitions, const std::function<void()>& step)
{
  std::vector<double> ms;
  for (int i = 0; i < repetitions; ++i)
  {
    const double start = cpuMilliseconds();
    step();
    ms.push_back(cpuMilliseconds() - start);
  }
  return ms;
}
} // namespace

int main(int argc, char** argv)
{
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  OdDbDatabase* db = drawing();

  std::vector<double> first;
  for (int i = 0; i < 3; ++i)
  {
    ShadedView view(db, Direction::Plan);
    const double start = cpuMilliseconds();
    view.update();
    first.push_back(cpuMilliseconds() - start);
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
