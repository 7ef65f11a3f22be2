#include "xbase/memo.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "xbase/workareas.h"
#include "xbase/recordlocks.h"
#include "xbase/tablecommands.h"
#include "xbase/enginestate.h"
#include "xbase/tablefile.h"
#include "platform/sysname.h"

namespace qorva {

Memo memo;

namespace {

constexpr uint64_t kWriteLockOffset = 10;
constexpr int kLockAttempts = 11;
constexpr int32_t kLockPauseMs = 10;
constexpr size_t kChunk = 32768;  // bytes moved at a time; a memo is never held whole for a copy

std::string Num(int64_t v) { return XbIntToText(v, 0); }

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint32_t Be32(const uint8_t* p) { return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }
void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutBe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * (3 - i)));
}
bool IsDbt4Header(const uint8_t* p) { return p[0] == 0xFF && p[1] == 0xFF && p[2] == 0x08 && p[3] == 0x00; }

bool AreaExclusive() {
  TDbfControlBlock* cb = CurrentBlock();
  return cb && cb->Exclusive;
}

// The lowest position a memo may start at: memos never share block 0 with the file header.
int64_t FirstMemoPosition(uint8_t type, uint16_t bs) {
  if (type == 0x83 || type == 0xF5) return (511 / bs + 1) * static_cast<int64_t>(bs);
  return bs;
}

// Zeros up to the next block boundary (and at least up to the first memo block): the position
// the next memo starts at, or -1 with err set.
int64_t PadToBlock(int fd, uint8_t type, uint16_t bs, int& err) {
  err = 0;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    err = errno;
    return -1;
  }
  const int64_t size = st.st_size;
  // A new dBase III file: the first memo overwrites its end mark at byte 512.
  if (type == 0x83 && size == 513) return 512;
  int64_t pos = (size + bs - 1) / bs * bs;
  pos = std::max(pos, FirstMemoPosition(type, bs));
  if (pos > size) {
    std::vector<uint8_t> zeros(static_cast<size_t>(pos - size), 0);
    err = XbWriteAt(fd, size, zeros.data(), zeros.size());
    if (err != 0) return -1;
  }
  return pos;
}

int PutGroupHeader(int fd, uint8_t type, int64_t pos, uint32_t length) {
  uint8_t h[8];
  if (type == 0xF5) {
    PutBe32(h, 1);
    PutBe32(h + 4, length);
  } else {
    h[0] = 0xFF, h[1] = 0xFF, h[2] = 0x08, h[3] = 0x00;
    PutLe32(h + 4, length + 8);
  }
  return XbWriteAt(fd, pos, h, 8);
}

// Where a memo's bytes lie in its file.
struct MemoSpan {
  int64_t start = 0;    // first data byte
  int64_t length = 0;   // data bytes (for text: up to the end mark or the end of the file)
  bool header = false;  // stored with a block header
};

enum class SpanResult { Ok, Beyond, Unreadable, Mismatch };

// Finds memo ref of memo file m. Text memos are scanned for their end (0x1A, a zero byte
// counting as one); nothing is read outside the file.
SpanResult FindSpan(const TMemoControlBlock& m, int32_t ref, MemoSpan& span, int& err) {
  err = 0;
  const int64_t block = ref < 0 ? -static_cast<int64_t>(ref) : ref;
  const int64_t size = MemoFileSize(m);
  if (size < 0) {
    err = errno;
    return SpanResult::Unreadable;
  }
  const int64_t pos = block * m.BlockSize;
  if (block == 0 || pos >= size - 1) return SpanResult::Beyond;
  uint8_t h[8] = {};
  int64_t got = XbReadAt(m.File, pos, h, 8);
  if (got < 0) {
    err = errno;
    return SpanResult::Unreadable;
  }
  if (m.MemoType == 0xF5) {
    if (got < 8) return SpanResult::Mismatch;
    span.header = true;
    span.length = Be32(h + 4);
  } else if (got >= 4 && IsDbt4Header(h)) {
    if (got < 8 || Le32(h + 4) < 8) return SpanResult::Mismatch;
    span.header = true;
    span.length = Le32(h + 4) - 8;
  } else {
    // A DBT block without the dBase IV header is text ended by 0x1A, in either family.
    span.header = false;
  }
  if (span.header) {
    span.start = pos + 8;
    // A stated length past the end of the file: the memo was cut off (a crash, a full disk).
    if (span.length > size - span.start) return SpanResult::Beyond;
    return SpanResult::Ok;
  }
  span.start = pos;
  std::vector<uint8_t> buf(kChunk);
  int64_t at = pos;
  while (at < size) {
    int64_t n = XbReadAt(m.File, at, buf.data(), buf.size());
    if (n < 0) {
      err = errno;
      return SpanResult::Unreadable;
    }
    if (n == 0) break;
    const uint8_t* begin = buf.data();
    const uint8_t* end = begin + n;
    const uint8_t* hit = std::find_if(begin, end, [](uint8_t c) { return c == 0x1A || c == 0; });
    at += hit - buf.data();
    if (hit != end) break;
  }
  span.length = at - pos;
  return SpanResult::Ok;
}

