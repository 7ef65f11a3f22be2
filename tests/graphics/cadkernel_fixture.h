#pragma once
// What the CAD kernel tests share: a fixture with the settings reset and a scratch folder as TempDir,
// a writer that records the calls it receives, the screen's display list read back, and the DXF
// checker.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "foundation/cadsettings.h"
#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/utilfile.h"
#include "foundation/desktopsettings.h"
#include "foundation/workdir.h"
#include "foundation/printsettings.h"
#include "graphics/cadkernel.h"
#include "graphics/graphicsstate.h"
#include "tests/support/testsupport.h"

namespace qorva::cadtest {

namespace fs = std::filesystem;

// One call a file writer received.
struct WriterCall {
  std::string op;
  std::vector<long double> v;
  std::string text;
};

class RecordingWriter : public CadWriter {
 public:
  RecordingWriter(std::string ext, bool asFiles) : ext_(std::move(ext)), asFiles_(asFiles) {}
  std::string extension() const override { return ext_; }
  bool open(const std::string& fileName) override {
    add("open", {}, fileName);
    return !failOpen;
  }
  bool close() override {
    add("close", {});
    return true;
  }
  void abandon() override { add("abandon", {}); }
  void pageSetup(long double xmin, long double ymin, long double xmax, long double ymax,
                 long double height) override {
    add("page", {xmin, ymin, xmax, ymax, height});
  }
  void beginBlock(const std::string& name) override { add("block", {}, name); }
  void endBlock() override { add("endblock", {}); }
  void insertBlock(const std::string& name, long double x, long double y, long double angle, long double sx,
                   long double sy) override {
    add("insert", {x, y, angle, sx, sy}, name);
  }
  void line(long double x1, long double y1, long double x2, long double y2) override {
    add("line", {x1, y1, x2, y2});
    if (failAfterLines > 0 && --failAfterLines == 0) programState.ErrorFlag = true;  // a failed write
  }
  void circle(long double x, long double y, long double r) override { add("circle", {x, y, r}); }
  void arc(const CadArcCall& a) override { add("arc", {a.x, a.y, a.xs, a.ys, a.xe, a.ye}); }
  void text(const std::string& t, long double x, long double y) override { add("text", {x, y}, t); }
  void solid(long double x1, long double y1, long double x2, long double y2, long double x3, long double y3,
             long double x4, long double y4) override {
    add("solid", {x1, y1, x2, y2, x3, y3, x4, y4});
  }
  void setColor(int32_t n) override { add("color", {static_cast<long double>(n)}); }
  bool blocksAsFiles() const override { return asFiles_; }
  // Standing in for the STL writer, it asks for the wall height as that one does.
  bool asksPageHeight() const override { return ext_ == "stl"; }

  std::vector<WriterCall> calls;
  bool failOpen = false;
  int failAfterLines = 0;

  std::vector<WriterCall> only(const std::string& op) const {
    std::vector<WriterCall> r;
    for (const auto& c : calls)
      if (c.op == op) r.push_back(c);
    return r;
  }

 private:
  void add(std::string op, std::vector<long double> v, std::string text = {}) {
    calls.push_back({std::move(op), std::move(v), std::move(text)});
  }
  std::string ext_;
  bool asFiles_;
};

// The display list records of one type, read back.
inline std::vector<DisplayRecordFields> Records(int32_t type, size_t from = 0) {
  std::vector<DisplayRecordFields> out;
  for (size_t i = from; i < graphicsState.DisplayList.size(); ++i) {
    DisplayRecordFields f;
    std::string bad;
    if (ReadDisplayRecord(graphicsState.DisplayList[i], f, bad) && f.type == type) out.push_back(f);
  }
  return out;
}

inline bool Near(long double a, long double b, long double eps = 1e-6L) { return std::fabs(a - b) <= eps; }

struct DxfCheck {
  int exitCode = -1;
  std::vector<std::string> lines;
  std::string output;
  bool has(const std::string& line) const {
    for (const auto& l : lines)
      if (l == line) return true;
    return false;
  }
};

// Reads a DXF file with ezdxf and audits it (tools/graphics/dxfcheck.py).
inline DxfCheck CheckDxf(const fs::path& file) {
  const std::string checker = std::string(QORVA_SOURCE_DIR) + "/tools/graphics/dxfcheck.py";
  const auto r = test::runCommand(std::string(QORVA_PYTHON) + " '" + checker + "' '" + file.string() + "'");
  DxfCheck c{r.exitCode, {}, r.output};
  size_t pos = 0;
  while (pos < r.output.size()) {
    size_t next = r.output.find('\n', pos);
    if (next == std::string::npos) next = r.output.size();
    c.lines.push_back(r.output.substr(pos, next - pos));
    pos = next + 1;
  }
  return c;
}

class KernelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitCadKernel();
    InitGraphicsState();
    ClearErrorList();
    test::scriptedPrompter().clear();
    test::recordingLauncher().clear();
    test::recordingLauncher().installed.clear();
    fs::create_directories(dir / "tmp");
    fs::create_directories(dir / "blocks");
    programState.TempDir = (dir / "tmp").string();
    programState.CadDir = dir.path().string();
    cadKernel.UserBlockDir = (dir / "blocks").string();
    cadSettings.ExecCadFile = false;
  }
  void TearDown() override {
    RemoveWorkDir();
    for (CadOutput o : {CadOutput::Iges, CadOutput::Txt, CadOutput::Stl}) RegisterCadWriter(o, nullptr);
    ShareTextFile.Discard();
    InitAllSettings();
    InitCadKernel();
  }

  RecordingWriter& Register(uint16_t code, const std::string& ext, bool asFiles) {
    auto w = std::make_unique<RecordingWriter>(ext, asFiles);
    RecordingWriter& ref = *w;
    RegisterCadWriter(static_cast<CadOutput>(code), std::move(w));
    return ref;
  }

  // One output run: CadBeginOutput(code), the page 0..width x 0..height, what draw() draws, and
  // CadEndOutput.
  template <typename F>
  void OutputRun(uint16_t code, F&& draw, long double width = 160.0L, long double height = 120.0L) {
    CadBeginOutput(code);
    CadPageSetup(0.0L, 0.0L, width, height, 0.0L);
    draw();
    CadEndOutput();
  }

  // Messages shown (UTF-8 texts as the prompter saw them).
  std::vector<std::string> Messages() const {
    std::vector<std::string> m;
    for (const auto& a : test::scriptedPrompter().asked())
      if (a.kind == AskKind::Message) m.push_back(a.text);
    return m;
  }

  bool HasErrorMsg(const std::string& text) const {
    for (int32_t i = 1; i <= errorList.ErrorCount; ++i)
      if (errorList.ErrorMsgs[static_cast<size_t>(i)] == text) return true;
    return false;
  }

  test::ScratchDir dir;
};

}  // namespace qorva::cadtest
