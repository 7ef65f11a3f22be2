// The expression evaluator: every operator and function with its edge values on a small table,
// binding levels shown through results, blank values of an empty table, fields whose area changed
// since compiling, division by zero and memo texts.
#include "xbase/expressionevaluator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/xbase/exprtable_test.h"

namespace qorva {
namespace {

using ExpressionEvaluatorTest = test::ExprTest;

struct Case {
  std::string text;
  std::string result;
};

void Expect(test::ExprTest& t, const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(t.Eval(c.text), c.result) << c.text;
}

TEST_F(ExpressionEvaluatorTest, BindingLevelsShowInResults) {
  Expect(*this, {
                    {"-2^2", "N:4"},            // the prefix binds tightest
                    {"2^3^2", "N:64"},          // (2^3)^2
                    {"2**3", "N:8"},
                    {"1+2*3", "N:7"},
                    {"(1+2)*3", "N:9"},
                    {"10-4-3", "N:3"},
                    {"12/4/3", "N:1"},
                    {"- -QTY", "N:3"},
                    {"+QTY", "N:3"},
                    {"-QTY*2", "N:-6"},
                    {".T. = 1 < 2", "L:T"},     // = is weaker than <
                    {"1 < 2 = 2 < 3", "L:T"},
                    {"'a' $ 'cat' = .T.", "L:T"},  // $ is stronger than =
                    {".T. .OR. .F. .AND. .F.", "L:T"},
                    {".F. .AND. .F. .OR. .T.", "L:T"},
                    {"QTY * 2 + PRICE", "N:18.5"},
                    {"QTY + 1 > 3 .AND. NAME = 'S'", "L:T"},
                });
}

TEST_F(ExpressionEvaluatorTest, Operators) {
  Expect(*this, {
                    // Texts keep their trailing blanks; = asks whether the left text begins with the right.
                    {"NAME", "C:Smith     "},
                    {"NAME = 'Smi'", "L:T"},
                    {"'Smi' = NAME", "L:F"},
                    {"NAME == 'Smith'", "L:F"},
                    {"NAME # 'Smith'", "L:T"},
                    {"NAME <> NAME", "L:F"},
                    {"NAME = ''", "L:F"},
                    {"TRIM(NAME) == 'Smith'", "L:T"},
                    {"NAME + '|'", "C:Smith     |"},
                    {"NAME - ', Jr'", "C:Smith, Jr     "},
                    {"'   ' - 'X'", "C:X   "},
                    {"'ab' < 'abc'", "L:T"},
                    {"'b' > 'abc'", "L:T"},
                    {"'abc' <= 'abc'", "L:T"},
                    {"'abd' >= 'abc'", "L:T"},
                    {"'\xE4' > 'z'", "L:T"},  // bytes compare unsigned
                    {"'mit' $ NAME", "L:T"},
                    {"'' $ NAME", "L:F"},
                    {"LEN(REPLICATE('x', 200) + REPLICATE('y', 200))", "N:255"},
                    {"LEN(SPACE(200) - REPLICATE('y', 200))", "N:255"},
                    {"RIGHT(REPLICATE('x', 254) + 'yz', 3)", "C:xxy"},  // cut at 255
                    {"PRICE > 12", "L:T"},
                    {"PRICE <= 12.5", "L:T"},
                    {"QTY >= 4", "L:F"},
                    {"QTY # 3", "L:F"},
                    {"QTY < 4", "L:T"},
                    {"PRICE / 4", "N:3.125"},
                    {"QTY - PRICE", "N:-9.5"},
                    {"OK = .T.", "L:T"},
                    {"OK # .F.", "L:T"},
                    {".NOT. OK", "L:F"},
                    {"OK .AND. .F.", "L:F"},
                    {"BORN + 30", "D:19800214"},
                    {"30 + BORN", "D:19800214"},
                    {"BORN - 15", "D:19791231"},
                    {"DATE - BORN", "N:16087"},
                    {"BORN - BORN", "N:0"},
                    {"BORN < DATE", "L:T"},
                    {"BORN >= DATE", "L:F"},
                    {"BORN = CTOD('15.01.1980')", "L:T"},
                    {"BORN # CTOD('15.01.1980')", "L:F"},
                    {"BORN > CTOD('')", "L:T"},
                    {"(-8) ^ (1/3)", "N:0"},  // no real value: 0
                    {"0 ^ 2", "N:0"},
                });
}

TEST_F(ExpressionEvaluatorTest, Functions) {
  Expect(*this, {
                    {"ABS(-2.5)", "N:2.5"},
                    {"ASC('A')", "N:65"},
                    {"ASC('')", "N:0"},
                    {"ASC('\xFC')", "N:252"},
                    {"AT('mi', NAME)", "N:2"},
                    {"AT('', NAME)", "N:0"},
                    {"AT('z', NAME)", "N:0"},
                    {"CDOW(BORN)", "C:Dienstag  "},
                    {"CMONTH(BORN)", "C:Januar   "},
                    {"CDOW(CTOD(''))", "C:          "},
                    {"CHR(65)", "C:A"},
                    {"CHR(321)", "C:A"},
                    {"CHR(0)", "C:"},
                    {"CTOD('31.01.2024')", "D:20240131"},
                    {"CTOD('31.02.2024')", "D:        "},
                    {"DATE()", "D:20240305"},  // the test clock
                    {"DAY(BORN)", "N:15"},
                    {"MONTH(BORN)", "N:1"},
                    {"YEAR(BORN)", "N:1980"},
                    {"DOW(BORN)", "N:3"},
                    {"DOW(CTOD('07.01.2024'))", "N:1"},  // a Sunday
                    {"DOW(CTOD(''))", "N:0"},
                    {"DAY(CTOD(''))", "N:0"},
                    {"DELETED()", "L:F"},
                    {"RECNO()", "N:1"},
                    {"DTOC(BORN)", "C:15.01.1980"},
                    {"DTOS(BORN)", "C:19800115"},
                    {"DTOS(CTOD(''))", "C:        "},
                    {"IIF(OK, 'yes', 'no')", "C:yes"},
                    {"IIF(.NOT. OK, 'yes', 'no')", "C:no"},
                    {"IIF(.NOT. OK, 'yes', NAME) + '|'", "C:Smith     |"},
                    {"INT(-2.7)", "N:-2"},
                    {"INT(2.7)", "N:2"},
                    {"LEFT('ABC', 2)", "C:AB"},
                    {"LEFT('ABC', 5)", "C:ABC"},
                    {"LEFT('ABC', -1)", "C:"},
                    {"RIGHT('ABC', 2)", "C:BC"},
                    {"RIGHT('ABC', 5)", "C:ABC"},
                    {"RIGHT('ABC', 0)", "C:"},
                    {"RIGHT('ABC', -1)", "C:ABC"},
                    {"LEN(NAME)", "N:10"},
                    {"LEN('')", "N:0"},
                    {"LOWER(NAME)", "C:smith     "},
                    {"UPPER(NAME)", "C:SMITH     "},
                    {"LOWER('\xC4\xDC')", "C:\xE4\xFC"},
                    {"LTRIM('  a ')", "C:a "},
                    {"RTRIM(' a  ')", "C: a"},
                    {"TRIM('   ')", "C:"},
                    {"MAX(1, 2)", "N:2"},
                    {"MIN(1, 2)", "N:1"},
                    {"MAX(BORN, DATE)", "D:20240131"},
                    {"MIN(BORN, DATE)", "D:19800115"},
                    {"MOD(-7, 3)", "N:-1"},
                    {"MOD(7.9, 3)", "N:1"},
                    {"MOD(7, -1)", "N:0"},
                    {"MOD(7, -2)", "N:1"},
                    {"REPLICATE('ab', 3)", "C:ababab"},
                    {"REPLICATE('ab', 0)", "C:"},
                    {"REPLICATE('', 5)", "C:"},
                    {"LEN(REPLICATE('ab', 200))", "N:255"},
                    {"ROUND(2.567, 2)", "N:2.56"},
                    {"ROUND(-2.567, 2)", "N:-2.56"},
                    {"ROUND(2.5, 0)", "N:2"},
                    {"ROUND(1.15, 2)", "N:1.14"},  // 1.15 is stored slightly below
                    {"ROUND(2.5, 1000000000)", "N:2.5"},
                    {"SOUNDEX('Robert')", "C:R163"},
                    {"SOUNDEX('')", "C:0000"},
                    {"SOUNDEX(NAME) + '|'", "C:S530|"},
                    {"SPACE(3)", "C:   "},
                    {"SPACE(-1)", "C:"},
                    {"LEN(SPACE(1000))", "N:255"},
                    {"STR(3.7)", "C:         4"},
                    {"STR(123456, 3)", "C:***"},
                    {"STR(1.5, 5, 2)", "C: 1.50"},
                    {"STR(-0.4)", "C:         0"},
                    {"STR(-12.345, 8, 2)", "C:  -12.35"},
                    {"STR(1, 0)", "C:"},
                    {"STR(2, 3, -1)", "C:  2"},
                    {"STR(1/0, 4)", "C:****"},
                    {"LEN(STR(1, 1000))", "N:255"},
                    {"STR(PRICE, 8, 1)", "C:    12.5"},
                    // halves away from zero, as the number fields are written
                    {"STR(12.5)", "C:        13"},
                    {"STR(-2.5, 3)", "C: -3"},
                    {"STR(0.125, 5, 2)", "C: 0.13"},
                    {"STR(0.15, 4, 1)", "C: 0.2"},
                    {"STR(9.995, 6, 2)", "C: 10.00"},
                    {"STR(-0.005, 5, 2)", "C:-0.01"},
                    {"STUFF('ABCDE', 2, 2, 'xyz')", "C:AxyzDE"},
                    {"STUFF('ABC', 0, 1, 'x')", "C:xABC"},
                    {"STUFF('ABC', 9, 1, 'x')", "C:ABCx"},
                    {"STUFF('ABC', 2, 9, '')", "C:A"},
                    {"LEN(STUFF(SPACE(200), 1, 0, SPACE(200)))", "N:255"},
                    {"SUBSTR('ABCDE', 0, 2)", "C:AB"},
                    {"SUBSTR('ABCDE', 4, 10)", "C:DE"},
                    {"SUBSTR('ABCDE', 9, 2)", "C:"},
                    {"SUBSTR('ABCDE', 2, -1)", "C:"},
                    {"SUBSTR(NAME, 2, 3) + '|'", "C:mit|"},
                    {"VAL('12abc')", "N:12"},
                    {"VAL(' -1.5E2 ')", "N:-150"},
                    {"VAL('+.5')", "N:0.5"},
                    {"VAL('abc')", "N:0"},
                    {"VAL('1,5')", "N:1"},
                    {"VAL('inf')", "N:0"},
                    {"VAL('1E999')", "N:inf"},
                    {"1E", "N:1"},
                });
  nationalDates.CenturyDates = false;
  Expect(*this, {{"YEAR(BORN)", "N:80"}, {"DTOC(BORN)", "C:15.01.80"}});
}

TEST_F(ExpressionEvaluatorTest, RecordsAndTheirFields) {
  GO(2);
  Expect(*this, {{"DELETED()", "L:T"},
                 {"RECNO()", "N:2"},
                 {"PRICE", "N:-1"},
                 {"DTOS(BORN)", "C:        "},  // a blank date
                 {"OK", "L:F"},
                 {"DOW(DATE)", "N:6"}});
  GO(3);
  Expect(*this, {{"UPPER(NAME)", "C:M\xDCLLER    "},  // a DOS table reads as Windows text
                 {"OK", "L:T"},                       // "y" is true
                 {"DTOS(BORN)", "C:20000229"},
                 {"NOTE", "M:"}});                    // no memo module: blank
  // Records past the end read as blanks.
  GO(3);
  SKIP(1);
  ASSERT_TRUE(dEOF());
  Expect(*this, {{"NAME", "C:          "}, {"QTY", "N:0"}});
}

TEST_F(ExpressionEvaluatorTest, AnEmptyTableGivesBlankValues) {
  Select(2);
  USE(path("empty"));
  ASSERT_EQ(engineState.XbErrorCode, 0);
  Expect(*this, {{"NAME", "C:          "},
                 {"PRICE", "N:0"},
                 {"BORN", "D:        "},
                 {"DTOS(BORN)", "C:        "},
                 {"OK", "L:F"},
                 {"NOTE", "M:"},
                 {"DELETED()", "L:F"},
                 {"RECNO()", "N:0"},
                 {"people->NAME", "C:Smith     "}});
}

TEST_F(ExpressionEvaluatorTest, FieldsWhoseAreaChangedReadBlank) {
  TExprHolder aliased(AssignExpr("PEOPLE->NAME"));
  TExprHolder date(AssignExpr("DATE"));
  TExprHolder price(AssignExpr("PRICE"));
  ASSERT_TRUE(aliased && date && price);
  EXPECT_EQ(Show(*aliased.get()), "C:Smith     ");
  // The area is closed: blanks of the compiled width.
  CloseArea();
  EXPECT_EQ(Show(*aliased.get()), "C:          ");
  EXPECT_EQ(Show(*date.get()), "D:        ");
  // The area holds another table under the same alias: its field of that number is no text.
  test::writeFile(dir_ / "other.dbf", test::makeDbf({{"NAME", 'N', 5, 0}, {"PRICE", 'C', 3, 0}}, {"    42abc"}));
  USE(path("other") + " ALIAS PEOPLE");
  ASSERT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(Show(*aliased.get()), "C:          ");
  EXPECT_EQ(Show(*date.get()), "D:        ");  // field 7 of a table with 2
  EXPECT_EQ(Show(*price.get()), "N:0");        // field 2 is a text now
}

TEST_F(ExpressionEvaluatorTest, DivisionByZeroReportsAndGoesOn) {
  EXPECT_EQ(Eval("1/0"), "N:1e+250");
  auto [code, context] = error();
  EXPECT_EQ(code, 358);
  EXPECT_EQ(context, "Auswertungsfehler: Division durch 0 [Evaluate/Engine]");
  EXPECT_EQ(Eval("MOD(7, 0.5)"), "N:0");  // the divisor truncates to 0
  EXPECT_EQ(error().first, 358);
  EXPECT_EQ(Eval("MOD(7, 2)"), "N:1");
  EXPECT_EQ(error().first, 0);
  // With reporting on, the report stops the command.
  engineState.XbReportErrors = true;
  engineState.XbRaiseErrors = true;
  TExprHolder b(AssignExpr("QTY / (QTY - 3)"));
  ASSERT_TRUE(b);
  EXPECT_THROW(Evaluate(b.get()), EXbaseError);
  engineState.XbRaiseErrors = false;
  engineState.XbReportErrors = false;
  error();
  EXPECT_EQ(Show(*b.get()), "N:1e+250");  // the block is whole after the stop
  error();
}

TEST_F(ExpressionEvaluatorTest, MemoTextsAreTheirFirst255CharactersWithoutLineEnds) {
  std::vector<int32_t> asked;
  std::vector<uint8_t> areas;
  engineState.MemoHooks.AssignMemo = [&](int32_t block, std::vector<std::string>& lines) {
    asked.push_back(block);
    areas.push_back(workAreas.CurrentArea);
    lines = {std::string(100, 'a'), std::string(100, 'b'), std::string(100, 'c')};
    return true;
  };
  TExprHolder memo(AssignExpr("NOTE"));
  EXPECT_EQ(Show(*memo.get()), "M:" + std::string(100, 'a') + std::string(100, 'b') + std::string(55, 'c'));
  EXPECT_EQ(memo.get()->ResultLen, 256);
  // Through an alias the memo is read with that area selected; the selection comes back.
  Select(2);
  EXPECT_EQ(Eval("PEOPLE->NOTE").size(), 2u + 255u);
  EXPECT_EQ(workAreas.CurrentArea, 2);
  EXPECT_EQ(asked, (std::vector<int32_t>{7, 7}));
  EXPECT_EQ(areas, (std::vector<uint8_t>{1, 1}));
  // No memo (block 0) is not read.
  Select(1);
  GO(2);
  EXPECT_EQ(Show(*memo.get()), "M:");
  EXPECT_EQ(asked.size(), 2u);
  engineState.MemoHooks = TMemoHooks{};
}

TEST_F(ExpressionEvaluatorTest, AResultStaysUntilTheSameBlockIsEvaluatedAgain) {
  TExprHolder name(AssignExpr("UPPER(NAME)"));
  TExprHolder qty(AssignExpr("QTY * 2"));
  const char* text = static_cast<const char*>(Evaluate(name.get()));
  const double* number = static_cast<const double*>(Evaluate(qty.get()));
  GO(3);
  Evaluate(qty.get());
  EXPECT_STREQ(text, "SMITH     ");
  EXPECT_EQ(*number, 0);
  EXPECT_EQ(ExprResultText(*name.get()), "SMITH     ");
  EXPECT_EQ(ExprResultNumber(*qty.get()), 0);
  Evaluate(name.get());
  EXPECT_EQ(ExprResultText(*name.get()), "M\xDCLLER    ");
}

}  // namespace
}  // namespace qorva
