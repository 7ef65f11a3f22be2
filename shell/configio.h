#pragma once
// configio: the configuration file "<ProgStem>.cfg" and the session file "<ProgStem>.cff" in
// ConfigDir, and the check of the configured folders at start-up.
//
// The settings live in the foundation's settings modules (programState, desktopSettings, graphicsSettings, printSettings,
// cadSettings, view3d); this module only reads and writes them through ShareTextFile, so no other file
// may be open through it while one of these routines runs. The order of the lines alone defines the
// configuration format: label lines are written for the reader of the file and skipped on reading.
//
// Nothing here throws or ends the program. A damaged or short file stops at the next point where
// the reader tests for the end of the file; lines that are no number read as 0 and pass through the
// setting's own rule. Both files are rewritten through a temporary file that replaces the old one
// only when it was written completely; a failed write is reported and sets ErrorFlag.

#include <cstdint>
#include <string>

namespace qorva {

// What the configuration reader needs of the main window are the services MaxClientWidth,
// MaxClientHeight, SetClientSize and WindowHeightRatio; a run without a window installs the
// screen in the window's place (HeadlessServices).

// "<TrimAndAddSlash(ConfigDir)><ProgStem>.cfg" and ".cff".
std::string ConfigFileName();
std::string SessionFileName();

// The folders looked in after ConfigDir: "$XDG_CONFIG_HOME/kwendal/" and
// "$XDG_CONFIG_HOME/kwendal/<ProgStem>/" ("~/.config" when the variable is unset, empty or not an
// absolute path). Empty when neither the variable nor HOME gives a folder.
std::string ConfigHomeDir();

// Finds the configuration file (ConfigDir, then the two folders above; ConfigDir becomes the folder
// it was found in) and reads it into the settings; true when it was read. No file: ConfigDir becomes
// the first of the folders above (unless ConfigHomeDir is empty), so that the settings and the
// session are saved where every later start finds them; screen-derived window and dialog sizes,
// ErrorFlag and false. A damaged file is told, none of its values taken, ErrorFlag set and false.
bool ReadConfigFile();
// The closing step of a read that got past the printer entries: window and dialog sizes derived from
// the screen, then the file is closed.
void FinishConfigRead();
// Writes every setting into ConfigDir (made, for this user alone, when it is the missing
// ConfigHomeDir); true when written. Nothing, and false, while ErrorFlag is set; a file that cannot
// be written is told (the old one stays), ErrorFlag set and false.
bool WriteConfigFile();

// Empty folder settings get their places: the table, picture and program folders the program's data
// folder (datafolder.h; the start folder when there is none), the others the start folder (the run's
// work folder then goes to the system's temporary folder, startup.h). A folder filled in this way is
// kept in programState.FolderStandIns, and the configuration file keeps its setting empty. Unusable
// folders are reported (the temporary folder is asked for again).
void CheckDirectories();

// Fills RecentFiles[1..4] from the session file (all four empty when there is none). False only for
// a damaged file: told, no entry of it taken, ErrorFlag set.
bool ReadSessionFile();
// Writes the session file into ConfigDir (made as for the configuration) when RecentFiles[1] is set
// (true too when there is nothing to write).
// False, with the user told and ErrorFlag set, when it could not be written.
bool WriteSessionFile();

}  // namespace qorva
