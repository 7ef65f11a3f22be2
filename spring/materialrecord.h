#pragma once
// materialrecord: the material record and the strength laws of the spring material.
// The record MaterialRecord is filled from the material table "yeb9wst" by field NUMBER (1..29), never
// by field name; the laws give the tensile strength over the band thickness, the modulus of elasticity
// at the operating temperature and the Goodman fatigue evaluation (permissible stroke stress, load
// cycles to fracture, fatigue safety factor).
// The routines work on the family part of the spring (or the material record) they are given; the
// table is reached through materialTable()
// (materialtable.h), the help topic through SetPromptHelp (messagebox.h). Messages go to the
// calculation's message list (AddErrorMsg).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qorva {

struct FamilyData;

// One material: 29 members in the order of the table fields 1..29. Defaults are the cleared record
// of the start-up (every text empty, every integer 0, the reals as noted).
struct MaterialRecord {
  std::string Text1;            // 1  designation; searched for the standard numbers
  std::string Text2;            // 2
  std::string Text3;            // 3  shown in brackets in the Goodman label
  std::string Text4;            // 4
  int32_t EModInt = 0;          // 5  E at 20 °C, N/mm²
  double Rho = 7.8;             // 6  density, kg/dm³
  int32_t Rm0 = 0;              // 7  tensile strength at DR0
  double DR0 = 1.0;             // 8  reference thickness of the tensile-strength law
  int32_t RmMax = 0;            // 9  cap of the tensile strength, applied only above 1
  int32_t RmSlope = 0;          // 10 decrease of Rm per decade of t / DR0
  double GoodmanT0 = 1.0;       // 11 reference thickness of the Goodman values; <= 0: no Goodman data
  int32_t SigO = 0;             // 12 not shot-peened: upper-stress limit at GoodmanT0
  int32_t SigOSlope = 0;        // 13 decrease of SigO per decade
  int32_t SigH0 = 0;            // 14 permissible stroke stress at lower stress 0
  int32_t SigH0Slope = 0;       // 15 decrease of SigH0 per decade
  double GoodmanSlope = 0;      // 16 slope m of the Goodman line
  int32_t SigOShot = 0;         // 17..21 the same for shot-peened strip
  int32_t SigOSlopeShot = 0;    // 18
  int32_t SigH0Shot = 0;        // 19
  int32_t SigH0SlopeShot = 0;   // 20
  double GoodmanSlopeShot = 0;  // 21
  double DMIN = 0;              // 22 smallest recommended band thickness
  double DMAX = 0;              // 23 largest recommended band thickness; 0 = no limit
  int32_t Value24 = 0;          // 24..26 carried, not read
  double Value25 = 0.3;         // 25
  double Value26 = 0;           // 26
  double SigmaFactor = 0.75;    // 27 permissible-stress factor sigma zul / Rm
  std::string Text28;           // 28 carried, not read
  int32_t ListNo = 0;           // 29 the material's own number in the material list
};

// The four designation texts of a material (table fields 1 to 4, DOS code page, without the blanks
// that pad them): what a spring data file keeps beside the record number, which may come to name
// another material once the table is packed or reordered.
struct MaterialDesignation {
  std::array<std::string, 4> texts;
  bool empty() const;
  bool operator==(const MaterialDesignation&) const = default;
};
MaterialDesignation DesignationOf(const MaterialRecord& rec);
// The non-empty texts separated by blanks, for a message.
std::string DesignationText(const MaterialDesignation& d);

// Every record of the material table, read in one opening: spring files find their material by
// number and by designation without the table being opened again for each of them.
class MaterialCatalog {
 public:
  // Reads the table; false (told by the table access, ErrorFlag set) when it cannot be opened.
  bool load();
  // Record n (1-based); nullptr when the table has no record n.
  const MaterialRecord* byNumber(uint32_t n) const;
  // The number of the first record with designation d; 0 when there is none or d is empty.
  uint32_t numberOf(const MaterialDesignation& d) const;
  // The designation of record n (n within the table).
  const MaterialDesignation& designationOf(uint32_t n) const { return designations_[n - 1]; }

 private:
  std::vector<MaterialRecord> records_;  // [0] is record 1
  std::vector<MaterialDesignation> designations_;  // of records_
};

// Stores the table text of field n (1..29) converted into its member: texts from the Windows to the
// DOS code page, integers and reals as numbers (0 for text that is no number; blanks around a number
// are ignored). Other n are ignored.
void SetMaterialField(MaterialRecord& rec, int n, const std::string& windowsText);

// Copies fields 1..29 of the current record of the open material table into rec; does nothing while
// programState.ErrorFlag is set. A permissible-stress factor of 0 becomes 0.7.
void LoadMaterialRecord(MaterialRecord& rec);
// Opens the material table, loads record n into g.MaterialRec and takes over designation, E and
// density. False (g unchanged) when the table cannot be opened or has no record n. With exact set, a
// number beyond the last record loads nothing and gives false instead of taking the last record (a
// stored spring must get its own material or none).
bool LoadMaterialByNumber(FamilyData& g, uint16_t n, bool exact = false);
// What became of a choice from the material table.
enum class MaterialChoice {
  Chosen,     // accepted (mode 1: taken over into the spring)
  Cancelled,  // the user closed the table without a choice
  Failed,     // the table could not be opened (told, and in the message list)
};
// Mode 0: the user views the table; g stays as it is. Mode 1: the user chooses a preferred material,
// which becomes g.MaterialNumber and g.MaterialRec and is taken over (TakeOverMaterial). A choice that
// is not Chosen sets programState.ErrorFlag and leaves g as it was.
MaterialChoice SelectMaterial(FamilyData& g, uint16_t mode);
// Opens the material table ordered by field 27 for the material window; the table stays open.
bool OpenMaterialTableIndexed();
// g.MaterialText := Text1; g.EModulus := EModInt; g.Density := Rho of g.MaterialRec.
void TakeOverMaterial(FamilyData& g);
// TensileStrength, PermissibleStress, EModulus and Density of g at its BandThickness; a typed-in
// material (MaterialSource 2) keeps its own.
void MaterialValuesAtT(FamilyData& g);
// Tensile strength of material rec at thickness t (0.1 with a message when t <= 0 or DR0 = 0).
long double RmOfThickness(const MaterialRecord& rec, long double t);
// Modulus of elasticity at temperature theta (°C) by the rule of the first standard number found in
// standardText: "10270-3"/"12166", "10270-1"/"10270-2"/"10089", else the general rule.
long double EModulusAtTemp(const std::string& standardText, long double e, long double theta);
// Goodman values of g's material at thickness t for the stresses sigma1 (lower) and sigma2 (upper) of
// the load cycle under g's load type and peening; sets g.CyclesToFracture and g.FatigueSafetyFactor
// and adds the fatigue messages. x is written only where the Goodman line is used.
void GoodmanEvaluation(FamilyData& g, long double t, long double sigma1, long double sigma2, long double& sigmaO,
                       long double& sigmaH0, long double& m, long double& x, long double& sigmaHz,
                       std::string& label);
// The calculation's fatigue step on g: the Goodman evaluation on the working stresses scaled by
// k = 0.56 / SigmaFactor; sets UpperStressLimit and PermissibleStrokeStress (both scaled back).
void EvaluateFatigue(FamilyData& g, long double t, long double sigma1, long double sigma2);

}  // namespace qorva
