#include "xbase/tablefile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>

#include "platform/clock.h"
#include "xbase/nationaldates.h"
#include "xbase/packrecovery.h"

namespace qorva {

TableFile tableFile;

void InitTableFile() { tableFile = TableFile{}; }

namespace {

constexpr uint32_t kRealSlot = 16;
// Bytes of a long double that carry its value (x87 extended: 10); the rest of the slot is zero.
static_assert(sizeof(long double) <= kRealSlot);

std::string decimal(int64_t v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
void putLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void putLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool isLevel7(uint8_t v) { return v == 0x04 || v == 0x8C; }

std::string notDbf(const std::string& who, const std::string& why, bool blankBefore, const std::string& tail) {
  return who + " ist keine dBASE-Datenbank." + (blankBefore ? " (" : "(") + why + tail;
}

std::string readError(const TDbfControlBlock& cb) { return "Fehler beim Lesen von " + cb.FileName + " [Use/OpenDbf]"; }

// Forgets everything a refused open had set up and closes the file.
void abandonOpen(TDbfControlBlock& cb) {
  XbCloseFile(cb.DbfFile);
  cb.RawRecord.clear();
  cb.AnyUndecoded = false;
  cb.Fields.clear();
  cb.FieldCount = 0;
  cb.FileState = 0;
}

// Reads the n bytes of field descriptors at offset; a read error or a file that ends before them
// refuses the open (false).
bool readDescriptors(TDbfControlBlock& cb, int64_t offset, uint8_t* desc, size_t n) {
  const int64_t got = XbReadAt(cb.DbfFile, offset, desc, n);
  if (got == static_cast<int64_t>(n)) return true;
  const uint16_t code = got < 0 ? XbIoCode(errno) : 100;
  abandonOpen(cb);
  XbSetError(code, readError(cb));
  return false;
}

// Takes the fields read from the descriptors (entry 0 unused); a table without any refuses the open.
void installFields(TDbfControlBlock& cb, std::vector<TDbfFieldEntry> fields) {
  if (fields.size() == 1) {
    abandonOpen(cb);
    XbSetError(222, readError(cb));
    return;
  }
  cb.FieldCount = static_cast<uint8_t>(fields.size() - 1);
  cb.Fields = std::move(fields);
  cb.AnyUndecoded = false;
  cb.FieldsEnd = 0;
  for (const TDbfFieldEntry& f : cb.Fields) cb.FieldsEnd = std::max<size_t>(cb.FieldsEnd, size_t{f.Offset} + f.Len);
  cb.BinaryOffsetsOf = nullptr;  // the offsets belonged to the old field list
}

// Field entry from a descriptor. Returns false (error context in ctx) for a type the engine
// does not know.
bool buildFieldEntry(TDbfControlBlock& cb, const uint8_t* d, size_t nameMax, size_t typeAt, size_t lenAt,
                     size_t decAt, uint16_t& offset, TDbfFieldEntry& e, std::string& ctx) {
  e = TDbfFieldEntry{};
  for (size_t i = 0; i < nameMax && i < 10 && d[i] != 0; ++i) {
    char c = static_cast<char>(d[i]);
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    e.Name += c;
  }
  char t = static_cast<char>(d[typeAt]);
  if (t == 'B' || t == 'G' || t == 'P' || t == 'b' || t == 'g' || t == 'p') t = 'M';
  e.Type = t;
  e.Len = d[lenAt];
  e.Dec = d[decAt];
  e.Offset = offset;
  offset = static_cast<uint16_t>(offset + e.Len);
  if (std::string("CDFLMN").find(t) == std::string::npos || t == '\0') {
    ctx = "Field: " + e.Name + " [" + std::string(1, t) + "] in " + cb.FileName + " ist kein g\xFCltiger Feldtyp";
    return false;
  }
  return true;
}

// Checks that records, fields and count fit together and into the file. "" when they do.
std::string damageOf(const TDbfControlBlock& cb, int64_t fileSize) {
  if (cb.RecLen == 0) return "Datensatzl\xE4nge ist Null";
  uint32_t needed = 1;
  for (size_t i = 1; i < cb.Fields.size(); ++i) needed += cb.Fields[i].Len;
  if (needed > cb.RecLen) return "Datensatzl\xE4nge ist kleiner als die Summe der Feldl\xE4ngen";
  if (cb.HeaderLen > fileSize) return "Header reicht \xFC" "ber das Dateiende";
  return "";
}

void readDbf3Header(TDbfControlBlock& cb) {
  const uint8_t version = cb.Header[0];
  const bool l7 = isLevel7(version);
  cb.HasMemo = version == 0x30 ? (cb.Header[28] & 0x02) != 0 : (version & 0x80) != 0;
  const uint16_t headerLen = le16(&cb.Header[8]);
  const uint16_t d = static_cast<uint16_t>(headerLen - (l7 ? 68 : 32));
  const size_t descSize = l7 ? 48 : 32;
  const size_t count = d / descSize;
  if (count == 0 || count > 255) {
    abandonOpen(cb);
    XbSetError(210, notDbf(FileNameOnly(cb), "Zu viele Datenfelder", true, ") [Use/OpenDbf]"));
    return;
  }
  cb.FieldCount = static_cast<uint8_t>(count);
  const uint32_t recCount = le32(&cb.Header[4]);
  cb.RecCount = recCount > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()) ? -1 : static_cast<int32_t>(recCount);
  cb.HeaderLen = headerLen;
  cb.RecLen = le16(&cb.Header[10]);
  cb.RawRecord.assign(cb.RecLen, ' ');
  cb.FileState = 1;

  std::vector<uint8_t> desc(d);
  int64_t at = 32;
  if (l7) at += 36;  // the level-7 header extension is skipped
  if (!readDescriptors(cb, at, desc.data(), d)) return;
  std::vector<TDbfFieldEntry> fields(1);
  uint16_t offset = 1;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = desc.data() + i * descSize;
    if (p[0] == 0x0D) break;
    TDbfFieldEntry e;
    std::string ctx;
    bool ok = l7 ? buildFieldEntry(cb, p, 32, 32, 33, 34, offset, e, ctx)
                 : buildFieldEntry(cb, p, 11, 11, 16, 17, offset, e, ctx);
    if (!ok) {
      abandonOpen(cb);
      XbSetError(211, ctx);
      XbSetError(211, readError(cb));
      return;
    }
    fields.push_back(e);
  }
  installFields(cb, std::move(fields));
}

void readDbf2Header(TDbfControlBlock& cb, int64_t fileSize) {
  cb.RecCount = le16(&cb.Header[1]);
  cb.RecLen = le16(&cb.Header[6]);
  cb.HeaderLen = Dbf2HeaderLen;
  cb.HasMemo = false;
  if (fileSize < Dbf2HeaderLen) {
    abandonOpen(cb);
    XbSetError(210, notDbf(cb.FileName, "Datenbank-Header ist kleiner als 521 Bytes", false, ") [Use/OpenDBF]"));
    return;
  }
  cb.RawRecord.assign(cb.RecLen, ' ');
  cb.FileState = 1;
  uint8_t desc[512];
  if (!readDescriptors(cb, 8, desc, sizeof desc)) return;
  std::vector<TDbfFieldEntry> fields(1);
  uint16_t offset = 1;
  bool terminated = false;
  for (size_t i = 0; i < 32; ++i) {
    const uint8_t* p = desc + i * 16;
    if (p[0] == 0x0D) {
      terminated = true;
      break;
    }
    TDbfFieldEntry e;
    std::string ctx;
    if (!buildFieldEntry(cb, p, 11, 11, 12, 15, offset, e, ctx)) {
      abandonOpen(cb);
      XbSetError(211, ctx);
      return;
    }
    fields.push_back(e);
  }
  if (!terminated) {
    abandonOpen(cb);
    XbSetError(210, notDbf(FileNameOnly(cb), "Zu viele Datenfelder", false, ") [Use/OpenDbf]"));
    return;
  }
  installFields(cb, std::move(fields));
}

// ---- Binary record fields ----

// The stored YYYYMMDD as date text in the national format; writes 8 or 10 characters to out.
size_t storedDateToText(const char* s8, char* out) {
  const bool century = nationalDates.CenturyDates;
  const char* y = century ? s8 : s8 + 2;
  const size_t yl = century ? 4 : 2;
  char* p = out;
  auto put = [&p](const char* from, size_t n) {
    std::memcpy(p, from, n);
    p += n;
  };
  auto sep = [&p](char c) { *p++ = c; };
  switch (nationalDates.XbDateFormat) {
    case 1: put(y, yl); sep('.'); put(s8 + 4, 2); sep('.'); put(s8 + 6, 2); break;
    case 2: put(s8 + 6, 2); sep('/'); put(s8 + 4, 2); sep('/'); put(y, yl); break;
    case 3: put(s8 + 6, 2); sep('-'); put(s8 + 4, 2); sep('-'); put(y, yl); break;
    case 4: case 5: case 6: case 7: case 8: put(s8 + 6, 2); sep('.'); put(s8 + 4, 2); sep('.'); put(y, yl); break;
    default: put(s8 + 4, 2); sep('/'); put(s8 + 6, 2); sep('/'); put(y, yl); break;
  }
  return static_cast<size_t>(p - out);
}

std::string textToStoredDate(std::string t) {
  const std::string blank(8, ' ');
  if (t.empty()) return blank;
  size_t expected = nationalDates.CenturyDates ? 10 : 8;
  if (t.size() != expected) {
    std::string v = t;
    if (!ValidDate(v)) return blank;
    t = v;
  }
  std::string probe = t;
  for (char& c : probe)
    if (c == '/' || c == '-' || c == '.') c = ' ';
  if (probe.find_first_not_of(' ') == std::string::npos) return blank;
  std::string y, m, d;
  if (nationalDates.XbDateFormat == 1) {
    size_t yl = t.size() >= 6 ? t.size() - 6 : 0;
    y = t.substr(0, yl);
    m = t.substr(std::min(t.size(), yl + 1), 2);
    d = t.substr(std::min(t.size(), yl + 4), 2);
  } else {
    std::string a = t.substr(0, 2), b = t.substr(std::min<size_t>(t.size(), 3), 2);
    y = t.substr(std::min<size_t>(t.size(), 6));
    if (nationalDates.XbDateFormat == 0 || nationalDates.XbDateFormat > XbMaxDateFormat) {
      m = a;
      d = b;
    } else {
      d = a;
      m = b;
    }
  }
  if (y.size() == 2) y = CenturyDigits(y) + y;
  while (y.size() < 4) y.insert(0, "0");
  y.resize(4);
  m.resize(2, ' ');
  d.resize(2, ' ');
  return y + m + d;
}

// See BinaryFieldSize.
inline uint32_t slotSize(const TDbfFieldEntry& f) {
  switch (f.Type) {
    case 'C': return f.Len + 1u;
    case 'D': return 11;
    case 'N':
    case 'F': return f.Dec > 0 ? kRealSlot : 8;
    case 'L': return 1;
    case 'M': return 4;
    default: return f.Len + 1u;
  }
}

void putReal(uint8_t* slot, long double v) { StoreReal(slot, v); }
long double getReal(const uint8_t* slot) { return LoadReal(slot); }



// The stored form of nearly every number: blanks, an optional minus, at most 19 digits with at most
// one decimal point. It is read without building texts; the quotient of the digits as a whole number
// and an exact power of ten is rounded once, so the value is the one the general reader gives.
// Anything else (and a form the reader would round differently) is left to the general reader.
[[gnu::always_inline]] inline bool fastReal(const char* s, size_t n, long double& v) {
  static constexpr long double kPow10[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
                                           1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L};
  size_t b = 0, e = n;
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  bool neg = false;
  if (b < e && s[b] == '-') {
    neg = true;
    ++b;
  }
  // The digits before the point, then those after it; anything left over is no such number.
  auto digit = [s](size_t i) { return static_cast<unsigned>(s[i] - '0') <= 9u; };
  uint64_t m = 0;  // wraps with more than 19 digits, which are refused below
  size_t i = b;
  for (; i < e && digit(i); ++i) m = m * 10 + static_cast<uint64_t>(s[i] - '0');
  size_t digits = i - b, frac = 0;
  if (i < e && s[i] == '.') {
    const size_t first = ++i;
    for (; i < e && digit(i); ++i) m = m * 10 + static_cast<uint64_t>(s[i] - '0');
    frac = i - first;
    digits += frac;
  }
  if (i != e || digits == 0 || digits > 19) return false;
  constexpr int kMantissa = std::numeric_limits<long double>::digits;
  if constexpr (kMantissa < 64) {
    if (m > (uint64_t{1} << kMantissa)) return false;
  }
  long double x = static_cast<long double>(m);
  if (frac > 0) x /= kPow10[frac];
  v = neg ? -x : x;
  return true;
}

// Blanks around a whole number that fits.
bool fastInt(const char* s, size_t n, int64_t& v) {
  size_t b = 0, e = n;
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  if (b == e) return false;
  auto r = std::from_chars(s + b, s + e, v);
  return r.ec == std::errc() && r.ptr == s + e;
}

// Blanks only, or a number that did not fit ("*"-filled): no number, the general reader agrees.
bool plainlyNoNumber(const char* s, size_t n) {
  size_t i = 0;
  while (i < n && s[i] == ' ') ++i;
  return i == n || s[i] == '*';
}

[[gnu::noinline]] bool slowReal(const char* s, size_t n, long double& v) {
  return !plainlyNoNumber(s, n) && XbParseReal(std::string(s, n), v);
}

[[gnu::always_inline]] inline bool decodeReal(const char* s, size_t n, long double& v) {
  return fastReal(s, n, v) || slowReal(s, n, v);
}

bool decodeInt(const char* s, size_t n, int64_t& v) {
  if (fastInt(s, n, v)) return true;
  return !plainlyNoNumber(s, n) && XbParseInt(std::string(s, n), v);
}

}  // namespace

