#pragma once
// expressionparser: dBase expressions. Compiles a text such as UPPER(NAME)+DTOS(BORN) once into a typed
// block of postfix code (AssignExpr) that the evaluator (expressionevaluator) runs for every record. Owns the
// scanner, the keyword table, the grammar with its binding levels, the typing of every operator and
// function, the result widths and the error report (code 351 with an excerpt of the text).
// The module's start-up fills the engine's ParserHooks and the index engine's key evaluator.
// May call: expressionevaluator, keyUtil, workAreas (field tables and aliases of the work areas), engineState.
//
// Compiling is not reentrant: one compilation at a time, on the program's thread.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qorva {

// Type tokens of values and operands.
constexpr uint32_t TypeTokC = 331;
constexpr uint32_t TypeTokN = 332;
constexpr uint32_t TypeTokL = 333;
constexpr uint32_t TypeTokD = 334;
constexpr uint32_t TypeTokM = 335;

// Opcodes besides the function tokens (ABS 257 .. YEAR 320, see the keyword table).
enum TExprOp : int32_t {
  OpEnd = -1,
  OpOperand = 0,
  OpLoadC = 321, OpLoadN, OpLoadL, OpLoadD, OpLoadM,            // field of the area current at evaluation
  OpAliasC = 326, OpAliasN, OpAliasL, OpAliasD, OpAliasM,       // field of an area named by its alias
  OpAddNN = 347, OpAddND, OpAddDN, OpAddCC, OpSubNN, OpSubDN, OpSubDD, OpSubCC,
  OpMul = 355, OpDiv, OpPow,
  OpEqN = 358, OpEqD, OpEqC, OpEqL, OpExactC, OpContainsC,
  OpGtN = 364, OpGtD, OpGtC, OpLtN, OpLtD, OpLtC, OpNeN, OpNeD, OpNeC, OpNeL,
  OpLeN = 374, OpLeD, OpLeC, OpGeN, OpGeD, OpGeC,
  OpOr = 380, OpAnd, OpNot, OpNeg,
};

// Function tokens.
enum TExprFunc : int32_t {
  FnAbs = 257, FnAsc = 259, FnAt = 261, FnCdow = 264, FnChr = 266, FnCmonth = 267, FnCtod = 269,
  FnDate = 270, FnDay = 271, FnDeleted = 272, FnDow = 274, FnDtoc = 275, FnDtos = 277, FnIif = 283,
  FnInt = 284, FnLeft = 288, FnLen = 289, FnLower = 292, FnLtrim = 293, FnMax = 294, FnMin = 295,
  FnMod = 296, FnMonth = 297, FnRecno = 300, FnReplicate = 301, FnRight = 302, FnRound = 303,
  FnRtrim = 305, FnSoundex = 308, FnSpace = 310, FnStr = 311, FnStuff = 312, FnSubstr = 313,
  FnTrim = 316, FnUpper = 318, FnVal = 319, FnYear = 320,
};

// One node of the code list: an operand to push, an operation, or the end.
struct TExprNode {
  int32_t Op = OpOperand;
  uint32_t ArgCount = 0;  // values the operation takes from the work stack
  uint32_t ValType = 0;   // operand: its type token; field load: the field's type token
  double Num = 0;         // N and D operand
  int32_t Log = 0;        // L operand
  const char* Text = nullptr;  // C operand: the literal's text
  uint32_t TextLen = 0;
  // Field loads: the field number, its length at compile time and, through an alias, the area and
  // the binding that says which table the area held.
  uint8_t FieldNo = 0;
  uint8_t FieldLen = 0;
  uint8_t Area = 0;
  uint32_t Binding = 0;
};

// One value of the work stack. C and M texts lie in the block's work pool, zero-terminated.
struct TExprValue {
  uint32_t ValType = 0;
  uint32_t Len = 0;  // C and M: characters before the terminator
  union {
    double Num;    // N and D (day number)
    int32_t Log;   // L: 0 or 1
  };
  char* Text = nullptr;
  TExprValue() : Num(0) {}
};

// What an aliased field was bound to: the area's alias and the field's name.
struct TExprBinding {
  std::string Alias;
  std::string FieldName;
};

// A compiled expression. The code list and the literals are fixed at compile time; the work stack
// and the work pool are sized for the deepest evaluation then, so evaluating allocates nothing.
struct TExprControlBlock {
  std::string ExprText;
  char ResultType = ' ';   // C, N, L, D or M
  uint16_t ResultLen = 0;  // result width
  uint8_t ResultDec = 0;   // decimals of an N result
  void* Result = nullptr;  // C and M: the start of the pool; N and D: a double; L: a 32-bit 0 or 1
  std::vector<std::string> Literals;
  std::vector<TExprNode> Code;
  std::vector<TExprBinding> Bindings;
  std::vector<TExprValue> Work;
  std::vector<char> Pool;
  uint32_t PoolSize = 0;
  uint32_t PoolNeed = 0;  // what the texts of the expression reserve (the result width follows it)
};

struct ExpressionParser {
  std::vector<std::unique_ptr<TExprControlBlock>> LiveBlocks;
};
extern ExpressionParser expressionParser;

// Start-up: fills engineState.ParserHooks and keyUtil.KeyEvalProc, sets ParserUnitLinked. Blocks
// compiled before stay alive.
void InitExpressionParser();

// Compiles text for the current work area. A text that does not compile reports error 351 with the
// message and an excerpt of the text and gives nullptr (with reporting on, the report stops the
// command as every engine error does).
TExprControlBlock* AssignExpr(const std::string& text);
// Frees a live block and sets the variable to nullptr; other pointers are left alone.
void FreeExpr(TExprControlBlock*& block);
std::string GetExprText(TExprControlBlock*& block);

// For text a user typed: compiles with the engine's report switched off. On failure nullptr and
// message holds the report's text; XbErrorCode keeps 351 for the caller.
TExprControlBlock* CompileUserExpr(const std::string& text, std::string& message);

// Owns a block and frees it through FreeExpr.
class TExprHolder {
 public:
  TExprHolder() = default;
  explicit TExprHolder(TExprControlBlock* block) : block_(block) {}
  ~TExprHolder() { FreeExpr(block_); }
  TExprHolder(const TExprHolder&) = delete;
  TExprHolder& operator=(const TExprHolder&) = delete;
  void reset(TExprControlBlock* block = nullptr) {
    FreeExpr(block_);
    block_ = block;
  }
  TExprControlBlock* get() const { return block_; }
  explicit operator bool() const { return block_ != nullptr; }

 private:
  TExprControlBlock* block_ = nullptr;
};

}  // namespace qorva
