#pragma once
// qvarech: the calculation of the constant-force spring and its pre-design.
// Both work on the spring data (yebglob9, qvaglob) and the current material record. After
// CalcSpring the message list holds its warnings and errors; kwenvar.FatalError tells whether the
// results are usable. A fatal stop leaves every result at its previous value.

namespace qorva {

// Turns, force, stresses, strip length, travel, mass, work and fatigue of the current spring.
void CalcSpring();
// t, b, Dn = Di and De from the wanted force Force2, travel Travel2, WidthThicknessRatio and
// StressRatio; then CalcSpring. A fatal stop (its own or the calculation's) leaves the spring as it
// was, the messages in the list.
void PreDesign();

}  // namespace qorva
