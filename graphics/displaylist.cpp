// displaylist: the display list's records in binary form.
//
// A record is a head byte (its type; 0 for a record kept as text, type + 0x80 for a line that
// starts at the end point before it) and its values. A number is one unsigned LEB128 value of
// (zigzag(m) << 3 | c): c 0..5 give the powers 10^0..10^-5, c 6 gives 10^1, c 7 is followed by a
// byte with the power + 64, or by 0xFF and the 8 bytes of a double. Whole-number fields (pixels,
// font, colour, style, width, pause) are zigzag LEB128 values; a text is its length and its bytes.
#include "graphics/displaylist.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "graphics/graphicsstate.h"

namespace qorva {

namespace {

constexpr std::size_t kMarkEvery = 64;
constexpr uint8_t kShortLine = 0x80;

constexpr double kPow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                               1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// 10^k exactly for 0 <= k <= 27 (5^27 fits the 64-bit mantissa).
long double pow10l(int k) {
  long double r = 1.0L;
  for (int i = 0; i < k; ++i) r *= 10.0L;
  return r;
}

const std::array<long double, 28>& pow10Table() {
  static const std::array<long double, 28> t = [] {
    std::array<long double, 28> a{};
    for (int k = 0; k < 28; ++k) a[static_cast<std::size_t>(k)] = pow10l(k);
    return a;
  }();
  return t;
}

uint64_t zigzag(int64_t v) { return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63); }
int64_t unzigzag(uint64_t v) { return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1); }

// The decimal of x rounded to 8 significant digits, taken from the exact text of x.
DisplayRecordList::Decimal decimalFromText(long double x) {
  DisplayRecordList::Decimal d;
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 7);
  std::string_view sci(buf, static_cast<std::size_t>(r.ptr - buf));  // [-]d.dddddddE[+-]xx
  const bool neg = sci.front() == '-';
  if (neg) sci.remove_prefix(1);
  const std::size_t epos = sci.find('e');
  int64_t m = 0;
  int digits = 0;
  for (char c : sci.substr(0, epos))
    if (c != '.') {
      m = m * 10 + (c - '0');
      ++digits;
    }
  int exp = 0;
  std::string_view es = sci.substr(epos + 1);
  if (!es.empty() && es.front() == '+') es.remove_prefix(1);
  std::from_chars(es.data(), es.data() + es.size(), exp);
  d.m = neg ? -m : m;
  d.p = exp - (digits - 1);
  return d;
}

void normalize(DisplayRecordList::Decimal& d) {
  if (d.m == 0) {
    d.p = 0;
    return;
  }
  while (d.m % 10 == 0) {
    d.m /= 10;
    ++d.p;
  }
}

// The text of a decimal as the records write numbers.
std::string decimalText(const DisplayRecordList::Decimal& d) {
  if (d.m == 0) return "0";
  char buf[24];
  const uint64_t am = d.m < 0 ? static_cast<uint64_t>(-d.m) : static_cast<uint64_t>(d.m);
  auto r = std::to_chars(buf, buf + sizeof buf, am);
  const std::string_view digits(buf, static_cast<std::size_t>(r.ptr - buf));
  return DisplayNumberText(d.m < 0, digits, d.p + static_cast<int>(digits.size()) - 1);
}

}  // namespace

std::string DisplayNumberText(bool negative, std::string_view digits, int exp) {
  std::string out;
  if (negative) out += '-';
  const int n = static_cast<int>(digits.size());
  if (exp >= -4 && exp <= 7) {
    if (exp >= 0) {
      if (n <= exp + 1) {
        out += digits;
        out.append(static_cast<std::size_t>(exp + 1 - n), '0');
      } else {
        out.append(digits.substr(0, static_cast<std::size_t>(exp + 1)));
        out += '.';
        out.append(digits.substr(static_cast<std::size_t>(exp + 1)));
      }
    } else {
      out += "0.";
      out.append(static_cast<std::size_t>(-exp - 1), '0');
      out += digits;
    }
    return out;
  }
  out += digits[0];
  if (n > 1) {
    out += '.';
    out.append(digits.substr(1));
  }
  out += 'E';
  if (exp < 0) out += '-';
  const int ae = exp < 0 ? -exp : exp;
  if (ae < 10) out += '0';
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf, ae);
  out.append(buf, r.ptr);
  return out;
}

