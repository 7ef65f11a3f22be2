#pragma once
// hpglinterpreter: the help-picture interpreter. Reads a plotter file (the HP-GL subset the help pictures
// use: PU PD PA SP CI SI DI LB AA PE CS; anything else is skipped up to its ";") and draws it
// through the screen drawing routines (graphicsdraw), so the pictures land in the display list with
// or without a window. Callers set up the drawing area first (0..160 by 0..120 mm). No Qt here.

#include <string>

namespace qorva {

// Draws the picture file; true when it was read whole. A file that cannot be found or read:
// "<name> nicht gefunden !", nothing drawn (or what was read before the failure), ErrorFlag set.
// Otherwise ErrorFlag is clear on return.
bool DrawHpglFile(const std::string& fileName);

// Draws plotter commands held in memory (the file's bytes), with the same state and rules.
void DrawHpglText(const std::string& commands);

}  // namespace qorva
