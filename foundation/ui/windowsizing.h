#pragma once
// windowsizing (window part): sizing and placing dialog windows by the configured percentages, sizing the
// graphics (main) window, and the largest client area the main window can have on the screen.
// The date, version and unit routines of the same family live in foundation/machinefacts.h.

#include <cstdint>

class QWidget;

namespace qorva {

// The graphics (main) window that dialogs are centred over; the main window registers itself at
// start. Without one the screen stands in for it.
void SetGraphForm(QWidget* form);
QWidget* GraphForm();

// Size := design size * DialogScale / 100, centred over the graphics window and 20 pixels lower,
// never left of or above its corner; fonts scaled by DialogFontScale / 100. The design size and font
// are those the form had at the first call, so showing a dialog again does not grow it again.
void ScaleCenterForm(QWidget* form);
// The same, placed at (HelpPicFormLeft, HelpPicFormTop).
void ScaleFormAt(QWidget* form);
// The same without moving the form.
void ScaleForm(QWidget* form);

// Client area (GraphResX + 1) x (GraphResY + 1) at (0, 0) in the background colour; tool tips stay
// 100 s. Of a main window only the drawing area (its central widget) takes the background colour. A resolution not configured (0) takes the largest client area.
void SetupGraphForm(QWidget* form);

// Screen width minus the graphics window's frame width.
int32_t MaxGraphClientWidth();
// Screen height minus 1.65 times the graphics window's frame height, rounded.
int32_t MaxGraphClientHeight();

}  // namespace qorva