// ---- Numbers ----

DisplayRecordList::Decimal DisplayRecordList::ToDecimal(long double x) {
  Decimal d;
  // A value that is no number would make the record unreadable; it is drawn at 0.
  if (x == 0.0L || !std::isfinite(x)) return d;
  const long double ax = std::fabs(x);
  if (ax < 1e8L && ax == std::floor(ax)) {
    d.m = static_cast<int64_t>(x);
  } else {
    // 8 significant digits: |x| scaled into [1e7, 1e8) by an exact power of ten. The product or
    // quotient is off by far less than 1e-6 of a unit, so only a value within that of a tie is
    // rounded from its exact text instead.
    const auto& p10 = pow10Table();
    int e = static_cast<int>(std::floor(std::ilogb(ax) * 0.30102999566398119521L));  // about log10
    bool done = false;
    for (int tries = 0; tries < 3 && !done; ++tries) {
      const int k = 7 - e;
      if (k > 27 || k < -27) break;
      const long double r = k >= 0 ? ax * p10[static_cast<std::size_t>(k)] : ax / p10[static_cast<std::size_t>(-k)];
      const long double fl = std::floor(r);
      const long double frac = r - fl;
      if (std::fabs(frac - 0.5L) < 1e-6L) break;
      const int64_t m = static_cast<int64_t>(frac > 0.5L ? fl + 1 : fl);
      if (m >= 100000000) {
        ++e;
        continue;
      }
      if (m < 10000000) {
        --e;
        continue;
      }
      d.m = x < 0 ? -m : m;
      d.p = -k;
      done = true;
    }
    if (!done) d = decimalFromText(x);
  }
  normalize(d);
  if (d.p > 22 || d.p < -22) {
    // The value its text reads as; a text no double can hold reads as no number at all.
    const std::string text = decimalText(d);
    double v = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    d.exact = false;
    d.value = r.ec == std::errc() ? v : std::numeric_limits<double>::quiet_NaN();
  }
  return d;
}

double DisplayRecordList::ValueOf(const Decimal& d) {
  if (!d.exact) return d.value;
  const double m = static_cast<double>(d.m);
  return d.p >= 0 ? m * kPow10[d.p] : m / kPow10[-d.p];
}

// ---- Writing ----

void DisplayRecordList::putVarint(uint64_t v) {
  while (v >= 0x80) {
    bytes_.push_back(static_cast<uint8_t>(v | 0x80));
    v >>= 7;
  }
  bytes_.push_back(static_cast<uint8_t>(v));
}

void DisplayRecordList::putInt(int64_t v) { putVarint(zigzag(v)); }

void DisplayRecordList::putDecimal(const Decimal& d) {
  const uint64_t z = zigzag(d.m) << 3;
  if (!d.exact) {
    putVarint(z | 7);
    bytes_.push_back(0xFF);
    putInt(d.p);
    uint8_t raw[8];
    std::memcpy(raw, &d.value, 8);
    bytes_.insert(bytes_.end(), raw, raw + 8);
  } else if (d.p <= 0 && d.p >= -5) {
    putVarint(z | static_cast<uint64_t>(-d.p));
  } else if (d.p == 1) {
    putVarint(z | 6);
  } else {
    putVarint(z | 7);
    bytes_.push_back(static_cast<uint8_t>(d.p + 64));
  }
}

void DisplayRecordList::putReal(long double x) { putDecimal(ToDecimal(x)); }

void DisplayRecordList::beginRecord(uint8_t head) {
  if (count_ % kMarkEvery == 0) {
    marks_.push_back(static_cast<uint32_t>(bytes_.size()));
    endKnown_ = false;  // a record at a mark reads without the one before it
  }
  bytes_.push_back(head);
  ++count_;
  cursorValid_ = false;
}

