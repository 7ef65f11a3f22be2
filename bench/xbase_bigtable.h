#pragma once
// The table of 1,000,000 records (NAME C20, PRICE N10.2, DAY D, OK L) that the engine benchmarks
// walk, written once per run into xbase_bench_data below the current folder.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "xbase/workareas.h"
#include "xbase/enginestate.h"
#include "xbase/tablefile.h"
#include "xbase/engine.h"
#include "xbase/nationaldates.h"

namespace qorva::bench {

inline constexpr int32_t kRecords = 1000000;
inline const char* const kLastName = "ZZ-LAST-RECORD";

inline std::filesystem::path DataDir() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::current_path() / "xbase_bench_data";
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

inline void StartEngine() {
  static bool started = false;
  if (started) return;
  started = true;
  XbStartEngine();
  nationalDates.CenturyDates = true;
  SetDateFormat(0);
  XbSetErrorReport(false);
}

inline std::string CreateEmpty(const std::string& name) {
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
inline const std::string& BigTable() {
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

// Opens the big table in work area 1.
inline void OpenBig(bool exclusive) {
  StartEngine();
  const std::string& p = BigTable();
  Select(1);
  USE(p + (exclusive ? " EXCLUSIVE" : ""));
}

}  // namespace qorva::bench
