#pragma once
// windowtext: the texts of the program at the window boundary. Windows code page 1252 bytes <-> UTF-8,
// and DOS (437) texts <-> UTF-8 through the program's own DosToWin/WinToDos, so what a window shows
// is exactly what a Windows-code-page file or printer gets. Any length; no Qt here.

#include <string>

namespace qorva {

// Windows code page 1252 bytes to UTF-8 (the five unassigned bytes become the C1 controls).
std::string WinToUtf8(const std::string& win);
// UTF-8 to Windows code page 1252. Box-drawing characters become "|", "-" or "+", every other
// character without a Windows byte and every invalid UTF-8 byte becomes "?".
std::string Utf8ToWin(const std::string& utf8);

// A DOS text for display as UTF-8: WinToUtf8(DosToWin(dos)); follows the plain-ASCII setting.
std::string DosToUtf8(const std::string& dos);
// Typed UTF-8 text back to the DOS code page: WinToDos(Utf8ToWin(utf8)).
std::string Utf8ToDos(const std::string& utf8);

}  // namespace qorva
