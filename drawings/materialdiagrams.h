#pragma once
// materialdiagrams: the material diagrams. The fatigue diagram (Goodman: upper over lower stress;
// Haigh-Goodman: stroke over lower stress) with the lines for 10 million, 1 million and 100 000
// load cycles, the spring's working point and a value block, drawn into a page the caller has
// opened; and the two diagrams over the band thickness (tensile strength Rm = f(t) and permissible
// bending stress Sigma b zul = f(t)), which open their own output and page.
// They belong with the material laws (materialrecord) but draw through the diagram library and the CAD
// kernel, so they live on the graphics side.

#include <cstdint>

#include "spring/spring.h"

namespace qorva {

// The fatigue diagram of the spring s into the open page; kind 2 Haigh-Goodman, any other value
// Goodman. Expects a calculated spring, an open drawing output and a DiagramReset by the caller. The
// upper-stress limit and the permissible stroke stress it shows come from its own evaluation at t;
// the spring is not changed. Draws nothing while programState.ErrorFlag is set after the evaluation or
// the calculation has failed (FatalError).
void DrawGoodmanDiagram(const Spring& s, uint16_t kind, long double t);
// Kind 3: tensile strength over thickness; kind 4: permissible bending stress over thickness, for
// the material and stresses of the spring s. Opens the output device (a CadOutput code; None: the
// user chooses), draws the page and ends it. With FatalError set the calculation messages are shown
// instead.
void DrawMaterialDiagram(const Spring& s, uint16_t kind, uint16_t device, long double t);
// RmOfThickness(t) x the SigmaFactor of the material of s (a factor of 0 is not replaced here).
long double PermissibleStressOfThickness(const Spring& s, long double t);
// The Rm(t) curve of the material of s, then the strength table.
void DrawRmCurve(const Spring& s);
// The sigma zul(t) curve, the stresses of s at t, then the strength table.
void DrawPermissibleStressCurve(const Spring& s, long double t);
// Rm and sigma zul of the material of s at six thicknesses as a ruled table, and the two laws as text.
void DrawStrengthTable(const Spring& s);
// The value block of s beside the thickness diagrams, one text line each.
void WriteMaterialValueLines(const Spring& s, long double t);

}  // namespace qorva
