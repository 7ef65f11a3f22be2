#include "xbase/memorytables.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <list>
#include <memory>

#include "xbase/workareas.h"
#include "xbase/enginestate.h"

namespace qorva {

namespace {

using Node = std::vector<uint8_t>;
using NodeList = std::list<Node>;

struct TVFileList {
  NodeList Nodes;
  NodeList::iterator Current;  // Nodes.end() when empty
  uint8_t Hint = 0;            // 1 / 2 while a rewritten record of a sorted file is re-inserted
  uint8_t Store = 1;           // 1 HEAP, 2 EMS, 3 EXT or XMS, 5 BIGGEST: remembered only
  TXbKeyMaker KeyMaker;
};

constexpr size_t kMaxKey = 100;

std::string Num(int64_t v) { return XbIntToText(v, 0); }

TVFileList& ListOf(TDbfControlBlock& cb) {
  if (!cb.VFileStore) {
    auto l = std::make_shared<TVFileList>();
    l->Current = l->Nodes.end();
    cb.VFileStore = l;
  }
  return *static_cast<TVFileList*>(cb.VFileStore.get());
}

bool VarLength(const TDbfControlBlock& cb) { return cb.RecLen == 0; }

// Bytes of the record now in the buffer.
size_t BufferRecordSize(const TDbfControlBlock& cb) {
  if (!cb.RecordBuffer) return 0;
  if (!VarLength(cb)) return std::min<size_t>(cb.RecLen, cb.RecordBufferSize);
  uint16_t len = 0;
  std::memcpy(&len, cb.RecordBuffer, 2);
  return len + 2u;
}

size_t FlagOffset(const TDbfControlBlock& cb) { return VarLength(cb) ? 2 : 0; }

void ToBuffer(TDbfControlBlock& cb, const Node& n) {
  if (!cb.RecordBuffer) return;
  const size_t room = VarLength(cb) && cb.RecordBufferSize == 0 ? n.size() : cb.RecordBufferSize;
  std::memcpy(cb.RecordBuffer, n.data(), std::min(n.size(), room));
}

Node FromBuffer(const TDbfControlBlock& cb) {
  const size_t size = BufferRecordSize(cb);
  return Node(cb.RecordBuffer, cb.RecordBuffer + size);
}

// Puts the list on record n (1..RecCount), walking from the nearest of first, last and current.
void Position(TDbfControlBlock& cb, TVFileList& l, int32_t n) {
  if (l.Current != l.Nodes.end() && n == cb.RecNo) return;
  const int32_t dCurrent = l.Current == l.Nodes.end() ? INT32_MAX : std::abs(n - cb.RecNo);
  const int32_t dFirst = n - 1, dLast = cb.RecCount - n;
  if (dFirst < dCurrent && dFirst < dLast) {
    l.Current = std::next(l.Nodes.begin(), dFirst);
  } else if (dLast <= dFirst && dLast < dCurrent) {
    l.Current = std::prev(l.Nodes.end(), dLast + 1);
  } else {
    std::advance(l.Current, n - cb.RecNo);
  }
  cb.RecNo = n;
}

// The area number of a work-area record (0 when it is in none).
uint8_t AreaOf(const TDbfControlBlock& cb) {
  for (uint8_t a = 1; a <= MaxWorkAreas; ++a)
    if (workAreas.WorkAreaTable[a].get() == &cb) return a;
  return 0;
}

// The key function reads the buffer through the field functions of the selected area.
class AreaScope {
 public:
  explicit AreaScope(const TDbfControlBlock& cb) : keep_(workAreas.CurrentArea) {
    if (uint8_t a = AreaOf(cb)) workAreas.CurrentArea = a;
  }
  ~AreaScope() { workAreas.CurrentArea = keep_; }
  AreaScope(const AreaScope&) = delete;
  AreaScope& operator=(const AreaScope&) = delete;

