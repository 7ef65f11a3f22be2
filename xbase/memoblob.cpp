#include "xbase/memoblob.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "xbase/workareas.h"
#include "xbase/memo.h"
#include "xbase/enginestate.h"
#include "xbase/tablefile.h"

namespace qorva {

namespace {

constexpr size_t kScanPiece = 512;

std::string Num(int64_t v) { return XbIntToText(v, 0); }

bool Exclusive() {
  TDbfControlBlock* cb = CurrentBlock();
  return cb && cb->Exclusive;
}

void Reset(TBlobDescriptor& b) { b = TBlobDescriptor{}; }

// Resets the stream, releases the write lock, then reports.
void BlobError(TMemoControlBlock& m, uint16_t code, const std::string& routine) {
  const std::string ctx = Num(m.Blob.Block) + " " + m.FileName + " Record # " + Num(RecNo()) + " [" + routine + "]";
  Reset(m.Blob);
  MemoError(code, ctx);
}

// The conversion of the stream, decided on its first piece.
bool Converts(TBlobDescriptor& b, const uint8_t* piece, int32_t n) {
  if (b.TextDecision == -1) b.TextDecision = IsTextData(piece, n) ? 1 : 0;
  return b.TextDecision == 1;
}

// Completes a memo written through the stream: its header, the next free block, the lock.
void FinishWriting(TMemoControlBlock& m) {
  TBlobDescriptor& b = m.Blob;
  if (b.Extent > 0) {
    if (!WriteGroupHeader(static_cast<int64_t>(b.Block) * m.BlockSize, static_cast<uint32_t>(b.Extent))) {
      Reset(b);
      return;
    }
    Reset(b);
    UpdateMemoHeader();
    return;
  }
  Reset(b);
  UnlockMemo(m, Exclusive());
}

}  // namespace

bool IsTextData(const uint8_t* buffer, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t c = buffer[i];
    if (c < 32 && c != 9 && c != 10 && c != 13 && c != 15 && c != 20 && c != 21) return false;
  }
  return true;
}

int32_t CreateBlobDescriptor(bool convert, int32_t ref, uint8_t mode) {
  if (!CheckMemoField("CreateBlobDescriptor")) return 0;
  TMemoControlBlock& m = *CurrentMemo();
  if (m.Blob.Active && m.Blob.Mode == 2) FinishWriting(m);
  TBlobDescriptor& b = m.Blob;
  Reset(b);
  b.TextDecision = convert ? -1 : 0;
  b.Block = ref < 0 ? -ref : ref;
  b.Mode = mode;
  if (mode == 1) {
    if (ref == 0) {  // no memo: an empty stream
      b.Length = 0;
      b.Active = true;
      return 0;
    }
    const int64_t size = MemoFileSize(m);
    const int64_t p = static_cast<int64_t>(b.Block) * m.BlockSize;
    if (size < 0) {
      BlobError(m, XbIoCode(errno), "CreateBlobDescriptor");
      return 0;
    }
    if (p >= size - 1 || p > 0xFFFFFFF0ll) {
      BlobError(m, 1003, "CreateBlobDescriptor");
      return 0;
    }
    uint8_t h[8] = {};
    const int64_t got = XbReadAt(m.File, p, h, 8);
    if (got < 0) {
      BlobError(m, XbIoCode(errno), "CreateBlobDescriptor");
      return 0;
    }
    if (m.MemoType == 0xF5 && got == 8) {
      b.Length = static_cast<int32_t>(std::min<uint32_t>(0x7FFFFFFF, static_cast<uint32_t>(h[4]) << 24 | h[5] << 16 | h[6] << 8 | h[7]));
      b.DataOffset = 8;
    } else if (m.MemoType != 0xF5 && got == 8 && h[0] == 0xFF && h[1] == 0xFF && h[2] == 0x08 && h[3] == 0x00) {
      const uint32_t stored = h[4] | h[5] << 8 | h[6] << 16 | static_cast<uint32_t>(h[7]) << 24;
      b.Length = static_cast<int32_t>(std::min<uint32_t>(0x7FFFFFFF, stored < 8 ? 0 : stored - 8));
      b.DataOffset = 8;
    }
    b.DataStart = static_cast<uint32_t>(p + b.DataOffset);
    // Never past the end of the file.
    if (b.Length > 0 && b.DataStart + static_cast<int64_t>(b.Length) > size)
      b.Length = static_cast<int32_t>(std::max<int64_t>(0, size - b.DataStart));
    b.Active = true;
    return ref;
  }

  const int64_t pos = LockMemoPadAndSeekEOF("CreateBlobDescriptor");
  if (pos == 0) {
    Reset(b);
    return 0;
  }
  if (pos / m.BlockSize > 0x7FFFFFFF || pos > 0xFFFFFFF0ll) {
    BlobError(m, 1005, "CreateBlobDescriptor");
    return 0;
  }
  b.Block = static_cast<int32_t>(pos / m.BlockSize);
  if (m.MemoType != 0x83 && m.MemoType != 0xF5) {
    // The block is taken: a mark stands there until the header replaces it.
    const uint8_t mark[4] = {0xFF, 0xFF, 0xFF, 0x7F};
    if (XbWriteAt(m.File, pos, mark, 4) != 0) {
      Reset(b);
      MemoError(29, m.FileName + " [CreateBlobDescriptor]");
      return 0;
    }
  }
  b.DataOffset = 8;
  b.DataStart = static_cast<uint32_t>(pos + 8);
  b.Active = true;
  return m.MemoType == 0x83 ? -b.Block : b.Block;
}

