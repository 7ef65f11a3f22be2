// Tables written by the engine must read the same with other dBase readers (dbfread of Python,
// shapelib's dbfdump), and tables those tools write must read the same in the engine.
// A missing tool fails the test: tools/setup.sh installs them.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <sstream>

#include "tests/xbase/edit_support_test.h"

namespace qorva {
namespace {

using xbtest::AppendRow;
using xbtest::CreateTable;

const std::string kScripts = std::string(QORVA_SOURCE_DIR) + "/tools/xbase/";

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

void RequireTools() {
  auto r = test::runCommand(std::string(QORVA_PYTHON) + " -c 'import dbfread'");
  ASSERT_EQ(r.exitCode, 0) << "python3-dbfread is missing for " << QORVA_PYTHON
                           << " (tools/setup.sh installs it): " << r.output;
  for (const char* tool : {"dbfdump", "dbfcreate", "dbfadd"}) {
    r = test::runCommand(std::string("command -v ") + tool);
    ASSERT_EQ(r.exitCode, 0) << tool << " is missing (package shapelib, installed by tools/setup.sh)";
  }
}

// ---- The canonical form of dbfcanon.py, made from what the engine reads ------------------------

std::string JsonText(const std::string& ansi) {
  size_t end = ansi.find_last_not_of(' ');
  std::string utf8 = XbAnsiToUtf8(end == std::string::npos ? "" : ansi.substr(0, end + 1));
  std::string out = "\"";
  for (size_t i = 0; i < utf8.size();) {
    auto c = static_cast<unsigned char>(utf8[i]);
    uint32_t cp = c;
    size_t len = 1;
    if (c >= 0xF0) cp = c & 0x07, len = 4;
    else if (c >= 0xE0) cp = c & 0x0F, len = 3;
    else if (c >= 0xC0) cp = c & 0x1F, len = 2;
    for (size_t k = 1; k < len && i + k < utf8.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += len;
    if (cp == '"' || cp == '\\') {
      out += '\\';
      out += static_cast<char>(cp);
    } else if (cp >= 0x20 && cp < 0x7F) {
      out += static_cast<char>(cp);
    } else {
      char buf[8];
      const char* hex = "0123456789abcdef";
      buf[0] = '\\', buf[1] = 'u';
      for (int k = 0; k < 4; ++k) buf[2 + k] = hex[(cp >> (12 - 4 * k)) & 0xF];
      out.append(buf, 6);
    }
  }
  return out + "\"";
}

std::string NumberText(long double v, bool integral) {
  if (integral) return std::to_string(static_cast<int64_t>(v));
  double d = static_cast<double>(v);
  if (d == std::floor(d) && std::fabs(d) < 1e15) return std::to_string(static_cast<int64_t>(d));
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, d);
  return std::string(buf, r.ptr);
}

// Opens the table in a free area and writes it in the canonical form.
std::string EngineCanon(const std::string& path, bool dos) {
  const uint8_t keep = SelectedArea();
  engineState.AnsiTables = !dos;
  Select(30);
  USE(path + " ALIAS CANON");
  engineState.AnsiTables = false;
  if (engineState.XbErrorCode != 0) return "engine cannot open: " + XbErrorMessage();
  TDbfControlBlock& cb = *CurrentBlock();
  std::ostringstream out;
  out << "fields " << int(cb.FieldCount) << "\n";
  for (uint8_t i = 1; i <= cb.FieldCount; ++i) {
    const TDbfFieldEntry& f = cb.Fields[i];
    out << "field " << f.Name << " " << f.Type << " " << int(f.Len) << " " << int(f.Dec) << "\n";
  }
  out << "records " << RecCount() << "\n";
  std::string live, deleted;
  for (int32_t n = 1; n <= RecCount(); ++n) {
    GO(n);
    std::string line;
    for (uint8_t i = 1; i <= cb.FieldCount; ++i) {
      const TDbfFieldEntry& f = cb.Fields[i];
      bool blank = XbAllTrim(Peek(i, n)).empty();
      std::string v;
      switch (f.Type) {
        case 'C': v = JsonText(GetFieldText(i)); break;
        case 'N':
        case 'F': v = blank ? "null" : NumberText(f.Dec ? GetFieldReal(i) : GetFieldInt(i), f.Dec == 0); break;
        case 'D': {
          std::string s = DateTextToDbf(GetFieldText(i));
          v = blank ? "null" : s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2);
          break;
        }
        case 'L': v = blank ? "null" : GetFieldBool(i) ? "true" : "false"; break;
        case 'M': v = GetFieldMemo(i) == 0 ? "null" : "memo"; break;
        default: v = "?"; break;
      }
      line += (i > 1 ? "|" : "") + v;
    }
    (Deleted() ? deleted : live) += (Deleted() ? "deleted " : "live ") + line + "\n";
  }
  out << live << deleted;
  CloseArea();
  Select(keep);
  return out.str();
}

std::string PythonCanon(const std::string& path, const std::string& encoding) {
  auto r = test::runCommand(std::string(QORVA_PYTHON) + " " + Quote(kScripts + "dbfcanon.py") + " " + Quote(path) +
                            " " + encoding);
  EXPECT_EQ(r.exitCode, 0) << r.output;
  return r.output;
}

// ---- dbfdump ---------------------------------------------------------------------------------

struct Dump {
  std::vector<std::string> fields;        // "NAME C 10 0"
  std::vector<std::string> names;
  std::vector<bool> deleted;
  std::vector<std::vector<std::string>> values;  // trimmed raw values
};

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

Dump ShapelibDump(const std::string& path) {
  auto r = test::runCommand("dbfdump -h -r -m " + Quote(path));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  Dump d;
  std::istringstream in(r.output);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("Field ", 0) == 0) {
      // Field 0: Type=C/String, Title=`NAME', Width=10, Decimals=0
      char type = line[line.find("Type=") + 5];
      size_t t = line.find('`') + 1;
      std::string name = line.substr(t, line.find('\'', t) - t);
      int width = std::stoi(line.substr(line.find("Width=") + 6));
      int dec = std::stoi(line.substr(line.find("Decimals=") + 9));
      d.names.push_back(name);
      d.fields.push_back(name + " " + type + " " + std::to_string(width) + " " + std::to_string(dec));
    } else if (line.rfind("Record: ", 0) == 0) {
      d.values.emplace_back();
      d.deleted.push_back(false);
    } else if (line == "(DELETED)") {
      if (!d.deleted.empty()) d.deleted.back() = true;
    } else if (!d.values.empty() && d.values.back().size() < d.names.size()) {
      const std::string& name = d.names[d.values.back().size()];
      if (line.rfind(name + ":", 0) == 0) d.values.back().push_back(Trim(line.substr(name.size() + 1)));
    }
  }
  return d;
}