 private:
  uint8_t keep_;
};

struct Key {
  std::string text;
  bool numeric = false;
  long double number = 0;
};

Key KeyOfBuffer(TDbfControlBlock& cb, TVFileList& l) {
  Key k;
  {
    AreaScope scope(cb);
    k.text = l.KeyMaker();
  }
  if (k.text.size() > kMaxKey) k.text.resize(kMaxKey);
  k.numeric = XbParseReal(k.text, k.number);
  return k;
}

Key KeyOfRecord(TDbfControlBlock& cb, TVFileList& l, int32_t n) {
  Position(cb, l, n);
  ToBuffer(cb, *l.Current);
  return KeyOfBuffer(cb, l);
}

int Compare(const Key& a, const Key& b) {
  if (a.numeric && b.numeric) return a.number < b.number ? -1 : a.number > b.number ? 1 : 0;
  const int c = a.text.compare(b.text);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// k belongs before x / after x in the file's order.
bool Before(const TDbfControlBlock& cb, const Key& k, const Key& x) {
  const int c = Compare(k, x);
  return cb.VFileMode == ASCENDING ? c <= 0 : c >= 0;
}
bool After(const TDbfControlBlock& cb, const Key& k, const Key& x) {
  const int c = Compare(k, x);
  return cb.VFileMode == ASCENDING ? c >= 0 : c <= 0;
}

// Links node after record `after` (0: before the first) and makes it current.
void LinkAfter(TDbfControlBlock& cb, TVFileList& l, int32_t after, Node&& node) {
  NodeList::iterator at;
  if (after == 0)
    at = l.Nodes.begin();
  else if (after >= cb.RecCount)
    at = l.Nodes.end();
  else if (after == cb.RecNo && l.Current != l.Nodes.end())
    at = std::next(l.Current);
  else
    at = std::next(l.Nodes.begin(), after);
  l.Current = l.Nodes.insert(at, std::move(node));
  ++cb.RecCount;
  cb.RecNo = after + 1;
}

// The position after which a new record with key k goes, by the sorted modes' rules.
int32_t SortedPlace(TDbfControlBlock& cb, TVFileList& l, const Key& k, uint8_t hint) {
  auto afterEquals = [&](int32_t from) {
    int32_t n = from;
    while (n < cb.RecCount && Compare(KeyOfRecord(cb, l, n + 1), k) == 0) ++n;
    return n;
  };
  if (hint == 1 && l.Current != l.Nodes.end()) {
    const int32_t here = cb.RecNo;
    if (Before(cb, k, KeyOfRecord(cb, l, here))) {
      if (here == 1) return 0;
      if (After(cb, k, KeyOfRecord(cb, l, here - 1))) return here - 1;
    }
  } else if (hint == 2 && After(cb, k, KeyOfRecord(cb, l, cb.RecCount))) {
    return cb.RecCount;
  }
  const Key first = KeyOfRecord(cb, l, 1);
  if (Before(cb, k, first)) return Compare(k, first) == 0 ? afterEquals(1) : 0;
  if (cb.RecCount == 1) return 1;
  if (After(cb, k, KeyOfRecord(cb, l, cb.RecCount))) return cb.RecCount;
  int32_t lo = 1, hi = cb.RecCount;
  while (hi - lo > 1) {
    const int32_t mid = lo + (hi - lo) / 2;
    const Key km = KeyOfRecord(cb, l, mid);
    const int c = Compare(km, k);
    if (c == 0) return afterEquals(mid);
    const bool probedAfter = cb.VFileMode == ASCENDING ? c > 0 : c < 0;
    if (probedAfter)
      hi = mid;
    else
      lo = mid;
  }
  return After(cb, k, KeyOfRecord(cb, l, hi)) ? hi : lo;
}

// Adds the buffer as a new record where the mode puts it; false when refused.
bool AddLL(TDbfControlBlock& cb) {
  TVFileList& l = ListOf(cb);
  const uint8_t hint = l.Hint;
  l.Hint = 0;
  Node node = FromBuffer(cb);
  if (cb.RecCount == 0) {
    cb.AtEof = false;
    LinkAfter(cb, l, 0, std::move(node));
    return true;
  }
  switch (cb.VFileMode) {
    case FIFO: LinkAfter(cb, l, cb.RecCount, std::move(node)); break;
    case LIFO: LinkAfter(cb, l, 0, std::move(node)); break;
    case INSERTION: {
      // In front of the current record; past the end, after the last one.
      const int32_t before = std::min(cb.RecNo, cb.RecCount + 1);
      const int32_t after = before > 1 ? before - 1 : 0;
      if (after > 0) Position(cb, l, after);
      LinkAfter(cb, l, after, std::move(node));
      break;
    }
    case ASCENDING:
    case DESCENDING: {
      if (!l.KeyMaker) {
        XbSetError(1100, cb.Alias + " ist eine \"sortierte\" virtuelle Datei ohne Schl\xFC" "sselfunktion. [Append/InsertRec/PushRec]");
        return false;
      }
      const Key k = KeyOfBuffer(cb, l);
      const int32_t after = SortedPlace(cb, l, k, hint);
      if (after > 0) Position(cb, l, after);
      LinkAfter(cb, l, after, std::move(node));
      ToBuffer(cb, *l.Current);
      break;
    }
    default:
      XbSetError(1100, Num(cb.VFileMode) + " ist ein ung\xFCltiger VFile-Mode f\xFCr " + cb.Alias +
                           " [(AddLL) VFiles INTERNAL ERROR]");
      return false;
  }
  cb.AtEof = false;
  return true;
}

void Remove(TDbfControlBlock& cb, TVFileList& l) {
  if (l.Nodes.empty() || l.Current == l.Nodes.end()) return;
  const bool last = std::next(l.Current) == l.Nodes.end();
  NodeList::iterator next = l.Nodes.erase(l.Current);
  --cb.RecCount;
  if (cb.RecCount == 0) {
    l.Current = l.Nodes.end();
    cb.RecNo = 0;
    cb.AtEof = cb.AtBof = true;
  } else if (last) {
    l.Current = std::prev(l.Nodes.end());
    cb.RecNo = cb.RecCount;
  } else {
    l.Current = next;
  }
}

void SetFlag(TDbfControlBlock& cb, TVFileList& l, uint8_t flag) {
  const size_t at = FlagOffset(cb);
  if (l.Current != l.Nodes.end() && l.Current->size() > at) (*l.Current)[at] = flag;
  if (cb.RecordBuffer && cb.RecordBufferSize > at) cb.RecordBuffer[at] = flag;
}

void Open(TDbfControlBlock& cb) {
  cb.VFileStore.reset();
  TVFileList& l = ListOf(cb);
  std::string words = " " + XbUpperStr(cb.FileName) + " ";
  cb.VFileMode = FIFO;
  const std::pair<const char*, LStatusType> modes[] = {
      {" LIFO ", LIFO}, {" INSERTION ", INSERTION}, {" ASCENDING ", ASCENDING}, {" DESCENDING ", DESCENDING}};
  for (const auto& [word, mode] : modes)
    if (words.find(word) != std::string::npos) cb.VFileMode = mode;
  const std::pair<const char*, uint8_t> stores[] = {{" TO EMS ", 2}, {" TO EXT ", 3}, {" TO XMS ", 3}, {" TO BIGGEST ", 5}};
  for (const auto& [word, store] : stores)
    if (words.find(word) != std::string::npos) l.Store = store;
  cb.RecCount = 0;
  cb.RecNo = 0;
  cb.AtBof = cb.AtEof = true;
  cb.RecLen = static_cast<uint16_t>(std::min<uint32_t>(cb.RecordBufferSize, 0xFFFF));
  cb.Exclusive = true;  // a virtual file belongs to its process
  cb.FieldCount = 0;
  cb.Fields.assign(1, TDbfFieldEntry{});
  cb.BinaryOffsetsOf = nullptr;  // the offsets belonged to the old field list
}

void Close(TDbfControlBlock& cb) {
  cb.VFileStore.reset();
  cb.RecCount = 0;
  cb.RecNo = 0;
  cb.AtBof = cb.AtEof = true;
  cb.Fields.assign(1, TDbfFieldEntry{});
  cb.BinaryOffsetsOf = nullptr;  // the offsets belonged to the old field list
  cb.FieldCount = 0;
}

// The current area when it holds a virtual file; reports 215 / 1100 otherwise.
TDbfControlBlock* VirtualArea(const std::string& routine) {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb) {
    XbSetError(215, "Keine Datenbank (bzw. kein Arbeitsbereich) ge\xF6" "ffnet. [" + routine + "]  WorkArea = " +
                        Num(workAreas.CurrentArea));
    return nullptr;
  }
  if (!cb->IsVirtual) {
    XbSetError(1100, cb->Alias + " ist keine virtuelle Datei." + " [" + routine + "]");
    return nullptr;
  }
  return cb;
}

}  // namespace

void InitVFiles() { engineState.VFileHandler = VFileDispatch; }

void VFileDispatch(TDbfControlBlock& cb) {
  TVFileList& l = ListOf(cb);
  const int32_t n = cb.VFileArg;
  switch (cb.VFileOp) {
    case 1: Close(cb); break;
    case 2: SetFlag(cb, l, 1); break;
    case 9: SetFlag(cb, l, 0); break;
    case 3:
      engineState.XbErrorCode = 0;
      if (n < 1 || n > cb.RecCount) {
        XbSetError(212, "Versuch auf ung\xFCltigen Datensatz zu positionieren " + Num(n) +
                            "  Anzahl Datens\xE4tze in Datenbank ist " + Num(cb.RecCount) + cb.Alias + " [VFiles]");
        return;
      }
      Position(cb, l, n);
      ToBuffer(cb, *l.Current);
      break;
    case 4: Open(cb); break;
    case 5: {
      const size_t at = FlagOffset(cb);
      for (auto it = l.Nodes.begin(); it != l.Nodes.end();) {
        if (it->size() > at && (*it)[at] != 0) {
          it = l.Nodes.erase(it);
          --cb.RecCount;
        } else {
          ++it;
        }
      }
      l.Current = l.Nodes.begin();
      cb.RecNo = l.Nodes.empty() ? 0 : 1;
      cb.AtBof = cb.AtEof = l.Nodes.empty();
      if (!l.Nodes.empty()) ToBuffer(cb, *l.Current);
      break;
    }
    case 8: {
      if (n > cb.RecCount) {
        AddLL(cb);
        break;
      }
      if (n < 1) return;
      Position(cb, l, n);
      if (cb.VFileMode == ASCENDING || cb.VFileMode == DESCENDING) {
        const Node keep = *l.Current;
        const bool wasLast = n == cb.RecCount;
        Remove(cb, l);
        l.Hint = cb.RecCount == 0 ? 0 : wasLast ? 2 : 1;
        if (!AddLL(cb)) {
          // Refused: the old record goes back where it was.
          l.Hint = 0;
          if (cb.RecCount > 0 && !wasLast) Position(cb, l, n);
          LinkAfter(cb, l, n - 1, Node(keep));
        }
        break;
      }
      const Node data = FromBuffer(cb);
      if (VarLength(cb) && data.size() != l.Current->size()) {
        *l.Current = data;  // a new length takes the record's place, as it is
        break;
      }
      std::copy(data.begin(), data.end(), l.Current->begin());
      break;
    }
    default: break;
  }
}

void AddStru(const std::vector<TDbfFieldEntry>& defs) {
  TDbfControlBlock* cb = VirtualArea("AddStru");
  if (!cb) return;
  std::vector<TDbfFieldEntry> fields(1);
  uint16_t offset = 1;
  for (size_t i = 0; i < defs.size() && i < 255; ++i) {
    TDbfFieldEntry f = defs[i];
    f.Name = XbRTrim(f.Name).substr(0, 10);
    for (char& c : f.Name)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (f.Type >= 'a' && f.Type <= 'z') f.Type = static_cast<char>(f.Type - 32);
    switch (f.Type) {
      case 'C':
      case 'F':
      case 'N':
        if (f.Len == 0) {
          XbSetError(211, "Ung\xFCltige L\xE4nge, Feldname: \"" + f.Name + "\" in VFile-Felderliste. Alias= " + cb->Alias +
                              " [AddStru]");
          return;
        }
        break;
      case 'D': f.Len = 8; break;
      case 'L': f.Len = 1; break;
      case 'M':
        f.Type = 'N';
        f.Len = 10;
        f.Dec = 0;
        break;
      default:
        XbSetError(211, "Ung\xFCltiger Typ \"" + std::string(1, f.Type) + "\" in VFile-Felderliste. Alias= " + cb->Alias +
                            " [AddStru]");
        return;
    }
    if (f.Type != 'N' && f.Type != 'F') f.Dec = 0;
    f.Offset = offset;
    offset = static_cast<uint16_t>(offset + f.Len);
    fields.push_back(f);
  }
  TDbfControlBlock probe;
  probe.Fields = fields;
  const uint32_t size = RecordSize(probe);
  if (cb->RecordBuffer == nullptr) {
    cb->OwnBuffer.assign(size, 0);
    cb->OwnsRecordBuffer = true;
    cb->RecordBuffer = cb->OwnBuffer.data();
    cb->RecordBufferSize = size;
    cb->RecLen = static_cast<uint16_t>(size);
  } else if (cb->RecLen != 0 && size > cb->RecordBufferSize) {
    // The field functions would write past the caller's buffer.
    XbSetError(211, "Datensatzpuffer zu klein f\xFCr die VFile-Felderliste. Alias= " + cb->Alias + " [AddStru]");
    return;
  }
  cb->Fields = std::move(fields);
  cb->BinaryOffsetsOf = nullptr;  // the offsets belonged to the old field list
  cb->FieldCount = static_cast<uint8_t>(cb->Fields.size() - 1);
}

void Set_VFileKey_To(TXbKeyMaker key) {
  if (TDbfControlBlock* cb = VirtualArea("Set_VFileKey_To")) ListOf(*cb).KeyMaker = std::move(key);
}

LStatusType Get_VFileMode() {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb || !cb->IsVirtual) {
    VirtualArea("Get_VFileMode");
    return FIFO;
  }
  return static_cast<LStatusType>(cb->VFileMode);
}

