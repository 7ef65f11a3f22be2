#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>

#include "tests/xbase/ndx_support_test.h"

namespace qorva {
namespace {

using xbtest::AppendRow;
using xbtest::CreateTable;
using xbtest::Num;

using Entries = std::vector<std::pair<std::string, uint32_t>>;

std::string CharKey(const std::string& text, size_t len) {
  const std::string field = XbPadRight(text, static_cast<int32_t>(len));  // as the field holds it
  // A DOS table collates in its own code page: its umlauts are no Windows umlauts and stay.
  std::string k = CollationKey(XbAnsiToOem(field), static_cast<int32_t>(len));
  k.resize(len, ' ');
  return k;
}

double KeyNum(const std::string& k) {
  double v;
  std::memcpy(&v, k.data(), 8);
  return v;
}

// Records of the current order, walked from the top.
std::vector<int32_t> Walk() {
  std::vector<int32_t> recs;
  GoTop();
  while (!dEOF() && recs.size() < 100000) {
    recs.push_back(RecNo());
    SKIP(1);
    EXPECT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  }
  return recs;
}

std::vector<int32_t> WalkBack() {
  std::vector<int32_t> recs;
  GoBottom();
  while (!dBOF() && recs.size() < 100000) {
    recs.push_back(RecNo());
    SKIP(-1);
  }
  return recs;
}

class Indexes : public xbtest::IndexTest {
 protected:
  void SetUp() override {
    IndexTest::SetUp();
    table_ = CreateTable(dir_ / "people.dbf", {{"NAME", 'C', 20, 0}, {"QTY", 'N', 8, 0}, {"DAY", 'D', 8, 0}});
    Use(table_, " EXCLUSIVE");
  }
  // n rows of pseudo-random names (mixed case, umlauts), numbers (also negative) and dates.
  void Fill(int n, uint32_t seed) {
    std::mt19937 rng(seed);
    const char* parts[] = {"M\xFCller", "MAIER", "maier", "Stra\xDF" "e", "Ab", "zeta", "\xC4rger", "Ober", "b"};
    for (int i = 0; i < n; ++i) {
      std::string name = std::string(parts[rng() % 9]) + parts[rng() % 9] + Num(rng() % 50);
      const int64_t qty = static_cast<int64_t>(rng() % 2001) - 1000;
      const int month = 1 + static_cast<int>(rng() % 12), day = 1 + static_cast<int>(rng() % 28);
      const std::string date = (month < 10 ? "0" : "") + Num(month) + "/" + (day < 10 ? "0" : "") + Num(day) + "/" +
                               Num(1990 + static_cast<int>(rng() % 40));
      names_.push_back(name.substr(0, 20));
      qtys_.push_back(qty);
      AppendRow({name, qty, date});
    }
  }
  std::string table_;
  std::vector<std::string> names_;
  std::vector<int64_t> qtys_;
};

TEST_F(Indexes, BuildsWalksAndFindsCharacterNumericAndDateKeys) {
  Fill(700, 7);
  IndexOn(Path("name.ndx"), "NAME");
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  TIndexInfo info;
  ASSERT_TRUE(IndexInfo(info, Path("name.ndx")));
  EXPECT_EQ(info.Expression, "NAME");
  EXPECT_EQ(info.KeyLen, 20);
  EXPECT_EQ(info.KeyType, 'C');
  EXPECT_EQ(info.RecCount, 700);
  EXPECT_EQ(XbUpperStr(info.DbfName), "PEOPLE.DBF");

  Entries expected;
  for (size_t i = 0; i < names_.size(); ++i) expected.emplace_back(CharKey(names_[i], 20), static_cast<uint32_t>(i + 1));
  std::sort(expected.begin(), expected.end());
  Entries got;
  EXPECT_EQ(NdxCheckStructure(Path("name.ndx"), &got), "");
  EXPECT_EQ(got, expected);
  std::vector<int32_t> order;
  for (const auto& e : expected) order.push_back(static_cast<int32_t>(e.second));
  EXPECT_EQ(Walk(), order);
  std::vector<int32_t> back = WalkBack();
  std::reverse(back.begin(), back.end());
  EXPECT_EQ(back, order);

  // A prefix finds the first key that starts with it, in any case; in a DOS table an umlaut is
  // its own letter, not two.
  Find("M\xFCllerA");
  EXPECT_TRUE(ndxEngine.IndexFound);
  EXPECT_EQ(CharKey(names_[static_cast<size_t>(RecNo() - 1)], 20).substr(0, 7), "m\x81llera");
  Find("MUELLERa");
  EXPECT_FALSE(ndxEngine.IndexFound);
  Find("OBERa");
  EXPECT_TRUE(ndxEngine.IndexFound);
  auto first = std::lower_bound(expected.begin(), expected.end(), std::make_pair(std::string("obera"), 0u));
  EXPECT_EQ(static_cast<uint32_t>(RecNo()), first->second);
  // Exact finds only the whole key; a missing key leaves the table past its end.
  SetExactFind();
  Find("obera");
  EXPECT_FALSE(ndxEngine.IndexFound);
  Find(names_[first->second - 1]);
  EXPECT_TRUE(ndxEngine.IndexFound);
  ClearExactFind();
  Find("nothing here");
  EXPECT_FALSE(ndxEngine.IndexFound);
  EXPECT_TRUE(dEOF());
  EXPECT_EQ(RecNo(), RecCount() + 1);

  // Numbers go by value, negative ones first.
  IndexOn(Path("qty.ndx"), "QTY");
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  std::vector<std::pair<int64_t, int32_t>> byQty;
  for (size_t i = 0; i < qtys_.size(); ++i) byQty.emplace_back(qtys_[i], static_cast<int32_t>(i + 1));
  std::sort(byQty.begin(), byQty.end());
  order.clear();
  for (const auto& e : byQty) order.push_back(e.second);
  EXPECT_EQ(Walk(), order);
  Find(Num(byQty[300].first));
  EXPECT_TRUE(ndxEngine.IndexFound);
  EXPECT_EQ(RecNo(), byQty[300].second);

  IndexOn(Path("day.ndx"), "DAY");
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  ASSERT_TRUE(IndexInfo(info, Path("day.ndx")));
  EXPECT_EQ(info.KeyType, 'D');
  EXPECT_EQ(NdxCheckStructure(Path("day.ndx"), &got), "");
  ASSERT_EQ(got.size(), 700u);
  GO(123);
  const std::string day = GetFieldText(3);
  Find(day);
  EXPECT_TRUE(ndxEngine.IndexFound);
  EXPECT_EQ(GetFieldText(3), day);
  EXPECT_EQ(KeyNum(got.front().first) <= KeyNum(got.back().first), true);
}

TEST_F(Indexes, EntrySizeAndKeysPerNodeFollowTheKeyLength) {
  AppendRow({std::string("a"), int64_t{1}, std::string("01/01/2000")});
  struct Case {
    size_t len;
    uint16_t entry, perNode;
  } cases[] = {{10, 20, 25}, {12, 20, 25}, {13, 24, 21}, {100, 108, 4}, {0, 8, 63}, {1, 12, 42}};
  for (const Case& c : cases) {
    IndexOnCB(Path("k.ndx"), [&](uint8_t, std::string& key) { key.assign(c.len, 'x'); });
    ASSERT_EQ(engineState.XbErrorCode, 0) << c.len << XbErrorMessage();
    const std::string bytes = FileBytes(Path("k.ndx"));
    ASSERT_EQ(bytes.size(), 1024u);
    auto u16 = [&](size_t at) { return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8); };
    EXPECT_EQ(u16(12), c.len);
    EXPECT_EQ(u16(18), c.entry) << c.len;
    EXPECT_EQ(u16(14), c.perNode) << c.len;
    EXPECT_EQ(NdxCheckStructure(Path("k.ndx")), "");
  }
  // A key longer than 100 bytes is refused.
  CloseIndexes();
  EXPECT_FALSE(MakeIndex(Path("k2.ndx"), "", false, 0, false, false, [](uint8_t, std::string& key) { key.assign(101, 'x'); }));
  EXPECT_EQ(engineState.XbErrorCode, 266);
}

TEST_F(Indexes, TheMergeOfSortedRunsWritesTheSameFileAsTheSortInMemory) {
  Fill(3000, 11);
  ASSERT_TRUE(MakeIndex(Path("mem.ndx"), "NAME", false, 0, false, false));
  ASSERT_TRUE(MakeIndex(Path("memq.ndx"), "QTY", false, 0, false, false));
  ndxEngine.SortBudget = 4000;  // runs of about a hundred keys
  ASSERT_TRUE(MakeIndex(Path("runs.ndx"), "NAME", false, 0, false, false)) << XbErrorMessage();
  ASSERT_TRUE(MakeIndex(Path("runsq.ndx"), "QTY", false, 0, false, false)) << XbErrorMessage();
  EXPECT_EQ(FileBytes(Path("runs.ndx")), FileBytes(Path("mem.ndx")));
  EXPECT_EQ(FileBytes(Path("runsq.ndx")), FileBytes(Path("memq.ndx")));
  EXPECT_EQ(NdxCheckStructure(Path("runs.ndx")), "");
  // No temporary file is left behind.
  for (const auto& e : std::filesystem::directory_iterator(dir_.path()))
    EXPECT_EQ(e.path().filename().string().rfind(".XBN", 0), std::string::npos) << e.path();
  // UNIQUE keeps the first record of every key.
  ASSERT_TRUE(MakeIndex(Path("uq.ndx"), "QTY", false, 0, true, false));
  Entries got;
  EXPECT_EQ(NdxCheckStructure(Path("uq.ndx"), &got), "");
  std::set<int64_t> distinct(qtys_.begin(), qtys_.end());
  EXPECT_EQ(got.size(), distinct.size());
}

TEST_F(Indexes, AnEmptyTableGivesAnAnchorAndOneEmptyLeaf) {
  IndexOn(Path("name.ndx"), "NAME");
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  EXPECT_EQ(FileBytes(Path("name.ndx")).size(), 1024u);
  EXPECT_EQ(FirstRecNo(), 1);
  EXPECT_TRUE(engineState.IndexHooks.AtEnd());
  // Appending the first and deleting the only key leaves root 1, next free 2 and a zeroed node.
  AppendRow({std::string("x"), int64_t{1}, std::string("01/01/2000")});
  EXPECT_EQ(Walk(), std::vector<int32_t>{1});
  GO(1);
  SetFieldText(1, "y");
  Replace();
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  Entries got;
  EXPECT_EQ(NdxCheckStructure(Path("name.ndx"), &got), "");
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].first.substr(0, 1), "y");
}

