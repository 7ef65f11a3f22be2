#pragma once
// workareas: the engine's work areas. 35 numbered slots each hold one open table (1..33 for callers,
// 35 the engine's scratch area); every command acts on the selected area (CurrentArea). Owns USE
// and closing, the field functions, the binary record buffer and navigation with the hiding of
// deleted records. Reads and writes records only through tableFile; reaches indexes, memo files
// and virtual files only through the hook records of engineState, and the locks through UnlockProc.
// May call: tableFile, engineState, nationalDates.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "xbase/enginestate.h"
#include "xbase/tablefile.h"

namespace qorva {

constexpr uint8_t MaxWorkAreas = 35;
constexpr uint8_t MaxUserAreas = 33;
constexpr uint8_t ScratchArea = 35;
constexpr uint16_t SharedOpenMode = XbModeReadWriteDenyNone;
constexpr uint16_t ExclusiveOpenMode = XbModeReadWriteDenyAll;

struct WorkAreas {
  uint8_t CurrentArea = 1;
  std::array<std::unique_ptr<TDbfControlBlock>, MaxWorkAreas + 1> WorkAreaTable;  // [1..35]
  uint16_t OpenModeOverride = 0xFFFF;  // below 0xFFFF: its low byte is the mode of USE
  // Releases every lock of the current area; installed by the locking module. Without it,
  // closing an area only forgets the locks (closing the file releases them).
  std::function<void()> UnlockProc;
  // The record coding the next USE gives its table (USEWithHooks).
  TRecordHook NextEncode;
  TRecordHook NextDecode;
};
extern WorkAreas workAreas;

// Start-up of the work-area module: CurrentArea 1, DbfUnitLinked. Areas must be closed before.
// The engine's start-up (XbStartEngine, engine.h) runs it.
void InitWorkAreas();

// The record of area n (1..35), nullptr when free or out of range.
inline TDbfControlBlock* AreaBlock(uint8_t n) {
  return n >= 1 && n <= MaxWorkAreas ? workAreas.WorkAreaTable[n].get() : nullptr;
}
// The record of the current area, nullptr when the area is free.
inline TDbfControlBlock* CurrentBlock() { return AreaBlock(workAreas.CurrentArea); }
// Reports 215 on a free area (routine text in the context) and returns false.
bool CheckArea(const std::string& routine);
inline bool CheckArea(const char* routine) { return CurrentBlock() != nullptr || CheckArea(std::string(routine)); }
// A shared table's count from its file size (records appended by others); the records read ahead
// are dropped, so that what follows reads the file as it is now.
void RefreshCount();

void Select(int32_t n);  // 0: lowest free of 1..33
uint8_t SelectedArea();
// Closes the current area (when that fails, so does the command: nothing is opened), then opens
// the table the command names: "<file>[ EXCLUSIVE][ ALIAS <alias>]", the words in any case. The
// file name is used as written; only a last name that is not there as written is looked up whatever
// its case, and the area goes by the name of the file opened (FileName, AreaFileName), which the
// names of its memo file and indexes follow. buffer/size: the caller's binary record buffer,
//   nullptr/0 to let the area allocate it. A command naming a "VIRTUAL FILE" or "LINKED LIST"
//   installs a virtual work-area record (IsVirtual, FileName = the command, the caller's buffer)
//   and hands it to VFileHandler with VFileOp 4; without a handler it is error 1101.
void USE(const std::string& command, uint8_t* buffer = nullptr, uint32_t size = 0);
// USE with the program's own record coding: encode changes every record going to the file, decode
// every record read from it (bytes after the deletion byte, as stored).
void USEWithHooks(const std::string& command, TRecordHook encode, TRecordHook decode);
// Closing completes the table (records held back, header, end-of-file byte). The area ends free
// whatever fails; the first failure is then reported as the command's own.
void CloseArea();
// Closes every area; the first failure is reported once all are closed.
void CloseAll();

uint8_t FieldCount();
std::string Field(int32_t n);
uint8_t FieldNo(const std::string& name);
char FieldType(int32_t n);
uint8_t FieldLen(int32_t n);
uint8_t FieldDec(int32_t n);
// Field n's slot in the binary record (0: the deletion flag). From then on the area keeps every
// slot filled on every move, so that the pointer shows the current record; the typed readers
// below need no pointer and let a walk decode only the fields it reads.
uint8_t* FieldAddress(int32_t n);
std::string SField(int32_t n);
uint16_t RecSize();
bool Deleted();
void ClearRecord();
int32_t RecCount();
int32_t RecNo();
bool dEOF();
bool dBOF();
void GoTop();
void GoBottom();
void GoFirst();
void GoLast();
void SKIP(int32_t n = 1);
void GO(int32_t n);
bool GoIfValid(int32_t n);
void Dbf4RawGo(int32_t n);
bool SetIgnoreDel(bool flag);
bool MoveOffInvisible();
std::string AreaFileName();
std::string AreaAlias();
// The current area's walk follows a controlling index (asked on every move).
inline bool IndexActive() {
  return engineState.IndexUnitLinked && engineState.IndexHooks.IsActive && CurrentBlock() && engineState.IndexHooks.IsActive();
}
// Re-reads the current record from the file into RawRecord and the binary record (SKIP(0)).
void RereadRecord();

// Typed access to field n of the current binary record. Getters give the neutral value
// ("", 0, false) on a bad field number or a free area (with the error reported); setters change
// only the binary record (Replace or Append writes it) and mark the field as given a value, so that
// 0 or false given to a blank field is written (see TDbfControlBlock::Assigned).
// Whether field n of the current record stores no value: a blank (or "*"-filled) number, a blank
// logical, a blank date. The getters read such a field as 0, false or the empty date.
bool FieldEmpty(int32_t n);
std::string GetFieldText(int32_t n);  // C and D: the short text (D in the national date format)
// The same text put into `text` (its room is used again: a walk reading a field of every record
// allocates no memory for it); "" on the errors above.
void GetFieldText(int32_t n, std::string& text);
// The same text as a view into the area's record, valid until the area moves, closes or the field
// is given a value; "" on the errors above. Reads a text without copying it.
std::string_view GetFieldView(int32_t n);
long double GetFieldReal(int32_t n);  // N and F (either slot form)
int64_t GetFieldInt(int32_t n);       // N and F (a real is truncated)
bool GetFieldBool(int32_t n);         // L
int32_t GetFieldMemo(int32_t n);      // M
void SetFieldText(int32_t n, const std::string& text);  // C (cut or padded), D (date text)
void SetFieldReal(int32_t n, long double value);         // N, F
void SetFieldInt(int32_t n, int64_t value);              // N, F
void SetFieldBool(int32_t n, bool value);                // L
void SetFieldMemo(int32_t n, int32_t block);             // M
void SetDeletedFlag(bool deleted);

}  // namespace qorva
