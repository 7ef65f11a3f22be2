#include "xbase/ndxengine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "xbase/workareas.h"
#include "xbase/recordlocks.h"
#include "xbase/tablefile.h"
#include "xbase/keyutil.h"
#include "xbase/nationaldates.h"
#include "xbase/expressionparser.h"
#include "xbase/indexsemaphore.h"
#include "xbase/packrecovery.h"
#include "platform/sysname.h"

namespace qorva {

NdxEngine ndxEngine;

namespace ndx {

// A node-layer failure after its error was set: the public routine that started the work ends.
struct Fail {};

[[noreturn]] void fail(uint16_t code, const std::string& context) {
  XbSetError(code, context);
  throw Fail{};
}

std::string num(int64_t v) { return std::to_string(v); }

uint32_t rd32(const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24; }
uint16_t rd16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void wr32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}
void wr16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

// A read or write bracket of the semaphore for the length of a scope; closing it never throws
// over the error that may be unwinding the scope.
class SemBracket {
 public:
  explicit SemBracket(bool write) : write_(write) { (write_ ? SetLockSemaphoreProc : SetReadSemaphoreProc)(true); }
  ~SemBracket() {
    try {
      (write_ ? SetLockSemaphoreProc : SetReadSemaphoreProc)(false);
    } catch (...) {
    }
  }
  SemBracket(const SemBracket&) = delete;
  SemBracket& operator=(const SemBracket&) = delete;

