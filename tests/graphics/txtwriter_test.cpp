// The TXT drawing file written through the CAD kernel (output code 5).

#include "graphics/txtwriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/graphics/cadkernel_fixture.h"

namespace qorva {
namespace {

using cadtest::KernelTest;
namespace fs = std::filesystem;

class TxtWriterTest : public KernelTest {
 protected:
  void SetUp() override {
    KernelTest::SetUp();
    InitTxtFileState();
    RegisterTxtWriter();
    desktopSettings.CadBatchMode = true;
    programState.CurrentFileName = (dir / "feder").string();
  }
  void TearDown() override {
    InitTxtFileState();
    KernelTest::TearDown();
  }

  fs::path Output() const { return dir / "feder.txt"; }

  // The written file split into its lines; every line must end in CR LF.
  std::vector<std::string> OutputLines() const {
    const std::string s = test::readFile(Output());
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < s.size()) {
      const size_t end = s.find("\r\n", pos);
      EXPECT_NE(end, std::string::npos) << "line without CR LF at byte " << pos;
      if (end == std::string::npos) break;
      lines.push_back(s.substr(pos, end - pos));
      pos = end + 2;
    }
    return lines;
  }

  static std::vector<std::string> Golden(const std::string& name) {
    const std::string s = test::readFile(fs::path(QORVA_TEST_DATA_DIR) / name);
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < s.size()) {
      size_t end = s.find('\n', pos);
      if (end == std::string::npos) end = s.size();
      lines.push_back(s.substr(pos, end - pos));
      pos = end + 1;
    }
    return lines;
  }

  void ExpectGolden(const std::string& name) {
    const std::vector<std::string> got = OutputLines();
    const std::vector<std::string> want = Golden(name);
    ASSERT_FALSE(want.empty());
    for (size_t i = 0; i < std::max(got.size(), want.size()); ++i)
      EXPECT_EQ(i < got.size() ? got[i] : "<missing>", i < want.size() ? want[i] : "<extra>") << "line " << i + 1;
  }
};

TEST_F(TxtWriterTest, DrawingWithBlockMatchesGolden) {
  CadBeginOutput(5);
  ASSERT_FALSE(programState.ErrorFlag);
  CadPageSetup(0, 0, 210, 297, 0);
  CadWriteTables(2);  // writes nothing
  CadBeginBlocks();
  CadBeginBlock("RAHMEN");
  CadSetColor(1);
  CadLine(0, 0, 10, 0);
  CadArc(0, 0, 0, 360, 5);
  CadEndBlock();
  CadEndSection();  // writes nothing
  CadBeginEntities();
  CadSetOrigin(10, 20);
  CadLine(1, 2, 3, 4);
  CadCircle(0, 0, 2.5L);
  CadArc(0, 0, 0, 359.99L, 3);  // not quite a full turn
  CadArc(0, 0, 360, 0, 3);      // a full turn the other way round
  CadArc(5, 5, 45, 45, 1);      // equal angles
  CadArc(0, 0, -30, 120, 1.25L);
  CadText("Feder", -5, -6);
  CadSolid(0, 0, 1, 0, 0, 1, 1, 1);
  CadInsertBlock("RAHMEN", 50, 60, 90, 2, 0.5L);
  CadEndOutput();
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(ShareTextFile.IsOpen());
  ExpectGolden("cadtxt_drawing.txt");
}

TEST_F(TxtWriterTest, WholeNumbersAreRightAlignedAndTextsStayOneField) {
  cadSettings.CadDecimals = 0;
  desktopSettings.CadTextMode = 3;  // transliterated
  OutputRun(5, [&] {
    CadBeginEntities();
    CadLine(5, -3, 12.4L, -0.4L);
    // A TAB inside a text would make a record of five fields.
    CadText("F = 20 N\tbei 80 \xF8" "C", 2, 1);
  });
  EXPECT_FALSE(programState.ErrorFlag);
  ExpectGolden("cadtxt_whole.txt");
}

TEST_F(TxtWriterTest, DecimalCommaSetting) {
  cadSettings.CadDecimals = 2;
  desktopSettings.CadTxtDecimal = 2;
  OutputRun(5, [&] {
    CadBeginEntities();
    CadCircle(1.5L, -2.25L, 0.376L);
    CadArc(1.5L, -2.25L, 10, 20, 0.376L);
  });
  EXPECT_FALSE(programState.ErrorFlag);
  ExpectGolden("cadtxt_comma.txt");
}

