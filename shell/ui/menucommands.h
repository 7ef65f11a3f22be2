#pragma once
// menucommands: what the items of the main window's menu bar do. Each command is one handler named
// after its item; it clears ErrorFlag where it tests it, calls the operations of the other modules
// in a fixed order and stops quietly as soon as a step sets ErrorFlag (the step has told the user).
// Commands that change the input mark it as modified and refresh the window. A command works on the
// spring of the window it is given.

namespace qorva {

class Thh;

// Wires every command of the menu bar to its item.
void WireMenuCommands(Thh& form);

// File menu.
void mi_fileNewClick(Thh& form);
void mi_fileOpenClick(Thh& form);
void mi_FileSaveClick(Thh& form);
void mi_FileSaveAsClick(Thh& form);
void mi_fileConfigClick(Thh& form);

// Edit menu.
void mi_EditQuickClick(Thh& form);
void mi_EditTextClick(Thh& form);
void mi_EditMaterialClick(Thh& form);
void mi_editanwendungClick(Thh& form);
void mi_editAbmessClick(Thh& form);
void mi_editvorauslegungClick(Thh& form);

// View and CAD menus: a view on the screen or in a CAD file.
void mi_ViewStandardClick(Thh& form);
void ShowSpringView(Thh& form, int view);
void mi_cadworkingplanClick(Thh& form);
void mi_caddiagramsClick(Thh& form);

// Help menu.
void mi_helphandbuchClick(Thh& form);
void mi_helphistoryClick(Thh& form);
void mi_helpwwwClick(Thh& form);
void mi_helpDemoClick(Thh& form);

// The maker's web site; the program's own page is ProgStem + "_d.htm" there.
inline constexpr const char* kMakerSite = "https://www.kwendal.de/";

}  // namespace qorva
