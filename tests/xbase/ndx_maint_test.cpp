#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <map>
#include <random>

#include "platform/services.h"
#include "tests/xbase/ndx_support_test.h"

namespace qorva {
namespace {

using xbtest::AppendRow;
using xbtest::CreateTable;
using xbtest::Num;

using Entries = std::vector<std::pair<std::string, uint32_t>>;

std::string NameKey(const std::string& name) {
  // A DOS table collates in its own code page: an umlaut there stays as it is.
  std::string k = CollationKey(XbAnsiToOem(XbPadRight(name, 6)), 6);
  k.resize(6, ' ');
  return k;
}

std::string QtyKey(int64_t v) {
  double d = static_cast<double>(v);
  if (d == 0) d = 0;
  std::string k(8, '\0');
  std::memcpy(k.data(), &d, 8);
  return k;
}

int CompareKeys(const std::string& a, const std::string& b, bool numeric) {
  if (!numeric) return a < b ? -1 : (a == b ? 0 : 1);
  double x, y;
  std::memcpy(&x, a.data(), 8);
  std::memcpy(&y, b.data(), 8);
  return x < y ? -1 : (x == y ? 0 : 1);
}

// The entries of a freshly built index: by key, equal keys by record number.
Entries Built(Entries e, bool numeric) {
  std::stable_sort(e.begin(), e.end(), [numeric](const auto& a, const auto& b) {
    const int c = CompareKeys(a.first, b.first, numeric);
    return c != 0 ? c < 0 : a.second < b.second;
  });
  return e;
}

// A key inserted later goes before the keys equal to it.
void InsertKey(Entries& e, const std::string& key, uint32_t rec, bool numeric) {
  auto at = std::find_if(e.begin(), e.end(), [&](const auto& x) { return CompareKeys(x.first, key, numeric) >= 0; });
  e.insert(at, {key, rec});
}

// A record's key changed: it leaves its place and is inserted anew; an unchanged key stays.
void ChangeKey(Entries& e, const std::string& key, uint32_t rec, bool numeric) {
  auto at = std::find_if(e.begin(), e.end(), [&](const auto& x) { return x.second == rec; });
  if (at != e.end() && at->first == key) return;
  if (at != e.end()) e.erase(at);
  InsertKey(e, key, rec, numeric);
}

// The index's entries must be the model's, in its order, and the file sound.
void ExpectIndexIs(const std::string& file, const Entries& want, const std::string& when) {
  Entries got;
  ASSERT_EQ(NdxCheckStructure(file, &got), "") << when;
  ASSERT_EQ(got.size(), want.size()) << when;
  EXPECT_TRUE(got == want) << when;
}

class IndexMaintenance : public xbtest::IndexTest {};

TEST_F(IndexMaintenance, RandomAppendsReplacesAndDeletesKeepBothIndexesExact) {
  const std::string table = CreateTable(dir_ / "stock.dbf", {{"NAME", 'C', 6, 0}, {"QTY", 'N', 6, 0}});
  Use(table, " EXCLUSIVE");
  std::mt19937 rng(20240131);
  auto name = [&] {
    static const char* names[] = {"apple", "Birne", "KIWI", "\xC4pfel", "fig", "date", "lime", "Melon", "pear", "plum"};
    return std::string(names[rng() % 10]);
  };
  auto qty = [&] { return static_cast<int64_t>(rng() % 201) - 100; };
  std::vector<std::string> names;
  std::vector<int64_t> qtys;
  std::vector<bool> deleted;
  for (int i = 0; i < 40; ++i) {
    names.push_back(name());
    qtys.push_back(qty());
    deleted.push_back(false);
    AppendRow({names.back(), qtys.back()});
  }
  ASSERT_TRUE(MakeIndex(Path("name.ndx"), "NAME", false, 0, false, false));
  ASSERT_TRUE(MakeIndex(Path("qty.ndx"), "QTY", false, 0, false, false));
  SetIndexList(Path("name.ndx") + " " + Path("qty.ndx"));
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();

  Entries byName, byQty;
  auto build = [&] {
    byName.clear();
    byQty.clear();
    for (size_t i = 0; i < names.size(); ++i) {
      byName.emplace_back(NameKey(names[i]), static_cast<uint32_t>(i + 1));
      byQty.emplace_back(QtyKey(qtys[i]), static_cast<uint32_t>(i + 1));
    }
    byName = Built(byName, false);
    byQty = Built(byQty, true);
  };
  build();
  auto check = [&](const std::string& when) {
    ExpectIndexIs(Path("name.ndx"), byName, when);
    ExpectIndexIs(Path("qty.ndx"), byQty, when);
  };
  for (int step = 1; step <= 10000; ++step) {
    const uint32_t op = rng() % 100;
    if (op < 40 || names.empty()) {
      names.push_back(name());
      qtys.push_back(qty());
      deleted.push_back(false);
      AppendRow({names.back(), qtys.back()});
      InsertKey(byName, NameKey(names.back()), static_cast<uint32_t>(names.size()), false);
      InsertKey(byQty, QtyKey(qtys.back()), static_cast<uint32_t>(names.size()), true);
    } else if (op < 85) {
      const size_t r = rng() % names.size();
      GO(static_cast<int32_t>(r + 1));
      ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
      if (rng() % 2) names[r] = name();
      if (rng() % 2) qtys[r] = qty();
      SetFieldText(1, names[r]);
      SetFieldInt(2, qtys[r]);
      Replace();
      ASSERT_EQ(engineState.XbErrorCode, 0) << "step " << step << " " << XbErrorMessage();
      ChangeKey(byName, NameKey(names[r]), static_cast<uint32_t>(r + 1), false);
      ChangeKey(byQty, QtyKey(qtys[r]), static_cast<uint32_t>(r + 1), true);
    } else {
      const size_t r = rng() % names.size();
      GO(static_cast<int32_t>(r + 1));
      deleted[r] = !deleted[r];
      if (deleted[r]) DeleteRec();
      else RecallRec();
      ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
    }
    if (step % 100 == 0) {
      check("step " + Num(step));
      if (HasFatalFailure() || HasFailure()) return;
    }
    if (step % 1000 == 0) {
      // Walking the controlling order visits every record once, in key order.
      Set_Order_To(step % 2000 == 0 ? 2 : 1);
      std::vector<int32_t> walked;
      GoTop();
      while (!dEOF() && walked.size() <= names.size()) {
        walked.push_back(RecNo());
        SKIP(1);
      }
      ASSERT_EQ(walked.size(), names.size());
      Set_Order_To(1);
    }
  }
  // Pack renumbers the records and rebuilds both indexes.
  std::vector<std::string> keptNames;
  std::vector<int64_t> keptQtys;
  for (size_t i = 0; i < names.size(); ++i)
    if (!deleted[i]) {
      keptNames.push_back(names[i]);
      keptQtys.push_back(qtys[i]);
    }
  ASSERT_TRUE(Pack()) << XbErrorMessage();
  names = keptNames;
  qtys = keptQtys;
  ASSERT_EQ(RecCount(), static_cast<int32_t>(names.size()));
  build();
  check("after Pack");
  Reindex();
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  check("after Reindex");
  EXPECT_EQ(CurrentOrder(), 1);
}

TEST_F(IndexMaintenance, AUniqueIndexKeepsOneRecordPerKey) {
  const std::string table = CreateTable(dir_ / "u.dbf", {{"NAME", 'C', 6, 0}});
  Use(table, " EXCLUSIVE");
  AppendRow({std::string("a")});
  AppendRow({std::string("b")});
  IndexOn(Path("u.ndx UNIQUE"), "NAME");
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  AppendRow({std::string("a")});  // record 3: its key is there already
  GO(2);
  SetFieldText(1, "a");  // record 2 changes to a key that is there already
  Replace();
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  Entries got;
  EXPECT_EQ(NdxCheckStructure(Path("u.ndx"), &got), "");
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].second, 1u);
}