 private:
  bool write_;
};

uint16_t entrySizeFor(uint16_t keyLen) { return static_cast<uint16_t>(((keyLen + 3) / 4) * 4 + 8); }

// ---- Node access ------------------------------------------------------------------------------

struct Node {
  const TNdxHeader& h;
  uint8_t* p;
  uint32_t count() const { return rd32(p) & 0xFFFF; }
  void setCount(uint32_t n) { wr32(p, n); }
  uint8_t* entry(uint32_t i) const { return p + 4 + i * h.EntrySize; }
  uint32_t child(uint32_t i) const { return rd32(entry(i)); }
  uint32_t rec(uint32_t i) const { return rd32(entry(i) + 4); }
  const uint8_t* key(uint32_t i) const { return entry(i) + 8; }
  bool leaf() const { return child(0) == 0; }
};

int cmpKey(const TNdxControlBlock& b, const uint8_t* a, const uint8_t* c) {
  if (b.CharKey) return std::memcmp(a, c, b.Header.KeyLen);
  double x, y;
  std::memcpy(&x, a, 8);
  std::memcpy(&y, c, 8);
  return x < y ? -1 : (x > y ? 1 : 0);
}

// (key, record) order; a record number 0 (a separator written without one) matches any record.
int cmpEntry(const TNdxControlBlock& b, const uint8_t* key, uint32_t rec, const uint8_t* ekey, uint32_t erec) {
  int c = cmpKey(b, key, ekey);
  if (c != 0 || rec == 0 || erec == 0) return c;
  return rec < erec ? -1 : (rec > erec ? 1 : 0);
}

std::string areaText() { return num(workAreas.CurrentArea); }

uint32_t blocksOnDisk(const TNdxControlBlock& b) {
  struct stat st {};
  if (::fstat(b.IndexFile, &st) != 0) return 0;
  return static_cast<uint32_t>(std::min<int64_t>(st.st_size / NdxBlockSize, 0x7FFFFFFF));
}

[[noreturn]] void corrupt(const TNdxControlBlock& b, uint32_t no, const std::string& what) {
  fail(254, "Index-Datei besch\xE4" "digt: " + what + " (Knoten " + num(no) + ") " + b.FileName + " [SeekAndRead]");
}

// ---- Node cache ---------------------------------------------------------------------------------

// The node cache of b may serve now: nobody else can have changed the file unseen. That holds for
// a table held exclusively, and for a shared one inside a semaphore bracket (which read the change
// marker) while no change of another program waits to be taken over. Anywhere else nodes come
// from the file, as they always did.
NdxNodeCache* usableCache(TNdxControlBlock& b) {
  if (!b.Cache) return nullptr;
  const TDbfControlBlock* cb = CurrentBlock();
  if (!cb) return nullptr;
  if (cb->Exclusive) return b.Cache.get();
  const uint8_t a = workAreas.CurrentArea;
  if (a > 35 || !indexSemaphore.States[a]) return nullptr;
  if (indexSemaphore.ReadDepth[a] == 0 && indexSemaphore.LockDepth[a] == 0) return nullptr;
  const TSemaphoreState& st = *indexSemaphore.States[a];
  if (st.Counter != st.LastSeenCounter) {
    b.Cache->clear();  // another program changed the index: nothing held before may serve again
    return nullptr;
  }
  return b.Cache.get();
}

// Empties the node caches of the current area (another program's changes were taken over).
void forgetCachedNodes() {
  for (auto& o : ndxEngine.Orders[workAreas.CurrentArea])
    if (o && o->Cache) o->Cache->clear();
}

// Our write of node no: this open keeps the node as written, every other open of the same file in
// this program forgets it.
void cacheWrittenNode(TNdxControlBlock& b, uint32_t no, const TNdxNode& node) {
  if (!b.Cache) return;
  b.Cache->forgetElsewhere(no);
  if (NdxNodeCache* c = usableCache(b)) c->put(no, node);
  else b.Cache->forget(no);
}

// Reads node no and checks it: the key count within keys per node, child numbers in range.
void readNodeFromFile(TNdxControlBlock& b, uint32_t no, TNdxNode& node);

void readNode(TNdxControlBlock& b, uint32_t no, TNdxNode& node) {
  NdxNodeCache* c = usableCache(b);
  if (c && no != 0) {
    if (const TNdxNode* held = c->find(no)) {
      node = *held;
      return;
    }
  }
  readNodeFromFile(b, no, node);
  if (c) c->put(no, node);  // only a node that passed the checks
}

// Node no for a look that ends before the next node is read or written: the held node itself when
// the cache serves, else the node read into scratch.
const TNdxNode& lookNode(TNdxControlBlock& b, uint32_t no, TNdxNode& scratch) {
  NdxNodeCache* c = usableCache(b);
  if (c && no != 0) {
    if (const TNdxNode* held = c->find(no)) return *held;
  }
  readNodeFromFile(b, no, scratch);
  if (c) c->put(no, scratch);
  return scratch;
}

void readNodeFromFile(TNdxControlBlock& b, uint32_t no, TNdxNode& node) {
  if (no == 0) {
    fail(254, "Ung\xFCltige Knotennummer (0) in DBF-Bereich " + areaText() + "\n, Ordnung " + num(b.Order) + " " +
                  b.FileName + " [GetNode]");
  }
  // Another program may have added nodes since the anchor was read.
  if (no >= b.Header.NextFree) b.Header.NextFree = std::max(b.Header.NextFree, blocksOnDisk(b));
  if (no >= b.Header.NextFree) corrupt(b, no, "Knotennummer hinter dem Dateiende");
  int64_t got = XbReadAt(b.IndexFile, int64_t{no} * NdxBlockSize, node.data(), NdxBlockSize);
  if (got < 0) fail(XbIoCode(errno), "Fehler beim Lesen der Index-Datei: " + b.FileName + " [SeekAndRead]");
  if (got != NdxBlockSize) corrupt(b, no, "Knoten unvollst\xE4ndig");
  Node v{b.Header, node.data()};
  uint32_t n = rd32(node.data());
  if (n > b.Header.KeysPerNode) corrupt(b, no, "Schl\xFCsselanzahl " + num(n));
  if (v.leaf()) {
    for (uint32_t i = 1; i < n; ++i)
      if (v.child(i) != 0) corrupt(b, no, "Kindknoten in einem Blatt");
  } else {
    for (uint32_t i = 0; i <= n; ++i) {
      uint32_t c = v.child(i);
      if (c >= b.Header.NextFree) b.Header.NextFree = std::max(b.Header.NextFree, blocksOnDisk(b));
      if (c == 0 || c == no || c >= b.Header.NextFree) corrupt(b, no, "Kindknoten " + num(c));
    }
  }
}

// Anchor byte 8 (reserved, 0 in a sound file) marks an index that a failed or unfinished change
// may have left damaged; bytes 509..511 (reserved) hold the stamp of the table state it was built for.
constexpr int64_t kDamageMark = 8;
constexpr int64_t kTableStampAt = 509;

// The anchor was written in place past the node cache: no open of the file serves the old bytes.
void forgetAnchor(TNdxControlBlock& b) {
  if (!b.Cache) return;
  b.Cache->forgetElsewhere(0);
  b.Cache->forget(0);
}

// Marks the file as damaged, as far as the disk still takes one byte in place.
void markDamaged(TNdxControlBlock& b) {
  b.Damaged = true;
  const uint8_t one = 1;
  (void)XbWriteAt(b.IndexFile, kDamageMark, &one, 1);
  forgetAnchor(b);
}

void writeNode(TNdxControlBlock& b, uint32_t no, TNdxNode& node) {
  node[2] = node[3] = 0;
  int err = XbWriteAt(b.IndexFile, int64_t{no} * NdxBlockSize, node.data(), NdxBlockSize);
  ++ndxEngine.NodeWriteGen;
  if (err == 0) cacheWrittenNode(b, no, node);
  else if (b.Cache) b.Cache->forget(no);
  if (err != 0) {
    markDamaged(b);
    fail(XbIoCode(err), "Fehler beim Schreiben der Index-Datei: " + b.FileName + " [SeekAndWrite]");
  }
}

// A change that spans several nodes carries the mark until the anchor is written after it: cut
// short (a kill, a full disk), it leaves the mark for the next open, which builds the file anew.
void markUnfinished(TNdxControlBlock& b) {
  const uint8_t one = 1;
  int err = XbWriteAt(b.IndexFile, kDamageMark, &one, 1);
  forgetAnchor(b);
  if (err != 0) fail(XbIoCode(err), "Fehler beim Schreiben der Index-Datei: " + b.FileName + " [SeekAndWrite]");
  b.AnchorModified = true;
}

// ---- Descent and steps ------------------------------------------------------------------------

enum class Mode { First, Last, Key, Entry };

// First position whose entry is not below the target (n when none).
uint32_t leafPos(const TNdxControlBlock& b, const Node& v, Mode mode, const uint8_t* key, uint32_t rec) {
  const uint32_t n = v.count();
  if (mode == Mode::First) return 0;
  if (mode == Mode::Last) return n == 0 ? 0 : n - 1;
  uint32_t lo = 0, hi = n;
  while (lo < hi) {
    uint32_t mid = (lo + hi) / 2;
    int c = mode == Mode::Key ? cmpKey(b, v.key(mid), key) : -cmpEntry(b, key, rec, v.key(mid), v.rec(mid));
    if (c < 0) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

uint32_t innerPos(const TNdxControlBlock& b, const Node& v, Mode mode, const uint8_t* key, uint32_t rec) {
  const uint32_t n = v.count();
  if (mode == Mode::First) return 0;
  if (mode == Mode::Last) return n;
  return leafPos(b, v, mode, key, rec);
}

// The last entry of the rightmost leaf below node `no` (key and record), false when it has none.
bool lastEntryBelow(TNdxControlBlock& b, uint32_t no, size_t depth, std::vector<uint8_t>& entry) {
  TNdxNode scratch;
  for (;;) {
    if (depth++ >= static_cast<size_t>(NdxMaxDepth)) corrupt(b, no, "Baum zu tief oder zyklisch");
    const TNdxNode& node = lookNode(b, no, scratch);
    Node v{b.Header, const_cast<uint8_t*>(node.data())};
    if (v.leaf()) {
      if (v.count() == 0) return false;
      entry.assign(v.entry(v.count() - 1), v.entry(v.count() - 1) + b.Header.EntrySize);
      return true;
    }
    no = v.child(v.count());
  }
}

// The child to follow for (key, rec). Separators carry keys only, so among children whose
// separators equal the key the one holding the record is found by a binary search over the last
// entries of their subtrees (the entries of equal keys lie in record order).
uint32_t entryChild(TNdxControlBlock& b, const Node& v, const uint8_t* key, uint32_t rec, size_t depth) {
  const uint32_t n = v.count();
  uint32_t lo = leafPos(b, v, Mode::Key, key, 0);
  // The first separator above the key (found by halves: a node may hold nothing but equal keys).
  uint32_t hi = n;
  for (uint32_t a = lo; a < hi;) {
    const uint32_t mid = (a + hi) / 2;
    if (cmpKey(b, v.key(mid), key) <= 0) a = mid + 1;
    else hi = mid;
  }
  std::vector<uint8_t> last;
  while (lo < hi) {
    const uint32_t mid = (lo + hi) / 2;
    const bool reaches = lastEntryBelow(b, v.child(mid), depth + 1, last) &&
                         cmpEntry(b, key, rec, last.data() + 8, rd32(last.data() + 4)) <= 0;
    if (reaches) hi = mid;
    else lo = mid + 1;
  }
  return lo;
}

// Descends from node `no` to a leaf, pushing the inner nodes; the leaf becomes current.
void descendFrom(TNdxControlBlock& b, uint32_t no, Mode mode, const uint8_t* key, uint32_t rec) {
  for (;;) {
    if (b.Path.size() >= static_cast<size_t>(NdxMaxDepth)) corrupt(b, no, "Baum zu tief oder zyklisch");
    TNdxPathEntry e;
    e.NodeNo = no;
    readNode(b, no, e.Node);
    Node v{b.Header, e.Node.data()};
    if (v.leaf()) {
      b.OwnNode = e.Node;
      b.CurNodeNo = no;
      b.CurPos = static_cast<int32_t>(leafPos(b, v, mode, key, rec));
      b.OnDummy = false;
      return;
    }
    e.Pos = static_cast<int32_t>(mode == Mode::Entry ? entryChild(b, v, key, rec, b.Path.size())
                                                      : innerPos(b, v, mode, key, rec));
    uint32_t next = v.child(static_cast<uint32_t>(e.Pos));
    b.Path.push_back(std::move(e));
    no = next;
  }
}

void descend(TNdxControlBlock& b, Mode mode, const uint8_t* key = nullptr, uint32_t rec = 0) {
  b.Path.clear();
  descendFrom(b, b.Header.Root, mode, key, rec);
  b.PathGen = ndxEngine.NodeWriteGen;
}

uint32_t leafCount(const TNdxControlBlock& b) { return Node{b.Header, const_cast<uint8_t*>(b.OwnNode.data())}.count(); }
uint32_t curRec(const TNdxControlBlock& b) {
  if (b.OnDummy) return 0xFFFFFFFFu;
  Node v{b.Header, const_cast<uint8_t*>(b.OwnNode.data())};
  return static_cast<uint32_t>(b.CurPos) < v.count() ? v.rec(static_cast<uint32_t>(b.CurPos)) : 0;
}
const uint8_t* curKey(const TNdxControlBlock& b) {
  return Node{b.Header, const_cast<uint8_t*>(b.OwnNode.data())}.key(static_cast<uint32_t>(b.CurPos));
}
bool onEntry(const TNdxControlBlock& b) { return !b.OnDummy && static_cast<uint32_t>(b.CurPos) < leafCount(b); }

// Moves to the next or prior leaf that holds keys; false (position unchanged) when there is none.
bool stepLeaf(TNdxControlBlock& b, bool forward) {
  std::vector<TNdxPathEntry> path = b.Path;
  const TNdxNode leaf = b.OwnNode;
  const uint32_t leafNo = b.CurNodeNo;
  const int32_t pos = b.CurPos;
  while (!b.Path.empty()) {
    TNdxPathEntry& top = b.Path.back();
    Node v{b.Header, top.Node.data()};
    const bool more = forward ? static_cast<uint32_t>(top.Pos) < v.count() : top.Pos > 0;
    if (!more) {
      b.Path.pop_back();
      continue;
    }
    top.Pos += forward ? 1 : -1;
    descendFrom(b, v.child(static_cast<uint32_t>(top.Pos)), forward ? Mode::First : Mode::Last, nullptr, 0);
    if (leafCount(b) > 0) return true;
  }
  b.Path = std::move(path);
  b.OwnNode = leaf;
  b.CurNodeNo = leafNo;
  b.CurPos = pos;
  return false;
}

bool stepNext(TNdxControlBlock& b) {
  if (static_cast<uint32_t>(b.CurPos) + 1 < leafCount(b)) {
    ++b.CurPos;
    return true;
  }
  return stepLeaf(b, true);
}

bool stepPrior(TNdxControlBlock& b) {
  if (b.CurPos > 0 && static_cast<uint32_t>(b.CurPos) <= leafCount(b)) {
    --b.CurPos;
    return true;
  }
  return stepLeaf(b, false);
}

// Positions on the first key not below key; false at the end (then past the last entry).
bool seekKey(TNdxControlBlock& b, const uint8_t* key) {
  descend(b, Mode::Key, key);
  if (static_cast<uint32_t>(b.CurPos) < leafCount(b)) return true;
  if (leafCount(b) > 0) {
    b.CurPos = static_cast<int32_t>(leafCount(b)) - 1;
    if (stepNext(b)) return true;
    b.CurPos = static_cast<int32_t>(leafCount(b));
  }
  return false;
}

// Positions on the entry (key, rec); false when the index has none.
bool seekEntry(TNdxControlBlock& b, const uint8_t* key, uint32_t rec) {
  // Already standing on that entry, and no node was written since the descent that got there: the
  // copies of the path and the leaf are what the file holds, so a new descent would end here too.
  if (!b.OnDummy && b.CurNodeNo != 0 && b.PathGen == ndxEngine.NodeWriteGen &&
      static_cast<uint32_t>(b.CurPos) < leafCount(b) && curRec(b) == rec && cmpKey(b, curKey(b), key) == 0)
    return true;
  descend(b, Mode::Entry, key, rec);
  bool on = static_cast<uint32_t>(b.CurPos) < leafCount(b);
  if (!on && leafCount(b) > 0) {
    b.CurPos = static_cast<int32_t>(leafCount(b)) - 1;
    on = stepNext(b);
  }
  if (on && cmpKey(b, curKey(b), key) == 0 && curRec(b) == rec) return true;
  // Equal keys that another program inserted out of record order: walk their run.
  if (!seekKey(b, key)) return false;
  while (cmpKey(b, curKey(b), key) == 0) {
    if (curRec(b) == rec) return true;
    if (!stepNext(b)) return false;
  }
  return false;
}

// ---- Anchor -----------------------------------------------------------------------------------

void headerToBytes(const TNdxHeader& h, uint8_t* p) {
  std::memset(p, 0, 24);
  wr32(p, h.Root);
  wr32(p + 4, h.NextFree);
  p[9] = static_cast<uint8_t>(h.KeyType);
  wr16(p + 12, h.KeyLen);
  wr16(p + 14, h.KeysPerNode);
  wr16(p + 16, h.NumericFlag);
  wr16(p + 18, h.EntrySize);
  p[23] = h.Unique;
}

TNdxHeader headerFromBytes(const uint8_t* p) {
  TNdxHeader h;
  h.Root = rd32(p);
  h.NextFree = rd32(p + 4);
  h.KeyType = static_cast<char>(p[9]);
  h.KeyLen = rd16(p + 12);
  h.KeysPerNode = rd16(p + 14);
  h.NumericFlag = rd16(p + 16);
  h.EntrySize = rd16(p + 18);
  h.Unique = p[23];
  return h;
}

// "" when the header is consistent, else the field that is not.
std::string headerFault(const TNdxHeader& h, uint32_t blocks) {
  if (h.KeyLen > NdxMaxKeyLen) return "Schl\xFCssell\xE4nge " + num(h.KeyLen);
  if (h.EntrySize != entrySizeFor(h.KeyLen)) return "Eintragsgr\xF6\xDF" "e " + num(h.EntrySize);
  if (h.KeysPerNode != 504 / h.EntrySize) return "Schl\xFCssel je Knoten " + num(h.KeysPerNode);
  if (h.KeyType != 'C' && h.KeyType != 'D' && h.KeyType != 'F' && h.KeyType != 'N')
    return "Schl\xFCsseltyp " + num(static_cast<uint8_t>(h.KeyType));
  if (h.NumericFlag != (h.KeyType == 'C' ? 0 : 1)) return "Zahlenkennung " + num(h.NumericFlag);
  if (h.KeyType != 'C' && h.KeyLen != 8) return "Schl\xFCssell\xE4nge " + num(h.KeyLen);
  if (h.Root == 0 || h.Root >= blocks) return "Wurzel " + num(h.Root);
  return "";
}

std::string tableNameOf(const TDbfControlBlock& cb) {
  std::string d, n, e;
  XbFSplit(cb.FileName, d, n, e);
  std::string s = (XbRTrim(n) + e).substr(0, 12);
  if (cb.OemConvert) s = XbAnsiToOem(s);
  return s;
}

void buildAnchor(const TNdxHeader& h, const std::string& expr, int32_t recCount, const std::string& table,
                 uint8_t* blk, uint32_t stamp, bool damaged) {
  std::memset(blk, 0, NdxBlockSize);
  headerToBytes(h, blk);
  blk[kDamageMark] = damaged ? 1 : 0;
  for (int i = 0; i < 3; ++i) blk[kTableStampAt + i] = static_cast<uint8_t>(stamp >> (8 * i));
  std::memcpy(blk + 24, expr.data(), std::min<size_t>(expr.size(), 100));
  wr32(blk + 488, ~static_cast<uint32_t>(recCount));
  wr32(blk + 492, static_cast<uint32_t>(recCount));
  std::memcpy(blk + 496, table.data(), std::min<size_t>(table.size(), 12));
}

void writeAnchor(TNdxControlBlock& b) {
  TDbfControlBlock* cb = CurrentBlock();
  uint8_t blk[NdxBlockSize];
  std::string expr = b.KeyExprText;
  if (cb && cb->OemConvert) expr = XbAnsiToOem(expr);
  buildAnchor(b.Header, expr, cb ? cb->RecCount : 0, cb ? tableNameOf(*cb) : "", blk, b.TableStamp, b.Damaged);
  // The file holds these very bytes already (we wrote them, and nobody else can have since).
  NdxNodeCache* c = usableCache(b);
  if (c) {
    const TNdxNode* held = c->find(0);
    if (held && std::memcmp(held->data(), blk, NdxBlockSize) == 0) {
      b.AnchorModified = false;
      return;
    }
  }
  int err = XbWriteAt(b.IndexFile, 0, blk, NdxBlockSize);
  forgetAnchor(b);
  if (err != 0) {
    markDamaged(b);
    IndexError(XbIoCode(err), "Fehler beim Schreiben der Index-Datei:  " + b.FileName + " [WriteAnchorNode]");
    return;
  }
  b.AnchorModified = false;
  if (c) {
    TNdxNode written;
    std::memcpy(written.data(), blk, NdxBlockSize);
    c->put(0, written);
  }
}

// ---- Keys -------------------------------------------------------------------------------------

uint8_t area() { return workAreas.CurrentArea; }
TNdxControlBlock* block(int32_t pos) {
  if (area() > 35 || pos < 1 || pos > NdxMaxOrders) return nullptr;
  return ndxEngine.Orders[area()][static_cast<size_t>(pos)].get();
}
bool& natural() { return ndxEngine.NaturalOrder[area()]; }

std::string numericKey(double v) {
  if (std::isnan(v) || v == 0) v = 0;  // one key for 0, -0 and values that are no number
  std::string k(8, '\0');
  std::memcpy(k.data(), &v, 8);
  return k;
}

TExprShape shapeOf(const TExprControlBlock* block) {
  return {block->ResultType, block->ResultLen, block->ResultDec};
}

// The key of the current record for an index (KeyLen bytes).
std::string keyOf(TNdxControlBlock& b) {
  TDbfControlBlock* cb = CurrentBlock();
  const size_t len = b.Header.KeyLen;
  std::string k;
  if (b.KeyMaker) {
    b.KeyMaker(b.Order, k);
    if (b.UseSoundex) k = Soundex(k);
    k.resize(len, ' ');
    if (b.UseDescending)
      for (size_t i = 0; i < std::min<size_t>(k.size(), 100); ++i) k[i] = static_cast<char>(k[i] ^ 0xFF);
    return k;
  }
  if (!b.CompiledKey || !engineState.ParserHooks.EvalExpr) fail(222, "Kein Schl\xFCsselausdruck " + b.FileName);
  const void* r = engineState.ParserHooks.EvalExpr(b.CompiledKey);
  if (!r) fail(222, "Schl\xFCsselausdruck ohne Wert " + b.FileName);
  if (!b.CharKey) {
    double v = 0;
    std::memcpy(&v, r, 8);
    return numericKey(v);
  }
  const char* t = static_cast<const char*>(r);
  const std::string text(t, strnlen(t, 255));
  // A DOS table's key is collated in its own code page, as other programs sharing the index
  // make it: an umlaut there is no Windows umlaut and stays as it is.
  k = CollationKey(cb && cb->OemConvert ? XbAnsiToOem(text) : text, static_cast<int32_t>(text.size()));
  k.resize(len, ' ');
  return k;
}

// The key of the current record before it is fitted to an index.
std::string naturalKey(TNdxControlBlock& b) {
  const uint16_t saved = b.Header.KeyLen;
  b.Header.KeyLen = 0;
  std::string k;
  if (b.KeyMaker) {
    b.KeyMaker(b.Order, k);
    if (b.UseSoundex) k = Soundex(k);
  } else {
    const void* r = engineState.ParserHooks.EvalExpr(b.CompiledKey);
    const char* t = r ? static_cast<const char*>(r) : "";
    std::string text(t, strnlen(t, 255));
    const TDbfControlBlock* cb = CurrentBlock();
    k = CollationKey(cb && cb->OemConvert ? XbAnsiToOem(text) : text, static_cast<int32_t>(text.size()));
  }
  b.Header.KeyLen = saved;
  return k;
}

size_t naturalKeyLength(TNdxControlBlock& b) { return naturalKey(b).size(); }

std::string keyText(TNdxControlBlock& b, const std::string& key) {
  if (b.KeyMaker || b.CharKey) return key;
  double v = 0;
  std::memcpy(&v, key.data(), 8);
  if (b.Header.KeyType == 'D') return JulianToDateText(v);
  return XbFormatFixed(v, b.Shape.Len, b.Shape.Dec);
}

}  // namespace ndx

using namespace ndx;

// ---- Keys and texts -----------------------------------------------------------------------------

std::string CollationKey(const std::string& text, int32_t limit) {
  std::string s = text.substr(0, 100);
  if (limit <= 0) limit = static_cast<int32_t>(s.size());
  for (char& c : s) {
    uint8_t u = static_cast<uint8_t>(c);
    if (u >= 'A' && u <= 'Z') c = static_cast<char>(u + 32);
    else if (u == 196) c = static_cast<char>(228);
    else if (u == 214) c = static_cast<char>(246);
    else if (u == 220) c = static_cast<char>(252);
  }
  for (int32_t i = 1; i <= limit && i <= static_cast<int32_t>(s.size()); ++i) {
    const uint8_t u = static_cast<uint8_t>(s[static_cast<size_t>(i - 1)]);
    const char* two = u == 223 ? "ss" : u == 228 ? "ae" : u == 246 ? "oe" : u == 252 ? "ue" : nullptr;
    if (!two) continue;
    if (i == limit) {
      s[static_cast<size_t>(i - 1)] = two[0];
      continue;
    }
    std::string rest = s.substr(static_cast<size_t>(i), static_cast<size_t>(std::max(0, limit - 1 - i)));
    s = s.substr(0, static_cast<size_t>(i - 1)) + two + rest;
    ++i;
  }
  return s.substr(0, 100);
}

std::string NormalizeExpr(const std::string& text) {
  auto word = [](char c) {
    uint8_t u = static_cast<uint8_t>(c);
    return std::isalnum(u) || c == '_' || c == '.' || u >= 128;
  };
  std::string out;
  char quote = 0;
  bool gap = false;
  for (char c : text) {
    if (quote) {
      if (c == quote) {
        out += '"';
        quote = 0;
      } else {
        out += c;
      }
      continue;
    }
    if (c == ' ' || c == '\t') {
      gap = true;
      continue;
    }
    // A blank between two word characters keeps them apart (".AND." after a field name).
    if (gap && !out.empty() && word(out.back()) && word(c)) out += ' ';
    gap = false;
    if (c == '"' || c == '\'') {
      quote = c;
      out += '"';
      continue;
    }
    out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  }
  return out;
}

// ---- Start-up and hooks ----------------------------------------------------------------------------

namespace {

TNdxControlBlock* ctl() { return block(1); }

}  // namespace

TNdxControlBlock* OrderBlock(int32_t position) { return block(position); }

void IndexInit() {
  for (auto& areaOrders : ndxEngine.Orders)
    for (auto& b : areaOrders)
      if (b) {
        XbCloseFile(b->IndexFile);
        if (b->CompiledKey && engineState.ParserHooks.FreeExpr) engineState.ParserHooks.FreeExpr(b->CompiledKey);
        b.reset();
      }
  ndxEngine = NdxEngine{};
  InitIndexSemaphore();
  ndxEngine.KeyMakerMarker = "ANWENDER-DEFINIERTENKEYMAKERBENUTZT,UMINDEXZUERZEUGEN";
  engineState.IndexUnitLinked = true;
  TIndexHooks& h = engineState.IndexHooks;
  h.IsActive = [] { return ctl() != nullptr; };
  h.Resync = [] { SyncIndex(false); };
  h.NextRecNo = [] { return _FindNextRec(); };
  h.PrevRecNo = [] { return _FindPriorRec(); };
  h.FirstRecNo = [] { return FirstRecNo(); };
  h.LastRecNo = [] { return LastRecNo(); };
  h.AtEnd = [] {
    TNdxControlBlock* b = ctl();
    TDbfControlBlock* cb = CurrentBlock();
    if (!b || natural()) return cb ? cb->AtEof : true;
    return b->IndexEof;
  };
  h.AtStart = [] {
    TNdxControlBlock* b = ctl();
    TDbfControlBlock* cb = CurrentBlock();
    if (!b || natural()) return cb ? cb->AtBof : true;
    return b->IndexBof;
  };
  h.AddKeys = [] { AppendNewKey(); };
  h.SaveKey = [] { SaveKey(); };
  h.SaveAllKeys = [] { SaveAllKeys(); };
  h.UpdateKeys = [] { UpdateKeys(); };
  h.SetStart = [] {
    if (TNdxControlBlock* b = ctl()) b->IndexBof = true;
  };
  h.SetEnd = [] {
    if (TNdxControlBlock* b = ctl()) b->IndexEof = true;
  };
  h.FoundFlag = &ndxEngine.IndexFound;
  h.Reindex = [] { Reindex(); };
  h.CloseIndexes = [] { CloseIndexes(); };
  h.IndexName = [](int32_t order) -> std::string {
    for (int32_t p = 1; p <= NdxMaxOrders; ++p)
      if (TNdxControlBlock* b = block(p); b && b->Order == order) return b->FileName;
    return "";
  };
  h.OrderKeyFunc = [](int32_t order) -> std::function<std::string()> {
    for (int32_t p = 1; p <= NdxMaxOrders; ++p)
      if (TNdxControlBlock* b = block(p); b && b->Order == order) {
        const uint8_t a = area();
        return [a, order]() -> std::string {
          for (int32_t q = 1; q <= NdxMaxOrders; ++q) {
            TNdxControlBlock* c = ndxEngine.Orders[a][static_cast<size_t>(q)].get();
            if (c && c->Order == order) {
              try {
                return keyText(*c, keyOf(*c));
              } catch (Fail&) {
                return "";
              }
            }
          }
          return "";
        };
      }
    return nullptr;
  };
  h.CurrentKeyFunc = []() -> std::function<std::string()> {
    if (!ctl() || natural()) {
      return [] {
        std::string n = num(RecNo());
        return "Rec:" + std::string(n.size() < 10 ? 10 - n.size() : 0, ' ') + n;
      };
    }
    return engineState.IndexHooks.OrderKeyFunc(ctl()->Order);
  };
  h.OrderAscending = [](int32_t order) {
    for (int32_t p = 1; p <= NdxMaxOrders; ++p)
      if (TNdxControlBlock* b = block(p); b && b->Order == order) return !b->UseDescending;
    return true;
  };
  h.OrderSoundex = [](int32_t order) {
    for (int32_t p = 1; p <= NdxMaxOrders; ++p)
      if (TNdxControlBlock* b = block(p); b && b->Order == order) return b->UseSoundex;
    return false;
  };
  // A table that was held exclusively while its indexes opened logs in once it is shared again.
  auto ensureLogin = [] {
    TDbfControlBlock* cb = CurrentBlock();
    if (ctl() && cb && !cb->Exclusive && (cb->OpenMode & 0x0F) == 2 && area() <= 34 && !indexSemaphore.States[area()])
      HandleSemafore(SemLogin);
  };
  h.SetReadSemaphoreProc = [ensureLogin](bool on) {
    if (on) ensureLogin();
    SetReadSemaphoreProc(on);
  };
  h.SetLockSemaphoreProc = [ensureLogin](bool on) {
    if (on) ensureLogin();
    SetLockSemaphoreProc(on);
  };
}


// ---- Insertion and deletion --------------------------------------------------------------------

namespace ndx {

uint32_t takeNode(TNdxControlBlock& b) {
  // Nodes another program appended are never handed out twice.
  b.Header.NextFree = std::max(b.Header.NextFree, blocksOnDisk(b));
  if (b.Header.NextFree >= 0x7FFFFFFFu) fail(254, "Index-Datei voll " + b.FileName + " [AppendIndex]");
  b.AnchorModified = true;
  return b.Header.NextFree++;
}

// The entries of a node as slots of entry size (an inner node has one slot more: its rightmost
// child, of which only the child field is stored).
std::vector<uint8_t> slotsOf(const Node& v, uint32_t slots) {
  std::vector<uint8_t> a(static_cast<size_t>(slots) * v.h.EntrySize, 0);
  if (!a.empty()) std::memcpy(a.data(), v.entry(0), std::min<size_t>(a.size(), NdxBlockSize - 4));
  return a;
}

void putSlots(Node& v, const uint8_t* a, uint32_t slots, uint32_t count, bool leaf) {
  std::memset(v.p + 4, 0, NdxBlockSize - 4);
  if (slots > 0) std::memcpy(v.entry(0), a, std::min<size_t>(static_cast<size_t>(slots) * v.h.EntrySize, NdxBlockSize - 4));
  if (!leaf) std::memset(v.entry(count) + 4, 0, static_cast<size_t>(NdxBlockSize - (v.entry(count) + 4 - v.p)));
  v.setCount(count);
}

// Inserts (key, rec) into the index. Returns -1 when the file cannot take another node.
int32_t insertKey(TNdxControlBlock& b, const std::string& key, uint32_t rec) {
  const auto* k = reinterpret_cast<const uint8_t*>(key.data());
  if (b.Header.Unique) {
    if (seekKey(b, k) && cmpKey(b, curKey(b), k) == 0) return 0;
  }
  if (b.Header.NextFree >= 0x7FFFFFFEu) return -1;
  // A new key goes before the keys equal to it, as other programs sharing the index insert it.
  descend(b, Mode::Key, k, rec);
  const uint32_t es = b.Header.EntrySize, kpn = b.Header.KeysPerNode;
  std::vector<uint8_t> ins(es, 0);
  wr32(ins.data() + 4, rec);
  std::memcpy(ins.data() + 8, key.data(), b.Header.KeyLen);

  TNdxNode node = b.OwnNode;
  uint32_t nodeNo = b.CurNodeNo;
  uint32_t pos = static_cast<uint32_t>(b.CurPos);
  bool leaf = true;
  uint32_t newChild = 0;  // inner levels: the child that goes right after the inserted entry
  size_t level = b.Path.size();
  for (;;) {
    Node v{b.Header, node.data()};
    const uint32_t n = v.count();
    const uint32_t slots = leaf ? n : n + 1;
    // All entries with the new one in place (one slot more than a node may hold).
    std::vector<uint8_t> all = slotsOf(v, slots);
    all.insert(all.begin() + static_cast<std::ptrdiff_t>(pos) * es, ins.begin(), ins.end());
    if (!leaf) wr32(all.data() + static_cast<size_t>(pos + 1) * es, newChild);
    if (n < kpn) {
      putSlots(v, all.data(), slots + 1, n + 1, leaf);
      writeNode(b, nodeNo, node);
      break;
    }
    // Split: the lower half keeps the node's number, the upper half goes to a new node.
    markUnfinished(b);
    const uint32_t keep = n - n / 2;
    const uint32_t lowerSlots = pos < keep ? keep + 1 : keep;
    const uint32_t upperNo = takeNode(b);
    // The largest entry of the lower half becomes its separator; in an inner node that entry keeps
    // only its child, as the rightmost one.
    std::vector<uint8_t> sep(all.begin() + static_cast<std::ptrdiff_t>(lowerSlots - 1) * es,
                             all.begin() + static_cast<std::ptrdiff_t>(lowerSlots) * es);
    TNdxNode lower{}, upper{};
    Node lv{b.Header, lower.data()}, uv{b.Header, upper.data()};
    const uint32_t upperSlots = slots + 1 - lowerSlots;
    putSlots(lv, all.data(), lowerSlots, leaf ? lowerSlots : lowerSlots - 1, leaf);
    putSlots(uv, all.data() + static_cast<size_t>(lowerSlots) * es, upperSlots, leaf ? upperSlots : upperSlots - 1,
             leaf);
    // The new node first: until the old one is rewritten, every entry is still where it was.
    writeNode(b, upperNo, upper);
    writeNode(b, nodeNo, lower);
    wr32(sep.data(), nodeNo);
    wr32(sep.data() + 4, 0);  // inner entries carry no record number
    if (level == 0) {
      const uint32_t rootNo = takeNode(b);
      TNdxNode root{};
      Node rv{b.Header, root.data()};
      std::memcpy(rv.entry(0), sep.data(), es);
      wr32(rv.entry(1), upperNo);
      rv.setCount(1);
      writeNode(b, rootNo, root);
      b.Header.Root = rootNo;
      b.AnchorModified = true;
      break;
    }
    --level;
    TNdxPathEntry& parent = b.Path[level];
    Node pv{b.Header, parent.Node.data()};
    pos = static_cast<uint32_t>(parent.Pos);
    if (pos > pv.count() || pv.child(pos) != nodeNo) corrupt(b, parent.NodeNo, "Pfad stimmt nicht");
    ins = sep;
    newChild = upperNo;
    node = parent.Node;
    nodeNo = parent.NodeNo;
    leaf = false;
  }
  if (b.AnchorModified) writeAnchor(b);
  b.Path.clear();
  b.CurNodeNo = 0;
  return 0;
}

// From path level `level` upward: the separator of the subtree just changed becomes key/rec,
// as long as the changed subtree is the rightmost child (which carries no separator).
void carrySeparator(TNdxControlBlock& b, size_t level, const uint8_t* entry) {
  while (level > 0) {
    --level;
    TNdxPathEntry& p = b.Path[level];
    Node v{b.Header, p.Node.data()};
    const uint32_t at = static_cast<uint32_t>(p.Pos);
    if (at < v.count()) {
      wr32(v.entry(at) + 4, 0);
      std::memcpy(v.entry(at) + 8, entry + 8, b.Header.KeyLen);
      writeNode(b, p.NodeNo, p.Node);
      return;
    }
  }
}

void emptyTree(TNdxControlBlock& b) {
  TNdxNode zero{};
  writeNode(b, 1, zero);
  b.Header.Root = 1;
  b.Header.NextFree = 2;
  if (::ftruncate(b.IndexFile, 2 * NdxBlockSize) != 0) {
    // The nodes past the root stay unused; the next open counts them again.
  }
  b.AnchorModified = true;
}

// Removes the entry (key, rec). 0 done, -1 not found (0 for a UNIQUE index).
int32_t deleteKey(TNdxControlBlock& b, const std::string& key, uint32_t rec) {
  const auto* k = reinterpret_cast<const uint8_t*>(key.data());
  if (!seekEntry(b, k, rec)) return b.Header.Unique ? 0 : -1;
  const uint32_t es = b.Header.EntrySize;
  Node lv{b.Header, b.OwnNode.data()};
  const uint32_t n = lv.count(), pos = static_cast<uint32_t>(b.CurPos);
  if (n > 1) {
    std::vector<uint8_t> all = slotsOf(lv, n);
    all.erase(all.begin() + static_cast<std::ptrdiff_t>(pos) * es, all.begin() + static_cast<std::ptrdiff_t>(pos + 1) * es);
    putSlots(lv, all.data(), n - 1, n - 1, true);
    writeNode(b, b.CurNodeNo, b.OwnNode);
    if (pos == n - 1) carrySeparator(b, b.Path.size(), lv.entry(n - 2));
  } else {
    TNdxNode zero{};
    size_t level = b.Path.size();
    uint32_t gone = b.CurNodeNo;
    if (level == 0) {
      emptyTree(b);
    } else {
      markUnfinished(b);
      writeNode(b, gone, zero);
      // Take the emptied child out of its parent; a parent left without children goes as well.
      for (;;) {
        --level;
        TNdxPathEntry& p = b.Path[level];
        Node v{b.Header, p.Node.data()};
        const uint32_t cnt = v.count(), at = static_cast<uint32_t>(p.Pos);
        if (at > cnt || v.child(at) != gone) corrupt(b, p.NodeNo, "Pfad stimmt nicht");
        if (cnt == 0) {
          gone = p.NodeNo;
          if (level == 0) {
            emptyTree(b);
            break;
          }
          writeNode(b, gone, zero);
          continue;
        }
        std::vector<uint8_t> dropped;
        std::vector<uint8_t> all = slotsOf(v, cnt + 1);
        if (at < cnt) {
          all.erase(all.begin() + static_cast<std::ptrdiff_t>(at) * es, all.begin() + static_cast<std::ptrdiff_t>(at + 1) * es);
        } else {
          // The rightmost child goes: the last keyed entry's child takes its place, without key.
          dropped.assign(all.begin() + static_cast<std::ptrdiff_t>(cnt - 1) * es, all.begin() + static_cast<std::ptrdiff_t>(cnt) * es);
          all.resize(static_cast<size_t>(cnt) * es);
        }
        putSlots(v, all.data(), cnt, cnt - 1, false);
        if (cnt - 1 >= 1) {
          writeNode(b, p.NodeNo, p.Node);
          if (!dropped.empty()) carrySeparator(b, level, dropped.data());
          break;
        }
        // One child left: the node is bypassed.
        const uint32_t only = v.child(0);
        if (level == 0) {
          b.Header.Root = only;
          b.AnchorModified = true;
        } else {
          TNdxPathEntry& g = b.Path[level - 1];
          Node gv{b.Header, g.Node.data()};
          wr32(gv.entry(static_cast<uint32_t>(g.Pos)), only);
          writeNode(b, g.NodeNo, g.Node);
        }
        writeNode(b, p.NodeNo, zero);
        break;
      }
    }
  }
  if (b.AnchorModified) writeAnchor(b);
  b.Path.clear();
  b.CurNodeNo = 0;
  return 0;
}

}  // namespace ndx

// ---- File names, opening, closing ------------------------------------------------------------------

namespace {

// Runs a routine of the node layer: its failure has set the error and ends it here. While errors
// are not reported at once the failure is raised, so that no walk goes on over a damaged index.
template <class F>
auto guarded(F&& f, decltype(f()) onFail) -> decltype(f()) {
  try {
    return f();
  } catch (Fail&) {
    if (!engineState.XbReportErrors && engineState.XbErrorCode != 0)
      RaiseXbaseError(XbErrorText(engineState.XbErrorCode) + "\r\n" + engineState.XbErrorContext);
    return onFail;
  }
}

std::string upperPath(const std::string& p) { return XbUpperStr(XbResolveFileName(XbFullPath(p))); }

std::string blankKey(const TNdxControlBlock& b) { return std::string(b.Header.KeyLen, b.CharKey ? ' ' : '\0'); }

bool validRecord() {
  TDbfControlBlock* cb = CurrentBlock();
  return cb && cb->RecCount > 0 && cb->RecNo >= 1 && cb->RecNo <= cb->RecCount;
}

// The key of the current record, blanks (zero bytes) without one.
std::string recordKey(TNdxControlBlock& b) { return validRecord() ? keyOf(b) : blankKey(b); }

bool hiddenRecord(const TDbfControlBlock& cb) {
  return cb.IgnoreDeleted && !cb.RawRecord.empty() && cb.RawRecord[0] == '*';
}

// Keeps the current record of an area (stored and binary form, number, flags) and puts it back
// when the scope ends, whatever the scope did with the area's record.
class RecordKeeper {
 public:
  explicit RecordKeeper(TDbfControlBlock& cb)
      : cb_(cb), raw_((DecodeRecord(cb), cb.RawRecord)), bin_(cb.RecordBuffer, cb.RecordBuffer + cb.RecordBufferSize),
        assigned_(cb.Assigned), recNo_(cb.RecNo), eof_(cb.AtEof), bof_(cb.AtBof) {}
  ~RecordKeeper() {
    cb_.RawRecord = raw_;
    if (!bin_.empty()) std::memcpy(cb_.RecordBuffer, bin_.data(), bin_.size());
    cb_.AnyUndecoded = false;
    cb_.Assigned = assigned_;
    cb_.MaybeAssigned = true;
    cb_.RecNo = recNo_;
    cb_.AtEof = eof_;
    cb_.AtBof = bof_;
  }
  RecordKeeper(const RecordKeeper&) = delete;
  RecordKeeper& operator=(const RecordKeeper&) = delete;

 private:
  TDbfControlBlock& cb_;
  std::vector<uint8_t> raw_, bin_, assigned_;
  int32_t recNo_;
  bool eof_, bof_;
};

// Runs f with the blank record past the end as the current record, then restores the record.
template <class F>
auto onBlankRecord(TDbfControlBlock& cb, F&& f) {
  RecordKeeper keep(cb);
  cb.RawRecord.assign(cb.RecLen, ' ');
  RawToBinary(cb, cb.RecordBuffer);
  cb.RecNo = cb.RecCount + 1;
  return f();
}

void freeBlock(std::unique_ptr<TNdxControlBlock>& b) {
  if (!b) return;
  XbCloseFile(b->IndexFile);
  if (b->CompiledKey && engineState.ParserHooks.FreeExpr) engineState.ParserHooks.FreeExpr(b->CompiledKey);
  b.reset();
}

bool anyIndexOpen() {
  for (int32_t p = 1; p <= NdxMaxOrders; ++p)
    if (block(p)) return true;
  return false;
}

const char* kOpenCtx = " [OpenIndex/Set_Index_To]";

// Opens the index file as the block of the given order position; errors through IndexError.
void openIndex(const std::string& name, bool soundex, uint8_t order, bool descending, TNdxKeyMaker keyMaker) {
  TDbfControlBlock& cb = *CurrentBlock();
  const std::string mine = upperPath(name);
  for (uint8_t a = 1; a <= 35; ++a)
    for (int32_t p = 1; p <= NdxMaxOrders; ++p) {
      const TNdxControlBlock* o = ndxEngine.Orders[a][static_cast<size_t>(p)].get();
      if (!o || upperPath(o->FileName) != mine) continue;
      TDbfControlBlock* other = AreaBlock(a);
      if (a == area() || !other || upperPath(other->FileName) != upperPath(cb.FileName))
        IndexError(220, "Index-Datei bereits ge\xF6" "ffnet: " + name + " f\xFCr " + (other ? other->FileName : "") +
                            "\n\rVersuch gleichnamigen Index zu setzen f\xFCr " + cb.FileName +
                            ". [OpenIndex/Set_Index_To]");
    }
  uint16_t mode = cb.Exclusive ? 0x02 : 0x42;
  if (workAreas.OpenModeOverride < 0xFFFF) mode = workAreas.OpenModeOverride & 0xFF;
  auto b = std::make_unique<TNdxControlBlock>();
  struct Drop {
    std::unique_ptr<TNdxControlBlock>& b;
    ~Drop() { freeBlock(b); }
  } drop{b};
  b->FileName = name;
  uint16_t rc = XbOpenFile(name, mode, b->IndexFile);
  if (rc != 0) IndexError(rc, "Kann Index nicht \xF6" "ffnen: " + name + kOpenCtx);
  // Size and anchor are taken together while no other program writes.
  struct stat st {};
  uint8_t anchor[NdxBlockSize];
  int64_t got = 0;
  int statRc;
  {
    SetReadSemaphoreProc(true);
    statRc = ::fstat(b->IndexFile, &st);
    if (statRc == 0) got = XbReadAt(b->IndexFile, 0, anchor, NdxBlockSize);
    SetReadSemaphoreProc(false);
  }
  if (statRc != 0 || st.st_size < 2 * NdxBlockSize)
    IndexError(222, "Kann Index nicht \xF6" "ffnen: " + name + kOpenCtx);
  if (got != NdxBlockSize) IndexError(222, "Kann Index nicht \xF6" "ffnen: " + name + kOpenCtx);
  b->Header = headerFromBytes(anchor);
  b->TableStamp = static_cast<uint32_t>(anchor[kTableStampAt] | anchor[kTableStampAt + 1] << 8 | anchor[kTableStampAt + 2] << 16);
  b->Damaged = anchor[kDamageMark] != 0;
  b->Cache = std::make_unique<NdxNodeCache>(st.st_dev, st.st_ino);
  const uint32_t blocks = static_cast<uint32_t>(std::min<int64_t>(st.st_size / NdxBlockSize, 0x7FFFFFFF));
  const std::string fault = headerFault(b->Header, blocks);
  if (!fault.empty())
    IndexError(222, "Index-Datei besch\xE4" "digt (" + fault + ") " + name + kOpenCtx);
  std::string text(reinterpret_cast<const char*>(anchor + 24), strnlen(reinterpret_cast<const char*>(anchor + 24), 100));
  if (cb.OemConvert) text = XbOemToAnsi(text);
  text = NormalizeExpr(text);
  std::string bare;
  for (char c : text)
    if (c != ' ') bare += c;
  const bool marker = bare == ndxEngine.KeyMakerMarker;
  b->CharKey = b->Header.KeyType == 'C';
  if (!keyMaker) {
    if (marker)
      IndexError(223, "KeyMaker-Funktion ben\xF6tigt, \"" + name + "\" wurde von KeyMaker-Funktion erzeugt." + kOpenCtx);
    if (!engineState.ParserUnitLinked || !engineState.ParserHooks.AssignExpr)
      IndexError(221, "XBParser-Unit nicht eingebunden. [OpenIndex/Set_Index_To]");
    b->CompiledKey = text.empty() ? nullptr : engineState.ParserHooks.AssignExpr(text);
    if (!b->CompiledKey)
      IndexError(222, "Ung\xFCltiger dBASE-Schl\xFCsselausdruck oder Index-Datei besch\xE4" "digt " + name + kOpenCtx);
    b->Shape = shapeOf(b->CompiledKey);
    const char t = b->Shape.Type == 'F' ? 'N' : b->Shape.Type;
    const bool typeOk = (t == 'C' && b->CharKey) || ((t == 'N' || t == 'D') && !b->CharKey);
    if (!typeOk) IndexError(222, kOpenCtx);
    b->KeyExprText = text;
  } else {
    if (!marker)
      IndexError(223, "KeyMaker-Funktion mit durch dBase-Schl\xFCsselausdruck erzeugter Index-Datei verwendet "
                      "[OpenIndex/Set_Index_ToCB(" + name + ")]");
    if (!b->CharKey) IndexError(222, "Index-Datei besch\xE4" "digt (Schl\xFCsseltyp) " + name + kOpenCtx);
    b->KeyMaker = std::move(keyMaker);
    b->UseSoundex = soundex;
    b->UseDescending = descending;
    b->KeyExprText = ndxEngine.KeyMakerMarker;
  }
  b->Order = order;
  // Nodes another program appended count as well; a file that grew gets its anchor corrected.
  if (b->Header.NextFree != blocks) {
    b->Header.NextFree = blocks;
    SemBracket write(true);
    writeAnchor(*b);
  }
  // The key of a character index must fill the key length (checked on the blank record).
  if (b->CharKey) {
    std::string key;
    try {
      key = onBlankRecord(cb, [&] { return naturalKey(*b); });
    } catch (Fail&) {
      IndexError(engineState.XbErrorCode, name + kOpenCtx);
    }
    if (key.size() != b->Header.KeyLen) {
      std::string klen = num(b->Header.KeyLen);
      IndexError(266, "Ung\xFCltige Schl\xFCssell\xE4nge von anwender-definiertem KeyMaker geliefert.\n\rErwartete L\xE4nge= " +
                          std::string(klen.size() < 3 ? 3 - klen.size() : 0, ' ') + klen + "\n\rSchl\xFCssel= [" + key +
                          "] " + name + " [SetIndexTo/OpenIndex]");
    }
  }
  b->CurrentKey = blankKey(*b);
  if (cb.RecCount == 0) b->IndexBof = b->IndexEof = true;
  ndxEngine.Orders[area()][order] = std::move(b);
}

// An index that a failed or unfinished change marked, or one built for the table as it was before
// (another stamp: a pack that did not get to rebuild it), is never used: it is built again from the
// table, and a table that cannot be written refuses it. False with the error set.
bool rebuildIfStale(const std::string& file, TDbfControlBlock& cb, bool soundex, bool descending, uint8_t order,
                    const TNdxKeyMaker& keyMaker) {
  uint8_t anchor[NdxBlockSize];
  int64_t got = 0;
  {
    // Inside the write bracket no other program is in the middle of a change: a mark seen here
    // was left by one that failed or died.
    SemBracket write(true);
    int fd = -1;
    if (XbOpenFile(file, XbModeReadOnlyDenyNone, fd) != 0) return true;  // the open says why
    got = XbReadAt(fd, 0, anchor, NdxBlockSize);
    XbCloseFile(fd);
  }
  if (got != NdxBlockSize) return true;
  const uint32_t stamp =
      static_cast<uint32_t>(anchor[kTableStampAt] | anchor[kTableStampAt + 1] << 8 | anchor[kTableStampAt + 2] << 16);
  const bool damaged = anchor[kDamageMark] != 0;
  if (!damaged && stamp == DbfTableStamp(cb)) return true;
  std::string expr(reinterpret_cast<const char*>(anchor + 24), strnlen(reinterpret_cast<const char*>(anchor + 24), 100));
  if (cb.OemConvert) expr = XbOemToAnsi(expr);
  std::string bare;
  for (char c : NormalizeExpr(expr))
    if (c != ' ') bare += c;
  if (!keyMaker && bare == ndxEngine.KeyMakerMarker) return true;  // the open refuses it
  const std::string why = damaged ? "Schreiben nicht abgeschlossen" : "zu einem anderen Stand der Tabelle erstellt";
  if ((cb.OpenMode & 0x0F) != 2) {
    IndexError(222, "Index-Datei besch\xE4" "digt (" + why + ") " + file + kOpenCtx);
    return false;
  }
  if (MakeIndex(file, keyMaker ? "" : expr, soundex, order, anchor[23] != 0, descending, keyMaker)) return true;
  const uint16_t code = engineState.XbErrorCode ? engineState.XbErrorCode : 222;
  IndexError(code, XbTakeErrorContext() + " (" + why + ") " + file + kOpenCtx);
  return false;
}

// Order k comes to position 1, order 1 to position k, every other order to its own position.
void swapToFront(int32_t k) {
  auto& orders = ndxEngine.Orders[area()];
  std::vector<std::unique_ptr<TNdxControlBlock>> all;
  for (auto& o : orders)
    if (o) all.push_back(std::move(o));
  for (auto& o : all) {
    const size_t to = o->Order == k ? 1 : (o->Order == 1 ? static_cast<size_t>(k) : o->Order);
    o->CurNodeNo = 0;
    orders[to] = std::move(o);
  }
}

std::string takeOption(std::string& name, const char* word) {
  std::string probe = name;
  if (StripKeyword(word, probe)) {
    name = probe;
    return word;
  }
  return "";
}

}  // namespace

std::string IndexFileName(const std::string& name) {
  std::string n = XbAllTrim(name);
  std::string d, base, e;
  XbFSplit(n, d, base, e);
  if (e.empty()) n += ".NDX";
  if (n.find('/') == std::string::npos && n.find('\\') == std::string::npos && n.find(':') == std::string::npos) {
    if (TDbfControlBlock* cb = CurrentBlock()) {
      std::string td, tn, te;
      XbFSplit(cb->FileName, td, tn, te);
      n = td + n;
    }
  }
  return XbResolveFileName(n);
}

bool SetIndexTo(const std::string& nameWithOptions, int32_t order, TNdxKeyMaker keyMaker) {
  engineState.XbErrorCode = 0;
  CloseIndex(order);
  if (engineState.XbErrorCode != 0) return false;
  std::string name = " " + nameWithOptions + " ";
  const bool soundex = !takeOption(name, " SOUNDEX").empty();
  const bool descending = !takeOption(name, " DESCENDING").empty();
  takeOption(name, " UNIQUE");
  takeOption(name, " NOCACHE");
  // StripKeyword upper-cases: take the name itself from the original text.
  std::string plain = XbAllTrim(nameWithOptions);
  for (const char* w : {" UNIQUE", " NOCACHE", " SOUNDEX", " DESCENDING"}) {
    size_t at = XbUpperStr(" " + plain + " ").find(std::string(w) + " ");
    while (at != std::string::npos) {
      plain = XbAllTrim(plain.substr(0, at) + plain.substr(std::min(plain.size(), at + std::strlen(w) - 1)));
      at = XbUpperStr(" " + plain + " ").find(std::string(w) + " ");
    }
  }
  const std::string ctx = "(<>," + plain + "," + num(order) + ")]";
  if (order < 1 || order > NdxMaxOrders) {
    IndexError(220, "Parameter Index-Ordnung au\xDF" "erhalb des zul\xE4ssigen Bereichs [SetIndexTo" + ctx);
    return false;
  }
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb) {
    IndexError(215, "\xD6" "ffnungsversuch von " + plain + " Index-Datei ohne ge\xF6" "ffnete DBF-Datei. [SetIndexTo" + ctx);
    return false;
  }
  const std::string file = IndexFileName(plain);
  if (!XbFileExists(file)) {
    IndexError(2, "\xD6" "ffnungsversuch von " + file + " [SetIndexTo(...," + num(order) + ")]");
    return false;
  }
  // A table opened for reading only cannot take the lock that LOGIN needs: it reads the index as
  // it finds it.
  const uint16_t ov = workAreas.OpenModeOverride;
  const bool writable = (cb->OpenMode & 0x0F) == 2;
  if (writable && (ov == 0xFFFF || ((ov & 0x02) && (ov & 0x40)))) {
    HandleSemafore(SemLogin);
    if (engineState.XbErrorCode != 0) return false;
  }
  auto logoutUnused = [] {
    if (anyIndexOpen()) return;
    XbQuietErrors quiet;
    const uint16_t code = engineState.XbErrorCode;
    try {
      HandleSemafore(SemLogout);
    } catch (...) {
    }
    engineState.XbErrorCode = code;
  };
  try {
    if (!rebuildIfStale(file, *cb, soundex, descending, static_cast<uint8_t>(order), keyMaker)) {
      logoutUnused();
      return false;
    }
    openIndex(file, soundex, static_cast<uint8_t>(order), descending, std::move(keyMaker));
  } catch (...) {
    logoutUnused();
    throw;
  }
  if (engineState.XbErrorCode == 0) SaveKey();
  return engineState.XbErrorCode == 0;
}

bool Set_Index_To(const std::string& nameWithOptions, int32_t order) {
  if (!SetIndexTo(nameWithOptions, order)) return false;
  Set_Order_To(1);
  return engineState.XbErrorCode == 0;
}

bool Set_Index_ToCB(const std::string& nameWithOptions, int32_t order, TNdxKeyMaker keyMaker) {
  if (!SetIndexTo(nameWithOptions, order, std::move(keyMaker))) return false;
  Set_Order_To(1);
  return engineState.XbErrorCode == 0;
}

void SetIndexList(const std::string& names) {
  CloseIndexes();
  int32_t order = 0;
  std::string rest = XbAllTrim(names);
  while (!rest.empty() && order < NdxMaxOrders) {
    size_t sp = rest.find(' ');
    std::string one = rest.substr(0, sp);
    rest = sp == std::string::npos ? "" : XbAllTrim(rest.substr(sp));
    if (!SetIndexTo(one, ++order)) return;
  }
  if (order > 0) Set_Order_To(1);
}

int32_t CurrentOrder() {
  TNdxControlBlock* b = ctl();
  return (!b || natural()) ? 0 : b->Order;
}

void CloseIndex(int32_t position) {
  if (position < 1 || position > NdxMaxOrders || area() > 35) return;
  auto& slot = ndxEngine.Orders[area()][static_cast<size_t>(position)];
  if (!slot) return;
  TDbfControlBlock* cb = CurrentBlock();
  struct Release {
    std::unique_ptr<TNdxControlBlock>& slot;
    ~Release() { freeBlock(slot); }
  } release{slot};
  TNdxControlBlock& b = *slot;
  if (b.AnchorModified) {
    const bool shared = cb && !cb->Exclusive;
    if (shared) {
      uint16_t rc = LockRange(false, b.IndexFile, 0, 1);
      if (rc != 0) IndexError(rc, "Konnte Index nicht sperren um Anchor-Knoten zu schreiben" + b.FileName);
    }
    writeAnchor(b);
    if (shared) {
      uint16_t rc = LockRange(true, b.IndexFile, 0, 1);
      if (rc != 0) IndexError(rc, "Konnte Index nicht entsperren nach Schreiben des Anchor-Knotens " + b.FileName);
    }
  }
  if (b.IndexFile >= 0 && XbCloseFile(b.IndexFile) != 0)
    IndexError(engineState.XbErrorCode ? engineState.XbErrorCode : 5, "Fehler beim Schlie\xDF" "en der Index-Datei:  " + b.FileName);
  freeBlock(slot);
  if (!anyIndexOpen()) HandleSemafore(SemLogout);
}

void CloseIndexes() {
  if (area() > 35) return;
  natural() = false;
  XbQuietErrors quiet;
  for (int32_t p = 1; p <= NdxMaxOrders; ++p) {
    engineState.XbErrorCode = 0;
    try {
      CloseIndex(p);
    } catch (EXbaseError&) {
    }
  }
  try {
    HandleSemafore(SemLogout);
  } catch (EXbaseError&) {
  }
  indexSemaphore.ReadDepth[area()] = 0;
  indexSemaphore.LockDepth[area()] = 0;
}

void Set_Order_To(int32_t k) {
  TDbfControlBlock* cb = CurrentBlock();
  if (!CheckArea("Set_Order_To")) return;
  TNdxControlBlock* b = ctl();
  const std::string ctx = "(" + num(k) + ")]";
  if (!b) {
    IndexError(221, "Index nicht ge\xF6" "ffnet. (DBF=" + cb->FileName + ") [Set_Order_To" + ctx);
    return;
  }
  if (k < 0 || k > NdxMaxOrders) {
    IndexError(220, "Ung\xFCltige Index-Ordnung angegeben: SET_ORDER_TO. [Set_Order_To" + ctx + " (DBF=" + cb->FileName + ")");
    return;
  }
  if (k == 0) {
    natural() = true;
    return;
  }
  const bool found = ndxEngine.IndexFound;
  SemBracket read(false);
  natural() = false;
  RereadRecord();
  if (k != b->Order) {
    auto& orders = ndxEngine.Orders[area()];
    bool open = false;
    for (auto& o : orders)
      if (o && o->Order == k) open = true;
    if (!open) {
      IndexError(221, "Index nicht ge\xF6" "ffnet.. (DBF=" + cb->FileName + ") [Set_Order_To" + ctx);
      return;
    }
    const bool atEnd = b->IndexEof;
    swapToFront(k);
    if (atEnd) ctl()->IndexEof = true;
  }
  SyncIndex(true);
  SaveKey();
  ndxEngine.IndexFound = found;
}

bool IndexInfo(TIndexInfo& info, const std::string& name) {
  info = TIndexInfo{};
  if (XbAllTrim(name).empty()) {
    IndexError(220, "[IndexInfo(<>," + name + ")]");
    return false;
  }
  const std::string file = IndexFileName(name);
  // Reading the anchor takes no share lock: the index may be open in this or another program.
  int fd = SysOpen(XbResolveFileName(file), O_RDONLY | O_CLOEXEC);
  uint16_t rc = fd < 0 ? XbIoCode(errno) : 0;
  uint8_t blk[NdxBlockSize] = {};
  if (rc == 0 && XbReadAt(fd, 0, blk, NdxBlockSize) != NdxBlockSize) rc = 100;
  XbCloseFile(fd);
  if (rc != 0) {
    IndexError(rc, "Fehler beim Lesen der Index-Datei: \n\r[IndexInfo(<>," + name + ")]");
    return false;
  }
  info.Expression.assign(reinterpret_cast<const char*>(blk + 24), strnlen(reinterpret_cast<const char*>(blk + 24), 100));
  info.KeyLen = blk[12];
  info.KeyType = static_cast<char>(blk[9]);
  info.Unique = blk[23] != 0;
  if (rd32(blk + 488) == ~rd32(blk + 492)) {
    info.RecCount = static_cast<int32_t>(rd32(blk + 492));
    info.DbfName.assign(reinterpret_cast<const char*>(blk + 496), strnlen(reinterpret_cast<const char*>(blk + 496), 12));
  }
  return true;
}

int32_t IndexRecCount(const std::string& name) {
  TIndexInfo info;
  return IndexInfo(info, name) ? info.RecCount : -1;
}

void ReadAnchorNodes() {
  for (int32_t p = 1; p <= NdxMaxOrders; ++p) {
    TNdxControlBlock* b = block(p);
    if (!b) continue;
    uint8_t h[24];
    if (XbReadAt(b->IndexFile, 0, h, 24) != 24) {
      IndexError(XbIoCode(errno ? errno : EIO), "Fehler beim Lesen der Index-Datei:  " + b->FileName + " [ReadAnchorNodes]");
      return;
    }
    TNdxHeader fresh = headerFromBytes(h);
    const uint32_t blocks = blocksOnDisk(*b);
    if (!headerFault(fresh, blocks).empty() || fresh.KeyLen != b->Header.KeyLen || fresh.KeyType != b->Header.KeyType) {
      IndexError(222, "Index-Datei besch\xE4" "digt " + b->FileName + " [ReadAnchorNodes]");
      return;
    }
    fresh.NextFree = std::max(fresh.NextFree, blocks);
    b->Header = fresh;
    b->CurNodeNo = 0;
  }
}

void WriteAnchorNode(int32_t position) {
  if (TNdxControlBlock* b = block(position)) writeAnchor(*b);
}

// ---- Search and walk ---------------------------------------------------------------------------------

namespace {

TNdxControlBlock* needIndex(const char* routine) {
  TDbfControlBlock* cb = CurrentBlock();
  TNdxControlBlock* b = ctl();
  if (!b) XbSetError(221, "Index nicht ge\xF6" "ffnet. (DBF=" + (cb ? cb->FileName : std::string()) + ") [" + routine + "]");
  return b;
}

// Moves to the first or last key; false when the index is empty.
bool toEnd(TNdxControlBlock& b, bool last) {
  descend(b, last ? Mode::Last : Mode::First);
  if (leafCount(b) > 0) return true;
  return stepLeaf(b, !last) && leafCount(b) > 0;
}

int32_t endRecNo(bool last) {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb) return 0;
  TNdxControlBlock* b = ctl();
  if (!b || natural()) {
    ndxEngine.IndexFound = cb->RecCount > 0;
    return last ? std::max(cb->RecCount, 1) : 1;
  }
  ndxEngine.IndexFound = false;
  CheckIndexChanged();
  if (!toEnd(*b, last)) {
    b->IndexBof = b->IndexEof = true;
    return cb->RecCount + 1;
  }
  if (last) b->CurPos = static_cast<int32_t>(leafCount(*b)) - 1;
  b->IndexBof = b->IndexEof = false;
  ndxEngine.IndexFound = true;
  b->CurrentKey.assign(reinterpret_cast<const char*>(curKey(*b)), b->Header.KeyLen);
  return static_cast<int32_t>(curRec(*b));
}

// Finds the position again after other writes: 0 on the entry, 1 on the entry after it, 2 at the
// end (standing on the last entry).
int reposition(TNdxControlBlock& b, uint32_t rec) {
  const auto* k = reinterpret_cast<const uint8_t*>(b.CurrentKey.data());
  if (b.CurrentKey.size() == b.Header.KeyLen && seekEntry(b, k, rec)) return 0;
  std::string key = b.CurrentKey;
  key.resize(b.Header.KeyLen, b.CharKey ? ' ' : '\0');
  descend(b, Mode::Entry, reinterpret_cast<const uint8_t*>(key.data()), rec);
  if (static_cast<uint32_t>(b.CurPos) < leafCount(b)) return 1;
  if (leafCount(b) > 0) {
    b.CurPos = static_cast<int32_t>(leafCount(b)) - 1;
    if (stepNext(b)) return 1;
    return 2;
  }
  return toEnd(b, true) ? (b.CurPos = static_cast<int32_t>(leafCount(b)) - 1, 2) : 2;
}

bool stale(const TNdxControlBlock& b) { return b.CurNodeNo == 0 || b.PathGen != ndxEngine.NodeWriteGen; }

}  // namespace

