// The IGES writer: record layout, parameter pieces, subfigures and instances, the parameter file, and
// drawings written through the CAD kernel and read back by OpenCASCADE.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/utilstr.h"
#include "graphics/iges.h"
#include "graphics/igessubfigures.h"
#include "tests/graphics/cadkernel_fixture.h"

namespace qorva {
namespace {

using cadtest::KernelTest;
namespace fs = std::filesystem;

// ---- A structural reader of what the writer produces ----

struct IgesEntity {
  int de = 0;  // sequence number of the first D record
  int type = 0, paramPtr = 0, font = 0, level = 0, color = 0, paramLines = 0;
  std::string matrix, form, label, status;
  std::vector<std::string> params;  // parameters, strings without their count and "H"
};

struct IgesFile {
  std::vector<std::string> problems;
  std::map<char, std::vector<std::string>> sections;  // data columns 1..72 per section
  std::vector<IgesEntity> entities;
  std::string pData;  // the P data of every entity, joined
  const IgesEntity* at(int de) const {
    for (const auto& e : entities)
      if (e.de == de) return &e;
    return nullptr;
  }
  std::vector<const IgesEntity*> ofType(int type) const {
    std::vector<const IgesEntity*> r;
    for (const auto& e : entities)
      if (e.type == type) r.push_back(&e);
    return r;
  }
};

int ToInt(const std::string& s) {
  const std::string t = TrimStr(s);
  if (t.empty()) return 0;
  for (char c : t)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '-')) return -99999;
  return std::stoi(t);
}

// Splits free-format parameter data; blanks outside strings do not count.
std::vector<std::string> ParseParams(const std::string& data, std::string& problem) {
  std::vector<std::string> out;
  std::size_t i = 0;
  std::string cur;
  bool ended = false;
  while (i < data.size()) {
    const char c = data[i];
    if (c == ' ') {
      ++i;
      continue;
    }
    if (ended) {
      problem = "data after the record delimiter";
      return out;
    }
    if (std::isdigit(static_cast<unsigned char>(c)) && cur.empty()) {
      std::size_t j = i;
      while (j < data.size() && std::isdigit(static_cast<unsigned char>(data[j]))) ++j;
      if (j < data.size() && data[j] == 'H') {
        const std::size_t n = static_cast<std::size_t>(std::stoi(data.substr(i, j - i)));
        if (j + 1 + n > data.size()) {
          problem = "string runs past the data";
          return out;
        }
        cur = data.substr(j + 1, n);
        i = j + 1 + n;
        if (i >= data.size() || (data[i] != ',' && data[i] != ';')) {
          problem = "string not followed by a delimiter";
          return out;
        }
        continue;
      }
    }
    if (c == ',' || c == ';') {
      out.push_back(cur);
      cur.clear();
      if (c == ';') ended = true;
    } else {
      cur += c;
    }
    ++i;
  }
  if (!ended) problem = "no record delimiter";
  return out;
}

