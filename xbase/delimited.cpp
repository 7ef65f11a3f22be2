#include "xbase/delimited.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "xbase/workareas.h"
#include "xbase/recordlocks.h"
#include "xbase/enginestate.h"
#include "xbase/tablefile.h"
#include "xbase/nationaldates.h"
#include "xbase/packrecovery.h"
#include "platform/sysname.h"

namespace qorva {

namespace {

constexpr size_t kReadBuffer = 65520;
constexpr size_t kWriteChunk = 65536;

bool Omitted(char type) { return type != 'C' && type != 'D' && type != 'N' && type != 'F' && type != 'L'; }

std::string FileName(const std::string& file) { return XbDefaultExt(XbAllTrim(file), "TXT"); }

// The line of the current record.
std::string RecordLine(const TDbfControlBlock& cb) {
  std::string line;
  bool previousOmitted = false;
  for (uint8_t i = 1; i <= cb.FieldCount; ++i) {
    const TDbfFieldEntry& f = cb.Fields[i];
    if (i > 1 && !previousOmitted) line += ',';
    previousOmitted = Omitted(f.Type);
    if (previousOmitted) continue;
    const size_t len = std::min<size_t>(f.Len, cb.RawRecord.size() > f.Offset ? cb.RawRecord.size() - f.Offset : 0);
    std::string v(reinterpret_cast<const char*>(cb.RawRecord.data()) + f.Offset, len);
    switch (f.Type) {
      case 'C': line += '"' + v.substr(0, v.find_last_not_of(' ') + 1) + '"'; break;
      case 'D': line += v.substr(0, v.find_last_not_of(' ') + 1); break;
      case 'N':
      case 'F': {
        const size_t b = v.find_first_not_of(' ');
        line += b == std::string::npos ? std::string() : v.substr(b);
        break;
      }
      default: line += v.substr(0, 1); break;
    }
  }
  return line;
}

// Buffered sequential reader of the import file.
class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd), buf_(kReadBuffer) {}
  // The next line; false at the end (Ctrl-Z or the end of the file before any character).
  // Characters past MaxLineLen are read and dropped.
  bool Next(std::string& line, size_t& consumed) {
    line.clear();
    consumed = 0;
    bool any = false;
    int c;
    while ((c = Get()) >= 0) {
      ++consumed;
      if (c == 0x1A) {
        ended_ = true;
        return any;
      }
      if (c == '\r') {
        if (Peek() == '\n') {
          Get();
          ++consumed;
        }
        return true;
      }
      if (c == '\n') return true;
      any = true;
      if (line.size() < MaxLineLen) line += static_cast<char>(c);
    }
    return any;
  }

 private:
  int Get() {
    int c = Peek();
    if (c >= 0) ++at_;
    return c;
  }
  int Peek() {
    if (ended_) return -1;
    if (at_ == have_) {
      const int64_t n = XbReadAt(fd_, offset_, buf_.data(), buf_.size());
      if (n <= 0) return -1;
      offset_ += n;
      have_ = static_cast<size_t>(n);
      at_ = 0;
    }
    return buf_[at_];
  }
  int fd_;
  std::vector<uint8_t> buf_;
  size_t at_ = 0, have_ = 0;
  int64_t offset_ = 0;
  bool ended_ = false;
};