int32_t FirstRecNo() {
  if (!CurrentBlock()) return 0;
  if (ctl() == nullptr && !natural()) {
    if (!needIndex("_FindFirstRec")) return 0;
  }
  return guarded([] { return endRecNo(false); }, 0);
}

int32_t LastRecNo() {
  if (!CurrentBlock()) return 0;
  if (ctl() == nullptr && !natural()) {
    if (!needIndex("_FindLastRec")) return 0;
  }
  return guarded([] { return endRecNo(true); }, 0);
}

void GoIndexEof() {
  TDbfControlBlock* cb = CurrentBlock();
  TNdxControlBlock* b = ctl();
  if (!cb) return;
  LastRecNo();
  Dbf4RawGo(cb->RecCount + 1);
  if (b) {
    b->IndexEof = true;
    b->OnDummy = true;
  }
}

namespace {

// The record of the next (forward) or prior key of the working order.
int32_t stepRecNo(bool forward) {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb) return 0;
  ndxEngine.IndexFound = false;
  return guarded(
      [cb, forward]() -> int32_t {
        CheckIndexChanged();
        TNdxControlBlock* b = ctl();
        if (cb->RecCount == 0) {
          if (b) b->IndexBof = b->IndexEof = true;
          return cb->RecCount + 1;
        }
        if (!b || natural()) {
          if (forward ? cb->RecNo < cb->RecCount : cb->RecNo > 1) return cb->RecNo + (forward ? 1 : -1);
          (forward ? cb->AtEof : cb->AtBof) = true;
          return cb->RecNo;
        }
        if (forward) {
          b->IndexBof = false;
          if (b->IndexEof || b->OnDummy) {
            const int32_t r = endRecNo(true);
            b->IndexEof = true;
            b->OnDummy = true;
            return r;
          }
        } else {
          if (b->OnDummy) return endRecNo(true);
          if (b->IndexBof && !stale(*b)) return static_cast<int32_t>(curRec(*b));
          b->IndexEof = false;
        }
        bool moved;
        if (stale(*b)) {
          // 0: on the entry it stood on, 1: on the entry after it, 2: on the last entry (past it).
          const int st = reposition(*b, b->CurNodeNo == 0 ? static_cast<uint32_t>(cb->RecNo) : curRec(*b));
          if (forward) moved = st == 0 ? stepNext(*b) : st == 1;
          else moved = st == 2 ? !b->IndexBof : stepPrior(*b);
        } else {
          moved = forward ? stepNext(*b) : stepPrior(*b);
        }
        if (!moved) {
          toEnd(*b, forward);
          if (forward) b->CurPos = static_cast<int32_t>(leafCount(*b)) - 1;
          (forward ? b->IndexEof : b->IndexBof) = true;
        }
        ndxEngine.IndexFound = !(forward ? b->IndexEof : b->IndexBof);
        b->CurrentKey.assign(reinterpret_cast<const char*>(curKey(*b)), b->Header.KeyLen);
        return static_cast<int32_t>(curRec(*b));
      },
      0);
}

}  // namespace