IgesFile ReadIges(const fs::path& path) {
  IgesFile f;
  const std::string bytes = test::readFile(path);
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t nl = bytes.find('\n', pos);
    if (nl == std::string::npos) nl = bytes.size();
    std::string l = bytes.substr(pos, nl - pos);
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
    pos = nl + 1;
  }
  const std::string order = "SGDPT";
  std::size_t lastSection = 0;
  std::map<char, int> seq;
  std::vector<std::string> pLines;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string& l = lines[n];
    const std::string where = "line " + std::to_string(n + 1) + ": ";
    if (l.size() != 80) {
      f.problems.push_back(where + "length " + std::to_string(l.size()));
      continue;
    }
    const char letter = l[72];
    const std::size_t s = order.find(letter);
    if (s == std::string::npos || s < lastSection) {
      f.problems.push_back(where + "section letter out of order");
      continue;
    }
    lastSection = s;
    if (ToInt(l.substr(73)) != ++seq[letter] || l.substr(73).find(' ') != std::string::npos)
      f.problems.push_back(where + "sequence number " + l.substr(73));
    f.sections[letter].push_back(l.substr(0, 72));
    if (letter == 'P') pLines.push_back(l);
  }
  for (char c : std::string("SGDPT"))
    if (f.sections[c].empty()) f.problems.push_back(std::string("no ") + c + " section");
  if (f.problems.size() > 0) return f;

  // Terminate section counts.
  const std::string& t = f.sections['T'][0];
  const std::string expect = "S" + ZeroPad(seq['S'], 7) + "G" + ZeroPad(seq['G'], 7) + "D" + ZeroPad(seq['D'], 7) +
                             "P" + ZeroPad(seq['P'], 7);
  if (TrimStr(t) != expect) f.problems.push_back("terminate " + TrimStr(t) + " expected " + expect);
  if (f.sections['T'].size() != 1) f.problems.push_back("more than one T record");

  // Directory entries and their parameter records, both ways.
  const auto& d = f.sections['D'];
  if (d.size() % 2 != 0) f.problems.push_back("odd number of D records");
  std::vector<int> owner(pLines.size(), 0);
  for (std::size_t k = 0; k + 1 < d.size(); k += 2) {
    IgesEntity e;
    e.de = static_cast<int>(k) + 1;
    auto fld = [&](const std::string& line, int i) { return line.substr(static_cast<std::size_t>(i) * 8, 8); };
    e.type = ToInt(fld(d[k], 0));
    e.paramPtr = ToInt(fld(d[k], 1));
    e.font = ToInt(fld(d[k], 3));
    e.level = ToInt(fld(d[k], 4));
    e.matrix = TrimStr(fld(d[k], 6));
    e.status = fld(d[k], 8);
    e.color = ToInt(fld(d[k + 1], 2));
    e.paramLines = ToInt(fld(d[k + 1], 3));
    e.form = TrimStr(fld(d[k + 1], 4));
    e.label = TrimStr(fld(d[k + 1], 7));
    const std::string where = "DE " + std::to_string(e.de) + ": ";
    if (ToInt(fld(d[k + 1], 0)) != e.type) f.problems.push_back(where + "type differs on its second line");
    if (e.paramPtr < 1 || e.paramLines < 1 || e.paramPtr + e.paramLines - 1 > static_cast<int>(pLines.size())) {
      f.problems.push_back(where + "parameter pointer out of range");
      continue;
    }
    std::string data;
    for (int p = e.paramPtr; p < e.paramPtr + e.paramLines; ++p) {
      const std::string& pl = pLines[static_cast<std::size_t>(p - 1)];
      if (ToInt(pl.substr(64, 8)) != e.de) f.problems.push_back(where + "P record " + std::to_string(p) + " points elsewhere");
      if (owner[static_cast<std::size_t>(p - 1)] != 0) f.problems.push_back(where + "P record shared");
      owner[static_cast<std::size_t>(p - 1)] = e.de;
      data += pl.substr(0, 64);
    }
    f.pData += data;
    std::string problem;
    e.params = ParseParams(data, problem);
    if (!problem.empty()) f.problems.push_back(where + problem);
    if (e.params.empty() || ToInt(e.params[0]) != e.type) f.problems.push_back(where + "first parameter is not the type");
    f.entities.push_back(e);
  }
  for (std::size_t p = 0; p < owner.size(); ++p)
    if (owner[p] == 0) f.problems.push_back("P record " + std::to_string(p + 1) + " belongs to no entity");
  // References between entities.
  for (const auto& e : f.entities) {
    const std::string where = "DE " + std::to_string(e.de) + ": ";
    if (e.type == 408) {
      const IgesEntity* def = e.params.size() > 1 ? f.at(ToInt(e.params[1])) : nullptr;
      if (def == nullptr || def->type != 308) f.problems.push_back(where + "instance of no subfigure");
    }
    if (!e.matrix.empty() && e.matrix != "0") {
      const IgesEntity* m = f.at(ToInt(e.matrix));
      if (m == nullptr || m->type != 124) f.problems.push_back(where + "matrix field points at no matrix");
    }
    if (e.type == 308) {
      const int n = e.params.size() > 3 ? ToInt(e.params[3]) : -1;
      if (n < 0 || e.params.size() != static_cast<std::size_t>(4 + n)) f.problems.push_back(where + "member count");
      for (int m = 0; m < n && 4 + m < static_cast<int>(e.params.size()); ++m) {
        const IgesEntity* member = f.at(ToInt(e.params[static_cast<std::size_t>(4 + m)]));
        if (member == nullptr || member->status.substr(2, 2) != "01")
          f.problems.push_back(where + "member " + e.params[static_cast<std::size_t>(4 + m)] + " is no dependent entity");
      }
    }
  }
  return f;
}

std::string Problems(const IgesFile& f) {
  std::string s;
  for (const auto& p : f.problems) s += p + "\n";
  return s;
}

// ---- OpenCASCADE as reader ----

struct OcctResult {
  std::string output;
  int loaded = -1;                  // entities the reader loaded
  std::map<std::string, int> shapes;  // nbshapes: VERTEX, EDGE, WIRE, ...
  std::vector<std::string> failures, warnings;  // "F:" and "W:" check lines
  std::vector<double> bounds;       // xmin ymin zmin xmax ymax zmax
  int modelChecks = -1;             // messages of the file's own check, before any transfer
};

