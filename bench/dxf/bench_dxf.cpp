// DXF files of a large drawing: 100,000 polyface cubes on 100 layers with
// 1,000 distinct materials, written to text and read back. The counters give
// the file size and the objects read.
#include "BigDrawing.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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
} // namespace