// ---- Damaged files ------------------------------------------------------------------------

class DamagedIndexes : public xbtest::IndexTest {
 protected:
  void SetUp() override {
    IndexTest::SetUp();
    table_ = CreateTable(dir_ / "d.dbf", {{"NAME", 'C', 10, 0}});
    Use(table_);
    for (int i = 0; i < 200; ++i) AppendRow({"n" + std::string(i < 100 ? "0" : "") + std::string(i < 10 ? "0" : "") + Num(i)});
    ASSERT_TRUE(MakeIndex(Path("d.ndx"), "NAME", false, 0, false, false)) << XbErrorMessage();
    good_ = FileBytes(Path("d.ndx"));
    ASSERT_EQ(good_.size(), 10u * 512);  // the anchor, 8 full leaves of 25 and the root over them
  }
  static void Put16(std::string& s, size_t at, uint16_t v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
  }
  static void Put32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  std::string table_, good_;
};

TEST_F(DamagedIndexes, EveryBadFieldGivesAClearErrorAndNoCrash) {
  const uint32_t root = static_cast<uint32_t>(static_cast<uint8_t>(good_[0]));
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
    uint16_t code;  // at open; 0: opens, the walk fails with this code below
    uint16_t walkCode;
  } cases[] = {
      {"file of 1023 bytes", [](std::string& s) { s.resize(1023); }, 222, 0},
      {"key length 101", [](std::string& s) { Put16(s, 12, 101); }, 222, 0},
      {"entry size not the key length rounded", [](std::string& s) { Put16(s, 18, 24); }, 222, 0},
      {"keys per node too many", [](std::string& s) { Put16(s, 14, 40); }, 222, 0},
      {"numeric flag on a character key", [](std::string& s) { Put16(s, 16, 1); }, 222, 0},
      {"key type N on a character expression", [](std::string& s) { s[9] = 'N'; Put16(s, 16, 1); Put16(s, 12, 8); Put16(s, 18, 16); Put16(s, 14, 31); }, 222, 0},
      {"unknown key type", [](std::string& s) { s[9] = 'X'; }, 222, 0},
      {"root 0", [](std::string& s) { Put32(s, 0, 0); }, 222, 0},
      {"root past the end", [](std::string& s) { Put32(s, 0, 10); }, 222, 0},
      {"a key length the expression does not fill", [](std::string& s) { Put16(s, 12, 12); Put16(s, 18, 20); Put16(s, 14, 25); }, 266, 0},
      {"key count above keys per node", [root](std::string& s) { Put32(s, 512 * root, 26); }, 0, 254},
      {"child 0 in an inner node", [root](std::string& s) { Put32(s, 512 * root + 4 + 20, 0); }, 0, 254},
      {"child past the end", [root](std::string& s) { Put32(s, 512 * root + 4, 99); }, 0, 254},
      {"child in a leaf", [](std::string& s) { Put32(s, 512 + 4 + 20, 3); }, 0, 254},
      {"a node that points to itself", [root](std::string& s) { Put32(s, 512 * root + 4, root); }, 0, 254},
      {"a cycle through two nodes", [root](std::string& s) {
         // The root's first child becomes an inner node whose child is the root again.
         std::string inner(512, '\0');
         Put32(inner, 0, 1);
         Put32(inner, 4, root);
         Put32(inner, 4 + 20, root);
         s.replace(512, 512, inner);
       }, 0, 254},
  };
  for (const Case& c : cases) {
    std::string bytes = good_;
    c.damage(bytes);
    test::writeFile(Path("d.ndx"), bytes);
    engineState.XbErrorCode = 0;
    bool opened = false;
    try {
      opened = Set_Index_To(Path("d.ndx"), 1);
    } catch (EXbaseError&) {
    }
    if (c.code != 0) {
      EXPECT_FALSE(opened) << c.what;
      EXPECT_EQ(engineState.XbErrorCode, c.code) << c.what << ": " << XbTakeErrorContext();
      EXPECT_EQ(OrderBlock(1), nullptr) << c.what;
    } else {
      // The damage shows once the walk reaches the node.
      uint16_t code = engineState.XbErrorCode;
      try {
        for (int i = 0; i < 300 && code == 0; ++i) {
          if (i == 0) GoTop();
          else SKIP(1);
          code = engineState.XbErrorCode;
          if (dEOF()) break;
        }
        if (code == 0) {
          Find("n150");
          code = engineState.XbErrorCode;
        }
      } catch (EXbaseError&) {
        code = engineState.XbErrorCode;
      }
      EXPECT_EQ(code, c.walkCode) << c.what << ": " << XbTakeErrorContext();
      EXPECT_NE(NdxCheckStructure(Path("d.ndx")), "") << c.what;
    }
    XbTakeErrorContext();
    CloseIndexes();
  }
}