// What dbfdump shows must be what the engine stored.
void ExpectDumpMatchesEngine(const std::string& path) {
  Dump d = ShapelibDump(path);
  Select(31);
  USE(path + " ALIAS DUMP");
  ASSERT_EQ(engineState.XbErrorCode, 0);
  TDbfControlBlock& cb = *CurrentBlock();
  ASSERT_EQ(d.fields.size(), cb.FieldCount);
  for (uint8_t i = 1; i <= cb.FieldCount; ++i) {
    const TDbfFieldEntry& f = cb.Fields[i];
    char type = f.Type;
    EXPECT_EQ(d.fields[i - 1].substr(0, f.Name.size() + 1), f.Name + " ");
    EXPECT_EQ(d.fields[i - 1].substr(f.Name.size() + 3), std::to_string(f.Len) + " " + std::to_string(f.Dec))
        << f.Name;
    char shown = d.fields[i - 1][f.Name.size() + 1];
    if (type == 'M') {
      EXPECT_NE(std::string("MBGP").find(shown), std::string::npos) << f.Name;
    } else {
      EXPECT_EQ(shown, type) << f.Name;
    }
  }
  ASSERT_EQ(static_cast<int32_t>(d.values.size()), RecCount());
  for (int32_t n = 1; n <= RecCount(); ++n) {
    EXPECT_EQ(d.deleted[n - 1], Peek(0, n) == "*") << "record " << n;
    ASSERT_EQ(d.values[n - 1].size(), cb.FieldCount) << "record " << n;
    for (uint8_t i = 1; i <= cb.FieldCount; ++i)
      EXPECT_EQ(d.values[n - 1][i - 1], Trim(Peek(i, n))) << "record " << n << " field " << int(i);
  }
  CloseArea();
  Select(1);
}