size_t StoredDateText(const TDbfFieldEntry& f, const uint8_t* raw, char* out) {
  char s8[8];
  if (f.Len >= 8) {
    std::memcpy(s8, raw, 8);
  } else {
    std::memset(s8, ' ', 8);
    std::memcpy(s8, raw, f.Len);
  }
  return storedDateToText(s8, out);
}

long double StoredReal(const TDbfFieldEntry& f, const uint8_t* raw) {
  long double v = 0;
  if (!decodeReal(reinterpret_cast<const char*>(raw), f.Len, v)) v = 0;
  return v;
}

int64_t StoredInt(const TDbfFieldEntry& f, const uint8_t* raw) {
  int64_t v = 0;
  if (!decodeInt(reinterpret_cast<const char*>(raw), f.Len, v)) v = 0;
  return v;
}

namespace {

// Stored field -> binary slot (kept inline for the record-wide decoding of every read).
[[gnu::always_inline]] inline void decodeField(const TDbfFieldEntry& f, const uint8_t* raw, uint8_t* slot) {
  switch (f.Type) {
    case 'C':
      slot[0] = f.Len;
      CopyFieldBytes(slot + 1, raw, f.Len);
      break;
    case 'D':
      std::memset(slot, 0, 11);
      slot[0] = static_cast<uint8_t>(StoredDateText(f, raw, reinterpret_cast<char*>(slot + 1)));
      break;
    case 'N':
    case 'F':
      if (f.Dec > 0) {
        putReal(slot, StoredReal(f, raw));
      } else {
        const int64_t v = StoredInt(f, raw);
        std::memcpy(slot, &v, 8);
      }
      break;
    case 'L': slot[0] = StoredBool(f, raw) ? 1 : 0; break;
    case 'M': {
      const int32_t b = static_cast<int32_t>(std::clamp<int64_t>(StoredInt(f, raw), std::numeric_limits<int32_t>::min(),
                                                                 std::numeric_limits<int32_t>::max()));
      std::memcpy(slot, &b, 4);
      break;
    }
    default:
      slot[0] = f.Len;
      std::memcpy(slot + 1, raw, f.Len);
      break;
  }
}

void fitNumber(const std::string& s, uint8_t len, uint8_t* raw) {
  if (s.empty() || s.size() > len) {
    std::memset(raw, '*', len);
    return;
  }
  std::memset(raw, ' ', len - s.size());
  std::memcpy(raw + (len - s.size()), s.data(), s.size());
}

// Binary slot -> stored field.
void encodeField(const TDbfFieldEntry& f, const uint8_t* slot, uint8_t* raw) {
  switch (f.Type) {
    case 'C': {
      size_t n = std::min<size_t>(slot[0], f.Len);
      std::memcpy(raw, slot + 1, n);
      std::memset(raw + n, ' ', f.Len - n);
      break;
    }
    case 'D': {
      std::string t(reinterpret_cast<const char*>(slot + 1), std::min<size_t>(slot[0], 10));
      std::string s = textToStoredDate(t);
      std::memset(raw, ' ', f.Len);
      std::memcpy(raw, s.data(), std::min<size_t>(8, f.Len));
      break;
    }
    case 'N':
    case 'F':
      if (f.Dec > 0) {
        fitNumber(XbFormatFixed(getReal(slot), 0, f.Dec), f.Len, raw);
      } else {
        int64_t v = 0;
        std::memcpy(&v, slot, 8);
        // The lowest value marks a number that was not finite.
        fitNumber(v == std::numeric_limits<int64_t>::min() ? std::string() : XbIntToText(v, 0), f.Len, raw);
      }
      break;
    case 'L':
      if (f.Len > 0) {
        raw[0] = slot[0] != 0 ? 'T' : 'F';
        std::memset(raw + 1, ' ', f.Len - 1u);
      }
      break;
    case 'M': {
      int32_t b = 0;
      std::memcpy(&b, slot, 4);
      std::string s = XbIntToText(b, f.Len);
      s.resize(f.Len, ' ');
      std::memcpy(raw, s.data(), f.Len);
      break;
    }
    default: {
      size_t n = std::min<size_t>(slot[0], f.Len);
      std::memcpy(raw, slot + 1, n);
      std::memset(raw + n, ' ', f.Len - n);
      break;
    }
  }
}

// Whether two slots hold the same value.
bool sameValue(const TDbfFieldEntry& f, const uint8_t* a, const uint8_t* b) {
  switch (f.Type) {
    case 'C': {
      uint8_t raw1[256], raw2[256];
      encodeField(f, a, raw1);
      encodeField(f, b, raw2);
      return std::memcmp(raw1, raw2, f.Len) == 0;
    }
    case 'D': {
      size_t na = std::min<size_t>(a[0], 10), nb = std::min<size_t>(b[0], 10);
      return na == nb && std::memcmp(a + 1, b + 1, na) == 0;
    }
    case 'N':
    case 'F':
      if (f.Dec > 0) return getReal(a) == getReal(b);
      return std::memcmp(a, b, 8) == 0;
    case 'L': return (a[0] != 0) == (b[0] != 0);
    case 'M': return std::memcmp(a, b, 4) == 0;
    default: return false;
  }
}

// Read-ahead of a sequential walk: at most this many bytes of whole records at a time.
constexpr size_t kAheadBytes = 65536;

// The bytes an append writes over, kept to undo it.
std::vector<uint8_t>& undoRoom() {
  static std::vector<uint8_t> buf;
  return buf;
}

// One record's worth of room for converted writes; the engine runs on one thread.
std::vector<uint8_t>& scratch() {
  static std::vector<uint8_t> buf;
  return buf;
}

void callVFile(TDbfControlBlock& cb, uint8_t op, int32_t arg) {
  cb.VFileOp = op;
  cb.VFileArg = arg;
  if (engineState.VFileHandler) {
    engineState.VFileHandler(cb);
  } else {
    XbSetError(1101, " [" + cb.FileName + "]");
  }
}

}  // namespace

