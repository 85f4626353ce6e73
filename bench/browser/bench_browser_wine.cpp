// The Materials Browser under Wine, as the host measures it: TIME
// MATBROWSEROPEN, from the command until the items in sight show their
// thumbnails and the list has painted; TIME WAIT THUMBNAILS, the rest of the
// thumbnails; a click on an item while they are drawn; a keystroke in the
// filter; and TIME THEME, the list shown again on the new background.
//
//   BM_BrowserLoadUnderWine     1,000 materials (plain, marble, wood and image
//                               maps sharing a few files)
//   BM_BrowserDistinct/N        N plain materials, every colour different, so
//                               that no two thumbnails are alike
//   BM_BrowserThemeSwitch/N     the same drawing, shown, then the theme
//                               switched between dark and light
//
// Each case reports the host thread's CPU time (cpuMs of TIME) as its time,
// and the median of its five repetitions as cpu_median_ms; the distinct cases
// also the medians of the time until every thumbnail is drawn (all_done_ms:
// the showing, the click and the wait, on the wall), of the click answered
// during the fill (click_ms) and of the keystroke in the filter (key_ms), the
// process's private memory (private_mb, the largest of the repetitions) and
// its peak working set (peak_ws_mb). After the last repetition the host dumps
// the list: a case fails unless every material has its item and every item
// its thumbnail, rendered.
//
// Needs the optimised Windows build (cmake --preset windows-release &&
// cmake --build --preset windows-release) and runs its host.exe through
// scripts/wine-run; ME_BENCH_HOST names another host.exe. The host starts
// once per drawing.
#include "JsonValue.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;

constexpr int kMixedMaterials = 1000;
constexpr int kRepetitions = 5;

// Wine sees the file system as drive Z:.
std::string wine(const fs::path& p) { return "Z:" + p.generic_string(); }

std::string hostExe()
{
  const char* given = std::getenv("ME_BENCH_HOST");
  return given && *given ? given : ME_BENCH_DEFAULT_HOST;
}

void writeMixedDrawing(const fs::path& file)
{
  const fs::path source(ME_SOURCE_DIR);
  const std::vector<fs::path> images = {source / "samples/textures/bricks.png", source / "samples/textures/checker.png",
                                        source / "tests/fixtures/images/quad.jpg",
                                        source / "tests/fixtures/images/quad-lzw.tif"};
  std::ofstream out(file);
  for (int i = 0; i < kMixedMaterials; ++i)
  {
    out << "MATERIAL \"Material " << i << "\"";
    switch (i % 4)
    {
    case 0: out << " DIFFUSE " << (i * 37) % 256 << "," << (i * 91) % 256 << "," << (i * 53) % 256; break;
    case 1: out << " MAP MARBLE"; break;
    case 2: out << " DIFFUSE 150,100,50 MAP WOOD"; break;
    default: out << " MAP FILE '" << wine(images[std::size_t(i / 4) % images.size()]) << "'"; break;
    }
    out << "\n";
  }
}

// Red and green together count the materials up to 65,536, so no two share
// a colour; blue varies beside them.
void writeDistinctDrawing(const fs::path& file, int count)
{
  std::ofstream out(file);
  for (int i = 0; i < count; ++i)
    out << "MATERIAL \"Plain " << i << "\" DIFFUSE " << i % 256 << "," << i / 256 << "," << (i * 7) % 256 << "\n";
}

struct Run
{
  std::vector<double> showWall, showCpu, themeWall, themeCpu; // milliseconds
  std::vector<double> allDone, click, key;
  double privateBytes = 0, peakWorkingSet = 0;
  std::string problem; // empty when the run and its list are sound
};

JsonValue readJson(const fs::path& file)
{
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return JsonValue::parse(text.str());
}

// Every material of the drawing listed, each with a thumbnail.
std::string checkList(const JsonValue& dump, int materials)
{
  const JsonValue& palettes = dump["palettes"];
  if (!palettes.has("Materials Browser") || !palettes["Materials Browser"].has("list"))
    return "the browser shows no list";
  const JsonValue& items = palettes["Materials Browser"]["list"]["items"];
  if (int(items.size()) < materials)
    return "the list shows " + std::to_string(items.size()) + " items of " + std::to_string(materials);
  for (const JsonValue& item : items.items())
    if (item["thumbnail"].isNull() || !item["rendered"].asBool())
      return "the item \"" + item["text"].asString() + "\" has no thumbnail";
  return {};
}