// Calls fn with the memo's bytes piece by piece until it returns false.
bool ForEachPiece(const TMemoControlBlock& m, const MemoSpan& span, const std::function<bool(const uint8_t*, size_t)>& fn,
                  int& err) {
  std::vector<uint8_t> buf(kChunk);
  int64_t done = 0;
  while (done < span.length) {
    size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(buf.size()), span.length - done));
    int64_t n = XbReadAt(m.File, span.start + done, buf.data(), want);
    if (n < 0) {
      err = errno;
      return false;
    }
    if (n == 0) break;
    if (!fn(buf.data(), static_cast<size_t>(n))) break;
    done += n;
  }
  return true;
}

enum class CopyResult { Ok, Beyond, Mismatch, ReadError, WriteError };

// Copies memo ref of src to position pos of the file dstFd (of family dstType, block size dstBs):
// newRef is the new reference, 0 when there was nothing to copy.
CopyResult CopyMemoBody(const TMemoControlBlock& src, int32_t ref, int dstFd, uint8_t dstType, uint16_t dstBs,
                        int64_t pos, int32_t& newRef, int& err) {
  newRef = 0;
  MemoSpan span;
  switch (FindSpan(src, ref, span, err)) {
    case SpanResult::Beyond: return CopyResult::Beyond;
    case SpanResult::Mismatch: return CopyResult::Mismatch;
    case SpanResult::Unreadable: return CopyResult::ReadError;
    case SpanResult::Ok: break;
  }
  if (span.length == 0) return CopyResult::Ok;
  // A dBase III file keeps text ended by 0x1A; data holding that mark or zero bytes needs a header.
  bool header = dstType != 0x83;
  if (!header && span.header) {
    bool binary = false;
    if (!ForEachPiece(src, span, [&](const uint8_t* p, size_t n) {
          binary = std::any_of(p, p + n, [](uint8_t c) { return c == 0 || c == 0x1A; });
          return !binary;
        }, err))
      return CopyResult::ReadError;
    header = binary;
  }
  int64_t out = pos + (header ? 8 : 0);
  int werr = 0;
  if (!ForEachPiece(src, span, [&](const uint8_t* p, size_t n) {
        werr = XbWriteAt(dstFd, out, p, n);
        out += static_cast<int64_t>(n);
        return werr == 0;
      }, err))
    return CopyResult::ReadError;
  if (werr != 0) {
    err = werr;
    return CopyResult::WriteError;
  }
  const int64_t copied = out - pos - (header ? 8 : 0);
  if (header) {
    err = PutGroupHeader(dstFd, dstType, pos, static_cast<uint32_t>(copied));
  } else {
    const uint8_t mark = 0x1A;
    err = XbWriteAt(dstFd, out, &mark, 1);
  }
  if (err != 0) return CopyResult::WriteError;
  const int32_t block = static_cast<int32_t>(pos / dstBs);
  newRef = dstType == 0x83 && header ? -block : block;
  return CopyResult::Ok;
}

// The memo's block number must fit the 32-bit reference and the 32-bit next-free field.
bool BlockFits(int64_t pos, uint16_t bs) { return pos / bs <= 0x7FFFFFFF && pos <= 0xFFFFFFFFll; }

