#include "xbase/expressionparser.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "xbase/workareas.h"
#include "xbase/enginestate.h"
#include "xbase/expressionevaluator.h"
#include "xbase/keyutil.h"

namespace qorva {

ExpressionParser expressionParser;

namespace {

// Tokens besides the opcodes and type tokens.
enum Token : int32_t {
  TokEnd = 0,
  TokUnknown = 336,  // a word that is no field and no keyword
  TokFalse = 337,
  TokTrue = 338,
  TokNot = 339,
  TokOr = 340,
  TokAnd = 341,
  TokNotEqual = 342,   // "#" and "<>"
  TokLessEqual = 343,
  TokGreaterEqual = 344,
  TokExactEqual = 345,  // "=="
  TokContains = 346,    // "$"
  TokBad = 400,         // a character no rule accepts (NUL, an overlong literal)
};

constexpr int32_t ParserStackSize = 150;
constexpr size_t MaxLiteralLen = 255;
constexpr int32_t EndMark = -1;
constexpr int32_t ErrorCode = 351;

struct Keyword {
  const char* word;
  int32_t token;
  uint16_t reserve;  // work-pool bytes the function's result may need beyond its arguments
};

// Abbreviations to four letters are entries of their own; nothing else is known.
constexpr Keyword KeywordTable[] = {
    {"ABS", FnAbs, 0},        {"ASC", FnAsc, 0},         {"AT", FnAt, 0},           {"CDOW", FnCdow, 15},
    {"CHR", FnChr, 2},        {"CMON", FnCmonth, 15},    {"CMONT", FnCmonth, 15},   {"CMONTH", FnCmonth, 15},
    {"CTOD", FnCtod, 0},      {"DATE", FnDate, 0},       {"DAY", FnDay, 0},         {"DELE", FnDeleted, 0},
    {"DELET", FnDeleted, 0},  {"DELETE", FnDeleted, 0},  {"DELETED", FnDeleted, 0}, {"DOW", FnDow, 0},
    {"DTOC", FnDtoc, 11},     {"DTOS", FnDtos, 9},       {"IIF", FnIif, 256},       {"INT", FnInt, 0},
    {"LEFT", FnLeft, 0},      {"LEN", FnLen, 0},         {"LOWE", FnLower, 0},      {"LOWER", FnLower, 0},
    {"LTRI", FnLtrim, 0},     {"LTRIM", FnLtrim, 0},     {"MAX", FnMax, 0},         {"MIN", FnMin, 0},
    {"MOD", FnMod, 0},        {"MONT", FnMonth, 0},      {"MONTH", FnMonth, 0},     {"RECN", FnRecno, 0},
    {"RECNO", FnRecno, 0},    {"REPL", FnReplicate, 256}, {"REPLI", FnReplicate, 256},
    {"REPLIC", FnReplicate, 256}, {"REPLICA", FnReplicate, 256}, {"REPLICAT", FnReplicate, 256},
    {"REPLICATE", FnReplicate, 256}, {"RIGH", FnRight, 0}, {"RIGHT", FnRight, 0},   {"ROUN", FnRound, 0},
    {"ROUND", FnRound, 0},    {"RTRI", FnRtrim, 0},      {"RTRIM", FnRtrim, 0},     {"SOUN", FnSoundex, 15},
    {"SOUND", FnSoundex, 15}, {"SOUNDE", FnSoundex, 15}, {"SOUNDEX", FnSoundex, 15}, {"SPAC", FnSpace, 256},
    {"SPACE", FnSpace, 256},  {"STR", FnStr, 256},       {"STUF", FnStuff, 0},      {"STUFF", FnStuff, 0},
    {"SUBS", FnSubstr, 0},    {"SUBST", FnSubstr, 0},    {"SUBSTR", FnSubstr, 0},   {"TRIM", FnTrim, 0},
    {"UPPE", FnUpper, 0},     {"UPPER", FnUpper, 0},     {"VAL", FnVal, 0},         {"YEAR", FnYear, 0},
    {".F.", TokFalse, 0},     {".T.", TokTrue, 0},       {".NOT.", TokNot, 0},      {".OR.", TokOr, 0},
    {".AND.", TokAnd, 0},     {"$EOT$", TokUnknown, 0},
};

// Argument types per function: "X" is N or D, the same for both arguments.
struct Function {
  int32_t token;
  const char* name;
  const char* args;
  uint8_t minArgs;
  char result;  // 'X': the arguments' type
};

constexpr Function Functions[] = {
    {FnAbs, "ABS", "N", 1, 'N'},        {FnAsc, "ASC", "C", 1, 'N'},          {FnAt, "AT", "CC", 2, 'N'},
    {FnCdow, "CDOW", "D", 1, 'C'},      {FnChr, "CHR", "N", 1, 'C'},          {FnCmonth, "CMONTH", "D", 1, 'C'},
    {FnCtod, "CTOD", "C", 1, 'D'},      {FnDate, "DATE", "", 0, 'D'},         {FnDay, "DAY", "D", 1, 'N'},
    {FnDeleted, "DELETED", "", 0, 'L'}, {FnDow, "DOW", "D", 1, 'N'},          {FnDtoc, "DTOC", "D", 1, 'C'},
    {FnDtos, "DTOS", "D", 1, 'C'},      {FnIif, "IIF", "LCC", 3, 'C'},        {FnInt, "INT", "N", 1, 'N'},
    {FnLeft, "LEFT", "CN", 2, 'C'},     {FnLen, "LEN", "C", 1, 'N'},          {FnLower, "LOWER", "C", 1, 'C'},
    {FnLtrim, "LTRIM", "C", 1, 'C'},    {FnMax, "MAX", "XX", 2, 'X'},         {FnMin, "MIN", "XX", 2, 'X'},
    {FnMod, "MOD", "NN", 2, 'N'},       {FnMonth, "MONTH", "D", 1, 'N'},      {FnRecno, "RECNO", "", 0, 'N'},
    {FnReplicate, "REPLICATE", "CN", 2, 'C'}, {FnRight, "RIGHT", "CN", 2, 'C'}, {FnRound, "ROUND", "NN", 2, 'N'},
    {FnRtrim, "RTRIM", "C", 1, 'C'},    {FnSoundex, "SOUNDEX", "C", 1, 'C'},  {FnSpace, "SPACE", "N", 1, 'C'},
    {FnStr, "STR", "NNN", 1, 'C'},      {FnStuff, "STUFF", "CNNC", 4, 'C'},   {FnSubstr, "SUBSTR", "CNN", 3, 'C'},
    {FnTrim, "TRIM", "C", 1, 'C'},      {FnUpper, "UPPER", "C", 1, 'C'},      {FnVal, "VAL", "C", 1, 'N'},
    {FnYear, "YEAR", "D", 1, 'N'},
};

const Function* FunctionOf(int32_t token) {
  for (const Function& f : Functions)
    if (f.token == token) return &f;
  return nullptr;
}

uint32_t TypeToken(char type) {
  switch (type) {
    case 'C': return TypeTokC;
    case 'N': return TypeTokN;
    case 'L': return TypeTokL;
    case 'D': return TypeTokD;
    default: return TypeTokM;
  }
}

// Binding level of a binary operator token, 0 for none.
int32_t LevelOf(int32_t tok) {
  switch (tok) {
    case TokOr: return 1;
    case TokAnd: return 2;
    case '=':
    case TokNotEqual: return 3;
    case TokExactEqual:
    case TokContains: return 4;
    case '<':
    case '>':
    case TokLessEqual:
    case TokGreaterEqual: return 5;
    case '+':
    case '-': return 6;
    case '*':
    case '/': return 7;
    case '^': return 8;
    default: return 0;
  }
}
constexpr int32_t PrefixLevel = 9;

struct CompileError {
  std::string message;
};

bool IsLetter(int32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 128 && XbIsCharAlpha(static_cast<char>(c))); }
bool IsDigit(int32_t c) { return c >= '0' && c <= '9'; }

class Compiler {
 public:
  Compiler(const std::string& text, TExprControlBlock& block) : text_(text), b_(block) {}

