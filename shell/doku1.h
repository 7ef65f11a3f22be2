#pragma once
// doku1: the document links' commands: the document window (installed by the window part) and
// starting a link's program with its file or opening its file with the desktop's program. A link
// that cannot be started or opened is told to the user, never taken as done.

#include <functional>
#include <string>

#include "spring/dokuvar.h"

namespace qorva {

struct Doku1 {
  // Edits and launches the document links modally (the document window).
  std::function<void()> ShowDocumentLinks;
};

extern Doku1 doku1;

// Shows the document window; without one it sets ErrorFlag and changes nothing.
void ShowDocumentLinks();

// Starts program with file as its argument (none when the file is blank). False, after telling
// the user, when no program is named or it cannot be started.
bool ExecDocumentProgram(const std::string& program, const std::string& file);
// Opens file with the desktop's program for it. False, after telling the user, when no file is
// named, it does not exist or cannot be opened.
bool ExecDocumentFile(const std::string& file);

}  // namespace qorva