TEST_F(Indexes, SplitsRaiseTheTreeAndDeletionsLowerIt) {
  // 25 keys fill a leaf of key length 10; the 26th splits it and makes a new root.
  TNdxKeyMaker byName = [](uint8_t, std::string& key) { key = GetFieldText(1).substr(0, 10); };
  AppendRow({std::string("k00"), int64_t{0}, std::string("01/01/2000")});
  IndexOnCB(Path("t.ndx"), byName);
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  for (int i = 1; i < 26; ++i) AppendRow({"k" + std::string(i < 10 ? "0" : "") + Num(i), int64_t{i}, std::string("01/01/2000")});
  const std::string bytes = FileBytes(Path("t.ndx"));
  ASSERT_EQ(bytes.size(), 4u * 512);  // anchor, old leaf, new leaf, new root
  auto u32 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
                                 static_cast<uint8_t>(bytes[at + 2]) << 16 | static_cast<uint8_t>(bytes[at + 3]) << 24);
  };
  EXPECT_EQ(u32(0), 3u);                                // root
  EXPECT_EQ(u32(512), 13u);                             // the old leaf keeps 13
  EXPECT_EQ(u32(1024), 13u);                            // the new leaf takes 12 and the new key
  EXPECT_EQ(u32(1536), 1u);                             // root: one key, two children
  Entries got;
  EXPECT_EQ(NdxCheckStructure(Path("t.ndx"), &got), "");
  EXPECT_EQ(got.size(), 26u);
  // Renaming every key of the upper leaf down below all others empties that leaf: the lower leaf
  // becomes the root again.
  for (int i = 13; i < 26; ++i) {
    Find("k" + Num(i));
    ASSERT_TRUE(ndxEngine.IndexFound) << i;
    SetFieldText(1, "a" + Num(i));
    Replace();
    ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  }
  EXPECT_EQ(NdxCheckStructure(Path("t.ndx"), &got), "");
  EXPECT_EQ(got.size(), 26u);
  EXPECT_EQ(got.front().first.substr(0, 3), "a13");
}

