#pragma once
// familydata: the family part of a spring: material and material values, band section, load data,
// stresses, fatigue results, drawing texts and the strip tolerance choice, with the option lists of
// the family. FamilyData{} holds the family's start values (material number 5, b = t = 0, cleared
// material record ...).
// Units: mm, N, N/mm², °C, kg/dm³. The product part (geometry, forces, travels) is productdata.

#include <array>
#include <cstdint>
#include <string>

#include "spring/materialrecord.h"

namespace qorva {

struct FamilyData {
  // Material.
  uint16_t MaterialNumber = 5;      // physical record number in the material table
  MaterialRecord MaterialRec;       // copy of the current material record
  std::string MaterialText;         // designation searched for standard numbers
  int32_t MaterialSource = 0;       // 0 preferred records, 1 all records, 2 typed in

  // Material values (at the current band thickness).
  long double EModulus = 210000;
  long double OperatingEModulus = 210000;
  long double Density = 7.8L;
  long double TensileStrength = 0;
  long double PermissibleStress = 0;  // 0: no material chosen yet

  // Band section.
  long double BandThickness = 0;    // t
  long double BandWidth = 0;        // b

  // Load data.
  uint16_t LoadType = 2;            // 1 static or quasi-static, 2 dynamic
  long double OperatingTemperature = 20;
  long double LoadFrequency = 0;    // Hz
  char ShotPeened = 'N';            // 'N' not shot-peened, any other character shot-peened

  // Stresses and fatigue results.
  long double Stress1 = 0;
  long double Stress2 = 0;
  long double StressN = 0;
  long double UpperStressLimit = 0;
  long double PermissibleStrokeStress = 0;
  long double CyclesToFracture = 0;
  long double FatigueSafetyFactor = 0;

  // Strip tolerances and surface.
  int32_t ToleranceStandard = 0;    // index into ToleranceClassNames, 0 = typed in
  long double ThicknessTolerance = 0;
  long double WidthTolerance = 0;
  uint16_t SurfaceKind = 0;         // 1..4 after SurfaceNames, 0 = not chosen

  // Drawing texts.
  std::string DrawingName;
  std::string DrawingNumber;
  std::string DrawingName2;
};


// Option lists (DOS code page). LoadTypeNames[1..2] and SurfaceNames[1..4] (index 0 unused);
// ToleranceClassNames[0..7].
extern const std::array<std::string, 3> LoadTypeNames;
extern const std::array<std::string, 5> SurfaceNames;
extern const std::array<std::string, 8> ToleranceClassNames;

}  // namespace qorva
