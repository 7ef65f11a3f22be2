// The STL file written through the CAD kernel (output code 6), binary and
// ASCII, judged by admesh.

#include "graphics/stlwriter.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/utilstr.h"
#include "tests/graphics/cadkernel_fixture.h"

namespace qorva {
namespace {

using cadtest::KernelTest;
using cadtest::RecordingWriter;
namespace fs = std::filesystem;

// What admesh reports on a file: only the exact edge check and the check of the
// stored normals against the vertex order run, so nothing is repaired before it
// is counted.
struct AdmeshReport {
  int exitCode = -1;
  std::string output;
  std::string type;
  long facets = -1;
  long degenerate = -1;
  long normalsFixed = -1;
};

long NumberAfter(const std::string &out, const std::string &label) {
  const size_t p = out.find(label);
  if (p == std::string::npos) return -1;
  size_t q = out.find(':', p);
  if (q == std::string::npos) return -1;
  ++q;
  while (q < out.size() && out[q] == ' ') ++q;
  long v = -1;
  std::from_chars(out.data() + q, out.data() + out.size(), v);
  return v;
}

AdmeshReport Admesh(const fs::path &file) {
  const auto r = test::runCommand("admesh --exact --normal-values '" + file.string() + "'");
  AdmeshReport a{r.exitCode, r.output, {}, -1, -1, -1};
  const size_t t = r.output.find("File type          : ");
  if (t != std::string::npos) a.type = r.output.substr(t + 21, r.output.find('\n', t) - t - 21);
  a.facets = NumberAfter(r.output, "Number of facets");  // the first column: as read
  a.degenerate = NumberAfter(r.output, "Degenerate facets");
  a.normalsFixed = NumberAfter(r.output, "Normals fixed");
  return a;
}

uint32_t LE32(const std::string &s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<size_t>(i)]);
  return v;
}

// The facets of a binary file, decoded byte by byte as little-endian.
std::vector<StlFacetRecord> BinaryFacets(const std::string &s) {
  std::vector<StlFacetRecord> out;
  for (size_t at = 84; at + 50 <= s.size(); at += 50) {
    StlFacetRecord f{};
    for (size_t k = 0; k < 12; ++k) f[k] = std::bit_cast<float>(LE32(s, at + 4 * k));
    out.push_back(f);
  }
  return out;
}

class StlWriterTest : public KernelTest {
 protected:
  void SetUp() override {
    KernelTest::SetUp();
    InitStlFileState();
    RegisterStlWriter();
    desktopSettings.CadBatchMode = true;
    programState.CurrentFileName = (dir / "feder").string();
  }
  void TearDown() override {
    InitStlFileState();
    KernelTest::TearDown();
  }
  fs::path Output() const { return dir / "feder.stl"; }

  // Starts a run with the page's height answered (the file is named without a dialog, while the
  // page set-up asks as it does in the window).
  void Begin(long double height = 5) {
    CadBeginOutput(6);
    ASSERT_FALSE(programState.ErrorFlag);
    test::scriptedPrompter().push(RealStrDecDot(3, height));
    desktopSettings.CadBatchMode = false;
    CadPageSetup(0, 0, 200, 150, 0);
    desktopSettings.CadBatchMode = true;
    ASSERT_TRUE(cadtest::Near(cadrun.StlHeight, height));
  }
};

// Lines, arcs, circles, solids, texts and a block defined and inserted twice.
void DrawSample() {
  CadBeginBlocks();
  CadBeginBlock("NABE");
  CadRectangle(-4, -4, 4, 4);
  CadCircle(0, 0, 2.5L);
  CadEndBlock();
  CadEndSection();
  CadBeginEntities();
  CadSetColor(1);
  CadRectangle(0, 0, 200, 150);
  CadLine(10, 10, 10, 10);  // no length
  CadArc(100, 75, 30, 300, 40);
  CadArc(100, 75, 350, 10, 250.4L);  // large radius, short segments
  CadCircle(20, 20, 0.3L);
  CadSolid(150, 10, 160, 10, 150, 20, 160, 20);
  CadTextStyle(0, 0, 3.5L, 0);
  CadText(
      "Feder 20\xF8"
      "C",
      30, 140);
  CadInsertBlock("NABE", 60, 60, 30, 1, 1);
  CadInsertBlock("NABE", 140, 60, 0, 2, 0.5L);
}

