#pragma once
// Shared by the memo, blob-stream and memo cross-check tests: tables with a memo file of each
// family, and the memo text of a record read through the memo module.

#include <filesystem>
#include <string>

#include "tests/xbase/edit_support_test.h"
#include "xbase/memo.h"

namespace qorva::xbtest {

struct MemoKind {
  const char* name;
  uint8_t version;     // the table's version byte
  uint16_t blockSize;  // of a new memo file
};

// A text as one word of a shell command line.
inline std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

inline const MemoKind kDbt3{"dBase III", 0x83, 512};
inline const MemoKind kDbt4{"dBase IV", 0x8B, 512};
inline const MemoKind kFpt{"FoxPro", 0xF5, 64};

// A closed table NAME (C 10), NOTE (M) with an empty memo file of the kind; returns its path.
inline std::string CreateMemoTable(const std::filesystem::path& p, const MemoKind& kind, uint16_t blockSize = 0) {
  std::string table = CreateTable(p, {{"NAME", 'C', 10, 0}, {"NOTE", 'M', 10, 0}});
  std::string bytes = test::readFile(table);
  bytes[0] = static_cast<char>(kind.version);
  test::writeFile(table, bytes);
  std::filesystem::path dbt = p;
  dbt.replace_extension(".dbt");
  std::filesystem::remove(dbt);
  std::filesystem::path memoFile = p;
  memoFile.replace_extension(kind.version == 0xF5 ? ".fpt" : ".dbt");
  NewMemoFile(memoFile.string(), kind.version, blockSize ? blockSize : kind.blockSize, "test");
  EXPECT_EQ(engineState.XbErrorCode, 0);
  return table;
}

inline std::string MemoPath(const std::string& table, const MemoKind& kind) {
  std::filesystem::path p = table;
  p.replace_extension(kind.version == 0xF5 ? ".fpt" : ".dbt");
  return p.string();
}

// The memo of field n of the current record, as stored.
inline std::string MemoOf(int32_t n = 2) {
  std::string data;
  EXPECT_TRUE(ReadMemo(GetFieldMemo(n), data)) << XbErrorMessage();
  return data;
}

// Appends a record NAME = name with its memo text (through AddMemo; binary data with AddMemoData).
inline int32_t AppendWithMemo(const std::string& name, const std::string& text, bool binary = false) {
  int32_t ref = binary ? AddMemoData(text) : AddMemo(text);
  EXPECT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  AppendRow({name, int64_t{ref}});
  return ref;
}

}  // namespace qorva::xbtest
