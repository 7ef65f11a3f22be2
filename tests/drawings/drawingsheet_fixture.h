#pragma once
// What the frame and title-block tests share: the kernel fixture with a spring of its own (the start
// spring), a run that draws its sheet as the production drawing does (frame as block "frame_1"), and
// look-ups in the calls a recording writer received.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drawings/titleblock.h"
#include "drawings/drawingsheet.h"
#include "platform/clock.h"
#include "spring/spring.h"
#include "tests/graphics/cadkernel_fixture.h"

namespace qorva::cadtest {

class FrameTest : public KernelTest {
 protected:
  // Today for every frame test: dates and times in the drawing come from the clock.
  static constexpr LocalDateTime kNow{2024, 3, 5, 14, 7, 9, 2};

  void SetUp() override {
    KernelTest::SetUp();
    InitTitleBlock();
    desktopSettings.CadBatchMode = true;
    programState.CurrentFileName = (dir / "feder").string();
    programState.FileNameHasPath = true;
    cadSettings.DwgNoFooter = true;
    test::fixedClock().set(kNow);
    spring = NewSpring();
  }
  void TearDown() override {
    test::fixedClock().set(kNow);
    InitTitleBlock();
    KernelTest::TearDown();
  }

  // The drawing name, second name and number of the spring.
  void Name(const std::string& name, const std::string& name2, const std::string& number) {
    spring.family.DrawingName = name;
    spring.family.DrawingName2 = name2;
    spring.family.DrawingNumber = number;
  }

  // The whole sheet of the spring named so on output code: page, block "frame_1" with the frame, the
  // block inserted.
  void DrawSheet(uint16_t code, int32_t format, const std::string& name = "Konstantkraftfeder",
                 const std::string& name2 = "Zweite Zeile", const std::string& number = "QV-4711") {
    Name(name, name2, number);
    CadBeginOutput(code);
    ASSERT_FALSE(programState.ErrorFlag);
    if (format == 3 || format == 4)
      SetSheetPageLimits(format);
    else
      CadPageSetup(0, 0, 841, 594, 0);
    CadWriteTables(2);
    CadBeginBlocks();
    CadBeginBlock("frame_1");
    DrawDrawingFrame(spring, format);
    CadEndBlock();
    CadEndSection();
    CadBeginEntities();
    CadSetColor(0);
    CadInsertBlock("frame_1", 0, 0, 0, 1, 1);
    CadEndSection();
    CadEndOutput();
  }

  // The frame of the spring named so drawn straight into the entities of a recording writer (no
  // block), for its geometry.
  RecordingWriter& DrawRecorded(int32_t format, const std::string& name = "Konstantkraftfeder",
                                const std::string& name2 = "Zweite Zeile",
                                const std::string& number = "QV-4711") {
    Name(name, name2, number);
    RecordingWriter& w = Register(5, "txt", false);
    CadBeginOutput(5);
    CadPageSetup(0, 0, 841, 594, 0);
    CadBeginEntities();
    DrawDrawingFrame(spring, format);
    CadEndSection();
    CadEndOutput();
    return w;
  }

  // 25 change records of the spring "IDX<i>" dated "2024-01-<i>" by "ed<i>", count of them in use.
  void FillChanges(uint16_t count) {
    for (uint16_t i = 1; i <= MaxChangeRecords; ++i) {
      ChangeRecord& r = spring.drawing.ChangeRecords[i];
      const std::string n = std::to_string(i);
      r.ChangeIndex = "IDX" + n;
      r.Date = "2024-01-" + std::string(i < 10 ? "0" : "") + n;
      r.Editor = "ed" + n;
      r.Description = "Beschreibung " + n;
    }
    spring.drawing.ChangeCount = count;
  }

  Spring spring;
};

inline bool SameLine(const WriterCall& c, long double x1, long double y1, long double x2, long double y2) {
  const long double e = 1e-6L;
  return (Near(c.v[0], x1, e) && Near(c.v[1], y1, e) && Near(c.v[2], x2, e) && Near(c.v[3], y2, e)) ||
         (Near(c.v[0], x2, e) && Near(c.v[1], y2, e) && Near(c.v[2], x1, e) && Near(c.v[3], y1, e));
}

inline bool HasLine(const RecordingWriter& w, long double x1, long double y1, long double x2, long double y2) {
  for (const auto& c : w.only("line"))
    if (SameLine(c, x1, y1, x2, y2)) return true;
  return false;
}

// The four sides of a rectangle.
inline bool HasRectangle(const RecordingWriter& w, long double x1, long double y1, long double x2,
                         long double y2) {
  return HasLine(w, x1, y1, x2, y1) && HasLine(w, x2, y1, x2, y2) && HasLine(w, x2, y2, x1, y2) &&
         HasLine(w, x1, y2, x1, y1);
}

// The texts equal to t, in drawing order.
inline std::vector<WriterCall> TextsEqual(const RecordingWriter& w, const std::string& t) {
  std::vector<WriterCall> r;
  for (const auto& c : w.only("text"))
    if (c.text == t) r.push_back(c);
  return r;
}

inline bool HasTextAt(const RecordingWriter& w, const std::string& t, long double x, long double y) {
  for (const auto& c : TextsEqual(w, t))
    if (Near(c.v[0], x, 1e-6L) && Near(c.v[1], y, 1e-6L)) return true;
  return false;
}

}  // namespace qorva::cadtest
