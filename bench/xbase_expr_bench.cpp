// Expression evaluator on the table of 1,000,000 records: a compiled filter of character, numeric
// and date functions, comparisons and .AND. evaluated for every record, next to the same
// computation written directly in C++ over the same walk, and the walk alone. The counter "ratio"
// of the interpreted run is its time over the direct one's; "ratio_eval" leaves the walk out of
// both.

#include <benchmark/benchmark.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string>

#include "bench/xbase_bigtable.h"
#include "xbase/workareas.h"
#include "xbase/enginestate.h"
#include "xbase/expressionevaluator.h"
#include "xbase/keyutil.h"
#include "xbase/expressionparser.h"

namespace qorva {
namespace {

using bench::kRecords;

const char* const kFilter =
    "UPPER(SUBSTR(NAME, 1, 5)) = 'FEDER' .AND. INT(PRICE * 1.1) + MOD(RECNO(), 7) > 500 .AND. "
    "YEAR(DAY) + MONTH(DAY) >= 1990 .AND. DTOS(DAY) > '1960' .AND. OK";

struct Timing {
  double walk = 0, direct = 0, interpreted = 0;  // seconds per pass
  int64_t directCount = -1;
};
Timing& Times() {
  static Timing t;
  return t;
}

double Seconds(const benchmark::State& state, double total) {
  return state.iterations() > 0 ? total / static_cast<double>(state.iterations()) : 0;
}

template <class PerRecord>
double Walk(PerRecord&& perRecord) {
  const auto start = std::chrono::steady_clock::now();
  for (GoTop(); !dEOF(); SKIP(1)) perRecord();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_WalkOnly(benchmark::State& state) {
  bench::OpenBig(true);
  double total = 0;
  int64_t n = 0;
  for (auto _ : state) total += Walk([&] { ++n; });
  benchmark::DoNotOptimize(n);
  CloseArea();
  Times().walk = Seconds(state, total);
  state.SetItemsProcessed(state.iterations() * kRecords);
}

double Number(const char* p, size_t n) {
  while (n > 0 && *p == ' ') {
    ++p;
    --n;
  }
  double v = 0;
  std::from_chars(p, p + n, v);
  return v;
}

int32_t Digits(const char* p, int32_t n) {
  int32_t v = 0;
  for (int32_t i = 0; i < n; ++i) {
    if (p[i] < '0' || p[i] > '9') return -1;
    v = v * 10 + (p[i] - '0');
  }
  return v;
}

// The filter written out by hand on the stored record.
bool DirectFilter(const TDbfControlBlock& cb) {
  const char* r = reinterpret_cast<const char*>(cb.RawRecord.data());
  char head[5];
  for (int i = 0; i < 5; ++i) head[i] = XbCharUp(r[1 + i]);
  const bool name = std::memcmp(head, "FEDER", 5) == 0;
  const double price = Number(r + 21, 10);
  const bool amount = std::trunc(static_cast<double>(static_cast<long double>(price) * 1.1)) + static_cast<double>(cb.RecNo % 7) > 500;
  const int32_t y = Digits(r + 31, 4), m = Digits(r + 35, 2), d = Digits(r + 37, 2);
  const bool valid = y >= 0 && m >= 0 && d >= 0 && DayOfYear(y, m, d) > 0;
  const bool year = (valid ? y + m : 0) >= 1990;
  const bool stored = valid ? std::memcmp(r + 31, "1960", 4) >= 0 : false;
  const bool ok = r[39] == 'T' || r[39] == 't' || r[39] == 'Y' || r[39] == 'y';
  return name && amount && year && stored && ok;
}

void BM_FilterDirect(benchmark::State& state) {
  bench::OpenBig(true);
  double total = 0;
  int64_t count = 0;
  for (auto _ : state) {
    count = 0;
    total += Walk([&] { count += DirectFilter(*CurrentBlock()); });
  }
  CloseArea();
  Times().direct = Seconds(state, total);
  Times().directCount = count;
  state.counters["matches"] = static_cast<double>(count);
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_FilterInterpreted(benchmark::State& state) {
  bench::OpenBig(true);
  TExprHolder filter(AssignExpr(kFilter));
  if (!filter) {
    state.SkipWithError("the filter does not compile");
    CloseArea();
    return;
  }
  double total = 0;
  int64_t count = 0;
  for (auto _ : state) {
    count = 0;
    total += Walk([&] { count += *static_cast<const int32_t*>(Evaluate(filter.get())) != 0; });
  }
  filter.reset();
  CloseArea();
  Times().interpreted = Seconds(state, total);
  if (Times().directCount >= 0 && count != Times().directCount) state.SkipWithError("the two filters disagree");
  const Timing& t = Times();
  state.counters["matches"] = static_cast<double>(count);
  if (t.direct > 0) state.counters["ratio"] = t.interpreted / t.direct;
  if (t.direct > t.walk && t.walk > 0) state.counters["ratio_eval"] = (t.interpreted - t.walk) / (t.direct - t.walk);
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// Registered in this order: the walk and the direct code first, so the ratios can be taken.
BENCHMARK(BM_WalkOnly)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FilterDirect)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FilterInterpreted)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace qorva