int32_t _FindNextRec() { return stepRecNo(true); }

int32_t _FindPriorRec() { return stepRecNo(false); }

// Takes over the anchors another program wrote; false when nothing changed.
static bool TakeOverChanges() {
  if (!SemaphoreChanged()) return false;
  forgetCachedNodes();
  ReadAnchorNodes();
  ++ndxEngine.NodeWriteGen;
  return true;
}

void CheckIndexChanged() {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb || !TakeOverChanges()) return;
  RefreshCount();
  if (cb->RecNo >= 1 && cb->RecNo <= cb->RecCount) {
    GetDbfRecord(*cb, cb->RecNo);
    RawToBinary(*cb, cb->RecordBuffer);
  }
  if (cb->RecNo > cb->RecCount) {
    GoIndexEof();
  } else if (!natural()) {
    SoftSyncIndex();
  }
}

void SoftSyncIndex() {
  TNdxControlBlock* b = ctl();
  TDbfControlBlock* cb = CurrentBlock();
  if (!b || !cb || !validRecord()) return;
  guarded(
      [&] {
        const std::string key = keyOf(*b);
        const auto* k = reinterpret_cast<const uint8_t*>(key.data());
        const bool ok = b->Header.Unique ? (seekKey(*b, k) && cmpKey(*b, curKey(*b), k) == 0)
                                         : seekEntry(*b, k, static_cast<uint32_t>(cb->RecNo));
        if (!ok)
          XbSetError(212, "Datensatz mit Schl\xFCssel: \"" + XbRTrim(key) + "\" nicht im Index: " + b->FileName +
                              ". [SoftSyncIndex]");
        else
          b->CurrentKey = key;
        return 0;
      },
      0);
}