TEST_F(DamagedIndexes, KeyLengthAndMissingTableErrorsSayWhatTheyFound) {
  std::string bytes = good_;
  Put16(bytes, 12, 12);
  Put16(bytes, 18, 20);
  Put16(bytes, 14, 25);
  test::writeFile(Path("d.ndx"), bytes);
  engineState.XbErrorCode = 0;
  try {
    Set_Index_To(Path("d.ndx"), 1);
  } catch (EXbaseError&) {
  }
  ASSERT_EQ(engineState.XbErrorCode, 266);
  // the key the expression gives (the blank record's ten blanks), not its length
  EXPECT_EQ(XbTakeErrorContext(), "Ung\xFCltige Schl\xFCssell\xE4nge von anwender-definiertem KeyMaker geliefert.\n\r"
                                  "Erwartete L\xE4nge=  12\n\rSchl\xFCssel= [          ] " +
                                      Path("d.ndx") + " [SetIndexTo/OpenIndex]");
  Select(7);
  engineState.XbErrorCode = 0;
  EXPECT_FALSE(MakeIndex("free.ndx", "NAME", false, 0, false, false));
  EXPECT_EQ(engineState.XbErrorCode, 215);
  EXPECT_EQ(XbTakeErrorContext(), "Datenbank nicht ge\xF6" "ffnet beim Indizieren vonfree.ndx. [MakeIndex(<...>,free.ndx)]");
}

