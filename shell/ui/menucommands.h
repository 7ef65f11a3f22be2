#pragma once
// menucommands: what the items of the main window's menu bar do. Each command is one handler named
// after its item; it clears ErrorFlag where it tests it, calls the operations of the other modules
// in a fixed order and stops quietly as soon as a step sets ErrorFlag (the step has told the user).
// Commands that change the input mark it as modified and refresh the window. A command works on the
// spring of the window it is given.

namespace qorva {

class MainWindow;

// Wires every command of the menu bar to its item.
void WireMenuCommands(MainWindow& form);

// File menu.
void fileNewTriggered(MainWindow& form);
void fileOpenTriggered(MainWindow& form);
void fileSaveTriggered(MainWindow& form);
void fileSaveAsTriggered(MainWindow& form);
void fileSettingsTriggered(MainWindow& form);

// Edit menu.
void editInputSequenceTriggered(MainWindow& form);
void editDrawingTextTriggered(MainWindow& form);
void editMaterialTriggered(MainWindow& form);
void editApplicationTriggered(MainWindow& form);
void editDimensionsTriggered(MainWindow& form);
void editPreDesignTriggered(MainWindow& form);

// View and CAD menus: a view on the screen or in a CAD file.
void viewPrintoutTriggered(MainWindow& form);
void ShowSpringView(MainWindow& form, int view);
void cadProductionDrawingTriggered(MainWindow& form);
void cadChooseViewTriggered(MainWindow& form);

// Help menu.
void helpManualTriggered(MainWindow& form);
void helpProgramPageTriggered(MainWindow& form);
void helpHomepageTriggered(MainWindow& form);
void helpDemoTriggered(MainWindow& form);

// The maker's web site; the program's own page is ProgStem + "_d.htm" there.
inline constexpr const char* kMakerSite = "https://www.kwendal.de/";

}  // namespace qorva
