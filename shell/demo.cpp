// demo: the demonstration tour and its texts.
#include "shell/demo.h"

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/yesnoprompt.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "spring/productdata.h"

namespace qorva {

std::string DemoFileName() { return TrimAndAddSlash(programState.PltDir) + LowerStr(programState.ProgStem) + ".dem"; }

void ReadDemoText(uint16_t n, char& flag1, char& flag2, std::string& text) {
  const std::string path = DemoFileName();
  TextFile f;
  f.Assign(path);
  if (!f.Reset()) {
    text = "Demosteuerdatei " + path + " " + "nicht gefunden" + " !";
    return;
  }
  std::string line;
  // Two header lines, the steps before, then the line that opens step n.
  const uint32_t skip = 2 + 4u * (n > 0 ? n - 1u : 0u) + 1;
  bool ended = false;
  for (uint32_t i = 0; i < skip && !ended; ++i) ended = f.Eof() || !f.ReadLn(line);
  if (ended || f.Eof()) {
    flag1 = '0';
    flag2 = '0';
    text = "Demotext Nr." + IntStr(n) + " " + "nicht vorhanden" + " !";
    f.Close();
    return;
  }
  f.ReadLn(line);
  flag1 = line.size() > 0 ? line[0] : '0';
  flag2 = line.size() > 1 ? line[1] : '0';
  text.clear();
  if (!f.Eof()) f.ReadLn(text);
  f.Close();
}

void DemoIntro() {
  ShowDosMessage(
      "QORVADEMO  ist  ein selbstablaufendes Demoprogramm, das Sie mit den M\x94glichkeiten des "
      "QORVA-Softwarepakets zur Berechnung von Konstantkraftfedern vertraut machen soll.");
  ShowDosMessage("Mit <OK> oder ENTER-Taste wird weitergeschaltet.");
}

namespace {

// After a cancelled command or a failed read: Yes ends the tour and leaves ErrorFlag set.
bool AskEndDemo() {
  auto& k = programState;
  if (!k.ErrorFlag) return false;
  k.ErrorFlag = false;
  if (AskYesNoCancel("Demomodus beenden ?") && !k.ErrorFlag) {
    k.DemoRun = false;
    k.ErrorFlag = true;
    return true;
  }
  k.ErrorFlag = false;
  return false;
}

}  // namespace

bool DemoNextStep(int32_t& n) {
  if (AskEndDemo()) return false;
  ++n;
  DemoMessagetype step;
  ReadDemoText(static_cast<uint16_t>(n), step.flag1, step.flag2, step.text);
  ShowDosMessage(step.text);
  return !AskEndDemo();
}

Outcome RunDemoTour(Spring& s, const DemoCommands& c) {
  auto& k = programState;
  k.ErrorFlag = false;
  k.DemoRun = true;
  int32_t n = 0;
  DemoIntro();
  PresetDemoSpring(s);
  const std::vector<std::vector<const std::function<void()>*>> steps = {
      {},
      {&c.helpPictures},
      {&c.editText},
      {&c.editMaterial},
      {&c.editPreDesign},
      {&c.editRecalculation, &c.viewQuick3},
      {&c.viewPrintout},
      {&c.cadProductionDrawing},
      {&c.fileSettings},
  };
  for (const auto& step : steps) {
    for (const auto* command : step) {
      if (*command) (*command)();
    }
    if (!DemoNextStep(n)) {
      k.DemoRun = false;
      return Outcome::Cancelled;
    }
  }
  k.DemoRun = false;
  return Outcome::Done;
}

}  // namespace qorva
