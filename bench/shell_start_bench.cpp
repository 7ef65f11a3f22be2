// How long the program takes to start: the two batch modes as a user runs them (wall time and peak
// memory of the child), and the start of the main window up to its first painted drawing (offscreen).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "graphics/graphicsdraw.h"
#include "graphics/graphicsstate.h"
#include "shell/commandline.h"
#include "shell/startup.h"
#include "shell/ui/mainwindow.h"

namespace {

namespace fs = std::filesystem;

// A private folder with the shipped data, where every run starts; removed at the end.
struct WorkFolder {
  WorkFolder() {
    // QORVA_BENCH_DIR: a folder on the disk to measure (the temporary folder may live in memory).
    const char* base = std::getenv("QORVA_BENCH_DIR");
    std::string pattern = ((base && *base ? fs::path(base) : fs::temp_directory_path()) / "qorva-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    path = pattern;
    const fs::path data = fs::path(QORVA_SOURCE_DIR) / "data";
    fs::copy_file(data / "yeb9wst.dbf", path / "yeb9wst.dbf");
    fs::copy_file(data / "null.qva", path / "null.qva");
  }
  ~WorkFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path path;
};

const fs::path& WorkDir() {
  static const WorkFolder folder;
  return folder.path;
}

// Runs the program with the arguments in the work folder; returns its exit code, peak memory and CPU
// time (user and system, ms).
int RunProgram(const std::vector<std::string>& args, long& maxRssKb, double& cpuMs) {
  const std::string dir = WorkDir().string();
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    std::string bin = QORVA_BINARY;
    argv.push_back(bin.data());
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(bin.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  maxRssKb = usage.ru_maxrss;
  auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
  cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Besides the wall time: the child's CPU time; wall time beyond it is waiting (for the disk).
void BatchRun(benchmark::State& state, const std::vector<std::string>& args) {
  long peak = 0;
  double cpu = 0;
  for (auto _ : state) {
    long rss = 0;
    double ms = 0;
    if (RunProgram(args, rss, ms) != 0) {
      state.SkipWithError("the program did not write its result");
      return;
    }
    peak = std::max(peak, rss);
    cpu += ms;
  }
  state.counters["peak_rss_kB"] = static_cast<double>(peak);
  state.counters["cpu_ms"] = cpu / static_cast<double>(state.iterations());
}

void BM_TextResults(benchmark::State& state) { BatchRun(state, {"null.qva", "/I", "/NOGUI"}); }
void BM_CadDxfView1(benchmark::State& state) { BatchRun(state, {"null.qva", "/CAD1:1"}); }

// An offscreen application for a benchmark's windows; its arguments outlive it.
std::unique_ptr<QApplication> OffscreenApplication() {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "bench";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QApplication>(argc, argv);
}

// From the module start to the first painted main window with the default spring.
void BM_FirstPaintedWindow(benchmark::State& state) {
  const std::unique_ptr<QApplication> app = OffscreenApplication();
  const fs::path old = fs::current_path();
  fs::current_path(WorkDir());
  for (auto _ : state) {
    qorva::InitProgramModules({});
    {
      qorva::MainWindow w;
      if (w.FormCreate(qorva::ParseCommandLine({}))) {
        state.SkipWithError("the start ended early");
        break;
      }
      w.show();
      QApplication::processEvents();
      benchmark::DoNotOptimize(w.canvasImage().constBits());
      w.hide();
    }
    qorva::ShutdownProgram();
    qorva::GraphDraw.reset();
  }
  fs::current_path(old);
}

// The reference: a minimal Qt main window of the same size with a menu bar and a canvas that paints
// a circle into its own image, started and painted the same way.
class Canvas : public QWidget {
 public:
  QImage image;

 protected:
  void paintEvent(QPaintEvent*) override {
    image = QImage(size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setPen(Qt::green);
    p.drawEllipse(QPoint(width() / 2, height() / 2), height() / 3, height() / 3);
    p.drawText(20, 40, QStringLiteral("Konstantkraftfeder"));
    p.end();
    QPainter(this).drawImage(0, 0, image);
  }
};

void BM_MinimalQtWindow(benchmark::State& state) {
  const std::unique_ptr<QApplication> app = OffscreenApplication();
  QSize size;
  {
    // The main window's own size, so both paint the same area.
    qorva::InitProgramModules({});
    qorva::MainWindow w;
    w.FormCreate(qorva::ParseCommandLine({}));
    size = w.size();
    qorva::ShutdownProgram();
    qorva::GraphDraw.reset();
  }
  for (auto _ : state) {
    QMainWindow w;
    for (const char* menu : {"Datei", "Bearbeiten", "Ansicht", "CAD", "Datenbank", "Dokument", "OLE", "Hilfe"})
      w.menuBar()->addMenu(QString::fromLatin1(menu));
    auto* canvas = new Canvas;
    w.setCentralWidget(canvas);
    w.resize(size);
    w.show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(canvas->image.constBits());
    w.hide();
  }
}

BENCHMARK(BM_TextResults)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_CadDxfView1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_FirstPaintedWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_MinimalQtWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

}  // namespace