TEST_F(IndexMaintenance, ANewKeyGoesBeforeTheKeysEqualToIt) {
  const std::string table = CreateTable(dir_ / "eq.dbf", {{"NAME", 'C', 4, 0}});
  Use(table, " EXCLUSIVE");
  for (const char* n : {"b", "a", "b", "c"}) AppendRow({std::string(n)});
  ASSERT_TRUE(MakeIndex(Path("eq.ndx"), "NAME", false, 0, false, false));
  SetIndexList(Path("eq.ndx"));
  AppendRow({std::string("b")});  // record 5
  GO(4);
  SetFieldText(1, "b");  // record 4 changes to an existing key
  Replace();
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  Entries got;
  ASSERT_EQ(NdxCheckStructure(Path("eq.ndx"), &got), "");
  std::vector<uint32_t> order;
  for (const auto& e : got) order.push_back(e.second);
  // the build orders equal keys by record number; later keys go in front of them
  EXPECT_EQ(order, (std::vector<uint32_t>{2, 4, 5, 1, 3}));
  std::vector<int32_t> walked;
  for (GoTop(); !dEOF(); SKIP(1)) walked.push_back(RecNo());
  EXPECT_EQ(walked, (std::vector<int32_t>{2, 4, 5, 1, 3}));
  // each of them is still found and removed as its own entry
  GO(1);
  DeleteRec();
  GO(5);
  SetFieldText(1, "z");
  Replace();
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  got.clear();
  ASSERT_EQ(NdxCheckStructure(Path("eq.ndx"), &got), "");
  order.clear();
  for (const auto& e : got) order.push_back(e.second);
  EXPECT_EQ(order, (std::vector<uint32_t>{2, 4, 1, 3, 5}));
}

// ---- Semaphore files and two programs ---------------------------------------------------------