// Appends bytes as one memo of the current area: with a block header, or as dBase III text.
int32_t AppendMemoBytes(const std::string& data, bool withHeader) {
  TMemoControlBlock* m = CurrentMemo();
  const std::string ctx = m->FileName;
  const int64_t pos = LockMemoPadAndSeekEOF("AddMemo()");
  if (pos == 0) return 0;
  if (!BlockFits(pos + static_cast<int64_t>(data.size()) + 8, m->BlockSize)) {
    MemoError(1005, ctx + " [AddMemo]");
    return 0;
  }
  const int32_t block = static_cast<int32_t>(pos / m->BlockSize);
  int err = 0;
  if (!withHeader) {
    // Text and its end mark in whole 512-byte blocks.
    std::string bytes = data;
    bytes += '\x1A';
    bytes.resize((bytes.size() + 511) / 512 * 512, '\0');
    err = XbWriteAt(m->File, pos, bytes.data(), bytes.size());
  } else {
    err = PutGroupHeader(m->File, m->MemoType, pos, static_cast<uint32_t>(data.size()));
    if (err != 0) {
      MemoError(29, ctx + " [WriteGroupHeader()]");
      return 0;
    }
    err = XbWriteAt(m->File, pos + 8, data.data(), data.size());
  }
  if (err != 0) {
    MemoError(XbIoCode(err), ctx + " [AddMemo]");
    return 0;
  }
  if (!UpdateMemoHeader()) return 0;
  return withHeader && m->MemoType == 0x83 ? -block : block;
}

// Reads the memo's stored reference text of a field as a number (0 when empty or no number).
int32_t StoredRef(const std::string& stored) {
  std::string t = XbAllTrim(stored);
  if (t.size() > 10) t.resize(10);
  int64_t v = 0;
  if (t.empty() || !XbParseInt(t, v) || v < INT32_MIN || v > INT32_MAX) return 0;
  return static_cast<int32_t>(v);
}

int Fault(int step) { return memo.PackFault ? memo.PackFault(step) : 0; }

}  // namespace

// ---- Start-up, families, opening and closing ------------------------------------------------

void InitMemo() {
  memo.MemoLines.clear();
  memo.MemoLineKinds.clear();
  memo.MemoLineCount = 0;
  memo.PackFault = nullptr;
  TMemoHooks& h = engineState.MemoHooks;
  h.AssignMemo = [](int32_t ref, std::vector<std::string>& lines) {
    lines.clear();
    return CheckMemoField("AssignMemo") && AssignMemo(ref, lines);
  };
  h.PackMemofile = [] { PackMemofile(); };
  h.OpenMemofile = [](const std::string& name) { OpenMemofile(name); };
  h.CloseMemofile = [] { CloseMemofile(); };
  h.CopyMemo = [](uint8_t area, int32_t ref) { return CopyMemo(area, ref); };
  h.AddMemo = [](const std::string& data, bool binary) { return binary ? AddMemoData(data) : AddMemo(data); };
}

uint8_t GetMemoType() {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb) {
    CheckArea("GetMemoType");
    return 0x8B;
  }
  const uint8_t v = cb->Header[0];
  return v == 0x83 || v == 0x8B || v == 0x8C || v == 0xF5 ? v : 0x8B;
}

std::string MemoFileName(const std::string& tableFile, uint8_t type) {
  std::string d, n, e;
  XbFSplit(tableFile, d, n, e);
  std::string ext = MemoFileExt(type);
  if (std::any_of(e.begin(), e.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
    for (char& c : ext) c = static_cast<char>(c + 32);
  return XbResolveFileName(XbForceExt(tableFile, ext));
}

TMemoControlBlock* CurrentMemo() {
  TDbfControlBlock* cb = CurrentBlock();
  return cb ? cb->MemoBlock.get() : nullptr;
}

int64_t MemoFileSize(const TMemoControlBlock& m) {
  struct stat st {};
  if (::fstat(m.File, &st) != 0) return -1;
  return st.st_size;
}

void OpenMemofile(const std::string& nameWithoutExt) {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb) {
    CheckArea("OpenMemofile");
    return;
  }
  const uint8_t type = GetMemoType();
  const std::string name = XbDefaultExt(nameWithoutExt, MemoFileExt(type));
  if (cb->MemoBlock) {
    XbSetError(1007, name + " [USE]");
    return;
  }
  auto m = std::make_shared<TMemoControlBlock>();
  m->FileName = XbResolveFileName(name);
  uint16_t mode = cb->Exclusive ? XbModeReadWriteDenyAll : XbModeReadWriteDenyNone;
  if (workAreas.OpenModeOverride < 0xFFFF) mode = workAreas.OpenModeOverride & 0xFF;
  m->OpenMode = mode;
  uint16_t rc = XbOpenFile(m->FileName, mode, m->File);
  engineState.XbErrorCode = rc;
  if (rc != 0) {
    XbSetError(rc, "Memo-Datei nicht gefunden: " + name + " [USE]");
    return;
  }
  m->MemoType = type;
  m->BlockSize = 512;
  if (type == 0xF5) {
    uint8_t h[8] = {};
    if (XbReadAt(m->File, 0, h, 8) == 8) m->BlockSize = static_cast<uint16_t>(h[6] << 8 | h[7]);
  } else if (type != 0x83) {
    uint8_t h[24] = {};
    if (XbReadAt(m->File, 0, h, 24) == 24) m->BlockSize = static_cast<uint16_t>(h[20] | h[21] << 8);
  }
  if (m->BlockSize == 0) m->BlockSize = 512;
  cb->MemoBlock = std::move(m);
}

void CloseMemofile() {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb || !cb->MemoBlock) return;
  const std::string name = cb->MemoBlock->FileName;
  uint16_t rc = XbCloseFile(cb->MemoBlock->File);  // its write lock goes with it
  cb->MemoBlock.reset();
  engineState.XbErrorCode = rc;
  if (rc != 0) XbSetError(rc, name + " [CloseMemofile]");
}