OcctResult ReadWithOcct(const fs::path& file, const std::string& more = "") {
  const std::string script = std::string(QORVA_SOURCE_DIR) + "/tools/graphics/igescheck.sh";
  const auto r = test::runCommand("'" + script + "' '" + file.string() + "' '" + more + "' 2>&1");
  OcctResult o;
  o.output = r.output;
  std::size_t pos = 0;
  while (pos < r.output.size()) {
    std::size_t nl = r.output.find('\n', pos);
    if (nl == std::string::npos) nl = r.output.size();
    const std::string line = r.output.substr(pos, nl - pos);
    pos = nl + 1;
    if (line.find("Check Model Complete Check List") != std::string::npos) o.modelChecks = -2;
    if (o.modelChecks == -2 && line.find("Nb Total:") != std::string::npos)
      o.modelChecks = std::atoi(line.c_str() + line.find("Nb Total:") + 9);
    if (line.find("F:") != std::string::npos) o.failures.push_back(line);
    if (line.find("W:") != std::string::npos) o.warnings.push_back(line);
    const std::size_t loaded = line.find("Total number of loaded entities ");
    if (loaded != std::string::npos) o.loaded = std::atoi(line.c_str() + loaded + 32);
    const std::size_t colon = line.find(" : ");
    if (colon != std::string::npos && line.size() > 1 && line[0] == ' ' && std::isupper(static_cast<unsigned char>(line[1])))
      o.shapes[TrimStr(line.substr(0, colon))] = std::atoi(line.c_str() + colon + 3);
    if (line.rfind("BOUNDS ", 0) == 0) {
      std::string rest = line.substr(7);
      std::size_t p = 0;
      while (p < rest.size()) {
        std::size_t e = rest.find(' ', p);
        if (e == std::string::npos) e = rest.size();
        if (e > p) o.bounds.push_back(std::atof(rest.substr(p, e - p).c_str()));
        p = e + 1;
      }
    }
  }
  return o;
}

class IgesTest : public KernelTest {
 protected:
  void SetUp() override {
    KernelTest::SetUp();
    InitIges();
    InitIgesSubfigures();
    RegisterIgesWriter();
    desktopSettings.CadBatchMode = true;
    programState.CurrentFileName = (dir / "zeichnung").string();
    programState.ProgName = "QORVA";
    test::fixedClock().set({2026, 3, 7, 9, 30, 0, 6});
  }
  void TearDown() override {
    InitIges();
    KernelTest::TearDown();
  }
  fs::path Output() const { return dir / "zeichnung.igs"; }

  // The files of the output folder that are neither the output nor the sub-folders.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> r;
    for (const auto& e : fs::directory_iterator(dir.path()))
      if (e.is_regular_file() && e.path() != Output()) r.push_back(e.path().filename().string());
    return r;
  }
};

// ---- Values and records ----

TEST(IgesValues, RealsHollerithAndRecords) {
  InitAllSettings();
  EXPECT_EQ(IgesReal(160.0L), "160.000");
  EXPECT_EQ(IgesReal(-0.5L), "-0.500");
  EXPECT_EQ(IgesReal(12345.6789L), "12345.679");
  utilstr.DecimalMark = ',';
  EXPECT_EQ(IgesReal(2.5L), "2.500");  // files never follow the decimal comma
  InitAllSettings();
  EXPECT_EQ(Hollerith("FILE"), "4HFILE");
  EXPECT_EQ(Hollerith("a,b;c"), "5Ha,b;c");

  const std::string p = IgesRecordLine("110,0.0;", "1", 'P', 1);
  EXPECT_EQ(p.size(), 80u);
  EXPECT_EQ(p.substr(64, 8), "       1");
  EXPECT_EQ(p.substr(72), "P0000001");
  EXPECT_EQ(IgesRecordLine("abc", "", 'S', 12).substr(72), "S0000012");
}

TEST(IgesValues, PiecesBreakOutsideStrings) {
  struct Case {
    std::string data;
    std::vector<std::string> pieces;
  };
  const std::string s60(60, 'x');
  const std::string comma40 = "aaaaaaaaaaaaaaaaaaa,bbbbbbbbbbbbbbbbbbbb";  // 40 characters with a comma
  const std::string long70 = std::string(30, 'y') + "," + std::string(39, 'z');
  const std::vector<Case> cases = {
      {"110,1.000,2.000;", {"110,1.000,2.000;"}},
      // The note's string would be cut at its comma by a comma-only splitter; it moves whole.
      {"212,1,40,1.000,2.000,1,," + Hollerith(comma40) + ";",
       {"212,1,40,1.000,2.000,1,,", Hollerith(comma40) + ";"}},
      // A string longer than a piece fills each piece to the full width: no blank enters it.
      {"1,2," + Hollerith(long70) + ";",
       {("1,2," + Hollerith(long70) + ";").substr(0, 64), ("1,2," + Hollerith(long70) + ";").substr(64)}},
      {s60 + ",1234567,", {s60 + ",", "1234567,"}},
      {std::string(70, '9'), {std::string(64, '9'), std::string(6, '9')}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IgesSplitParams(c.data), c.pieces) << c.data;
    for (const auto& piece : IgesSplitParams(c.data)) EXPECT_LE(piece.size(), 64u);
  }
}

// ---- Files through the kernel ----