void DisplayRecordList::AddCircle(long double x, long double y, long double r) {
  beginRecord(3);
  putReal(x);
  putReal(y);
  putReal(r);
}

void DisplayRecordList::AddLine(long double x1, long double y1, long double x2, long double y2) {
  const Decimal a = ToDecimal(x1), b = ToDecimal(y1);
  const bool chained = count_ % kMarkEvery != 0 && endKnown_ && a == endX_ && b == endY_;
  beginRecord(static_cast<uint8_t>(chained ? 4 | kShortLine : 4));
  if (!chained) {
    putDecimal(a);
    putDecimal(b);
  }
  endX_ = ToDecimal(x2);
  endY_ = ToDecimal(y2);
  putDecimal(endX_);
  putDecimal(endY_);
  endKnown_ = true;
}

void DisplayRecordList::AddEight(int32_t type, const std::array<long double, 8>& v) {
  beginRecord(static_cast<uint8_t>(type));
  for (long double x : v) putReal(x);
}

void DisplayRecordList::AddWindow(const std::array<int32_t, 4>& pixels, const std::array<long double, 4>& world) {
  beginRecord(10);
  for (int32_t p : pixels) putInt(p);
  for (long double x : world) putReal(x);
}

void DisplayRecordList::AddText(long double x, long double y, std::string_view text) {
  beginRecord(6);
  putReal(x);
  putReal(y);
  putVarint(text.size());
  bytes_.insert(bytes_.end(), text.begin(), text.end());
}

void DisplayRecordList::AddTextStyle(long double height, long double width, int32_t font, long double angle) {
  beginRecord(9);
  putReal(height);
  putReal(width);
  putInt(font);
  putReal(angle);
}

void DisplayRecordList::AddValue(int32_t type, int32_t value) {
  beginRecord(static_cast<uint8_t>(type));
  putInt(value);
}

void DisplayRecordList::clear() {
  bytes_.clear();
  marks_.clear();
  count_ = 0;
  endKnown_ = false;
  cursorValid_ = false;
}

void DisplayRecordList::release() {
  clear();
  std::vector<uint8_t>().swap(bytes_);
  std::vector<uint32_t>().swap(marks_);
}

// ---- Reading ----

// Decodes one record at a time; knows the end point before it for the short lines.
struct DisplayRecordList::Decoder {
  const uint8_t* p = nullptr;
  Decimal endX, endY;
  bool endKnown = false;
  std::string unreadable;  // the text of a value too large for a double, as read last

  uint64_t varint() {
    uint64_t v = 0;
    int shift = 0;
    for (;;) {
      const uint8_t b = *p++;
      v |= static_cast<uint64_t>(b & 0x7F) << shift;
      if (!(b & 0x80)) return v;
      shift += 7;
    }
  }
  int64_t integer() { return unzigzag(varint()); }
  Decimal decimal() {
    const uint64_t v = varint();
    Decimal d;
    d.m = unzigzag(v >> 3);
    const unsigned c = static_cast<unsigned>(v & 7);
    if (c <= 5) {
      d.p = -static_cast<int32_t>(c);
    } else if (c == 6) {
      d.p = 1;
    } else if (*p == 0xFF) {
      ++p;
      d.p = static_cast<int32_t>(integer());
      d.exact = false;
      std::memcpy(&d.value, p, 8);
      p += 8;
    } else {
      d.p = static_cast<int32_t>(*p++) - 64;
    }
    return d;
  }