void CreateMemofile(const std::string& name) { NewMemoFile(name, 0x8B, 512, "CreateMemofile()"); }

// ---- Write lock and headers -----------------------------------------------------------------

bool LockMemo(TMemoControlBlock& m, bool exclusive) {
  if (exclusive) return m.Locked = true;
  for (int attempt = 1; attempt <= kLockAttempts; ++attempt) {
    if (LockRange(false, m.File, kWriteLockOffset, 1) == 0) return m.Locked = true;
    if (attempt < kLockAttempts) WaitMs(kLockPauseMs);
  }
  return m.Locked = false;
}

bool UnlockMemo(TMemoControlBlock& m, bool exclusive) {
  bool ok = true;
  if (m.Locked && !exclusive) ok = LockRange(true, m.File, kWriteLockOffset, 1) == 0;
  m.Locked = false;
  return ok;
}

void MemoError(uint16_t code, const std::string& context) {
  if (TMemoControlBlock* m = CurrentMemo()) UnlockMemo(*m, AreaExclusive());
  XbSetError(code, context);
}

int64_t LockMemoPadAndSeekEOF(const std::string& routine) {
  TMemoControlBlock* m = CurrentMemo();
  if (!m) return 0;
  // The area's own write stream is still adding to the end of the file.
  if ((m->Blob.Active && m->Blob.Mode == 2) || !LockMemo(*m, AreaExclusive())) {
    XbSetError(1017, m->FileName + " [" + routine + "]");
    return 0;
  }
  int err = 0;
  int64_t pos = PadToBlock(m->File, m->MemoType, m->BlockSize, err);
  if (pos < 0) {
    MemoError(XbIoCode(err), m->FileName + " [LockMemoPadAndSeekEOF]");
    return 0;
  }
  return pos;
}

bool UpdateMemoHeader() {
  TMemoControlBlock* m = CurrentMemo();
  if (!m) return false;
  int64_t size = MemoFileSize(*m);
  uint8_t next[4];
  const uint32_t blocks = size < 0 ? 0 : static_cast<uint32_t>((size + m->BlockSize - 1) / m->BlockSize);
  if (m->MemoType == 0xF5)
    PutBe32(next, blocks);
  else
    PutLe32(next, blocks);
  if (size < 0 || XbWriteAt(m->File, 0, next, 4) != 0) {
    MemoError(29, m->FileName + " [UpdateMemoHeader()]");
    return false;
  }
  if (!UnlockMemo(*m, AreaExclusive())) {
    XbSetError(1018, m->FileName);
    return false;
  }
  return true;
}

bool WriteGroupHeader(int64_t position, uint32_t length) {
  TMemoControlBlock* m = CurrentMemo();
  if (!m) return false;
  if (PutGroupHeader(m->File, m->MemoType, position, length) != 0) {
    MemoError(29, m->FileName + " [WriteGroupHeader()]");
    return false;
  }
  return true;
}

