#include "xbase/tablecommands.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <random>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/clock.h"
#include "xbase/workareas.h"
#include "xbase/recordlocks.h"
#include "xbase/enginestate.h"
#include "xbase/tablefile.h"
#include "xbase/nationaldates.h"
#include "xbase/packrecovery.h"
#include "platform/sysname.h"

namespace qorva {

TableCommands tableCommands;

void InitTableCommands() { tableCommands = TableCommands{}; }

namespace {

constexpr size_t kBlockSize = 65520;  // bytes of whole records read at a time

std::string IntText(int64_t v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// Upper case of every byte by the Windows character set.
const std::array<uint8_t, 256>& UpperTable() {
  static const std::array<uint8_t, 256> table = [] {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(XbCharUp(static_cast<char>(i)));
    return t;
  }();
  return table;
}

void UpperInPlace(uint8_t* p, size_t n) {
  const auto& t = UpperTable();
  for (size_t i = 0; i < n; ++i) p[i] = t[p[i]];
}

int64_t RecordOffset(const TDbfControlBlock& cb, int64_t n) {
  return static_cast<int64_t>(cb.HeaderLen) + (n - 1) * static_cast<int64_t>(cb.RecLen);
}

bool Hidden(const TDbfControlBlock& cb) { return cb.IgnoreDeleted && cb.RecordBuffer && cb.RecordBuffer[0] != 0; }

// Leaves the area past its last record, as a scan that found nothing does.
void GoToEnd() {
  GoBottom();
  if (RecCount() > 0 && !dEOF()) SKIP(1);
}

std::string ValueText(const XbValue& v) {
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  if (const auto* b = std::get_if<bool>(&v)) return *b ? "T" : "F";
  if (const auto* i = std::get_if<int64_t>(&v)) return IntText(*i);
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, std::get<long double>(v));
  return std::string(buf, r.ptr);
}

long double ValueReal(const XbValue& v) {
  if (const auto* s = std::get_if<std::string>(&v)) return NumTextToFloat(*s);
  if (const auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
  if (const auto* i = std::get_if<int64_t>(&v)) return static_cast<long double>(*i);
  return std::get<long double>(v);
}

int64_t ValueInt(const XbValue& v) {
  if (const auto* s = std::get_if<std::string>(&v)) return NumTextToInt64(*s);
  if (const auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
  if (const auto* i = std::get_if<int64_t>(&v)) return *i;
  long double r = std::get<long double>(v);
  if (!(r > -9.2e18L && r < 9.2e18L)) return 0;
  return static_cast<int64_t>(r);
}

bool ValueBool(const XbValue& v) {
  if (const auto* b = std::get_if<bool>(&v)) return *b;
  if (const auto* s = std::get_if<std::string>(&v)) {
    std::string t = XbAllTrim(*s);
    return !t.empty() && (t[0] == 'T' || t[0] == 't' || t[0] == 'Y' || t[0] == 'y');
  }
  return ValueReal(v) != 0;
}

std::string RTrimBlanks(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// Field number of a Locate field text with its words NOCASE, EXACT and CONTAINED; 0 on an error.
uint8_t ParseLocateSpec(const std::string& spec) {
  std::string text = XbUpperStr(XbAllTrim(spec));
  if (text.empty()) {
    XbSetError(220, "No field name specified [Locate/Count/Sum]");
    return 0;
  }
  tableCommands.LocateCaseSensitive = !StripKeyword(" NOCASE", text);
  tableCommands.LocateExact = StripKeyword(" EXACT", text);
  StripKeyword(" CONTAINED", text);
  text = XbAllTrim(text);
  uint8_t n = FieldNo(text);
  if (n == 0) XbSetError(220, "Unrecognized field name [Locate/Count/Sum(" + text + ")]");
  return n;
}

bool MemoContains(const std::string& wanted, const std::string& fieldText, bool isVirtual) {
  if (!engineState.MemoHooks.AssignMemo) {
    XbSetError(220, "MEMO unit not linked in [Count/Sum/Continue]");
    return false;
  }
  if (isVirtual) return false;
  int64_t block = 0;
  if (!XbParseInt(XbAllTrim(fieldText), block) || block < 1) return false;
  std::vector<std::string> lines;
  if (!engineState.MemoHooks.AssignMemo(static_cast<int32_t>(block), lines)) return false;
  for (std::string& line : lines) {
    if (!tableCommands.LocateCaseSensitive) line = XbUpperStr(line);
    if (line.find(wanted) != std::string::npos) return true;
  }
  return false;
}

// The field's text of record n of a virtual file, formatted like a stored field.
std::string VirtualFieldText(uint8_t field, int32_t n) {
  TDbfControlBlock& cb = *CurrentBlock();
  const TDbfFieldEntry& f = cb.Fields[field];
  Dbf4RawGo(n);
  switch (f.Type) {
    case 'C': return XbPadRight(GetFieldText(field), f.Len);
    case 'D': return DateTextToDbf(GetFieldText(field));
    case 'N':
    case 'F': return f.Dec == 0 ? XbIntToText(GetFieldInt(field), f.Len) : XbFormatFixed(GetFieldReal(field), f.Len, f.Dec);
    case 'L': return GetFieldBool(field) ? "T" : "F";
    default: return "";
  }
}

bool TextMatches(const uint8_t* p, size_t len, const std::string& wanted) {
  size_t n = tableCommands.LocateExact ? len : std::min(len, wanted.size());
  if (n != wanted.size()) return false;
  if (tableCommands.LocateCaseSensitive) return std::memcmp(p, wanted.data(), n) == 0;
  const auto& up = UpperTable();
  for (size_t i = 0; i < n; ++i)
    if (up[p[i]] != static_cast<uint8_t>(wanted[i])) return false;
  return true;
}

// Scans records n.. for the Locate text in field; the first match becomes current.
void LocateScan(int32_t n, uint8_t field, bool isNew) {
  TDbfControlBlock& cb = *CurrentBlock();
  if (isNew) {
    if (!tableCommands.LocateExact) tableCommands.LocateText = RTrimBlanks(tableCommands.LocateText);
    if (!tableCommands.LocateCaseSensitive) tableCommands.LocateText = XbUpperStr(tableCommands.LocateText);
    tableCommands.LocateField = field;
  }
  RefreshCount();
  if (field < 1 || field > cb.FieldCount) {
    tableCommands.LocateField = 0;
    return GoToEnd();
  }
  const TDbfFieldEntry f = cb.Fields[field];
  const std::string& wanted = tableCommands.LocateText;
  if (n < 1) n = 1;
  if (cb.RecLen == 0) {  // a damaged header: no records to look at
    tableCommands.LocateField = 0;
    return GoToEnd();
  }

  if (cb.IsVirtual) {
    for (int32_t r = n; r <= cb.RecCount; ++r) {
      std::string t = VirtualFieldText(field, r);
      if (engineState.XbErrorCode != 0) return;
      if (f.Type != 'M' && TextMatches(reinterpret_cast<const uint8_t*>(t.data()), t.size(), wanted)) return GO(r);
    }
    tableCommands.LocateField = 0;
    return GoToEnd();
  }

  // Whole records are read in blocks; the field's text is converted like a record read.
  if (!WritePendingRecords(cb)) return;
  size_t perBlock = std::max<size_t>(1, kBlockSize / cb.RecLen);
  std::vector<uint8_t> buf(perBlock * cb.RecLen);
  for (int64_t first = n; first <= cb.RecCount; first += static_cast<int64_t>(perBlock)) {
    int64_t count = std::min<int64_t>(static_cast<int64_t>(perBlock), cb.RecCount - first + 1);
    int64_t got = XbReadAt(cb.DbfFile, RecordOffset(cb, first), buf.data(), static_cast<size_t>(count) * cb.RecLen);
    if (got < 0) {
      XbSetError(XbIoCode(errno), "Datei:  " + cb.FileName + "  [Locate]");
      return;
    }
    int64_t whole = got / cb.RecLen;
    // The program's record coding applies to whole records: they are decoded first.
    if (cb.DecodeRecordHook) RecordsFromFile(cb, buf.data(), static_cast<size_t>(whole) * cb.RecLen);
    for (int64_t i = 0; i < whole; ++i) {
      uint8_t* p = buf.data() + i * cb.RecLen + f.Offset;
      if (static_cast<size_t>(f.Offset) + f.Len > cb.RecLen) break;
      if (cb.OemConvert && !cb.DecodeRecordHook) XbOemToAnsiBuff(p, f.Len);
      bool match;
      if (f.Type == 'M') {
        match = MemoContains(wanted, std::string(reinterpret_cast<const char*>(p), f.Len), false);
        if (engineState.XbErrorCode != 0) return;
      } else {
        match = TextMatches(p, f.Len, wanted);
      }
      if (match) return GO(static_cast<int32_t>(first + i));
    }
    if (whole < count) break;  // the file ends early
  }
  tableCommands.LocateField = 0;
  GoToEnd();
}

void ContinueScan() {
  if (tableCommands.LocateField == 0) {
    XbSetError(220, "Call to CONTINUE not preceeded by call to LOCATE. [Continue]");
    return;
  }
  if (!CheckArea("Continue")) return;
  LocateScan(RecNo() + 1, tableCommands.LocateField, false);
}

}  // namespace

// ---- Search ---------------------------------------------------------------------------------

bool Search(const std::string& text, uint8_t& field, bool fromTop) {
  if (!CheckArea("Search")) return false;
  TDbfControlBlock& cb = *CurrentBlock();
  if (cb.IsVirtual) {
    XbSetError(1100, "Search-Befehl bei virtuellen Dateien nicht erlaubt. [Search]");
    return false;
  }
  if (XbRTrim(text).empty()) return false;
  const std::string wanted = XbUpperStr(text);
  uint8_t want = field;
  field = 0;
  if (want > cb.FieldCount) want = 0;
  RefreshCount();

  const int32_t startRec = cb.RecNo;
  int64_t first = fromTop ? 1 : static_cast<int64_t>(cb.RecNo) + 1;
  if (first < 1) first = 1;
  const int64_t last = cb.RecCount;
  if (first > last || cb.RecLen == 0) return false;

  if (!WritePendingRecords(cb)) return false;
  size_t perBlock = std::max<size_t>(1, kBlockSize / cb.RecLen);
  std::vector<uint8_t> buf(perBlock * cb.RecLen);
  bool moved = false;
  for (int64_t blockFirst = first; blockFirst <= last; blockFirst += static_cast<int64_t>(perBlock)) {
    int64_t count = std::min<int64_t>(static_cast<int64_t>(perBlock), last - blockFirst + 1);
    int64_t got = XbReadAt(cb.DbfFile, RecordOffset(cb, blockFirst), buf.data(), static_cast<size_t>(count) * cb.RecLen);
    if (got < 0) {
      XbSetError(XbIoCode(errno), "Datei:  " + cb.FileName + "  [Search]");
      return false;
    }
    size_t size = static_cast<size_t>(got / cb.RecLen) * cb.RecLen;
    RecordsFromFile(cb, buf.data(), size);
    UpperInPlace(buf.data(), size);
    size_t pos = 0;
    while (pos + wanted.size() <= size) {
      const void* hit = ::memmem(buf.data() + pos, size - pos, wanted.data(), wanted.size());
      if (!hit) break;
      size_t at = static_cast<size_t>(static_cast<const uint8_t*>(hit) - buf.data());
      // A rejected occurrence may hide another one that starts inside it.
      pos = at + 1;
      int64_t recNo = blockFirst + static_cast<int64_t>(at / cb.RecLen);
      size_t inRec = at % cb.RecLen;
      uint8_t fno = 0;
      for (uint8_t i = 1; i <= cb.FieldCount; ++i)
        if (cb.Fields[i].Offset <= inRec) fno = i;
      if (fno == 0) continue;  // the deletion byte
      const TDbfFieldEntry& f = cb.Fields[fno];
      if (inRec + wanted.size() > static_cast<size_t>(f.Offset) + f.Len) continue;
      if (f.Type == 'M' || (want != 0 && fno != want)) continue;
      RefreshCount();
      if (recNo > cb.RecCount) {
        if (moved && startRec >= 1 && startRec <= cb.RecCount) GO(startRec);
        return false;
      }
      GO(static_cast<int32_t>(recNo));
      moved = true;
      if (engineState.XbErrorCode != 0) return false;
      if (Hidden(cb)) continue;
      field = fno;
      return true;
    }
    if (size < static_cast<size_t>(count) * cb.RecLen) break;  // the file ends early
  }
  if (moved) {
    if (startRec >= 1 && startRec <= cb.RecCount)
      GO(startRec);
    else
      Dbf4RawGo(cb.RecCount + 1);
  }
  return false;
}

// ---- Peek and Poke --------------------------------------------------------------------------

std::string Peek(int32_t field, int32_t n) {
  if (!CheckArea("Peek")) return "";
  TDbfControlBlock& cb = *CurrentBlock();
  if (cb.IsVirtual) {
    XbSetError(1100, "Search-Befehl bei virtuellen Dateien nicht erlaubt. [Peek]");
    return "";
  }
  if (n < 1 || n > cb.RecCount || field < 0 || field > cb.FieldCount) return "";
  size_t len = field == 0 ? 1 : cb.Fields[field].Len;
  int64_t offset = RecordOffset(cb, n) + (field == 0 ? 0 : cb.Fields[field].Offset);
  if (!WritePendingRecords(cb)) return "";
  if (cb.DecodeRecordHook && field > 0) {
    // A coded record is read whole, decoded, and given back in the file's code page.
    std::string rec(cb.RecLen, ' ');
    if (XbReadAt(cb.DbfFile, RecordOffset(cb, n), rec.data(), rec.size()) != static_cast<int64_t>(rec.size())) return "";
    cb.DecodeRecordHook(reinterpret_cast<uint8_t*>(rec.data()) + 1, rec.size() - 1);
    return rec.substr(cb.Fields[field].Offset, len);
  }
  std::string out(len, ' ');
  int64_t got = XbReadAt(cb.DbfFile, offset, out.data(), len);
  if (got < 0) return "";
  out.resize(static_cast<size_t>(got));
  return out;
}

void Poke(const std::string& value, int32_t field, int32_t n) {
  std::string context = "[Poke(" + value + "," + IntText(field) + "," + IntText(n) + ")]";
  if (context.size() > 100) context.resize(100);
  if (!CheckArea("Poke")) return;
  TDbfControlBlock& cb = *CurrentBlock();
  if (cb.IsVirtual) {
    XbSetError(1100, "Search-Befehl bei virtuellen Dateien nicht erlaubt." + context);
    return;
  }
  if (!cb.Exclusive && cb.LockState != 1 && (cb.LockState == 2 || !IsLocked(n))) {
    XbSetError(1200, "Datensatz nicht gesperrt " + context);
    return;
  }
  if (n < 1 || n > cb.RecCount || field < 0 || field > cb.FieldCount) return;
  size_t len = std::min(value.size(), field == 0 ? size_t{1} : size_t{cb.Fields[field].Len});
  if (len == 0) return;  // nothing to write (an empty deletion byte)
  int64_t offset = RecordOffset(cb, n) + (field == 0 ? 0 : cb.Fields[field].Offset);
  DropReadAhead(cb);  // the record may be among those read ahead
  if (!WritePendingRecords(cb)) return;  // or among those waiting to be written
  if (cb.EncodeRecord && cb.DecodeRecordHook && field > 0) {
    // A coded record is decoded whole, changed, and coded again.
    std::string rec(cb.RecLen, ' ');
    if (XbReadAt(cb.DbfFile, RecordOffset(cb, n), rec.data(), rec.size()) != static_cast<int64_t>(rec.size())) {
      XbSetError(101, context);
      return;
    }
    auto* body = reinterpret_cast<uint8_t*>(rec.data()) + 1;
    cb.DecodeRecordHook(body, rec.size() - 1);
    rec.replace(cb.Fields[field].Offset, len, value.data(), len);
    cb.EncodeRecord(body, rec.size() - 1);
    if (XbWriteAt(cb.DbfFile, RecordOffset(cb, n), rec.data(), rec.size()) != 0) XbSetError(101, context);
    return;
  }
  if (XbWriteAt(cb.DbfFile, offset, value.data(), len) != 0) XbSetError(101, context);
}

// ---- Locate ---------------------------------------------------------------------------------

bool Locate(const std::string& field, const XbValue& value, bool noCase, int32_t start, bool exact) {
  std::string name = XbAllTrim(field);
  name = name.substr(0, name.find(' '));
  if (name.empty()) return false;
  if (!CheckArea("Locate")) return false;
  if (noCase) name += " NOCASE";
  if (exact) name += " EXACT";
  tableCommands.LocateText.clear();
  engineState.XbErrorCode = 0;
  uint8_t fno = ParseLocateSpec(name);
  if (fno == 0) return false;
  TDbfControlBlock& cb = *CurrentBlock();
  const TDbfFieldEntry& f = cb.Fields[fno];
  if (cb.IsVirtual && f.Type == 'M') {
    GoToEnd();
    return false;
  }
  switch (f.Type) {
    case 'C':
      tableCommands.LocateText = ValueText(value);
      if (exact && tableCommands.LocateText.size() < f.Len) tableCommands.LocateText.resize(f.Len, ' ');
      break;
    case 'D': tableCommands.LocateText = DateTextToDbf(ValueText(value)); break;
    case 'L': tableCommands.LocateText = ValueBool(value) ? "T" : "F"; break;
    case 'N':
    case 'F':
      // Compared with the stored text, which always has "." as decimal mark.
      tableCommands.LocateText =
          f.Dec == 0 ? XbIntToText(ValueInt(value), f.Len) : XbFormatFixed(ValueReal(value), f.Len, f.Dec);
      break;
    case 'M': tableCommands.LocateText = ValueText(value); break;
    default: tableCommands.LocateText.clear(); break;
  }
  LocateScan(start, fno, true);
  while (engineState.XbErrorCode == 0 && !dEOF() && Hidden(cb)) ContinueScan();
  return engineState.XbErrorCode == 0 && !dEOF();
}

void Continue() {
  ContinueScan();
  TDbfControlBlock* cb = CurrentBlock();
  while (cb && engineState.XbErrorCode == 0 && tableCommands.LocateField != 0 && !dEOF() && Hidden(*cb)) ContinueScan();
}

bool LocateFields(const std::string& fields, const std::vector<XbValue>& values, bool noCase, bool exact,
                  bool moveToMatch) {
  if (!CheckArea("Locate")) return false;
  int32_t remembered = RecNo();
  std::vector<std::string> names;
  size_t b = 0;
  while (b <= fields.size()) {
    size_t e = fields.find(';', b);
    if (e == std::string::npos) e = fields.size();
    std::string nm = XbAllTrim(fields.substr(b, e - b));
    if (!nm.empty()) names.push_back(nm);
    b = e + 1;
  }
  auto valueOf = [&](size_t i) -> XbValue {
    if (values.empty()) return std::string();
    return values[std::min(i, values.size() - 1)];
  };
  bool found = false;
  if (names.size() <= 1) {
    found = Locate(fields, valueOf(0), noCase, 1, exact);
  } else {
    size_t i = 0;
    int32_t start = 1;
    while (true) {
      if (!Locate(names[i], valueOf(i), noCase, start, exact)) break;
      int32_t rec = RecNo();
      ++i;
      if (i >= 2) {
        if (rec == start) {
          if (i == names.size()) {
            found = true;
            break;
          }
        } else {
          i = 0;  // a later record: every field again from there
        }
      }
      start = rec;
    }
  }
  if (!(moveToMatch && found)) GoIfValid(remembered);
  return found;
}

// ---- Pack -----------------------------------------------------------------------------------

namespace {

// Writes the kept records of the open table to a new file beside it and puts that file in its
// place. On failure the old file stays as it was and false is returned with the error set.
bool WriteCompactedTable(TDbfControlBlock& cb, int32_t& kept) {
  const std::string context = "Fehler beim Packen von " + cb.FileName;
  auto fail = [&](uint16_t code) {
    XbSetError(code, context);
    return false;
  };
  std::string real = XbResolveFileName(cb.FileName);
  std::string dir, base, ext;
  XbFSplit(real, dir, base, ext);
  std::string tmpl = dir + "XBP" + base + "XXXXXX";
  int out = SysMakeTemp(tmpl, 0);
  if (out < 0) return fail(XbIoCode(errno));
  XbHoldTemp(out);
  std::string tmpName(tmpl);
  auto discard = [&](uint16_t code) {
    ::close(out);
    SysUnlink(tmpName);
    return fail(code);
  };

  std::vector<uint8_t> header(cb.HeaderLen);
  int64_t got = XbReadAt(cb.DbfFile, 0, header.data(), header.size());
  if (got < 0) return discard(XbIoCode(errno));
  if (got < static_cast<int64_t>(header.size())) return discard(213);

  size_t perBlock = std::max<size_t>(1, kBlockSize / cb.RecLen);
  std::vector<uint8_t> in(perBlock * cb.RecLen);
  std::vector<uint8_t> pending;
  pending.reserve(in.size() + 1);
  int64_t outPos = static_cast<int64_t>(header.size());
  kept = 0;
  for (int64_t first = 1; first <= cb.RecCount; first += static_cast<int64_t>(perBlock)) {
    int64_t count = std::min<int64_t>(static_cast<int64_t>(perBlock), cb.RecCount - first + 1);
    size_t want = static_cast<size_t>(count) * cb.RecLen;
    int64_t r = XbReadAt(cb.DbfFile, RecordOffset(cb, first), in.data(), want);
    if (r < 0) return discard(XbIoCode(errno));
    if (r < static_cast<int64_t>(want)) return discard(213);
    // Records move as they are stored: no code-page or field conversion on the way.
    pending.clear();
    for (int64_t i = 0; i < count; ++i) {
      const uint8_t* rec = in.data() + i * cb.RecLen;
      if (rec[0] == '*') continue;
      pending.insert(pending.end(), rec, rec + cb.RecLen);
      ++kept;
    }
    if (const int err = XbWriteAt(out, outPos, pending.data(), pending.size()); err != 0) return discard(XbIoCode(err));
    outPos += static_cast<int64_t>(pending.size());
  }
  const uint8_t eof = DbfEofByte;
  if (const int err = XbWriteAt(out, outPos, &eof, 1); err != 0) return discard(XbIoCode(err));

  LocalDateTime now = clock().now();
  const uint32_t n = static_cast<uint32_t>(kept);
  if (header[0] == 0x02) {
    // The short header: a 16-bit count, then month, day and year.
    header[1] = static_cast<uint8_t>(n);
    header[2] = static_cast<uint8_t>(n >> 8);
    header[3] = static_cast<uint8_t>(now.month);
    header[4] = static_cast<uint8_t>(now.day);
    header[5] = static_cast<uint8_t>(now.year - 1900);
  } else {
    header[1] = static_cast<uint8_t>(now.year - 1900);
    header[2] = static_cast<uint8_t>(now.month);
    header[3] = static_cast<uint8_t>(now.day);
    for (int i = 0; i < 4; ++i) header[4 + i] = static_cast<uint8_t>(n >> (8 * i));
    // A new state of the table: indexes built for the old one are never used with it.
    const uint32_t old = DbfTableStamp(cb);
    uint32_t stamp = old;
    std::random_device random;
    while (stamp == old || stamp == 0) stamp = random() & 0xFFFFFFu;
    for (int i = 0; i < 3; ++i) header[24 + i] = static_cast<uint8_t>(stamp >> (8 * i));
  }
  if (const int err = XbWriteAt(out, 0, header.data(), header.size()); err != 0) return discard(XbIoCode(err));

  struct stat st {};
  if (::fstat(cb.DbfFile, &st) == 0) ::fchmod(out, st.st_mode & 07777);
  if (::fsync(out) != 0) return discard(XbIoCode(errno));
  if (::close(out) != 0) {
    int err = errno;
    SysUnlink(tmpName);
    return fail(XbIoCode(err));
  }
  if (SysRename(tmpName, real) != 0) {
    int err = errno;
    SysUnlink(tmpName);
    return fail(XbIoCode(err));
  }
  for (int i = 0; i < 8; ++i) cb.Header[i] = header[i];
  if (header.size() >= 32)
    for (int i = 24; i < 27; ++i) cb.Header[i] = header[i];
  return true;
}

// After a pack that did not complete, the table and its memo file are the old ones again: the
// area goes on with them as they are on disk.
void TakeBackOldFiles(TDbfControlBlock& cb, bool memoReplaced) {
  XbQuietErrors quiet;
  const uint16_t code = engineState.XbErrorCode;
  const uint16_t pending = engineState.XbPendingError;
  const std::string context = engineState.XbErrorContext;
  int fd = -1;
  if (XbOpenFile(cb.FileName, cb.OpenMode, fd) == 0) {
    DropReadAhead(cb);
    XbCloseFile(cb.DbfFile);
    cb.DbfFile = fd;
    if (cb.Exclusive && cb.ExclusiveByReopen) LockRange(false, fd, uint64_t{LockBase} + 1, 0);
    uint8_t head[32];
    if (XbReadAt(fd, 0, head, sizeof head) == static_cast<int64_t>(sizeof head) && head[0] != 0x02)
      std::memcpy(cb.Header.data(), head, sizeof head);
    const int64_t size = DbfFileSize(cb);
    cb.RecCount = size > cb.HeaderLen ? static_cast<int32_t>((size - cb.HeaderLen) / cb.RecLen) : 0;
    cb.FileState = 1;
  }
  if (memoReplaced && engineState.MemoHooks.CloseMemofile && engineState.MemoHooks.OpenMemofile) {
    engineState.MemoHooks.CloseMemofile();
    engineState.MemoHooks.OpenMemofile(XbNoExtension(cb.FileName));
  }
  engineState.XbErrorCode = 0;
  if (cb.RecCount > 0) {
    Dbf4RawGo(1);
    cb.AtBof = cb.AtEof = false;
  } else {
    ClearRecord();
    cb.RecNo = 0;
    cb.AtBof = cb.AtEof = true;
  }
  engineState.XbErrorCode = code;
  engineState.XbPendingError = pending;
  engineState.XbErrorContext = context;
}

}  // namespace

bool Pack() {
  engineState.XbErrorCode = 0;
  if (!CheckArea("Pack")) return false;
  TDbfControlBlock& cb = *CurrentBlock();
  if (cb.IsVirtual) {
    cb.VFileOp = 5;
    cb.VFileArg = 0;
    if (engineState.VFileHandler) engineState.VFileHandler(cb);
    return true;
  }
  RefreshCount();
  if (cb.RecCount == 0) return true;
  if (cb.RecLen == 0) return false;  // a damaged header: nothing can be moved safely
  // A table opened for reading only is never rewritten, whoever asks.
  if ((cb.OpenMode & 0x0F) != 2) {
    XbSetError(5, "Fehler beim Packen von " + cb.FileName);
    return false;
  }

  bool reopened = false;
  if (!cb.Exclusive) {
    // Another program still has the table open: give up at once, the table stays as it was.
    if (ReopenTable(true) != 0) return false;
    reopened = true;
  }
  auto reopenShared = [&] {
    if (!reopened) return;
    reopened = false;
    uint16_t rc = ReopenTable(false);
    if (rc != 0) XbSetError(rc, "Datenbank kann nicht Sharable wiederge\xF6" "ffnet werden. " + cb.FileName + " [Pack]");
  };

  bool result = false;
  // The table and its memo file change as one: a pack cut short anywhere leaves both as they
  // were, here or at the next open.
  TPackJournal journal;
  bool memoReplaced = false;
  try {
    FlushDbf(cb);
    int32_t kept = 0;
    if (engineState.XbErrorCode == 0) {
      std::vector<std::string> files{XbResolveFileName(cb.FileName)};
      if (cb.HasMemo && cb.MemoBlock)
        files.push_back(XbResolveFileName(XbForceExt(cb.FileName, MemoFileExt(cb.Header[0]))));
      if (uint16_t rc = journal.Begin(files); rc != 0) XbSetError(rc, "Fehler beim Packen von " + cb.FileName);
    }
    if (engineState.XbErrorCode == 0 && WriteCompactedTable(cb, kept)) {
      if (int e = XbPackStep(2); e != 0) XbSetError(XbIoCode(e), "Fehler beim Packen von " + cb.FileName);
      // The table's name now stands for the compacted file: continue on it in the same mode.
      int fd = -1;
      uint16_t rc = XbOpenFile(cb.FileName, ExclusiveOpenMode, fd);
      bool exclusive = rc == 0;
      // Someone opened the new file in the moment after the rename: go on sharing it.
      if (!exclusive) rc = XbOpenFile(cb.FileName, SharedOpenMode, fd);
      // The old file is no longer the table: never read from it again.
      DropReadAhead(cb);
      XbCloseFile(cb.DbfFile);
      cb.DbfFile = fd;
      if (rc != 0) {
        XbSetError(rc, "Fehler beim Packen von " + cb.FileName);
      } else if (!exclusive) {
        cb.Exclusive = false;
        cb.ExclusiveByReopen = false;
        cb.OpenMode = SharedOpenMode;
        reopened = false;
      } else if (cb.ExclusiveByReopen) {
        LockRange(false, fd, uint64_t{LockBase} + 1, 0);
      }
      cb.RecCount = kept;
      cb.FileState = 1;
      if (engineState.XbErrorCode == 0) {
        if (kept > 0) {
          Dbf4RawGo(1);
          cb.AtBof = false;
          cb.AtEof = false;
        } else {
          ClearRecord();
          cb.RecNo = 0;
          cb.AtBof = true;
          cb.AtEof = true;
        }
      }
      bool ok = engineState.XbErrorCode == 0;
      if (ok && cb.HasMemo && engineState.MemoHooks.PackMemofile) {
        memoReplaced = true;  // or put back by the memo unit: the area opens it again either way
        engineState.MemoHooks.PackMemofile();
        ok = engineState.XbErrorCode == 0;
        if (int e = ok ? XbPackStep(3) : 0; e != 0) {
          XbSetError(XbIoCode(e), "Fehler beim Packen von " + cb.FileName);
          ok = false;
        }
      }
      if (ok) {
        if (uint16_t rc = journal.Commit(); rc != 0) {
          XbSetError(rc, "Fehler beim Packen von " + cb.FileName);
          ok = false;
        }
      }
      if (!ok) {
        // Nothing of the pack stays: the indexes still fit the old records.
        journal.Undo();
        TakeBackOldFiles(cb, memoReplaced);
        reopenShared();
        return false;
      }
      // Record numbers changed: every open index is rebuilt. A table without an open index has
      // nothing to rebuild (asking would report error 221).
      const TIndexHooks& ix = engineState.IndexHooks;
      if (engineState.IndexUnitLinked && ix.Reindex && (!ix.IsActive || ix.IsActive())) {
        uint16_t before = engineState.XbErrorCode;
        engineState.XbErrorCode = 0;
        engineState.IndexHooks.Reindex();
        if (engineState.XbErrorCode != 0) ok = false;
        if (before != 0) engineState.XbErrorCode = before;
      }
      result = ok;
    }
  } catch (...) {
    if (journal.Active()) {
      journal.Undo();
      TakeBackOldFiles(cb, memoReplaced);
    }
    if (reopened) {
      reopened = false;
      ReopenTable(false);
    }
    throw;
  }
  reopenShared();
  return result;
}

// ---- AppendFrom -----------------------------------------------------------------------------

namespace {

// The value of one source field, read while the source area is current.
struct SourceValue {
  std::string text;
  long double real = 0;
  int64_t integer = 0;
  bool flag = false;
  int32_t memo = 0;
  bool empty = false;  // the field stores no value
};

char KindOf(char type) { return type == 'F' ? 'N' : type; }

std::string CanonicalPath(const std::string& name) { return XbResolveFileName(XbFullPath(name)); }

bool SameTable(const std::string& a, const std::string& b, bool isVirtual) {
  if (a == b) return true;
  if (isVirtual) return XbUpperStr(XbAllTrim(a)) == XbUpperStr(XbAllTrim(b));
  return CanonicalPath(a) == CanonicalPath(b);
}

bool SameStructure(const TDbfControlBlock& d, const TDbfControlBlock& s) {
  if (d.FieldCount != s.FieldCount) return false;
  for (uint8_t i = 1; i <= d.FieldCount; ++i) {
    const TDbfFieldEntry &a = d.Fields[i], &b = s.Fields[i];
    if (a.Name != b.Name || a.Type != b.Type || a.Len != b.Len || a.Dec != b.Dec) return false;
  }
  return true;
}

SourceValue ReadSource(const TDbfFieldEntry& f, uint8_t n) {
  SourceValue v;
  v.empty = FieldEmpty(n);
  switch (KindOf(f.Type)) {
    case 'C':
    case 'D': v.text = GetFieldText(n); break;
    case 'N':
      v.real = GetFieldReal(n);
      v.integer = GetFieldInt(n);
      break;
    case 'L': v.flag = GetFieldBool(n); break;
    case 'M': v.memo = GetFieldMemo(n); break;
    default: break;
  }
  return v;
}

// Puts a source value into field n of the destination (the current area).
void ConvertField(const TDbfFieldEntry& dst, uint8_t n, const TDbfFieldEntry& src, const SourceValue& v,
                  uint8_t sourceArea) {
  char dk = KindOf(dst.Type), sk = KindOf(src.Type);
  // A number or logical without a value stays without one, not 0 or false.
  if (v.empty && dk == sk && (dk == 'N' || dk == 'L')) return;
  uint8_t dlen = FieldLen(n);
  if (dk == 'C' && sk == 'C') {
    SetFieldText(n, v.text.substr(0, dlen));
  } else if (dk == 'D' && sk == 'D') {
    SetFieldText(n, v.text.substr(0, dlen));
  } else if (dk == 'C' && sk == 'N') {
    std::string t = src.Dec == 0 ? XbIntToText(v.integer, dlen) : XbFloatToText(v.real, dlen, src.Dec);
    SetFieldText(n, t.size() > dlen ? std::string(dlen, '*') : t);
  } else if (dk == 'C' && sk == 'L') {
    SetFieldText(n, v.flag ? "T" : "F");
  } else if (dk == 'C' && sk == 'D') {
    std::string t = v.text;
    if (dlen < t.size()) {
      size_t at = nationalDates.XbDateFormat == 1 ? 0 : 6;
      if (t.size() >= at + 2) t.erase(at, 2);
      t = t.substr(0, dlen);
    }
    SetFieldText(n, t);
  } else if (dk == 'N' && sk == 'C') {
    if (dst.Dec > 0)
      SetFieldReal(n, NumTextToFloat(v.text));
    else
      SetFieldInt(n, NumTextToInt64(v.text));
  } else if (dk == 'N' && sk == 'N') {
    if (dst.Dec > 0)
      SetFieldReal(n, src.Dec > 0 ? v.real : static_cast<long double>(v.integer));
    else
      SetFieldInt(n, v.integer);  // a real is cut to its integer part
  } else if (dk == 'L' && sk == 'L') {
    SetFieldBool(n, v.flag);
  } else if (dk == 'D' && sk == 'C') {
    std::string t = v.text;
    if (ValidDate(t)) SetFieldText(n, t);
  } else if (dk == 'M' && sk == 'C') {
    if (engineState.MemoHooks.AddMemo) SetFieldMemo(n, engineState.MemoHooks.AddMemo(XbRTrim(v.text), false));
  } else if (dk == 'M' && sk == 'M') {
    if (v.memo != 0 && engineState.MemoHooks.CopyMemo) SetFieldMemo(n, engineState.MemoHooks.CopyMemo(sourceArea, v.memo));
  }
}

}  // namespace

void AppendFrom(const std::string& source) {
  engineState.XbErrorCode = 0;
  const std::string context = "[AppendFrom(" + source + ")]";
  TDbfControlBlock* dest = CurrentBlock();
  if (!dest) {
    XbSetError(215, context);
    return;
  }
  const uint8_t destArea = workAreas.CurrentArea;

  std::string name = XbAllTrim(source);
  bool isVirtual = false;
  {
    std::string up = name;
    for (const char* w : {" VIRTUAL FILE", " LINKED LIST", " VIRTUAL", " LINKED"})
      if (StripKeyword(w, up)) isVirtual = true;
    if (isVirtual)
      name = XbAllTrim(up);
    else
      name = XbDefaultExt(XbFullPath(name), "DBF");
  }

  uint8_t sourceArea = 0;
  for (uint8_t i = 1; i <= MaxUserAreas; ++i) {
    TDbfControlBlock* b = AreaBlock(i);
    if (b && SameTable(b->FileName, name, isVirtual)) sourceArea = i;
  }
  if (sourceArea == 0 && isVirtual) {
    XbSetError(215, "Virtual file must be open. " + context);
    return;
  }
  if (sourceArea == 0 && !XbFileExists(name)) {
    XbSetError(2, context);
    return;
  }
  if (sourceArea == destArea) {
    XbSetError(214, "Datei kann nicht an sich selbst angeh\xE4ngt werden. " + context);
    return;
  }
  if (dest->HasMemo && !(engineState.MemoHooks.AddMemo && engineState.MemoHooks.CopyMemo)) {
    XbSetError(220, "Memo-Unit ist nicht ins Programm eingebunden. " + context);
    return;
  }

  bool openedHere = false;
  auto closeSource = [&] {
    if (openedHere) {
      openedHere = false;
      workAreas.CurrentArea = ScratchArea;
      XbQuietErrors quiet;
      uint16_t keep = engineState.XbErrorCode;
      USE("");
      engineState.XbErrorCode = keep;
    }
    workAreas.CurrentArea = destArea;
  };

  uint16_t appendError = 0;
  try {
    if (sourceArea == 0) {
      workAreas.CurrentArea = ScratchArea;
      openedHere = true;
      USE(name + " ALIAS *FROMFILE");
      if (engineState.XbErrorCode != 0 || !CurrentBlock()) {
        uint16_t rc = engineState.XbErrorCode;
        openedHere = CurrentBlock() != nullptr;
        closeSource();
        engineState.XbErrorCode = rc;
        return;
      }
      sourceArea = ScratchArea;
    }
    TDbfControlBlock& src = *AreaBlock(sourceArea);

    // Field map: destination field -> source field of the same name.
    std::vector<uint8_t> map(dest->FieldCount + 1, 0);
    bool common = false;
    for (uint8_t i = 1; i <= dest->FieldCount; ++i)
      for (uint8_t j = 1; j <= src.FieldCount; ++j)
        if (dest->Fields[i].Name == src.Fields[j].Name) {
          map[i] = j;
          common = true;
          break;
        }
    const bool equal = SameStructure(*dest, src) && dest->RecordBufferSize == src.RecordBufferSize;

    if (common) {
      workAreas.CurrentArea = sourceArea;
      GoTop();
      while (engineState.XbErrorCode == 0) {
        workAreas.CurrentArea = sourceArea;
        if (dEOF()) break;
        std::vector<SourceValue> values(dest->FieldCount + 1);
        bool deleted = Deleted();
        if (!equal || dest->HasMemo)
          for (uint8_t i = 1; i <= dest->FieldCount; ++i)
            if (map[i] != 0) values[i] = ReadSource(src.Fields[map[i]], map[i]);
        workAreas.CurrentArea = destArea;
        bool asStored = false;
        if (equal) {
          // Same structure: the record goes over as it is stored, deletion mark included.
          DecodeRecord(src);
          std::memcpy(dest->RecordBuffer, src.RecordBuffer, dest->RecordBufferSize);
          dest->AnyUndecoded = false;
          asStored = !src.IsVirtual && !dest->IsVirtual && src.RawRecord.size() == dest->RawRecord.size();
          if (asStored) dest->RawRecord = src.RawRecord;
          if (dest->HasMemo)
            for (uint8_t i = 1; i <= dest->FieldCount; ++i)
              if (dest->Fields[i].Type == 'M') {
                SetFieldMemo(i, 0);
                ConvertField(dest->Fields[i], i, src.Fields[i], values[i], sourceArea);
              }
        } else {
          ClearRecord();
          SetDeletedFlag(deleted);
          for (uint8_t i = 1; i <= dest->FieldCount; ++i)
            if (map[i] != 0) ConvertField(dest->Fields[i], i, src.Fields[map[i]], values[i], sourceArea);
        }
        if (asStored)
          AppendStored();
        else
          Append();
        if (engineState.XbErrorCode != 0) {
          appendError = engineState.XbErrorCode;
          break;
        }
        workAreas.CurrentArea = sourceArea;
        SKIP(1);
      }
      if (appendError == 0 && engineState.XbErrorCode != 0) appendError = engineState.XbErrorCode;
    }
  } catch (...) {
    closeSource();
    throw;
  }
  closeSource();
  engineState.XbErrorCode = appendError;
}

}  // namespace qorva
