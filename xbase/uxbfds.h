#pragma once
// uxbfds: the dataset bound to a DBF file. Opens it with USE (exclusive, read-only), and writes
// records under the engine's locks: an append lock for new records, a record lock for rewriting,
// deleting and recalling, each released right after the write. A refused lock asks the matching
// retry event; without one (or when it declines) "Sperren fehlgeschlagen [<op>]" is shown and the
// file stays as it was.
// May call: uxbcds, ucommon, delimited, xbprimds, dbf4, dbf4lock, xbcommon.

#include <functional>
#include <string>

#include "xbase/uxbcds.h"

namespace qorva {

class TXbFileDataSet : public TXbCDataSet {
 public:
  // Answers whether to try the refused lock again.
  using TXbLockFailedEvent = std::function<bool(TXbFileDataSet& sender)>;

  bool Exclusive = false;
  bool ReadOnlyOpen = false;  // the dataset writes nothing
  std::string Alias;

  TXbLockFailedEvent OnRLockFailedOnPost;
  TXbLockFailedEvent OnALockFailedOnInsert;
  TXbLockFailedEvent OnRLockFailedOnDelete;
  TXbLockFailedEvent OnRLockFailedOnRestore;

  // Explicit locks of the dataset's table.
  bool ALock();
  bool FLock();
  void UnLock();

  // Appends the records of a delimited text file; the number appended.
  int32_t AppendFromDelimited(const std::string& file);
  // Writes the visible records as delimited text; the number written. The cursor stays.
  int32_t CopyToDelimited(const std::string& file);
  bool ShowProgress = true;

 protected:
  bool ReadOnly() const override { return ReadOnlyOpen; }
  bool s_OpenArea() override;
  bool s_AppendWithLock() override;
  bool s_ReplaceWithLock() override;
  bool s_DeleteWithLock() override;
  bool s_RestoreWithLock() override;

 private:
  bool WriteWithLock(const char* op, bool appendLock, const TXbLockFailedEvent& event,
                     const std::function<void()>& write);
};

// The dataset the program's windows use.
using TXbDbf = TXbFileDataSet;

}  // namespace qorva