class Semaphores : public xbtest::IndexTest {
 protected:
  void SetUp() override {
    IndexTest::SetUp();
    table_ = CreateTable(dir_ / "s.dbf", {{"NAME", 'C', 8, 0}, {"QTY", 'N', 8, 0}});
    Use(table_, " EXCLUSIVE");
    AppendRow({std::string("a"), int64_t{1}});
    ASSERT_TRUE(MakeIndex(Path("s.ndx"), "NAME", false, 0, false, false));
    CloseArea();
  }
  std::string sem() const { return SemaphoreFileName(table_); }
  std::string table_;
};

TEST_F(Semaphores, BracketsCountReadersAndWritersAndTheLastLogoutErases) {
  Use(table_);
  ASSERT_TRUE(Set_Index_To(Path("s.ndx"), 1)) << XbErrorMessage();
  ASSERT_TRUE(XbFileExists(sem()));
  // The table's extension replaced: other programs sharing the table look for this name.
  EXPECT_EQ(sem(), (dir_ / "s.@S@").string());
  uint8_t users, access;
  uint16_t counter;
  ASSERT_TRUE(ReadSemaphoreRecord(users, access, counter));
  EXPECT_EQ(users, 1);
  SetReadSemaphoreProc(true);
  SetReadSemaphoreProc(true);
  ASSERT_TRUE(ReadSemaphoreRecord(users, access, counter));
  EXPECT_EQ(access, 1);
  SetReadSemaphoreProc(false);
  SetReadSemaphoreProc(false);
  ASSERT_TRUE(ReadSemaphoreRecord(users, access, counter));
  EXPECT_EQ(access, 0);
  // A write bracket raises the change counter; from 65534 it goes to 0.
  indexSemaphore.States[workAreas.CurrentArea]->Counter = 65534;
  {
    int fd = indexSemaphore.States[workAreas.CurrentArea]->File;
    uint8_t rec[4] = {1, 0, 0xFE, 0xFF};
    ASSERT_EQ(XbWriteAt(fd, 0, rec, 4), 0);
  }
  SetLockSemaphoreProc(true);
  ASSERT_TRUE(ReadSemaphoreRecord(users, access, counter));
  EXPECT_EQ(access, 1);
  SetLockSemaphoreProc(false);
  ASSERT_TRUE(ReadSemaphoreRecord(users, access, counter));
  EXPECT_EQ(counter, 0);
  EXPECT_EQ(access, 0);
  // Unbalanced brackets are refused.
  struct Case {
    std::function<void()> act;
    const char* text;
  } cases[] = {
      {[] { SetReadSemaphoreProc(false); }, "Non-symmetrical Lock-Unlock [SetReadSemaphoreProc]"},
      {[] { SetLockSemaphoreProc(false); }, "Non-symmetrical Lock-Unlock [SetLockSemaphoreProc]"},
      {[] { HandleSemafore(SemDecRead); }, "Unbalanced IncRead/DecRead"},
      {[] { HandleSemafore(SemUnlock); }, "Unbalanced Lock/Unlock"},
  };
  for (const Case& c : cases) {
    engineState.XbErrorCode = 0;
    EXPECT_THROW(c.act(), EXbaseError) << c.text;
    EXPECT_EQ(engineState.XbErrorCode, 254);
    EXPECT_NE(XbTakeErrorContext().find(c.text), std::string::npos) << c.text;
  }
  CloseArea();
  EXPECT_FALSE(XbFileExists(sem()));
}