// A replaced file keeps its permissions; a new one gets those the user's mask allows.
mode_t NewFileMode(const std::string& name) {
  struct stat st {};
  if (SysStat(name, st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool AllDigits(const std::string& s) {
  return !s.empty() && s.find_first_not_of(DigitChars) == std::string::npos;
}

// Puts value into field n; true when it is a date of eight digits to be stored as it is.
bool PutFieldFromText(uint8_t n, const TDbfFieldEntry& f, const std::string& value) {
  switch (f.Type) {
    case 'C': SetFieldText(n, value.substr(0, f.Len)); break;
    case 'D': {
      const std::string v = XbAllTrim(value);
      if (v.size() == 8 && AllDigits(v)) return true;
      // Anything that is no date leaves the field blank rather than unreadable.
      std::string text = AllDigits(v) ? DbfToDateText(v) : v.substr(0, 10);
      if (ValidDate(text)) SetFieldText(n, text);
      break;
    }
    case 'N':
    case 'F':
      // An empty value leaves the number blank, as the export wrote it.
      if (XbAllTrim(value).empty()) break;
      if (f.Dec == 0)
        SetFieldInt(n, NumTextToInt64(value));
      else
        SetFieldReal(n, NumTextToFloat(value));
      break;
    case 'L':
      if (XbAllTrim(value).empty()) break;
      SetFieldBool(n, value[0] == 'T' || value[0] == 't' || value[0] == 'Y' || value[0] == 'y');
      break;
    default: break;
  }
  return false;
}

}  // namespace

std::string GetDelimitedField(const std::string& line, size_t& pos) {
  const size_t end = std::min(line.size(), MaxLineLen);
  while (pos < end && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
  std::string value;
  int quotes = 0;
  for (; pos < end; ++pos) {
    const char c = line[pos];
    if (c == '"') {
      ++quotes;
      continue;
    }
    if (c == ',' && quotes != 1) {
      ++pos;
      break;
    }
    if (value.size() < MaxDelimitedValue) value += c;
  }
  return value;
}

int32_t CopyToDelimited(const std::string& file) {
  if (!CheckArea("CopyToDelimited")) return 0;
  TDbfControlBlock& cb = *CurrentBlock();
  if (cb.IsVirtual) return 0;
  const std::string name = XbResolveFileName(FileName(file));
  std::string dir, base, ext;
  XbFSplit(name, dir, base, ext);
  std::string tmpl = dir + "XBP" + base + "XXXXXX";
  int out = SysMakeTemp(tmpl, 0);
  const std::string context = name + " [CopyToDelimited]";
  if (out < 0) {
    XbSetError(XbIoCode(errno), context);
    return 0;
  }
  XbHoldTemp(out);  // another program's open of a table here leaves it alone
  const std::string tmpName(tmpl);
  int err = 0;
  int64_t offset = 0;
  std::string pending;
  auto flush = [&] {
    if (err == 0 && !pending.empty()) err = XbWriteAt(out, offset, pending.data(), pending.size());
    offset += static_cast<int64_t>(pending.size());
    pending.clear();
  };
  int32_t count = 0;
  GoTop();
  while (err == 0 && engineState.XbErrorCode == 0 && !dEOF()) {
    pending += RecordLine(cb) + "\r\n";
    ++count;
    if (pending.size() >= kWriteChunk) flush();
    SKIP(1);
  }
  pending += '\x1A';
  flush();
  if (err == 0) ::fchmod(out, NewFileMode(name));
  if (err == 0 && ::fsync(out) != 0) err = errno;
  if (::close(out) != 0 && err == 0) err = errno;
  if (err == 0 && SysRename(tmpName, name) != 0) err = errno;
  if (err != 0 || engineState.XbErrorCode != 0) {
    SysUnlink(tmpName);
    if (err != 0) XbSetError(XbIoCode(err), context);
    return 0;
  }
  return count;
}

int32_t AppendFromDelimited(const std::string& file, bool showProgress) {
  if (!CheckArea("AppendFromDelimited")) return 0;
  TDbfControlBlock& cb = *CurrentBlock();
  int fd = -1;
  if (XbOpenFile(FileName(file), XbModeReadOnlyDenyNone, fd) != 0) return 0;
  struct Closer {
    int& fd;
    ~Closer() { XbCloseFile(fd); }
  } closer{fd};
  std::unique_ptr<TXbProgress100> progress;
  int64_t step = 1, read = 0, shown = 0;
  if (showProgress) {
    struct stat st {};
    const int64_t size = ::fstat(fd, &st) == 0 ? st.st_size : 0;
    step = size > 100 ? size / 100 : 1;
    progress = std::make_unique<TXbProgress100>();
    progress->Show("Appending...");
  }
  LineReader reader(fd);
  std::string line;
  size_t consumed = 0;
  int32_t count = 0;
  engineState.XbErrorCode = 0;
  while (reader.Next(line, consumed)) {
    if (progress) {
      read += static_cast<int64_t>(consumed);
      for (; shown + step <= read; shown += step) progress->Step();
    }
    if (line.empty()) continue;
    ClearRecord();
    std::vector<std::pair<uint16_t, std::string>> storedDates;
    size_t pos = 0;
    for (uint8_t i = 1; i <= cb.FieldCount && pos < line.size(); ++i) {
      const TDbfFieldEntry& f = cb.Fields[i];
      if (Omitted(f.Type)) continue;  // takes nothing from the line and stays blank
      const std::string value = GetDelimitedField(line, pos);
      if (PutFieldFromText(i, f, value)) {
        if (cb.IsVirtual)
          SetFieldText(i, DbfToDateText(XbAllTrim(value)));
        else
          storedDates.emplace_back(f.Offset, XbAllTrim(value));
      }
    }
    if (storedDates.empty()) {
      Append();
    } else {
      // Eight digits are the stored form itself: no century can be lost on the way.
      DecodeRecord(cb);
      cb.RawRecord.assign(cb.RecLen, ' ');
      BinaryToRaw(cb, cb.RecordBuffer);
      for (const auto& [offset, digits] : storedDates)
        if (offset + 8u <= cb.RawRecord.size()) std::memcpy(cb.RawRecord.data() + offset, digits.data(), 8);
      RawToBinary(cb, cb.RecordBuffer);
      AppendStored();
    }
    if (engineState.XbErrorCode != 0) break;
    ++count;
  }
  if (progress) progress->Hide();
  return count;
}

}  // namespace qorva
