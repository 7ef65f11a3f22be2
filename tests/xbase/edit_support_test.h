#pragma once
// Shared by the engine tests of locking, editing, search, pack, append-from and the cross-checks:
// an engine started with reporting off, tables made and filled through the engine, and small
// probes of the table file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/testsupport.h"
#include "xbase/workareas.h"
#include "xbase/engine.h"
#include "xbase/recordlocks.h"
#include "xbase/tablecommands.h"
#include "xbase/enginestate.h"
#include "xbase/tablefile.h"
#include "xbase/nationaldates.h"

namespace qorva::xbtest {

struct FieldDef {
  const char* name;
  char type;
  int len;
  int dec;
};

// Creates an empty table (closed again) and returns its path.
inline std::string CreateTable(const std::filesystem::path& p, const std::vector<FieldDef>& defs) {
  std::vector<TDbfFieldEntry> entries(defs.size() + 1);
  for (size_t i = 0; i < defs.size(); ++i) {
    entries[i + 1].Name = defs[i].name;
    entries[i + 1].Type = defs[i].type;
    entries[i + 1].Len = static_cast<uint8_t>(defs[i].len);
    entries[i + 1].Dec = static_cast<uint8_t>(defs[i].dec);
  }
  TDbfControlBlock cb;
  CreateDBF(cb, p.string(), static_cast<uint16_t>(defs.size()), entries);
  EXPECT_EQ(engineState.XbErrorCode, 0) << "creating " << p;
  return p.string();
}

// Puts values into the current record buffer by field type: C and D text, N and F numbers,
// L logicals, M memo blocks.
inline void FillRecord(const std::vector<XbValue>& values) {
  for (size_t i = 0; i < values.size(); ++i) {
    int32_t n = static_cast<int32_t>(i + 1);
    const XbValue& v = values[i];
    switch (FieldType(n)) {
      case 'C':
      case 'D': SetFieldText(n, std::get<std::string>(v)); break;
      case 'N':
      case 'F':
        if (const auto* r = std::get_if<long double>(&v))
          SetFieldReal(n, *r);
        else
          SetFieldInt(n, std::get<int64_t>(v));
        break;
      case 'L': SetFieldBool(n, std::get<bool>(v)); break;
      case 'M': SetFieldMemo(n, static_cast<int32_t>(std::get<int64_t>(v))); break;
      default: break;
    }
  }
}

// Appends one record to the table of the current area under an append lock.
inline void AppendRow(const std::vector<XbValue>& values, bool deleted = false) {
  ClearRecord();
  FillRecord(values);
  SetDeletedFlag(deleted);
  bool locked = CurrentBlock()->Exclusive || CurrentBlock()->LockState == 1 || CurrentBlock()->LockState == 2;
  if (!locked) {
    ASSERT_TRUE(ALock());
  }
  Append();
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  if (!locked) Unlock();
}

// True when some other open file holds a lock that overlaps [offset, offset + length).
inline bool RangeLockedByOthers(const std::string& file, uint64_t offset, uint64_t length) {
  int fd = ::open(file.c_str(), O_RDWR);
  EXPECT_GE(fd, 0);
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  ::fcntl(fd, F_OFD_GETLK, &fl);
  ::close(fd);
  return fl.l_type != F_UNLCK;
}

// Runs body in a child process and returns its exit code (body's result). The child has its own
// copy of the engine; it must open tables itself (inherited areas share the parent's open files)
// and it leaves with _exit, so nothing of the parent is closed or unlocked.
inline int InChild(const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    int rc = 99;
    try {
      rc = body();
    } catch (...) {
      rc = 98;
    }
    ::_exit(rc);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The engine started for a test: reporting off (callers look at XbErrorCode), MM/DD/YYYY dates,
// "." as decimal character, and a scratch folder.
class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    XbStartEngine();
    InitNationalDates();
    nationalDates.CenturyDates = true;
    SetDateFormat(0);
    XbSetErrorReport(false);
  }
  void TearDown() override {
    XbSetErrorReport(false);
    XbStopEngine();
    XbSetErrorReport(true);
    engineState.XbErrorCode = 0;
    InitNationalDates();
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  // Opens a table in the current area ("" extra or " EXCLUSIVE", " ALIAS X").
  void Use(const std::string& path, const std::string& extra = "") {
    USE(path + extra);
    ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
    ASSERT_NE(CurrentBlock(), nullptr);
  }
  std::string FileBytes(const std::string& path) const { return test::readFile(path); }

  test::ScratchDir dir_;
};

}  // namespace qorva::xbtest
