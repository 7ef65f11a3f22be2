#pragma once
// workdir: the private folder of one run of the program. Every work file the run makes (report
// copies, the CAD kernel's block files, the IGES parameter file, a copy of a table that must be
// changed, a command-line result before it is put in place) goes there, so that two runs started
// in one folder never meet in a file of a fixed name. The folder is made with mkdtemp inside the
// configured temporary folder (only this user may enter it) and removed with everything in it at
// the end of the run. Until it is made, work files go to TempDir itself. The run holds a lock on a
// mark inside its folder; making a folder first removes the folders of runs that died (killed by a
// signal, crashed) without removing theirs. No Qt here.

#include <string>

namespace qorva {

struct Workdir {
  std::string Dir;  // the run's private folder ("" until made), without a final "/"
  // A command-line run writes its result into the work folder; the shell puts it in place.
  bool ResultsInWorkDir = false;
};
extern Workdir workdir;

// Makes the run's private folder inside base (a run keeps the one it has), after removing from base
// the folders of runs that died: those of this user whose mark no living run holds, untouched for
// more than a minute. False when none can be made there.
bool MakeWorkDir(const std::string& base);
// Removes the private folder with everything in it and forgets it.
void RemoveWorkDir();
// The folder for work files, ending in "/": the private folder, else TrimAndAddSlash(TempDir).
std::string WorkFolder();
// A work file of that name.
std::string WorkPath(const std::string& name);
// True for a file inside the private folder: it goes with the folder at the end of the run, so
// waiting for the disk to hold it buys nothing.
bool IsWorkFile(const std::string& path);
// The file a command-line result of kind ext is written to: CurrentFileName + "." + ext, or that name
// in the work folder while ResultsInWorkDir is set (with "_" for a "\", which the file routines
// would take for a folder separator).
std::string BatchResultFile(const std::string& ext);
// The name a result or a caption gives the file at path: a file in the private folder is shown as
// the current file's name with the file's extension (the work file is gone when the result is
// read); any other file as it is.
std::string ShownFileName(const std::string& path);

}  // namespace qorva