class CrossCheck : public xbtest::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    RequireTools();
  }
  // A table with every field type the engine writes, deleted records, umlauts and dates.
  std::string WriteAllTypes(const std::string& name, bool dos) {
    std::string path = CreateTable(dir_ / name, {{"NAME", 'C', 12, 0},
                                                 {"PRICE", 'N', 9, 2},
                                                 {"QTY", 'N', 6, 0},
                                                 {"RATE", 'F', 12, 4},
                                                 {"DAY", 'D', 8, 0},
                                                 {"OK", 'L', 1, 0},
                                                 {"NOTE", 'M', 10, 0},
                                                 {"PIC", 'G', 10, 0},
                                                 {"BIN", 'B', 10, 0},
                                                 {"PICT", 'P', 10, 0}});
    engineState.AnsiTables = !dos;
    Use(path, " EXCLUSIVE");
    engineState.AnsiTables = false;
    const int64_t z = 0;
    AppendRow({std::string("M\xFCller \xC4\xD6\xDC\xDF"), 12.5L, int64_t{3}, 0.125L, std::string("01/31/2024"), true, z, z,
               z, z});
    AppendRow({std::string("gone"), 1.0L, int64_t{-1}, 2.0L, std::string("02/29/2000"), true, z, z, z, z}, true);
    AppendRow({std::string("\"quoted\" \\"), -0.5L, int64_t{-70000}, -3.5L, std::string("12/31/1899"), true, z, z,
               z, z});
    AppendRow({std::string("blank"), 0.0L, int64_t{0}, 0.0L, std::string("  /  /    "), false, z, z, z, z});
    AppendRow({std::string("\xE9t\xE9 \xB0" "C"), 99999.99L, int64_t{999999}, 1234567.1234L, std::string("07/04/2076"),
               true, z, z, z, z},
              true);
    CloseArea();
    return path;
  }
};

TEST_F(CrossCheck, EngineTablesReadTheSameWithDbfread) {
  std::string dos = WriteAllTypes("dostab.dbf", true);
  std::string py = PythonCanon(dos, "cp437");
  EXPECT_EQ(EngineCanon(dos, true), py);
  // The engine's view, spelled out once so that both readers cannot agree on a wrong reading.
  EXPECT_NE(py.find("live \"M\\u00fcller \\u00c4\\u00d6\\u00dc\\u00df\"|12.5|3|0.125|2024-01-31|true|null|null|null|null"),
            std::string::npos)
      << py;
  EXPECT_NE(py.find("deleted \"gone\"|1|-1|2|2000-02-29|true|"), std::string::npos) << py;
  EXPECT_NE(py.find("live \"\\\"quoted\\\" \\\\\"|-0.5|-70000|-3.5|1899-12-31|true|"), std::string::npos) << py;
  EXPECT_NE(py.find("deleted \"\\u00e9t\\u00e9 \\u00b0C\"|99999.99|999999|1234567.1234|2076-07-04|true|"),
            std::string::npos)
      << py;
  EXPECT_NE(py.find("records 5\n"), std::string::npos) << py;
  EXPECT_NE(py.find("live \"blank\"|0|0|0|null|false|"), std::string::npos) << py;  // zeros given are zeros

  std::string win = WriteAllTypes("wintab.dbf", false);
  EXPECT_EQ(EngineCanon(win, false), PythonCanon(win, "cp1252"));
  EXPECT_NE(FileBytes(dos).find("M\x81ller \x8E\x99\x9A\xE1"), std::string::npos);  // DOS code page on disk
  EXPECT_NE(FileBytes(win).find("M\xFCller \xC4\xD6\xDC\xDF"), std::string::npos);  // Windows code page on disk

  std::string empty = CreateTable(dir_ / "empty.dbf", {{"NAME", 'C', 10, 0}, {"DAY", 'D', 8, 0}});
  std::string emptyCanon = PythonCanon(empty, "cp437");
  EXPECT_EQ(EngineCanon(empty, true), emptyCanon);
  EXPECT_EQ(emptyCanon, "fields 2\nfield NAME C 10 0\nfield DAY D 8 0\nrecords 0\n");
}

