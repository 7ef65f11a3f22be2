// Table engine on a table of 1,000,000 records (C, N, D and L fields): sequential read, replace
// of every record (shared under a file lock, and exclusive), append of 100,000 records, and Search
// and Locate that find the last record.
// For comparison the same sequential read by shapelib's C reader (libshp, loaded at run time), and
// the same replace of every record by SQLite (one UPDATE by rowid each, in one transaction). The
// reads come three times: each text read into a new string, into a string the walk holds, and as a
// view into the record. A shared table is read and replaced under a file lock as well, where nobody
// else can change it.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/sqlite_updates.h"
#include "bench/xbase_bigtable.h"
#include "xbase/workareas.h"
#include "xbase/engine.h"
#include "xbase/recordlocks.h"
#include "xbase/tablecommands.h"
#include "xbase/enginestate.h"
#include "xbase/tablefile.h"
#include "xbase/nationaldates.h"

namespace qorva {
namespace {

constexpr int32_t kAppends = 100000;
using bench::BigTable;
using bench::CreateEmpty;
using bench::kLastName;
using bench::kRecords;
using bench::OpenBig;
using bench::StartEngine;


// How a walk takes its texts: each into a new string, into strings the walk holds (the form that
// allocates nothing per record), or as views into the record (nothing copied).
enum class TextRead { NewString, HeldString, View };

// Every field of every record.
void ReadAll(benchmark::State& state, bool exclusive, TextRead how, bool fileLock = false) {
  BigTable();  // made once, outside the timing
  std::string name, day;
  for (auto _ : state) {
    OpenBig(exclusive);
    if (fileLock && !FLock()) state.SkipWithError("no file lock");
    long double sum = 0;
    int64_t days = 0, yes = 0, count = 0;
    for (GoTop(); !dEOF(); SKIP(1)) {
      switch (how) {
        case TextRead::NewString:
          benchmark::DoNotOptimize(GetFieldText(1));
          sum += GetFieldReal(2);
          days += static_cast<int64_t>(GetFieldText(3).size());
          break;
        case TextRead::HeldString:
          GetFieldText(1, name);
          benchmark::DoNotOptimize(name);
          sum += GetFieldReal(2);
          GetFieldText(3, day);
          days += static_cast<int64_t>(day.size());
          break;
        case TextRead::View: {
          std::string_view v = GetFieldView(1);
          benchmark::DoNotOptimize(v);
          sum += GetFieldReal(2);
          days += static_cast<int64_t>(GetFieldView(3).size());
          break;
        }
      }
      yes += GetFieldBool(4);
      ++count;
    }
    CloseArea();
    if (count != kRecords) state.SkipWithError("not every record was read");
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(days + yes);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// The moves of the read alone (every record is still decoded), to tell them from the reads.
void Walk(benchmark::State& state, bool exclusive) {
  BigTable();
  for (auto _ : state) {
    OpenBig(exclusive);
    if (!exclusive && !FLock()) state.SkipWithError("no file lock");
    int64_t count = 0;
    for (GoTop(); !dEOF(); SKIP(1)) ++count;
    CloseArea();
    if (count != kRecords) state.SkipWithError("not every record was reached");
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_EngineWalkExclusive(benchmark::State& state) { Walk(state, true); }
void BM_EngineWalkFLock(benchmark::State& state) { Walk(state, false); }

void BM_EngineReadShared(benchmark::State& state) { ReadAll(state, false, TextRead::NewString); }
void BM_EngineReadFLock(benchmark::State& state) { ReadAll(state, false, TextRead::NewString, true); }
void BM_EngineReadExclusive(benchmark::State& state) { ReadAll(state, true, TextRead::NewString); }
void BM_EngineReadExclusiveReusedText(benchmark::State& state) { ReadAll(state, true, TextRead::HeldString); }
void BM_EngineReadExclusiveTextViews(benchmark::State& state) { ReadAll(state, true, TextRead::View); }

// shapelib's reader, taken from the installed library so that no development package is needed.
struct Shapelib {
  using Handle = void*;
  Handle (*open)(const char*, const char*) = nullptr;
  int (*count)(Handle) = nullptr;
  const char* (*readString)(Handle, int, int) = nullptr;
  double (*readDouble)(Handle, int, int) = nullptr;
  const char* (*readLogical)(Handle, int, int) = nullptr;
  void (*close)(Handle) = nullptr;
  bool ok = false;
};

const Shapelib& Shp() {
  static const Shapelib s = [] {
    Shapelib r;
    void* lib = dlopen("libshp.so.2", RTLD_NOW);
    if (!lib) lib = dlopen("libshp.so", RTLD_NOW);
    if (!lib) return r;
    r.open = reinterpret_cast<Shapelib::Handle (*)(const char*, const char*)>(dlsym(lib, "DBFOpen"));
    r.count = reinterpret_cast<int (*)(Shapelib::Handle)>(dlsym(lib, "DBFGetRecordCount"));
    r.readString = reinterpret_cast<const char* (*)(Shapelib::Handle, int, int)>(dlsym(lib, "DBFReadStringAttribute"));
    r.readDouble = reinterpret_cast<double (*)(Shapelib::Handle, int, int)>(dlsym(lib, "DBFReadDoubleAttribute"));
    r.readLogical = reinterpret_cast<const char* (*)(Shapelib::Handle, int, int)>(dlsym(lib, "DBFReadLogicalAttribute"));
    r.close = reinterpret_cast<void (*)(Shapelib::Handle)>(dlsym(lib, "DBFClose"));
    r.ok = r.open && r.count && r.readString && r.readDouble && r.readLogical && r.close;
    return r;
  }();
  return s;
}

// The same walk by shapelib; with reuse its texts are copied into strings held by the walk.
void ShapelibRead(benchmark::State& state, bool reuse) {
  const Shapelib& shp = Shp();
  if (!shp.ok) {
    state.SkipWithError("libshp (package libshp2) not found");
    return;
  }
  const std::string& p = BigTable();
  std::string name;
  for (auto _ : state) {
    Shapelib::Handle h = shp.open(p.c_str(), "rb");
    if (!h) {
      state.SkipWithError("shapelib cannot open the table");
      return;
    }
    int n = shp.count(h);
    double sum = 0;
    int64_t days = 0, yes = 0;
    for (int i = 0; i < n; ++i) {
      if (reuse) {
        name.assign(shp.readString(h, i, 0));
        benchmark::DoNotOptimize(name);
      } else {
        benchmark::DoNotOptimize(std::string(shp.readString(h, i, 0)));
      }
      sum += shp.readDouble(h, i, 1);
      days += static_cast<int64_t>(std::strlen(shp.readString(h, i, 2)));
      yes += shp.readLogical(h, i, 3)[0] == 'T';
    }
    shp.close(h);
    if (n != kRecords) state.SkipWithError("not every record was read");
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(days + yes);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_ShapelibRead(benchmark::State& state) { ShapelibRead(state, false); }
void BM_ShapelibReadReusedText(benchmark::State& state) { ShapelibRead(state, true); }

void ReplaceAll(benchmark::State& state, bool exclusive) {
  BigTable();
  for (auto _ : state) {
    OpenBig(exclusive);
    if (!exclusive && !FLock()) state.SkipWithError("no file lock");
    int64_t count = 0;
    for (GoTop(); !dEOF(); SKIP(1)) {
      SetFieldReal(2, GetFieldReal(2) + 0);
      SetFieldBool(4, !GetFieldBool(4));
      Replace();
      ++count;
    }
    Unlock();
    CloseArea();
    if (count != kRecords || engineState.XbErrorCode != 0) state.SkipWithError("replace failed");
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// Shared table under a file lock: every record goes to the file when it is replaced.
void BM_EngineReplaceAll(benchmark::State& state) { ReplaceAll(state, false); }
// Exclusive table: replaced records are written a block at a time.
void BM_EngineReplaceAllExclusive(benchmark::State& state) { ReplaceAll(state, true); }

// The big table's records as an SQLite table (made once, outside the timing).
const std::string& SqliteBigTable() {
  static const std::string path = [] {
    const std::string p = (bench::DataDir() / "big.sqlite").string();
    std::filesystem::remove(p);
    sqlite3* db = nullptr;
    sqlite3_open(p.c_str(), &db);
    sqlite3_exec(db, "PRAGMA synchronous=OFF; CREATE TABLE big(name TEXT, price REAL, day TEXT, ok INTEGER); BEGIN",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO big VALUES (?, ?, ?, ?)", -1, &ins, nullptr);
    for (int32_t i = 1; i <= kRecords; ++i) {
      const std::string name = i == kRecords ? kLastName : "Feder " + std::to_string(i);
      char day[9];
      std::snprintf(day, sizeof day, "%04d%02d%02d", 1950 + i % 70, 1 + i % 12, 1 + i % 28);
      sqlite3_bind_text(ins, 1, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_double(ins, 2, (i % 100000) + (i % 100) / 100.0);
      sqlite3_bind_text(ins, 3, day, -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(ins, 4, i % 3 == 0 ? 0 : 1);
      sqlite3_step(ins);
      sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return p;
  }();
  return path;
}

// SQLite doing what the replace of every record does: price unchanged, the flag flipped, row by
// row in one transaction. Like the engine it does not wait for the disk (synchronous off).
void BM_SqliteReplaceAll(benchmark::State& state) {
  const std::string& p = SqliteBigTable();
  sqlite3* db = nullptr;
  if (sqlite3_open(p.c_str(), &db) != SQLITE_OK) {
    state.SkipWithError("no SQLite database");
    return;
  }
  sqlite3_exec(db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
  bench::TimeRowUpdates(state, db, "UPDATE big SET price = price + 0, ok = 1 - ok WHERE rowid = ?", kRecords);
  sqlite3_close(db);
}

void BM_EngineAppend100k(benchmark::State& state) {
  StartEngine();
  for (auto _ : state) {
    state.PauseTiming();
    std::string p = CreateEmpty("append.dbf");
    Select(2);
    USE(p);
    state.ResumeTiming();
    if (!ALock()) state.SkipWithError("no append lock");
    for (int32_t i = 1; i <= kAppends; ++i) {
      ClearRecord();
      SetFieldText(1, "Neu");
      SetFieldReal(2, i * 0.5L);
      SetFieldText(3, "03/05/2024");
      SetFieldBool(4, true);
      Append();
    }
    Unlock();
    if (RecCount() != kAppends || engineState.XbErrorCode != 0) state.SkipWithError("append failed");
    CloseArea();
  }
  state.SetItemsProcessed(state.iterations() * kAppends);
}

void BM_EngineSearchLast(benchmark::State& state) {
  OpenBig(false);  // the table is made before the timing starts
  for (auto _ : state) {
    GoTop();
    uint8_t field = 0;
    bool found = Search("zz-last-record", field, true);
    if (!found || RecNo() != kRecords) state.SkipWithError("search missed the last record");
  }
  CloseArea();
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_EngineLocateLast(benchmark::State& state) {
  OpenBig(false);
  for (auto _ : state) {
    GoTop();
    bool found = Locate("NAME", std::string(kLastName), false, 1, false);
    if (!found || RecNo() != kRecords) state.SkipWithError("locate missed the last record");
  }
  CloseArea();
  state.SetItemsProcessed(state.iterations() * kRecords);
}

BENCHMARK(BM_EngineReadShared)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EngineReadExclusive)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ShapelibRead)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EngineReadExclusiveReusedText)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EngineReadExclusiveTextViews)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ShapelibReadReusedText)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EngineReadFLock)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EngineWalkExclusive)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EngineWalkFLock)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EngineReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_EngineReplaceAllExclusive)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SqliteReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_EngineAppend100k)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EngineSearchLast)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EngineLocateLast)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace qorva