uint32_t BinaryFieldSize(const TDbfFieldEntry& f) { return slotSize(f); }

void CopyLongBytes(uint8_t* to, const uint8_t* from, size_t n) { std::memcpy(to, from, n); }

namespace {

// Offsets [0..FieldCount] and, in the last entry, the record size.
void WorkOutOffsets(const TDbfControlBlock& cb) {
  const size_t n = cb.Fields.size();
  cb.BinaryOffsets.assign(std::max<size_t>(n, 1) + 1, 0);
  uint32_t off = 1;
  for (size_t i = 1; i < n; ++i) {
    cb.BinaryOffsets[i] = off;
    off += BinaryFieldSize(cb.Fields[i]);
  }
  cb.BinaryOffsets.back() = off;
  cb.BinaryOffsetsOf = cb.Fields.data();
}

}  // namespace

uint32_t RecordSize(const TDbfControlBlock& cb) {
  WorkOutOffsets(cb);
  return cb.BinaryOffsets.back();
}

uint32_t BinaryFieldOffsetByWalk(const TDbfControlBlock& cb, uint8_t n) {
  if (n == 0) return 0;
  uint32_t off = 1;
  for (size_t i = 1; i < n && i < cb.Fields.size(); ++i) off += BinaryFieldSize(cb.Fields[i]);
  return off;
}

