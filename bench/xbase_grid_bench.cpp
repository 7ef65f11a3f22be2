// The browse grid on a table of 1,000,000 records next to one of 1,000: time to the first painted
// grid, time to scroll to the end and paint it, and the memory the open grid adds. The grid reads
// only the records it shows, so both tables should open alike.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QScrollBar>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>

#include "bench/xbase_bigtable.h"
#include "xbase/access/tablehost.h"
#include "xbase/access/ui/browsewindow.h"
#include "xbase/ui/datagrid.h"
#include "xbase/filedataset.h"

namespace {

using qorva::bench::BigTable;

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

// The first 1,000 records of the big table as a table of their own.
const std::string& SmallTable() {
  static const std::string path = [] {
    std::ifstream in(BigTable(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    uint16_t headerLen = static_cast<uint8_t>(bytes[8]) | static_cast<uint8_t>(bytes[9]) << 8;
    bytes.resize(headerLen + 1000 * 40);
    bytes.push_back('\x1A');
    uint32_t n = 1000;
    for (int k = 0; k < 4; ++k) bytes[4 + k] = static_cast<char>(n >> (8 * k));
    std::string p = (qorva::bench::DataDir() / "small.dbf").string();
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
  }();
  return path;
}

long RssKb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// What one opening shows: the widget to paint and the grid in it.
struct Opened {
  QWidget* widget;
  qorva::DataGrid* grid;
  qorva::TXbDbf* dataset;
};

// Times open (which shows the table) to the first painted widget, then the scroll to the last
// record; close ends the opening.
void Measure(benchmark::State& state, const std::function<Opened()>& open, const std::function<void()>& close) {
  App();
  qorva::bench::StartEngine();
  double firstPaint = 0, toEnd = 0;
  long added = 0;
  for (auto _ : state) {
    long before = RssKb();
    auto t0 = std::chrono::steady_clock::now();
    const Opened o = open();
    o.widget->resize(800, 600);
    o.widget->show();
    QImage shot = o.widget->grab().toImage();
    auto t1 = std::chrono::steady_clock::now();
    auto* model = o.grid->gridModel();
    o.grid->scrollToBottom();
    o.grid->setCurrentIndex(model->index(model->rowCount() - 1, 0));
    shot = o.widget->grab().toImage();
    auto t2 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(shot);
    if (o.dataset->RecNo() != o.dataset->RecordCount()) state.SkipWithError("not at the last record");
    added = RssKb() - before;
    firstPaint = std::chrono::duration<double, std::milli>(t1 - t0).count();
    toEnd = std::chrono::duration<double, std::milli>(t2 - t1).count();
    close();
  }
  state.counters["first_paint_ms"] = firstPaint;
  state.counters["scroll_to_end_ms"] = toEnd;
  state.counters["rss_added_kB"] = static_cast<double>(added);
}

// The grid alone over a dataset of the table.
void Browse(benchmark::State& state, const std::string& table) {
  std::unique_ptr<qorva::TXbDbf> ds;
  std::unique_ptr<qorva::DataGrid> grid;
  Measure(
      state,
      [&] {
        ds = std::make_unique<qorva::TXbDbf>();
        ds->SetDbfFileName(table);
        ds->Open();
        grid = std::make_unique<qorva::DataGrid>();
        grid->setDataset(new qorva::DataGridModel(ds.get(), grid.get()));
        return Opened{grid.get(), grid.get(), ds.get()};
      },
      [&] {
        grid.reset();
        ds.reset();
      });
}

// The same through the whole browse window over the access layer's table: menus, navigator and the
// window's own dataset.
void BrowseWindow(benchmark::State& state, const std::string& table) {
  std::unique_ptr<qorva::BrowseWindow> form;
  Measure(
      state,
      [&] {
        qorva::tableHost.Table.OpenFile(table);
        form = std::make_unique<qorva::BrowseWindow>();
        if (!form->Prepare("", 0)) state.SkipWithError("the window did not open");
        return Opened{form.get(), form->XbGrid1, &form->xbdbf};
      },
      [&] {
        form.reset();
        qorva::tableHost.Table.Resume();
        qorva::tableHost.Table.CloseFile();
      });
}

void BM_BrowseGrid1000(benchmark::State& state) { Browse(state, SmallTable()); }
void BM_BrowseGrid1000000(benchmark::State& state) { Browse(state, BigTable()); }

BENCHMARK(BM_BrowseGrid1000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BrowseGrid1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BrowseWindow1000(benchmark::State& state) { BrowseWindow(state, SmallTable()); }
void BM_BrowseWindow1000000(benchmark::State& state) { BrowseWindow(state, BigTable()); }
BENCHMARK(BM_BrowseWindow1000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BrowseWindow1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