  void run() {
    advance();
    const char type = expression();
    if (tok_ != TokEnd) syntaxError();
    TExprNode end;
    end.Op = OpEnd;
    b_.Code.push_back(end);
    b_.ResultType = type;
  }

  // Read position minus one: the last character read.
  int64_t errorPos() const { return static_cast<int64_t>(pos_) - 1; }
  int32_t lastFieldLen() const { return lastFieldLen_; }
  int32_t lastDecimals() const { return lastDecimals_; }
  int32_t maxStack() const { return maxStack_; }

 private:
  // ---- Scanner --------------------------------------------------------------------------------

  int32_t read(bool upper = true) {
    const size_t p = pos_++;
    if (p >= text_.size()) return EndMark;
    auto c = static_cast<unsigned char>(text_[p]);
    if (upper && c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 32);
    return c;
  }
  void unread() {
    if (pos_ > 0) --pos_;
  }

  void setNoField() {
    lastFieldLen_ = 0;
    lastDecimals_ = 2;
  }

  int32_t scan() {
    int32_t c;
    do c = read();
    while (c == ' ' || c == '\t');
    if (c == EndMark) return TokEnd;
    if (IsDigit(c)) return scanNumber(c);
    if (c == '"' || c == '\'') return scanString(c);
    switch (c) {
      case '=': {
        if (read() == '=') return TokExactEqual;
        unread();
        return '=';
      }
      case '*': {
        if (read() == '*') return '^';
        unread();
        return '*';
      }
      case '#': return TokNotEqual;
      case '$': return TokContains;
      case '>': {
        if (read() == '=') return TokGreaterEqual;
        unread();
        return '>';
      }
      case '<': {
        const int32_t n = read();
        if (n == '=') return TokLessEqual;
        if (n == '>') return TokNotEqual;
        unread();
        return '<';
      }
      default: break;
    }
    if (IsLetter(c) || c == '.' || c == '_') return scanWord(c);
    return c == 0 ? TokBad : c;
  }

