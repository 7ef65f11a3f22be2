// The help-picture interpreter on a picture of 200,000 pen moves (plain pairs, pen changes, arcs,
// circles, labels and encoded polylines mixed), from the file into the display list.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "foundation/kwenvar.h"
#include "foundation/settings.h"
#include "graphics/kwengraf.h"
#include "shell/hbildg.h"
#include "shell/hbildvar.h"

namespace {

constexpr int Moves = 200000;

std::string BigPicture() {
  std::string s = "IN;CS3;SI0.2,0.3;SP1;PU0,0;";
  for (int i = 0; i < Moves; ++i) {
    const int x = (i * 37) % 6400, y = (i * 53) % 4800;
    switch (i % 50) {
      case 0: s += "SP" + std::to_string(1 + i % 7) + ";"; break;
      case 1: s += "AA3200,2400,45;"; break;
      case 2: s += "CI120;"; break;
      case 3: s += "LBBand und Wickel\x03"; break;
      case 4: s += "PE<=G\xc2G\xc2O\xc0P\xc0;"; break;
      default: break;
    }
    s += (i % 10 == 0 ? "PU" : "PD") + std::to_string(x) + "," + std::to_string(y) + ";\r\n";
  }
  return s;
}

void BM_DrawHpglFile(benchmark::State& state) {
  using namespace qorva;
  InitAllSettings();
  InitHbildvar();
  // A folder of its own: the picture's name is fixed.
  std::string dir = (std::filesystem::temp_directory_path() / "qorva_hpgl_XXXXXX").string();
  if (!::mkdtemp(dir.data())) {
    state.SkipWithError("cannot make a folder");
    return;
  }
  const std::filesystem::path file = std::filesystem::path(dir) / "bild.plt";
  {
    const std::string text = BigPicture();
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) {
      state.SkipWithError("cannot write the picture");
      return;
    }
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  for (auto _ : state) {
    InitKwengraf();
    DrawHpglFile(file.string());
    benchmark::DoNotOptimize(kwengraf.DisplayList.data());
  }
  state.counters["records"] = static_cast<double>(kwengraf.DisplayList.size());
  state.counters["moves/s"] = benchmark::Counter(static_cast<double>(Moves) * state.iterations(), benchmark::Counter::kIsRate);
  std::filesystem::remove_all(dir);
  InitKwengraf();
}
BENCHMARK(BM_DrawHpglFile)->Unit(benchmark::kMillisecond);

}  // namespace
