#pragma once
// packrecovery: what a run that died leaves behind, and the pack as one transaction.
//
// A pack replaces the table, its memo file and its indexes one file after the other. Its journal
// (the table's name with the extension "$PJ") makes the table and the memo file one step: before
// the first file changes, the old files get a second name (a hard link, else a copy) and the
// journal names them and is synced; when the new files are complete and synced, the journal goes
// (the step), then the old files. While it works, the packing program holds a lock on the journal.
// The next open of a table whose journal nobody holds finds a pack that died and puts the old
// files back. Indexes are not in the journal: each carries the stamp of the table state it was
// built for (ndxEngine), so an index the pack did not get to rebuild is built again at its next open.
//
// Temporary files of the engine are held locked by the program writing them; one that nobody
// holds and that is older than a minute belongs to a run that died and is removed when the table
// of its folder opens.
// May call: engineState, platform.

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace qorva {

// Marks a temporary file as in use while fd stays open (others' sweeps leave it alone).
void XbHoldTemp(int fd);
// Removes the file when it exists, no open file holds it and it is older than a minute.
void XbRemoveIfUnheld(const std::string& path);

// At the open of a table (its real name on disk): undoes a pack that died and removes the
// temporary files of dead runs that belong to it. Does nothing while another program packs it.
void XbRecoverTable(const std::string& table);

// The journal of one pack. Begin before the first file changes; Commit when the new files are
// complete; without Commit, the destructor (or the next open) puts the old files back.
class TPackJournal {
 public:
  TPackJournal() = default;
  ~TPackJournal();
  TPackJournal(const TPackJournal&) = delete;
  TPackJournal& operator=(const TPackJournal&) = delete;

  // files: the table first, then the memo file if any (real names). 0, or 33 when another
  // program packs the table, or the system's error code.
  uint16_t Begin(const std::vector<std::string>& files);
  // Syncs the new files, then ends the transaction: the new state stays. 0 or an error code (the
  // transaction then stays open and Undo puts the old files back).
  uint16_t Commit();
  // Puts the old files back under their names; false when that failed (the journal then stays for
  // the next open to finish).
  bool Undo();
  bool Active() const { return fd_ >= 0; }

 private:
  void Close();
  int fd_ = -1;
  std::string name_;
  std::vector<std::pair<std::string, std::string>> files_;  // (old file's second name, name)
};

// Test seam: called at each step of a pack with a journal (1 journal written, 2 table replaced,
// 3 memo file replaced, 4 files synced, 5 journal gone); a non-zero result fails the step with
// that system error.
struct PackRecovery {
  std::function<int(int step)> PackStep;
};
extern PackRecovery packRecovery;
int XbPackStep(int step);

}  // namespace qorva
