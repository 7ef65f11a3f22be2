#pragma once
// documentcommands: the document links' commands: the document window (the service DocumentLinks) and
// starting a link's program with its file or opening its file with the desktop's program. A link
// that cannot be started or opened is told to the user, never taken as done.

#include <string>

#include "platform/services.h"
#include "spring/documentlinks.h"

namespace qorva {

// Shows the document window: Done with OK, Cancelled when the user cancelled, Failed when there is
// no window (the user is told and nothing changes). ErrorFlag is left set unless it is Done.
Outcome ShowDocumentLinks();

// Starts program with file as its argument (none when the file is blank). False, after telling
// the user, when no program is named or it cannot be started.
bool ExecDocumentProgram(const std::string& program, const std::string& file);
// Opens file with the desktop's program for it. False, after telling the user, when no file is
// named, it does not exist or cannot be opened.
bool ExecDocumentFile(const std::string& file);

}  // namespace qorva