  int32_t scanNumber(int32_t c) {
    std::string digits(1, static_cast<char>(c));
    bool point = false;
    for (;;) {
      c = read();
      if (IsDigit(c) || c == 'E' || (c == '.' && !point)) {
        point = point || c == '.';
        digits += static_cast<char>(c);
        continue;
      }
      unread();
      break;
    }
    tokNum_ = ExprTextToNumber(digits);
    setNoField();
    return TypeTokN;
  }

  int32_t scanString(int32_t quote) {
    std::string literal;
    for (;;) {
      const int32_t c = read(false);
      if (c == EndMark) return TokEnd;  // no closing quote: the text ends here
      if (c == quote) break;
      if (c == 0) return TokBad;
      literal += static_cast<char>(c);
    }
    if (literal.size() > MaxLiteralLen) return TokBad;
    b_.PoolNeed += static_cast<uint32_t>(literal.size()) + 1;
    tokLiteral_ = b_.Literals.size();
    b_.Literals.push_back(std::move(literal));
    setNoField();
    return TypeTokC;
  }

  int32_t scanWord(int32_t c) {
    std::string word(1, static_cast<char>(c));
    bool aliased = false;
    for (;;) {
      c = read();
      if (IsLetter(c) || IsDigit(c) || c == '.' || c == '_') {
        word += static_cast<char>(c);
        continue;
      }
      if (c == '-') {
        if (read() == '>') {
          aliased = true;
          word += '.';
          for (;;) {
            c = read();
            if (IsLetter(c) || IsDigit(c) || c == '_') {
              word += static_cast<char>(c);
              continue;
            }
            unread();
            break;
          }
          break;
        }
        unread();
      }
      unread();
      break;
    }
    const int32_t field = lookupField(word, aliased);
    if (field != 0) {
      int32_t n;
      do n = read();
      while (n == ' ' || n == '\t');
      unread();
      if (n != '(') return field;
    }
    setNoField();
    for (const Keyword& k : KeywordTable) {
      if (word == k.word) {
        b_.PoolNeed += k.reserve;
        return k.token;
      }
    }
    return TokUnknown;
  }

