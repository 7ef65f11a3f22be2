#pragma once
// datafolder: where the files the program ships are found (material table, print presets, help
// texts and pictures, picture index, error help, demonstration texts, manual), and where a shipped
// file goes once the user changes it. No Qt here.
//
// The program's data folder is data/ of the source tree while the program runs from its build tree,
// and <prefix>/share/qorva once installed. Folders the configuration names win over it. A shipped
// file in that folder is never written: its first change goes to the user's copy in
// $XDG_DATA_HOME/qorva (else ~/.local/share/qorva), made from the shipped file, and from then on the
// user's copy is read in its place.

#include <string>

namespace qorva {

struct Datafolder {
  std::string Shipped;     // the program's data folder ("" while not found), without a final "/"
  std::string UserCopies;  // the folder of the user's changed copies ("" when there is no home)
};
extern Datafolder datafolder;

// Both folders unknown (the start of every run and of every test).
void InitDatafolder();

// The data folder of the running program: the source tree's data folder for a program of the build
// tree; else <folder of the program>/../share/<stem>. "" when there is none.
std::string FindShippedFolder(const std::string& stem);
// $XDG_DATA_HOME/<stem>, else $HOME/.local/share/<stem>; "" when neither is set.
std::string FindUserCopyFolder(const std::string& stem);
// Sets both folders for the program of that stem (lower case), unless they are known already.
void LocateDataFolders(const std::string& stem);

// Whether dir is the program's data folder (also written otherwise, with a final "/" or through a link).
bool IsShippedFolder(const std::string& dir);
// The file name of folder dir to read: the user's copy when dir is the program's data folder and
// the user has changed the file, else dir/name.
std::string DataFileToRead(const std::string& dir, const std::string& name);
// The file name of folder dir to change: in the program's data folder the user's copy, made from
// the shipped file when there is none yet (writable for the user); else dir/name. "" after telling
// the user why no copy could be made (ErrorFlag set).
std::string DataFileToChange(const std::string& dir, const std::string& name);

}  // namespace qorva
