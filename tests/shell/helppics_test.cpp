// The shipped help pictures: the generator under tools/ makes exactly the shipped files, and every
// picture drawn by the interpreter covers the same area with the same number of pen-down figures
// as hp2xx finds in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "graphics/graphicsstate.h"
#include "shell/hpglinterpreter.h"
#include "shell/hpglstate.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;

const fs::path DataDir = fs::path(QORVA_SOURCE_DIR) / "data";
const std::vector<std::string> Shipped = {"start.plt", "null.plt", "band.plt", "kraftweg.plt", "vorausl.plt",
                                          "qorva.dbh"};

// Pen-down geometry as points joined by strokes; figures are its connected parts.
class Figures {
 public:
  void Stroke(long double x1, long double y1, long double x2, long double y2) {
    Join(Node(x1, y1), Node(x2, y2));
    Cover(x1, y1);
    Cover(x2, y2);
  }
  // A figure that touches nothing else (our circles).
  void Alone() { ++alone_; }
  void Cover(long double x, long double y) {
    xmin_ = std::min(xmin_, x), xmax_ = std::max(xmax_, x);
    ymin_ = std::min(ymin_, y), ymax_ = std::max(ymax_, y);
  }
  int Count() {
    int n = alone_;
    for (size_t i = 0; i < parent_.size(); ++i) n += Root(i) == i ? 1 : 0;
    return n;
  }
  std::vector<long double> Extents() const { return {xmin_, ymin_, xmax_, ymax_}; }

 private:
  size_t Node(long double x, long double y) {
    const std::pair<long long, long long> key{std::llround(x * 100), std::llround(y * 100)};
    auto [it, added] = nodes_.emplace(key, parent_.size());
    if (added) parent_.push_back(parent_.size());
    return it->second;
  }
  size_t Root(size_t i) {
    while (parent_[i] != i) i = parent_[i] = parent_[parent_[i]];
    return i;
  }
  void Join(size_t a, size_t b) { parent_[Root(a)] = Root(b); }

  std::map<std::pair<long long, long long>, size_t> nodes_;
  std::vector<size_t> parent_;
  int alone_ = 0;
  long double xmin_ = 1e9L, ymin_ = 1e9L, xmax_ = -1e9L, ymax_ = -1e9L;
};

std::vector<long double> Numbers(const std::string& rec) {
  std::vector<long double> out;
  size_t from = rec.find(';');
  while (from != std::string::npos) {
    const size_t end = rec.find(';', from + 1);
    long double v = 0.0L;
    GraphStrToReal(rec.substr(from + 1, end == std::string::npos ? std::string::npos : end - from - 1), v);
    out.push_back(v);
    from = end;
  }
  return out;
}

// Our drawing: lines and arcs join their end points, circles stand alone; labels are left out.
Figures OurFigures(const fs::path& picture) {
  InitGraphicsState();
  GraphicsWindowCreate();
  DrawHpglFile(picture.string());
  Figures f;
  for (const std::string& rec : graphicsState.DisplayList) {
    const int type = std::stoi(rec.substr(0, rec.find(';')));
    const std::vector<long double> v = Numbers(rec);
    if (type == RecLine) {
      f.Stroke(v[0], v[1], v[2], v[3]);
    } else if (type == RecCircle) {
      f.Alone();
      f.Cover(v[0] - v[2], v[1] - v[2]);
      f.Cover(v[0] + v[2], v[1] + v[2]);
    } else if (type == RecArc) {
      const long double cx = (v[0] + v[2]) / 2, cy = (v[1] + v[3]) / 2, r = (v[2] - v[0]) / 2;
      f.Stroke(v[4], v[5], v[6], v[7]);
      long double a1 = std::atan2(v[5] - cy, v[4] - cx), a2 = std::atan2(v[7] - cy, v[6] - cx);
      if (a2 <= a1) a2 += 2 * M_PIl;
      for (int i = 0; i <= 360; ++i) {
        const long double a = a1 + (a2 - a1) * i / 360;
        f.Cover(cx + r * std::cos(a), cy + r * std::sin(a));
      }
    }
  }
  return f;
}