bool CheckMemoField(const std::string& routine) {
  TDbfControlBlock* cb = CurrentBlock();
  if (!cb) {
    XbSetError(215, " [" + routine + "]");
    return false;
  }
  if (!cb->MemoBlock) {
    XbSetError(1019, AreaFileName() + " No Memo Field [" + routine + "]");
    return false;
  }
  return true;
}

// ---- Appending and copying ------------------------------------------------------------------

int32_t AddMemo(const std::string& text) {
  const std::string t = XbRTrim(text);
  if (t.empty() || !CurrentMemo()) return 0;
  // dBase III text ends at the first 0x1A (or zero byte): a text holding one keeps a header.
  const bool header =
      CurrentMemo()->MemoType != 0x83 || t.find_first_of(std::string("\x1A\0", 2)) != std::string::npos;
  return AppendMemoBytes(t, header);
}

int32_t AddMemoData(const std::string& data) {
  if (data.empty() || !CurrentMemo()) return 0;
  return AppendMemoBytes(data, true);
}

int32_t CopyMemo(uint8_t sourceArea, int32_t ref) {
  if (ref == 0) return 0;
  TDbfControlBlock* srcArea = AreaBlock(sourceArea);
  TMemoControlBlock* dst = CurrentMemo();
  if (!srcArea || !srcArea->MemoBlock || !dst) return 0;
  const std::string ctx = dst->FileName;
  const int64_t pos = LockMemoPadAndSeekEOF("CopyMemo()");
  if (pos == 0) return 0;
  int32_t newRef = 0;
  int err = 0;
  CopyResult r = CopyMemoBody(*srcArea->MemoBlock, ref, dst->File, dst->MemoType, dst->BlockSize, pos, newRef, err);
  if (r == CopyResult::WriteError || (r == CopyResult::Ok && !BlockFits(pos, dst->BlockSize))) {
    MemoError(1005, ctx + " [AppendFrom/CopyTo]");
    return 0;
  }
  if (r == CopyResult::ReadError) {
    MemoError(XbIoCode(err), srcArea->MemoBlock->FileName + " [AppendFrom/CopyTo]");
    return 0;
  }
  // Nothing to copy (no such memo, a header that does not match): no memo, and the lock goes.
  if (!UpdateMemoHeader()) return 0;
  return r == CopyResult::Ok ? newRef : 0;
}

// ---- Compaction -----------------------------------------------------------------------------

