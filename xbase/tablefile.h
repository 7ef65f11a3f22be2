#pragma once
// tablefile: the table file layer. Opens a dBase table and reads its header and field descriptors
// into a work-area record, reads and writes single records by number, the deletion byte, the
// header's count and date and the end-of-file byte, creates new tables with their empty memo files,
// converts record text between the DOS code page and Windows, and turns the stored record into the
// engine's binary record and back. Knows nothing of work-area numbers, indexes or locks.
// May call: engineState, nationalDates, the clock seam, and VFileHandler for virtual files.
//
// Every operation reports through XbSetError / XbErrorCode; callers test XbErrorCode after a call.
// A damaged header is refused at open; nothing is read past a buffer. File offsets are 64-bit.

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "xbase/enginestate.h"

namespace qorva {

constexpr uint8_t DbfEofByte = 0x1A;
constexpr uint16_t DbfMemoBlockSize = 512;
constexpr uint16_t Dbf2HeaderLen = 521;
constexpr uint32_t LockBase = 0x40000000u;  // byte-range locks of shared tables start here

// One field of a table.
struct TDbfFieldEntry {
  std::string Name;  // upper case, at most 10 characters
  char Type = ' ';   // C, D, F, L, M, N (B, G, P read as M)
  uint8_t Len = 0;   // stored length
  uint8_t Dec = 0;
  uint16_t Offset = 0;  // position in the stored record; the first field is at 1
};

struct TMemoControlBlock;  // state of an open memo file (memo module)

// A work-area record: one open table (or virtual file).
// Changes one record's bytes after its deletion byte in place (data, length).
using TRecordHook = std::function<void(uint8_t*, size_t)>;

struct TDbfControlBlock {
  // Filled by the file layer.
  std::string FileName;                // path of the table file as the command named it
  std::array<uint8_t, 32> Header{};    // the file's first 32 bytes
  bool HasMemo = false;
  bool IgnoreDeleted = false;          // navigation hides records marked deleted
  uint16_t HeaderLen = 0;
  uint16_t RecLen = 0;                 // deletion byte included
  uint8_t FieldCount = 0;
  std::vector<TDbfFieldEntry> Fields;  // [1..FieldCount], index 0 unused
  // Offsets of the fields in the binary record, worked out once for the field list they belong to
  // (BinaryFieldOffset; RecordSize works them out again).
  mutable std::vector<uint32_t> BinaryOffsets;
  mutable const TDbfFieldEntry* BinaryOffsetsOf = nullptr;
  uint8_t FileState = 0;               // 0 closed, 1 open, 2 rewritten (date due), 3 appended
  std::vector<uint8_t> RawRecord;      // RecLen bytes as stored (Windows text while in memory)
  // [1..FieldCount]: the field was given a value through a field setter since the binary record was
  // last built from RawRecord. A blank number, logical or date that was given a value is written
  // even when the value equals what the blank reads as (0, false). A caller that writes the binary
  // record itself (FieldAddress) sets the field's entry and MaybeAssigned to say the same.
  std::vector<uint8_t> Assigned;
  bool MaybeAssigned = false;          // an entry of Assigned may be 1 (else clearing it is skipped)
  // A record reached by moving through the table is decoded field by field, when a field is first
  // asked for. While AnyUndecoded is set, field n's slot in the binary record holds its value only
  // when DecodedIn[n] equals RecordGeneration (counted up for every record so decoded); otherwise
  // RawRecord holds it. Only an area that owns its binary record decodes this way (a caller's own
  // record buffer is always filled whole). Whatever reads or copies the binary record as a whole,
  // or changes RawRecord beyond the deletion byte, calls DecodeRecord first; a single field's
  // reader calls DecodeField or reads the stored bytes (FieldWaiting).
  std::vector<uint32_t> DecodedIn;     // [1..FieldCount]
  size_t FieldsEnd = 0;                // end of the last field in the stored record
  uint32_t RecordGeneration = 0;
  bool AnyUndecoded = false;
  // A pointer into the binary record was handed out (FieldAddress): its holder reads the slots
  // themselves, so every record is decoded whole from then on.
  bool RecordExposed = false;
  int32_t RecCount = 0;
  int32_t RecNo = 0;                   // 0 empty table, RecCount + 1 past the end
  bool AtEof = false;
  bool AtBof = false;
  uint16_t OpenMode = 0;
  bool OemConvert = false;             // record text is stored in the DOS code page
  int DbfFile = -1;                    // descriptor of the open table file (locks use it)
  // Stored records read ahead for sequential reads of a table nobody else can change (HeldAlone; records AheadFirst ..
  // AheadFirst + AheadCount - 1, as stored, before any code-page conversion). Our own writes keep it
  // in step with the file; DropReadAhead empties it wherever a read must see the file itself.
  std::vector<uint8_t> AheadData;
  int32_t AheadFirst = 0;
  int32_t AheadCount = 0;
  bool AheadAscii = false;             // no byte of the records held ahead is above 127
  // Records rewritten while the table is used exclusively wait here, as stored, and go to the file
  // together (records PendingFirst .. PendingFirst + PendingCount - 1): one write per block instead
  // of one per record. Nobody else can see the file meanwhile; every read or write of the file
  // other than a rewrite of these records, a flush, unlocking and closing write them first.
  std::vector<uint8_t> PendingData;
  int32_t PendingFirst = 0;
  int32_t PendingCount = 0;

