#pragma once
// expressionevaluator: the expression evaluator. Runs a compiled expression (expressionParser) against the current
// records of the work areas: a stack machine over the block's postfix code that keeps numbers,
// dates and logicals on the block's work stack and texts in its work pool, and leaves the result
// where the block's Result points. Nothing is allocated while evaluating (CTOD, which reads a date
// text through the national routines, and memo texts, which the memo module reads, excepted).
// May call: expressionParser (the block), keyUtil, workAreas (work areas and their records), nationalDates,
// engineState (errors, memo hooks).
//
// A field without alias is read by its number from the area current at evaluation; a field through
// an alias from the area found at compile time. A field whose area has since been closed or given
// another table, whose number is past the table's fields or whose type changed reads as the blank
// value of its compiled type. Texts hold at most 255 characters.

#include <cstdint>
#include <string>
#include <string_view>

namespace qorva {

struct TExprControlBlock;

constexpr uint32_t ExprMaxText = 255;

// nullptr for a nullptr block; else evaluates and returns the block's Result.
void* Evaluate(TExprControlBlock* block);
void* EvalExpr(TExprControlBlock*& block);
// Evaluates keyUtil.KeyExpr (nullptr when it is not set).
void* EvalKeyExpr();

// The last result of a block, by its type (call after Evaluate).
std::string_view ExprResultText(const TExprControlBlock& block);  // C and M
double ExprResultNumber(const TExprControlBlock& block);          // N and D
bool ExprResultLogical(const TExprControlBlock& block);           // L

// The text-to-number conversion of VAL, numeric fields and numeric literals: leading blanks, a
// sign, digits with one decimal point and an exponent with "E"; reading stops at the first other
// character (12abc is 12); a text that starts with none of them is 0.
double ExprTextToNumber(std::string_view text);

}  // namespace qorva
