// Evaluating a compiled expression allocates nothing after its first evaluation. This program
// replaces the global operator new with one that counts (also under AddressSanitizer, whose
// allocator it then calls through malloc), so it lives apart from the other engine tests.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "tests/support/testsupport.h"
#include "tests/xbase/exprtable_test.h"

namespace {
std::atomic<long> g_news{0};
}

// The replacements pair malloc with free; GCC sees only that free meets memory from operator new.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t n) {
  ++g_news;
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace qorva {
namespace {

using EvalAllocTest = test::ExprTest;

TEST_F(EvalAllocTest, EvaluatingAllocatesNothingAfterTheFirstTime) {
  // The counter sees allocations at all.
  const long before = g_news;
  delete new std::string(100, 'x');
  ASSERT_GT(g_news - before, 0);

  const std::vector<std::string> texts{
      "UPPER(NAME)+DTOS(BORN)+STR(PRICE,10,2)",
      "IIF(OK .AND. QTY > 0, LOWER(TRIM(NAME)) - '!', SPACE(3)) + CDOW(BORN) + CMONTH(DATE) + DTOC(BORN)",
      "SUBSTR(NAME,2,3) $ 'xmitx' .OR. SOUNDEX(NAME) = 'S5' .AND. YEAR(BORN) + MONTH(BORN) + DAY(BORN) > 0",
      "STUFF(REPLICATE(LEFT(NAME,2),3), 2, 1, RIGHT(NAME,3)) + LTRIM(CHR(65)) + STR(ROUND(PRICE,1)) + "
      "STR(MOD(QTY,2)+ABS(-1)+INT(2.5)+LEN(NAME)+AT('m',NAME)+ASC(NAME)+VAL('1.5')+RECNO()+DOW(BORN))",
      "MAX(BORN, DATE) - MIN(BORN, DATE()) + PEOPLE->QTY ^ 2 / 3",
      "DELETED() .OR. NAME # 'x' .AND. NAME == NAME .AND. NAME <= 'zz' .AND. .NOT. OK = .F.",
  };
  for (const std::string& text : texts) {
    TExprHolder b(AssignExpr(text));
    if (!b) {
      ADD_FAILURE() << text << ": " << error().second;
      continue;
    }
    for (int32_t rec = 1; rec <= 3; ++rec) {
      GO(rec);  // moving may read the file; only the evaluations are counted
      Evaluate(b.get());
      const long start = g_news;
      for (int i = 0; i < 100000 / 3; ++i) Evaluate(b.get());
      EXPECT_EQ(g_news - start, 0) << text << " on record " << rec;
    }
  }
}

}  // namespace
}  // namespace qorva
