// Perl's XBase::Index reads the indexes the engine writes: every key in order, and its seek of
// the first key not below a value agrees with ours.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>

#include "tests/xbase/ndx_support_test.h"

namespace qorva {
namespace {

using xbtest::AppendRow;
using xbtest::CreateTable;
using xbtest::Num;

const std::string kDump = std::string(QORVA_SOURCE_DIR) + "/tools/xbase/ndxdump.pl";

std::string Hex(const std::string& s) {
  static const char* d = "0123456789abcdef";
  std::string h;
  for (unsigned char c : s) {
    h += d[c >> 4];
    h += d[c & 15];
  }
  return h;
}

std::string NumText(double v) {
  std::ostringstream os;  // the dump prints Perl's number text; we compare numbers, not texts
  os.precision(17);
  os << v;
  return os.str();
}

struct PerlView {
  std::vector<std::pair<std::string, uint32_t>> keys;   // key text (hex or number) and record
  std::vector<std::pair<std::string, uint32_t>> seeks;  // first key not below each value, record 0: none
};

PerlView ReadWithPerl(const std::string& type, const std::string& file, const std::vector<std::string>& values) {
  std::string cmd = "perl " + kDump + " " + type + " '" + file + "'";
  for (const std::string& v : values) cmd += " " + v;
  auto r = test::runCommand(cmd);
  EXPECT_EQ(r.exitCode, 0) << "libdbd-xbase-perl is needed: " << r.output;
  PerlView view;
  std::istringstream in(r.output);
  std::string tag, a, b, c;
  while (in >> tag) {
    if (tag == "K") {
      in >> a >> b;
      view.keys.emplace_back(a, static_cast<uint32_t>(std::stoul(b)));
    } else if (tag == "S") {
      in >> a >> b;
      if (b == "-") {
        view.seeks.emplace_back("-", 0);
      } else {
        in >> c;
        view.seeks.emplace_back(b, static_cast<uint32_t>(std::stoul(c)));
      }
    }
  }
  return view;
}

class IndexCrossCheck : public xbtest::IndexTest {};

TEST_F(IndexCrossCheck, PerlReadsOurCharacterNumericAndDateIndexesInKeyOrder) {
  const std::string table = CreateTable(dir_ / "parts.dbf", {{"NAME", 'C', 20, 0}, {"QTY", 'N', 10, 2}, {"DAY", 'D', 8, 0}});
  Use(table, " EXCLUSIVE");
  std::mt19937 rng(99);
  // 4,000 records: three levels of 25-key leaves with uneven depths, several equal keys.
  for (int i = 0; i < 4000; ++i) {
    std::string name = "Part" + Num(rng() % 3000) + (rng() % 3 == 0 ? "\xDF" : "") + (rng() % 2 ? "X" : "y");
    const long double qty = (static_cast<long double>(rng() % 200001) - 100000) / 100;
    const std::string day = "0" + Num(1 + rng() % 9) + "/1" + Num(rng() % 9) + "/" + Num(1900 + rng() % 200);
    AppendRow({name, qty, day});
  }
  struct Case {
    const char* expr;
    const char* file;
    bool numeric;
  } cases[] = {{"NAME", "name.ndx", false}, {"QTY", "qty.ndx", true}, {"DAY", "day.ndx", true}};
  for (const Case& c : cases) {
    ASSERT_TRUE(MakeIndex(Path(c.file), c.expr, false, 0, false, false)) << XbErrorMessage();
    std::vector<std::pair<std::string, uint32_t>> ours;
    ASSERT_EQ(NdxCheckStructure(Path(c.file), &ours), "");
    ASSERT_EQ(ours.size(), 4000u);
    // Seek values: keys that exist, values between keys, below the first and above the last.
    std::vector<std::string> values;
    std::vector<std::string> ourSeeks;
    auto ourSeek = [&](const std::string& key) {
      for (const auto& e : ours) {
        bool notBelow;
        if (c.numeric) {
          double x, y;
          std::memcpy(&x, e.first.data(), 8);
          std::memcpy(&y, key.data(), 8);
          notBelow = x >= y;
        } else {
          notBelow = e.first >= key;
        }
        if (notBelow) return e.second;
      }
      return 0u;
    };
    std::vector<uint32_t> wanted;
    for (int i = 0; i < 40; ++i) {
      std::string key;
      if (c.numeric) {
        double v;
        std::memcpy(&v, ours[rng() % ours.size()].first.data(), 8);
        if (i % 3 == 1) v += 0.005;
        if (i == 38) v = -1e12;
        if (i == 39) v = 1e12;
        key.assign(8, '\0');
        std::memcpy(key.data(), &v, 8);
        values.push_back(NumText(v));
      } else {
        key = ours[rng() % ours.size()].first;
        if (i % 3 == 1) key = key.substr(0, 8) + std::string(12, '\0');  // a prefix: between keys
        if (i == 38) key = std::string(20, ' ');
        if (i == 39) key = std::string(20, '\xFF');
        values.push_back(Hex(key));
      }
      wanted.push_back(ourSeek(key));
    }
    // The engine's own seek agrees too (the table stands on the found record).
    Set_Index_To(Path(c.file), 1);
    ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
    const PerlView perl = ReadWithPerl(c.numeric ? "num" : "char", Path(c.file), values);
    ASSERT_EQ(perl.keys.size(), ours.size()) << c.file;
    for (size_t i = 0; i < ours.size(); ++i) {
      if (c.numeric) {
        double v;
        std::memcpy(&v, ours[i].first.data(), 8);
        EXPECT_DOUBLE_EQ(std::stod(perl.keys[i].first), v) << c.file << " key " << i;
      } else {
        // Perl may drop the trailing blanks of a key.
        std::string theirs = perl.keys[i].first;
        std::string mine = Hex(ours[i].first);
        while (mine.size() > theirs.size() && mine.substr(mine.size() - 2) == "20") mine.resize(mine.size() - 2);
        EXPECT_EQ(theirs, mine) << c.file << " key " << i;
      }
      EXPECT_EQ(perl.keys[i].second, ours[i].second) << c.file << " key " << i;
    }
    ASSERT_EQ(perl.seeks.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i)
      EXPECT_EQ(perl.seeks[i].second, wanted[i]) << c.file << " seek " << values[i];
    CloseIndexes();
  }
}

TEST_F(IndexCrossCheck, OurFindAgreesWithTheFirstKeyNotBelow) {
  const std::string table = CreateTable(dir_ / "w.dbf", {{"NAME", 'C', 8, 0}});
  Use(table, " EXCLUSIVE");
  for (int i = 0; i < 500; ++i) AppendRow({"w" + Num((i * 7919) % 1000)});
  IndexOn(Path("w.ndx"), "NAME");
  ASSERT_EQ(engineState.XbErrorCode, 0) << XbErrorMessage();
  std::vector<std::string> values;
  for (int i = 0; i < 30; ++i) values.push_back(Hex("w" + Num(i * 31)));
  const PerlView perl = ReadWithPerl("char", Path("w.ndx"), values);
  ASSERT_EQ(perl.seeks.size(), values.size());
  for (int i = 0; i < 30; ++i) {
    Find("w" + Num(i * 31));
    // Perl's seek gives the first key not below; ours finds a key that starts with the text.
    std::string key = XbRTrim(GetFieldText(1));
    const bool prefix = ndxEngine.IndexFound;
    if (prefix) {
      EXPECT_EQ(static_cast<uint32_t>(RecNo()), perl.seeks[static_cast<size_t>(i)].second) << values[static_cast<size_t>(i)];
    } else {
      EXPECT_TRUE(dEOF());
    }
  }
}

}  // namespace
}  // namespace qorva