TEST_F(IgesTest, FirstLineCircleAndGlobalSection) {
  OutputRun(2, [&] {
    CadSetColor(0);
    CadLine(0, 0, 10, 5);
    CadCircle(10, 10, 5);
  }, 420, 297);
  ASSERT_FALSE(programState.ErrorFlag);
  const std::string bytes = test::readFile(Output());
  std::vector<std::string> lines;
  for (std::size_t p = 0; p < bytes.size();) {
    const std::size_t nl = bytes.find("\r\n", p);
    lines.push_back(bytes.substr(p, nl - p));
    p = nl + 2;
  }
  const auto firstD = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l[72] == 'D'; });
  ASSERT_NE(firstD, lines.end());
  EXPECT_EQ(*firstD, "     110       1       1       1       0                        00000000D0000001");
  const auto firstP = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l[72] == 'P'; });
  ASSERT_NE(firstP, lines.end());
  EXPECT_EQ(*firstP, PadRight("110,0.000,0.000,0.0,10.000,5.000,0.0;", 71) + "1P0000001");

  const IgesFile f = ReadIges(Output());
  ASSERT_TRUE(f.problems.empty()) << Problems(f);
  ASSERT_EQ(f.entities.size(), 2u);
  EXPECT_NE(f.pData.find("100,0.0,10.000,10.000,15.000,10.000,15.000,10.000;"), std::string::npos);
  EXPECT_EQ(f.entities[1].matrix, "0");
  EXPECT_EQ(f.sections.at('S')[0].substr(0, 30), "IGES-Datei generiert von QORVA");
  std::string g;
  for (const auto& l : f.sections.at('G')) g += TrimStr(l);
  // The file is named by its base name, without folder and extension.
  EXPECT_EQ(g.substr(0, 41), ",,4HFILE,9Hzeichnung,10HQORVA V1.0,3H3.1,") << g;
  EXPECT_NE(g.find(",9Hzeichnung,1.0,2,2HMM,"), std::string::npos) << g;
  EXPECT_NE(g.find("13H260307.140920,1.0D-8,420.000,"), std::string::npos) << g;
}

TEST_F(IgesTest, EveryRealKeepsItsPointUnderADecimalComma) {
  utilstr.DecimalMark = ',';
  OutputRun(2, [&] {
    CadBeginBlocks();
    CadBeginBlock("B");
    CadLine(0.5L, 1.25L, 2, 3);
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
    CadInsertBlock("B", 10.5L, 20, 30, 1, 1);
    CadTextStyle(1, 90, 2.5L, 0);
    CadText("x", 1.5L, 2);
  }, 160.5L, 120);
  ASSERT_FALSE(programState.ErrorFlag);
  const IgesFile f = ReadIges(Output());
  ASSERT_TRUE(f.problems.empty()) << Problems(f);
  EXPECT_EQ(f.ofType(110).at(0)->params,
            (std::vector<std::string>{"110", "0.500", "1.250", "0.0", "2.000", "3.000", "0.0"}));
  const IgesEntity* m = f.ofType(124).at(0);
  EXPECT_EQ(std::vector<std::string>(m->params.begin() + 1, m->params.begin() + 9),
            (std::vector<std::string>{"0.866025", "-0.500000", "0.0", "10.500", "0.500000", "0.866025", "0.0",
                                      "20.000"}));
  const IgesEntity* note = f.ofType(212).at(0);
  ASSERT_EQ(note->params.size(), 14u);
  EXPECT_EQ(note->params[4], "2.500");     // height
  EXPECT_EQ(note->params[7], "1.570796");  // rotation in radians
  EXPECT_EQ(note->params[10], "1.500");
  std::string g;
  for (const auto& l : f.sections.at('G')) g += TrimStr(l);
  EXPECT_NE(g.find(",1.0D-8,160.500,"), std::string::npos) << g;
}

TEST_F(IgesTest, LongFileNameIsShortenedInTheGlobalSection) {
  programState.CurrentFileName = (dir / std::string("abcdefghijklm0123456789012_nopqrstuvwxyz")).string();
  OutputRun(2, [&] {
    CadLine(0, 0, 1, 1);
  });
  ASSERT_FALSE(programState.ErrorFlag);
  const IgesFile f = ReadIges(dir / "abcdefghijklm0123456789012_nopqrstuvwxyz.igs");
  ASSERT_TRUE(f.problems.empty()) << Problems(f);
  std::string g;
  for (const auto& l : f.sections.at('G')) g += TrimStr(l);
  // Forty characters become the first 13, "__" and the last 13, in G1 and again in G3.
  const std::string shortened = "28Habcdefghijklm__nopqrstuvwxyz";
  const std::size_t first = g.find("," + shortened + ",");
  ASSERT_NE(first, std::string::npos) << g;
  EXPECT_NE(g.find("," + shortened + ",1.0,2,", first + 1), std::string::npos) << g;
}