// hp2xx's reading of the same picture without its labels (hp2xx draws those with its own
// stroke font), as gnuplot lines in mm.
Figures Hp2xxFigures(const fs::path& picture, const test::ScratchDir& dir) {
  std::string bytes = test::readFile(picture);
  for (size_t at; (at = bytes.find("LB")) != std::string::npos;) bytes.erase(at, bytes.find('\x03', at) + 1 - at);
  const fs::path in = dir / "in.plt", out = dir / "out.gpt";
  test::writeFile(in, bytes);
  // Short names in its own folder: hp2xx keeps file names in fixed buffers, which a long scratch
  // path (its length varies with the process number) overruns.
  const auto r = test::runCommand("cd '" + dir.path().string() +
                                  "' && hp2xx -q -t -x 0 -X 6400 -y 0 -Y 4800 -m gpt -f out.gpt in.plt");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  Figures f;
  const std::string text = test::readFile(out);
  bool down = false, have = false;
  long double px = 0, py = 0;
  size_t from = 0;
  while (from < text.size()) {
    size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(from, end - from);
    from = end + 1;
    if (line == "#PD") {
      down = true;
    } else if (line == "#PU" || line.empty() || line[0] == '#') {
      down = false;
      if (line != "#PU") have = false;
    } else {
      const size_t gap = line.find_first_of(" \t");
      const long double x = std::stold(line.substr(0, gap)), y = std::stold(line.substr(gap));
      if (down && have) f.Stroke(px, py, x, y);
      px = x, py = y, have = true;
    }
  }
  return f;
}

TEST(HelpPictures, GeneratorMakesTheShippedFiles) {
  test::ScratchDir dir;
  const auto r = test::runCommand(std::string(QORVA_PYTHON) + " '" + QORVA_SOURCE_DIR +
                                  "/tools/mkhelppics.py' '" + dir.path().string() + "'");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  std::vector<std::string> made;
  for (const auto& e : fs::directory_iterator(dir.path())) made.push_back(e.path().filename().string());
  std::sort(made.begin(), made.end());
  std::vector<std::string> shipped = Shipped;
  std::sort(shipped.begin(), shipped.end());
  EXPECT_EQ(made, shipped);
  for (const std::string& name : Shipped)
    EXPECT_EQ(test::readFile(dir / name), test::readFile(DataDir / name)) << name << " differs from the generator's";
}

// The pictures write umlauts as a letter and "}" (character set 3): a "}" after any other letter
// would just vanish from the label.
TEST(HelpPictures, EveryUmlautMarkFollowsAnUmlautLetter) {
  for (const std::string& name : Shipped) {
    if (name.ends_with(".dbh")) continue;
    const std::string bytes = test::readFile(DataDir / name);
    ASSERT_NE(bytes.find("CS3;"), std::string::npos) << name;
    for (size_t at = bytes.find('}'); at != std::string::npos; at = bytes.find('}', at + 1))
      EXPECT_NE(std::string("aouAOU").find(bytes[at - 1]), std::string::npos)
          << name << ": " << bytes.substr(at - 8, 12);
  }
}

TEST(HelpPictures, Hp2xxFindsTheSameFiguresAndExtents) {
  InitAllSettings();
  InitHpglState();
  test::ScratchDir dir;
  for (const std::string& name : Shipped) {
    if (name.ends_with(".dbh")) continue;
    Figures ours = OurFigures(DataDir / name);
    EXPECT_FALSE(programState.ErrorFlag) << name;
    Figures theirs = Hp2xxFigures(DataDir / name, dir);
    EXPECT_GT(ours.Count(), 0) << name;
    EXPECT_EQ(ours.Count(), theirs.Count()) << name;
    const auto a = ours.Extents(), b = theirs.Extents();
    for (size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], b[i], 0.1L) << name << " extent " << i;
  }
  InitGraphicsState();
  InitHpglState();
  InitAllSettings();
}

}  // namespace
}  // namespace qorva