TEST_F(StlWriterTest, WallOfALineAndFacetCounts) {
  // One wall: two facets left of the direction, counter-clockwise about the
  // normal.
  cadSettings.StlType = 1;
  Begin(5);
  CadLine(0, 0, 10, 0);
  const std::vector<StlFacetRecord> want = {{0, 1, 0, 0, 0, 0, 0, 0, 5, 10, 0, 0},
                                            {0, 1, 0, 0, 0, 5, 10, 0, 5, 10, 0, 0}};
  CadEndOutput();
  ASSERT_FALSE(programState.ErrorFlag);
  const std::string ascii = test::readFile(Output());
  EXPECT_EQ(ascii,
            "solid KWESOLID\r\n"
            "  facet normal 0.00E+00 1.00E+00 0.00E+00\r\n    outer loop\r\n"
            "      vertex 0.00E+00 0.00E+00 0.00E+00\r\n      vertex 0.00E+00 "
            "0.00E+00 5.00E+00\r\n"
            "      vertex 1.00E+01 0.00E+00 0.00E+00\r\n    endloop\r\n  endfacet\r\n"
            "  facet normal 0.00E+00 1.00E+00 0.00E+00\r\n    outer loop\r\n"
            "      vertex 0.00E+00 0.00E+00 5.00E+00\r\n      vertex 1.00E+01 "
            "0.00E+00 5.00E+00\r\n"
            "      vertex 1.00E+01 0.00E+00 0.00E+00\r\n    endloop\r\n  endfacet\r\n"
            "endsolid KWESOLID\r\n");

  cadSettings.StlType = 0;
  Begin(5);
  CadLine(0, 0, 10, 0);
  CadEndOutput();
  EXPECT_EQ(BinaryFacets(test::readFile(Output())), want);

  struct Case {
    const char *what;
    long double z0, height;
    void (*draw)();
    uint32_t facets;
  } cases[] = {
      {"zero-length line", 0, 5, [] { CadLine(3, 4, 3, 4); }, 0},
      {"text", 0, 5, [] { CadText("abc", 1, 1); }, 0},
      {"filled quadrilateral", 0, 5, [] { CadSolid(0, 0, 1, 0, 0, 1, 1, 1); }, 8},
      {"height 0", 0, 0, [] { CadLine(0, 0, 10, 0); }, 0},
      {"ends equal in single precision", 0, 5, [] { CadLine(1, 1, 1 + 1e-12L, 1); }, 0},
      {"rounding rest of an arc", 0, 5, [] { CadLine(1234.5L, 0, 1234.5L, -1.2e-35L); }, 0},
      {"short but real", 0, 5, [] { CadLine(1234.5L, 0, 1234.5L, 0.001L); }, 2},
      {"base above the top", 7, 2, [] { CadLine(0, 0, 10, 0); }, 2},
  };
  for (const auto &c : cases) {
    CadBeginOutput(6);
    CadSetStlZ(c.z0, c.height);
    c.draw();
    EXPECT_EQ(stlFile.StlFacetCount, c.facets) << c.what;
    CadEndOutput();
    EXPECT_FALSE(programState.ErrorFlag) << c.what;
    EXPECT_EQ(fs::file_size(Output()), 84u + 50u * c.facets) << c.what;
  }
  // Walls below their base still turn counter-clockwise about their normal.
  const std::vector<StlFacetRecord> low = BinaryFacets(test::readFile(Output()));
  ASSERT_EQ(low.size(), 2u);
  EXPECT_EQ(low[0], (StlFacetRecord{0, 1, 0, 0, 0, 2, 0, 0, 7, 10, 0, 2}));
}

TEST_F(StlWriterTest, BinaryFileLayout) {
  cadSettings.StlType = 0;
  Begin(12.5L);
  CadLine(0, 0, 10, 0);
  CadLine(10, 0, 10, 10);
  CadSolid(20, 20, 30, 20, 30, 30, 20, 30);
  CadEndOutput();
  ASSERT_FALSE(programState.ErrorFlag);
  const std::string s = test::readFile(Output());
  ASSERT_EQ(s.size(), 84u + 50u * 12u);
  std::string header = "STL binary file created by KWENDAL Software";
  header.resize(80, ' ');
  EXPECT_EQ(s.substr(0, 80), header);
  EXPECT_EQ(s.substr(80, 4), std::string("\x0c\x00\x00\x00", 4));  // count, little-endian
  for (size_t k = 0; k < 12; ++k) EXPECT_EQ(s.substr(84 + 50 * k + 48, 2), "XX") << k;
  const std::vector<StlFacetRecord> f = BinaryFacets(s);
  // Second line: normal (-1, 0, 0), the bytes of 12.5 in the top vertex.
  EXPECT_EQ(f[2], (StlFacetRecord{-1, 0, 0, 10, 0, 0, 10, 0, 12.5f, 10, 10, 0}));
  EXPECT_EQ(s.substr(84 + 100 + 4 * 8, 4), std::string("\x00\x00\x48\x41", 4));
}

