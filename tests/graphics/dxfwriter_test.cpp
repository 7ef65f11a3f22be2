#include "graphics/dxfwriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/cadsettings.h"
#include "graphics/stlwriter.h"
#include "graphics/cadkernel.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;

const std::string kChecker = std::string(QORVA_SOURCE_DIR) + "/tools/graphics/dxfcheck.py";
const std::string kGolden = std::string(QORVA_TEST_DATA_DIR) + "/caddxf_sample.dxf";

// CP437 texts: "Höhe äüß" and the same with a line break in it.
const std::string kUmlautText = "H\x94he \x84\x81\xE1";
const std::string kBrokenText = "Zeile 1\r\nZeile 2\nZeile 3";

std::vector<std::string> SplitLines(const std::string& bytes, const std::string& end = "\r\n") {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < bytes.size()) {
    const size_t next = bytes.find(end, pos);
    if (next == std::string::npos) {
      lines.push_back(bytes.substr(pos));
      break;
    }
    lines.push_back(bytes.substr(pos, next - pos));
    pos = next + end.size();
  }
  return lines;
}

struct CheckResult {
  int exitCode = -1;
  std::vector<std::string> lines;
  std::string output;
};

// Reads a file with ezdxf (through the checker script) and audits it.
CheckResult CheckDxf(const fs::path& file) {
  const auto r = test::runCommand(std::string(QORVA_PYTHON) + " '" + kChecker + "' '" + file.string() + "'");
  return {r.exitCode, SplitLines(r.output, "\n"), r.output};
}

bool Has(const CheckResult& r, const std::string& line) {
  for (const auto& l : r.lines)
    if (l == line) return true;
  return false;
}

class DxfWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { InitAllSettings(); }
  void TearDown() override {
    ShareTextFile.Discard();
    InitAllSettings();
  }

  // Opens the shared text file, runs the writer calls and returns the file's bytes; the calls close
  // the file themselves (DxfClose) or the helper closes it.
  template <class F>
  std::string written(F&& calls, const std::string& name = "out.dxf") {
    const std::string path = (dir / name).string();
    AssignText(ShareTextFile, path);
    EXPECT_TRUE(ShareTextFile.Rewrite());
    calls();
    if (ShareTextFile.IsOpen()) ShareTextFile.Close();
    return test::readFile(path);
  }

  test::ScratchDir dir;
};

// A DXF output as the drawings produce it: header, tables, one block, the page with the border
// inside the entities section (as the kernel writes the plot program's work file), an insert of
// the block and one entity of every kind.
void WriteSampleDrawing() {
  DxfHeader(0, 0, 297, 210);
  DxfTables();
  DxfBeginBlocks();
  DxfSelectLayer(5);
  DxfBlock("feder");
  DxfSelectLayer(1);
  DxfLine(0, 0, 10.5L, -3);
  DxfCircle(5, 5, 2.5L);
  DxfArc(0, 0, 30, 120, 4);
  DxfEndBlock();
  DxfEndSection();
  DxfBeginEntities();
  DxfSelectLayer(19);
  DxfLine(0, 0, 297, 0);
  DxfLine(297, 0, 297, 210);
  DxfLine(297, 210, 0, 210);
  DxfLine(0, 210, 0, 0);
  DxfSelectLayer(2);
  DxfInsert("feder", 100, 50.25L, 90, 2, 0.5L);
  DxfSelectLayer(3);
  cadrun.TextHeight = 3.5L;
  cadrun.TextWidthFactor = 0.7142857L;
  cadrun.TextAngle = 90;
  cadrun.TextObliqueAngle = 15;
  DxfText(kUmlautText, 20, 30);
  cadrun.TextAngle = 0;
  cadrun.TextObliqueAngle = 0;
  DxfText(kBrokenText, 20, 40.125L);
  DxfSelectLayer(7);
  DxfSolid(10, 10, 20, 10, 10, 15, 20, 15);
  DxfSelectLayer(0);
  DxfCircle(-12.345678L, 0.001L, 1);
  DxfEndSection();
  DxfClose();
}

// ---- Line pairs ----