TEST_F(Semaphores, AnExclusiveTableMakesNoFileAndAStuckWriterTimesOut) {
  Use(table_, " EXCLUSIVE");
  ASSERT_TRUE(Set_Index_To(Path("s.ndx"), 1));
  EXPECT_FALSE(XbFileExists(sem()));
  CloseArea();
  Use(table_);
  ASSERT_TRUE(Set_Index_To(Path("s.ndx"), 1));
  // Another program, still running, is counted as a reader and holds its mark.
  int other = ::open(sem().c_str(), O_RDWR);
  ASSERT_GE(other, 0);
  struct flock fl {};
  fl.l_type = F_RDLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = 8;
  fl.l_len = 1;
  ASSERT_EQ(::fcntl(other, F_OFD_SETLK, &fl), 0);
  uint8_t rec[4] = {2, 1, 0, 0};
  ASSERT_EQ(::pwrite(other, rec, 4, 0), 4);
  indexSemaphore.SemaphoreLockTimeout = 1;
  const auto t0 = std::chrono::steady_clock::now();
  int events = 0;
  services().ProcessPendingEvents = [&] { ++events; };
  EXPECT_THROW(SetLockSemaphoreProc(true), EXbaseError);
  services() = HeadlessServices();
  EXPECT_EQ(engineState.XbErrorCode, 1202);
  EXPECT_NE(XbTakeErrorContext().find("1 second timeout, cannot read: "), std::string::npos);
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(900));
  EXPECT_GT(events, 0);  // the wait let the window work
  ::close(other);
}

TEST_F(Semaphores, TheMarksOfAProgramThatDiedAreTakenOver) {
  // A program killed inside its write bracket, and one killed while reading: neither holds a lock.
  for (uint8_t access : {uint8_t{1}, uint8_t{3}}) {
    Use(table_);
    ASSERT_TRUE(Set_Index_To(Path("s.ndx"), 1));
    {
      int fd = ::open(sem().c_str(), O_RDWR);
      uint8_t rec[4] = {3, access, 7, 0};
      ASSERT_EQ(::pwrite(fd, rec, 4, 0), 4);
      ::close(fd);
    }
    indexSemaphore.SemaphoreLockTimeout = 100;
    engineState.XbErrorCode = 0;
    const auto t0 = std::chrono::steady_clock::now();
    SetLockSemaphoreProc(true);  // no wait for the dead
    EXPECT_EQ(engineState.XbErrorCode, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(50));
    SetLockSemaphoreProc(false);
    uint8_t users = 0, now = 9;
    uint16_t counter = 0;
    ASSERT_TRUE(ReadSemaphoreRecord(users, now, counter));
    EXPECT_EQ(now, 0);
    EXPECT_EQ(counter, 8);
    CloseArea();
    // The dead were counted as users too: the next program to log in starts the count afresh,
    // so the file goes with the last living user.
    Use(table_);
    ASSERT_TRUE(Set_Index_To(Path("s.ndx"), 1));
    ASSERT_TRUE(ReadSemaphoreRecord(users, now, counter));
    EXPECT_EQ(users, 1) << int{access};
    CloseArea();
    EXPECT_FALSE(XbFileExists(sem())) << int{access};
  }
}