  // The field token for word, 0 when it names no field.
  int32_t lookupField(const std::string& word, bool aliased) {
    TDbfControlBlock* cb = nullptr;
    uint8_t area = 0;
    std::string name = word, alias;
    if (aliased) {
      const size_t dot = word.find('.');
      alias = word.substr(0, dot);
      name = word.substr(dot + 1);
      for (uint8_t a = 1; a <= 32 && !cb; ++a) {
        TDbfControlBlock* candidate = AreaBlock(a);
        if (candidate && candidate->Alias == alias) {
          cb = candidate;
          area = a;
        }
      }
    } else {
      cb = CurrentBlock();
    }
    if (!cb) return 0;
    uint8_t n = 0;
    for (uint8_t i = 1; i <= cb->FieldCount && i < cb->Fields.size(); ++i) {
      if (cb->Fields[i].Name == name) {
        n = i;
        break;
      }
    }
    if (n == 0) return 0;
    const TDbfFieldEntry& f = cb->Fields[n];
    lastFieldLen_ = f.Len;
    int32_t token;
    switch (f.Type) {
      case 'C':
        b_.PoolNeed += f.Len + 1u;
        token = OpLoadC;
        break;
      case 'D': token = OpLoadD; break;
      case 'N':
      case 'F':
        lastDecimals_ = lastDecimals_ == 19 ? f.Dec : 2;
        token = OpLoadN;
        break;
      case 'L': token = OpLoadL; break;
      case 'M': token = OpLoadM; break;
      default: return 0;
    }
    tokField_ = TExprNode{};
    tokField_.FieldNo = n;
    tokField_.FieldLen = f.Len;
    if (aliased) {
      token += OpAliasC - OpLoadC;
      tokField_.Area = area;
      tokField_.Binding = static_cast<uint32_t>(b_.Bindings.size());
      b_.Bindings.push_back({alias, name});
    }
    tokField_.Op = token;
    return token;
  }

  // ---- Parser ---------------------------------------------------------------------------------

  void advance() { tok_ = scan(); }
  [[noreturn]] void syntaxError() { throw CompileError{"Syntax error"}; }
  [[noreturn]] void typeError(bool function, const std::string& name) {
    const char* prefix = function ? "PARSER:Unvereinbare Typen in Funktion " : "PARSER:Unvereinbare Typen in Ausdruck ";
    throw CompileError{prefix + ("\"" + name + "\"")};
  }
  void expect(int32_t tok) {
    if (tok_ != tok) syntaxError();
  }
  void enter() {
    if (++depth_ > ParserStackSize) throw CompileError{"Parser_stack_overflow"};
  }
  void leave() { --depth_; }

  void emit(TExprNode node, int32_t pops) {
    stack_ += 1 - pops;
    maxStack_ = std::max(maxStack_, stack_);
    b_.Code.push_back(node);
  }
  void emitOp(int32_t op, uint32_t args) {
    TExprNode n;
    n.Op = op;
    n.ArgCount = args;
    emit(n, static_cast<int32_t>(args));
  }

  char expression() { return binary(1); }

  char binary(int32_t level) {
    if (level == PrefixLevel) return prefixed();
    char left = binary(level + 1);
    while (LevelOf(tok_) == level) {
      const int32_t op = tok_;
      enter();
      advance();
      const char right = binary(level + 1);
      leave();
      left = applyBinary(op, left, right);
    }
    return left;
  }

  char prefixed() {
    if (tok_ != TokNot && tok_ != '+' && tok_ != '-') return operand();
    const int32_t op = tok_;
    enter();
    advance();
    const char t = prefixed();
    leave();
    if (op == TokNot) {
      if (t != 'L') typeError(false, ".NOT.");
      emitOp(OpNot, 1);
    } else if (op == '-') {
      if (t != 'N') typeError(false, "Unary -");
      emitOp(OpNeg, 1);
    } else if (t != 'N') {
      typeError(false, "Unary +");
    }
    return t;
  }

  char operand() {
    enter();
    char type;
    TExprNode n;
    switch (tok_) {
      case '(':
        advance();
        type = expression();
        expect(')');
        advance();
        leave();
        return type;
      case TypeTokN:
        n.ValType = TypeTokN;
        n.Num = tokNum_;
        type = 'N';
        break;
      case TypeTokC:
        n.ValType = TypeTokC;
        n.Binding = static_cast<uint32_t>(tokLiteral_);  // the literal's index until the end
        type = 'C';
        break;
      case TokTrue:
      case TokFalse:
        n.ValType = TypeTokL;
        n.Log = tok_ == TokTrue ? 1 : 0;
        type = 'L';
        break;
      default:
        if (tok_ >= OpLoadC && tok_ <= OpAliasM) {
          n = tokField_;
          type = "CNLDM"[(tok_ - OpLoadC) % 5];
          n.ValType = TypeToken(type);
          break;
        }
        if (const Function* f = FunctionOf(tok_)) {
          type = call(*f);
          leave();
          return type;
        }
        syntaxError();
    }
    emit(n, 0);
    advance();
    leave();
    return type;
  }

