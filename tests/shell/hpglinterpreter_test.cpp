// The help-picture interpreter: its commands as a table of plotter text against the drawing calls
// recorded in the display list, and how it meets missing files.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "graphics/graphicsstate.h"
#include "shell/hpglinterpreter.h"
#include "shell/hpglstate.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

using test::scriptedPrompter;

class HpglInterpreterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    Reset();
    InitHpglState();
    scriptedPrompter().clear();
  }
  void TearDown() override {
    InitGraphicsState();
    InitHpglState();
    InitAllSettings();
    scriptedPrompter().clear();
  }
  static void Reset() {
    InitGraphicsState();
    GraphicsWindowCreate();
  }
};

std::vector<std::string> Fields(const std::string& rec) {
  std::vector<std::string> out;
  size_t from = 0;
  for (;;) {
    const size_t end = rec.find(';', from);
    out.push_back(rec.substr(from, end == std::string::npos ? std::string::npos : end - from));
    if (end == std::string::npos) return out;
    from = end + 1;
  }
}

// Records equal field by field; numbers within 1e-6 (rotations leave tiny remainders).
::testing::AssertionResult SameRecords(const std::vector<std::string>& want, const std::vector<std::string>& got) {
  auto show = [](const std::vector<std::string>& v) {
    std::string s;
    for (const std::string& r : v) s += "\n  " + r;
    return s;
  };
  bool same = want.size() == got.size();
  for (size_t i = 0; same && i < want.size(); ++i) {
    const std::vector<std::string> a = Fields(want[i]), b = Fields(got[i]);
    same = a.size() == b.size();
    for (size_t k = 0; same && k < a.size(); ++k) {
      long double x = 0.0L, y = 0.0L;
      if (GraphStrToReal(a[k], x) && GraphStrToReal(b[k], y)) same = std::fabs(x - y) < 1e-6L;
      else same = a[k] == b[k];
    }
  }
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "want:" << show(want) << "\ngot:" << show(got);
}

TEST_F(HpglInterpreterTest, CommandsDrawWhatThePlotterWould) {
  struct Case {
    const char* what;
    std::string hpgl;
    std::vector<std::string> records;
  };
  const std::string etx = "\x03";
  const Case cases[] = {
      {"pen 1 draws red lines between the pairs", "SP1;PU100,200;PD500,200,500,600;",
       {"8;12", "4;2.5;5;12.5;5", "4;12.5;5;12.5;15"}},
      {"empty SP is pen 1; PD before any move starts at -999", "SP;PD40,40;", {"8;12", "4;-999;-999;1;1"}},
      {"a lone third number of PA is no point", "PA10,20,30;SP2;PD40,80;", {"8;14", "4;0.25;0.5;1;2"}},
      {"PU and PD without pairs change only the pen", "SP3;PU0,0;PD;PU;PA40,0;PD;PA80,0;", {"8;10", "4;1;0;2;0"}},
      {"lower-case commands and a stray ';'", "sp4;pu0,0;;pd40,0;", {"8;11", "4;0;0;1;0"}},
      {"the last command without ';' is drawn", "SP5;PU0,0;PD40,0", {"8;9", "4;0;0;1;0"}},
      {"pens 6, 7, 0 and above 7", "SP6;PU0,0;PD40,0;SP7;PD80,0;SP0;PD120,0;SP9;PD160,0;",
       {"8;13", "4;0;0;1;0", "8;15", "4;1;0;2;0", "8;0", "4;2;0;3;0", "8;9", "4;3;0;4;0"}},
      {"CI draws with the pen up too", "PU0,0;CI400;", {"8;0", "3;0;0;10"}},
      {"a chord after CI's radius is skipped, not read as a command", "SP1;PU0,0;CI400,5;PD40,0;",
       {"8;12", "3;0;0;10", "4;0;0;1;0"}},
      {"commands not drawn are skipped to their ';'", "IN;IP0,0,100,100;SC0,1,0,1;ZZ5;\x1b.(;SP1;PU0,0;PD40,0;",
       {"8;12", "4;0;0;1;0"}},
      {"AA with a positive sweep runs counter-clockwise", "SP1;PU400,0;PD;AA0,0,90;PD0,800;",
       {"8;12", "5;-10;-10;10;10;10;0;0;10", "4;0;10;0;20"}},
      {"AA with a negative sweep runs clockwise", "SP1;PU400,0;PD;AA0,0,-90;PD0,-800;",
       {"8;12", "5;-10;-10;10;10;0;-10;10;0", "4;0;-10;0;-20"}},
      {"AA of a whole turn is the full circle", "SP1;PU400,0;PD;AA0,0,360;", {"8;12", "3;0;0;10"}},
      {"AA of more than a turn is the full circle", "SP1;PU400,0;PD;AA0,0,-450;", {"8;12", "3;0;0;10"}},
      {"a chord after AA's sweep is skipped", "SP1;PU400,0;PD;AA0,0,90,5;PD0,800;",
       {"8;12", "5;-10;-10;10;10;10;0;0;10", "4;0;10;0;20"}},
      {"AA with the pen up only moves", "PU400,0;AA0,0,180;SP1;PD0,0;", {"8;12", "4;-10;0;0;0"}},
      {"a label in size, direction and pen", "SP2;PU400,800;SI0.2,0.3;DI0,1;LBAb c" + etx,
       {"8;14", "9;3;2;2;90", "6;10;20;Ab c"}},
      {"a label ends at ETX; line breaks inside are dropped", "SP1;PU0,0;LBx\r\ny" + etx + "PD40,0;",
       {"8;12", "9;50;50;2;0", "6;0;0;xy", "4;0;0;1;0"}},
      {"character set 1 keeps '}'", "LBa}" + etx, {"8;0", "9;50;50;2;0", "6;-999;-999;a}"}},
      {"character set 3 makes umlauts; '}' first stays", "CS3;LB}a}o}u}A}O}U}x}" + etx,
       {"8;0", "9;50;50;2;0", "6;-999;-999;}\xe4\xf6\xfc\xc4\xd6\xdcx"}},
      {"PU directly followed by PD reads 'D' into the number", "SP1;PU100,200PD300,400;PD0,0;",
       {"8;12", "4;2.5;0;0;0"}},
      // '<' pen up, '=' absolute: to (100, 100); then 40 right, 40 down relative.
      {"encoded polyline, eight-bit", "SP1;PE<=G\xc2G\xc2O\xc0P\xc0;",
       {"8;12", "4;2.5;2.5;3.5;1.5"}},
      {"encoded polyline, seven-bit, pen from ':'; the pen stays down", "PE7:c=Ge`;PA40,0;",
       {"8;14", "4;-999;-999;2.5;0", "4;2.5;0;1;0"}},
      {"encoded polyline cut by ';' inside a number", "SP1;PU0,0;PEO;PD40,0;", {"8;12", "4;0;0;1;0"}},
  };
  for (const Case& c : cases) {
    Reset();
    InitHpglState();
    DrawHpglText(c.hpgl);
    EXPECT_TRUE(SameRecords(c.records, graphicsState.DisplayList)) << c.what;
    EXPECT_FALSE(programState.ErrorFlag) << c.what;
  }
}

