// The help-picture interpreter on a picture of 200,000 pen moves (plain pairs, pen changes, arcs,
// circles, labels and encoded polylines mixed), from the file into the display list; and on pictures
// of plain pen moves beside hp2xx, run as a process on the same file (time and peak memory).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "graphics/graphicsstate.h"
#include "shell/hpglinterpreter.h"
#include "shell/hpglstate.h"

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
  InitHpglState();
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
    InitGraphicsState();
    DrawHpglFile(file.string());
    benchmark::DoNotOptimize(graphicsState.DisplayList.size());
  }
  state.counters["records"] = static_cast<double>(graphicsState.DisplayList.size());
  state.counters["moves/s"] = benchmark::Counter(static_cast<double>(Moves) * state.iterations(), benchmark::Counter::kIsRate);
  std::filesystem::remove_all(dir);
  InitGraphicsState();
}
BENCHMARK(BM_DrawHpglFile)->Unit(benchmark::kMillisecond);

// ---- Plain pen moves, beside hp2xx ----

// A folder with a picture of n plain pen moves ("PDx,y;" lines), made once for each n.
const std::filesystem::path& PlainMovesFile(int n) {
  static std::map<int, std::filesystem::path> files;
  auto it = files.find(n);
  if (it != files.end()) return it->second;
  std::string dir = (std::filesystem::temp_directory_path() / "qorva_hpgl_XXXXXX").string();
  if (!::mkdtemp(dir.data())) std::abort();
  const std::filesystem::path file = std::filesystem::path(dir) / "moves.plt";
  std::string s = "IN;SP1;PU0,0;\n";
  for (int i = 0; i < n; ++i) s += "PD" + std::to_string((i * 37) % 6400) + "," + std::to_string((i * 53) % 4800) + ";\n";
  s += "PU;\n";
  std::FILE* f = std::fopen(file.c_str(), "wb");
  if (!f) std::abort();
  std::fwrite(s.data(), 1, s.size(), f);
  std::fclose(f);
  std::atexit([] {
    for (const auto& [k, p] : files) std::filesystem::remove_all(p.parent_path());
  });
  return files.emplace(n, file).first->second;
}

// Peak memory (kB) of the program argv, run in folder dir. GNU time forks it from its own small
// image: a child forked from this process would count the benchmark's own memory as its peak.
long PeakKb(const std::string& dir, std::vector<std::string> argv) {
  const std::string out = dir + "/peak.txt";
  std::vector<std::string> full = {"/usr/bin/time", "-f", "%M", "-o", out};
  full.insert(full.end(), argv.begin(), argv.end());
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    std::vector<char*> a;
    for (auto& s : full) a.push_back(s.data());
    a.push_back(nullptr);
    execv(a[0], a.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  std::FILE* f = std::fopen(out.c_str(), "r");
  if (!f) return -1;
  long kb = -1;
  if (std::fscanf(f, "%ld", &kb) != 1) kb = -1;
  std::fclose(f);
  return kb;
}

std::string g_self;  // this program, which interprets one picture when asked (see main)

void BM_PlainMovesQorva(benchmark::State& state) {
  using namespace qorva;
  InitAllSettings();
  InitHpglState();
  const std::filesystem::path& file = PlainMovesFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    InitGraphicsState();
    DrawHpglFile(file.string());
    benchmark::DoNotOptimize(graphicsState.DisplayList.size());
  }
  state.counters["records"] = static_cast<double>(graphicsState.DisplayList.size());
  state.counters["list_MB"] = static_cast<double>(graphicsState.DisplayList.byteSize()) / 1e6;
  InitGraphicsState();
  // The whole program's peak while it holds the picture: this program run to interpret it alone.
  state.counters["peak_rss_MB"] =
      static_cast<double>(PeakKb(file.parent_path().string(), {g_self, "--interpret", file.string()})) / 1e3;
}

void BM_PlainMovesHp2xx(benchmark::State& state) {
  const std::filesystem::path& file = PlainMovesFile(static_cast<int>(state.range(0)));
  const std::string dir = file.parent_path().string();
  long peak = 0;
  for (auto _ : state) {
    const long kb = PeakKb(dir, {"/usr/bin/hp2xx", "-q", "-m", "hpgl", "-f", "/dev/null", file.string()});
    if (kb < 0) {
      state.SkipWithError("hp2xx did not run");
      return;
    }
    peak = std::max(peak, kb);
  }
  state.counters["peak_rss_MB"] = static_cast<double>(peak) / 1e3;
}

BENCHMARK(BM_PlainMovesQorva)->Arg(200000)->Arg(2000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5);
BENCHMARK(BM_PlainMovesHp2xx)->Arg(200000)->Arg(2000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5);

}  // namespace

// "--interpret file": interprets that picture and ends (the memory probe); else the benchmarks.
int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--interpret") {
    qorva::InitAllSettings();
    qorva::InitHpglState();
    qorva::InitGraphicsState();
    qorva::DrawHpglFile(argv[2]);
    return qorva::graphicsState.DisplayList.empty() ? 1 : 0;
  }
  g_self = std::filesystem::canonical("/proc/self/exe").string();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