  char call(const Function& f) {
    advance();
    expect('(');
    advance();
    const auto maxArgs = static_cast<uint32_t>(std::strlen(f.args));
    char args[4] = {};
    uint32_t count = 0;
    if (maxArgs == 0) {
      expect(')');
    } else {
      for (;;) {
        args[count++] = expression();
        if (tok_ == ',') {
          if (count == maxArgs) syntaxError();
          advance();
          continue;
        }
        expect(')');
        if (count < f.minArgs) syntaxError();
        break;
      }
    }
    char result = f.result;
    for (uint32_t i = 0; i < count; ++i) {
      const char want = f.args[i];
      if (want == 'X') {
        if ((args[i] != 'N' && args[i] != 'D') || args[i] != args[0]) typeError(true, f.name);
        result = args[0];
      } else if (args[i] != want) {
        typeError(true, f.name);
      }
    }
    emitOp(f.token, count);
    advance();
    return result;
  }

  char applyBinary(int32_t op, char l, char r) {
    struct Rule {
      char l, r;
      int32_t opcode;
      char result;
    };
    auto pick = [&](std::initializer_list<Rule> rules, const char* name) {
      for (const Rule& rule : rules) {
        if (rule.l == l && rule.r == r) {
          emitOp(rule.opcode, 2);
          return rule.result;
        }
      }
      typeError(false, name);
    };
    switch (op) {
      case '+': return pick({{'N', 'N', OpAddNN, 'N'}, {'N', 'D', OpAddND, 'D'}, {'D', 'N', OpAddDN, 'D'}, {'C', 'C', OpAddCC, 'C'}}, "+");
      case '-': return pick({{'N', 'N', OpSubNN, 'N'}, {'D', 'N', OpSubDN, 'D'}, {'D', 'D', OpSubDD, 'N'}, {'C', 'C', OpSubCC, 'C'}}, "-");
      case '*': return pick({{'N', 'N', OpMul, 'N'}}, "*");
      case '/': return pick({{'N', 'N', OpDiv, 'N'}}, "/");
      case '^': return pick({{'N', 'N', OpPow, 'N'}}, "** or ^");
      case '=': return pick({{'N', 'N', OpEqN, 'L'}, {'D', 'D', OpEqD, 'L'}, {'C', 'C', OpEqC, 'L'}, {'L', 'L', OpEqL, 'L'}}, "=");
      case TokNotEqual: return pick({{'N', 'N', OpNeN, 'L'}, {'D', 'D', OpNeD, 'L'}, {'C', 'C', OpNeC, 'L'}, {'L', 'L', OpNeL, 'L'}}, "<>");
      case TokExactEqual: return pick({{'C', 'C', OpExactC, 'L'}}, "==");
      case TokContains: return pick({{'C', 'C', OpContainsC, 'L'}}, "$");
      case '>': return pick({{'N', 'N', OpGtN, 'L'}, {'D', 'D', OpGtD, 'L'}, {'C', 'C', OpGtC, 'L'}}, ">");
      case '<': return pick({{'N', 'N', OpLtN, 'L'}, {'D', 'D', OpLtD, 'L'}, {'C', 'C', OpLtC, 'L'}}, "<");
      case TokLessEqual: return pick({{'N', 'N', OpLeN, 'L'}, {'D', 'D', OpLeD, 'L'}, {'C', 'C', OpLeC, 'L'}}, "<=");
      case TokGreaterEqual: return pick({{'N', 'N', OpGeN, 'L'}, {'D', 'D', OpGeD, 'L'}, {'C', 'C', OpGeC, 'L'}}, ">=");
      case TokOr: return pick({{'L', 'L', OpOr, 'L'}}, ".OR.");
      default: return pick({{'L', 'L', OpAnd, 'L'}}, ".AND.");
    }
  }

