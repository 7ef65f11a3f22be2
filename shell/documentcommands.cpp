// documentcommands: document link commands.
#include "shell/documentcommands.h"

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "platform/launcher.h"
#include "platform/services.h"

namespace qorva {

Outcome ShowDocumentLinks() {
  const Outcome shown = services().DocumentLinks().value_or(Outcome::Failed);
  // The menu command ends on ErrorFlag.
  programState.ErrorFlag = shown != Outcome::Done;
  return shown;
}

bool ExecDocumentProgram(const std::string& program, const std::string& file) {
  const std::string prog = TrimStr(program);
  if (prog.empty()) {
    ShowErrorBox("Kein Programm angegeben !");
    return false;
  }
  const std::string document = TrimStr(file);
  // A link written on Windows names a program this machine does not have: the desktop's program
  // for the document stands in for it.
  if (!document.empty() && !launcher().programExists(prog)) {
    if (launcher().openDocument(document)) return true;
    ShowErrorBox(CannotStartText(DesktopOpener));
    return false;
  }
  std::vector<std::string> args;
  if (!document.empty()) args.push_back(document);
  if (!launcher().startProgram(prog, args)) {
    ShowErrorBox(CannotStartText(prog));
    return false;
  }
  return true;
}

bool ExecDocumentFile(const std::string& file) {
  const std::string name = TrimStr(file);
  if (name.empty()) {
    ShowErrorBox("Keine Datei angegeben !");
    return false;
  }
  if (!FileCanOpen(name)) {
    ShowErrorBox("Datei nicht gefunden: " + name);
    return false;
  }
  if (!launcher().openDocument(name)) {
    ShowErrorBox("Datei kann nicht ge\x94" "ffnet werden: " + name + MissingProgramHint(DesktopOpener));
    return false;
  }
  return true;
}

}  // namespace qorva
