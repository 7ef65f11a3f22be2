// Memo files: 100,000 memos of 1 KB appended to a dBase IV memo file (each under the memo write
// lock of a shared table, as in use) and all read back; next to them, for scale, the same bytes
// written and read as one plain file in the same run. Throughput is shown as bytes_per_second.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "xbase/workareas.h"
#include "xbase/memo.h"
#include "xbase/enginestate.h"
#include "xbase/tablefile.h"
#include "xbase/engine.h"

namespace qorva {
namespace {

constexpr int32_t kMemos = 100000;
constexpr size_t kMemoSize = 1024;

std::filesystem::path DataDir() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::current_path() / "memo_bench_data";
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

std::string MemoText(int32_t i) {
  std::string s = "memo " + std::to_string(i) + " ";
  while (s.size() < kMemoSize) s += "constant-force spring ";
  s.resize(kMemoSize);
  return s;
}

// A fresh memo table opened shared in area 1.
void OpenFreshTable() {
  XbStartEngine();
  XbSetErrorReport(false);
  std::vector<TDbfFieldEntry> defs(2);
  defs[1] = {"NOTE", 'M', 10, 0, 0};
  TDbfControlBlock cb;
  const std::string path = (DataDir() / "notes.dbf").string();
  CreateDBF(cb, path, 1, defs);
  Select(1);
  USE(path);
}

std::vector<int32_t>& Refs() {
  static std::vector<int32_t> refs;
  return refs;
}

void BM_MemoAppend(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    OpenFreshTable();
    std::vector<std::string> texts;
    texts.reserve(kMemos);
    for (int32_t i = 0; i < kMemos; ++i) texts.push_back(MemoText(i));
    Refs().assign(kMemos, 0);
    state.ResumeTiming();
    for (int32_t i = 0; i < kMemos; ++i) Refs()[static_cast<size_t>(i)] = AddMemo(texts[static_cast<size_t>(i)]);
    state.PauseTiming();
    if (engineState.XbErrorCode != 0) state.SkipWithError("AddMemo failed");
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * kMemos * static_cast<int64_t>(kMemoSize));
}
BENCHMARK(BM_MemoAppend)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_MemoReadBack(benchmark::State& state) {
  if (Refs().empty() || !CurrentMemo()) {
    state.SkipWithError("run after BM_MemoAppend");
    return;
  }
  std::string data;
  size_t total = 0;
  for (auto _ : state) {
    for (int32_t ref : Refs()) {
      ReadMemo(ref, data);
      total += data.size();
    }
  }
  if (total != static_cast<size_t>(state.iterations()) * kMemos * kMemoSize) state.SkipWithError("short memo");
  state.SetBytesProcessed(state.iterations() * kMemos * static_cast<int64_t>(kMemoSize));
}
BENCHMARK(BM_MemoReadBack)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same bytes as one plain file, written in pieces of 1 KB and read back alike.
void BM_PlainFileWrite(benchmark::State& state) {
  const std::string path = (DataDir() / "plain.bin").string();
  const std::string piece = MemoText(0);
  for (auto _ : state) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    for (int32_t i = 0; i < kMemos; ++i) XbWriteAt(fd, static_cast<int64_t>(i) * kMemoSize, piece.data(), piece.size());
    ::close(fd);
  }
  state.SetBytesProcessed(state.iterations() * kMemos * static_cast<int64_t>(kMemoSize));
}
BENCHMARK(BM_PlainFileWrite)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_PlainFileRead(benchmark::State& state) {
  const std::string path = (DataDir() / "plain.bin").string();
  std::string buf(kMemoSize, '\0');
  for (auto _ : state) {
    int fd = ::open(path.c_str(), O_RDONLY);
    for (int32_t i = 0; i < kMemos; ++i) XbReadAt(fd, static_cast<int64_t>(i) * kMemoSize, buf.data(), buf.size());
    ::close(fd);
  }
  state.SetBytesProcessed(state.iterations() * kMemos * static_cast<int64_t>(kMemoSize));
}
BENCHMARK(BM_PlainFileRead)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace qorva