void Set_VFileMode_To(LStatusType mode) {
  TDbfControlBlock* cb = VirtualArea("Set_VFileMode_To");
  if (!cb) return;
  if (cb->RecCount >= 2 && (mode == ASCENDING || mode == DESCENDING) && cb->VFileMode != mode) {
    XbSetError(1100, "Sortiermodus kann nicht gesetzt werden: Virtuelle Datei enth\xE4lt Datens\xE4tze. (" + cb->Alias +
                         ") [(Set_VFileMode_To) VFiles]");
    return;
  }
  cb->VFileMode = mode;
}

void SortVFile(LStatusType mode) {
  TDbfControlBlock* cb = VirtualArea("Set_VFileMode_To");
  if (!cb) return;
  TVFileList& l = ListOf(*cb);
  if (!l.KeyMaker) {
    XbSetError(1100, cb->Alias + " hat keine Schl\xFCsselfunktion.  Datens\xE4tze k\xF6nnen nicht sortiert werden. [SortVFile]");
    return;
  }
  if (mode != ASCENDING && mode != DESCENDING) {
    XbSetError(220, "Sortiermodus ist nicht aufsteigend oder absteigend f\xFCr " + cb->Alias + " [(SortVFile) VFiles]");
    return;
  }
  // Each record, first to last, is inserted into a new sorted list.
  NodeList source;
  source.swap(l.Nodes);
  l.Current = l.Nodes.end();
  l.Hint = 0;
  cb->RecCount = 0;
  cb->RecNo = 0;
  cb->VFileMode = mode;
  while (!source.empty()) {
    ToBuffer(*cb, source.front());
    AddLL(*cb);
    source.pop_front();
  }
  GoTop();
}

void SnipRec() {
  engineState.XbErrorCode = 0;
  TDbfControlBlock* cb = VirtualArea("SnipRec");
  if (!cb) return;
  Remove(*cb, ListOf(*cb));
}

}  // namespace qorva
