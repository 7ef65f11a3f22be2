// Replay of a long display list onto a full-HD image: the cost of one repaint of a big drawing.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "graphics/graphicsstate.h"
#include "graphics/ui/graphicswindow.h"

namespace {

// A drawing of a million records of every kind the spring views use, about as often as they do.
void FillDisplayList(std::size_t n) {
  using namespace qorva;
  InitGraphicsState();
  GraphicsWindowCreate();
  programState.GraphResX = 1919;
  programState.GraphResY = 1079;
  Header(0, 0, 420, 297);
  SetTextStyle(0, 0, 3.5L, 2.5L);
  std::size_t i = 0;
  while (graphicsState.DisplayList.size() < n) {
    const long double x = static_cast<long double>(i % 400) + 0.123L, y = static_cast<long double>(i % 280) + 0.456L;
    switch (i % 10) {
      case 0: SetColor(static_cast<int32_t>(1 + i % 15)); break;
      case 1: circle(x, y, 3.25L); break;
      case 2: Arc(x, y, 10, 250, 4.5L); break;
      case 3: Solid(x, y, x + 3.5L, y + 0.6L, x + 3.5L, y - 0.6L, x + 3.6L, y); break;
      case 4: if (i % 100 == 4) OutTextXY(x, y, "F = 12.5 N"); else line(y, x, x, y); break;
      case 5: SetLineStyle(static_cast<uint16_t>(i % 4)); break;
      default: line(x, y, x + 10.5L, y + 5.25L); break;
    }
    ++i;
  }
}

void BM_ReplayMillionRecords(benchmark::State& state) {
  // Fonts need the application object; the bench has no main of its own.
  static int argc = 1;
  static char name[] = "bench_graphics_replay";
  static char* argv[] = {name, nullptr};
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
  qorva::InitAllSettings();
  FillDisplayList(1000000);
  QImage img(1920, 1080, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&img);
    benchmark::DoNotOptimize(qorva::ReplayDisplayList(p, img.size()));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 1000000);
}
BENCHMARK(BM_ReplayMillionRecords)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Reading the records alone, to tell parsing from drawing.
void BM_ReadMillionRecords(benchmark::State& state) {
  qorva::InitAllSettings();
  FillDisplayList(1000000);
  qorva::DisplayRecordFields fields;
  std::string bad;
  const auto& list = qorva::graphicsState.DisplayList;
  for (auto _ : state)
    for (std::size_t i = 0; i < list.size(); ++i) benchmark::DoNotOptimize(list.Read(i, fields, bad));
  state.counters["list_MB"] = static_cast<double>(list.byteSize()) / 1e6;
}
BENCHMARK(BM_ReadMillionRecords)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