TEST_F(Indexes, OrdersSwapAndOpenChecksCatchMisuse) {
  Fill(50, 3);
  ASSERT_TRUE(MakeIndex(Path("name.ndx"), "NAME", false, 0, false, false));
  ASSERT_TRUE(MakeIndex(Path("qty.ndx"), "QTY", false, 0, false, false));
  ASSERT_TRUE(MakeIndex(Path("km.ndx"), "", false, 0, false, false, [](uint8_t, std::string& k) { k = GetFieldText(1); }));
  ASSERT_TRUE(MakeIndex(Path("day.ndx"), "DAY", false, 0, false, false));
  SetIndexList(Path("name.ndx") + " " + Path("qty.ndx"));
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  EXPECT_EQ(CurrentOrder(), 1);
  Set_Order_To(2);
  EXPECT_EQ(CurrentOrder(), 2);
  EXPECT_EQ(OrderBlock(1)->Order, 2);
  EXPECT_EQ(OrderBlock(2)->Order, 1);
  std::vector<int32_t> walked = Walk();
  for (size_t i = 1; i < walked.size(); ++i) EXPECT_LE(qtys_[walked[i - 1] - 1], qtys_[walked[i] - 1]);
  Set_Order_To(0);
  EXPECT_EQ(CurrentOrder(), 0);
  EXPECT_EQ(Walk().front(), 1);
  struct Case {
    std::function<void()> act;
    uint16_t code;
  } cases[] = {
      {[] { Set_Order_To(17); }, 220},
      {[] { Set_Order_To(5); }, 221},
      {[&] { SetIndexTo(Path("name.ndx"), 3); }, 220},                // the same file twice in one area
      {[&] { SetIndexTo(Path("km.ndx"), 3); }, 223},                  // a key-maker index without key maker
      {[&] { SetIndexTo(Path("day.ndx"), 3, [](uint8_t, std::string& k) { k = "x"; }); }, 223},
      {[&] { SetIndexTo(Path("missing.ndx"), 3); }, 2},
      {[&] { SetIndexTo(Path("qty.ndx"), 17); }, 220},
  };
  for (const Case& c : cases) {
    engineState.XbErrorCode = 0;
    try {
      c.act();
    } catch (EXbaseError&) {
    }
    EXPECT_EQ(engineState.XbErrorCode, c.code) << XbTakeErrorContext();
    XbTakeErrorContext();
  }
  EXPECT_EQ(OrderBlock(3), nullptr);
}

