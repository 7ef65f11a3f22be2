#pragma once
// ndxengine: the NDX index engine ("XbNdx-Unit" in its messages). Keeps up to 16 single-key B-tree
// index files per work area, with the controlling index always in order position 1. Owns the file
// format (512-byte blocks: an anchor, then nodes), opening and checking an index file (a file is
// untrusted input: every header field and every node read is checked before use), building index
// files in one bottom-up pass from sorted keys (in memory within a budget, else sorted runs on a
// temporary file merged afterwards), seeking and walking keys, and keeping every open index current
// while records are appended and replaced. The work-area layer reaches it through the IndexHooks
// that IndexInit fills; dataset and table-access code call the public routines directly.
// Equal keys are kept in record-number order by the build and by insertion alike, so finding the
// entry of one record among many equal keys is a descent, not a walk.
// May call: indexSemaphore, recordlocks, workAreas, tableFile, nationalDates, keyUtil, expressionParser (the result type of
// a compiled key), engineState, and the expression compiler through ParserHooks.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "xbase/ndxcache.h"
#include "xbase/enginestate.h"

namespace qorva {

constexpr int32_t NdxBlockSize = 512;
constexpr int32_t NdxMaxOrders = 16;
constexpr int32_t NdxMaxKeyLen = 100;
constexpr int32_t NdxMaxDepth = 64;

// The caller's key maker: the key text of the current record for the order number.
using TNdxKeyMaker = std::function<void(uint8_t order, std::string& key)>;

// Result type and width of a compiled key expression.
struct TExprShape {
  char Type = 'C';
  uint16_t Len = 0;
  uint8_t Dec = 0;
};

// Anchor bytes 0..23.
struct TNdxHeader {
  uint32_t Root = 1;
  uint32_t NextFree = 2;
  char KeyType = 'C';
  uint16_t KeyLen = 0;
  uint16_t KeysPerNode = 0;
  uint16_t NumericFlag = 0;
  uint16_t EntrySize = 8;
  uint8_t Unique = 0;
};

using TNdxNode = std::array<uint8_t, NdxBlockSize>;

struct TNdxPathEntry {
  uint32_t NodeNo = 0;
  int32_t Pos = 0;  // the entry whose child the descent followed
  TNdxNode Node{};
};

struct TNdxControlBlock {
  uint8_t Order = 0;
  int IndexFile = -1;
  std::string FileName;
  TNdxHeader Header;
  std::string KeyExprText;
  bool AnchorModified = false;
  bool CharKey = true;
  bool IndexBof = false;
  bool IndexEof = false;
  bool UseSoundex = false;
  bool UseDescending = false;
  TNdxKeyMaker KeyMaker;
  TExprControlBlock* CompiledKey = nullptr;
  TExprShape Shape;
  std::string CurrentKey;        // key at the current position (KeyLen bytes)
  TNdxNode OwnNode{};            // the current leaf
  uint32_t CurNodeNo = 0;
  int32_t CurPos = 0;
  bool OnDummy = false;          // past the last key (record -1, zero key)
  std::vector<TNdxPathEntry> Path;  // the inner nodes of the current descent, root first
  uint64_t PathGen = 0;          // NodeWriteGen when the descent was made
  // The key and record of the current record as they were before it changed (SaveAllKeys).
  std::string SavedKey;
  int32_t SavedRec = 0;
  uint32_t TableStamp = 0;       // the stamp of the table state the index was built for
  bool Damaged = false;          // a write to the file failed: the anchor carries the mark
  // Nodes read and checked before (made when the index opens; see ndxcache for when it serves).
  std::unique_ptr<NdxNodeCache> Cache;
};

struct TIndexInfo {
  std::string Expression;
  uint8_t KeyLen = 0;
  char KeyType = ' ';
  bool Unique = false;
  std::string DbfName;
  int32_t RecCount = -1;
};

struct NdxEngine {
  // Order positions 1..16 of work areas 1..35.
  std::array<std::array<std::unique_ptr<TNdxControlBlock>, NdxMaxOrders + 1>, 36> Orders;
  std::array<bool, 36> NaturalOrder{};
  bool IndexFound = false;
  bool ExactFind = false;
  // Bytes the build may hold in memory for sorting; beyond it, sorted runs are merged from a file.
  int64_t SortBudget = int64_t{96} << 20;
  uint64_t NodeWriteGen = 1;     // raised by every node write: descents made before it are stale
  std::function<void()> MakeIndexProgress;
  int32_t MakeIndexProgressCount = 0;
  std::string KeyMakerMarker;    // the stored expression of key-maker indexes
  // Called at each step of writing a new index file (1 nodes written, 2 anchor written, 3 file
  // synced, before the rename); a non-zero result fails the step with that system error. Tests.
  std::function<int(int step)> BuildFault;
};
extern NdxEngine ndxEngine;

// Start-up: clears every order position and fills IndexHooks.
void IndexInit();

// ---- Keys and expression texts ----------------------------------------------------------------

// Character keys ignore case and write ä, ö, ü, ß (Windows code page) as two letters.
std::string CollationKey(const std::string& text, int32_t limit);
// Outside quotes: blanks and tabs dropped (one kept between two word characters), ASCII letters
// upper-cased, quotes stored as double quotes.
std::string NormalizeExpr(const std::string& text);

// ---- Opening, closing, orders -------------------------------------------------------------------

bool SetIndexTo(const std::string& nameWithOptions, int32_t order, TNdxKeyMaker keyMaker = {});
bool Set_Index_To(const std::string& nameWithOptions, int32_t order);
bool Set_Index_ToCB(const std::string& nameWithOptions, int32_t order, TNdxKeyMaker keyMaker);
void SetIndexList(const std::string& names);
void Set_Order_To(int32_t order);
int32_t CurrentOrder();
void CloseIndex(int32_t position);
void CloseIndexes();
bool IndexInfo(TIndexInfo& info, const std::string& name);
int32_t IndexRecCount(const std::string& name);
void ReadAnchorNodes();
void WriteAnchorNode(int32_t position);
// The block in an order position of the current area (nullptr when free).
TNdxControlBlock* OrderBlock(int32_t position);
// The full file name an index name stands for (extension NDX, the table's folder).
std::string IndexFileName(const std::string& name);

// ---- Build ----------------------------------------------------------------------------------------

bool MakeIndex(const std::string& name, const std::string& expression, bool soundex, uint8_t order, bool unique,
               bool descending, TNdxKeyMaker keyMaker = {});
void IndexOn(const std::string& nameWithOptions, const std::string& expression);
void IndexOnCB(const std::string& nameWithOptions, TNdxKeyMaker keyMaker);
void Reindex();
void SetMakeIndexProgress(std::function<void()> proc, int32_t count);

// ---- Search and maintenance -----------------------------------------------------------------------

void Find(const std::string& text);
bool SetExactFind();
bool ClearExactFind();
int32_t FirstRecNo();
int32_t LastRecNo();
int32_t _FindNextRec();
int32_t _FindPriorRec();
void GoIndexEof();
void SoftSyncIndex();
void SyncIndex(bool all);
void SaveAllKeys();
void SaveKey();
void AppendNewKey();
void UpdateKeys();
// Re-reads the anchors and re-finds the current record when another program changed the indexes.
void CheckIndexChanged();

// ---- Checking -------------------------------------------------------------------------------------

// Walks a whole index file and checks every field and node: "" when sound, else what is wrong.
// entries receives (key, record) in index order when given.
std::string NdxCheckStructure(const std::string& fileName,
                              std::vector<std::pair<std::string, uint32_t>>* entries = nullptr);

}  // namespace qorva