TEST_F(CrossCheck, EngineTablesReadTheSameWithShapelib) {
  ExpectDumpMatchesEngine(WriteAllTypes("dostab.dbf", true));
  ExpectDumpMatchesEngine(CreateTable(dir_ / "empty.dbf", {{"NAME", 'C', 10, 0}}));
  // The stored bytes as shapelib sees them, spelled out.
  Dump d = ShapelibDump(Path("dostab.dbf"));
  ASSERT_EQ(d.values.size(), 5u);
  EXPECT_EQ(d.values[0][0], "M\x81ller \x8E\x99\x9A\xE1");
  EXPECT_EQ(d.values[0][1], "12.50");
  EXPECT_EQ(d.values[0][4], "20240131");
  EXPECT_EQ(d.values[0][5], "T");
  EXPECT_EQ(d.deleted, (std::vector<bool>{false, true, false, false, true}));
}

TEST_F(CrossCheck, DbfreadReadsTablesEditedByTheEngine) {
  std::string dos = WriteAllTypes("dostab.dbf", true);
  Use(dos);
  ASSERT_TRUE(FLock());
  GO(3);
  SetFieldText(1, "ersetzt \xFC");
  SetFieldReal(2, 7.25L);
  SetFieldText(5, "03/05/2024");
  Replace();
  GO(2);
  RecallRec();
  GO(1);
  DeleteRec();
  Unlock();
  ASSERT_TRUE(Pack());
  CloseArea();
  std::string py = PythonCanon(dos, "cp437");
  EXPECT_EQ(EngineCanon(dos, true), py);
  EXPECT_NE(py.find("records 3\n"), std::string::npos) << py;
  EXPECT_NE(py.find("live \"ersetzt \\u00fc\"|7.25|-70000|-3.5|2024-03-05|true"), std::string::npos) << py;
  ExpectDumpMatchesEngine(dos);
}

// A field the program set to 0 or false reads as 0 or false elsewhere, a field it never gave a
// value reads as empty: on appending and on replacing a blank record.
TEST_F(CrossCheck, ZeroAndFalseAreNotEmptyElsewhere) {
  std::string path = CreateTable(dir_ / "zero.dbf", {{"NAME", 'C', 8, 0},
                                                     {"PRICE", 'N', 9, 2},
                                                     {"QTY", 'N', 6, 0},
                                                     {"OK", 'L', 1, 0},
                                                     {"DAY", 'D', 8, 0}});
  Use(path);
  AppendRow({std::string("zero"), 0.0L, int64_t{0}, false});
  AppendRow({std::string("none")});
  AppendRow({std::string("later")});
  ASSERT_TRUE(FLock());
  GO(3);
  SetFieldReal(2, 0.0L);
  SetFieldInt(3, 0);
  SetFieldBool(4, false);
  SetFieldText(5, "03/05/2024");
  Replace();
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  Unlock();
  CloseArea();

  std::string py = PythonCanon(path, "cp437");
  EXPECT_EQ(EngineCanon(path, true), py);
  EXPECT_NE(py.find("live \"zero\"|0|0|false|null\n"), std::string::npos) << py;
  EXPECT_NE(py.find("live \"none\"|null|null|null|null\n"), std::string::npos) << py;
  EXPECT_NE(py.find("live \"later\"|0|0|false|2024-03-05\n"), std::string::npos) << py;
  ExpectDumpMatchesEngine(path);
  Dump d = ShapelibDump(path);
  ASSERT_EQ(d.values.size(), 3u);
  EXPECT_EQ(d.values[0], (std::vector<std::string>{"zero", "0.00", "0", "F", ""}));
  EXPECT_EQ(d.values[1], (std::vector<std::string>{"none", "", "", "", ""}));
  EXPECT_EQ(d.values[2], (std::vector<std::string>{"later", "0.00", "0", "F", "20240305"}));
}