void PackMemofile() {
  TDbfControlBlock* cb = CurrentBlock();
  TMemoControlBlock* m = CurrentMemo();
  if (!cb || !m) return;
  engineState.XbErrorCode = 0;
  const std::string ctx = m->FileName;
  const int64_t size = MemoFileSize(*m);
  if (size < 0) {
    XbSetError(XbIoCode(errno), ctx + " [PackMemofile]");
    return;
  }
  if (static_cast<long double>(size / 1024) > DiskFreeKB(m->FileName)) {
    XbSetError(1012, ctx + " [PackMemofile]");
    return;
  }

  // 1. Every memo still referred to goes into a new file beside the old one.
  const std::string tmpName = XbForceExt(m->FileName, "$$$");
  int out = -1;
  auto discard = [&](uint16_t code, const std::string& context) {
    XbCloseFile(out);
    SysUnlink(tmpName);
    XbSetError(code, context);
  };
  if (int e = Fault(1); e != 0) return discard(XbIoCode(e), ctx + " [PackMemofile]");
  NewMemoFile(tmpName, m->MemoType, m->BlockSize, "PackMemofile");
  if (engineState.XbErrorCode != 0) {
    SysUnlink(tmpName);
    return;
  }
  if (uint16_t rc = XbOpenFile(tmpName, XbModeReadWriteDenyAll, out); rc != 0) return discard(rc, ctx + " [PackMemofile]");

  struct NewRef {
    int32_t record;
    uint8_t field;
    std::string before, after;
  };
  std::vector<NewRef> refs;
  for (int32_t r = 1; r <= cb->RecCount; ++r) {
    for (uint8_t f = 1; f <= cb->FieldCount; ++f) {
      if (cb->Fields[f].Type != 'M') continue;
      const std::string stored = Peek(f, r);
      if (engineState.XbErrorCode != 0) return discard(engineState.XbErrorCode, ctx + " [PackMemo]");
      const int32_t ref = StoredRef(stored);
      if (ref == 0) continue;
      int err = 0;
      int64_t pos = PadToBlock(out, m->MemoType, m->BlockSize, err);
      if (pos < 0) return discard(1005, ctx);
      int32_t newRef = 0;
      CopyResult res = CopyMemoBody(*m, ref, out, m->MemoType, m->BlockSize, pos, newRef, err);
      if (res == CopyResult::Ok) {
        if (int e = Fault(2); e != 0) res = CopyResult::WriteError;
      }
      if (res == CopyResult::Beyond) {
        const int64_t block = ref < 0 ? -static_cast<int64_t>(ref) : ref;
        return discard(1003, ctx + " Memo block # " + Num(block) + " Record # " + Num(r) + " [PackMemo]");
      }
      if (res == CopyResult::ReadError) return discard(XbIoCode(err), ctx + " [PackMemo]");
      if (res == CopyResult::WriteError || !BlockFits(pos, m->BlockSize))
        return discard(1005, ctx + " [AppendFrom/CopyTo]");
      const std::string after = XbIntToText(newRef, cb->Fields[f].Len);
      if (after != stored) refs.push_back({r, f, stored, after});
    }
  }

  // 2. Its header, and everything on disk before it takes the old file's place.
  {
    int e = Fault(3);
    int64_t outSize = -1;
    if (e == 0) {
      struct stat st {};
      if (::fstat(out, &st) == 0) outSize = st.st_size;
    }
    uint8_t next[4];
    const uint32_t blocks = static_cast<uint32_t>(std::max<int64_t>(0, (outSize + m->BlockSize - 1) / m->BlockSize));
    if (m->MemoType == 0xF5)
      PutBe32(next, blocks);
    else
      PutLe32(next, blocks);
    if (e != 0 || outSize < 0 || XbWriteAt(out, 0, next, 4) != 0) return discard(29, ctx + " [PackMemo]");
  }
  if (int e = Fault(4); e != 0 || ::fsync(out) != 0) return discard(XbIoCode(e != 0 ? e : errno), ctx + " [PackMemo]");
  {
    struct stat st {};
    if (::fstat(m->File, &st) == 0) ::fchmod(out, st.st_mode & 07777);
  }
  // Others open the memo file as it was opened: share the new one alike.
  if ((m->OpenMode & 0xF0) == 0x40) ::flock(out, LOCK_SH | LOCK_NB);

  // 3. The new file takes the old one's name in one step. The old one stays reachable under a
  //    second name until the references are written, so that a failure can put it back.
  const std::string backup = XbForceExt(m->FileName, "$$B");
  SysUnlink(backup);
  const bool haveBackup = ::link(m->FileName.c_str(), backup.c_str()) == 0;
  {
    int e = Fault(5);
    if (e == 0 && SysRename(tmpName, m->FileName) != 0) e = errno;
    if (e != 0) {
      if (haveBackup) SysUnlink(backup);
      return discard(XbIoCode(e), ctx + " [PackMemofile]");
    }
  }
  const int oldFile = m->File;
  m->File = out;
  out = -1;

  // 4. Only now the table refers to the new file.
  size_t written = 0;
  int e = Fault(6);
  {
    XbQuietErrors quiet;
    for (; e == 0 && written < refs.size(); ++written) {
      Poke(refs[written].after, refs[written].field, refs[written].record);
      if (engineState.XbErrorCode != 0) break;
    }
  }
  if (e != 0 || written < refs.size()) {
    const uint16_t code = e != 0 ? XbIoCode(e) : engineState.XbErrorCode;
    engineState.XbErrorCode = 0;
    if (haveBackup && SysRename(backup, m->FileName) == 0) {
      XbCloseFile(m->File);
      m->File = oldFile;
      {
        XbQuietErrors quiet;
        for (size_t i = 0; i < written; ++i) Poke(refs[i].before, refs[i].field, refs[i].record);
      }
      engineState.XbErrorCode = 0;
      XbTakeErrorContext();
    } else {
      int keep = oldFile;
      XbCloseFile(keep);
    }
    RereadRecord();
    XbSetError(code, ctx + " [PackMemofile]");
    return;
  }
  int keep = oldFile;
  XbCloseFile(keep);
  if (haveBackup) SysUnlink(backup);
  RereadRecord();
}

// ---- Reading --------------------------------------------------------------------------------