TEST_F(DxfWriterTest, PairLinesKeepTheirLayout) {
  const std::string bytes = written([] {
    DxfGroupCode(0);
    DxfGroupCode(10);
    DxfGroupCode(100);
    DxfGroupCode(1001);
    DxfValueInt(-44);
    DxfValueInt(0);
    DxfValueStr("");
    DxfValueStr("  two blanks");
    // A break inside a value would turn the rest of it into a group code line.
    DxfValueStr("a\r\nb\nc\rd\x1a" "e");
  });
  EXPECT_EQ(bytes, "  0\r\n 10\r\n100\r\n1001\r\n-44\r\n0\r\n\r\n  two blanks\r\na b c d e\r\n");
}

TEST_F(DxfWriterTest, CoordinateRealsHaveTheirDecimalsAndAPoint) {
  struct Case {
    int32_t decimals;
    long double x;
    const char* text;
  };
  const Case cases[] = {
      {6, 0, "0.000000"},        {6, 10.5L, "10.500000"},  {6, -3, "-3.000000"},
      {6, -1e-9L, "0.000000"},   {6, 0.0004567L, "0.000457"}, {2, 1234567.891L, "1234567.89"},
      {0, 12.4L, "12"},          {0, -3, "-3"},             {3, -0.0004L, "0.000"},
      {-2, 7.25L, "7"},          {40, 1.5L, "1.500000000000000"},
  };
  // A German locale, the comma as display mark and five significant digits change nothing.
  test::LocaleGuard german;
  ASSERT_TRUE(german.ok());
  utilstr.DecimalMark = ',';
  programState.SigDigits = 5;
  for (const Case& c : cases) EXPECT_EQ(DxfRealText(c.x, c.decimals), c.text) << c.decimals << " " << c.text;
  EXPECT_EQ(programState.SigDigits, 5);
}

