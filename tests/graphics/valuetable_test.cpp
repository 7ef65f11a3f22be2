// The ruled table: column geometry, which rules each row gets, the texts of a row, and the message
// list as a one-column table.

#include "graphics/valuetable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/errorlist.h"
#include "tests/graphics/cadkernel_fixture.h"

namespace qorva::cadtest {
namespace {

class TableWriter : public RecordingWriter {
 public:
  TableWriter() : RecordingWriter("txt", false) {}
  void text(const std::string& t, long double x, long double y) override {
    RecordingWriter::text(t, x, y);
    heights.push_back(cadrun.TextHeight);
  }
  std::vector<long double> heights;
};

class TableTest : public KernelTest {
 protected:
  TableWriter& Open() {
    auto w = std::make_unique<TableWriter>();
    TableWriter& ref = *w;
    RegisterCadWriter(CadOutput::Txt, std::move(w));
    desktopSettings.CadBatchMode = true;
    programState.CurrentFileName = (dir / "table").string();
    CadBeginOutput(5);
    EXPECT_FALSE(programState.ErrorFlag);
    return ref;
  }
  static bool HasLine(const std::vector<WriterCall>& lines, long double x1, long double y1, long double x2,
                      long double y2) {
    for (const auto& l : lines) {
      if (Near(l.v[0], x1) && Near(l.v[1], y1) && Near(l.v[2], x2) && Near(l.v[3], y2)) return true;
      if (Near(l.v[0], x2) && Near(l.v[1], y2) && Near(l.v[2], x1) && Near(l.v[3], y1)) return true;
    }
    return false;
  }
  static size_t Count(const std::vector<WriterCall>& calls, const std::string& op) {
    size_t n = 0;
    for (const auto& c : calls) n += c.op == op;
    return n;
  }
};

TEST_F(TableTest, ZeroWidthEndsTheColumnsAndHeadingRowHasOnlyItsFrame) {
  TableWriter& w = Open();
  {
    ValueTable t(10, 100, 2, {9, 5, 5, 0, 4, 4, 4}, {"F", "s", "", "x", "", "", ""});
    EXPECT_EQ(t.LastBoundary, 4);
    EXPECT_EQ(t.TableColumnCount(), 4);
    EXPECT_TRUE(Near(t.ColumnX[2], 10 + 8.1L * 2) && Near(t.ColumnX[3], 10 + 12.6L * 2) &&
                Near(t.ColumnX[4], 10 + 17.1L * 2));
    // The heading row moved the positions down one row.
    EXPECT_TRUE(Near(t.LineY, 100 - 8) && Near(t.TextY, 100 - 3 - 4));
  }
  CadEndOutput();
  const auto lines = w.only("line");
  // Frame of the heading row and its two outer lines; no inner separators.
  EXPECT_TRUE(HasLine(lines, 10, 100, 44.2L, 100));
  EXPECT_TRUE(HasLine(lines, 10, 96, 44.2L, 96));
  EXPECT_TRUE(HasLine(lines, 10, 100, 10, 96));
  EXPECT_TRUE(HasLine(lines, 44.2L, 100, 44.2L, 96));
  EXPECT_FALSE(HasLine(lines, 26.2L, 100, 26.2L, 96));
  // Texts: one blank before each cell, an empty cell as one blank; in colour 18 after rules in 17.
  const auto texts = w.only("text");
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].text, " F");
  EXPECT_EQ(texts[2].text, " ");
  EXPECT_TRUE(Near(texts[1].v[0], 26.2L) && Near(texts[1].v[1], 97));
  EXPECT_EQ(w.heights[0], 2);
  const auto colors = w.only("color");
  ASSERT_EQ(colors.size(), 2u);
  EXPECT_EQ(colors[0].v[0], 17);
  EXPECT_EQ(colors[1].v[0], 18);
}

