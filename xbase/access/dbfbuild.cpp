// dbfbuild: a whole table written from rows.
#include "xbase/access/dbfbuild.h"

#include <cstdio>
#include <memory>

#include "xbase/workareas.h"
#include "xbase/recordlocks.h"
#include "xbase/enginestate.h"
#include "xbase/tablefile.h"
#include "xbase/engine.h"
#include "platform/sysname.h"

namespace qorva {

namespace {

// The engine's work of the writer is quiet; the selected area, the table kind and the clock come back.
class BuildScope {
 public:
  explicit BuildScope(const LocalDateTime& date)
      : area_(workAreas.CurrentArea),
        report_(XbSetErrorReport(false)),
        ansi_(engineState.AnsiTables),
        clock_(installClock(std::make_unique<FixedClock>(date))) {
    engineState.AnsiTables = false;  // DOS text in the file
  }
  ~BuildScope() {
    installClock(std::move(clock_));
    engineState.AnsiTables = ansi_;
    workAreas.CurrentArea = area_;
    engineState.XbReportErrors = report_;
    engineState.XbErrorCode = 0;
  }
  BuildScope(const BuildScope&) = delete;
  BuildScope& operator=(const BuildScope&) = delete;

 private:
  uint8_t area_;
  bool report_;
  bool ansi_;
  std::unique_ptr<Clock> clock_;
};

std::string Decimal(int64_t n) { return XbAllTrim(XbIntToText(n, 1)); }

std::string EngineFailure(const std::string& path) {
  const std::string text = XbErrorText(engineState.XbErrorCode) + " " + XbTakeErrorContext();
  return path + ": " + XbAnsiToUtf8(text);
}

bool IsTrueText(const std::string& s) {
  const std::string t = XbUpperStr(XbAllTrim(s));
  return !t.empty() && (t[0] == 'T' || t[0] == 'Y' || t[0] == 'J');
}

// Checks one value against its field; "" when it fits, else what is wrong.
std::string CheckValue(const TDbfBuildField& f, const std::string& value) {
  switch (f.Type) {
    case 'C':
      return value.size() <= f.Len ? "" : "longer than " + Decimal(f.Len) + " characters";
    case 'L': {
      const std::string t = XbUpperStr(XbAllTrim(value));
      return t.empty() || (t.size() == 1 && std::string("TYJFN").find(t[0]) != std::string::npos) ? ""
                                                                                                  : "no logical value";
    }
    case 'N': {
      long double v = 0;
      if (!XbAllTrim(value).empty() && !XbParseReal(value, v)) return "no number";
      long double back = 0;
      const std::string stored = XbFormatFixed(v, f.Len, f.Dec);
      if (stored.size() != f.Len || !XbParseReal(stored, back) || static_cast<double>(back) != static_cast<double>(v))
        return "does not fit " + Decimal(f.Len) + " places with " + Decimal(f.Dec) + " decimals";
      return "";
    }
    default:
      return std::string("field type ") + f.Type + " is not written here";
  }
}

}  // namespace

bool DbfWriteTable(const std::string& path, const std::vector<TDbfBuildField>& fields,
                   const std::vector<TDbfBuildRow>& rows, const LocalDateTime& date, std::string* error) {
  std::string local;
  std::string& err = error ? *error : local;
  err.clear();
  if (fields.empty() || fields.size() > 255) {
    err = path + ": " + Decimal(static_cast<int64_t>(fields.size())) + " fields";
    return false;
  }
  for (size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].Values.size() != fields.size()) {
      err = "row " + Decimal(static_cast<int64_t>(r + 1)) + ": " + Decimal(static_cast<int64_t>(rows[r].Values.size())) +
            " values for " + Decimal(static_cast<int64_t>(fields.size())) + " fields";
      return false;
    }
    for (size_t i = 0; i < fields.size(); ++i) {
      const std::string what = CheckValue(fields[i], rows[r].Values[i]);
      if (!what.empty()) {
        err = "row " + Decimal(static_cast<int64_t>(r + 1)) + " " + fields[i].Name + ": " + what;
        return false;
      }
    }
  }
  if (!engineState.DbfUnitLinked) XbStartEngine();

  std::vector<TDbfFieldEntry> defs(fields.size() + 1);
  for (size_t i = 0; i < fields.size(); ++i) {
    defs[i + 1].Name = fields[i].Name;
    defs[i + 1].Type = fields[i].Type;
    defs[i + 1].Len = fields[i].Len;
    defs[i + 1].Dec = fields[i].Dec;
  }
  const std::string work = path + ".new";
  {
    BuildScope scope(date);
    TDbfControlBlock cb;
    CreateDBF(cb, work, static_cast<uint16_t>(fields.size()), defs);
    if (engineState.XbErrorCode != 0) {
      err = EngineFailure(work);
      SysUnlink(work);
      return false;
    }
    Select(0);
    USE(work + " EXCLUSIVE");
    for (const TDbfBuildRow& row : rows) {
      if (engineState.XbErrorCode != 0) break;
      ClearRecord();
      for (size_t i = 0; i < fields.size() && engineState.XbErrorCode == 0; ++i) {
        const int32_t n = static_cast<int32_t>(i + 1);
        const std::string& value = row.Values[i];
        long double v = 0;
        switch (fields[i].Type) {
          case 'C': SetFieldText(n, XbOemToAnsi(value)); break;  // the area holds Windows text
          case 'L': SetFieldBool(n, IsTrueText(value)); break;
          default:
            XbParseReal(value, v);
            if (fields[i].Dec > 0) SetFieldReal(n, v);
            else SetFieldInt(n, static_cast<int64_t>(v));
            break;
        }
      }
      SetDeletedFlag(row.Deleted);
      if (engineState.XbErrorCode == 0) Append();
    }
    if (engineState.XbErrorCode != 0) err = EngineFailure(work);
    CloseArea();
    if (err.empty() && engineState.XbErrorCode != 0) err = EngineFailure(work);
  }
  if (err.empty() && SysRename(work, path) != 0) err = path + ": cannot be replaced";
  if (!err.empty()) {
    SysUnlink(work);
    return false;
  }
  return true;
}

}  // namespace qorva