// A program keeps the nodes it read in memory; another program then changes keys in those nodes
// and splits them. At its next look the first program finds what the other one wrote, and nothing
// the other one removed.
TEST_F(Semaphores, NodesAnotherProgramChangedAreReadAgain) {
  auto name = [](char c, int i) {
    std::string n = Num(i);
    return c + std::string(7 - n.size(), '0') + n;
  };
  Use(table_);
  ASSERT_TRUE(Set_Index_To(Path("s.ndx"), 1));
  for (int i = 0; i < 80; ++i) {
    ASSERT_TRUE(ALock());
    AppendRow({name('k', i), int64_t{i}});
    Unlock();
  }
  for (int pass = 0; pass < 2; ++pass)  // every node of the index is read (and held) now
    for (int i = 0; i < 80; ++i) {
      Find(name('k', i));
      ASSERT_TRUE(ndxEngine.IndexFound) << name('k', i);
    }
  const std::string table = table_, ndx = Path("s.ndx");
  const int other = xbtest::InChild([&] {
    Select(20);
    USE(table + " ALIAS OTHER");
    if (engineState.XbErrorCode != 0 || !Set_Index_To(ndx, 1)) return 90;
    for (int32_t r = 2; r <= 81; r += 3) {  // every third k becomes an m
      GO(r);
      if (!RLock()) return 91;
      SetFieldText(1, name('m', r));
      Replace();
      Unlock();
    }
    for (int i = 0; i < 70; ++i) {  // keys before every k: the first leaves split
      if (!ALock()) return 92;
      AppendRow({name('j', i), int64_t{i}});
      Unlock();
    }
    CloseArea();
    return engineState.XbErrorCode == 0 ? 0 : 93;
  });
  ASSERT_EQ(other, 0);
  for (int32_t r = 2; r <= 81; ++r) {
    const bool moved = (r - 2) % 3 == 0;
    Find(name('m', r));
    EXPECT_EQ(ndxEngine.IndexFound, moved) << name('m', r);
    if (moved) {
      EXPECT_EQ(RecNo(), r);
    }
    Find(name('k', r - 2));
    EXPECT_EQ(ndxEngine.IndexFound, !moved) << name('k', r - 2);
    if (!moved) {
      EXPECT_EQ(RecNo(), r);
    }
  }
  for (int i = 0; i < 70; ++i) {
    Find(name('j', i));
    EXPECT_TRUE(ndxEngine.IndexFound) << name('j', i);
  }
  // The whole index in order holds every record under its name.
  std::vector<std::string> walked, names;
  for (GoTop(); !dEOF(); SKIP(1)) walked.push_back(GetFieldText(1));
  for (int32_t r = 1; r <= RecCount(); ++r) {
    GO(r);
    names.push_back(GetFieldText(1));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(walked, names);
}

TEST_F(Semaphores, TwoProgramsEditingOneTableLoseNoKeyAndSeeEachOther) {
  constexpr int kEach = 150;
  auto work = [&](const std::string& prefix, int seed) -> int {
    Use(table_);
    if (!Set_Index_To(Path("s.ndx"), 1)) return 10;
    std::mt19937 rng(static_cast<uint32_t>(seed));
    for (int i = 0; i < kEach; ++i) {
      if (!ALock()) {
        WaitMs(1);
        --i;
        continue;
      }
      AppendRow({prefix + Num(rng() % 1000), int64_t{i}});
      Unlock();
      if (engineState.XbErrorCode != 0) return 11;
      if (i % 10 == 5) {
        // Change a record somewhere (also ones the other program wrote).
        RefreshCount();
        const int32_t r = 1 + static_cast<int32_t>(rng() % static_cast<uint32_t>(RecCount()));
        GO(r);
        if (!RLock()) continue;
        RereadRecord();
        SetFieldText(1, prefix + "x" + Num(i));
        Replace();
        Unlock();
        if (engineState.XbErrorCode != 0) return 12;
      }
    }
    CloseArea();
    return 0;
  };
  const pid_t child = ::fork();
  if (child == 0) {
    int rc = 99;
    try {
      XbStartEngine();
      InitExpressionParser();
      IndexInit();
      XbSetErrorReport(false);
      rc = work("c", 2);
    } catch (std::exception& e) {
      std::fprintf(stderr, "second program: %s\n", e.what());
      rc = 98;
    }
    ::_exit(rc);
  }
  int mine = 97;
  try {
    mine = work("p", 1);
  } catch (EXbaseError& e) {
    ADD_FAILURE() << e.what();
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(mine, 0) << XbErrorMessage();
  // Every record of both programs is in the index under its current key.
  Use(table_, " EXCLUSIVE");
  ASSERT_EQ(RecCount(), 1 + 2 * kEach);
  Entries model;
  for (int32_t r = 1; r <= RecCount(); ++r) {
    GO(r);
    std::string name = GetFieldText(1);
    std::string k = CollationKey(XbAnsiToOem(XbPadRight(name, 8)), 8);
    k.resize(8, ' ');
    model.emplace_back(k, static_cast<uint32_t>(r));
  }
  // Which program inserted an equal key first decides its place among its equals: compared as a set.
  Entries got;
  ASSERT_EQ(NdxCheckStructure(Path("s.ndx"), &got), "");
  for (size_t i = 1; i < got.size(); ++i) ASSERT_LE(got[i - 1].first, got[i].first) << "keys in order";
  std::sort(got.begin(), got.end());
  std::sort(model.begin(), model.end());
  EXPECT_TRUE(got == model) << "after both programs";
  EXPECT_FALSE(XbFileExists(sem()));
}

}  // namespace
}  // namespace qorva
