#pragma once
// springfile: the shell's side of the spring data file: the save question before input would be
// lost, saving without the overwrite question, and the list of the four most recent files
// (desktopSettings.RecentFiles, entry 1 the newest, full paths with extension). No Qt here: the window
// shows the list in its File menu.

#include <cstdint>
#include <string>

#include "platform/services.h"
#include "spring/spring.h"

namespace qorva {

// Asks whether the changed input of the spring s is to be saved (or discarded) before the caller's
// operation loses it. Done when the operation may go on; Cancelled for Cancel or "keep my input";
// Failed when the save failed (told to the user; the input stays marked as changed, since it was not
// saved). ErrorFlag is left set unless it is Done.
Outcome AskSaveChanges(const Spring& s);

// Writes the spring s as WriteSpringFile does, with the overwrite question off during the call.
// True when saved.
bool SaveSpringFile(const Spring& s, const std::string& name);

// The list entry of a data file: TrimAndAddSlash(DataDir) + name + "." + DataExt.
std::string RecentFileEntry(const std::string& name);
// Puts the data file name (in DataDir) at the top of the list; an entry equal to it (without regard
// to case, also of the accented letters) is removed first, the oldest falls out.
void PushRecentFile(const std::string& name);
// Removes entry n (1..4); the later ones move up and entry 4 becomes empty.
void RemoveRecentFile(int32_t n);
// A path of 50 or more characters as its first part up to the first separator, "..." and the part
// from the last separator on; shorter paths, or paths without two separators, as they are.
std::string ShortenPath(const std::string& path);

// The default spring, "null.<DataExt>" in DataDir: start-up and File > New read it by this one
// lower-case name into the spring s. True when it was there and read; CurrentFileName is empty
// afterwards either way when it was read.
constexpr const char* kDefaultSpringName = "null";
bool DefaultSpringExists();
bool ReadDefaultSpring(Spring& s);

// What opening recent entry n did.
enum class RecentOpen {
  Stopped,   // the save question stopped it, or n names no entry
  Read,      // read and moved to the top of the list
  Failed,    // the file is there but could not be read
  Missing,   // the file is gone: the entry was removed and the user told
};
// The save question, then the file of entry n: read into the spring s (and pushed to the top), or, when it no longer
// exists, removed from the list with the message "File <path> not found !".
RecentOpen OpenRecentFileCore(Spring& s, int32_t n);

}  // namespace qorva
