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
void mi_fileNewClick(MainWindow& form);
void mi_fileOpenClick(MainWindow& form);
void mi_FileSaveClick(MainWindow& form);
void mi_FileSaveAsClick(MainWindow& form);
void mi_fileConfigClick(MainWindow& form);

// Edit menu.
void mi_EditQuickClick(MainWindow& form);
void mi_EditTextClick(MainWindow& form);
void mi_EditMaterialClick(MainWindow& form);
void mi_editanwendungClick(MainWindow& form);
void mi_editAbmessClick(MainWindow& form);
void mi_editvorauslegungClick(MainWindow& form);

// View and CAD menus: a view on the screen or in a CAD file.
void mi_ViewStandardClick(MainWindow& form);
void ShowSpringView(MainWindow& form, int view);
void mi_cadworkingplanClick(MainWindow& form);
void mi_caddiagramsClick(MainWindow& form);

// Help menu.
void mi_helphandbuchClick(MainWindow& form);
void mi_helphistoryClick(MainWindow& form);
void mi_helpwwwClick(MainWindow& form);
void mi_helpDemoClick(MainWindow& form);

// The maker's web site; the program's own page is ProgStem + "_d.htm" there.
inline constexpr const char* kMakerSite = "https://www.kwendal.de/";

}  // namespace qorva
