// NDX indexes on the core benchmark's table of 1,000,000 records: building an index on a
// 20-character, a numeric and a date key, next to `LC_ALL=C sort` of the same keys written as text
// in the same run; 100,000 seeks of random keys; a key replaced on every record of an index with
// two key values.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "bench/xbase_bigtable.h"
#include "xbase/xbparser.h"
#include "xbase/dbf4.h"
#include "xbase/dbf4lock.h"
#include "xbase/xbndx.h"

namespace qorva {
namespace {

using bench::BigTable;
using bench::DataDir;
using bench::kRecords;
using bench::StartEngine;

void Start() {
  static bool started = false;
  BigTable();
  if (started) return;
  started = true;
  StartEngine();
  InitXbparser();
  IndexInit();
}

void OpenBig() {
  Select(1);
  USE(BigTable() + " EXCLUSIVE");
}

// field: 1 NAME, 2 PRICE, 3 DAY.
void BM_NdxBuild(benchmark::State& state) {
  Start();
  static const char* exprs[] = {"", "NAME", "PRICE", "DAY"};
  const std::string file = (DataDir() / "build.ndx").string();
  OpenBig();
  for (auto _ : state) {
    if (!MakeIndex(file, exprs[state.range(0)], false, 0, false, false)) state.SkipWithError("build failed");
  }
  CloseArea();
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// The same keys as text lines, sorted by the system's sort in the C locale.
void BM_SortOfTheSameKeys(benchmark::State& state) {
  Start();
  const std::string text = (DataDir() / "keys.txt").string(), sorted = (DataDir() / "keys.sorted").string();
  {
    OpenBig();
    std::string out;
    out.reserve(static_cast<size_t>(kRecords) * 24);
    TDbfControlBlock& cb = *CurrentBlock();
    const TDbfFieldEntry& e = cb.Fields[static_cast<size_t>(state.range(0))];
    for (GoTop(); !dEOF(); SKIP(1)) {
      out.append(reinterpret_cast<const char*>(cb.RawRecord.data()) + e.Offset, e.Len);
      out += '\n';
    }
    CloseArea();
    FILE* f = std::fopen(text.c_str(), "wb");
    std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
  }
  const std::string cmd = "LC_ALL=C sort " + std::string(state.range(0) == 2 ? "-n " : "") + "-o '" + sorted + "' '" + text + "'";
  for (auto _ : state) {
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("sort failed");
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_NdxSeekRandomKeys(benchmark::State& state) {
  Start();
  const std::string file = (DataDir() / "name.ndx").string();
  OpenBig();
  if (!MakeIndex(file, "NAME", false, 0, false, false)) state.SkipWithError("build failed");
  Set_Index_To(file, 1);
  std::mt19937 rng(5);
  std::vector<std::string> keys;
  for (int i = 0; i < 100000; ++i) keys.push_back("Feder " + std::to_string(1 + rng() % (kRecords - 1)));
  int64_t found = 0;
  for (auto _ : state) {
    SetExactFind();
    for (const std::string& k : keys) {
      Find(k);
      found += xbndx.IndexFound;
    }
    ClearExactFind();
  }
  CloseArea();
  if (found != static_cast<int64_t>(state.iterations()) * 100000) state.SkipWithError("a key was not found");
  state.SetItemsProcessed(state.iterations() * 100000);
}

// Every record's key goes from one of two values to the other (an index where each key has half a
// million records).
void BM_NdxReplaceLowCardinality(benchmark::State& state) {
  Start();
  const std::string file = (DataDir() / "ok.ndx").string();
  OpenBig();
  if (!MakeIndex(file, "", false, 0, false, false, [](uint8_t, std::string& k) { k = GetFieldBool(4) ? "T" : "F"; }))
    state.SkipWithError("build failed");
  Set_Index_ToCB(file, 1, [](uint8_t, std::string& k) { k = GetFieldBool(4) ? "T" : "F"; });
  Set_Order_To(0);
  const int32_t n = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    for (int32_t r = 1; r <= n; ++r) {
      GO(r);
      SetFieldBool(4, !GetFieldBool(4));
      Replace();
    }
    if (xbcommon.XbErrorCode != 0) state.SkipWithError("replace failed");
  }
  CloseArea();
  state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK(BM_NdxBuild)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(1);
// The sort runs in a child process: the parent's CPU time would say nothing of it.
BENCHMARK(BM_SortOfTheSameKeys)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_NdxSeekRandomKeys)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_NdxReplaceLowCardinality)->Arg(kRecords)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace qorva