TEST_F(HpglInterpreterTest, LabelsAreCutAt255Characters) {
  DrawHpglText("LB" + std::string(300, 'x') + "\x03");
  ASSERT_EQ(graphicsState.DisplayList.size(), 3u);
  EXPECT_EQ(graphicsState.DisplayList[2], "6;-999;-999;" + std::string(255, 'x'));
}

TEST_F(HpglInterpreterTest, CharacterSetSizeAndDirectionCarryOverToTheNextPicture) {
  DrawHpglText("CS3;SI0.1,0.2;DI-1,0;PU400,400;");
  Reset();
  DrawHpglText("LBu}" + std::string("\x03"));
  EXPECT_TRUE(SameRecords({"8;0", "9;2;1;2;180", "6;-999;-999;\xfc"}, graphicsState.DisplayList))
      << "the position is not carried over";
}

TEST_F(HpglInterpreterTest, FileIsFoundInAnyCaseAndClearsErrorFlag) {
  test::ScratchDir dir;
  test::writeFile(dir / "bild.plt", "SP1;PU0,0;PD40,0;\r\n");
  programState.ErrorFlag = true;
  EXPECT_TRUE(DrawHpglFile((dir / "BILD.PLT").string()));
  EXPECT_TRUE(SameRecords({"8;12", "4;0;0;1;0"}, graphicsState.DisplayList));
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(scriptedPrompter().asked().empty());
}

TEST_F(HpglInterpreterTest, MissingOrUnreadableFileIsToldAndDrawsNothing) {
  test::ScratchDir dir;
  for (const std::string& name : {(dir / "fehlt.plt").string(), dir.path().string()}) {
    scriptedPrompter().clear();
    Reset();
    EXPECT_FALSE(DrawHpglFile(name)) << name;
    EXPECT_TRUE(programState.ErrorFlag) << name;
    EXPECT_TRUE(graphicsState.DisplayList.empty()) << name;
    ASSERT_EQ(scriptedPrompter().asked().size(), 1u) << name;
    EXPECT_EQ(scriptedPrompter().asked()[0].text, name + " nicht gefunden !");
  }
}

}  // namespace
}  // namespace qorva
