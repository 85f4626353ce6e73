// DXF files of a large drawing: 100,000 polyface cubes on 100 layers with
// 1,000 distinct materials, written to text and read back. The counters give
// the file size and the objects read.
#include "BigDrawing.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace
{
using bigdrawing::kCubes;

[[noreturn]] void fail(const char* what)
{
  std::fprintf(stderr, "benchmark check failed: %s\n", what);
  std::abort();
}

const OdDbDatabasePtr& drawing()
{
  static const OdDbDatabasePtr db = bigdrawing::cubes();
  return db;
}

// ME_DXF_BENCH_FILE=path also leaves the file there, for timing the host's
// OPEN and SAVEAS of it under Wine.
const std::string& drawingText()
{
  static const std::string text = [] {
    std::string written = odDxfWrite(drawing());
    if (const char* path = std::getenv("ME_DXF_BENCH_FILE"))
    {
      std::FILE* file = std::fopen(path, "wb");
      if (!file || std::fwrite(written.data(), 1, written.size(), file) != written.size() || std::fclose(file) != 0)
        fail("ME_DXF_BENCH_FILE is written");
    }
    return written;
  }();
  return text;
}

void DxfWrite(benchmark::State& state)
{
  OdDbDatabase* db = drawing();
  std::size_t bytes = 0;
  for (auto _ : state)
  {
    const std::string text = odDxfWrite(db);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["megabytes"] = double(bytes) / 1e6;
}
BENCHMARK(DxfWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

void DxfRead(benchmark::State& state)
{
  const std::string& text = drawingText();
  std::size_t entities = 0;
  for (auto _ : state)
  {
    OdDbDatabasePtr db = odDxfRead(text, L"big.dxf");
    OdDbBlockTableRecordPtr model = db->getModelSpaceId().safeOpenObject();
    entities = model->entityIds().size();
    state.PauseTiming();
    db.release(); // freeing the drawing is not reading it
    state.ResumeTiming();
  }
  if (entities != std::size_t(kCubes))
    fail("every cube is read");
  state.counters["megabytes"] = double(text.size()) / 1e6;
  state.counters["entities"] = double(entities);
}
BENCHMARK(DxfRead)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same drawing as an older AutoCAD writes it: CR LF line ends, AC1018,
// ANSI_1251, the layers named in Cyrillic ("\xD1\xEB\xEE\xE9" is "Слой").
const std::string& olderText()
{
  static const std::string text = [] {
    const std::string& utf8 = drawingText();
    std::string older;
    older.reserve(utf8.size() + utf8.size() / 4);
    for (std::size_t at = 0; at < utf8.size();)
    {
      const std::size_t end = std::min(utf8.find('\n', at), utf8.size());
      std::string_view line(utf8.data() + at, end - at);
      if (line == "AC1021")
        line = "AC1018";
      else if (line == "ANSI_1252")
        line = "ANSI_1251";
      if (line.substr(0, 6) == "Layer ")
        older.append("\xD1\xEB\xEE\xE9").append(line.substr(5));
      else
        older.append(line);
      older += "\r\n";
      at = end + 1;
    }
    return older;
  }();
  return text;
}

void DxfReadOlder(benchmark::State& state)
{
  const std::string& text = olderText();
  for (auto _ : state)
  {
    OdDbDatabasePtr db = odDxfRead(text, L"older.dxf");
    state.PauseTiming();
    OdDbLayerTablePtr layers = db->getLayerTableId().safeOpenObject();
    if (!layers->has(L"\u0421\u043b\u043e\u0439 7"))
      fail("the layers' names are read in their code page");
    db.release();
    state.ResumeTiming();
  }
  state.counters["megabytes"] = double(text.size()) / 1e6;
}
BENCHMARK(DxfReadOlder)->Unit(benchmark::kMillisecond)->Iterations(3);
} // namespace
