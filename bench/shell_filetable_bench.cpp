// How long File > Open (Table) takes to read and calculate the rows of 10,000 spring data files (the
// window is not part of it): every file read, its material found in the dBase material table and the
// spring calculated. Beside it, the same files merely read whole, the floor any table stands on; the
// ratio of the two medians is the figure that counts.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "foundation/programstate.h"
#include "foundation/utilstr.h"
#include "shell/filetable.h"
#include "shell/startup.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 10000;

// The shipped material table and 10,000 variants of the default spring, widths 10.00 to 59.99 twice.
struct SpringFolder {
  SpringFolder() {
    std::string pattern = (fs::temp_directory_path() / "qorva-filetable-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    path = pattern;
    const fs::path data = fs::path(QORVA_SOURCE_DIR) / "data";
    fs::copy_file(data / "yeb9wst.dbf", path / "yeb9wst.dbf");
    std::ifstream in(data / "null.qva", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t w = bytes.find("\r\n50.0000000\r\n");
    if (w == std::string::npos) std::abort();
    fs::create_directory(path / "federn");
    for (int i = 0; i < kFiles; ++i) {
      std::string b = bytes;
      b.replace(w + 2, 10, qorva::RealStrFix(2, 7, 10 + (i % 5000) * 0.01L));
      std::ofstream(path / "federn" / ("feder" + qorva::IntStr(i) + ".qva"), std::ios::binary) << b;
    }
  }
  ~SpringFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path path;
};

const SpringFolder& Folder() {
  static const SpringFolder folder;
  return folder;
}

// The floor: list the folder and read every file whole.
void BM_ReadSpringFilesWhole(benchmark::State& state) {
  const fs::path dir = Folder().path / "federn";
  size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    char buf[4096];
    for (const auto& e : fs::directory_iterator(dir)) {
      const int fd = ::open(e.path().c_str(), O_RDONLY);
      if (fd < 0) std::abort();
      for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) bytes += static_cast<size_t>(n);
      ::close(fd);
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["files"] = kFiles;
}
BENCHMARK(BM_ReadSpringFilesWhole)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_FileTableOf10000Springs(benchmark::State& state) {
  const SpringFolder& folder = Folder();
  qorva::InitProgramModules({});
  qorva::SetProgramIdentity();
  qorva::programState.DbfDir = folder.path.string() + "/";
  qorva::programState.TempDir = folder.path.string() + "/";
  qorva::programState.DataDir = (folder.path / "federn").string() + "/";
  qorva::GridRows table;
  for (auto _ : state) {
    table = qorva::ReadFileTable(qorva::programState.DataDir);
    benchmark::DoNotOptimize(table.data());
  }
  const size_t rows = table.size();
  // The last by name is feder9999, width 59.99, read with its material.
  if (rows != kFiles + 1 || table.back()[0] != "feder9999.qva" || table.back()[4].find("59.99") == std::string::npos ||
      table.back()[12].empty())
    state.SkipWithError("not every file was read into its row");
  state.counters["rows"] = static_cast<double>(rows - 1);
  qorva::ShutdownProgram();
}
BENCHMARK(BM_FileTableOf10000Springs)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