  // One record: what it carries into fields (type 0 for a text record, whose text goes to raw),
  // or, with text set, its text.
  void record(DisplayRecordFields* fields, std::string* text, std::string_view* raw) {
    const uint8_t head = *p++;
    const int32_t type = head & 0x7F;
    if (type == 0) {
      const std::size_t n = static_cast<std::size_t>(varint());
      const std::string_view s(reinterpret_cast<const char*>(p), n);
      p += n;
      if (raw) *raw = s;
      if (text) text->assign(s);
      return;
    }
    if (fields) fields->type = type;
    if (text) {
      char buf[16];
      auto r = std::to_chars(buf, buf + sizeof buf, type);
      text->assign(buf, r.ptr);
    }
    auto real = [&](long double* out) {
      const Decimal d = decimal();
      if (out) *out = ValueOf(d);
      if (!d.exact && std::isnan(d.value) && unreadable.empty()) unreadable = decimalText(d);
      if (text) {
        *text += ';';
        *text += decimalText(d);
      }
      return d;
    };
    auto whole = [&](int32_t* out) {
      const int64_t v = integer();
      if (out) *out = static_cast<int32_t>(v);
      if (text) {
        char buf[24];
        auto r = std::to_chars(buf, buf + sizeof buf, v);
        *text += ';';
        text->append(buf, r.ptr);
      }
      return v;
    };
    long double* f = fields ? fields->f.data() : nullptr;
    auto at = [&](int i) { return f ? f + i : nullptr; };
    switch (type) {
      case 3:
        real(at(1));
        real(at(2));
        real(fields ? &fields->r : nullptr);
        break;
      case 4:
        if (head & kShortLine) {
          if (f) {
            f[1] = ValueOf(endX);
            f[2] = ValueOf(endY);
          }
          if (text) {
            *text += ';';
            *text += decimalText(endX);
            *text += ';';
            *text += decimalText(endY);
          }
        } else {
          real(at(1));
          real(at(2));
        }
        endX = real(at(3));
        endY = real(at(4));
        endKnown = true;
        break;
      case 5:
      case 7:
        for (int i = 1; i <= 8; ++i) real(at(i));
        break;
      case 10:
        for (int i = 1; i <= 4; ++i) {
          int32_t v = 0;
          whole(&v);
          if (f) f[i] = v;
        }
        for (int i = 5; i <= 8; ++i) real(at(i));
        break;
      case 6: {
        real(at(1));
        real(at(2));
        const std::size_t n = static_cast<std::size_t>(varint());
        const std::string_view s(reinterpret_cast<const char*>(p), n);
        p += n;
        if (fields) fields->text.assign(s);
        if (text) {
          *text += ';';
          text->append(s);
        }
        break;
      }
      case 9:
        real(at(1));
        real(at(2));
        whole(nullptr);
        real(fields ? &fields->angle : nullptr);
        break;
      default:  // colour, line style, line width, pause
        whole(fields ? &fields->value : nullptr);
        break;
    }
  }
};

std::size_t DisplayRecordList::offsetOf(std::size_t i, Decoder& d) const {
  const std::size_t mark = i / kMarkEvery;
  d.p = bytes_.data() + marks_[mark];
  d.endKnown = false;
  for (std::size_t k = mark * kMarkEvery; k < i; ++k) d.record(nullptr, nullptr, nullptr);
  return static_cast<std::size_t>(d.p - bytes_.data());
}

bool DisplayRecordList::Read(std::size_t i, DisplayRecordFields& fields, std::string& bad) const {
  Decoder d;
  if (cursorValid_ && i == cursorIndex_) {
    d.p = bytes_.data() + cursorOffset_;
    d.endX = cursorEndX_;
    d.endY = cursorEndY_;
    d.endKnown = cursorEndKnown_;
  } else {
    offsetOf(i, d);
  }
  std::string_view raw;
  fields.type = 0;
  d.unreadable.clear();
  d.record(&fields, nullptr, &raw);
  if (!d.unreadable.empty()) {
    bad = d.unreadable;
    cursorValid_ = false;
    return false;
  }
  cursorIndex_ = i + 1;
  cursorOffset_ = static_cast<std::size_t>(d.p - bytes_.data());
  cursorEndX_ = d.endX;
  cursorEndY_ = d.endY;
  cursorEndKnown_ = d.endKnown;
  cursorValid_ = true;
  if (fields.type == 0 && raw.data() != nullptr) return ReadDisplayRecord(raw, fields, bad);
  return true;
}

