#include "xbase/expressionevaluator.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "xbase/workareas.h"
#include "xbase/enginestate.h"
#include "xbase/tablefile.h"
#include "xbase/keyutil.h"
#include "xbase/nationaldates.h"
#include "xbase/expressionparser.h"

namespace qorva {

namespace {

// The platform's case mapping of the Windows character set, as tables.
struct CaseTables {
  uint8_t up[256];
  uint8_t low[256];
  CaseTables() {
    for (int c = 0; c < 256; ++c) {
      up[c] = static_cast<uint8_t>(XbCharUp(static_cast<char>(c)));
      low[c] = static_cast<uint8_t>(XbCharLow(static_cast<char>(c)));
    }
  }
};
const CaseTables& Cases() {
  static const CaseTables t;
  return t;
}

// Day and month names of the current date format, taken once per format from the national
// routines (index 0: the blank date's name).
struct NameCache {
  int32_t format = -1;
  std::string days[8];
  std::string months[13];
};
NameCache& Names() {
  static NameCache cache;
  if (cache.format != nationalDates.XbDateFormat) {
    const bool century = nationalDates.CenturyDates;
    nationalDates.CenturyDates = true;  // names must not depend on the window of two-digit years
    const std::string blank = JulianToDateText(0);
    cache.days[0] = DayName(blank);
    cache.months[0] = MonthName(blank);
    for (int32_t k = 1; k <= 7; ++k) cache.days[k] = DayName(JulianToDateText(YmdToJulian(2024, 1, 6 + k)));
    for (int32_t m = 1; m <= 12; ++m) cache.months[m] = MonthName(JulianToDateText(YmdToJulian(2024, m, 1)));
    nationalDates.CenturyDates = century;
    cache.format = nationalDates.XbDateFormat;
  }
  return cache;
}

int64_t Trunc64(double x) {
  if (!(x == x)) return 0;
  if (x >= 9.2e18) return std::numeric_limits<int64_t>::max();
  if (x <= -9.2e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(x);
}

// A count for the text functions: texts are short, so anything beyond a few thousand acts alike.
int32_t Count(double x) { return static_cast<int32_t>(std::clamp<int64_t>(Trunc64(x), -100000, 100000)); }

uint32_t TypeTokenOf(char fieldType) {
  switch (fieldType) {
    case 'C': return TypeTokC;
    case 'N':
    case 'F': return TypeTokN;
    case 'L': return TypeTokL;
    case 'D': return TypeTokD;
    default: return TypeTokM;
  }
}

void DivisionByZero() { XbSetError(358, "Auswertungsfehler: Division durch 0 [Evaluate/Engine]"); }

// Makes an area current for a memo read and restores the previous one.
class AreaSwitch {
 public:
  explicit AreaSwitch(uint8_t area) : saved_(workAreas.CurrentArea) {
    if (area != 0) workAreas.CurrentArea = area;
  }
  ~AreaSwitch() { workAreas.CurrentArea = saved_; }
  AreaSwitch(const AreaSwitch&) = delete;
  AreaSwitch& operator=(const AreaSwitch&) = delete;

 private:
  uint8_t saved_;
};

class Machine {
 public:
  explicit Machine(TExprControlBlock& b)
      : b_(b), w_(b.Work.data()), pool_(b.Pool.data()), poolPos_(pool_), poolEnd_(pool_ + b.Pool.size()) {}

  void run();

 private:
  // ---- Stack and pool ------------------------------------------------------------------------

  TExprValue& push(uint32_t type) {
    TExprValue& v = w_[++top_];
    v.ValType = type;
    return v;
  }
  void pushNum(double x) { push(TypeTokN).Num = x; }
  void pushDate(double x) { push(TypeTokD).Num = x; }
  void pushLog(bool x) { push(TypeTokL).Log = x ? 1 : 0; }
  TExprValue pop() {
    TExprValue v = w_[top_--];
    if (v.ValType == TypeTokC || v.ValType == TypeTokM) poolPos_ = v.Text;
    return v;
  }
  double popNum() { return w_[top_--].Num; }
  bool popLog() { return w_[top_--].Log != 0; }

  // Room for a new text at the pool position.
  uint32_t room() const {
    const auto left = static_cast<uint32_t>(poolEnd_ - poolPos_);
    return left == 0 ? 0 : std::min(ExprMaxText, left - 1);
  }
  // The text of len characters now lying at the pool position becomes the top value.
  void commitText(uint32_t len, uint32_t type = TypeTokC) {
    if (poolPos_ == poolEnd_) {
      // Cannot happen with the pool sized at compile time; the stack stays whole all the same.
      static char none[1];
      none[0] = '\0';
      TExprValue& v = push(type);
      v.Text = none;
      v.Len = 0;
      XbSetError(354, "Arbeitspool \xFC" "berlaufen [PARSER/Allocate]");
      return;
    }
    len = std::min(len, room());
    poolPos_[len] = '\0';
    TExprValue& v = push(type);
    v.Text = poolPos_;
    v.Len = len;
    poolPos_ += len + 1;
  }
  void pushText(const char* src, size_t len, uint32_t type = TypeTokC) {
    const uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(std::min<size_t>(len, ExprMaxText)), room());
    if (n < len && n < ExprMaxText) XbSetError(354, "Arbeitspool \xFC" "berlaufen [PARSER/Allocate]");
    std::memmove(poolPos_, src, n);
    commitText(n, type);
  }
  void pushBlanks(uint32_t len) {
    len = std::min(len, room());
    std::memset(poolPos_, ' ', len);
    commitText(len);
  }
  // The top text changed length in place.
  void setTopLen(uint32_t len) {
    TExprValue& v = w_[top_];
    v.Len = len;
    v.Text[len] = '\0';
    poolPos_ = v.Text + len + 1;
  }

  // ---- Fields --------------------------------------------------------------------------------

  void load(const TExprNode& n);
  void loadBlank(const TExprNode& n, uint32_t len);
  void pushMemo(int32_t block, uint8_t area);

  // ---- Operations ----------------------------------------------------------------------------

  void binaryText(int32_t op);
  void function(const TExprNode& n);
  void str(uint32_t argCount);

  TExprControlBlock& b_;
  TExprValue* w_;
  int32_t top_ = -1;
  char* pool_;
  char* poolPos_;
  char* poolEnd_;
};

void Machine::run() {
  for (const TExprNode* n = b_.Code.data();; ++n) {
    switch (n->Op) {
      case OpEnd: return;
      case OpOperand:
        switch (n->ValType) {
          case TypeTokC: pushText(n->Text, n->TextLen); break;
          case TypeTokL: pushLog(n->Log != 0); break;
          default: push(n->ValType).Num = n->Num; break;
        }
        break;
      case OpLoadC: case OpLoadN: case OpLoadL: case OpLoadD: case OpLoadM:
      case OpAliasC: case OpAliasN: case OpAliasL: case OpAliasD: case OpAliasM:
        load(*n);
        break;
      case OpAddNN: {
        const double r = popNum(), l = popNum();
        pushNum(static_cast<double>(static_cast<long double>(l) + r));
        break;
      }
      case OpAddND:
      case OpAddDN: {
        const double r = popNum(), l = popNum();
        pushDate(static_cast<double>(static_cast<long double>(l) + r));
        break;
      }
      case OpSubNN:
      case OpSubDD: {
        const double r = popNum(), l = popNum();
        pushNum(static_cast<double>(static_cast<long double>(l) - r));
        break;
      }
      case OpSubDN: {
        const double r = popNum(), l = popNum();
        pushDate(static_cast<double>(static_cast<long double>(l) - r));
        break;
      }
      case OpMul: {
        const double r = popNum(), l = popNum();
        pushNum(static_cast<double>(static_cast<long double>(l) * r));
        break;
      }
      case OpDiv: {
        const double r = popNum(), l = popNum();
        if (r == 0) {
          DivisionByZero();
          pushNum(1E250);
        } else {
          pushNum(static_cast<double>(static_cast<long double>(l) / r));
        }
        break;
      }
      case OpPow: {
        const double r = popNum(), l = popNum();
        long double v = l > 0 ? std::exp(r * std::log(static_cast<long double>(l))) : std::pow(static_cast<long double>(l), r);
        if (std::isnan(v)) v = 0;  // a negative base with a broken exponent has no value
        pushNum(static_cast<double>(v));
        break;
      }
      case OpEqN: case OpEqD: { const double r = popNum(), l = popNum(); pushLog(l == r); break; }
      case OpNeN: case OpNeD: { const double r = popNum(), l = popNum(); pushLog(l != r); break; }
      case OpGtN: case OpGtD: { const double r = popNum(), l = popNum(); pushLog(l > r); break; }
      case OpLtN: case OpLtD: { const double r = popNum(), l = popNum(); pushLog(l < r); break; }
      case OpLeN: case OpLeD: { const double r = popNum(), l = popNum(); pushLog(l <= r); break; }
      case OpGeN: case OpGeD: { const double r = popNum(), l = popNum(); pushLog(l >= r); break; }
      case OpEqL: { const bool r = popLog(), l = popLog(); pushLog(l == r); break; }
      case OpNeL: { const bool r = popLog(), l = popLog(); pushLog(l != r); break; }
      case OpOr: { const bool r = popLog(), l = popLog(); pushLog(l || r); break; }
      case OpAnd: { const bool r = popLog(), l = popLog(); pushLog(l && r); break; }
      case OpNot: pushLog(!popLog()); break;
      case OpNeg: pushNum(-popNum()); break;
      case OpAddCC: case OpSubCC: case OpEqC: case OpExactC: case OpContainsC: case OpGtC: case OpLtC:
      case OpNeC: case OpLeC: case OpGeC:
        binaryText(n->Op);
        break;
      default:
        function(*n);
        break;
    }
  }
}

void Machine::loadBlank(const TExprNode& n, uint32_t len) {
  switch (n.ValType) {
    case TypeTokC: pushBlanks(len); break;
    case TypeTokN: pushNum(0); break;
    case TypeTokD: pushDate(0); break;
    case TypeTokL: pushLog(false); break;
    default: commitText(0, TypeTokM); break;
  }
}

void Machine::load(const TExprNode& n) {
  const bool aliased = n.Op >= OpAliasC;
  TDbfControlBlock* cb = aliased ? AreaBlock(n.Area) : CurrentBlock();
  if (cb && aliased) {
    const TExprBinding& bind = b_.Bindings[n.Binding];
    if (cb->Alias != bind.Alias || n.FieldNo >= cb->Fields.size() || cb->Fields[n.FieldNo].Name != bind.FieldName)
      cb = nullptr;
  }
  if (!cb || n.FieldNo > cb->FieldCount || n.FieldNo >= cb->Fields.size() ||
      TypeTokenOf(cb->Fields[n.FieldNo].Type) != n.ValType) {
    loadBlank(n, n.FieldLen);
    return;
  }
  const TDbfFieldEntry& f = cb->Fields[n.FieldNo];
  if (cb->RecCount == 0) {
    loadBlank(n, f.Len);
    return;
  }
  if (cb->IsVirtual) {
    // Virtual files keep their record in binary form only.
    const uint32_t off = BinaryFieldOffset(*cb, n.FieldNo);
    const uint8_t* p = cb->RecordBuffer + off;
    if (!cb->RecordBuffer || off + BinaryFieldSize(f) > cb->RecordBufferSize) {
      loadBlank(n, f.Len);
      return;
    }
    switch (n.ValType) {
      case TypeTokC: {
        const auto* s = reinterpret_cast<const char*>(p + 1);
        const void* nul = std::memchr(s, 0, f.Len);
        pushText(s, nul ? static_cast<size_t>(static_cast<const char*>(nul) - s) : f.Len);
        break;
      }
      case TypeTokD: {
        const std::string text(reinterpret_cast<const char*>(p + 1), std::min<size_t>(p[0], 10));
        pushDate(DbfDateToJulian(DateTextToDbfDate(text)));
        break;
      }
      case TypeTokN: {
        if (f.Dec > 0) {
          long double v;
          std::memcpy(&v, p, sizeof v);
          pushNum(static_cast<double>(v));
        } else {
          int64_t v;
          std::memcpy(&v, p, sizeof v);
          pushNum(static_cast<double>(v));
        }
        break;
      }
      case TypeTokL: pushLog(p[0] != 0); break;
      default: {
        int32_t block;
        std::memcpy(&block, p, sizeof block);
        pushMemo(block, aliased ? n.Area : 0);
        break;
      }
    }
    return;
  }
  if (static_cast<size_t>(f.Offset) + f.Len > cb->RawRecord.size()) {
    loadBlank(n, f.Len);
    return;
  }
  const char* p = reinterpret_cast<const char*>(cb->RawRecord.data()) + f.Offset;
  switch (n.ValType) {
    case TypeTokC: {
      const void* nul = std::memchr(p, 0, f.Len);
      pushText(p, nul ? static_cast<size_t>(static_cast<const char*>(nul) - p) : f.Len);
      break;
    }
    case TypeTokN: pushNum(ExprTextToNumber(std::string_view(p, f.Len))); break;
    case TypeTokD: pushDate(DbfDateToJulian(std::string_view(p, f.Len))); break;
    case TypeTokL: {
      const char c = Cases().up[static_cast<uint8_t>(p[0])];
      pushLog(c == 'Y' || c == 'T');
      break;
    }
    default:
      pushMemo(static_cast<int32_t>(Trunc64(ExprTextToNumber(std::string_view(p, f.Len)))), aliased ? n.Area : 0);
      break;
  }
}

// The memo's text without its line ends, as far as the pool takes it.
void Machine::pushMemo(int32_t block, uint8_t area) {
  const uint32_t cap = room();
  uint32_t len = 0;
  if (block != 0 && engineState.MemoHooks.AssignMemo) {
    std::vector<std::string> lines;
    {
      AreaSwitch onArea(area);
      engineState.MemoHooks.AssignMemo(block, lines);
    }
    for (const std::string& line : lines) {
      const auto n = static_cast<uint32_t>(std::min<size_t>(line.size(), cap - len));
      std::memcpy(poolPos_ + len, line.data(), n);
      len += n;
      if (len == cap) break;
    }
  }
  commitText(len, TypeTokM);
}

void Machine::binaryText(int32_t op) {
  const TExprValue r = pop();
  const TExprValue l = pop();  // the pool position is now the left text's start
  const std::string_view a(l.Text, l.Len), b(r.Text, r.Len);
  switch (op) {
    case OpAddCC: {
      // The right text follows the left one's terminator: move it over.
      const uint32_t n = std::min<uint32_t>(r.Len, ExprMaxText - std::min(l.Len, ExprMaxText));
      std::memmove(l.Text + l.Len, r.Text, n);
      commitText(l.Len + n);
      break;
    }
    case OpSubCC: {
      uint32_t kept = l.Len;
      while (kept > 0 && l.Text[kept - 1] == ' ') --kept;
      const uint32_t blanks = l.Len - kept;
      const uint32_t n = std::min<uint32_t>(r.Len, ExprMaxText - kept);
      std::memmove(l.Text + kept, r.Text, n);
      const uint32_t total = std::min<uint32_t>(kept + n + blanks, ExprMaxText);
      std::memset(l.Text + kept + n, ' ', total - kept - n);
      commitText(total);
      break;
    }
    case OpEqC: pushLog(!b.empty() && a.substr(0, std::min(a.size(), b.size())) == b); break;
    case OpExactC: pushLog(a == b); break;
    case OpNeC: pushLog(a != b); break;
    case OpContainsC: pushLog(!a.empty() && b.find(a) != std::string_view::npos); break;
    case OpGtC: pushLog(a > b); break;
    case OpLtC: pushLog(a < b); break;
    case OpLeC: pushLog(a <= b); break;
    default: pushLog(a >= b); break;
  }
}

void Machine::str(uint32_t argCount) {
  int64_t dec = 0, width = 10;
  if (argCount >= 3) dec = Trunc64(popNum());
  if (argCount >= 2) width = Trunc64(popNum());
  const double x = popNum();
  width = std::min<int64_t>(width, ExprMaxText);
  if (width <= 0) {
    commitText(0);
    return;
  }
  dec = std::clamp<int64_t>(dec, 0, ExprMaxText);
  // Halves away from zero, as the number fields are written.
  const std::string text = XbFormatFixedDouble(x, static_cast<int32_t>(dec));
  const char* buf = text.data();
  const size_t len = text.empty() ? static_cast<size_t>(width) + 1 : text.size();  // no number: asterisks
  const auto w = static_cast<uint32_t>(width);
  char* out = poolPos_;
  if (len > w) {
    std::memset(out, '*', w);
  } else {
    std::memset(out, ' ', w - len);
    std::memcpy(out + (w - len), buf, len);
  }
  commitText(w);
}

void Machine::function(const TExprNode& n) {
  switch (n.Op) {
    case FnAbs: pushNum(std::fabs(popNum())); break;
    case FnInt: pushNum(std::trunc(popNum())); break;
    case FnAsc: {
      const TExprValue c = pop();
      pushNum(c.Len == 0 ? 0 : static_cast<uint8_t>(c.Text[0]));
      break;
    }
    case FnLen: pushNum(pop().Len); break;
    case FnVal: {
      const TExprValue c = pop();
      pushNum(ExprTextToNumber(std::string_view(c.Text, c.Len)));
      break;
    }
    case FnAt: {
      const TExprValue c = pop();
      const TExprValue s = pop();
      const size_t at = s.Len == 0 ? std::string_view::npos
                                   : std::string_view(c.Text, c.Len).find(std::string_view(s.Text, s.Len));
      pushNum(at == std::string_view::npos ? 0 : static_cast<double>(at + 1));
      break;
    }
    case FnChr: {
      const auto code = static_cast<char>(Trunc64(popNum()) & 0xFF);
      poolPos_[0] = code;
      commitText(code == 0 ? 0 : 1);
      break;
    }
    case FnSpace: pushBlanks(static_cast<uint32_t>(std::max(Count(popNum()), 0))); break;
    case FnStr: str(n.ArgCount); break;
    case FnDate: {
      const XbDate t = XbToday();
      pushDate(YmdToJulian(t.year, t.month, t.day));
      break;
    }
    case FnDeleted: {
      const TDbfControlBlock* cb = CurrentBlock();
      pushLog(cb && !cb->RawRecord.empty() && cb->RawRecord[0] == '*');
      break;
    }
    case FnRecno: {
      const TDbfControlBlock* cb = CurrentBlock();
      pushNum(cb ? cb->RecNo : 0);
      break;
    }
    case FnDay:
    case FnMonth:
    case FnYear:
    case FnDow: {
      int32_t y, m, d;
      const double j = popNum();
      double v = 0;
      if (JulianToYmd(j, y, m, d)) {
        switch (n.Op) {
          case FnDay: v = d; break;
          case FnMonth: v = m; break;
          case FnYear: v = nationalDates.CenturyDates ? y : y % 100; break;
          default: v = (static_cast<int64_t>(j) + 1) % 7 + 1; break;
        }
      }
      pushNum(v);
      break;
    }
    case FnDtoc: commitText(static_cast<uint32_t>(JulianToDateTextTo(poolPos_, popNum()))); break;
    case FnDtos: {
      char out[9];
      JulianToDbfDateTo(out, popNum());
      pushText(out, 8);
      break;
    }
    case FnCdow:
    case FnCmonth: {
      int32_t y, m, d;
      const double j = popNum();
      const NameCache& names = Names();
      const bool valid = JulianToYmd(j, y, m, d);
      const std::string& name = n.Op == FnCdow ? names.days[valid ? (static_cast<int64_t>(j) + 1) % 7 + 1 : 0]
                                                : names.months[valid ? m : 0];
      pushText(name.data(), name.size());
      break;
    }
    case FnCtod: {
      const TExprValue c = pop();
      pushDate(DateTextToJulian(std::string(c.Text, std::min<uint32_t>(c.Len, 10))));
      break;
    }
    case FnMax:
    case FnMin: {
      const TExprValue r = pop();
      const TExprValue l = pop();
      const bool left = n.Op == FnMax ? l.Num > r.Num : l.Num < r.Num;
      push(l.ValType).Num = left ? l.Num : r.Num;
      break;
    }
    case FnMod: {
      const int64_t y = Trunc64(popNum());
      const int64_t x = Trunc64(popNum());
      if (y == 0) {
        DivisionByZero();
        pushNum(0);
      } else {
        pushNum(y == -1 ? 0 : static_cast<double>(x % y));
      }
      break;
    }
    case FnRound: {
      const int64_t places = Trunc64(popNum());
      const double x = popNum();
      const double whole = std::trunc(x);
      if (places <= 0 || !std::isfinite(x)) {
        pushNum(whole);
        break;
      }
      // Cut, not rounded; beyond 30 places a double's fraction is left as it is.
      const int64_t steps = std::min<int64_t>(places, 30);
      double f = x - whole;
      for (int64_t i = 0; i < steps; ++i) f = f * 10;
      f = std::trunc(f);
      for (int64_t i = 0; i < steps; ++i) f = f / 10;
      pushNum(whole + f);
      break;
    }
    case FnIif: {
      const TExprValue b = pop();
      const TExprValue a = pop();
      const bool cond = popLog();
      // The pool position is the first text's start; the second follows it.
      if (!cond) std::memmove(a.Text, b.Text, b.Len);
      commitText(cond ? a.Len : b.Len);
      break;
    }
    case FnSoundex: {
      const TExprValue c = pop();
      char code[5];
      SoundexTo(code, std::string_view(c.Text, c.Len));
      pushText(code, 4);
      break;
    }
    case FnReplicate: {
      const int32_t times = Count(popNum());
      const TExprValue c = w_[top_];
      const uint32_t total =
          times <= 0 || c.Len == 0 ? 0 : static_cast<uint32_t>(std::min<int64_t>(int64_t{c.Len} * times, ExprMaxText));
      for (uint32_t i = c.Len; i < total; ++i) c.Text[i] = c.Text[i % c.Len];
      setTopLen(total);
      break;
    }
    case FnSubstr: {
      const int32_t count = Count(popNum());
      const int32_t start = std::max(Count(popNum()), 1);
      const TExprValue c = w_[top_];
      uint32_t len = 0;
      if (count > 0 && static_cast<uint32_t>(start) <= c.Len) {
        len = std::min<uint32_t>(static_cast<uint32_t>(count), c.Len - static_cast<uint32_t>(start) + 1);
        std::memmove(c.Text, c.Text + start - 1, len);
      }
      setTopLen(len);
      break;
    }
    case FnStuff: {
      const TExprValue r = pop();
      const int32_t count = Count(popNum());
      const int32_t at = Count(popNum());
      const TExprValue c = pop();
      char buf[2 * (ExprMaxText + 1)];
      std::memcpy(buf, c.Text, c.Len);
      uint32_t len = c.Len;
      if (at >= 1 && static_cast<uint32_t>(at) <= len && count > 0) {
        const uint32_t gone = std::min<uint32_t>(static_cast<uint32_t>(count), len - static_cast<uint32_t>(at) + 1);
        std::memmove(buf + at - 1, buf + at - 1 + gone, len - (at - 1) - gone);
        len -= gone;
      }
      const uint32_t ins = static_cast<uint32_t>(std::clamp<int32_t>(at, 1, static_cast<int32_t>(len) + 1)) - 1;
      std::memmove(buf + ins + r.Len, buf + ins, len - ins);
      std::memcpy(buf + ins, r.Text, r.Len);
      len += r.Len;
      pushText(buf, len);
      break;
    }
    case FnLeft: {
      const int32_t k = Count(popNum());
      const uint32_t len = w_[top_].Len;
      setTopLen(k < 0 ? 0 : std::min(static_cast<uint32_t>(k), len));
      break;
    }
    case FnRight: {
      const int32_t k = Count(popNum());
      const TExprValue c = w_[top_];
      uint32_t len = c.Len;
      // A negative count leaves the text as it is.
      if (k == 0) {
        len = 0;
      } else if (k > 0 && static_cast<uint32_t>(k) < len) {
        std::memmove(c.Text, c.Text + (len - static_cast<uint32_t>(k)), static_cast<uint32_t>(k));
        len = static_cast<uint32_t>(k);
      }
      setTopLen(len);
      break;
    }
    case FnUpper:
    case FnLower: {
      const TExprValue c = w_[top_];
      const uint8_t* table = n.Op == FnUpper ? Cases().up : Cases().low;
      for (uint32_t i = 0; i < c.Len; ++i) c.Text[i] = static_cast<char>(table[static_cast<uint8_t>(c.Text[i])]);
      break;
    }
    case FnLtrim: {
      const TExprValue c = w_[top_];
      uint32_t skip = 0;
      while (skip < c.Len && c.Text[skip] == ' ') ++skip;
      std::memmove(c.Text, c.Text + skip, c.Len - skip);
      setTopLen(c.Len - skip);
      break;
    }
    case FnRtrim:
    case FnTrim: {
      uint32_t len = w_[top_].Len;
      while (len > 0 && w_[top_].Text[len - 1] == ' ') --len;
      setTopLen(len);
      break;
    }
    default: break;
  }
}

}  // namespace

double ExprTextToNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size() || !((text[i] >= '0' && text[i] <= '9') || text[i] == '.')) return 0;
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  double v = 0;
  auto r = std::from_chars(first, last, v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    long double wide = 0;
    auto r2 = std::from_chars(first, last, wide, std::chars_format::general);
    v = r2.ec == std::errc() ? static_cast<double>(wide) : 0;
  } else if (r.ec != std::errc()) {
    v = 0;
  }
  return negative ? -v : v;
}

void* Evaluate(TExprControlBlock* block) {
  if (!block) return nullptr;
  Machine(*block).run();
  return block->Result;
}

void* EvalExpr(TExprControlBlock*& block) { return Evaluate(block); }

void* EvalKeyExpr() { return Evaluate(keyUtil.KeyExpr); }

std::string_view ExprResultText(const TExprControlBlock& block) {
  if (block.Work.empty() || (block.ResultType != 'C' && block.ResultType != 'M') || !block.Work[0].Text) return {};
  return std::string_view(block.Work[0].Text, block.Work[0].Len);
}

double ExprResultNumber(const TExprControlBlock& block) { return block.Work.empty() ? 0 : block.Work[0].Num; }

bool ExprResultLogical(const TExprControlBlock& block) { return !block.Work.empty() && block.Work[0].Log != 0; }

}  // namespace qorva
