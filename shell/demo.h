#pragma once
// demo: the demonstration tour of Help > Demo. The tour runs a fixed list of menu commands and
// shows after each one a text of the demonstration file "<PltDir>/<ProgStem>.dem" (DOS code page):
// two header lines, then four lines per step: one not read, the flag line, the text, one not read.
// The user works every dialog of the tour as usual; a cancelled one asks whether the tour is to end.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/services.h"
#include "spring/spring.h"

namespace qorva {

// One step of the demonstration file: two flag characters (kept, not used) and the text.
struct DemoMessagetype {
  char flag1 = '0';
  char flag2 = '0';
  std::string text;
};

std::string DemoFileName();

// Step n of the demonstration file. A file that cannot be opened gives the text "Demosteuerdatei
// <path> nicht gefunden !" and leaves the flags; a file that ends before step n gives flags "0" and
// "Demotext Nr.<n> nicht vorhanden !". A flag line shorter than two characters counts its missing
// flags as "0".
void ReadDemoText(uint16_t n, char& flag1, char& flag2, std::string& text);

// The two introduction boxes.
void DemoIntro();

// The hand-over between two commands of the tour: after a cancelled command the question
// "Demomodus beenden ?" (Yes ends the tour: DemoRun false and ErrorFlag set; No or Cancel go on),
// then the next text of the file. False when the user ended the tour.
bool DemoNextStep(int32_t& n);

// The tour with the menu commands it runs in their order: Help picture browser, Edit > Text,
// Edit > Material, Edit > Pre-Dimensioning, Edit > Recalculation followed by View > Quick 3,
// View > Printout, CAD > Production drawing and File > Settings. Each entry is one step; the spring
// s, which the commands show, is preset as the demonstration spring before the first. Ends with
// DemoRun false in every case: Done after the last step, Cancelled when the user ended the tour before.
struct DemoCommands {
  std::function<void()> helpPictures, editText, editMaterial, editPreDesign, editRecalculation, viewQuick3,
      viewPrintout, cadProductionDrawing, fileSettings;
};
Outcome RunDemoTour(Spring& s, const DemoCommands& commands);

}  // namespace qorva