TEST_F(Indexes, ASharedIndexIsReplacedOnlyWhileNobodyElseUsesIt) {
  Fill(30, 5);
  CloseArea();
  Use(table_);  // shared
  Select(2);
  Use(table_, " ALIAS OTHER");  // a second user of the table
  Select(1);
  // A new index, or one nobody has open, is written although others use the table.
  ASSERT_TRUE(MakeIndex(Path("n.ndx"), "NAME", false, 0, false, false)) << XbErrorMessage();
  ASSERT_TRUE(MakeIndex(Path("n.ndx"), "QTY", false, 0, false, false)) << XbErrorMessage();
  const std::string before = FileBytes(Path("n.ndx"));
  // Another program reads the index: it is replaced only with the table to ourselves, which the
  // second user prevents.
  int other = -1;
  ASSERT_EQ(XbOpenFile(Path("n.ndx"), XbModeReadWriteDenyNone, other), 0);
  EXPECT_FALSE(MakeIndex(Path("n.ndx"), "NAME", false, 0, false, false));
  EXPECT_EQ(engineState.XbErrorCode, 225);
  EXPECT_EQ(FileBytes(Path("n.ndx")), before);
  XbCloseFile(other);
  engineState.XbErrorCode = 0;
  EXPECT_FALSE(CurrentBlock()->Exclusive);
}

TEST(NdxTexts, CollationAndNormalizedExpressions) {
  struct Coll {
    std::string in;
    int32_t limit;
    std::string out;
  } colls[] = {
      {"M\xFCller    ", 10, "mueller   "},
      {"AB\xDF", 3, "abs"},
      {"MAIER", 5, "maier"},
      {"GROS\xDF", 5, "gross"},
      {"\xC4\xD6\xDC", 3, "aeo"},
      {"\x81" "ber", 4, "\x81" "ber"},  // OEM code of a umlaut stays as it is
  };
  for (const Coll& c : colls) EXPECT_EQ(CollationKey(c.in, c.limit), c.out) << c.in;
  struct Norm {
    std::string in, out;
  } norms[] = {
      {"upper( name )+ city", "UPPER(NAME)+CITY"},
      {"a .and. b", "A .AND. B"},
      {"name = 'x y'", "NAME=\"x y\""},
      {"qty > 5 .or. .not. ok", "QTY>5 .OR. .NOT. OK"},
      {"flag = .t.", "FLAG=.T."},
      {"\tstr( qty , 8 )", "STR(QTY,8)"},
  };
  for (const Norm& n : norms) EXPECT_EQ(NormalizeExpr(n.in), n.out) << n.in;
}

}  // namespace
}  // namespace qorva