  const std::string& text_;
  TExprControlBlock& b_;
  size_t pos_ = 0;
  int32_t tok_ = TokEnd;
  double tokNum_ = 0;
  size_t tokLiteral_ = 0;
  TExprNode tokField_;
  int32_t lastFieldLen_ = 0;
  int32_t lastDecimals_ = 19;  // unset
  int32_t depth_ = 1;          // the parser's start state
  int32_t stack_ = 0;
  int32_t maxStack_ = 0;
};

void ExprError(const std::string& message, const std::string& text, int64_t p) {
  if (p < 0) p = 0;
  const auto s = static_cast<size_t>(p >= 50 ? p - 50 : 0);
  std::string context = "Fehler in dBASE-Ausdruck : " + message + "\r\n" + (p >= 50 ? "[..." : "[");
  if (s < text.size()) context += text.substr(s, 51);
  context += text.size() > s + 51 ? "...]" : "]";
  context += "\r\n [AssignExpr]";
  XbSetError(ErrorCode, context);
}

// Pool and work stack for the deepest evaluation, the result's place and its width.
void FinishBlock(TExprControlBlock& b, int32_t maxStack, int32_t lastFieldLen, int32_t lastDecimals) {
  for (TExprNode& n : b.Code) {
    if (n.Op == OpOperand && n.ValType == TypeTokC) {
      const std::string& literal = b.Literals[n.Binding];
      n.Text = literal.c_str();
      n.TextLen = static_cast<uint32_t>(literal.size());
      n.Binding = 0;
    }
  }
  if (b.ResultType == 'M') b.PoolNeed = 256;
  // Every text on the stack holds at most 255 characters and its terminator.
  const auto depth = static_cast<size_t>(std::max(maxStack, 1));
  b.Work.assign(depth, TExprValue{});
  b.Pool.assign(depth * (ExprMaxText + 1), '\0');
  b.PoolSize = static_cast<uint32_t>(b.Pool.size());
  b.ResultDec = 0;
  switch (b.ResultType) {
    case 'C':
      b.Result = b.Pool.data();
      b.ResultLen = b.PoolNeed == static_cast<uint32_t>(lastFieldLen) + 1 ? static_cast<uint16_t>(lastFieldLen) : 0;
      break;
    case 'N':
      b.Result = &b.Work[0].Num;
      b.ResultDec = static_cast<uint8_t>(lastDecimals <= 18 ? lastDecimals : 2);
      b.ResultLen = static_cast<uint16_t>(lastFieldLen >= b.ResultDec + 2 ? lastFieldLen : b.ResultDec + 11);
      break;
    case 'D':
      b.Result = &b.Work[0].Num;
      b.ResultLen = 8;
      break;
    case 'L':
      b.Result = &b.Work[0].Log;
      b.ResultLen = 1;
      break;
    default:
      b.Result = b.Pool.data();
      b.ResultLen = 256;
      break;
  }
}

}  // namespace

TExprControlBlock* AssignExpr(const std::string& text) {
  if (engineState.XbErrorCode >= 350 && engineState.XbErrorCode <= 363) engineState.XbErrorCode = 0;
  auto block = std::make_unique<TExprControlBlock>();
  std::string message;
  int64_t errorPos = 0;
  {
    Compiler compiler(text, *block);
    try {
      compiler.run();
      FinishBlock(*block, compiler.maxStack(), compiler.lastFieldLen(), compiler.lastDecimals());
    } catch (const CompileError& e) {
      message = e.message;
      errorPos = compiler.errorPos();
    }
  }
  if (!message.empty()) {
    block.reset();
    ExprError(message, text, errorPos);
    return nullptr;
  }
  block->ExprText = text;
  expressionParser.LiveBlocks.push_back(std::move(block));
  return expressionParser.LiveBlocks.back().get();
}

void FreeExpr(TExprControlBlock*& block) {
  if (!block) return;
  auto& live = expressionParser.LiveBlocks;
  auto it = std::find_if(live.begin(), live.end(), [&](const auto& p) { return p.get() == block; });
  if (it == live.end()) return;
  live.erase(it);
  block = nullptr;
}

std::string GetExprText(TExprControlBlock*& block) {
  auto& live = expressionParser.LiveBlocks;
  const bool known = block && std::any_of(live.begin(), live.end(), [&](const auto& p) { return p.get() == block; });
  return known ? block->ExprText : std::string();
}

TExprControlBlock* CompileUserExpr(const std::string& text, std::string& message) {
  message.clear();
  XbQuietErrors quiet;
  TExprControlBlock* block = AssignExpr(text);
  if (!block) message = XbTakeErrorContext();
  return block;
}

void InitExpressionParser() {
  engineState.ParserHooks.AssignExpr = [](const std::string& text) { return AssignExpr(text); };
  engineState.ParserHooks.FreeExpr = [](TExprControlBlock*& block) { FreeExpr(block); };
  engineState.ParserHooks.EvalExpr = [](TExprControlBlock*& block) { return EvalExpr(block); };
  engineState.ParserHooks.GetExprText = [](TExprControlBlock*& block) { return GetExprText(block); };
  keyUtil.KeyEvalProc = &EvalKeyExpr;
  engineState.ParserUnitLinked = true;
}

}  // namespace qorva
