#pragma once
// memo: the memo files beside the tables. A memo field holds the number of the memo's first block
// in the table's memo file (0 none; negative: a memo with block header in a dBase III file). Three
// families, chosen by the table's version byte: dBase III (.dbt, 512-byte blocks, text ended by
// 0x1A), dBase IV (.dbt, block size in the header, 8-byte block header, little-endian) and FoxPro
// (.fpt, big-endian). Owns opening and closing the memo file with its table, appending a memo,
// copying one from another table's memo file, compacting the file when the table is packed, and
// the line reader through which a memo is read as text. Memo space is never reused: writers
// append at the end under a one-byte write lock, so readers never need a lock.
// The work-area layer reaches the module only through engineState.MemoHooks, filled by InitMemo.
// May call: tableCommands (Peek, Poke), recordlocks (LockRange), workAreas, tableFile, engineState.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qorva {

// State of the blob stream of one work area (memoblob).
struct TBlobDescriptor {
  bool Active = false;
  uint8_t Mode = 0;          // 1 read, 2 write
  int32_t Length = -1;       // data length; -1 unknown (text ended by 0x1A, end not met yet)
  uint32_t DataStart = 0;    // file position of the first data byte
  uint32_t DataOffset = 0;   // 0 or 8: header bytes before the data
  int32_t Position = 0;      // stream position, 0 = first data byte
  int32_t Block = 0;         // the memo's first block
  int32_t TextDecision = 0;  // -1 undecided, 0 unchanged, 1 convert
  int32_t Extent = 0;        // write mode: bytes of data written so far (the furthest position)
};

// The memo state of one work area (TDbfControlBlock::MemoBlock).
struct TMemoControlBlock {
  int File = -1;                // the open memo file
  std::string FileName;         // its real name (the case found on disk)
  uint16_t OpenMode = 0;        // the file mode it was opened with
  uint8_t MemoType = 0x8B;      // 0x83, 0x8B, 0x8C or 0xF5
  uint16_t BlockSize = 512;
  bool Locked = false;          // this area holds the memo file's write lock
  TBlobDescriptor Blob;
};

// Kinds of the lines of the line reader.
constexpr uint8_t MemoLineCR = 0x0D;    // ended by a carriage return
constexpr uint8_t MemoLineSoft = 0x8D;  // ended by a soft return
constexpr uint8_t MemoLineOpen = 0;     // wrapped, or the last line
constexpr size_t MemoMaxLines = 1024;
constexpr size_t MemoMaxLineLen = 253;

struct Memo {
  // Line reader: [1..MemoLineCount], index 0 unused.
  std::vector<std::string> MemoLines;
  std::vector<uint8_t> MemoLineKinds;
  int32_t MemoLineCount = 0;
  // Compaction steps a test makes fail: called with the step (1 create the new file, 2 copy a memo,
  // 3 write its header, 4 flush it, 5 put it in place, 6 write the references); a non-zero result
  // is taken as the operating system's error number of that step.
  std::function<int(int step)> PackFault;
};
extern Memo memo;

// Start-up: fills engineState.MemoHooks and resets the module's state.
void InitMemo();

// The family of the current table (its version byte); 0x8B for a free area or an unknown byte.
uint8_t GetMemoType();
// The memo file's name of a table file (the extension of its family, in the case of the table's).
std::string MemoFileName(const std::string& tableFile, uint8_t type);

void OpenMemofile(const std::string& nameWithoutExt);
void CloseMemofile();
// Creates an empty memo file of the default type (dBase IV, 512-byte blocks).
void CreateMemofile(const std::string& name);

// Appends a text memo (trailing codes 0..32 removed; an empty text writes nothing): its reference,
// 0 when nothing was written. In a dBase III file a text holding 0x1A or 0 bytes, which would end
// it early there, is written with a block header (negative reference).
int32_t AddMemo(const std::string& text);
// Appends data exactly as given, always with a block header (negative reference in dBase III).
int32_t AddMemoData(const std::string& data);
// Copies memo ref of work area sourceArea into the current area's memo file: the new reference,
// 0 when nothing was copied.
int32_t CopyMemo(uint8_t sourceArea, int32_t ref);
// Compacts the current table's memo file after Pack: a new file holds each memo still referred to,
// once per reference in record and field order, then replaces the old file, then the references
// are rewritten. Any failure leaves the old file and every reference as they were.
void PackMemofile();

// The memo's bytes as stored (without header or end mark); false with the error set.
bool ReadMemo(int32_t ref, std::string& data);

// Fills the line table from memo ref of the current area; false with the error set.
bool GetMemo(int32_t ref);
// The memo as the lines a text reader delivers: lines joined where they were wrapped or ended by a
// soft return. At most MemoMaxLines stored lines are used.
bool AssignMemo(int32_t ref, std::vector<std::string>& lines);

// A memo read line by line like a text file.
class TMemoTextFile {
 public:
  // Binds the file to memo ref of the current area (215 / 1019 when it has no memo file).
  bool Assign(int32_t ref);
  void Reset();                   // opens for reading: reads the memo
  bool ReadLn(std::string& line);  // false at the end
  bool Eof() const;
  void Close();

 private:
  bool assigned_ = false;
  int32_t ref_ = 0;
  uint8_t area_ = 0;
  std::vector<std::string> lines_;
  size_t next_ = 0;
};

// Shared with the blob streams: the write lock and the block header.
bool LockMemo(TMemoControlBlock& m, bool exclusive);
bool UnlockMemo(TMemoControlBlock& m, bool exclusive);
// Releases the write lock of the current area's memo file, then reports.
void MemoError(uint16_t code, const std::string& context);
// Locks, pads the file to a whole block and returns the end position; 0 on failure.
int64_t LockMemoPadAndSeekEOF(const std::string& routine);
// Writes the next free block number from the file size, then releases the lock.
bool UpdateMemoHeader();
bool WriteGroupHeader(int64_t position, uint32_t length);
// 215 / 1019 and false when the current area has no memo file.
bool CheckMemoField(const std::string& routine);
// The memo control block of the current area, nullptr when none.
TMemoControlBlock* CurrentMemo();
int64_t MemoFileSize(const TMemoControlBlock& m);

}  // namespace qorva