void SyncIndex(bool all) {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb || !ctl()) return;
  const bool wasNatural = natural();
  guarded(
      [&] {
        CheckIndexChanged();
        natural() = false;
        for (int32_t p = 1; p <= (all ? NdxMaxOrders : 1); ++p) {
          TNdxControlBlock* b = block(p);
          if (!b) continue;
          if (validRecord()) {
            const std::string key = keyOf(*b);
            const auto* k = reinterpret_cast<const uint8_t*>(key.data());
            if (b->Header.Unique) {
              if (!seekKey(*b, k) || cmpKey(*b, curKey(*b), k) != 0)
                fail(212, "Schl\xFCssel: \"" + XbRTrim(key) + "\" nicht im Index: " + b->FileName +
                              ". [SyncIndex-1] Record: " + num(cb->RecNo));
            } else if (!seekEntry(*b, k, static_cast<uint32_t>(cb->RecNo))) {
              fail(212, "Datensatz mit Schl\xFCssel: \"" + XbRTrim(key) + "\" nicht im Index: " + b->FileName +
                            ". [SyncIndex-2]");
            }
            b->IndexBof = b->IndexEof = false;
            b->CurrentKey = key;
          } else if (p == 1 && !wasNatural) {
            if (toEnd(*b, true)) b->CurPos = static_cast<int32_t>(leafCount(*b)) - 1;
            b->IndexEof = true;
            b->OnDummy = true;
          } else if (toEnd(*b, true)) {
            b->CurPos = static_cast<int32_t>(leafCount(*b)) - 1;
          }
        }
        return 0;
      },
      0);
  natural() = wasNatural;
}