// Runs the host on the drawing: the browser shown and hidden kRepetitions
// times, then (themes) shown once more and the theme switched kRepetitions
// times, dark and light in turn.
Run runHost(const std::string& name, int materials, bool distinct, bool themes)
{
  const fs::path dir = fs::temp_directory_path() / ("me_bench_browser_" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path drawing = dir / "drawing.mescript";
  if (distinct)
    writeDistinctDrawing(drawing, materials);
  else
    writeMixedDrawing(drawing);
  {
    std::ofstream script(dir / "script.txt");
    // The click while the thumbnails are drawn, the keystroke once they
    // are: a digit most names hold, so the list is filled anew.
    for (int i = 0; i < kRepetitions; ++i)
      script << "TIME MATBROWSEROPEN\nTIME CLICK \"Materials Browser\" ITEM \"" << (distinct ? "Plain 1" : "Material 1")
             << "\"\nTIME WAIT THUMBNAILS\nCLICK \"Materials Browser\" FILTER\nTIME TYPE \"1\"\nKEY Esc\n"
             << "MATBROWSEROPEN\n";
    script << "MATBROWSEROPEN\nWAIT THUMBNAILS\n";
    if (themes)
      for (int i = 0; i < kRepetitions; ++i)
        script << "TIME THEME " << (i % 2 == 0 ? "DARK" : "LIGHT") << "\nWAIT THUMBNAILS\n";
    script << "DUMP '" << wine(dir / "dump.json") << "'\nQUIT\n";
  }
  const std::string command = "'" ME_SOURCE_DIR "/scripts/wine-run' '" + hostExe() + "' '" + wine(drawing) +
                              "' /profile '" + wine(dir / "profile.txt") + "' /script '" + wine(dir / "script.txt") +
                              "' > '" + (dir / "host.log").string() + "' 2>&1";
  Run run;
  if (std::system(command.c_str()) != 0)
  {
    run.problem = "the host failed; see " + (dir / "host.log").string();
    return run;
  }
  const JsonValue dump = readJson(dir / "dump.json");
  // A gesture is timed a step at a time: a click's steps add up.
  double click = 0, done = 0;
  for (const JsonValue& timing : dump["timings"].items())
  {
    const std::string command = timing["command"].asString();
    const double wall = timing["ms"].asNumber();
    if (timing.has("privateBytes"))
      run.privateBytes = std::max(run.privateBytes, timing["privateBytes"].asNumber());
    if (command.rfind("THEME", 0) == 0)
    {
      run.themeWall.push_back(wall);
      run.themeCpu.push_back(timing["cpuMs"].asNumber());
    }
    else if (command == "MATBROWSEROPEN")
    {
      run.showWall.push_back(wall);
      run.showCpu.push_back(timing["cpuMs"].asNumber());
      done = wall;
      click = 0;
    }
    else if (command.rfind("CLICK", 0) == 0)
      click += wall;
    else if (command == "WAIT THUMBNAILS")
    {
      run.click.push_back(click);
      run.allDone.push_back(done + click + wall);
    }
    else if (command.rfind("TYPE", 0) == 0)
      run.key.push_back(wall);
  }
  if (dump.has("memory"))
    run.peakWorkingSet = dump["memory"]["peakWorkingSetBytes"].asNumber();
  if (run.showCpu.size() != std::size_t(kRepetitions) || run.allDone.size() != std::size_t(kRepetitions) ||
      run.key.size() != std::size_t(kRepetitions) || (themes && run.themeCpu.size() != std::size_t(kRepetitions)))
    run.problem = "the host recorded too few timings";
  else
    run.problem = checkList(dump, materials);
  return run;
}

// One host run a drawing: the showing and the theme cases of a size share it.
const Run& distinctRun(int materials)
{
  static std::map<int, Run> runs;
  auto found = runs.find(materials);
  if (found == runs.end())
    found = runs.emplace(materials, runHost("distinct" + std::to_string(materials), materials, true, true)).first;
  return found->second;
}

double median(std::vector<double> values)
{
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// Each iteration is one repetition, timed by the host thread's CPU time.
void report(benchmark::State& state, const std::vector<double>& cpu, const std::vector<double>& wall, int materials)
{
  std::size_t next = 0;
  for (auto _ : state)
  {
    state.SetIterationTime(cpu[next % cpu.size()] / 1000.0);
    ++next;
  }
  state.counters["cpu_median_ms"] = median(cpu);
  state.counters["wall_median_ms"] = median(wall);
  state.counters["first_cpu_ms"] = cpu.front();
  state.counters["materials"] = materials;
}

void BM_BrowserLoadUnderWine(benchmark::State& state)
{
  const Run run = runHost("mixed", kMixedMaterials, false, false);
  if (!run.problem.empty())
  {
    state.SkipWithError(run.problem.c_str());
    return;
  }
  report(state, run.showCpu, run.showWall, kMixedMaterials);
}

void BM_BrowserDistinct(benchmark::State& state)
{
  const int materials = int(state.range(0));
  const Run& run = distinctRun(materials);
  if (!run.problem.empty())
  {
    state.SkipWithError(run.problem.c_str());
    return;
  }
  report(state, run.showCpu, run.showWall, materials);
  state.counters["all_done_ms"] = median(run.allDone);
  state.counters["click_ms"] = median(run.click);
  state.counters["key_ms"] = median(run.key);
  state.counters["private_mb"] = run.privateBytes / 1e6;
  state.counters["peak_ws_mb"] = run.peakWorkingSet / 1e6;
}

void BM_BrowserThemeSwitch(benchmark::State& state)
{
  const int materials = int(state.range(0));
  const Run& run = distinctRun(materials);
  if (!run.problem.empty())
  {
    state.SkipWithError(run.problem.c_str());
    return;
  }
  report(state, run.themeCpu, run.themeWall, materials);
}
} // namespace

BENCHMARK(BM_BrowserLoadUnderWine)->UseManualTime()->Iterations(kRepetitions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BrowserDistinct)
  ->Arg(1000)
  ->Arg(5000)
  ->UseManualTime()
  ->Iterations(kRepetitions)
  ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BrowserThemeSwitch)
  ->Arg(1000)
  ->Arg(5000)
  ->UseManualTime()
  ->Iterations(kRepetitions)
  ->Unit(benchmark::kMillisecond);