TEST_F(IgesTest, SubfiguresInstancesAndPointers) {
  OutputRun(2, [&] {
    CadBeginBlocks();
    CadBeginBlock("VIELE");
    for (int i = 0; i < 25; ++i) CadLine(i, 0, i, 10);
    CadEndBlock();
    CadBeginBlock("LEER");
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
    CadInsertBlock("VIELE", 50, 60, 90, 1, 1);
    CadLine(1, 2, 3, 4);  // after a rotated insertion
    CadInsertBlock("VIELE", 10, 20, 0, 2.5, 2.5);
    CadInsertBlock("VIELE", 10, 20, 30, 2.5, 2.5);  // the same scaled copy, rotated
    CadInsertBlock("viele", 0, 0, 0, 1, 1);          // letter case counts
    CadInsertBlock("LEER", 5, 5, 0, 1, 1);
  });
  ASSERT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(HasErrorMsg("Blockname viele not found !"));
  EXPECT_FALSE(HasErrorMsg("Blockname LEER not found !"));

  const IgesFile f = ReadIges(Output());
  ASSERT_TRUE(f.problems.empty()) << Problems(f);
  const auto all = f.ofType(308);
  ASSERT_EQ(all.size(), 3u);  // VIELE, its copy at scale 2.5 and LEER, each at its first insertion
  EXPECT_EQ(all[0]->label, "VIELE");
  EXPECT_EQ(all[0]->params.size(), 4u + 25u);
  EXPECT_EQ(all[0]->paramLines, 4);  // the head, then 12, 12 and 1 numbers
  // The empty block is a complete definition: one blanked point at its origin.
  const IgesEntity* empty = all[2];
  EXPECT_EQ(empty->label, "LEER");
  ASSERT_EQ(empty->params, (std::vector<std::string>{"308", "0", "LEER", "1", empty->params.back()}));
  const IgesEntity* point = f.at(ToInt(empty->params.back()));
  ASSERT_NE(point, nullptr);
  EXPECT_EQ(point->params, (std::vector<std::string>{"116", "0.0", "0.0", "0.0", "0"}));
  EXPECT_EQ(point->status, "01010000");
  const std::vector<const IgesEntity*> defs = {all[0], all[1]};
  EXPECT_EQ(defs[1]->label, "VIELE");

  const auto inst = f.ofType(408);
  ASSERT_EQ(inst.size(), 4u);  // an unknown name writes no instance
  EXPECT_EQ(ToInt(inst[3]->params[1]), empty->de);
  // Rotated by 90 degrees: the matrix turns and moves, the instance sits at the origin.
  const IgesEntity* m = f.at(ToInt(inst[0]->matrix));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(std::vector<std::string>(m->params.begin() + 1, m->params.begin() + 5),
            (std::vector<std::string>{"0.000000", "-1.000000", "0.0", "50.000"}));
  EXPECT_EQ(m->status, "00010000");
  EXPECT_EQ(m->form, "0");
  EXPECT_EQ(std::vector<std::string>(inst[0]->params.begin() + 1, inst[0]->params.end()),
            (std::vector<std::string>{std::to_string(defs[0]->de), "0.0", "0.0", "0.0", "1.0"}));
  // The line after the rotated insertion still finds its own parameters (checked both ways above).
  std::vector<const IgesEntity*> topLines;
  for (const IgesEntity* e : f.ofType(110))
    if (e->status == "00000000") topLines.push_back(e);
  ASSERT_EQ(topLines.size(), 1u);
  EXPECT_EQ(topLines[0]->params, (std::vector<std::string>{"110", "1.000", "2.000", "0.0", "3.000", "4.000", "0.0"}));
  // The scale factors live in the copy's geometry: its last member is the line at x 24 * 2.5, 10 high * 2.5.
  EXPECT_EQ(ToInt(inst[1]->params[1]), defs[1]->de);
  EXPECT_EQ(ToInt(inst[2]->params[1]), defs[1]->de);
  const IgesEntity* last = f.at(ToInt(defs[1]->params.back()));
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->params, (std::vector<std::string>{"110", "60.000", "0.000", "0.0", "60.000", "25.000", "0.0"}));
  EXPECT_EQ(last->status, "00010000");
  EXPECT_EQ(std::vector<std::string>(inst[1]->params.begin() + 2, inst[1]->params.end()),
            (std::vector<std::string>{"10.000", "20.000", "0.0", "1.0"}));
  EXPECT_FALSE(inst[2]->matrix.empty());
}

TEST_F(IgesTest, MirroredAndUnequalScales) {
  OutputRun(2, [&] {
    CadBeginBlocks();
    CadBeginBlock("B");
    CadArc(0, 0, 0, 90, 10);
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
    CadInsertBlock("B", 0, 0, 0, -1, 1);  // mirrored about the y axis
    CadInsertBlock("B", 0, 0, 0, 2, 1);   // stretched along x
  });
  ASSERT_FALSE(programState.ErrorFlag);
  const IgesFile f = ReadIges(Output());
  ASSERT_TRUE(f.problems.empty()) << Problems(f);
  const auto defs = f.ofType(308);
  ASSERT_EQ(defs.size(), 2u);  // one per scale pair; the block is never inserted at scale 1
  // The mirrored quarter runs counter-clockwise from (0, 10) to (-10, 0).
  const IgesEntity* arc = f.at(ToInt(defs[0]->params[4]));
  ASSERT_NE(arc, nullptr);
  EXPECT_EQ(arc->params, (std::vector<std::string>{"100", "0.0", "0.000", "0.000", "0.000", "10.000", "-10.000",
                                                   "0.000"}));
  // Unequal scales turn the arc into a path from (20, 0) to (0, 10).
  const IgesEntity* path = f.at(ToInt(defs[1]->params[4]));
  ASSERT_NE(path, nullptr);
  ASSERT_EQ(path->type, 106);
  EXPECT_EQ(path->form, "11");
  const int n = ToInt(path->params[2]);
  ASSERT_EQ(path->params.size(), static_cast<std::size_t>(4 + 2 * n));
  EXPECT_EQ(path->params[4], "20.000");
  EXPECT_EQ(path->params[5], "0.000");
  EXPECT_EQ(path->params[path->params.size() - 2], "0.000");
  EXPECT_EQ(path->params.back(), "10.000");
}

