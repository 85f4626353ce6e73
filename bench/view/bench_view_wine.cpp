// The shaded view benchmark of bench_view.cpp under Wine: runs the optimised
// Windows build's view_timer.exe (through scripts/wine-run) once and reports
// each of its cases: the median of its repetitions' CPU time as the time,
// the fastest as min_ms, the median of the wall clock as wall_median_ms. Needs cmake --preset windows-release && cmake
// --build
// --preset windows-release; ME_BENCH_TIMER names another view_timer.exe.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <unistd.h>

namespace
{
namespace fs = std::filesystem;

struct Timing
{
  double median = 0, min = 0, wall = 0;
};

struct Run
{
  std::map<std::string, Timing> cases;
  std::string problem;
};

const Run& run()
{
  static const Run result = [] {
    Run r;
    const char* given = std::getenv("ME_BENCH_TIMER");
    const std::string timer = given && *given ? given : ME_BENCH_DEFAULT_TIMER;
    const fs::path out = fs::temp_directory_path() / ("me_view_timer_" + std::to_string(::getpid()) + ".txt");
    const std::string command = "'" ME_SOURCE_DIR "/scripts/wine-run' '" + timer + "' 10 > '" + out.string() + "'";
    if (std::system(command.c_str()) != 0)
      r.problem = "view_timer.exe failed under Wine (is the windows-release build there?)";
    std::ifstream in(out);
    std::string name;
    Timing t;
    while (in >> name >> t.median >> t.min >> t.wall)
      r.cases[name] = t;
    fs::remove(out);
    if (r.problem.empty() && r.cases.size() < 4)
      r.problem = "view_timer.exe reported too few cases";
    return r;
  }();
  return result;
}

void report(benchmark::State& state, const char* name)
{
  const Run& r = run();
  auto found = r.cases.find(name);
  if (!r.problem.empty() || found == r.cases.end())
  {
    state.SkipWithError(r.problem.empty() ? "case missing" : r.problem.c_str());
    return;
  }
  for (auto _ : state)
    state.SetIterationTime(found->second.median / 1000.0);
  state.counters["min_ms"] = found->second.min;
  state.counters["wall_median_ms"] = found->second.wall;
}

void BM_ViewFirstDrawUnderWine(benchmark::State& state) { report(state, "first_draw"); }
void BM_ViewRedrawPlanUnderWine(benchmark::State& state) { report(state, "redraw_plan"); }
void BM_ViewRedrawIsometricUnderWine(benchmark::State& state) { report(state, "redraw_isometric"); }
void BM_ViewMaterialChangedUnderWine(benchmark::State& state) { report(state, "material_changed"); }

BENCHMARK(BM_ViewFirstDrawUnderWine)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewRedrawPlanUnderWine)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewRedrawIsometricUnderWine)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewMaterialChangedUnderWine)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
} // namespace