TEST_F(TxtWriterTest, NumberField) {
  struct Case {
    int32_t decimals;
    uint16_t mark;
    long double x;
    const char* text;
  } cases[] = {
      {6, 1, 10, "10.000000"},     {0, 1, 5, "  5"},       {0, 1, 123456, "123456"},
      {6, 2, 0.5L, "0,500000"},    {1, 1, -0.04L, "0.0"},  {3, 1, -1.2344L, "-1.234"},
      {0, 1, -7, " -7"},           {2, 1, 1e12L, "1000000000000.00"},
  };
  for (const auto& c : cases) {
    cadSettings.CadDecimals = c.decimals;
    desktopSettings.CadTxtDecimal = c.mark;
    EXPECT_EQ(TxtReal(c.x), c.text) << c.decimals << " decimals of " << static_cast<double>(c.x);
  }
}

TEST_F(TxtWriterTest, TextsFollowTheCadTextMode) {
  struct Case {
    uint16_t mode;
    std::string text;
  } cases[] = {
      {1, "TEXT\t  1\t  2\t20\xF8" "C"},  // as stored
      {2, "TEXT\t  1\t  2\t20\xB0" "C"},  // Windows character set
      {3, "TEXT\t  1\t  2\t20degC"},
  };
  cadSettings.CadDecimals = 0;
  for (const auto& c : cases) {
    desktopSettings.CadTextMode = c.mode;
    CadBeginOutput(5);
    CadText("20\xF8" "C", 1, 2);
    CadEndOutput();
    const std::vector<std::string> lines = OutputLines();
    ASSERT_EQ(lines.size(), 2u) << c.mode;
    EXPECT_EQ(lines[0], c.text) << c.mode;
    EXPECT_EQ(lines[1], "EOF");
  }
}

TEST_F(TxtWriterTest, ColourSetsTheLayerName) {
  cadSettings.LayerNames[3] = "MASS";
  CadBeginOutput(5);
  const std::pair<int32_t, const char*> cases[] = {{0, "0"}, {3, "MASS"}, {17, "17"}, {47, "31"}};
  for (const auto& [n, name] : cases) {
    CadSetColor(n);
    EXPECT_EQ(cadrun.CurrentLayerName, name) << n;
  }
  CadEndOutput();
  EXPECT_EQ(OutputLines(), std::vector<std::string>{"EOF"});  // no record carries a layer
}

TEST_F(TxtWriterTest, FailedWriteReportsOnceAndClosesTheFile) {
  // Few lines fail only when the file is closed, many lines while drawing.
  for (int lines : {3, 20000}) {
    test::scriptedPrompter().clear();
    programState.ErrorFlag = false;
    fs::remove(dir / "voll.txt");
    fs::create_symlink("/dev/full", dir / "voll.txt");
    programState.CurrentFileName = (dir / "voll").string();
    CadBeginOutput(5);
    ASSERT_FALSE(programState.ErrorFlag);
    for (int i = 0; i < lines && !programState.ErrorFlag; ++i) CadLine(0, 0, i, i);
    EXPECT_NO_THROW(CadEndOutput());
    EXPECT_TRUE(programState.ErrorFlag) << lines;
    EXPECT_FALSE(ShareTextFile.IsOpen()) << lines;
    EXPECT_FALSE(txtFile.Open);
    EXPECT_EQ(Messages().size(), 1u) << lines;
  }
}

TEST_F(TxtWriterTest, SharedFileTakenOverStopsTheRunWithoutTouchingTheOtherFile) {
  CadBeginOutput(5);
  CadLine(0, 0, 1, 1);
  // Another module opens its own file through the shared text file in the middle of the run.
  ShareTextFile.Assign((dir / "andere.cfg").string());
  ASSERT_TRUE(ShareTextFile.Rewrite());
  ShareTextFile.WriteLn("eigene Zeile");
  CadLine(2, 2, 3, 3);
  EXPECT_TRUE(programState.ErrorFlag);
  CadEndOutput();
  ASSERT_TRUE(ShareTextFile.IsOpen());  // theirs is still open
  ASSERT_TRUE(ShareTextFile.Close());
  EXPECT_EQ(test::readFile(dir / "andere.cfg"), "eigene Zeile\r\n");
  EXPECT_EQ(Messages().size(), 1u);
}

}  // namespace
}  // namespace qorva