TEST_F(CrossCheck, EngineReadsTablesWrittenByPython) {
  test::writeFile(dir_ / "desc.json", R"({"encoding": "cp437",
    "fields": [["NAME", "C", 12, 0], ["PRICE", "N", 8, 2], ["QTY", "N", 5, 0], ["DAY", "D", 8, 0],
               ["OK", "L", 1, 0], ["RATE", "F", 10, 4], ["NOTE", "M", 10, 0]],
    "records": [
      {"values": ["M\u00fcller \u00c4", 12.5, 3, "2024-01-31", true, 0.125, 0]},
      {"deleted": true, "values": ["gone", 1, 1, null, false, 2, null]},
      {"values": ["", -0.5, -7, "1899-12-31", false, -3.5, null]}]})");
  std::string path = Path("pyt.dbf");
  auto r = test::runCommand(std::string(QORVA_PYTHON) + " " + Quote(kScripts + "dbfwrite.py") + " " +
                            Quote(Path("desc.json")) + " " + Quote(path));
  ASSERT_EQ(r.exitCode, 0) << r.output;
  NewMemoFile(Path("pyt.dbt"), 0x83, 512, "test");  // the writer leaves the memo file out
  std::string py = PythonCanon(path, "cp437");
  EXPECT_EQ(EngineCanon(path, true), py);

  Use(path);
  EXPECT_EQ(RecCount(), 3);
  EXPECT_EQ(GetFieldText(1), "M\xFCller \xC4    ");
  EXPECT_EQ(GetFieldReal(2), 12.5L);
  EXPECT_EQ(GetFieldInt(3), 3);
  EXPECT_EQ(GetFieldText(4), "01/31/2024");
  EXPECT_TRUE(GetFieldBool(5));
  EXPECT_EQ(GetFieldReal(6), 0.125L);
  GO(2);
  EXPECT_TRUE(Deleted());
  EXPECT_EQ(GetFieldText(4), "  /  /    ");
  GO(3);
  EXPECT_EQ(GetFieldText(4), "12/31/1899");
  EXPECT_EQ(GetFieldInt(3), -7);
}

TEST_F(CrossCheck, EngineReadsTablesWrittenByShapelib) {
  std::string path = Path("shp.dbf");
  std::string q = Quote(path);
  auto r = test::runCommand("dbfcreate " + q + " -s NAME 12 -n PRICE 10 3 -n QTY 6 0 && dbfadd " + q +
                            " \"$(printf 'M\\201ller \\216')\" 12.125 -3 && dbfadd " + q + " '' 0 0 && dbfadd " + q +
                            " 'Zeile drei' -0.5 123456");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  std::string py = PythonCanon(path, "cp437");
  EXPECT_EQ(EngineCanon(path, true), py);
  EXPECT_NE(py.find("live \"M\\u00fcller \\u00c4\"|12.125|-3\n"), std::string::npos) << py;

  Use(path);
  EXPECT_EQ(RecCount(), 3);
  EXPECT_EQ(GetFieldText(1), "M\xFCller \xC4    ");
  EXPECT_EQ(GetFieldReal(2), 12.125L);
  EXPECT_EQ(GetFieldInt(3), -3);
  GO(3);
  EXPECT_EQ(GetFieldText(1), "Zeile drei  ");
  EXPECT_EQ(GetFieldInt(3), 123456);

  // And the engine's additions to shapelib's table read the same again.
  ASSERT_TRUE(ALock());
  AppendRow({std::string("neu \xE4"), 1.5L, int64_t{2}});
  Unlock();
  CloseArea();
  EXPECT_EQ(EngineCanon(path, true), PythonCanon(path, "cp437"));
  ExpectDumpMatchesEngine(path);
}

}  // namespace
}  // namespace qorva