std::string DisplayRecordList::operator[](std::size_t i) const {
  Decoder d;
  offsetOf(i, d);
  std::string text;
  d.record(nullptr, &text, nullptr);
  return text;
}

DisplayRecordList::operator std::vector<std::string>() const {
  std::vector<std::string> out;
  out.reserve(count_);
  Decoder d;
  if (count_ > 0) d.p = bytes_.data();
  for (std::size_t i = 0; i < count_; ++i) {
    if (i % kMarkEvery == 0) d.endKnown = false;
    std::string text;
    d.record(nullptr, &text, nullptr);
    out.push_back(std::move(text));
  }
  return out;
}

DisplayRecordList& DisplayRecordList::operator=(const std::vector<std::string>& recs) {
  clear();
  for (const std::string& r : recs) push_back(r);
  return *this;
}

DisplayRecordList& DisplayRecordList::operator=(std::initializer_list<std::string_view> recs) {
  clear();
  for (std::string_view r : recs) push_back(r);
  return *this;
}

bool operator==(const DisplayRecordList& a, const std::vector<std::string>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < b.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

namespace {

// The fields of a record's text between ";" (the last one the rest of the line).
std::vector<std::string_view> splitFields(std::string_view rec, std::size_t most) {
  std::vector<std::string_view> out;
  while (out.size() + 1 < most) {
    const std::size_t p = rec.find(';');
    if (p == std::string_view::npos) break;
    out.push_back(rec.substr(0, p));
    rec.remove_prefix(p + 1);
  }
  out.push_back(rec);
  return out;
}

}  // namespace

void DisplayRecordList::push_back(std::string_view rec) {
  // The record in binary form when that gives back the very same text; else the text itself.
  DisplayRecordFields f;
  std::string bad;
  if (ReadDisplayRecord(rec, f, bad) && f.type != 0) {
    const std::size_t bytesBefore = bytes_.size(), marksBefore = marks_.size(), countBefore = count_;
    const Decimal ex = endX_, ey = endY_;
    const bool ek = endKnown_;
    bool ok = true;
    switch (f.type) {
      case 1:
      case 2: ok = false; break;  // the recording makes none: kept as text
      case 3: AddCircle(f.f[1], f.f[2], f.r); break;
      case 4: AddLine(f.f[1], f.f[2], f.f[3], f.f[4]); break;
      case 5:
      case 7: AddEight(f.type, {f.f[1], f.f[2], f.f[3], f.f[4], f.f[5], f.f[6], f.f[7], f.f[8]}); break;
      case 6: AddText(f.f[1], f.f[2], f.text); break;
      case 9: {
        int32_t font = 0;
        const auto fields = splitFields(rec, 5);
        ok = fields.size() >= 4 &&
             std::from_chars(fields[3].data(), fields[3].data() + fields[3].size(), font).ec == std::errc();
        if (ok) AddTextStyle(f.f[1], f.f[2], font, f.angle);
        break;
      }
      case 10: {
        std::array<int32_t, 4> px{};
        for (int i = 0; i < 4; ++i) {
          const long double v = f.f[static_cast<std::size_t>(i + 1)];
          ok = ok && v == std::floor(v) && std::fabs(v) < 2147483647.0L;
          px[static_cast<std::size_t>(i)] = ok ? static_cast<int32_t>(v) : 0;
        }
        if (ok) AddWindow(px, {f.f[5], f.f[6], f.f[7], f.f[8]});
        break;
      }
      default: AddValue(f.type, f.value); break;
    }
    if (ok && (*this)[count_ - 1] == rec) return;
    if (ok) {
      // Written otherwise than the recording writes it: take the record back, keep the text.
      bytes_.resize(bytesBefore);
      marks_.resize(marksBefore);
      count_ = countBefore;
    }
    endX_ = ex;
    endY_ = ey;
    endKnown_ = ek;
  }
  beginRecord(0);
  putVarint(rec.size());
  bytes_.insert(bytes_.end(), rec.begin(), rec.end());
}

}  // namespace qorva
