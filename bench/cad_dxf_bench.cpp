// A DXF drawing of 100,000 primitives written through the CAD kernel in batch mode (output code 1):
// lines, arcs, circles, texts and solids in equal shares, on changing layers, into a scratch folder.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "foundation/cadsettings.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/desktopsettings.h"
#include "graphics/cadkernel.h"
#include "platform/launcher.h"

namespace qorva {
namespace {

constexpr int kPrimitives = 100000;

// Made afresh by each run and removed after it.
std::filesystem::path ScratchDir() { return std::filesystem::current_path() / "cad_dxf_bench_data"; }

void WriteDrawing() {
  CadBeginOutput(1);
  CadPageSetup(0, 0, 420, 297, 0);
  CadWriteTables(2);
  CadBeginEntities();
  CadTextStyle(2, 0, 3.5L, 2.5L);
  for (int i = 0; i < kPrimitives / 5; ++i) {
    const long double x = static_cast<long double>(i % 400) + 0.125L;
    const long double y = static_cast<long double>(i % 290) + 0.375L;
    CadSetColor(i % 32);
    CadLine(x, y, x + 10.5L, y - 3.25L);
    CadArc(x, y, 30, 120, 4.5L);
    CadCircle(x, y, 2.5L);
    CadText("Feder 123", x, y);
    CadSolid(x, y, x + 1, y, x, y + 1, x + 1, y + 1);
  }
  CadEndSection();
  CadEndOutput();
}

void BM_CadDxfWrite100k(benchmark::State& state) {
  std::filesystem::create_directories(ScratchDir());
  InitAllSettings();
  InitCadKernel();
  installLauncher(std::make_unique<RecordingLauncher>());  // the written file is not opened
  cadSettings.ExecCadFile = false;
  desktopSettings.CadBatchMode = true;
  programState.TempDir = ScratchDir().string();
  programState.CurrentFileName = (ScratchDir() / "bench").string();
  for (auto _ : state) {
    programState.ErrorFlag = false;
    WriteDrawing();
    if (programState.ErrorFlag) state.SkipWithError("the DXF output failed");
  }
  state.SetItemsProcessed(state.iterations() * kPrimitives);
  std::error_code ec;
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(ScratchDir() / "bench.dxf", ec));
  std::filesystem::remove_all(ScratchDir());
}
BENCHMARK(BM_CadDxfWrite100k)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qorva
