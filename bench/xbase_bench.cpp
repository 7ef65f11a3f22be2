// Table engine on a table of 1,000,000 records (C, N, D and L fields): sequential read, replace
// of every record (shared under a file lock, and exclusive), append of 100,000 records, and Search
// and Locate that find the last record.
// For comparison the same sequential read by shapelib's C reader (libshp, loaded at run time).

#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "xbase/dbf4.h"
#include "xbase/xbengine.h"
#include "xbase/dbf4lock.h"
#include "xbase/dbf4search.h"
#include "xbase/xbcommon.h"
#include "xbase/xbdbflow.h"
#include "xbase/xbnatdate.h"

namespace qorva {
namespace {

constexpr int32_t kRecords = 1000000;
constexpr int32_t kAppends = 100000;
const char* const kLastName = "ZZ-LAST-RECORD";

std::filesystem::path DataDir() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::current_path() / "xbase_bench_data";
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

void StartEngine() {
  static bool started = false;
  if (started) return;
  started = true;
  XbStartEngine();
  xbnatdate.CenturyDates = true;
  SetDateFormat(0);
  XbSetErrorReport(false);
}

std::string CreateEmpty(const std::string& name) {
  std::vector<TDbfFieldEntry> defs(5);
  defs[1] = {"NAME", 'C', 20, 0, 0};
  defs[2] = {"PRICE", 'N', 10, 2, 0};
  defs[3] = {"DAY", 'D', 8, 0, 0};
  defs[4] = {"OK", 'L', 1, 0, 0};
  TDbfControlBlock cb;
  std::string path = (DataDir() / name).string();
  CreateDBF(cb, path, 4, defs);
  return path;
}

// The big table, written once as stored records behind the header the engine made.
const std::string& BigTable() {
  static const std::string path = [] {
    StartEngine();
    std::string p = CreateEmpty("big.dbf");
    std::string bytes;
    {
      std::ifstream in(p, std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    bytes.pop_back();  // the end-of-file byte goes behind the records
    uint16_t headerLen = static_cast<uint8_t>(bytes[8]) | static_cast<uint8_t>(bytes[9]) << 8;
    bytes.resize(headerLen);
    bytes.reserve(headerLen + static_cast<size_t>(kRecords) * 40 + 1);
    char rec[41];
    for (int32_t i = 1; i <= kRecords; ++i) {
      std::string name = i == kRecords ? kLastName : "Feder " + std::to_string(i);
      int day = 1 + i % 28, month = 1 + i % 12, year = 1950 + i % 70;
      std::snprintf(rec, sizeof rec, " %-20.20s%7d.%02d%04d%02d%02d%c", name.c_str(), i % 100000, i % 100, year,
                    month, day, i % 3 == 0 ? 'F' : 'T');
      bytes.append(rec, 40);
    }
    bytes.push_back('\x1A');
    uint32_t n = kRecords;
    for (int k = 0; k < 4; ++k) bytes[4 + k] = static_cast<char>(n >> (8 * k));
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
  }();
  return path;
}

void OpenBig(bool exclusive) {
  StartEngine();
  const std::string& p = BigTable();
  Select(1);
  USE(p + (exclusive ? " EXCLUSIVE" : ""));
}

void ReadAll(benchmark::State& state, bool exclusive) {
  BigTable();  // made once, outside the timing
  for (auto _ : state) {
    OpenBig(exclusive);
    long double sum = 0;
    int64_t days = 0, yes = 0, count = 0;
    for (GoTop(); !dEOF(); SKIP(1)) {
      benchmark::DoNotOptimize(GetFieldText(1));
      sum += GetFieldReal(2);
      days += static_cast<int64_t>(GetFieldText(3).size());
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

void BM_EngineReadShared(benchmark::State& state) { ReadAll(state, false); }
void BM_EngineReadExclusive(benchmark::State& state) { ReadAll(state, true); }

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

void BM_ShapelibRead(benchmark::State& state) {
  const Shapelib& shp = Shp();
  if (!shp.ok) {
    state.SkipWithError("libshp (package libshp2) not found");
    return;
  }
  const std::string& p = BigTable();
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
      benchmark::DoNotOptimize(std::string(shp.readString(h, i, 0)));
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
    if (count != kRecords || xbcommon.XbErrorCode != 0) state.SkipWithError("replace failed");
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// Shared table under a file lock: every record goes to the file when it is replaced.
void BM_EngineReplaceAll(benchmark::State& state) { ReplaceAll(state, false); }
// Exclusive table: replaced records are written a block at a time.
void BM_EngineReplaceAllExclusive(benchmark::State& state) { ReplaceAll(state, true); }

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
    if (RecCount() != kAppends || xbcommon.XbErrorCode != 0) state.SkipWithError("append failed");
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
BENCHMARK(BM_EngineReplaceAll)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_EngineReplaceAllExclusive)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_EngineAppend100k)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EngineSearchLast)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EngineLocateLast)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace qorva
