#pragma once
// The SQLite side of the benchmarks that change every record: one UPDATE by rowid per row of
// rows 1..rows, all in one transaction per iteration, as the engine's replace loops do.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>

namespace qorva::bench {

inline void TimeRowUpdates(benchmark::State& state, sqlite3* db, const char* update, int32_t rows) {
  sqlite3_stmt* upd = nullptr;
  if (sqlite3_prepare_v2(db, update, -1, &upd, nullptr) != SQLITE_OK) {
    state.SkipWithError("the update does not compile");
    return;
  }
  for (auto _ : state) {
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int32_t r = 1; r <= rows; ++r) {
      sqlite3_bind_int(upd, 1, r);
      if (sqlite3_step(upd) != SQLITE_DONE) state.SkipWithError("update failed");
      sqlite3_reset(upd);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  }
  sqlite3_finalize(upd);
  state.SetItemsProcessed(state.iterations() * rows);
}

}  // namespace qorva::bench
