#pragma once
// spring: the spring as a value. A Spring holds what a spring data file stores (the title lines,
// the inputs, the material by record number and designation, the drawing texts, change records and
// title-block fields, the document links) together with the material record and the results of its
// last calculation. The spring the user has open is the current spring (yebglob9, qvaglob, aendvar,
// dokuvar and the title lines); CurrentSpring and MakeCurrent move a whole spring between a value
// and it, and Calculate works on a value without touching it.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "spring/aendvar.h"
#include "spring/dokuvar.h"
#include "spring/qvaglob.h"
#include "spring/yebfest9.h"
#include "spring/yebglob9.h"

namespace qorva {

struct Spring {
  std::array<std::string, 4> TitleLines;  // [1..3]
  Yebglob9 family;                         // material, band, load data, stresses, drawing names
  Qvaglob product;                         // coil geometry, forces, travels, results
  Aendvar drawing;                         // change records, title-block fields, drawing texts
  Dokuvar documents;
  int32_t TitleBlockType = 0;
  // The designation stored with the material number; empty in files of older versions.
  MaterialDesignation material;
};

// The spring the program has open. yebglob9, qvaglob, aendvar and dokuvar name its parts; its title
// lines and title-block type live in kwenvar and wkwenvar until CurrentSpring joins them.
Spring& OpenSpring();

// The current spring as a value, and the current spring made one whole value.
Spring CurrentSpring();
void MakeCurrent(const Spring& s);

// What a calculation of a spring gave: its inputs with the results (material values, stresses,
// forces, travels, fatigue), the message list, and whether a fatal stop made the results unusable
// (they are then the values the spring came with).
struct CalcOutcome {
  Yebglob9 family;
  Qvaglob product;
  std::vector<std::string> messages;
  bool fatal = false;
};
// Calculates s with material rec (its designation, modulus and density taken over first) as
// CalcSpring calculates the current spring. The current spring and its message list stay as they were.
CalcOutcome Calculate(const Spring& s, const YEB9WST_Record& rec);

}  // namespace qorva