TEST_F(IgesTest, BlocksOfAnEarlierFileAreNotFound) {
  OutputRun(2, [&] {
    CadBeginBlocks();
    CadBeginBlock("ALT");
    CadLine(0, 0, 1, 1);
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
  });
  ASSERT_FALSE(programState.ErrorFlag);
  OutputRun(2, [&] {
    CadBeginEntities();
    CadLine(0, 0, 1, 1);
    CadInsertBlock("ALT", 1, 1, 0, 1, 1);
  });
  ASSERT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(HasErrorMsg("Blockname ALT not found !"));
  const IgesFile f = ReadIges(Output());
  EXPECT_TRUE(f.problems.empty()) << Problems(f);
  EXPECT_TRUE(f.ofType(408).empty());
}

TEST_F(IgesTest, ABlockInsertingItselfIsWrittenOnceAtEveryScale) {
  OutputRun(2, [&] {
    CadBeginBlocks();
    CadBeginBlock("SELBST");
    CadLine(0, 0, 10, 0);
    CadInsertBlock("SELBST", 5, 5, 0, 0.5L, 0.5L);  // not yet defined: left out
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
    CadInsertBlock("SELBST", 0, 0, 0, 3, 3);
    CadInsertBlock("SELBST", 0, 0, 0, 1, 1);
  });
  ASSERT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(HasErrorMsg("Blockname SELBST not found !"));
  const IgesFile f = ReadIges(Output());
  ASSERT_TRUE(f.problems.empty()) << Problems(f);
  ASSERT_EQ(f.ofType(308).size(), 2u);  // the block and its copy at scale 3, each holding the line only
  for (const IgesEntity* d : f.ofType(308)) EXPECT_EQ(d->params[3], "1");
  EXPECT_EQ(f.ofType(408).size(), 2u);
}

TEST_F(IgesTest, SubfigureBeyondTheTableSize) {
  OutputRun(2, [&] {
    CadBeginBlocks();
    CadBeginBlock("GROSS");
    for (int i = 0; i < 1200; ++i) CadLine(0, i, 1, i);
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
    CadInsertBlock("GROSS", 0, 0, 0, 1, 1);
  });
  ASSERT_FALSE(programState.ErrorFlag);
  const IgesFile f = ReadIges(Output());
  ASSERT_TRUE(f.problems.empty()) << Problems(f);
  ASSERT_EQ(f.ofType(308).size(), 1u);
  EXPECT_EQ(f.ofType(308)[0]->params.size(), 4u + 1200u);
}

TEST_F(IgesTest, NotesKeepTheirStringsWhole) {
  const std::string shortText = "Federkraft F = 12,5 N bei s = 300 mm, Werkstoff X10CrNi";  // comma late in the piece
  std::string longText;
  for (int i = 0; i < 12; ++i) longText += "Wort " + std::to_string(i) + ", ";  // beyond one record
  OutputRun(2, [&] {
    CadTextStyle(1, 0, 3.5, 0);
    CadText(shortText, 10, 20);
    CadText(longText, 10, 30);
    CadText("", 10, 40);
    CadText("Zeile 1\r\nZeile 2\nZeile 3", 10, 50);  // a break would end the record in the middle
  });
  ASSERT_FALSE(programState.ErrorFlag);
  const IgesFile f = ReadIges(Output());
  ASSERT_TRUE(f.problems.empty()) << Problems(f);
  const auto notes = f.ofType(212);
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_EQ(notes[0]->params.back(), shortText);
  EXPECT_EQ(notes[0]->params[2], std::to_string(shortText.size()));
  EXPECT_EQ(notes[1]->params.back(), longText);
  EXPECT_EQ(notes[2]->params.back(), "Zeile 1 Zeile 2 Zeile 3");
}

TEST_F(IgesTest, ColoursAndLineFonts) {
  struct Case {
    int32_t n;
    int color, font;
  };
  // Default layers: colours 1, 2, 2, 2, 3, 1; colour layers 16..31 hold 1..16.
  const std::vector<Case> cases = {{0, 0, 1}, {1, 5, 4}, {2, 5, 2}, {4, 3, 1}, {6, 0, 1},
                                   {8, 10, 1}, {16, 2, 1}, {31, 1, 1}, {47, 1, 1}};
  for (const auto& c : cases) {
    IgesSetColor(c.n);
    EXPECT_EQ(iges.IgesColor, c.color) << c.n;
    EXPECT_EQ(iges.IgesLineFont, c.font) << c.n;
  }
}

// ---- The parameter file and failures ----

