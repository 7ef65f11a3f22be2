// NDX indexes on the core benchmark's table of 1,000,000 records: building an index on a
// 20-character, a numeric and a date key, next to `LC_ALL=C sort` of the same keys written as text
// in the same run; 100,000 seeks of random keys; a key replaced on every record of an index with
// two key values, on tables of 1,000 to 1,000,000 records, next to SQLite flipping the same indexed
// column row by row in one transaction.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "bench/sqlite_updates.h"
#include "bench/xbase_bigtable.h"
#include "xbase/expressionparser.h"
#include "xbase/workareas.h"
#include "xbase/recordlocks.h"
#include "xbase/ndxengine.h"

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
  InitExpressionParser();
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
      found += ndxEngine.IndexFound;
    }
    ClearExactFind();
  }
  CloseArea();
  if (found != static_cast<int64_t>(state.iterations()) * 100000) state.SkipWithError("a key was not found");
  state.SetItemsProcessed(state.iterations() * 100000);
}

// The first n records of the big table as a table of their own (made once for each n).
const std::string& TableOf(int32_t n) {
  static std::map<int32_t, std::string> made;
  auto it = made.find(n);
  if (it != made.end()) return it->second;
  if (n >= kRecords) return made.emplace(n, BigTable()).first->second;
  std::string bytes;
  {
    std::ifstream in(BigTable(), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  const uint16_t headerLen = static_cast<uint8_t>(bytes[8]) | static_cast<uint8_t>(bytes[9]) << 8;
  const uint16_t recLen = static_cast<uint8_t>(bytes[10]) | static_cast<uint8_t>(bytes[11]) << 8;
  bytes.resize(headerLen + static_cast<size_t>(n) * recLen);
  bytes.push_back('\x1A');
  for (int k = 0; k < 4; ++k) bytes[4 + static_cast<size_t>(k)] = static_cast<char>(static_cast<uint32_t>(n) >> (8 * k));
  const std::string path = (DataDir() / ("big" + std::to_string(n) + ".dbf")).string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return made.emplace(n, path).first->second;
}

// Every record's key goes from one of two values to the other (an index where each key has half
// the records).
void BM_NdxReplaceLowCardinality(benchmark::State& state) {
  Start();
  const int32_t n = static_cast<int32_t>(state.range(0));
  const std::string file = (DataDir() / "ok.ndx").string();
  Select(1);
  USE(TableOf(n) + " EXCLUSIVE");
  if (!MakeIndex(file, "", false, 0, false, false, [](uint8_t, std::string& k) { k = GetFieldBool(4) ? "T" : "F"; }))
    state.SkipWithError("build failed");
  Set_Index_ToCB(file, 1, [](uint8_t, std::string& k) { k = GetFieldBool(4) ? "T" : "F"; });
  Set_Order_To(0);
  for (auto _ : state) {
    for (int32_t r = 1; r <= n; ++r) {
      GO(r);
      SetFieldBool(4, !GetFieldBool(4));
      Replace();
    }
    if (engineState.XbErrorCode != 0) state.SkipWithError("replace failed");
  }
  CloseArea();
  state.SetItemsProcessed(state.iterations() * n);
}

// SQLite doing the same flips: a table of n rows with an index on the flag, one UPDATE by rowid
// per row in one transaction. Like the engine it does not wait for the disk (synchronous off).
void BM_SqliteReplaceLowCardinality(benchmark::State& state) {
  const int32_t n = static_cast<int32_t>(state.range(0));
  const std::string path = (DataDir() / ("flags" + std::to_string(n) + ".sqlite")).string();
  std::remove(path.c_str());
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
    state.SkipWithError("no SQLite database");
    return;
  }
  sqlite3_exec(db, "PRAGMA synchronous=OFF; CREATE TABLE big(name TEXT, price REAL, day TEXT, ok INTEGER); BEGIN",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* ins = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO big VALUES (?, ?, ?, ?)", -1, &ins, nullptr);
  for (int32_t i = 1; i <= n; ++i) {
    const std::string name = "Feder " + std::to_string(i);
    sqlite3_bind_text(ins, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_double(ins, 2, (i % 100000) + (i % 100) / 100.0);
    sqlite3_bind_text(ins, 3, "20240101", -1, SQLITE_STATIC);
    sqlite3_bind_int(ins, 4, i % 3 == 0 ? 0 : 1);
    sqlite3_step(ins);
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  sqlite3_exec(db, "COMMIT; CREATE INDEX big_ok ON big(ok)", nullptr, nullptr, nullptr);
  bench::TimeRowUpdates(state, db, "UPDATE big SET ok = 1 - ok WHERE rowid = ?", n);
  sqlite3_close(db);
  std::remove(path.c_str());
}

BENCHMARK(BM_NdxBuild)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(1);
// The sort runs in a child process: the parent's CPU time would say nothing of it.
BENCHMARK(BM_SortOfTheSameKeys)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_NdxSeekRandomKeys)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_NdxReplaceLowCardinality)->RangeMultiplier(10)->Range(1000, kRecords)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SqliteReplaceLowCardinality)->RangeMultiplier(10)->Range(1000, kRecords)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace qorva
