// dBase expressions: what a text compiles to (type, width, decimals), the exact error reports of
// texts that do not compile, fields through aliases, the engine's hooks and the helper for typed
// text.
#include "xbase/expressionparser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/xbase/exprtable_test.h"

namespace qorva {
namespace {

using ExpressionParserTest = test::ExprTest;

struct Typed {
  std::string text;
  char type;
  uint16_t len;
  uint8_t dec;
};

TEST_F(ExpressionParserTest, TextsCompileToTheirTypeAndWidth) {
  const std::vector<Typed> cases{
      // Widths follow the last field or literal scanned.
      {"NAME", 'C', 10, 0},
      {"UPPER(NAME)", 'C', 10, 0},
      {"NAME+'X'", 'C', 0, 0},
      {"DTOS(BORN)", 'C', 8, 0},
      {"STR(QTY,5)", 'C', 0, 0},
      {"PRICE", 'N', 10, 2},
      {"QTY", 'N', 5, 0},
      {"PRICE*2", 'N', 13, 2},
      {"2*PRICE", 'N', 10, 2},
      {"PRICE+QTY", 'N', 5, 2},
      {"1", 'N', 13, 2},
      {"BORN - DATE()", 'N', 13, 2},
      {"BORN + 30", 'D', 8, 0},
      {"30 + BORN", 'D', 8, 0},
      {"BORN - 1", 'D', 8, 0},
      {"MAX(BORN, DATE())", 'D', 8, 0},
      {"MIN(QTY, 2)", 'N', 13, 2},
      {"NOTE", 'M', 256, 0},
      {".T.", 'L', 1, 0},
      {".t. .AND. OK", 'L', 1, 0},
      {"(OK).AND.(.NOT. OK)", 'L', 1, 0},
      {"NAME = 'S' .OR. QTY > 1", 'L', 1, 0},
      {"DATE", 'D', 8, 0},        // the field
      {"DATE()", 'D', 8, 0},      // the function
      {"YEAR(DATE ())", 'N', 13, 2},
      {"SUBS(NAME,2,3)", 'C', 0, 0},
      {"SUBSTR(NAME,2,3)", 'C', 0, 0},
      {"STR(PRICE)", 'C', 0, 0},
      {"STR(PRICE,8,2)", 'C', 0, 0},
      {"IIF(OK, NAME, 'x')", 'C', 0, 0},
      {"people->NAME", 'C', 10, 0},
      {"PEOPLE->QTY * 2", 'N', 13, 2},
      {"2 ** 3 ^ 2", 'N', 13, 2},
      {"AT(' ', NAME) # 0", 'L', 1, 0},
  };
  for (const Typed& c : cases) {
    TExprHolder b(AssignExpr(c.text));
    ASSERT_TRUE(b) << c.text << ": " << error().second;
    EXPECT_EQ(b.get()->ResultType, c.type) << c.text;
    EXPECT_EQ(b.get()->ResultLen, c.len) << c.text;
    EXPECT_EQ(b.get()->ResultDec, c.dec) << c.text;
    EXPECT_EQ(b.get()->ExprText, c.text);
  }
}

TEST_F(ExpressionParserTest, SyntaxErrorsReportTheTextAroundWhereReadingStopped) {
  const std::string head = "Fehler in dBASE-Ausdruck : Syntax error\r\n";
  const std::string tail = "\r\n [AssignExpr]";
  const std::vector<std::string> bad{
      "NAME NAME",        // input after a complete expression
      "A.AND.B",          // one unknown word
      "OK.AND.OK",
      "CUST.NAME",        // no arrow: no alias
      "PEOPLE -> NAME",   // blanks around the arrow
      "SUB(NAME,2,3)",    // unknown abbreviation
      "DEL()",
      "SUBSTR(NAME,2)",   // wrong number of arguments
      "STR(1,2,3,4)",
      "DATE(1)",
      "UPPER NAME",       // a function word without parentheses
      "(NAME",
      "NAME)",
      "NAME +",
      "1 ! 2",
      "NAME = 'abc",      // a literal without its closing quote ends the text
      ".NOT",
      ".5",
      "NAME; QTY",
      std::string("NAME\0", 5),
  };
  for (const std::string& text : bad) {
    EXPECT_EQ(AssignExpr(text), nullptr) << text;
    auto [code, context] = error();
    EXPECT_EQ(code, 351) << text;
    EXPECT_EQ(context.substr(0, head.size()), head) << text;
    EXPECT_EQ(context.substr(context.size() - tail.size()), tail) << text;
  }
  struct Excerpt {
    std::string text;
    std::string context;
  };
  const std::string digits = "1234567890123456789012345678901234567890123456789012345678901234567890";
  const std::vector<Excerpt> cases{
      {"", head + "[]" + tail},
      {"   ", head + "[   ]" + tail},
      {"NAME NAME", head + "[NAME NAME]" + tail},
      {"QTY + + ", head + "[QTY + + ]" + tail},
      // Stopped at the 61st character of 100: the 11th to 61st characters, cut on both sides.
      {std::string(60, '1') + "!" + std::string(39, '2'),
       head + "[..." + std::string(50, '1') + "!...]" + tail},
      // Stopped at the end of a long text: nothing follows the excerpt.
      {digits + " +", head + "[..." + digits.substr(22) + " +]" + tail},
  };
  for (const Excerpt& c : cases) {
    EXPECT_EQ(AssignExpr(c.text), nullptr) << c.text;
    auto [code, context] = error();
    EXPECT_EQ(code, 351);
    EXPECT_EQ(context, c.context) << c.text;
  }
}

TEST_F(ExpressionParserTest, TypeErrorsNameTheOperatorOrFunction) {
  struct Case {
    std::string text;
    std::string message;
  };
  const std::string ausdruck = "PARSER:Unvereinbare Typen in Ausdruck \"";
  const std::string funktion = "PARSER:Unvereinbare Typen in Funktion \"";
  const std::vector<Case> cases{
      {"NAME = 1", ausdruck + "=\""},
      {".NOT. QTY = 0", ausdruck + ".NOT.\""},
      {"BORN + BORN", ausdruck + "+\""},
      {"NOTE + ''", ausdruck + "+\""},
      {"NAME - 1", ausdruck + "-\""},
      {"NAME * 2", ausdruck + "*\""},
      {"1 / NAME", ausdruck + "/\""},
      {"2 ** NAME", ausdruck + "** or ^\""},
      {"OK # 1", ausdruck + "<>\""},
      {"OK <> 1", ausdruck + "<>\""},
      {"QTY == 1", ausdruck + "==\""},
      {"QTY $ NAME", ausdruck + "$\""},
      {"OK > OK", ausdruck + ">\""},
      {"OK < OK", ausdruck + "<\""},
      {"OK <= OK", ausdruck + "<=\""},
      {"OK >= OK", ausdruck + ">=\""},
      {"OK .OR. 1", ausdruck + ".OR.\""},
      {"QTY .AND. OK", ausdruck + ".AND.\""},
      {"-NAME", ausdruck + "Unary -\""},
      {"+OK", ausdruck + "Unary +\""},
      {"IIF(QTY > 0, 1, 2)", funktion + "IIF\""},
      {"MAX(1, BORN)", funktion + "MAX\""},
      {"MIN(NAME, NAME)", funktion + "MIN\""},
      {"SUBS(NAME, '2', 3)", funktion + "SUBSTR\""},
      {"UPPE(QTY)", funktion + "UPPER\""},
      {"DTOS(NAME)", funktion + "DTOS\""},
      {"UPPER(NOTE)", funktion + "UPPER\""},
      {"STR(1, 2, '3')", funktion + "STR\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AssignExpr(c.text), nullptr) << c.text;
    auto [code, context] = error();
    EXPECT_EQ(code, 351) << c.text;
    EXPECT_EQ(context.substr(0, context.find("\r\n")), "Fehler in dBASE-Ausdruck : " + c.message) << c.text;
  }
  TExprHolder ok(AssignExpr(".NOT. (QTY = 0)"));
  EXPECT_TRUE(ok);
}

TEST_F(ExpressionParserTest, TextsOfAnyLengthCompileWholeOrFail) {
  // A long flat chain needs no deep nesting.
  std::string sum = "QTY";
  for (int i = 0; i < 5000; ++i) sum += "+1";
  TExprHolder b(AssignExpr(sum));
  ASSERT_TRUE(b);
  EXPECT_EQ(test::ExprTest::Show(*b.get()), "N:5003");
  // Nothing is cut after 255 characters: the excess stays part of the text.
  EXPECT_EQ(AssignExpr(std::string(300, ' ') + "QTY QTY"), nullptr);
  EXPECT_EQ(error().first, 351);
  EXPECT_EQ(Eval(std::string(300, ' ') + "QTY + 1"), "N:4");
  // Literals hold at most 255 characters.
  EXPECT_EQ(Eval("LEN('" + std::string(255, 'x') + "')"), "N:255");
  EXPECT_EQ(Eval("LEN('" + std::string(256, 'x') + "')"), "error");

  // Deep nesting ends in a clean report, not in an exhausted stack.
  auto nested = [](int depth, const std::string& open, const std::string& inner, const std::string& close) {
    std::string s;
    for (int i = 0; i < depth; ++i) s += open;
    s += inner;
    for (int i = 0; i < depth; ++i) s += close;
    return s;
  };
  TExprHolder shallow(AssignExpr(nested(140, "(", "1", ")")));
  EXPECT_TRUE(shallow);
  for (const std::string& deep : {nested(160, "(", "1", ")"), nested(100000, "(", "1", ")"),
                                  nested(100000, "-", "1", ""), nested(100000, "ABS(", "1", ")"),
                                  nested(100000, "1+(", "1", ")")}) {
    EXPECT_EQ(AssignExpr(deep), nullptr);
    auto [code, context] = error();
    EXPECT_EQ(code, 351);
    EXPECT_EQ(context.substr(0, context.find("\r\n")), "Fehler in dBASE-Ausdruck : Parser_stack_overflow");
  }
}

TEST_F(ExpressionParserTest, AliasesNameTheLowestOpenAreaAndBindItsField) {
  Select(2);
  USE(test::ExprTest::path("people") + " ALIAS SECOND");
  ASSERT_EQ(engineState.XbErrorCode, 0);
  GO(3);
  Select(1);
  GO(1);
  EXPECT_EQ(Eval("SECOND->NAME"), "C:M\xFCller    ");
  EXPECT_EQ(Eval("second->QTY + people->QTY"), "N:3");
  EXPECT_EQ(Eval("NOSUCH->NAME"), "error");
  EXPECT_EQ(Eval("SECOND->NOSUCH"), "error");
  // Two areas answer to one alias: the lowest-numbered one is taken.
  AreaBlock(2)->Alias = "PEOPLE";
  Select(2);
  EXPECT_EQ(Eval("PEOPLE->NAME"), "C:Smith     ");
  EXPECT_EQ(Eval("NAME"), "C:M\xFCller    ");  // without alias: the current area

  // A field without alias reads the field of that number of whatever area is current.
  Select(1);
  TExprHolder qty(AssignExpr("QTY"));
  Select(2);
  EXPECT_EQ(test::ExprTest::Show(*qty.get()), "N:0");
  Select(1);
  EXPECT_EQ(test::ExprTest::Show(*qty.get()), "N:3");
}

TEST_F(ExpressionParserTest, HooksAndUserTextHelper) {
  ASSERT_TRUE(engineState.ParserUnitLinked);
  ASSERT_TRUE(engineState.ParserHooks.AssignExpr);
  TExprControlBlock* b = engineState.ParserHooks.AssignExpr("UPPER(NAME)");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(engineState.ParserHooks.GetExprText(b), "UPPER(NAME)");
  EXPECT_STREQ(static_cast<const char*>(engineState.ParserHooks.EvalExpr(b)), "SMITH     ");
  keyUtil.KeyExpr = b;
  ASSERT_NE(keyUtil.KeyEvalProc, nullptr);
  EXPECT_STREQ(static_cast<const char*>(keyUtil.KeyEvalProc()), "SMITH     ");
  keyUtil.KeyExpr = nullptr;
  EXPECT_EQ(keyUtil.KeyEvalProc(), nullptr);
  TExprControlBlock* copy = b;
  engineState.ParserHooks.FreeExpr(b);
  EXPECT_EQ(b, nullptr);
  engineState.ParserHooks.FreeExpr(copy);  // no longer live: left alone
  EXPECT_NE(copy, nullptr);
  EXPECT_EQ(engineState.ParserHooks.GetExprText(copy), "");
  EXPECT_EQ(Evaluate(nullptr), nullptr);

  // A typed text that does not compile: no report, the message for the caller, the code kept.
  engineState.XbReportErrors = true;
  std::string message;
  EXPECT_EQ(CompileUserExpr("NAME +", message), nullptr);
  EXPECT_EQ(message, "Fehler in dBASE-Ausdruck : Syntax error\r\n[NAME +]\r\n [AssignExpr]");
  EXPECT_EQ(engineState.XbErrorCode, 351);
  EXPECT_TRUE(engineState.XbReportErrors);
  EXPECT_TRUE(test::scriptedPrompter().asked().empty());
  // The next compilation starts afresh.
  TExprHolder good(CompileUserExpr("NAME", message));
  EXPECT_TRUE(good);
  EXPECT_EQ(message, "");
  EXPECT_EQ(engineState.XbErrorCode, 0);
  engineState.XbReportErrors = false;
}

}  // namespace
}  // namespace qorva
