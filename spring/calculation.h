#pragma once
// calculation: the calculation of the constant-force spring and its pre-design.
// Both work on the family and product parts of the given spring and its material record. After
// CalcSpring the message list holds its warnings and errors; programState.FatalError tells whether the
// results are usable. A fatal stop leaves every result at its previous value.

namespace qorva {

struct Spring;

// Turns, force, stresses, strip length, travel, mass, work and fatigue of the spring s.
void CalcSpring(Spring& s);
// t, b, Dn = Di and De of s from the wanted force Force2, travel Travel2, WidthThicknessRatio and
// StressRatio; then CalcSpring. False after a fatal stop (its own or the calculation's), which
// leaves s as it was and the messages in the list.
bool PreDesign(Spring& s);

}  // namespace qorva
