// The display list in binary form: every record reads back as the text the recording always wrote,
// and the replay's reading of a record gives what reading that text gives.
#include "graphics/displaylist.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "graphics/graphicsstate.h"

namespace qorva {
namespace {

// The record's text as the recording wrote it before it was kept in binary form.
std::string LineText(long double x1, long double y1, long double x2, long double y2) {
  return "4;" + GraphRealStr(x1) + ";" + GraphRealStr(y1) + ";" + GraphRealStr(x2) + ";" + GraphRealStr(y2);
}

void ExpectSameFields(const DisplayRecordFields& a, const DisplayRecordFields& b, const std::string& what) {
  EXPECT_EQ(a.type, b.type) << what;
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(a.f[static_cast<size_t>(i)], b.f[static_cast<size_t>(i)]) << what << " f" << i;
  EXPECT_EQ(a.r, b.r) << what;
  EXPECT_EQ(a.angle, b.angle) << what;
  EXPECT_EQ(a.value, b.value) << what;
  EXPECT_EQ(a.text, b.text) << what;
}

// Values of every size, values a hair from a tie in the eighth digit, exact ties, the products the
// plotter pictures make (units times 0.025), the ends of the range and what is no number.
std::vector<long double> Values() {
  std::vector<long double> v = {0.0L, -0.0L, 1.0L, -1.0L, 12.5L, -0.001L, 1.5e-6L, 123456789.0L, 99999999.7L,
                                99999999.4L, 12345678.5L, 12345677.5L, 0.123456785L, 1e22L, 1e23L, 1.234e-22L,
                                1e-23L, 3e-300L, 4e300L, 1e400L, -1e-400L, 1e4000L, INFINITY, -INFINITY, NAN,
                                0.1L + 0.2L, 1.0L / 3.0L, 2.0L / 3.0L, 160.0L, 6400.0L, 1e8L, 1e7L - 0.5L};
  for (int i = 0; i < 6400; i += 37) v.push_back(i * 0.025L);
  std::mt19937_64 gen(35);
  std::uniform_real_distribution<double> mant(-10.0, 10.0);
  std::uniform_int_distribution<int> exp(-30, 30);
  for (int i = 0; i < 3000; ++i) v.push_back(static_cast<long double>(mant(gen)) * std::pow(10.0L, exp(gen)));
  // Decimal ties at the eighth digit, as near as a long double comes.
  for (int i = 0; i < 200; ++i) v.push_back((10000000 + i * 4999) / 1e7L + 0.5e-7L);
  return v;
}

TEST(DisplayList, NumbersReadBackAsTheirTextAndReplayAsItReads) {
  DisplayRecordList list;
  std::vector<std::string> texts;
  const std::vector<long double> v = Values();
  for (size_t i = 0; i + 3 < v.size(); i += 2) {
    list.AddLine(v[i], v[i + 1], v[i + 2], v[i + 3]);
    texts.push_back(LineText(v[i], v[i + 1], v[i + 2], v[i + 3]));
  }
  ASSERT_EQ(list.size(), texts.size());
  DisplayRecordFields got, want;
  std::string badGot, badWant;
  for (size_t i = 0; i < texts.size(); ++i) {
    ASSERT_EQ(list[i], texts[i]) << i;
    const bool okWant = ReadDisplayRecord(texts[i], want, badWant);
    EXPECT_EQ(list.Read(i, got, badGot), okWant) << texts[i];
    if (okWant) ExpectSameFields(got, want, texts[i]);
    else EXPECT_EQ(badGot, badWant) << texts[i];
  }
}

TEST(DisplayList, EveryKindOfRecordReadsAsItsText) {
  DisplayRecordList list;
  list.AddWindow({1, 1, 639, 479}, {0, 0, 100, 50});
  list.AddLine(2.5L, 3, 4, -5.25L);
  list.AddCircle(1, 2, 0.75L);
  list.AddLine(4, -5.25L, 7, 8);  // starts where the line before it ended
  list.AddLine(7, 8, 9, 10);
  list.AddEight(5, {0, 0, 2, 2, 2, 1, 1, 2});
  list.AddText(1.5L, 2, "F = 12;5 N \xfc");
  list.AddEight(7, {0, 0, 1, 0, 1, 1, 0, 1});
  list.AddValue(8, 12);
  list.AddTextStyle(3.5L, 2.5L, -2, 90);
  list.AddValue(11, 3);
  list.AddValue(12, 2);
  list.AddValue(13, -500);
  const std::vector<std::string> want = {"10;1;1;639;479;0;0;100;50", "4;2.5;3;4;-5.25", "3;1;2;0.75",
                                         "4;4;-5.25;7;8", "4;7;8;9;10", "5;0;0;2;2;2;1;1;2",
                                         "6;1.5;2;F = 12;5 N \xfc", "7;0;0;1;0;1;1;0;1", "8;12",
                                         "9;3.5;2.5;-2;90", "11;3", "12;2", "13;-500"};
  EXPECT_EQ(static_cast<std::vector<std::string>>(list), want);
  EXPECT_TRUE(list == want);
  // The replay reads them in order, and any one of them out of order alike.
  DisplayRecordFields got, expected;
  std::string bad;
  for (size_t i = 0; i < want.size(); ++i) {
    ASSERT_TRUE(list.Read(i, got, bad)) << want[i];
    ASSERT_TRUE(ReadDisplayRecord(want[i], expected, bad));
    ExpectSameFields(got, expected, want[i]);
  }
  for (size_t i : {4u, 6u, 0u, 5u, 12u}) {
    DisplayRecordFields a, b;
    ASSERT_TRUE(list.Read(i, a, bad));
    ASSERT_TRUE(ReadDisplayRecord(want[i], b, bad));
    ExpectSameFields(a, b, want[i]);
  }
}

TEST(DisplayList, LongChainsOfLinesReadAlikeFromAnyPlace) {
  // A pen drawing one polyline: every line starts at the end of the one before, across the places
  // from which a record in the middle is found.
  DisplayRecordList list;
  std::vector<std::string> texts;
  long double x = 0, y = 0;
  for (int i = 0; i < 1000; ++i) {
    const long double nx = (i * 37 % 6400) * 0.025L, ny = (i * 53 % 4800) * 0.025L;
    if (i % 97 == 0) {
      list.AddValue(8, i % 15);
      texts.push_back("8;" + std::to_string(i % 15));
    }
    list.AddLine(x, y, nx, ny);
    texts.push_back(LineText(x, y, nx, ny));
    x = nx;
    y = ny;
  }
  EXPECT_EQ(static_cast<std::vector<std::string>>(list), texts);
  for (size_t i = texts.size(); i-- > 0;) ASSERT_EQ(list[i], texts[i]) << i;
  // A chained line takes less than half of what its text takes.
  size_t textBytes = 0;
  for (const std::string& t : texts) textBytes += t.size();
  EXPECT_LT(list.byteSize() * 2, textBytes);
}

TEST(DisplayList, TextRecordsAreKeptAsGiven) {
  DisplayRecordList list;
  // Written as the recording writes them: kept in binary form, read back the same.
  list = {"8;3", "4;0;0;10;10"};
  const size_t compact = list.byteSize();
  // Other spellings, bad numbers, unknown types, a missing field: kept word for word, and the
  // replay reads them as their text reads.
  const std::vector<std::string> odd = {"4;1.50;2;3;4", "4; 1;2;3;4", "4;1,5;2;3;4", "4;1;2;3;y", "99;1;2",
                                        "x", "", "3;1;2", "1;2;3;", "2;2;3", "9;1;2;x;3", "10;0.5;0;640;480;0;0;1;1", "8;+3",
                                        "6;1;2;", "4;1E400;0;1;1"};
  for (const std::string& r : odd) list.push_back(r);
  EXPECT_GT(list.byteSize(), compact);
  ASSERT_EQ(list.size(), 2 + odd.size());
  DisplayRecordFields a, b;
  std::string badA, badB;
  for (size_t i = 0; i < odd.size(); ++i) {
    EXPECT_EQ(list[2 + i], odd[i]);
    const bool ok = ReadDisplayRecord(odd[i], b, badB);
    EXPECT_EQ(list.Read(2 + i, a, badA), ok) << odd[i];
    if (ok) ExpectSameFields(a, b, odd[i]);
    else EXPECT_EQ(badA, badB) << odd[i];
  }
  // A value beyond what a record's number can be read as stops the replay there, as its text does.
  DisplayRecordList far;
  far.AddLine(1e400L, 0, 1, 1);
  EXPECT_EQ(far[0], "4;1E400;0;1;1");
  EXPECT_FALSE(far.Read(0, a, badA));
  EXPECT_EQ(badA, "1E400");
  list.clear();
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.byteSize(), 0u);
}

}  // namespace
}  // namespace qorva