int32_t ReadBlobStream(void* buffer, int32_t count) {
  TMemoControlBlock* m = CurrentMemo();
  if (!m || !m->Blob.Active || m->Blob.Mode != 1 || count <= 0 || buffer == nullptr) return 0;
  TBlobDescriptor& b = m->Blob;
  const int64_t size = MemoFileSize(*m);
  if (size < 0) {
    BlobError(*m, XbIoCode(errno), "ReadBlobStream");
    return 0;
  }
  const int64_t from = static_cast<int64_t>(b.DataStart) + b.Position;
  int64_t want = std::min<int64_t>(count, size - from);
  if (b.Length >= 0) want = std::min<int64_t>(want, b.Length - b.Position);
  if (want <= 0) return 0;
  auto* out = static_cast<uint8_t*>(buffer);
  int64_t done = 0;
  while (done < want) {
    const int64_t n = std::min<int64_t>(BlobPieceSize, want - done);
    const int64_t got = XbReadAt(m->File, from + done, out + done, static_cast<size_t>(n));
    if (got < 0) {
      BlobError(*m, XbIoCode(errno), "ReadBlobStream");
      return 0;
    }
    if (got == 0) break;
    if (Converts(b, out + done, static_cast<int32_t>(got))) XbOemToAnsiBuff(out + done, static_cast<size_t>(got));
    if (b.Length == -1) {
      // A dBase III text ends at its first 0x1A.
      const uint8_t* end = static_cast<const uint8_t*>(std::memchr(out + done, 0x1A, static_cast<size_t>(got)));
      if (end) {
        done = end - out;
        b.Position += static_cast<int32_t>(done);
        b.Length = b.Position;
        return static_cast<int32_t>(done);
      }
    }
    done += got;
  }
  b.Position += static_cast<int32_t>(done);
  return static_cast<int32_t>(done);
}

int32_t WriteBlobStream(const void* buffer, int32_t count) {
  TMemoControlBlock* m = CurrentMemo();
  if (!m || !m->Blob.Active || m->Blob.Mode != 2 || count <= 0 || buffer == nullptr) return 0;
  TBlobDescriptor& b = m->Blob;
  if (static_cast<int64_t>(b.Position) + count > 0x7FFFFFFF - static_cast<int64_t>(b.DataStart)) {
    BlobError(*m, 1005, "WriteBlobStream");
    return 0;
  }
  const auto* in = static_cast<const uint8_t*>(buffer);
  std::vector<uint8_t> piece;
  for (int32_t done = 0; done < count;) {
    const int32_t n = std::min(BlobPieceSize, count - done);
    const uint8_t* data = in + done;
    if (Converts(b, data, n)) {
      piece.assign(data, data + n);  // the caller's buffer stays as it is
      XbAnsiToOemBuff(piece.data(), piece.size());
      data = piece.data();
    }
    const int err = XbWriteAt(m->File, static_cast<int64_t>(b.DataStart) + b.Position + done, data, static_cast<size_t>(n));
    if (err != 0) {
      BlobError(*m, XbIoCode(err), "WriteBlobStream");
      return 0;
    }
    done += n;
  }
  b.Position += count;
  b.Extent = std::max(b.Extent, b.Position);
  return count;
}

int32_t SeekBlobStream(int32_t offset, uint16_t origin) {
  TMemoControlBlock* m = CurrentMemo();
  if (!m || !m->Blob.Active || m->Blob.Block == 0 || m->Blob.Mode == 0) return 0;
  TBlobDescriptor& b = m->Blob;
  int64_t to = b.Position;
  switch (origin) {
    case 0: to = offset; break;
    case 1: to = static_cast<int64_t>(b.Position) + offset; break;
    case 2:
      if (b.Mode == 2) {
        to = static_cast<int64_t>(b.Extent) + offset;
      } else {
        if (b.Length < 0) {
          // Scan for the end mark; the length is all that is kept of the scan. Without a mark the
          // memo ends with the file.
          const int64_t size = MemoFileSize(*m);
          int64_t at = static_cast<int64_t>(b.DataStart);
          std::vector<uint8_t> buf(kScanPiece);
          while (at < size) {
            const int64_t got = XbReadAt(m->File, at, buf.data(), buf.size());
            if (got <= 0) break;
            const void* mark = std::memchr(buf.data(), 0x1A, static_cast<size_t>(got));
            if (mark) {
              at += static_cast<const uint8_t*>(mark) - buf.data();
              break;
            }
            at += got;
          }
          b.Length = static_cast<int32_t>(std::min<int64_t>(0x7FFFFFFF, std::max<int64_t>(0, std::min(at, std::max<int64_t>(size, 0)) - b.DataStart)));
        }
        to = static_cast<int64_t>(b.Length) + offset;
      }
      break;
    default: break;
  }
  b.Position = static_cast<int32_t>(std::clamp<int64_t>(to, 0, 0x7FFFFFFF));
  return b.Position;
}

void DestroyBlobDescriptor() {
  if (!CheckMemoField("DestroyBlobDescriptor")) return;
  TMemoControlBlock& m = *CurrentMemo();
  if (m.Blob.Active && m.Blob.Mode == 2)
    FinishWriting(m);
  else
    Reset(m.Blob);
}

}  // namespace qorva