  // Virtual files.
  bool IsVirtual = false;
  uint8_t VFileOp = 0;                 // 1 close, 2 delete, 3 read, 4 open, 5 pack, 8 write, 9 recall
  int32_t VFileArg = 0;
  int32_t VFileMode = 0;
  std::shared_ptr<void> VFileStore;

  // Work-area layer.
  uint8_t* RecordBuffer = nullptr;     // the current record in binary form
  uint32_t RecordBufferSize = 0;
  bool OwnsRecordBuffer = false;
  std::vector<uint8_t> OwnBuffer;      // storage of RecordBuffer when the area owns it
  std::string Alias;                   // upper case, at most 64 characters
  std::shared_ptr<TMemoControlBlock> MemoBlock;

  // Locks (the locking module keeps them).
  uint8_t LockState = 0;               // 0 none, 1 file lock, 2 append lock, 3 record locks
  uint16_t LockCount = 0;
  std::vector<int32_t> LockList;       // record locks held, oldest first
  std::vector<uint8_t> SwapBuffer;     // RecordBufferSize bytes, used while a record is replaced
  bool Exclusive = false;
  bool ExclusiveByReopen = false;      // the exclusive state came from reopening the table

  // The program's own record coding (USEWithHooks): bytes after the deletion byte, as stored.
  // Encode runs on a record going to the file (after the code-page conversion), decode on a record
  // read from it (before). Both empty: records are stored as they are.
  TRecordHook EncodeRecord;
  TRecordHook DecodeRecordHook;
};

struct TableFile {
  bool XbAutoFixRecCount = false;  // recount the records from the file size on open
};
extern TableFile tableFile;
void InitTableFile();

// Size of a field's slot in the binary record:
//   C  Len + 1   length byte (= Len) and the characters
//   D  11        length byte (8, or 10 with CenturyDates) and the date text in XbDateFormat
//   N, F with decimals     16  long double
//   N, F without decimals   8  int64_t (whole-number fields are 64-bit)
//   L  1         1 true, 0 false
//   M  4         int32_t memo block (0 none, negative a binary memo)
// Byte 0 of the binary record is the deletion flag (1 deleted).
uint32_t BinaryFieldSize(const TDbfFieldEntry& f);
// Size of the whole binary record of an area.
uint32_t RecordSize(const TDbfControlBlock& cb);
// Start of field n in the binary record, summed over the fields before it (n = 0: the deletion flag).
uint32_t BinaryFieldOffsetByWalk(const TDbfControlBlock& cb, uint8_t n);
// The same, taken from the offsets worked out for the area's field list when they are (field access
// asks for it on every read).
inline uint32_t BinaryFieldOffset(const TDbfControlBlock& cb, uint8_t n) {
  if (n != 0 && n < cb.Fields.size() && cb.BinaryOffsetsOf == cb.Fields.data() &&
      cb.BinaryOffsets.size() == cb.Fields.size() + 1)
    return cb.BinaryOffsets[n];
  return BinaryFieldOffsetByWalk(cb, n);
}

// A real in the binary record: the value's bytes (the 10 of the 80-bit type on x86) at the start of
// its 16-byte slot, the rest zero. On x86 the value goes straight between the slot and the FPU in
// one access, which on the table walk measured a few per cent faster than a byte copy through a
// temporary.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
typedef long double UnalignedReal __attribute__((aligned(1), may_alias));
inline long double LoadReal(const uint8_t* slot) { return *reinterpret_cast<const UnalignedReal*>(slot); }
inline void StoreReal(uint8_t* slot, long double v) {
  *reinterpret_cast<UnalignedReal*>(slot) = v;
  std::memset(slot + 10, 0, 6);
}
#else
inline constexpr size_t kRealValueBytes = std::numeric_limits<long double>::digits == 64 ? 10 : sizeof(long double);
inline long double LoadReal(const uint8_t* slot) {
  long double v = 0;
  std::memcpy(&v, slot, kRealValueBytes);
  return v;
}
inline void StoreReal(uint8_t* slot, long double v) {
  std::memset(slot, 0, 16);
  std::memcpy(slot, &v, kRealValueBytes);
}
#endif

// std::memcpy kept out of line (see CopyFieldBytes).
void CopyLongBytes(uint8_t* to, const uint8_t* from, size_t n);
// Copies n bytes (a field or a record). Short copies by overlapping words: the compiler's own copy
// of a length it knows only to be below 256 is a string instruction that costs more than the copy.
[[gnu::always_inline]] inline void CopyFieldBytes(void* to, const void* from, size_t n) {
  auto* d = static_cast<uint8_t*>(to);
  const auto* s = static_cast<const uint8_t*>(from);
  if (n > 32 && n <= 64) {
    // Source and target never overlap: each piece goes straight across.
    std::memcpy(d, s, 16);
    std::memcpy(d + 16, s + 16, 16);
    std::memcpy(d + n - 32, s + n - 32, 16);
    std::memcpy(d + n - 16, s + n - 16, 16);
  } else if (n >= 16 && n <= 32) {
    uint8_t head[16], tail[16];
    std::memcpy(head, s, 16);
    std::memcpy(tail, s + n - 16, 16);
    std::memcpy(d, head, 16);
    std::memcpy(d + n - 16, tail, 16);
  } else if (n >= 8 && n < 16) {
    uint64_t head, tail;
    std::memcpy(&head, s, 8);
    std::memcpy(&tail, s + n - 8, 8);
    std::memcpy(d, &head, 8);
    std::memcpy(d + n - 8, &tail, 8);
  } else if (n < 8) {
    for (size_t i = 0; i < n; ++i) d[i] = s[i];
  } else {
    CopyLongBytes(d, s, n);
  }
}

void OpenDbf(TDbfControlBlock& cb);
// defs: [1..count], index 0 unused; the cleaned name, type, length and decimals are written back.
void CreateDBF(TDbfControlBlock& cb, const std::string& name, uint16_t count, std::vector<TDbfFieldEntry>& defs);
// Reads record n into RawRecord. On a table held exclusively, a read of the record after the ones
// held ahead fills the read-ahead with a block of the following records, growing with every block
// used up, so that a sequential walk costs one read per block; any other record is read alone. A
// table that others may change reads every record from the file.
void GetDbfRecord(TDbfControlBlock& cb, int32_t n);
// Forgets the records read ahead: the next read goes to the file. Needed after a lock is taken (a
// locked read must see what others wrote), before repositioning and whenever the file may have
// changed under us.
void DropReadAhead(TDbfControlBlock& cb);
// Nobody else can change the table: it is held exclusively, or under this area's file lock. Only
// then are records read ahead and rewritten records held back (the file lock's release writes them).
inline bool HeldAlone(const TDbfControlBlock& cb) { return cb.Exclusive || cb.LockState == 1; }
// Writes RawRecord as record n; a number above RecCount appends at RecCount + 1. A failed append
// leaves count, position, state, RawRecord and the file as they were. On a table used exclusively
// a rewritten record may wait for the next write of the file (PendingData); a failure then shows at
// the call that writes it.
void PutDbfRecord(TDbfControlBlock& cb, int32_t n);
void AppendDbfRecord(TDbfControlBlock& cb);
// Writes the records waiting to be written (see PendingData). On failure the error is reported
// and the records stay waiting; false then.
bool WritePendingRecords(TDbfControlBlock& cb);
void WriteDeleteFlag(TDbfControlBlock& cb, int32_t n);
void WriteDbfHeader(TDbfControlBlock& cb);
void FlushDbf(TDbfControlBlock& cb);
void CloseDbf(TDbfControlBlock& cb);
void NewMemoFile(const std::string& name, uint8_t version, uint16_t blockSize, const std::string& routine);
std::string MemoFileExt(uint8_t version);
bool IsDbfVersion(uint8_t version);
// Converts the text of every whole record in buf (bytes after each deletion byte).
void ConvertRecord(bool toFile, bool convert, uint8_t* buf, size_t bufSize, uint16_t recLen);
// Whole records as read from the table's file made readable: the record decoding, then the code
// page (what a record read gets).
void RecordsFromFile(const TDbfControlBlock& cb, uint8_t* buf, size_t bufSize);
// RawRecord -> binary record; no field counts as assigned afterwards.
void RawToBinary(TDbfControlBlock& cb, uint8_t* bin);
// The same for the area's own binary record, each field decoded only when first asked for (see
// TDbfControlBlock::DecodedIn); the deletion flag is set at once. A walk that reads one field of a
// record, or none, then pays for that field alone.
void RawToBinaryOnDemand(TDbfControlBlock& cb);
// A field's value read from its stored bytes, as its slot in the binary record would hold it:
// the date text (8 or 10 characters written to out), the real or whole number (0 for none) and the
// logical.
size_t StoredDateText(const TDbfFieldEntry& f, const uint8_t* raw, char* out);
long double StoredReal(const TDbfFieldEntry& f, const uint8_t* raw);
int64_t StoredInt(const TDbfFieldEntry& f, const uint8_t* raw);
inline bool StoredBool(const TDbfFieldEntry& f, const uint8_t* raw) {
  return f.Len > 0 && (raw[0] == 'T' || raw[0] == 't' || raw[0] == 'Y' || raw[0] == 'y');
}
void DecodeWaitingField(TDbfControlBlock& cb, size_t n);
void DecodeWaitingFields(TDbfControlBlock& cb);
// Field n's slot does not hold its value yet (RawRecord does).
// n is a field of the area (1..FieldCount): while fields wait, DecodedIn covers them all and
// RawRecord holds every field whole.
inline bool FieldWaiting(const TDbfControlBlock& cb, size_t n) {
  return cb.AnyUndecoded && cb.DecodedIn[n] != cb.RecordGeneration;
}
// Field n's slot holds its value afterwards.
inline void DecodeField(TDbfControlBlock& cb, size_t n) {
  if (FieldWaiting(cb, n)) DecodeWaitingField(cb, n);
}
// Every slot holds its value afterwards.
inline void DecodeRecord(TDbfControlBlock& cb) {
  if (cb.AnyUndecoded) DecodeWaitingFields(cb);
}
// Binary record -> RawRecord. With keepUnchanged a field whose value equals what RawRecord holds
// keeps its stored bytes (two-digit years, "*"-filled numbers, "y" for true, blank fields), unless
// it was assigned (Assigned) and its stored bytes hold no value: a blank or "*"-filled number, a
// blank or "?" logical, a blank date then get the assigned value, 0 and false included.
void BinaryToRaw(TDbfControlBlock& cb, const uint8_t* bin, bool keepUnchanged = true);
// Whether the stored bytes of field f hold no value (blank or "*"-filled number, blank or "?"
// logical, blank date). Texts and memo fields always hold one.
bool StoredFieldEmpty(const TDbfFieldEntry& f, const uint8_t* raw);
void FlushFile(int fd);
uint32_t SwapLong(uint32_t v);
uint16_t SwapWord(uint16_t v);
std::string FileNameOnly(const TDbfControlBlock& cb);
std::string BaseFileName(const std::string& path);
// Size of the table file, -1 when it cannot be taken.
int64_t DbfFileSize(const TDbfControlBlock& cb);
// The stamp of the table's state (header bytes 24..26, reserved; 0 in a short header). A pack
// gives the table a new one, and an index built for another stamp is never used.
uint32_t DbfTableStamp(const TDbfControlBlock& cb);

}  // namespace qorva
