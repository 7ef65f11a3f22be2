#pragma once
// spring: the spring as a value. A Spring holds what a spring data file stores (the title lines,
// the inputs, the material by record number and designation, the drawing texts, change records and
// title-block fields, the document links) together with the material record and the results of its
// last calculation. Start values come from NewSpring; Calculate works on a copy of a value.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "spring/drawingdata.h"
#include "spring/documentlinks.h"
#include "spring/productdata.h"
#include "spring/materialrecord.h"
#include "spring/familydata.h"

namespace qorva {

struct Spring {
  std::array<std::string, 4> TitleLines;  // [1..3], the lines every report and file of it is headed with
  FamilyData family;                         // material, band, load data, stresses, drawing names
  ProductData product;                         // coil geometry, forces, travels, results
  DrawingData drawing;                         // change records, title-block fields, drawing texts
  DocumentLinkList documents;
  // The title-block type its file carries: a file read makes it the setting desktopSettings.TitleBlockType,
  // and a file is written with the setting.
  int32_t TitleBlockType = 0;
  // The designation stored with the material number; empty in files of older versions.
  MaterialDesignation material;
};

// A new spring: the family defaults with the product's start inputs on top (material 12, b 50,
// t 0.5, De 85, Di 80, ...), no change records or drawing texts, the drawn, checked and standard
// dates today, every link opening its file with the desktop's program, empty title lines.
Spring NewSpring();
// Empties the three title lines of s.
void ClearTitleLines(Spring& s);

// What a calculation of a spring gave: its inputs with the results (material values, stresses,
// forces, travels, fatigue), the message list, and whether a fatal stop made the results unusable
// (they are then the values the spring came with).
struct CalcOutcome {
  FamilyData family;
  ProductData product;
  std::vector<std::string> messages;
  bool fatal = false;
};
// Calculates a copy of s with material rec (its designation, modulus and density taken over first)
// as CalcSpring does. s, every other spring and the message list stay as they were.
CalcOutcome Calculate(const Spring& s, const MaterialRecord& rec);

}  // namespace qorva