void SaveKey() {
  TNdxControlBlock* b = ctl();
  if (!b) return;
  guarded(
      [b] {
        b->CurrentKey = recordKey(*b);
        return 0;
      },
      0);
}

void SaveAllKeys() {
  SyncIndex(false);
  TDbfControlBlock* cb = CurrentBlock();
  guarded(
      [cb] {
        for (int32_t p = 1; p <= NdxMaxOrders; ++p) {
          TNdxControlBlock* b = block(p);
          if (!b) continue;
          b->SavedKey = recordKey(*b);
          b->SavedRec = validRecord() ? cb->RecNo : 0;
          if (p == 1) b->CurrentKey = b->SavedKey;
        }
        return 0;
      },
      0);
}

void Find(const std::string& text) {
  if (!CheckArea("Find")) return;
  TDbfControlBlock& cb = *CurrentBlock();
  TNdxControlBlock* b = ctl();
  if (!b) {
    XbSetError(221, "Index nicht ge\xF6" "ffnet. (DBF=" + cb.FileName + ") [Find]");
    return;
  }
  if (natural()) {
    XbSetError(254, "Find() mit Index-Ordnung 0 (nat\xFC" "rliche Ordnung) nicht erlaubt [Find]");
    return;
  }
  if (text.empty()) return;
  ndxEngine.IndexFound = false;
  SemBracket read(false);
  guarded(
      [&] {
        CheckIndexChanged();
        const size_t klen = b->Header.KeyLen;
        std::string key;
        size_t cmpLen = klen;
        std::string t = text.substr(0, 100);
        if (b->KeyMaker) {
          if (ndxEngine.ExactFind) t = XbPadRight(t, static_cast<int32_t>(klen));
          if (b->UseSoundex) t = Soundex(t);
          if (b->UseDescending)
            for (char& c : t) c = static_cast<char>(c ^ 0xFF);
          cmpLen = std::min(t.size(), klen);
          key = t;
          key.resize(klen, '\0');
        } else if (b->CharKey) {
          if (ndxEngine.ExactFind) t = XbPadRight(t, static_cast<int32_t>(klen));
          t = CollationKey(cb.OemConvert ? XbAnsiToOem(t) : t, static_cast<int32_t>(klen));
          cmpLen = ndxEngine.ExactFind ? klen : std::min(t.size(), klen);
          key = t;
          key.resize(klen, '\0');
        } else if (b->Header.KeyType == 'D') {
          key = numericKey(DateTextToJulian(XbAllTrim(t)));
        } else {
          long double v = 0;
          XbParseReal(t, v);
          key = numericKey(static_cast<double>(v));
        }
        const auto* k = reinterpret_cast<const uint8_t*>(key.data());
        if (cb.RecCount == 0 || !seekKey(*b, k)) {
          GoIndexEof();
          ndxEngine.IndexFound = false;
          return 0;
        }
        Dbf4RawGo(static_cast<int32_t>(curRec(*b)));
        while (engineState.XbErrorCode == 0 && hiddenRecord(cb)) {
          if (!stepNext(*b)) {
            GoIndexEof();
            return 0;
          }
          Dbf4RawGo(static_cast<int32_t>(curRec(*b)));
        }
        const bool same = b->CharKey ? std::memcmp(curKey(*b), k, cmpLen) == 0 : cmpKey(*b, curKey(*b), k) == 0;
        if (!same) {
          GoIndexEof();
          ndxEngine.IndexFound = false;
          return 0;
        }
        b->IndexBof = b->IndexEof = false;
        ndxEngine.IndexFound = true;
        b->CurrentKey.assign(reinterpret_cast<const char*>(curKey(*b)), klen);
        return 0;
      },
      0);
}

bool SetExactFind() {
  bool prev = ndxEngine.ExactFind;
  ndxEngine.ExactFind = true;
  return prev;
}

bool ClearExactFind() {
  bool prev = ndxEngine.ExactFind;
  ndxEngine.ExactFind = false;
  return prev;
}

// ---- Key maintenance ----------------------------------------------------------------------------------

void AppendNewKey() {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb || !ctl()) return;
  const bool wasNatural = natural();
  natural() = false;
  struct Back {
    bool v;
    ~Back() { natural() = v; }
  } back{wasNatural};
  guarded(
      [&] {
        // The new record is in no index yet: only the anchors are taken over.
        TakeOverChanges();
        const uint32_t rec = static_cast<uint32_t>(cb->RecNo);
        int32_t p = 1;
        uint16_t failed = 0;
        for (; p <= NdxMaxOrders; ++p) {
          TNdxControlBlock* b = block(p);
          if (!b) continue;
          try {
            if (insertKey(*b, keyOf(*b), rec) != 0) {
              failed = 254;
              break;
            }
          } catch (Fail&) {
            failed = engineState.XbErrorCode ? engineState.XbErrorCode : 254;
            break;
          }
        }
        if (failed) {
          // Take the keys already inserted out again.
          for (int32_t q = p - 1; q >= 1; --q) {
            TNdxControlBlock* b = block(q);
            if (!b) continue;
            if (deleteKey(*b, keyOf(*b), rec) != 0)
              fail(254, "Index-Datei besch\xE4" "digt. " + b->FileName + " [AppendNewKey]");
          }
          if (engineState.XbErrorCode == 0) XbSetError(failed, "Index-Datei voll [AppendNewKey]");
          return 0;
        }
        return 0;
      },
      0);
  if (engineState.XbErrorCode != 0) return;
  SyncIndex(false);
  SaveKey();
}

void UpdateKeys() {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb || !ctl()) return;
  const bool wasNatural = natural();
  natural() = false;
  guarded(
      [&] {
        for (int32_t p = 1; p <= NdxMaxOrders; ++p) {
          TNdxControlBlock* b = block(p);
          if (!b) continue;
          const std::string fresh = keyOf(*b);
          if (!b->Header.Unique && b->SavedRec != cb->RecNo)
            fail(254, "Datensatz Nr. " + num(cb->RecNo) + " nicht im Index gefunden. " + b->FileName + " [CompareKeys]");
          if (fresh == b->SavedKey) continue;
          if (deleteKey(*b, b->SavedKey, static_cast<uint32_t>(cb->RecNo)) != 0) {
            engineState.XbErrorCode = 1;
            return 0;
          }
          if (insertKey(*b, fresh, static_cast<uint32_t>(cb->RecNo)) != 0)
            fail(254, "Index-Datei voll " + b->FileName + " [CompareKeys]");
          b->SavedKey = fresh;
        }
        return 0;
      },
      0);
  natural() = wasNatural;
  SaveKey();
}

// ---- Build ---------------------------------------------------------------------------------------------

namespace {

uint64_t sortPrefix(const TNdxControlBlock& b, const uint8_t* key) {
  if (!b.CharKey) {
    uint64_t bits;
    std::memcpy(&bits, key, 8);
    return (bits & 0x8000000000000000ull) ? ~bits : bits ^ 0x8000000000000000ull;
  }
  uint64_t v = 0;
  for (size_t i = 0; i < 8; ++i) v = v << 8 | (i < b.Header.KeyLen ? key[i] : 0);
  return v;
}

// The sorted items of a build: (key, record) in key order, equal keys by record number.
class ItemSource {
 public:
  virtual ~ItemSource() = default;
  virtual bool next(const uint8_t*& key, uint32_t& rec) = 0;
};

// Items held in memory: a run being collected, sorted in place.
class MemoryRun : public ItemSource {
 public:
  MemoryRun(const TNdxControlBlock& b, size_t capacity) : b_(b), klen_(b.Header.KeyLen) {
    keys_.reserve(capacity * klen_);
    recs_.reserve(capacity);
  }
  void add(const std::string& key, uint32_t rec) {
    keys_.insert(keys_.end(), key.begin(), key.begin() + static_cast<std::ptrdiff_t>(klen_));
    recs_.push_back(rec);
  }
  size_t size() const { return recs_.size(); }
  void sort() {
    order_.resize(recs_.size());
    for (uint32_t i = 0; i < order_.size(); ++i) order_[i] = {sortPrefix(b_, keys_.data() + size_t{i} * klen_), i};
    const bool longKeys = b_.CharKey && klen_ > 8;
    std::sort(order_.begin(), order_.end(), [&](const Slot& x, const Slot& y) {
      if (x.prefix != y.prefix) return x.prefix < y.prefix;
      if (longKeys) {
        int c = std::memcmp(keys_.data() + size_t{x.idx} * klen_ + 8, keys_.data() + size_t{y.idx} * klen_ + 8, klen_ - 8);
        if (c != 0) return c < 0;
      }
      return recs_[x.idx] < recs_[y.idx];
    });
    at_ = 0;
  }
  bool next(const uint8_t*& key, uint32_t& rec) override {
    if (at_ >= order_.size()) return false;
    const uint32_t i = order_[at_++].idx;
    key = keys_.data() + size_t{i} * klen_;
    rec = recs_[i];
    return true;
  }
  void clear() {
    keys_.clear();
    recs_.clear();
    order_.clear();
  }