TEST_F(IgesTest, ParameterFileIsPrivateAndRemoved) {
  // Someone else's file of the old fixed name stays untouched.
  test::writeFile(dir / "KWENIGES.$$$", "fremd");
  CadBeginOutput(2);
  CadPageSetup(0, 0, 160, 120, 0);
  CadLine(0, 0, 1, 1);
  const std::string paramFile = IgesParamFileName();
  ASSERT_FALSE(paramFile.empty());
  // In the work folder, not beside the output.
  EXPECT_EQ(fs::path(paramFile).parent_path(), dir / "tmp");
  EXPECT_NE(fs::path(paramFile).filename(), "KWENIGES.$$$");
  EXPECT_TRUE(fs::exists(paramFile));
  CadEndOutput();
  ASSERT_FALSE(programState.ErrorFlag);
  EXPECT_FALSE(fs::exists(paramFile));
  EXPECT_EQ(test::readFile(dir / "KWENIGES.$$$"), "fremd");
  EXPECT_EQ(Leftovers(), std::vector<std::string>{"KWENIGES.$$$"});
  EXPECT_TRUE(ReadIges(Output()).problems.empty());
}

TEST_F(IgesTest, FailedWriteDropsEverything) {
  // The output folder disappears under the run: the parameter file and the output cannot be completed.
  test::writeFile(Output(), "alte Datei");
  CadBeginOutput(2);
  CadPageSetup(0, 0, 160, 120, 0);
  CadLine(0, 0, 1, 1);
  ASSERT_FALSE(programState.ErrorFlag);
  const std::string paramFile = IgesParamFileName();
  // A write that fails: the parameter file's descriptor now points at a full device.
  ASSERT_NO_THROW({
    const int full = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0);
    // Find the descriptor of the parameter file by its link and redirect it.
    for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
      std::error_code ec;
      if (fs::read_symlink(e.path(), ec) == fs::weakly_canonical(paramFile)) ::dup2(full, std::stoi(e.path().filename().string()));
    }
    ::close(full);
  });
  for (int i = 0; i < 2000; ++i) CadLine(i, 0, i, 1);  // more than the buffer holds
  CadEndOutput();
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_FALSE(fs::exists(paramFile));
  EXPECT_EQ(test::readFile(Output()), "alte Datei");  // the old file stays as it was
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_FALSE(Messages().empty());
  // The next run works again.
  programState.ErrorFlag = false;
  OutputRun(2, [&] {
    CadLine(0, 0, 1, 1);
  });
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(ReadIges(Output()).problems.empty());
}

TEST_F(IgesTest, ARunNeverEndedLeavesNoFilesAtProgramEnd) {
  GTEST_FLAG_SET(death_test_style, "fast");
  EXPECT_EXIT(
      {
        CadBeginOutput(2);
        CadPageSetup(0, 0, 160, 120, 0);
        CadLine(0, 0, 1, 1);
        if (IgesParamFileName().empty() || !fs::exists(IgesParamFileName())) std::_Exit(3);
        std::exit(0);  // the caller stopped without ending the output
      },
      testing::ExitedWithCode(0), "");
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_FALSE(fs::exists(Output()));
}

TEST_F(IgesTest, UnwritableFolderIsReportedWithoutLeftovers) {
  programState.CurrentFileName = (dir / "fehlt" / "zeichnung").string();
  CadBeginOutput(2);
  EXPECT_TRUE(programState.ErrorFlag);
  CadLine(0, 0, 1, 1);
  CadEndOutput();
  EXPECT_FALSE(fs::exists(dir / "fehlt"));
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_FALSE(Messages().empty());
}

// ---- Read back by OpenCASCADE ----

TEST_F(IgesTest, OpenCascadeReadsAKernelDrawing) {
  std::string longText;
  for (int i = 0; i < 12; ++i) longText += "Wort " + std::to_string(i) + ", ";
  OutputRun(2, [&] {
    CadBeginBlocks();
    CadBeginBlock("PFEIL");
    CadLine(0, 0, 10, 0);
    CadArc(0, 0, 0, 90, 5);
    CadEndBlock();
    CadBeginBlock("LEER");
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
    CadSetColor(1);
    CadLine(0, 0, 100, 50);                // 1 edge
    CadSetColor(18);
    CadCircle(50, 50, 20);                 // 1
    CadArc(50, 50, 30, 200, 10);           // 1
    CadSetColor(13);                       // IGES colour 14
    CadSolid(0, 0, 10, 0, 10, 10, 0, 10);  // 4, one wire
    CadTextStyle(1, 30, 5, 0);
    CadText("Konstantkraftfeder, Band 0,2 x 10", 20, 100);  // notes carry no geometry
    CadText(longText, 20, 90);  // its string continues over three records
    CadInsertBlock("PFEIL", 150, 100, 45, 2, 2);  // 2, up to y 100 + 20 sin 45
    CadInsertBlock("PFEIL", 200, 100, 0, 3, 3);   // 2, up to x 230 and y 115
    CadInsertBlock("PFEIL", 120, 30, 0, 1, 1);    // 2
    CadInsertBlock("LEER", 10, 10, 0, 1, 1);     // an empty definition: read without complaint, no shape
    CadInsertBlock("LEER", 10, 10, 30, 2, 2);
  }, 297, 210);
  ASSERT_FALSE(programState.ErrorFlag);
  const IgesFile f = ReadIges(Output());
  ASSERT_TRUE(f.problems.empty()) << Problems(f);

  ASSERT_EQ(f.ofType(308).size(), 4u);  // PFEIL, LEER and PFEIL at scales 2 and 3
  ASSERT_EQ(f.ofType(408).size(), 5u);
  const auto notes = f.ofType(212);
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[1]->paramLines, 3);
  std::string dump;
  for (const IgesEntity* n : notes) dump += "puts [entity " + std::to_string((n->de + 1) / 2) + " 5]; ";
  OcctResult o = ReadWithOcct(Output(), dump);
  EXPECT_NE(o.output.find("Text : \"Konstantkraftfeder, Band 0,2 x 10\""), std::string::npos) << o.output;
  EXPECT_NE(o.output.find("Text : \"" + longText + "\""), std::string::npos) << o.output;
  ASSERT_GT(o.loaded, 0) << "OpenCASCADE did not read the file:\n" << o.output;
  EXPECT_EQ(o.loaded, static_cast<int>(f.entities.size())) << o.output;
  EXPECT_EQ(o.modelChecks, 0) << o.output;
  EXPECT_TRUE(o.failures.empty()) << o.output;
  for (const auto& w : o.warnings)  // the only remark: the outline's corners split into smooth pieces
    EXPECT_NE(w.find("CopiousData"), std::string::npos) << w;
  EXPECT_EQ(o.shapes["EDGE"], 13) << o.output;
  EXPECT_EQ(o.shapes["WIRE"], 1) << o.output;
  ASSERT_EQ(o.bounds.size(), 6u) << o.output;
  EXPECT_NEAR(o.bounds[0], 0.0, 0.01);
  EXPECT_NEAR(o.bounds[3], 230.0, 0.01);
  EXPECT_NEAR(o.bounds[4], 115.0, 0.01);
}