TEST_F(StlWriterTest, SampleDrawingIsAcceptedByAdmesh) {
  // The same drawing on a recording writer gives the segments the kernel sends:
  // two facets for each one with a length.
  size_t expected = 0;
  {
    RecordingWriter &rec = Register(6, "stl", true);
    Begin(5);
    DrawSample();
    for (const auto &c : rec.calls) {
      if (c.op == "line" && (c.v[0] != c.v[2] || c.v[1] != c.v[3])) expected += 2;
      if (c.op == "solid") expected += 8;
    }
    CadEndOutput();
    ASSERT_FALSE(programState.ErrorFlag);
    RegisterStlWriter();
  }
  ASSERT_GT(expected, 1000u);

  for (int32_t type : {0, 1}) {
    cadSettings.StlType = type;
    Begin(5);
    DrawSample();
    CadEndOutput();
    ASSERT_FALSE(programState.ErrorFlag) << type;
    EXPECT_EQ(stlFile.StlFacetCount, expected) << type;
    const AdmeshReport a = Admesh(Output());
    EXPECT_EQ(a.exitCode, 0) << a.output;
    EXPECT_EQ(a.type, type == 0 ? "Binary STL file" : "ASCII STL file") << a.output;
    EXPECT_EQ(a.facets, static_cast<long>(expected)) << a.output;
    EXPECT_EQ(a.degenerate, 0) << a.output;
    EXPECT_EQ(a.normalsFixed, 0) << a.output;
  }
}

TEST_F(StlWriterTest, AsciiNumbersKeepTheModel) {
  struct Case {
    long double x;
    const char *text;
  } cases[] = {{10, "1.00E+01"},           {-0.5L, "-5.00E-01"},  {0, "0.00E+00"},
               {-0.0L, "0.00E+00"},        {250.4L, "2.504E+02"}, {1e-7L, "1.00E-07"},
               {123456.7L, "1.234567E+05"}};
  for (const auto &c : cases) EXPECT_EQ(StlNum(c.x), c.text);
  // Every text reads back as the single-precision value the binary file would
  // hold.
  for (long double x : {250.3L, 250.4L, 1.0L / 3.0L, -99.999999L, 3.4e38L, 1.5e-30L}) {
    const std::string s = StlNum(x);
    float back = 0;
    std::from_chars(s.data(), s.data() + s.size(), back);
    EXPECT_EQ(back, static_cast<float>(x)) << s;
  }

  // Short segments far from the origin: with three significant digits their
  // ends would meet.
  cadSettings.StlType = 1;
  cadSettings.ArcResolution = 0.1L;
  Begin(2);
  CadArc(0, 0, 0, 10, 1234.5L);
  CadLine(250.3L, 0, 250.4L, 0);
  CadEndOutput();
  ASSERT_FALSE(programState.ErrorFlag);
  const AdmeshReport a = Admesh(Output());
  EXPECT_GT(a.facets, 400) << a.output;
  EXPECT_EQ(a.degenerate, 0) << a.output;
  EXPECT_EQ(a.normalsFixed, 0) << a.output;
}

TEST_F(StlWriterTest, FailuresCloseTheFileAndSetTheFlag) {
  for (int32_t type : {0, 1}) {
    for (int lines : {3, 20000}) {
      SCOPED_TRACE(testing::Message() << "type " << type << ", " << lines << " lines");
      test::scriptedPrompter().clear();
      programState.ErrorFlag = false;
      cadSettings.StlType = type;
      fs::remove(dir / "voll.stl");
      fs::create_symlink("/dev/full", dir / "voll.stl");
      programState.CurrentFileName = (dir / "voll").string();
      EXPECT_NO_THROW({
        CadBeginOutput(6);
        for (int i = 0; i < lines && !programState.ErrorFlag; ++i) CadLine(0, 0, i + 1, i);
        CadEndOutput();
      });
      EXPECT_TRUE(programState.ErrorFlag);
      EXPECT_FALSE(stlFile.Open);
      EXPECT_FALSE(stlFile.StlTextFile.IsOpen());
      EXPECT_TRUE(stlFile.StlFacets.empty());
      EXPECT_EQ(Messages().size(), 1u);
    }
  }

  // A folder that does not exist stops a binary output before anything is
  // drawn.
  test::scriptedPrompter().clear();
  programState.ErrorFlag = false;
  cadSettings.StlType = 0;
  programState.CurrentFileName = (dir / "fehlt" / "teil").string();
  CadBeginOutput(6);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_FALSE(stlFile.Open);
  EXPECT_EQ(Messages().size(), 1u);

  // An empty name, and a type the program does not know, which becomes binary.
  test::scriptedPrompter().clear();
  programState.ErrorFlag = false;
  EXPECT_FALSE(StlBegin("", "X"));
  EXPECT_TRUE(programState.ErrorFlag);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "invalid File name");
  cadSettings.StlType = 7;
  ASSERT_TRUE(StlBegin((dir / "typ.stl").string(), "X"));
  EXPECT_EQ(cadSettings.StlType, 0);
  StlAbandon();
  EXPECT_FALSE(fs::exists(dir / "typ.stl"));
}

}  // namespace
}  // namespace qorva