bool IsDbfVersion(uint8_t v) {
  switch (v) {
    case 0x02: case 0x03: case 0x83: case 0x8B: case 0xF5: case 0x30: case 0x04: case 0x8C: return true;
    default: return false;
  }
}

std::string MemoFileExt(uint8_t version) { return version == 0xF5 || version == 0x30 ? "FPT" : "DBT"; }

uint32_t SwapLong(uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}
uint16_t SwapWord(uint16_t v) { return static_cast<uint16_t>((v >> 8) | (v << 8)); }

std::string FileNameOnly(const TDbfControlBlock& cb) {
  size_t p = cb.FileName.find_last_of("/\\");
  return p == std::string::npos ? cb.FileName : cb.FileName.substr(p + 1);
}

std::string BaseFileName(const std::string& path) {
  std::string d, n, e;
  XbFSplit(path, d, n, e);
  return n;
}

int64_t DbfFileSize(const TDbfControlBlock& cb) {
  struct stat st {};
  if (cb.DbfFile < 0 || ::fstat(cb.DbfFile, &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

uint32_t DbfTableStamp(const TDbfControlBlock& cb) {
  if (cb.Header[0] == 0x02) return 0;
  return static_cast<uint32_t>(cb.Header[24] | cb.Header[25] << 8 | cb.Header[26] << 16);
}

void OpenDbf(TDbfControlBlock& cb) {
  {
    std::string d, n, e;
    XbFSplit(cb.FileName, d, n, e);
    if (e.empty()) cb.FileName = XbDefaultExt(XbRTrim(cb.FileName), "DBF");
  }
  // The file that exists as written, else the one that matches whatever the case. The table goes
  // by the name actually opened from here on: memo file, indexes, reopening and messages follow it.
  cb.FileName = XbResolveFileName(cb.FileName);
  // A pack that died is undone and what dead runs left behind goes, before anyone reads the table.
  XbRecoverTable(cb.FileName);
  cb.OpenMode = engineState.FileMode;
  uint16_t rc = XbOpenFile(cb.FileName, cb.OpenMode, cb.DbfFile);
  if (rc != 0) {
    XbSetError(rc, "Fehler beim \xD6" "ffnen von " + cb.FileName + " [USE/OpenDbf]");
    return;
  }
  int64_t fileSize = DbfFileSize(cb);
  if (fileSize < 0) {
    uint16_t code = XbIoCode(errno);
    abandonOpen(cb);
    XbSetError(code, readError(cb));
    return;
  }
  uint8_t prolog[32];
  ssize_t got = XbReadAt(cb.DbfFile, 0, prolog, sizeof prolog);
  if (got < 0) {
    uint16_t code = XbIoCode(errno);
    abandonOpen(cb);
    XbSetError(code, readError(cb));
    return;
  }
  if (got < 32) {
    abandonOpen(cb);
    XbSetError(210, notDbf(cb.FileName, "Prolog ist kleiner als 32 Bytes", true, ") [USE/OpenDBF]"));
    return;
  }
  std::memcpy(cb.Header.data(), prolog, 32);
  if (!IsDbfVersion(prolog[0])) {
    abandonOpen(cb);
    XbSetError(210, notDbf(cb.FileName, "Versions-Byte ung\xFCltig", false, ")+ [USE/OpenDBF]"));
    return;
  }
  engineState.XbErrorCode = 0;
  {
    // The readers report themselves; the checks below must not run after a refusal.
    if (prolog[0] == 0x02) readDbf2Header(cb, fileSize);
    else readDbf3Header(cb);
  }
  if (cb.DbfFile < 0) return;  // refused (reporting was off)
  if (tableFile.XbAutoFixRecCount && cb.RecLen > 0)
    cb.RecCount = fileSize > cb.HeaderLen ? static_cast<int32_t>(std::min<int64_t>(
                                                (fileSize - cb.HeaderLen) / cb.RecLen, std::numeric_limits<int32_t>::max()))
                                          : 0;
  std::string damage = damageOf(cb, fileSize);
  if (!damage.empty()) {
    abandonOpen(cb);
    XbSetError(210, notDbf(cb.FileName, damage, true, ") [USE/OpenDBF]"));
    return;
  }
  {
    // The table holds the whole records that are in the file, as a shared table counts them: a
    // header that counts more (an append cut short, half a record written) or fewer (an exclusive
    // run killed before it wrote its header at close) opens with the records that are there. The
    // file stays as it is; the next write of the header puts the count right.
    const int64_t whole = fileSize > cb.HeaderLen ? (fileSize - cb.HeaderLen) / cb.RecLen : 0;
    if (cb.RecCount < 0 || cb.RecCount != whole)
      cb.RecCount = static_cast<int32_t>(std::min<int64_t>(whole, std::numeric_limits<int32_t>::max()));
  }
  if (cb.RecCount >= 1) {
    cb.RecNo = 1;
    cb.AtBof = cb.AtEof = false;
  } else {
    cb.RecNo = 0;
    cb.AtBof = cb.AtEof = true;
  }
}

namespace {

// Writes the waiting records: 0 or the I/O result code; they stay waiting on failure.
uint16_t writePending(TDbfControlBlock& cb) {
  if (cb.PendingCount == 0) return 0;
  const int64_t off = static_cast<int64_t>(cb.HeaderLen) + static_cast<int64_t>(cb.PendingFirst - 1) * cb.RecLen;
  int err = XbWriteAt(cb.DbfFile, off, cb.PendingData.data(), static_cast<size_t>(cb.PendingCount) * cb.RecLen);
  if (err != 0) return XbIoCode(err);
  cb.PendingFirst = 0;
  cb.PendingCount = 0;
  return 0;
}

std::string writeContext(const TDbfControlBlock& cb) { return "Datei:  " + cb.FileName + " [Replace/Append/PutDbfRecord]"; }

}  // namespace

bool WritePendingRecords(TDbfControlBlock& cb) {
  uint16_t code = writePending(cb);
  if (code != 0) XbSetError(code, writeContext(cb));
  return code == 0;
}

namespace {

// No byte of p[0..n) is above 127.
bool allAscii(const uint8_t* p, size_t n) {
  uint64_t seen = 0;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    seen |= w;
  }
  for (; i < n; ++i) seen |= p[i];
  return (seen & 0x8080808080808080ull) == 0;
}

// Record n, held ahead, as now written.
void keepAhead(TDbfControlBlock& cb, int32_t n, const uint8_t* stored) {
  std::memcpy(cb.AheadData.data() + static_cast<size_t>(n - cb.AheadFirst) * cb.RecLen, stored, cb.RecLen);
  if (cb.AheadAscii && !allAscii(stored, cb.RecLen)) cb.AheadAscii = false;
}

void keepAheadFlag(TDbfControlBlock& cb, int32_t n, uint8_t flag) {
  cb.AheadData[static_cast<size_t>(n - cb.AheadFirst) * cb.RecLen] = flag;
  if (flag > 127) cb.AheadAscii = false;
}

}  // namespace

void DropReadAhead(TDbfControlBlock& cb) {
  cb.AheadFirst = 0;
  cb.AheadCount = 0;
}

void GetDbfRecord(TDbfControlBlock& cb, int32_t n) {
  if (n < 1 || n > cb.RecCount) {
    XbSetError(212, "Ung\xFCltige Datensatznr. = " + decimal(n) + " (" + cb.FileName + ")  [GetDbfRecord]");
    return;
  }
  cb.AtEof = cb.AtBof = false;
  if (cb.IsVirtual) {
    callVFile(cb, 3, n);
    return;
  }
  // Only a table that nobody else can change reads ahead: one held exclusively, or one under this
  // area's file lock. Any other process may rewrite a record of a shared table between our reads,
  // and nothing cheap tells when it did (a time stamp need not move within one tick), so a record
  // read ahead could be served as it was before the change. A shared table without the file lock
  // therefore reads every record from the file when it is reached, as it did without read-ahead.
  const bool ahead = HeldAlone(cb);
  const uint8_t* stored = nullptr;
  if (ahead && cb.AheadCount > 0 && n >= cb.AheadFirst && n - cb.AheadFirst < cb.AheadCount) {
    stored = cb.AheadData.data() + static_cast<size_t>(n - cb.AheadFirst) * cb.RecLen;
  } else {
    if (cb.PendingCount > 0) {
      uint16_t code = writePending(cb);
      if (code != 0) {
        XbSetError(code, writeContext(cb));
        return;
      }
    }
    // The record right after the ones held continues a walk: read twice as many as last time.
    const int32_t most = static_cast<int32_t>(std::max<size_t>(1, kAheadBytes / std::max<uint16_t>(cb.RecLen, 1)));
    int32_t want =
        ahead && cb.AheadCount > 0 && n == cb.AheadFirst + cb.AheadCount ? std::min(2 * cb.AheadCount, most) : 1;
    want = std::min(want, cb.RecCount - n + 1);
    DropReadAhead(cb);
    cb.AheadData.resize(static_cast<size_t>(want) * cb.RecLen);
    int64_t off = static_cast<int64_t>(cb.HeaderLen) + static_cast<int64_t>(n - 1) * cb.RecLen;
    ssize_t got = XbReadAt(cb.DbfFile, off, cb.AheadData.data(), cb.AheadData.size());
    // A failed read leaves RawRecord as it was.
    if (got < static_cast<ssize_t>(cb.RecLen) || cb.RecLen == 0) {
      uint16_t code = got < 0 ? XbIoCode(errno) : 213;
      XbSetError(code, "Datei:  " + cb.FileName + "  [GetDbfRecord]");
      return;
    }
    cb.AheadFirst = n;
    cb.AheadCount = static_cast<int32_t>(got / cb.RecLen);
    // The code page is looked at once per block: a block without a byte above 127 reads as stored.
    cb.AheadAscii = cb.OemConvert && !cb.DecodeRecordHook &&
                    allAscii(cb.AheadData.data(), static_cast<size_t>(cb.AheadCount) * cb.RecLen);
    stored = cb.AheadData.data();
  }
  DecodeRecord(cb);  // the binary record keeps the record read before
  if (cb.RawRecord.size() != cb.RecLen) cb.RawRecord.resize(cb.RecLen);
  CopyFieldBytes(cb.RawRecord.data(), stored, cb.RecLen);
  cb.RecNo = n;
  if (cb.DecodeRecordHook && cb.RecLen >= 2) cb.DecodeRecordHook(cb.RawRecord.data() + 1, cb.RecLen - 1u);
  // Both code pages agree on ASCII: a record without a byte above 127 reads as stored.
  if (cb.OemConvert && !cb.AheadAscii && !allAscii(cb.RawRecord.data(), cb.RawRecord.size()))
    ConvertRecord(false, true, cb.RawRecord.data(), cb.RawRecord.size(), cb.RecLen);
}

void PutDbfRecord(TDbfControlBlock& cb, int32_t n) {
  if (n < 1) {
    // Would address the header.
    XbSetError(212, "Ung\xFCltige Datensatznr. = " + decimal(n) + " (" + cb.FileName + ")  [PutDbfRecord]");
    return;
  }
  const bool append = n > cb.RecCount;
  if (append) n = cb.RecCount + 1;
  if (cb.IsVirtual) {
    callVFile(cb, 8, n);
    return;
  }
  const int32_t oldCount = cb.RecCount, oldRecNo = cb.RecNo;
  const uint8_t oldState = cb.FileState;
  const int64_t off = static_cast<int64_t>(cb.HeaderLen) + static_cast<int64_t>(n - 1) * cb.RecLen;
  // What the file holds where the record goes (usually the end-of-file byte), to undo a failed append.
  int64_t oldSize = -1;
  ssize_t oldGot = -1;
  std::vector<uint8_t>& oldBytes = undoRoom();
  if (append) {
    oldSize = DbfFileSize(cb);
    if (oldSize > off) {
      oldBytes.resize(static_cast<size_t>(std::min<int64_t>(oldSize - off, cb.RecLen)));
      oldGot = XbReadAt(cb.DbfFile, off, oldBytes.data(), oldBytes.size());
    }
    cb.RecCount = n;
    cb.RecNo = n;
  }
  std::vector<uint8_t>& out = scratch();
  out.assign(cb.RawRecord.begin(), cb.RawRecord.end());
  out.resize(cb.RecLen, ' ');
  if (cb.OemConvert) ConvertRecord(true, true, out.data(), out.size(), cb.RecLen);
  if (cb.EncodeRecord && cb.RecLen >= 2) cb.EncodeRecord(out.data() + 1, cb.RecLen - 1u);
  // A read-only open refuses the write at once, as it does without waiting.
  if (!append && HeldAlone(cb) && (cb.OpenMode & 0x0F) == 2 && cb.RecLen > 0) {
    // Nobody else sees the file: the record waits and goes with its neighbours.
    const bool inside = cb.PendingCount > 0 && n >= cb.PendingFirst && n - cb.PendingFirst < cb.PendingCount;
    const bool next = cb.PendingCount > 0 && n == cb.PendingFirst + cb.PendingCount &&
                      static_cast<size_t>(cb.PendingCount + 1) * cb.RecLen <= kAheadBytes;
    if (!inside && !next) {
      uint16_t code = writePending(cb);
      if (code != 0) {
        XbSetError(code, writeContext(cb));
        return;
      }
      cb.PendingFirst = n;
    }
    if (!inside) {
      ++cb.PendingCount;
      cb.PendingData.resize(static_cast<size_t>(cb.PendingCount) * cb.RecLen);
    }
    std::memcpy(cb.PendingData.data() + static_cast<size_t>(n - cb.PendingFirst) * cb.RecLen, out.data(), cb.RecLen);
    if (cb.AheadCount > 0 && n >= cb.AheadFirst && n - cb.AheadFirst < cb.AheadCount)
      keepAhead(cb, n, out.data());
    if (cb.FileState != 3) cb.FileState = 2;
    return;
  }
  int err = XbWriteAt(cb.DbfFile, off, out.data(), out.size());
  if (err != 0) {
    if (append) {
      // No phantom record: the file, the count and the position stay as before the append.
      bool sized = oldSize < 0 || ::ftruncate(cb.DbfFile, static_cast<off_t>(oldSize)) == 0;
      if (sized && oldGot > 0)
        XbWriteAt(cb.DbfFile, off, oldBytes.data(), static_cast<size_t>(oldGot));
      cb.RecCount = oldCount;
      cb.RecNo = oldRecNo;
      cb.FileState = oldState;
    } else if (cb.FileState != 3) {
      cb.FileState = 2;
    }
    DropReadAhead(cb);
    XbSetError(XbIoCode(err), writeContext(cb));
    return;
  }
  // The records read ahead stay what the file holds.
  if (cb.AheadCount > 0 && n >= cb.AheadFirst && n - cb.AheadFirst < cb.AheadCount)
    keepAhead(cb, n, out.data());
  if (append) cb.FileState = 3;
  else if (cb.FileState != 3) cb.FileState = 2;
}

void AppendDbfRecord(TDbfControlBlock& cb) { PutDbfRecord(cb, cb.RecCount + 1); }

void WriteDeleteFlag(TDbfControlBlock& cb, int32_t n) {
  if (n < 1 || n > cb.RecCount) {
    // Outside the table there is no record whose mark could be written.
    XbSetError(212, "Ung\xFCltige Datensatznr. = " + decimal(n) + " (" + cb.FileName + ")  [DeleteRec/RecallRec]");
    return;
  }
  if (cb.PendingCount > 0) {
    // The waiting copy of the record would write the old mark over the new one.
    uint16_t code = writePending(cb);
    if (code != 0) {
      XbSetError(code, "Datei:  " + cb.FileName + " [DeleteRec/RecallRec]");
      return;
    }
  }
  const int64_t off = static_cast<int64_t>(cb.HeaderLen) + static_cast<int64_t>(n - 1) * cb.RecLen;
  uint8_t flag = cb.RawRecord.empty() ? ' ' : cb.RawRecord[0];
  int err = XbWriteAt(cb.DbfFile, off, &flag, 1);
  if (cb.FileState != 3) cb.FileState = 2;
  if (err != 0) DropReadAhead(cb);
  else if (cb.AheadCount > 0 && n >= cb.AheadFirst && n - cb.AheadFirst < cb.AheadCount)
    keepAheadFlag(cb, n, flag);
  if (err != 0) XbSetError(XbIoCode(err), "Datei:  " + cb.FileName + " [DeleteRec/RecallRec]");
}

void WriteDbfHeader(TDbfControlBlock& cb) {
  LocalDateTime now = clock().now();
  int err = 0;
  if (cb.Header[0] == 0x02) {
    putLe16(&cb.Header[1], static_cast<uint16_t>(cb.RecCount));
    cb.Header[3] = static_cast<uint8_t>(now.month);
    cb.Header[4] = static_cast<uint8_t>(now.day);
    cb.Header[5] = static_cast<uint8_t>(now.year - 1900);
    err = XbWriteAt(cb.DbfFile, 0, cb.Header.data(), 8);
  } else {
    uint8_t reserved[12];
    if (XbReadAt(cb.DbfFile, 16, reserved, sizeof reserved) == static_cast<ssize_t>(sizeof reserved))
      std::memcpy(&cb.Header[16], reserved, sizeof reserved);
    cb.Header[1] = static_cast<uint8_t>(now.year - 1900);
    cb.Header[2] = static_cast<uint8_t>(now.month);
    cb.Header[3] = static_cast<uint8_t>(now.day);
    putLe32(&cb.Header[4], static_cast<uint32_t>(std::max(cb.RecCount, 0)));
    err = XbWriteAt(cb.DbfFile, 0, cb.Header.data(), 32);
  }
  if (err != 0) {
    engineState.XbErrorCode = XbIoCode(err);
    if (engineState.XbReportErrors) XbErrorReport();
  }
}

namespace {

// Header and, after appends, the end-of-file byte. 0 or the first error code; never reports.
uint16_t completeFile(TDbfControlBlock& cb) {
  uint16_t code = writePending(cb);
  if (code != 0) return code;
  if (cb.FileState != 2 && cb.FileState != 3) return 0;
  {
    XbQuietErrors quiet;
    engineState.XbErrorCode = 0;
    WriteDbfHeader(cb);
    code = engineState.XbErrorCode;
    if (code != 0) XbTakeErrorContext();
  }
  if (code == 0 && cb.FileState == 3) {
    const uint8_t eof = DbfEofByte;
    int err = XbWriteAt(cb.DbfFile, static_cast<int64_t>(cb.HeaderLen) + static_cast<int64_t>(cb.RecCount) * cb.RecLen,
                      &eof, 1);
    if (err != 0) code = XbIoCode(err);
  }
  return code;
}

}  // namespace

void FlushDbf(TDbfControlBlock& cb) {
  engineState.XbErrorCode = 0;
  if (cb.IsVirtual || (cb.FileState != 2 && cb.FileState != 3)) return;
  // Records and header that cannot be written are reported at once (a flush is often the last
  // write a caller makes) and stay due; the end-of-file byte only leaves its code.
  if (!WritePendingRecords(cb)) return;
  WriteDbfHeader(cb);
  if (engineState.XbErrorCode != 0) return;
  if (cb.FileState == 3) {
    const uint8_t eof = DbfEofByte;
    const int err = XbWriteAt(cb.DbfFile, static_cast<int64_t>(cb.HeaderLen) + static_cast<int64_t>(cb.RecCount) * cb.RecLen,
                              &eof, 1);
    if (err != 0) {
      engineState.XbErrorCode = XbIoCode(err);
      return;
    }
  }
  cb.FileState = 1;
  FlushFile(cb.DbfFile);
}

void CloseDbf(TDbfControlBlock& cb) {
  engineState.XbErrorCode = 0;
  if (cb.IsVirtual) {
    callVFile(cb, 1, 0);
    return;
  }
  uint16_t code = cb.DbfFile >= 0 ? completeFile(cb) : 0;
  uint16_t closeCode = XbCloseFile(cb.DbfFile);
  if (code == 0) code = closeCode;
  cb.FileState = 0;
  DropReadAhead(cb);
  cb.AheadData = {};
  cb.PendingCount = 0;
  cb.PendingData = {};
  cb.RawRecord.clear();
  cb.Fields.clear();
  if (code != 0) XbSetError(code, "Datei:  " + cb.FileName + " [CloseDbf(" + cb.FileName + ")]");
}

void FlushFile(int fd) {
  if (::fsync(fd) != 0)
    XbSetError(XbIoCode(errno), "Zur\xFC" "ckschreiben (Flush) unm\xF6glich f\xFCr Datei [FlushFile]");
}

void RecordsFromFile(const TDbfControlBlock& cb, uint8_t* buf, size_t bufSize) {
  if (cb.DecodeRecordHook && cb.RecLen >= 2) {
    for (size_t r = 0; r + cb.RecLen <= bufSize; r += cb.RecLen) cb.DecodeRecordHook(buf + r + 1, cb.RecLen - 1u);
  }
  ConvertRecord(false, cb.OemConvert, buf, bufSize, cb.RecLen);
}

void ConvertRecord(bool toFile, bool convert, uint8_t* buf, size_t bufSize, uint16_t recLen) {
  if (!convert || recLen < 2 || buf == nullptr) return;
  size_t records = bufSize / recLen;
  for (size_t r = 0; r < records; ++r) {
    uint8_t* p = buf + r * recLen + 1;
    if (toFile) XbAnsiToOemBuff(p, recLen - 1u);
    else XbOemToAnsiBuff(p, recLen - 1u);
  }
}

bool StoredFieldEmpty(const TDbfFieldEntry& f, const uint8_t* raw) {
  switch (f.Type) {
    case 'N':
    case 'F': {
      const char* s = reinterpret_cast<const char*>(raw);
      if (f.Dec > 0) {
        long double v = 0;
        return !decodeReal(s, f.Len, v);
      }
      int64_t v = 0;
      return !decodeInt(s, f.Len, v);
    }
    case 'L': return f.Len == 0 || std::strchr("TtYyFfNn", raw[0]) == nullptr || raw[0] == '\0';
    case 'D':
      for (size_t i = 0; i < f.Len; ++i)
        if (raw[i] != ' ') return false;
      return true;
    default: return false;
  }
}

void RawToBinary(TDbfControlBlock& cb, uint8_t* bin) {
  if (cb.IsVirtual || bin == nullptr) return;
  if (bin == cb.RecordBuffer) cb.AnyUndecoded = false;
  const size_t fields = cb.Fields.size();
  cb.Assigned.assign(fields, 0);
  cb.MaybeAssigned = false;
  const uint8_t* raw = cb.RawRecord.data();
  const size_t rawSize = cb.RawRecord.size();
  bin[0] = rawSize > 0 && raw[0] == '*' ? 1 : 0;
  uint32_t off = 1;
  for (size_t i = 1; i < fields; ++i) {
    const TDbfFieldEntry& f = cb.Fields[i];
    if (static_cast<size_t>(f.Offset) + f.Len <= rawSize) decodeField(f, raw + f.Offset, bin + off);
    off += slotSize(f);
  }
}

void RawToBinaryOnDemand(TDbfControlBlock& cb) {
  uint8_t* bin = cb.RecordBuffer;
  if (cb.IsVirtual || bin == nullptr) return;
  // A record too short for its fields (a damaged table) is decoded as far as it goes, at once.
  if (!cb.OwnsRecordBuffer || cb.RecordExposed || cb.RawRecord.size() < cb.FieldsEnd) return RawToBinary(cb, bin);
  const size_t fields = cb.Fields.size();
  if (cb.MaybeAssigned || cb.Assigned.size() != fields) {
    cb.Assigned.assign(fields, 0);
    cb.MaybeAssigned = false;
  }
  // A new generation leaves every field waiting; when the count wraps, no old mark may match it.
  if (cb.DecodedIn.size() != fields || ++cb.RecordGeneration == 0) {
    cb.DecodedIn.assign(fields, 0);
    cb.RecordGeneration = 1;
  }
  cb.AnyUndecoded = true;
  bin[0] = !cb.RawRecord.empty() && cb.RawRecord[0] == '*' ? 1 : 0;
}

void DecodeWaitingField(TDbfControlBlock& cb, size_t n) {
  cb.DecodedIn[n] = cb.RecordGeneration;
  const TDbfFieldEntry& f = cb.Fields[n];
  decodeField(f, cb.RawRecord.data() + f.Offset, cb.RecordBuffer + BinaryFieldOffset(cb, static_cast<uint8_t>(n)));
}

void DecodeWaitingFields(TDbfControlBlock& cb) {
  cb.AnyUndecoded = false;
  const size_t fields = std::min(cb.Fields.size(), cb.DecodedIn.size());
  for (size_t i = 1; i < fields; ++i)
    if (cb.DecodedIn[i] != cb.RecordGeneration) DecodeWaitingField(cb, i);
}

void BinaryToRaw(TDbfControlBlock& cb, const uint8_t* bin, bool keepUnchanged) {
  if (cb.IsVirtual || bin == nullptr) return;
  // Kept fields stay as stored, and a field never decoded is kept: RawRecord still holds its value.
  // Written afresh, every field is written from its value.
  const bool skipUndecoded = keepUnchanged && bin == cb.RecordBuffer && cb.AnyUndecoded;
  if (!keepUnchanged && bin == cb.RecordBuffer) DecodeRecord(cb);
  cb.RawRecord.resize(cb.RecLen, ' ');
  if (cb.RawRecord.empty()) return;
  const bool deleted = bin[0] != 0;
  if (!keepUnchanged || (cb.RawRecord[0] == '*') != deleted) cb.RawRecord[0] = deleted ? '*' : ' ';
  uint32_t off = 1;
  uint8_t before[kRealSlot > 256 ? kRealSlot : 256];
  for (size_t i = 1; i < cb.Fields.size(); ++i) {
    const TDbfFieldEntry& f = cb.Fields[i];
    uint8_t* raw = cb.RawRecord.data() + f.Offset;
    if (skipUndecoded && FieldWaiting(cb, i)) {
      off += BinaryFieldSize(f);
      continue;
    }
    if (static_cast<size_t>(f.Offset) + f.Len <= cb.RawRecord.size()) {
      bool keep = false;
      // A value given to a field that stores none is written, also 0 or false: blank is not zero.
      if (keepUnchanged && !(i < cb.Assigned.size() && cb.Assigned[i] != 0 && StoredFieldEmpty(f, raw))) {
        std::memset(before, 0, sizeof before);
        decodeField(f, raw, before);
        keep = sameValue(f, before, bin + off);
      }
      if (!keep) encodeField(f, bin + off, raw);
    }
    off += BinaryFieldSize(f);
  }
}

void CreateDBF(TDbfControlBlock& cb, const std::string& name, uint16_t count, std::vector<TDbfFieldEntry>& defs) {
  bool memo = false;
  for (size_t i = 1; i <= count && i < defs.size(); ++i) {
    defs[i].Type = static_cast<char>(XbCharUp(defs[i].Type));
    if (std::string("MBGP").find(defs[i].Type) != std::string::npos) memo = true;
  }
  engineState.XbErrorCode = 0;
  cb = TDbfControlBlock{};
  cb.FieldCount = static_cast<uint8_t>(std::min<uint16_t>(count, 255));
  cb.HasMemo = memo;
  bool bad = count == 0 || count > 255 || defs.size() < static_cast<size_t>(count) + 1;
  std::vector<uint8_t> header(bad ? 0 : 33 + 32 * static_cast<size_t>(count), 0);
  uint32_t recLen = 1;
  for (size_t i = 1; !bad && i <= count; ++i) {
    TDbfFieldEntry& d = defs[i];
    std::string n = XbAllTrim(d.Name).substr(0, 10);
    n = XbAllTrim(n);
    if (n.empty()) {
      bad = true;
      break;
    }
    for (char& c : n)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    const char t = d.Type;
    uint8_t len = d.Len;
    if (t == 'C' || t == 'F' || t == 'N') {
      if (len == 0) {
        bad = true;
        break;
      }
    } else if (t == 'D') {
      len = 8;
    } else if (t == 'L') {
      len = 1;
    } else {
      len = 10;
    }
    d.Name = n;
    d.Len = len;
    if (t != 'N' && t != 'F') d.Dec = 0;
    uint8_t* p = header.data() + 32 * i;
    std::memcpy(p, n.data(), n.size());
    p[11] = static_cast<uint8_t>(t);
    p[16] = len;
    p[17] = d.Dec;
    recLen += len;
    if (std::string("CDFLMNBGP").find(t) == std::string::npos || t == '\0') bad = true;
  }
  if (bad) {
    XbSetError(211, "Felddefinition ung\xFCltig [CreateDBF]");
    return;
  }
  cb.HeaderLen = static_cast<uint16_t>(33 + 32 * count);
  cb.RecLen = static_cast<uint16_t>(recLen);
  putLe16(&header[8], cb.HeaderLen);
  header.back() = 0x0D;
  header[0] = memo ? 0x8B : 0x03;
  putLe16(&header[10], cb.RecLen);
  {
    std::string d, n, e;
    XbFSplit(name, d, n, e);
    cb.FileName = XbAllTrim(e.empty() ? XbDefaultExt(name, "DBF") : name);
  }
  std::memcpy(cb.Header.data(), header.data(), 32);
  uint16_t rc = XbCreateFile(cb.FileName, cb.DbfFile);
  int err = rc == 0 ? XbWriteAt(cb.DbfFile, 0, header.data(), header.size()) : 0;
  if (rc != 0 || err != 0) {
    if (rc == 0) rc = XbIoCode(err);
    XbCloseFile(cb.DbfFile);
    XbSetError(rc, "Fehler beim Schreiben von " + name + ". [CreateDbf]");
    return;
  }
  cb.FileState = 3;
  cb.RecCount = 0;
  CloseDbf(cb);
  if (engineState.XbErrorCode == 0 && memo) {
    // The memo file's extension follows the case of the table's.
    NewMemoFile(XbCompanionName(cb.FileName, MemoFileExt(0x8B)), 0x8B, DbfMemoBlockSize, "CreateDbf()");
  }
}

void NewMemoFile(const std::string& name, uint8_t version, uint16_t blockSize, const std::string& routine) {
  std::string fileName = name;
  {
    std::string d, n, e;
    XbFSplit(name, d, n, e);
    if (e.empty()) fileName = XbDefaultExt(name, MemoFileExt(version));
  }
  if (blockSize == 0) blockSize = DbfMemoBlockSize;
  std::vector<uint8_t> data;
  if (version == 0x83) {
    data.assign(513, 0);
    data[0] = 1;
    data[512] = DbfEofByte;
  } else if (version == 0xF5) {
    data.assign(512, 0);
    uint32_t next = 511u / blockSize + 1u;
    for (int i = 0; i < 4; ++i) data[i] = static_cast<uint8_t>(next >> (8 * (3 - i)));
    data[6] = static_cast<uint8_t>(blockSize >> 8);
    data[7] = static_cast<uint8_t>(blockSize);
  } else {
    data.assign(24, 0);
    putLe32(&data[0], 1);
    std::string base = BaseFileName(fileName).substr(0, 8);
    std::memcpy(&data[8], base.data(), base.size());
    data[18] = 0x02;
    data[19] = 0x01;
    putLe16(&data[20], blockSize);
  }
  int fd = -1;
  uint16_t rc = XbCreateFile(fileName, fd);
  if (rc != 0) {
    XbSetError(rc, "Cannot create memo file " + fileName + " [" + routine + "]");
    return;
  }
  int err = XbWriteAt(fd, 0, data.data(), data.size());
  uint16_t closeRc = XbCloseFile(fd);
  uint16_t code = err != 0 ? XbIoCode(err) : closeRc;
  if (code != 0) XbSetError(code, fileName + " [" + routine + "]");
}

}  // namespace qorva