TEST_F(IgesTest, ABlockInsertedOnlyScaledLeavesNoDefinitionAtItsOwnPlace) {
  // The views of a production drawing: blocks drawn around their origin, inserted at half size.
  OutputRun(2, [&] {
    CadBeginBlocks();
    CadBeginBlock("FEDER");
    CadLine(-40, -40, 40, 40);
    CadCircle(0, 0, 40);
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
    CadInsertBlock("FEDER", 118, 220, 0, 0.5L, 0.5L);
  }, 210, 297);
  ASSERT_FALSE(programState.ErrorFlag);
  const IgesFile f = ReadIges(Output());
  ASSERT_TRUE(f.problems.empty()) << Problems(f);
  // Every definition is one an instance uses.
  std::set<int> used;
  for (const IgesEntity* i : f.ofType(408)) used.insert(ToInt(i->params[1]));
  for (const IgesEntity* d : f.ofType(308)) EXPECT_TRUE(used.count(d->de)) << "unused subfigure DE " << d->de;
  // A reader shows the half-size views only, not the block again at the sheet's corner.
  OcctResult o = ReadWithOcct(Output());
  EXPECT_TRUE(o.failures.empty()) << o.output;
  ASSERT_EQ(o.bounds.size(), 6u) << o.output;
  EXPECT_NEAR(o.bounds[0], 98.0, 0.01);
  EXPECT_NEAR(o.bounds[1], 200.0, 0.01);
  EXPECT_NEAR(o.bounds[3], 138.0, 0.01);
  EXPECT_NEAR(o.bounds[4], 240.0, 0.01);
}

TEST_F(IgesTest, NotesInsideABlockAreValidThoughOpenCascadeMakesNoShapeOfThem) {
  // The reader turns geometry into shapes; a note that is a subfigure member is the one thing it
  // reports it cannot turn (a note at the top level it leaves alone). The file check is clean.
  OutputRun(2, [&] {
    CadBeginBlocks();
    CadBeginBlock("SCHILD");
    CadLine(0, 0, 20, 0);
    CadText("Federstahl", 0, 2);
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
    CadInsertBlock("SCHILD", 10, 10, 0, 1, 1);
    CadInsertBlock("SCHILD", 10, 50, 0, 1, 1);
  });
  ASSERT_FALSE(programState.ErrorFlag);
  const IgesFile f = ReadIges(Output());
  ASSERT_TRUE(f.problems.empty()) << Problems(f);
  OcctResult o = ReadWithOcct(Output());
  EXPECT_EQ(o.loaded, static_cast<int>(f.entities.size())) << o.output;
  EXPECT_EQ(o.modelChecks, 0) << o.output;
  ASSERT_FALSE(o.failures.empty()) << o.output;
  for (const auto& l : o.failures) {
    EXPECT_NE(l.find("GeneralNote"), std::string::npos) << l;
    EXPECT_NE(l.find("Not an implemented entity type"), std::string::npos) << l;
  }
  EXPECT_EQ(o.shapes["COMPOUND"], 2) << o.output;  // one per instance, sharing the line's edge
  EXPECT_EQ(o.shapes["EDGE"], 1) << o.output;
  ASSERT_EQ(o.bounds.size(), 6u) << o.output;
  EXPECT_NEAR(o.bounds[1], 10.0, 0.01);
  EXPECT_NEAR(o.bounds[4], 50.0, 0.01);
}

}  // namespace
}  // namespace qorva