namespace {

// Calls fn with the bytes of memo ref of the current area piece by piece. A memo past the end of
// the file is error 1003; a block holding no memo of the file's kind is an empty memo.
bool ReadPieces(const std::string& routine, int32_t ref, const std::function<bool(const uint8_t*, size_t)>& fn) {
  if (!CheckMemoField(routine)) return false;
  if (ref == 0) return true;
  TMemoControlBlock& m = *CurrentMemo();
  MemoSpan span;
  int err = 0;
  switch (FindSpan(m, ref, span, err)) {
    case SpanResult::Beyond:
      XbSetError(1003, m.FileName + " Record # " + Num(RecNo()) + " [GetMemo]");
      return false;
    case SpanResult::Unreadable:
      XbSetError(30, m.FileName);
      return false;
    case SpanResult::Mismatch: return true;
    case SpanResult::Ok: break;
  }
  if (!ForEachPiece(m, span, fn, err)) {
    XbSetError(30, m.FileName);
    return false;
  }
  return true;
}

}  // namespace

bool ReadMemo(int32_t ref, std::string& data) {
  data.clear();
  return ReadPieces("ReadMemo", ref, [&](const uint8_t* p, size_t n) {
    data.append(reinterpret_cast<const char*>(p), n);
    return true;
  });
}

bool GetMemo(int32_t ref) {
  memo.MemoLines.assign(1, std::string());
  memo.MemoLineKinds.assign(1, 0);
  memo.MemoLineCount = 0;
  std::string cur;
  bool skipLf = false;
  auto push = [&](std::string line, uint8_t kind) {
    ++memo.MemoLineCount;
    if (memo.MemoLines.size() <= MemoMaxLines) {
      memo.MemoLines.push_back(std::move(line));
      memo.MemoLineKinds.push_back(kind);
    }
  };
  const bool ok = ReadPieces("GetMemo", ref, [&](const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      const char c = static_cast<char>(p[i]);
      if (p[i] == 0x03) return false;
      if (skipLf) {
        skipLf = false;
        if (c == '\n') continue;
      }
      if (p[i] == MemoLineCR || p[i] == MemoLineSoft) {
        push(std::move(cur), p[i]);
        cur.clear();
        skipLf = true;
        continue;
      }
      if (cur.size() == MemoMaxLineLen) {
        // Wrapped after its last blank, which stays on the line.
        size_t blank = cur.rfind(' ');
        if (blank == std::string::npos) {
          push(std::move(cur), MemoLineOpen);
          cur.clear();
        } else {
          push(cur.substr(0, blank + 1), MemoLineOpen);
          cur.erase(0, blank + 1);
        }
      }
      cur += c;
    }
    return true;
  });
  if (!ok) return false;
  if (!cur.empty()) push(std::move(cur), MemoLineOpen);
  memo.MemoLineCount = static_cast<int32_t>(memo.MemoLines.size() - 1);
  return true;
}

bool AssignMemo(int32_t ref, std::vector<std::string>& lines) {
  lines.clear();
  if (!GetMemo(ref)) return false;
  std::string joined;
  bool open = false;
  for (int32_t i = 1; i <= memo.MemoLineCount; ++i) {
    joined += memo.MemoLines[i];
    open = true;
    if (memo.MemoLineKinds[i] == MemoLineCR) {
      lines.push_back(std::move(joined));
      joined.clear();
      open = false;
    }
  }
  if (open) lines.push_back(std::move(joined));
  return true;
}

bool TMemoTextFile::Assign(int32_t ref) {
  assigned_ = CheckMemoField("AssignMemo");
  ref_ = ref;
  area_ = SelectedArea();
  lines_.clear();
  next_ = 0;
  return assigned_;
}

void TMemoTextFile::Reset() {
  lines_.clear();
  next_ = 0;
  if (!assigned_) return;
  const uint8_t keep = workAreas.CurrentArea;
  workAreas.CurrentArea = area_;
  AssignMemo(ref_, lines_);
  workAreas.CurrentArea = keep;
}

bool TMemoTextFile::ReadLn(std::string& line) {
  line.clear();
  if (next_ >= lines_.size()) return false;
  line = lines_[next_++];
  return true;
}

bool TMemoTextFile::Eof() const { return next_ >= lines_.size(); }

void TMemoTextFile::Close() {
  lines_.clear();
  next_ = 0;
  memo.MemoLines.clear();
  memo.MemoLineKinds.clear();
  memo.MemoLineCount = 0;
}

}  // namespace qorva