// Coordinate texts are built on a quick path for ordinary sizes; they equal the general fixed-point
// formatter's texts (18 significant digits, then half away from zero) on every kind of value.
TEST_F(DxfWriterTest, CoordinateRealsEqualTheGeneralFormatter) {
  const auto general = [](long double x, int32_t decimals) {
    int32_t intDigits = 0, decDigits = 0;
    SigDigitCounts(intDigits, decDigits, 3, x);
    const std::string t = RealStrFixDot(intDigits, decimals, x);
    return t.substr(t.find_first_not_of(' '));
  };
  std::vector<long double> values = {0.0L, -0.0L, 1e-8L, -1e-8L, 9.999999e-9L, 0.5L, 0.05L, 0.005L, 0.0078125L,
                                     2.5L, 99.9999995L, 0.9999995L, 999999.9999999L, 1e15L - 1, 1e15L, 1e16L,
                                     123456789012.3456789L, 99.99999999999999999L, 1.0L / 3.0L,
                                     std::numeric_limits<long double>::infinity(),
                                     std::numeric_limits<long double>::quiet_NaN()};
  std::mt19937_64 rng(20240601);
  for (int i = 0; i < 4000; ++i) {
    // Every decade from 1e-9 to 1e16, any mantissa.
    const long double mant = static_cast<long double>(rng() >> 11) / static_cast<long double>(1ULL << 53);
    values.push_back(mant * std::pow(10.0L, static_cast<long double>(static_cast<int>(rng() % 26) - 9)));
    // Values that end in a 5 one place beyond the decimals (a decimal half) and binary halves.
    const int32_t places = static_cast<int32_t>(rng() % 9);
    values.push_back(static_cast<long double>(rng() % 100000) / std::pow(10.0L, static_cast<long double>(places)) +
                     5.0L / std::pow(10.0L, static_cast<long double>(places + 1)));
    values.push_back(std::ldexp(static_cast<long double>((rng() % 100000) | 1), -static_cast<int>(rng() % 20)));
    // Exact binary values of 19 significant digits: the 19th is a 5 with nothing behind it, a tie
    // at the 18th digit that goes to the even neighbour.
    const int j = 4 + static_cast<int>(rng() % 12);
    const uint64_t wholeLimit = static_cast<uint64_t>(std::pow(10.0L, static_cast<long double>(19 - j)));
    values.push_back(static_cast<long double>(rng() % wholeLimit) +
                     static_cast<long double>((rng() % (uint64_t{1} << (j - 1))) * 2 + 1) /
                         static_cast<long double>(uint64_t{1} << j));
  }
  // Both sides of every power of ten the quick path meets, of its bounds and of the formatter's.
  for (int e = -10; e <= 16; ++e) {
    const long double p = std::pow(10.0L, static_cast<long double>(e));
    for (const long double x : {p, std::nextafter(p, 0.0L), std::nextafter(p, 2 * p), 5 * p, 9.5L * p})
      values.push_back(x);
  }
  for (const long double b : {1e-8L, 1e15L, 0.0078125L, 0.01L})
    for (const long double x : {b, std::nextafter(b, 0.0L), std::nextafter(b, 2 * b)}) values.push_back(x);
  values.push_back(std::numeric_limits<long double>::denorm_min());
  values.push_back(std::numeric_limits<long double>::min());
  values.push_back(std::numeric_limits<long double>::max());
  int32_t mismatches = 0;
  for (const long double v : values) {
    for (const long double x : {v, -v}) {
      for (int32_t decimals = 0; decimals <= DxfMaxDecimals; ++decimals) {
        const std::string a = DxfRealText(x, decimals);
        const std::string b = general(x, decimals);
        if (a != b && ++mismatches <= 10) ADD_FAILURE() << a << " != " << b << " (decimals " << decimals << ")";
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST_F(DxfWriterTest, BlockFilesKeepSixDecimalsWhateverTheSetting) {
  struct Case {
    uint16_t code;
    int32_t setting;
    int32_t minimum;
    int32_t decimals;
  };
  const Case cases[] = {
      {1, 2, 0, 2}, {4, 8, 0, 8}, {1, 2, 6, 6}, {3, 2, 0, 6}, {6, 0, 0, 6}, {3, 9, 0, 9}, {1, -1, 0, 0},
  };
  // The STL writer keeps its blocks in block files, as the screen does.
  RegisterStlWriter();
  for (const Case& c : cases) {
    cadSettings.CadCode = c.code;
    cadSettings.CadDecimals = c.setting;
    EXPECT_EQ(DxfDecimals(c.minimum), c.decimals) << c.code << " " << c.setting;
  }
  RegisterCadWriter(CadOutput::Stl, nullptr);
  cadSettings.CadCode = 3;
  cadSettings.CadDecimals = 2;
  const std::string bytes = written([] {
    DxfLine(1, 2, 3.25L, 4);
    DxfClose();
  });
  EXPECT_EQ(bytes,
            "  0\r\nLINE\r\n  8\r\n0\r\n 10\r\n1.000000\r\n 20\r\n2.000000\r\n 11\r\n3.250000\r\n 21\r\n"
            "4.000000\r\n  0\r\nEOF\r\n");
}

TEST_F(DxfWriterTest, LineOnLayerZeroIsTwelveLines) {
  cadSettings.CadCode = 1;
  const std::string bytes = written([] { DxfLine(0, 0, 10.5L, -3); });
  EXPECT_EQ(SplitLines(bytes), (std::vector<std::string>{"  0", "LINE", "  8", "0", " 10", "0.000000", " 20",
                                                          "0.000000", " 11", "10.500000", " 21", "-3.000000"}));
  cadSettings.CadDecimals = 0;
  EXPECT_EQ(SplitLines(written([] { DxfCircle(10.4L, -2, 3); }))[5], "10");
}

// The writer keeps the layer's lines and the text style's numbers from one entity to the next;
// they follow every change all the same: the display's significant digits, a layer renamed under
// its colour, and the block files' own names.
TEST_F(DxfWriterTest, TextStyleAndLayerFollowEveryChange) {
  cadSettings.CadCode = 1;
  cadSettings.LayerNames = {"0", "KONTUR", "MITTE", "3", "4", "STRICH"};
  const auto lines = SplitLines(written([] {
    cadrun.TextWidthFactor = 0.7142857L;
    DxfSelectLayer(1);
    DxfText("a", 1, 2);
    programState.SigDigits = 5;
    DxfText("a", 1, 2);
    cadSettings.LayerNames[1] = "DICK<1>";
    DxfSelectLayer(1);
    DxfText("a", 1, 2);
    cadSettings.CadCode = 3;
    DxfText("a", 1, 2);
  }));
  // Ten pairs a text: the layer is line 3, the width factor line 15.
  ASSERT_EQ(lines.size(), 80u);
  EXPECT_EQ(lines[3], "KONTUR");
  EXPECT_EQ(lines[15], "0.714");
  EXPECT_EQ(lines[35], "0.71429");
  EXPECT_EQ(lines[43], "DICK_1_");
  EXPECT_EQ(lines[63], "DICK<1>");
}

// Printable ASCII goes into a TEXT as it is, in every text mode and output: the writer relies on
// that and skips the conversion for such texts.
TEST_F(DxfWriterTest, PlainAsciiTextsAreTheSameInEveryTextMode) {
  std::string ascii;
  for (char c = ' '; c <= '~'; ++c) ascii += c;
  for (const uint16_t code : {1, 3, 4}) {
    for (uint16_t mode = 0; mode <= 4; ++mode) {
      for (const uint16_t plain : {0, 1}) {
        cadSettings.CadCode = code;
        desktopSettings.CadTextMode = mode;
        desktopSettings.PlainAscii = plain;
        EXPECT_EQ(DxfTextValue(ascii), ascii) << code << " " << mode << " " << plain;
        const auto lines = SplitLines(written([&ascii] { DxfText(ascii, 0, 0); }));
        ASSERT_GE(lines.size(), 12u);
        EXPECT_EQ(lines[11], ascii) << code << " " << mode << " " << plain;
      }
    }
  }
}

TEST_F(DxfWriterTest, LayerOfEachColour) {
  cadSettings.LayerNames = {"0", "KONTUR", "MITTE", "3", "4", "STRICH"};
  const std::pair<int32_t, const char*> cases[] = {{0, "0"},      {-1, "0"},  {1, "KONTUR"}, {2, "MITTE"},
                                                    {5, "STRICH"}, {6, "6"},  {15, "15"},    {31, "31"}};
  for (const auto& [n, name] : cases) {
    DxfSelectLayer(n);
    EXPECT_EQ(cadrun.CurrentLayerName, name) << n;
  }
}

// ---- Whole files ----

// FNV-1a over the bytes of a file.
uint64_t Digest(const std::string& bytes) {
  uint64_t h = 14695981039346656037ULL;
  for (const char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ULL;
  }
  return h;
}

// 10^n for |n| <= 27 as the formatter's tests build it: exact powers, one division for negatives.
long double TenTo(int n) {
  long double p = 1.0L;
  for (int i = 0; i < (n < 0 ? -n : n); ++i) p *= 10.0L;
  return n < 0 ? 1.0L / p : p;
}

// A drawing of many entities with coordinates of every kind (every decade from 1e-10 to 1e16 with
// any mantissa, exact ties at the 18th digit and at the decimals, decade edges, zeros of both signs,
// infinities), every number of decimals, changing layers, texts in DOS bytes and plain ASCII,
// changing text styles and significant digits. Its bytes were recorded from the writer that built
// every coordinate through the general number formatter; the digest holds them to the byte.
void WriteLargeDrawing(uint64_t seed) {
  std::mt19937_64 rng(seed);
  const auto value = [&rng]() -> long double {
    const uint64_t r = rng();
    const long double sign = (r & 1) != 0 ? -1.0L : 1.0L;
    switch ((r >> 1) % 8) {
      case 0:  // any mantissa, any decade
      case 1: {
        const long double mant = static_cast<long double>(rng() >> 1) / 9223372036854775808.0L;
        return sign * mant * TenTo(static_cast<int>(rng() % 27) - 10);
      }
      case 2: {  // an exact binary value with 19 significant digits: a tie at the 18th
        const int j = 4 + static_cast<int>(rng() % 12);  // decimals of 1 / 2^j
        const int intDigits = 19 - j;
        const auto whole = static_cast<long double>(rng() % static_cast<uint64_t>(TenTo(intDigits)));
        const auto odd = static_cast<long double>((rng() % (uint64_t{1} << (j - 1))) * 2 + 1);
        return sign * (whole + odd / static_cast<long double>(uint64_t{1} << j));
      }
      case 3: {  // a decimal half one place beyond some decimals
        const int places = static_cast<int>(rng() % 12);
        return sign * (static_cast<long double>(rng() % 1000000) / TenTo(places) + 5.0L / TenTo(places + 1));
      }
      case 4: {  // a power of ten and its neighbours
        const long double p = TenTo(static_cast<int>(rng() % 27) - 10);
        const int step = static_cast<int>(rng() % 3) - 1;
        return sign * (step == 0 ? p : std::nextafter(p, step < 0 ? 0.0L : 2.0L * p));
      }
      case 5:  // small binary fractions
        return sign * std::ldexp(static_cast<long double>(rng() % 100000), -static_cast<int>(rng() % 24));
      case 6:
        return sign * static_cast<long double>(rng() % 1000) / 8.0L;
      default: {
        const long double special[] = {0.0L, 1e-8L, 9.999999e-9L, 0.5L, 0.9999995L, 99.9999995L, 1e15L,
                                       std::numeric_limits<long double>::infinity(), 0.0078125L, 0.01L};
        return sign * special[rng() % 10];
      }
    }
  };
  const std::string texts[] = {"Feder 123", kUmlautText, kBrokenText, "Kraft F = 12.5 N", "\xB0 \xF8 \xFD \xF1"};
  DxfHeader(value(), value(), value(), value());
  DxfTables();
  DxfBeginBlocks();
  DxfBlock("feder");
  DxfEndBlock();
  DxfEndSection();
  DxfBeginEntities();
  for (int i = 0; i < 6000; ++i) {
    cadSettings.CadDecimals = static_cast<int32_t>(rng() % 19) - 2;
    const auto minimum = static_cast<int32_t>(rng() % 10);
    DxfSelectLayer(static_cast<int32_t>(rng() % 40) - 3);
    switch (i % 7) {
      case 0: DxfLine(value(), value(), value(), value(), minimum); break;
      case 1: DxfCircle(value(), value(), value(), minimum); break;
      case 2: DxfArc(value(), value(), value(), value(), value(), minimum); break;
      case 3:
        if (rng() % 4 == 0) {
          cadrun.TextHeight = value();
          cadrun.TextWidthFactor = value();
          cadrun.TextAngle = value();
          cadrun.TextObliqueAngle = value();
          programState.SigDigits = static_cast<int32_t>(rng() % 7);
          desktopSettings.CadTextMode = static_cast<uint16_t>(rng() % 4);
          desktopSettings.PlainAscii = static_cast<uint16_t>(rng() % 2);
        }
        DxfText(texts[rng() % 5], value(), value(), minimum);
        break;
      case 4: DxfSolid(value(), value(), value(), value(), value(), value(), value(), value(), minimum); break;
      case 5:
        DxfInsert(i % 2 == 0 ? "feder" : "FEDER<2>", value(), value(), value(), value(), value(), minimum);
        break;
      default:
        DxfGroupCode(static_cast<int32_t>(rng() % 1200) - 100);
        DxfValueReal(value(), minimum);
        DxfGroupCode(999);
        DxfValueInt(static_cast<int32_t>(rng()));
        DxfGroupCode(1);
        DxfValueStr(texts[rng() % 5]);
        break;
    }
  }
  DxfEndSection();
  DxfClose();
}

TEST_F(DxfWriterTest, LargeDrawingsKeepTheirBytes) {
  struct Case {
    uint16_t code;
    uint64_t seed;
    size_t size;
    uint64_t digest;
  };
  const Case cases[] = {
      {1, 1, 745959, 9249116252688502473ULL},
      {4, 2, 746869, 7589218792973168184ULL},
      {3, 3, 763488, 7582006595716772270ULL},  // a block file of the screen: DOS texts, six decimals at least
  };
  cadSettings.LayerNames = {"0", "KONTUR", "MITTE<1/2>", "D\x9ANN", "4", "STRICH"};
  for (const Case& c : cases) {
    cadSettings.CadCode = c.code;
    const std::string bytes = written([&c] { WriteLargeDrawing(c.seed); });
    EXPECT_EQ(bytes.size(), c.size) << "code " << c.code;
    EXPECT_EQ(Digest(bytes), c.digest) << "code " << c.code;
  }
}


TEST_F(DxfWriterTest, SampleDrawingMatchesItsGoldenFile) {
  cadSettings.CadCode = 1;
  const std::string bytes = written(WriteSampleDrawing);
  if (std::getenv("QORVA_UPDATE_GOLDEN")) test::writeFile(kGolden, bytes);
  EXPECT_EQ(bytes, test::readFile(kGolden));
}

TEST_F(DxfWriterTest, EzdxfReadsTheSampleDrawingWithoutAuditErrors) {
  cadSettings.CadCode = 4;
  // Characters that DXF names must not hold become "_" in the file.
  cadSettings.LayerNames = {"0", "KONTUR", "MITTE<1/2>", "D\x9ANN", "4", "STRICH"};
  written(WriteSampleDrawing);
  const CheckResult r = CheckDxf(dir / "out.dxf");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_TRUE(Has(r, "read AC1009 cp1252")) << r.output;
  EXPECT_TRUE(Has(r, "audit errors=0 fixes=0")) << r.output;
  const std::vector<std::string> expected = {
      "block feder base=(0,0)",
      "  LINE layer=KONTUR (0,0) (10.5,-3)",
      "  CIRCLE layer=KONTUR (5,5) r=2.5",
      "  ARC layer=KONTUR (0,0) r=4 from=30 to=120",
      "entities",
      "  LINE layer=19 (0,0) (297,0)",
      "  LINE layer=19 (297,0) (297,210)",
      "  LINE layer=19 (297,210) (0,210)",
      "  LINE layer=19 (0,210) (0,0)",
      "  INSERT layer=MITTE_1_2_ feder (100,50.25) sx=2 sy=0.5 rot=90",
      // The layer name of entry 3 goes through the file's code page like every text.
      "  TEXT layer=DÜNN (20,30) h=3.5 text=\"Höhe äüß\" style=STANDARD width=0.714 rot=90 oblique=15",
      "  TEXT layer=DÜNN (20,40.125) h=3.5 text=\"Zeile 1 Zeile 2 Zeile 3\" style=STANDARD width=0.714 rot=0 "
      "oblique=0",
      "  SOLID layer=7 (10,10) (20,10) (10,15) (20,15)",
      "  CIRCLE layer=0 (-12.345678,0.001) r=1",
  };
  auto at = std::find(r.lines.begin(), r.lines.end(), expected.front());
  ASSERT_NE(at, r.lines.end()) << r.output;
  EXPECT_EQ(std::vector<std::string>(at, std::min(at + static_cast<long>(expected.size()), r.lines.end())),
            expected)
      << r.output;
}

TEST_F(DxfWriterTest, LayerTableTakesTheLowByteOrMonochrome) {
  cadSettings.CadCode = 1;
  cadSettings.LayerNames = {"0", "DICK", "MITTE", "STRICH", "DUENN", "HILF"};
  cadSettings.LayerColors = {7, 300, 2, 3, 4, 5};
  cadSettings.ColorLayerColors[16] = 256 + 9;
  cadSettings.ColorLayerColors[31] = 16;
  written([] {
    DxfHeader(0, 0, 10, 10);
    DxfTables();
    DxfBeginEntities();
    DxfEndSection();
    DxfClose();
  });
  CheckResult r = CheckDxf(dir / "out.dxf");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  for (const char* line : {"layer 0 color=1 linetype=CONTINUOUS", "layer DICK color=44 linetype=DASHDOT",
                           "layer MITTE color=2 linetype=DASHED", "layer HILF color=5 linetype=CONTINUOUS",
                           "layer 16 color=9 linetype=CONTINUOUS", "layer 31 color=16 linetype=CONTINUOUS",
                           "style STANDARD font=TXT8"})
    EXPECT_TRUE(Has(r, line)) << line << "\n" << r.output;

  cadSettings.LayerMonochrome = true;
  cadSettings.CadTextFont = "isocp";
  written([] {
    DxfHeader(0, 0, 10, 10);
    DxfTables();
    DxfClose();
  });
  r = CheckDxf(dir / "out.dxf");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  int layers = 0;
  for (const auto& l : r.lines) {
    if (l.rfind("layer ", 0) != 0 || l.rfind("layer Defpoints ", 0) == 0) continue;  // ezdxf's own
    ++layers;
    EXPECT_NE(l.find(" color=1 "), std::string::npos) << l;
  }
  EXPECT_EQ(layers, 22);
  EXPECT_TRUE(Has(r, "style STANDARD font=ISOCP")) << r.output;
}

// The header declares the Windows code page; every text of a DXF file is in it, whatever the text
// mode, and only the screen's block files keep DOS bytes for the program's own reader.
TEST_F(DxfWriterTest, TextsAreInTheCodePageTheHeaderDeclares) {
  struct Case {
    uint16_t textMode;
    uint16_t code;
    const char* seen;  // as ezdxf reads it
  };
  const Case cases[] = {
      {2, 1, "Höhe äüß"}, {1, 1, "Höhe äüß"}, {7, 4, "Höhe äüß"}, {3, 1, "Hoehe aeuess"}, {3, 4, "Hoehe aeuess"},
  };
  for (const Case& c : cases) {
    desktopSettings.CadTextMode = c.textMode;
    cadSettings.CadCode = c.code;
    written([] {
      DxfHeader(0, 0, 100, 100);
      DxfTables();
      DxfBeginEntities();
      DxfText(kUmlautText + " \x9C", 1, 2);
      DxfEndSection();
      DxfClose();
    });
    const CheckResult r = CheckDxf(dir / "out.dxf");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    const std::string expected = std::string(c.seen) + " £";
    EXPECT_TRUE(Has(r, "  TEXT layer=0 (1,2) h=5 text=\"" + expected + "\" style=STANDARD width=1 rot=0 oblique=0"))
        << c.textMode << " " << c.code << "\n"
        << r.output;
  }
  desktopSettings.CadTextMode = 3;
  cadSettings.CadCode = 3;
  const auto lines = SplitLines(written([] { DxfText(kUmlautText, 1, 2); }));
  ASSERT_GE(lines.size(), 12u);
  EXPECT_EQ(lines[10], "  1");
  EXPECT_EQ(lines[11], kUmlautText);
}

// The checker the drawing tests rely on refuses files from which ezdxf silently drops entities.
TEST_F(DxfWriterTest, CheckerRefusesFilesThatLoseEntities) {
  cadSettings.CadCode = 4;
  // The page border of the plot program's work file once stood between the header and the tables.
  written([] {
    DxfHeader(0, 0, 297, 210);
    DxfLine(0, 0, 297, 0);
    DxfTables();
    DxfBeginEntities();
    DxfEndSection();
    DxfClose();
  });
  CheckResult r = CheckDxf(dir / "out.dxf");
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_TRUE(Has(r, "warning DXF Structure Warning: found tags outside a SECTION, ignored by ezdxf.")) << r.output;

  // An insertion of a block the file does not define is deleted by the audit.
  written([] {
    DxfHeader(0, 0, 297, 210);
    DxfTables();
    DxfBeginEntities();
    DxfInsert("LOGO_2", 270, 2, 0, 0.6L, 0.6L);
    DxfEndSection();
    DxfClose();
  });
  r = CheckDxf(dir / "out.dxf");
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_TRUE(Has(r, "audit errors=0 fixes=1")) << r.output;
}

// ---- Failures ----

TEST_F(DxfWriterTest, FailedWritesSetErrorFlagAndTheFileStillCloses) {
  ASSERT_TRUE(fs::exists("/dev/full")) << "/dev/full is missing";
  cadSettings.CadCode = 1;
  AssignText(ShareTextFile, "/dev/full");
  ASSERT_TRUE(ShareTextFile.Rewrite());
  EXPECT_NO_THROW({
    DxfHeader(0, 0, 297, 210);
    DxfTables();
    DxfBeginEntities();
    for (int i = 0; i < 20000; ++i) DxfLine(i, i, i + 1, i + 1);
  });
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_NO_THROW(DxfClose());
  EXPECT_FALSE(ShareTextFile.IsOpen());

  // Writing without an open file is refused the same way.
  programState.ErrorFlag = false;
  EXPECT_NO_THROW(DxfText("x", 0, 0));
  EXPECT_TRUE(programState.ErrorFlag);
}

}  // namespace
}  // namespace qorva
