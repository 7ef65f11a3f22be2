// How long File > Open (Table) takes to read and calculate the rows of 1,000 spring data files
// (the window is not part of it): every file read, its material loaded from the dBase material
// table and the spring calculated.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "foundation/kwenvar.h"
#include "foundation/utilstr.h"
#include "shell/preview.h"
#include "shell/startup.h"

namespace {

namespace fs = std::filesystem;

// The shipped material table and 1,000 variants of the default spring, widths 10.00 to 59.95.
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
    for (int i = 0; i < 1000; ++i) {
      std::string b = bytes;
      b.replace(w + 2, 10, qorva::RealStrFix(2, 7, 10 + i * 0.05L));
      std::ofstream(path / "federn" / ("feder" + qorva::IntStr(i) + ".qva"), std::ios::binary) << b;
    }
  }
  ~SpringFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path path;
};

void BM_FileTableOf1000Springs(benchmark::State& state) {
  static const SpringFolder folder;
  qorva::InitProgramModules({});
  qorva::SetProgramIdentity();
  qorva::kwenvar.DbfDir = folder.path.string() + "/";
  qorva::kwenvar.TempDir = folder.path.string() + "/";
  qorva::kwenvar.DataDir = (folder.path / "federn").string() + "/";
  qorva::GridRows table;
  for (auto _ : state) {
    table = qorva::ReadFileTable(qorva::kwenvar.DataDir);
    benchmark::DoNotOptimize(table.data());
  }
  const size_t rows = table.size();
  // The last by name is feder999, width 59.95, read with its material.
  if (rows != 1001 || table.back()[0] != "feder999.qva" || table.back()[4].find("59.95") == std::string::npos ||
      table.back()[12].empty())
    state.SkipWithError("not every file was read into its row");
  state.counters["rows"] = static_cast<double>(rows - 1);
  qorva::ShutdownProgram();
}
BENCHMARK(BM_FileTableOf1000Springs)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
