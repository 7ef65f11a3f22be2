#pragma once
// memorytables: virtual files, tables that live only in memory behind "USE ... VIRTUAL FILE" (or
// "LINKED LIST"). The record layer hands every record operation of such an area to VFileDispatch;
// the records form a doubly linked list kept in arrival order (FIFO), in reverse order (LIFO), in
// front of the current record (INSERTION) or sorted by the text a key function returns for the
// record in the buffer (ASCENDING, DESCENDING). Keys that both read as numbers compare as numbers,
// others as texts: that order is no strict weak ordering, so records are only ever placed by a
// binary search and re-inserted one by one, never sorted by a general sort, and the result is
// the same on every run. Equal keys keep their order of arrival.
// The list belongs to the work area (TDbfControlBlock::VFileStore), so a call made while another
// runs sees the list as it stands.
// May call: workAreas, tableFile, engineState.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "xbase/tablefile.h"

namespace qorva {

enum LStatusType : int32_t { FIFO = 0, LIFO = 1, INSERTION = 2, ASCENDING = 3, DESCENDING = 4 };

// The key of the record in the buffer of the current area.
using TXbKeyMaker = std::function<std::string()>;

// Start-up: installs VFileDispatch as engineState.VFileHandler.
void InitVFiles();
// Serves operation cb.VFileOp (1 close, 2 delete, 3 read, 4 open, 5 pack, 8 write, 9 recall) with
// cb.VFileArg.
void VFileDispatch(TDbfControlBlock& cb);

// On the current area, which must hold a virtual file:
// Field table from definitions (name, type, length, decimals; at most 255): M becomes N 10.
void AddStru(const std::vector<TDbfFieldEntry>& defs);
void Set_VFileKey_To(TXbKeyMaker key);
LStatusType Get_VFileMode();
void Set_VFileMode_To(LStatusType mode);
// Sorts the records by the key function and keeps them so (ASCENDING or DESCENDING).
void SortVFile(LStatusType mode);
// Removes the current record.
void SnipRec();

}  // namespace qorva