 private:
  struct Slot {
    uint64_t prefix;
    uint32_t idx;
  };
  const TNdxControlBlock& b_;
  size_t klen_;
  std::vector<uint8_t> keys_;
  std::vector<uint32_t> recs_;
  std::vector<Slot> order_;
  size_t at_ = 0;
};

// Sorted runs on a temporary file, merged.
class MergedRuns : public ItemSource {
 public:
  MergedRuns(const TNdxControlBlock& b, int fd, const std::vector<std::pair<int64_t, int64_t>>& runs, int64_t budget)
      : b_(b), fd_(fd), item_(b.Header.KeyLen + 4u) {
    const int64_t per = std::max<int64_t>(budget / static_cast<int64_t>(std::max<size_t>(runs.size(), 1)),
                                          static_cast<int64_t>(item_) * 64);
    for (const auto& r : runs) {
      Cursor c;
      c.pos = r.first;
      c.end = r.first + r.second * static_cast<int64_t>(item_);
      c.buf.resize(static_cast<size_t>(per / static_cast<int64_t>(item_)) * item_);
      cursors_.push_back(std::move(c));
    }
    for (size_t i = 0; i < cursors_.size(); ++i)
      if (fill(cursors_[i])) heap_.push_back(i);
    std::make_heap(heap_.begin(), heap_.end(), [this](size_t x, size_t y) { return less(y, x); });
  }
  bool next(const uint8_t*& key, uint32_t& rec) override {
    if (pending_ != SIZE_MAX) {
      Cursor& c = cursors_[pending_];
      c.at += item_;
      if (c.at < c.len || fill(c)) {
        heap_.push_back(pending_);
        std::push_heap(heap_.begin(), heap_.end(), [this](size_t x, size_t y) { return less(y, x); });
      }
      pending_ = SIZE_MAX;
    }
    if (heap_.empty()) return false;
    std::pop_heap(heap_.begin(), heap_.end(), [this](size_t x, size_t y) { return less(y, x); });
    pending_ = heap_.back();
    heap_.pop_back();
    const Cursor& c = cursors_[pending_];
    key = c.buf.data() + c.at;
    rec = rd32(key + b_.Header.KeyLen);
    return true;
  }

 private:
  struct Cursor {
    int64_t pos = 0, end = 0;
    std::vector<uint8_t> buf;
    size_t at = 0, len = 0;
  };
  bool fill(Cursor& c) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(c.buf.size()), c.end - c.pos));
    if (want == 0) return false;
    int64_t got = XbReadAt(fd_, c.pos, c.buf.data(), want);
    if (got != static_cast<int64_t>(want))
      fail(XbIoCode(got < 0 ? errno : EIO), "Fehler beim Lesen der Sortierdatei [MakeIndex]");
    c.pos += got;
    c.at = 0;
    c.len = want;
    return true;
  }
  bool less(size_t x, size_t y) const {
    const uint8_t* a = cursors_[x].buf.data() + cursors_[x].at;
    const uint8_t* c = cursors_[y].buf.data() + cursors_[y].at;
    int r = cmpKey(b_, a, c);
    if (r != 0) return r < 0;
    return rd32(a + b_.Header.KeyLen) < rd32(c + b_.Header.KeyLen);
  }
  const TNdxControlBlock& b_;
  int fd_;
  size_t item_;
  std::vector<Cursor> cursors_;
  std::vector<size_t> heap_;
  size_t pending_ = SIZE_MAX;
};

// Writes the tree bottom-up, every node full, nodes numbered in the order they are written.
class TreeWriter {
 public:
  TreeWriter(TNdxControlBlock& b, int fd) : b_(b), fd_(fd), levels_(2) { out_.reserve(64 * NdxBlockSize); }
  void add(const uint8_t* key, uint32_t rec) {
    const uint32_t kpn = b_.Header.KeysPerNode;
    if (b_.Header.Unique) {
      if (haveLast_ && cmpKey(b_, key, last_.data()) == 0) return;
      last_.assign(key, key + b_.Header.KeyLen);
      haveLast_ = true;
    }
    if (Node{b_.Header, levels_[0].data()}.count() == kpn) closeLeaf();
    Node leaf{b_.Header, levels_[0].data()};
    const uint32_t n = leaf.count();
    wr32(leaf.entry(n), 0);
    wr32(leaf.entry(n) + 4, rec);
    if (b_.Header.KeyLen > 0) std::memcpy(leaf.entry(n) + 8, key, b_.Header.KeyLen);
    leaf.setCount(n + 1);
  }
  // Writes what is left; returns the root's number and the next free node number.
  uint32_t finish() {
    uint32_t last = emit(levels_[0]);
    for (size_t l = 1; l < levels_.size(); ++l) {
      Node v{b_.Header, levels_[l].data()};
      if (v.count() < 1) continue;
      wr32(v.entry(v.count()), last);
      last = emit(levels_[l]);
    }
    flush();
    return last;
  }
  uint32_t written() const { return counter_; }

 private:
  void closeLeaf() {
    const uint32_t kpn = b_.Header.KeysPerNode;
    Node leaf{b_.Header, levels_[0].data()};
    std::vector<uint8_t> sep(leaf.entry(kpn - 1), leaf.entry(kpn - 1) + b_.Header.EntrySize);
    for (size_t l = 0;; ++l) {
      const uint32_t no = emit(levels_[l]);
      if (l > 0) levels_[l].fill(0);
      if (l + 1 >= levels_.size()) levels_.emplace_back();
      Node up{b_.Header, levels_[l + 1].data()};
      const uint32_t n = up.count();
      wr32(up.entry(n), no);
      if (n < kpn) {
        std::memcpy(up.entry(n) + 8, sep.data() + 8, b_.Header.KeyLen);
        up.setCount(n + 1);
        break;
      }
    }
    levels_[0].fill(0);
  }
  uint32_t emit(const TNdxNode& node) {
    out_.insert(out_.end(), node.begin(), node.end());
    if (out_.size() >= 64 * static_cast<size_t>(NdxBlockSize)) flush();
    if (counter_ >= 0x7FFFFFF0u) fail(254, "Index-Datei voll [MakeIndex]");
    return ++counter_;
  }
  void flush() {
    if (out_.empty()) return;
    int err = XbWriteAt(fd_, offset_, out_.data(), out_.size());
    if (err != 0) fail(XbIoCode(err), " [MakeIndex]");
    offset_ += static_cast<int64_t>(out_.size());
    out_.clear();
  }
  TNdxControlBlock& b_;
  int fd_;
  std::vector<TNdxNode> levels_;
  std::vector<uint8_t> out_;
  int64_t offset_ = NdxBlockSize;
  uint32_t counter_ = 0;
  std::vector<uint8_t> last_;
  bool haveLast_ = false;
};

struct TempFile {
  std::string name;
  int fd = -1;
  ~TempFile() {
    if (fd >= 0) ::close(fd);
    if (!name.empty()) SysUnlink(name);
  }
};

std::string folderOf(const std::string& path) {
  std::string d, n, e;
  XbFSplit(path, d, n, e);
  return d.empty() ? "." : d;
}

std::string tempFolder() {
  std::string dir = engineState.XbTempDir;
  if (dir.empty()) {
    if (!SysEnvName("TMPDIR", dir)) dir = "/tmp";
  }
  return dir;
}

bool sameDevice(const std::string& a, const std::string& c) {
  struct stat sa {}, sc {};
  return SysStat(a, sa) == 0 && SysStat(c, sc) == 0 && sa.st_dev == sc.st_dev;
}

void checkDiskSpace(const TNdxControlBlock& b, int32_t recCount, bool external, const std::string& file) {
  const long double kpn = std::max<uint16_t>(b.Header.KeysPerNode, 1);
  long double nodes = 0, level = recCount;
  do {
    level = std::floor(level / kpn);
    nodes += level + 1;
  } while (level > 0);
  nodes += std::floor(recCount / kpn) + 1;
  const long double nodeKB = nodes * NdxBlockSize / 1024.0L;
  const long double itemKB = external ? static_cast<long double>(recCount) * (b.Header.KeyLen + 4) / 1024.0L : 0;
  auto check = [](long double needed, const std::string& folder) {
    const long double freeKB = DiskFreeKB(folder);
    if (needed <= freeKB) return;
    auto g = [](long double v) {
      char buf[64];
      auto r = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v), std::chars_format::general, 15);
      return std::string(buf, r.ptr);
    };
    fail(227, "Verf\xFC" "gbarer Plattenplatz: " + g(freeKB) + " KBytes;" + "ben\xF6tigt: " + g(needed) + " KBytes [MakeIndex]");
  };
  const std::string indexDir = folderOf(file), tmpDir = tempFolder();
  if (external && sameDevice(indexDir, tmpDir)) {
    check(nodeKB + itemKB, indexDir);
  } else {
    check(nodeKB, indexDir);
    if (external) check(itemKB, tmpDir);
  }
}

// Reads the table in large blocks, makes every record's key, sorts and writes the tree. Returns
// the root; the current record is the same afterwards.
uint32_t makeIndexCore(TNdxControlBlock& b, TDbfControlBlock& cb, int fd, const std::string& file) {
  RecordKeeper keep(cb);
  {
    XbQuietErrors quiet;
    if (!WritePendingRecords(cb)) fail(engineState.XbErrorCode, cb.FileName + " [MakeIndex]");
  }
  DropReadAhead(cb);
  const int32_t count = cb.RecCount;
  const size_t klen = b.Header.KeyLen;
  const size_t capacity = static_cast<size_t>(std::max<int64_t>(ndxEngine.SortBudget / static_cast<int64_t>(klen + 4 + 16), 16));
  const bool external = static_cast<size_t>(count) > capacity;
  checkDiskSpace(b, count, external, file);

  int32_t step = 0, callsLeft = 0;
  if (ndxEngine.MakeIndexProgressCount > 0 && ndxEngine.MakeIndexProgress) {
    step = std::max(2 * (count / ndxEngine.MakeIndexProgressCount), 2);
    callsLeft = ndxEngine.MakeIndexProgressCount;
  }
  auto progress = [&](int64_t i) {
    if (step > 0 && callsLeft > 0 && i % step == 0) {
      --callsLeft;
      ndxEngine.MakeIndexProgress();
    }
  };

  MemoryRun run(b, std::min<size_t>(capacity, static_cast<size_t>(count) + 1));
  TempFile runs;
  std::vector<std::pair<int64_t, int64_t>> runList;
  int64_t runBytes = 0;
  auto writeRun = [&] {
    if (runs.fd < 0) {
      std::string templ = tempFolder();
      if (templ.back() != '/') templ += '/';
      templ += "XBPXXXXXX";
      runs.fd = SysMakeTemp(templ, O_CLOEXEC);
      if (runs.fd < 0) fail(XbIoCode(errno), " [MakeIndex]");
      runs.name = templ;
    }
    run.sort();
    std::vector<uint8_t> out;
    out.reserve(1 << 20);
    const uint8_t* key;
    uint32_t rec;
    const int64_t start = runBytes;
    const int64_t items = static_cast<int64_t>(run.size());
    auto flushOut = [&] {
      int err = XbWriteAt(runs.fd, runBytes, out.data(), out.size());
      if (err != 0) fail(XbIoCode(err), " [MakeIndex]");
      runBytes += static_cast<int64_t>(out.size());
      out.clear();
    };
    while (run.next(key, rec)) {
      out.insert(out.end(), key, key + klen);
      uint8_t r[4];
      wr32(r, rec);
      out.insert(out.end(), r, r + 4);
      if (out.size() >= (1u << 20)) flushOut();
    }
    flushOut();
    runList.emplace_back(start, items);
    run.clear();
  };

  const size_t recLen = cb.RecLen;
  const int32_t perRead = static_cast<int32_t>(std::max<size_t>(1, (1u << 20) / std::max<size_t>(recLen, 1)));
  std::vector<uint8_t> block(static_cast<size_t>(perRead) * recLen);
  for (int32_t first = 1; first <= count; first += perRead) {
    const int32_t n = std::min(perRead, count - first + 1);
    const size_t bytes = static_cast<size_t>(n) * recLen;
    int64_t got = XbReadAt(cb.DbfFile, cb.HeaderLen + int64_t{first - 1} * static_cast<int64_t>(recLen), block.data(), bytes);
    if (got != static_cast<int64_t>(bytes))
      fail(XbIoCode(got < 0 ? errno : EIO), "Fehler beim Lesen von " + cb.FileName + " [MakeIndex]");
    RecordsFromFile(cb, block.data(), bytes);
    for (int32_t i = 0; i < n; ++i) {
      const int32_t recordNo = first + i;
      progress(recordNo);
      cb.RawRecord.assign(block.begin() + static_cast<std::ptrdiff_t>(i * recLen),
                          block.begin() + static_cast<std::ptrdiff_t>((i + 1) * recLen));
      cb.RecNo = recordNo;
      if (b.KeyMaker) RawToBinary(cb, cb.RecordBuffer);
      run.add(keyOf(b), static_cast<uint32_t>(recordNo));
      if (run.size() >= capacity) writeRun();
    }
  }
  TreeWriter tree(b, fd);
  std::unique_ptr<MergedRuns> merged;
  ItemSource* source = &run;
  if (runList.empty()) {
    run.sort();
  } else {
    if (run.size() > 0) writeRun();
    merged = std::make_unique<MergedRuns>(b, runs.fd, runList, ndxEngine.SortBudget);
    source = merged.get();
  }
  const uint8_t* key;
  uint32_t rec;
  int64_t taken = 0;
  while (source->next(key, rec)) {
    progress(++taken);
    tree.add(key, rec);
  }
  const uint32_t root = tree.finish();
  while (callsLeft-- > 0 && step > 0) ndxEngine.MakeIndexProgress();
  b.Header.NextFree = tree.written() + 1;
  return root;
}

int buildFault(int step) { return ndxEngine.BuildFault ? ndxEngine.BuildFault(step) : 0; }

bool indexOpenAnywhere(const std::string& file) {
  for (uint8_t a = 1; a <= 35; ++a)
    for (int32_t p = 1; p <= NdxMaxOrders; ++p) {
      const TNdxControlBlock* o = ndxEngine.Orders[a][static_cast<size_t>(p)].get();
      if (o && o->FileName == file) return true;
    }
  return false;
}

}  // namespace

void SetMakeIndexProgress(std::function<void()> proc, int32_t count) {
  ndxEngine.MakeIndexProgress = std::move(proc);
  ndxEngine.MakeIndexProgressCount = count;
}