TEST_F(TableTest, BodyRowsGetSeparatorsAndARuleAlongTheirLowerEdge) {
  TableWriter& w = Open();
  {
    ValueTable t(0, 50, 2, {10, 10, 0, 0, 0, 0, 0}, {"a", "b", "", "", "", "", ""});
    const size_t before = w.calls.size();
    t.TableRow3("1", "2", "ignored");  // only two columns
    const std::vector<WriterCall> row(w.calls.begin() + static_cast<long>(before), w.calls.end());
    // Row from y 46 to 42: rule at 42 and all three boundaries.
    const auto lines = [&] {
      std::vector<WriterCall> l;
      for (const auto& c : row)
        if (c.op == "line") l.push_back(c);
      return l;
    }();
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_TRUE(HasLine(lines, 0, 42, 36, 42));
    EXPECT_TRUE(HasLine(lines, 18, 42, 18, 46));
    EXPECT_EQ(Count(row, "text"), 2u);

    t.RuleColumns = false;
    t.RuleRows = false;
    const size_t mid = w.calls.size();
    t.TableRow({"3", "4", "", "", "", "", ""});
    const std::vector<WriterCall> row2(w.calls.begin() + static_cast<long>(mid), w.calls.end());
    std::vector<WriterCall> l2;
    for (const auto& c : row2)
      if (c.op == "line") l2.push_back(c);
    EXPECT_EQ(l2.size(), 2u) << "only the outer lines";
    EXPECT_FALSE(HasLine(l2, 18, 38, 18, 42));
    EXPECT_TRUE(Near(t.TextY, 50 - 3 - 12));
  }
  CadEndOutput();
}

TEST_F(TableTest, WithoutHeadingsTheFirstRowFillsTheHeadingFrame) {
  TableWriter& w = Open();
  {
    ValueTable t(0, 50, 2, {10, 10, 0, 0, 0, 0, 0}, {"", "", "", "", "", "", ""});
    EXPECT_EQ(Count(w.calls, "text"), 0u);
    t.TableRow3("1", "2", "");
  }
  CadEndOutput();
  const auto texts = w.only("text");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_TRUE(Near(texts[0].v[1], 47));
}

TEST_F(TableTest, AllSevenColumnsCountWhenTheFirstSixHaveWidths) {
  TableWriter& w = Open();
  ValueTable t(0, 0, 1, {1, 1, 1, 1, 1, 1, 1}, {"1", "2", "3", "4", "5", "6", "7"});
  EXPECT_EQ(t.LastBoundary, 8);
  EXPECT_EQ(Count(w.calls, "text"), 7u);
  ValueTable first(0, 0, 1, {0, 1, 1, 1, 1, 1, 1}, {"1", "", "", "", "", "", ""});
  EXPECT_EQ(first.LastBoundary, 1) << "a first column of width 0 leaves no column";
  CadEndOutput();
}

TEST_F(TableTest, MessageListFitsItsRowsIntoTheGivenHeight) {
  struct Case {
    const char* name;
    int messages;
    long double h, width, maxHeight;
    size_t texts;
    long double height;
  };
  const Case cases[] = {
      {"none", 0, 2.5L, 0, 25, 0, 0},
      {"one: the heading row alone", 1, 2.5L, 0, 25, 1, 2.5L},
      {"ten in 25 mm", 10, 2.5L, 0, 25, 10, 1.25L},
      {"defaults", 3, 0, 0, 0, 3, 2},
      {"all twelve", 12, 3, 30, 0, 12, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    InitCadKernel();
    ClearErrorList();
    for (int i = 1; i <= c.messages; ++i) AddErrorMsg("Meldung " + std::to_string(i));
    TableWriter& w = Open();
    TableMessageList(5, 100, c.h, c.width, c.maxHeight);
    CadEndOutput();
    const auto texts = w.only("text");
    ASSERT_EQ(texts.size(), c.texts);
    if (c.texts == 0) {
      EXPECT_EQ(Count(w.calls, "line"), 0u);
      continue;
    }
    EXPECT_EQ(texts[0].text, " Meldung 1");
    EXPECT_EQ(texts.back().text, " Meldung " + std::to_string(c.messages));
    EXPECT_NEAR(static_cast<double>(w.heights[0]), static_cast<double>(c.height), 1e-12);
    // Rows of twice the text height, the last one's base line 1.5 h below its top.
    const long double h = c.height;
    EXPECT_TRUE(Near(texts.back().v[1], 100 - 1.5L * h - 2 * h * static_cast<long double>(c.messages - 1)));
    // Width 42 text heights when none is given.
    const long double width = (c.width == 0 ? 42 : c.width) * h * 0.9L;
    EXPECT_TRUE(HasLine(w.only("line"), 5, 100, 5 + width, 100));
  }
}

}  // namespace
}  // namespace qorva::cadtest