bool MakeIndex(const std::string& name, const std::string& expression, bool soundex, uint8_t order, bool unique,
               bool descending, TNdxKeyMaker keyMaker) {
  engineState.XbErrorCode = 0;
  const std::string trimmed = XbAllTrim(name);
  if (trimmed.empty()) {
    XbSetError(220, "Index-Dateiname nicht angegeben [MakeIndex()]");
    return false;
  }
  TDbfControlBlock* cbp = CurrentBlock();
  if (!cbp) {
    XbSetError(215, "Datenbank nicht ge\xF6" "ffnet beim Indizieren von" + trimmed + ". [MakeIndex(<...>," + trimmed + ")]");
    return false;
  }
  TDbfControlBlock& cb = *cbp;
  const std::string file = IndexFileName(trimmed);
  const std::string suffix = " [MakeIndex(<...>," + trimmed + ")]";
  TNdxControlBlock b;
  b.Order = order;
  b.FileName = file;
  struct FreeExpr {
    TNdxControlBlock& b;
    ~FreeExpr() {
      if (b.CompiledKey && engineState.ParserHooks.FreeExpr) engineState.ParserHooks.FreeExpr(b.CompiledKey);
    }
  } freeExpr{b};
  if (!keyMaker) {
    const std::string expr = XbRTrim(expression);
    if (expr.empty()) {
      XbSetError(254, "Weder Ausdruck noch KeyMaker sind definiert" + suffix);
      return false;
    }
    if (!engineState.ParserUnitLinked || !engineState.ParserHooks.AssignExpr) {
      XbSetError(221, "XBParser-Unit nicht eingebunden. [MakeIndex]");
      return false;
    }
    if (expr.size() > 100) {
      XbSetError(300, "Index-Ausdruck l\xE4nger als 100 Bytes" + suffix);
      return false;
    }
    b.CompiledKey = engineState.ParserHooks.AssignExpr(expr);
    if (!b.CompiledKey) return false;
    b.Shape = shapeOf(b.CompiledKey);
    const char t = b.Shape.Type;
    if (t != 'C' && t != 'D' && t != 'F' && t != 'N') {
      XbSetError(254, "Ung\xFCltiger Parser-Return-Typ" + suffix);
      return false;
    }
    b.Header.KeyType = t;
    b.CharKey = t == 'C';
    b.KeyExprText = NormalizeExpr(expr);
  } else {
    b.KeyMaker = std::move(keyMaker);
    b.UseSoundex = soundex;
    b.UseDescending = descending;
    b.KeyExprText = ndxEngine.KeyMakerMarker;
  }
  if (indexOpenAnywhere(file)) {
    XbSetError(214, trimmed);
    return false;
  }
  size_t klen = 8;
  if (b.CharKey) {
    if (b.KeyMaker && b.UseSoundex) {
      klen = 4;
    } else {
      try {
        klen = validRecord() ? naturalKeyLength(b) : onBlankRecord(cb, [&] { return naturalKeyLength(b); });
      } catch (Fail&) {
        return false;
      }
    }
  }
  if (klen > static_cast<size_t>(NdxMaxKeyLen)) {
    XbSetError(266, "Ung\xFCltige Schl\xFCssell\xE4nge von anwender-definiertem KeyMaker geliefert." + suffix);
    return false;
  }
  b.Header.KeyLen = static_cast<uint16_t>(klen);
  b.Header.EntrySize = entrySizeFor(b.Header.KeyLen);
  b.Header.KeysPerNode = static_cast<uint16_t>(504 / b.Header.EntrySize);
  b.Header.NumericFlag = b.CharKey ? 0 : 1;
  b.Header.Unique = unique ? 1 : 0;

  // An index file is replaced only while no other program can be using it, so that no two
  // programs go on with diverging files: the old file is held deny-all until the new one has taken
  // its name (an open of the old file meanwhile is refused). When another program has it open, the
  // table itself must be held exclusively.
  bool reopened = false;
  int held = -1;
  struct Hold {
    int& fd;
    ~Hold() { XbCloseFile(fd); }
  } hold{held};
  if (!cb.Exclusive && XbFileExists(file) && XbOpenFile(file, XbModeReadWriteDenyAll, held) != 0) {
    if (ReopenTable(true) != 0) {
      XbSetError(225, cb.FileName);
      return false;
    }
    reopened = true;
  }
  struct Share {
    bool& reopened;
    TDbfControlBlock& cb;
    ~Share() {
      if (!reopened) return;
      uint16_t rc = ReopenTable(false);
      if (rc != 0 && engineState.XbErrorCode == 0) {
        XbQuietErrors quiet;
        XbSetError(rc, cb.FileName);
      }
    }
  } share{reopened, cb};
  engineState.XbErrorCode = 0;

  // The new file is written beside the old one and renamed over it when complete.
  TempFile out;
  {
    std::string templ = folderOf(file);
    if (templ.back() != '/') templ += '/';
    templ += ".XBNXXXXXX";
    out.fd = SysMakeTemp(templ, O_CLOEXEC);
    if (out.fd < 0) {
      XbSetError(XbIoCode(errno), "Datei nicht ge\xF6" "ffnet" + file);
      return false;
    }
    XbHoldTemp(out.fd);
    out.name = templ;
    ::fchmod(out.fd, 0666 & ~[] {
      mode_t m = ::umask(0);
      ::umask(m);
      return m;
    }());
  }
  b.IndexFile = out.fd;
  try {
    b.Header.Root = makeIndexCore(b, cb, out.fd, file);
    std::string expr = b.KeyExprText;
    if (cb.OemConvert) expr = XbAnsiToOem(expr);
    uint8_t blk[NdxBlockSize];
    buildAnchor(b.Header, expr, cb.RecCount, tableNameOf(cb), blk, DbfTableStamp(cb), false);
    int err = buildFault(1);
    if (err == 0) err = XbWriteAt(out.fd, 0, blk, NdxBlockSize);
    if (err == 0) err = buildFault(2);
    // On disk before it takes the old file's name: after a power loss the name never stands for
    // a file whose blocks were not yet written.
    if (err == 0 && ::fsync(out.fd) != 0) err = errno;
    if (err == 0) err = buildFault(3);
    if (err != 0) fail(XbIoCode(err), " [MakeIndex]");
  } catch (Fail&) {
    b.IndexFile = -1;
    return false;
  }
  b.IndexFile = -1;
  ::close(out.fd);
  out.fd = -1;
  if (SysRename(out.name, file) != 0) {
    XbSetError(XbIoCode(errno), "Datei nicht ge\xF6" "ffnet" + file);
    return false;
  }
  out.name.clear();
  ++ndxEngine.NodeWriteGen;
  return engineState.XbErrorCode == 0;
}

namespace {

void indexOnCommon(const std::string& nameWithOptions, const std::string& expression, TNdxKeyMaker keyMaker) {
  CloseIndexes();
  if (ctl()) {
    XbSetError(254, "Interner Fehler: IND-Zeiger bereits alloziiert [Index_On]");
    return;
  }
  std::string name = " " + XbAllTrim(nameWithOptions) + " ";
  if (XbAllTrim(nameWithOptions).empty()) return;
  const bool unique = !takeOption(name, " UNIQUE").empty();
  bool soundex = !takeOption(name, " SOUNDEX").empty();
  bool descending = !takeOption(name, " DESCENDING").empty();
  takeOption(name, " NOCACHE");
  if (!keyMaker) {
    soundex = descending = false;
    if (!engineState.ParserUnitLinked) {
      XbSetError(221, "XBParser-Unit nicht eingebunden. [Index_On]");
      return;
    }
  }
  // The name as given, without the option words (StripKeyword upper-cases).
  std::string plain = XbAllTrim(nameWithOptions);
  const std::string upper = XbUpperStr(plain);
  size_t cut = plain.size();
  for (const char* w : {" UNIQUE", " NOCACHE", " SOUNDEX", " DESCENDING"}) {
    size_t at = (upper + " ").find(std::string(w) + " ");
    if (at != std::string::npos) cut = std::min(cut, at);
  }
  plain = XbAllTrim(plain.substr(0, cut));
  if (!MakeIndex(plain, expression, soundex, 0, unique, descending, keyMaker)) return;
  std::string opts = std::string(soundex ? " SOUNDEX" : "") + (descending ? " DESCENDING" : "");
  if (keyMaker) Set_Index_ToCB(plain + opts, 1, std::move(keyMaker));
  else Set_Index_To(plain, 1);
}

}  // namespace

void IndexOn(const std::string& nameWithOptions, const std::string& expression) {
  indexOnCommon(nameWithOptions, expression, {});
}

void IndexOnCB(const std::string& nameWithOptions, TNdxKeyMaker keyMaker) {
  indexOnCommon(nameWithOptions, "", std::move(keyMaker));
}

void Reindex() {
  if (!CheckArea("Reindex")) return;
  TDbfControlBlock& cb = *CurrentBlock();
  if (!ctl()) {
    XbSetError(221, "Index nicht ge\xF6" "ffnet. (DBF=" + cb.FileName + ") [Reindex]");
    return;
  }
  const int32_t remembered = CurrentOrder();
  // Positions and orders coincide while the files are rebuilt; the records may have moved (Pack),
  // so nothing is looked up in the old files.
  bool present = false;
  for (int32_t p = 1; p <= NdxMaxOrders; ++p)
    if (TNdxControlBlock* o = block(p); o && o->Order == 1) present = true;
  if (present) swapToFront(1);
  for (int32_t p = 1; p <= NdxMaxOrders; ++p) {
    TNdxControlBlock* b = block(p);
    if (!b) continue;
    const std::string file = b->FileName;
    const bool soundex = b->UseSoundex, descending = b->UseDescending, unique = b->Header.Unique != 0;
    const uint8_t order = b->Order;
    TNdxKeyMaker keyMaker = b->KeyMaker;
    std::string expr;
    if (!keyMaker) {
      char text[101] = {};
      if (XbReadAt(b->IndexFile, 24, text, 100) != 100) {
        XbSetError(XbIoCode(errno ? errno : EIO), "Fehler beim Lesen der Index-Datei:  [Reindex]");
        return;
      }
      expr.assign(text, strnlen(text, 100));
      if (cb.OemConvert) expr = XbOemToAnsi(expr);
    }
    CloseIndex(p);
    if (!MakeIndex(file, expr, soundex, order, unique, descending, keyMaker)) return;
    std::string opts = std::string(soundex ? " SOUNDEX" : "") + (descending ? " DESCENDING" : "") + (unique ? " UNIQUE" : "");
    if (!SetIndexTo(file + opts, order, keyMaker)) return;
  }
  if (remembered > 0) Set_Order_To(remembered);
  else natural() = true;
}

// ---- Checking -------------------------------------------------------------------------------------------

namespace {

struct Checker {
  TNdxControlBlock b;
  std::vector<uint8_t> seen;
  std::vector<std::pair<std::string, uint32_t>>* entries;
  std::string prevKey;
  bool havePrev = false;
  std::string fault;

  bool bad(const std::string& what) {
    if (fault.empty()) fault = what;
    return false;
  }
  // Keys below node `no` must lie within [lo, hi] (nullptr: open).
  bool walk(uint32_t no, int depth, const uint8_t* lo, const uint8_t* hi) {
    if (depth > NdxMaxDepth) return bad("tree deeper than " + num(NdxMaxDepth));
    if (no == 0 || no >= b.Header.NextFree) return bad("node number " + num(no) + " out of range");
    if (seen[no]) return bad("node " + num(no) + " reached twice");
    seen[no] = 1;
    TNdxNode node;
    try {
      readNode(b, no, node);
    } catch (Fail&) {
      return bad(XbTakeErrorContext());
    }
    Node v{b.Header, node.data()};
    const uint32_t n = v.count();
    auto inRange = [&](const uint8_t* k) {
      return (!lo || cmpKey(b, lo, k) <= 0) && (!hi || cmpKey(b, k, hi) <= 0);
    };
    if (v.leaf()) {
      for (uint32_t i = 0; i < n; ++i) {
        const uint8_t* k = v.key(i);
        if (!inRange(k)) return bad("key outside its separators in node " + num(no));
        if (havePrev && cmpKey(b, reinterpret_cast<const uint8_t*>(prevKey.data()), k) > 0)
          return bad("keys out of order in node " + num(no));
        if (b.Header.Unique && havePrev && cmpKey(b, reinterpret_cast<const uint8_t*>(prevKey.data()), k) == 0)
          return bad("equal keys in a unique index, node " + num(no));
        prevKey.assign(reinterpret_cast<const char*>(k), b.Header.KeyLen);
        havePrev = true;
        if (v.rec(i) == 0) return bad("record number 0 in node " + num(no));
        if (entries) entries->emplace_back(prevKey, v.rec(i));
      }
      return true;
    }
    for (uint32_t i = 0; i < n; ++i)
      if (v.rec(i) != 0) return bad("record number in inner node " + num(no));
    for (uint32_t i = 0; i <= n; ++i) {
      const uint8_t* childLo = i == 0 ? lo : v.key(i - 1);
      const uint8_t* childHi = i < n ? v.key(i) : hi;
      if (i > 0 && i < n && cmpKey(b, v.key(i - 1), v.key(i)) > 0) return bad("separators out of order in node " + num(no));
      if (!walk(v.child(i), depth + 1, childLo, childHi)) return false;
    }
    return true;
  }
};

}  // namespace

std::string NdxCheckStructure(const std::string& fileName, std::vector<std::pair<std::string, uint32_t>>* entries) {
  Checker c;
  c.entries = entries;
  if (entries) entries->clear();
  // A look from outside: no share lock, so that an index in use can be checked too.
  c.b.IndexFile = SysOpen(XbResolveFileName(fileName), O_RDONLY | O_CLOEXEC);
  if (c.b.IndexFile < 0) return "cannot open (" + num(XbIoCode(errno)) + ")";
  struct Close {
    int& fd;
    ~Close() { XbCloseFile(fd); }
  } close{c.b.IndexFile};
  struct stat st {};
  if (::fstat(c.b.IndexFile, &st) != 0 || st.st_size < 2 * NdxBlockSize) return "file shorter than two blocks";
  if (st.st_size % NdxBlockSize != 0) return "file size not a multiple of the block size";
  uint8_t anchor[NdxBlockSize];
  if (XbReadAt(c.b.IndexFile, 0, anchor, NdxBlockSize) != NdxBlockSize) return "anchor unreadable";
  c.b.Header = headerFromBytes(anchor);
  const uint32_t blocks = static_cast<uint32_t>(st.st_size / NdxBlockSize);
  if (c.b.Header.NextFree != blocks) return "next free " + num(c.b.Header.NextFree) + ", file holds " + num(blocks);
  std::string f = headerFault(c.b.Header, blocks);
  if (!f.empty()) return "header: " + f;
  c.b.CharKey = c.b.Header.KeyType == 'C';
  c.b.FileName = fileName;
  c.seen.assign(blocks, 0);
  XbQuietErrors quiet;
  const uint16_t code = engineState.XbErrorCode;
  c.walk(c.b.Header.Root, 0, nullptr, nullptr);
  engineState.XbErrorCode = code;
  return c.fault;
}

}  // namespace qorva
