// The text prompt and the number prompts: presets, cancel, rejected texts and ranges.
#include "foundation/textprompt.h"

#include <gtest/gtest.h>

#include <sstream>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/utilstr.h"
#include "foundation/windowtext.h"
#include "foundation/desktopsettings.h"
#include "platform/batchprompter.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

class TextDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    test::scriptedPrompter().clear();
  }
  void TearDown() override {
    EXPECT_EQ(test::scriptedPrompter().pending(), 0u) << "scripted answers left over";
    test::scriptedPrompter().clear();
    InitAllSettings();
  }
  static ScriptedPrompter& sp() { return test::scriptedPrompter(); }
  // The texts of the error boxes shown, in order.
  static std::vector<std::string> Errors() {
    std::vector<std::string> out;
    for (const auto& r : sp().asked())
      if (r.kind == AskKind::Message && r.caption == "Fehler : ") out.push_back(r.text);
    return out;
  }
  static std::vector<std::string> Presets() {
    std::vector<std::string> out;
    for (const auto& r : sp().asked())
      if (r.kind == AskKind::Text) out.push_back(r.preset);
    return out;
  }
  static size_t Beeps() {
    size_t n = 0;
    for (const auto& r : sp().asked()) n += r.kind == AskKind::Beep;
    return n;
  }
};

std::string S3(long double x) { return DosToUtf8(RealStr3(x)); }

TEST_F(TextDialogTest, TextConvertsPresetAndAnswerAndCancelKeepsText) {
  std::string text = "Gr\x94\xE1" "e";  // DOS "Größe"
  sp().push(std::string("Maß 2"));
  AskText("L\x84nge", 8, text);
  ASSERT_EQ(sp().asked().size(), 1u);
  EXPECT_EQ(sp().asked()[0].text, "Länge");
  EXPECT_EQ(sp().asked()[0].preset, "Größe");
  EXPECT_EQ(sp().asked()[0].preselect, 8);
  EXPECT_EQ(text, "Ma\xE1 2");
  EXPECT_FALSE(programState.ErrorFlag);

  sp().push(Cancel{});
  AskText("x", 8, text);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(text, "Ma\xE1 2");
}

TEST_F(TextDialogTest, LongTextsKeepTheirContent) {
  std::string text(300, 'a');
  text[150] = '\x81';
  sp().push(std::string(299, 'b') + "ü");
  AskText("p", 0, text);
  EXPECT_EQ(sp().asked()[0].preset.size(), 301u);  // 299 x 'a' and the two bytes of "ü"
  EXPECT_EQ(text, std::string(299, 'b') + "\x81");
}

TEST_F(TextDialogTest, FlagLeftSetByTheCallerKeepsTheText) {
  programState.ErrorFlag = true;
  std::string text = "alt";
  sp().push(std::string("neu"));
  AskText("p", 8, text);
  EXPECT_EQ(text, "alt");
  EXPECT_TRUE(programState.ErrorFlag);
}

struct RealCase {
  const char* what;
  long double x, lo, hi;
  std::vector<ScriptedAnswer> answers;
  long double expected;
  bool cancelled;
  std::vector<std::string> errors;
  std::vector<std::string> presets;
};

TEST_F(TextDialogTest, RealPromptTable) {
  const long double precise = 1.23456789L;
  const std::string range0to10 = "Gültiger Wertebereich: " + S3(0) + " .. " + S3(10) + " !";
  const std::vector<RealCase> cases = {
      {"unedited preset keeps every digit", precise, 0, 10, {S3(precise)}, precise, false, {}, {S3(precise)}},
      {"cancel keeps x", 4, 0, 10, {Cancel{}}, 4, true, {}, {S3(4)}},
      {"comma and dot both read", 4, 0, 10, {std::string("2,5")}, 2.5L, false, {}, {S3(4)}},
      {"both bounds belong to the range", 4, 0, 10, {std::string("10")}, 10, false, {}, {S3(4)}},
      {"no number: reported, old value shown again", 4, 0, 10,
       {std::string("abc"), std::string("7")}, 7, false, {"Ungültige Eingabe \"abc\" !"}, {S3(4), S3(4)}},
      {"out of range: rejected value is the next preset", 4, 0, 10,
       {std::string("50"), S3(50), std::string("3")}, 3, false, {range0to10, range0to10}, {S3(4), S3(50), S3(50)}},
      {"lo = hi accepts only that value", 1, 2, 2,
       {std::string("3"), std::string("2")}, 2, false,
       {"Gültiger Wertebereich: " + S3(2) + " .. " + S3(2) + " !"}, {S3(1), S3(3)}},
      {"cancel after a rejection keeps x", 4, 0, 10, {std::string("-1"), Cancel{}}, 4, true, {range0to10},
       {S3(4), S3(-1)}},
  };
  for (const RealCase& c : cases) {
    SCOPED_TRACE(c.what);
    sp().clear();
    programState.ErrorFlag = false;
    for (const auto& a : c.answers) sp().push(a);
    long double x = c.x;
    AskReal("Wert", x, c.lo, c.hi);
    EXPECT_EQ(x, c.expected);
    EXPECT_EQ(programState.ErrorFlag, c.cancelled);
    EXPECT_EQ(Errors(), c.errors);
    EXPECT_EQ(Presets(), c.presets);
    EXPECT_EQ(Beeps(), c.errors.size());
    for (const auto& r : sp().asked())
      if (r.kind == AskKind::Text) {
        EXPECT_EQ(r.preselect, 30);
      }
  }
}

TEST_F(TextDialogTest, DoublePromptWritesBackOnlyAnAcceptedValue) {
  double d = 0.5;
  sp().push(std::string("0.75"));
  AskDouble("d", d, 0, 1);
  EXPECT_EQ(d, 0.75);
  sp().push(Cancel{});
  AskDouble("d", d, 0, 1);
  EXPECT_EQ(d, 0.75);
  EXPECT_TRUE(programState.ErrorFlag);
}

struct IntCase {
  const char* what;
  int32_t x, lo, hi;
  std::vector<ScriptedAnswer> answers;
  int32_t expected;
  bool cancelled;
  std::vector<std::string> errors;
};

TEST_F(TextDialogTest, IntegerPromptTable) {
  const std::vector<IntCase> cases = {
      {"accepted", 5, 1, 10, {std::string("7")}, 7, false, {}},
      {"bounds exchanged when lo > hi", 5, 10, 1, {std::string("0"), std::string("10")}, 10, false,
       {"Gültiger Wertebereich: 1 .. 10 !"}},
      {"a written zero is a number", 5, -5, 5, {std::string("0")}, 0, false, {}},
      {"no integer", 5, -5, 5, {std::string("1.5"), std::string("x"), std::string("-5")}, -5, false,
       {"Ungültige Eingabe \"1.5\" !", "Ungültige Eingabe \"x\" !"}},
      {"cancel", 5, 1, 10, {Cancel{}}, 5, true, {}},
  };
  for (const IntCase& c : cases) {
    SCOPED_TRACE(c.what);
    sp().clear();
    programState.ErrorFlag = false;
    for (const auto& a : c.answers) sp().push(a);
    int32_t x = c.x;
    AskInteger("n", x, c.lo, c.hi);
    EXPECT_EQ(x, c.expected);
    EXPECT_EQ(programState.ErrorFlag, c.cancelled);
    EXPECT_EQ(Errors(), c.errors);
    EXPECT_EQ(sp().asked()[0].preset, std::to_string(c.x));
    EXPECT_EQ(sp().asked()[0].preselect, 12);
  }
}

TEST_F(TextDialogTest, WordAndLongintGoThroughTheIntegerPrompt) {
  uint16_t w = 3;
  sp().push(std::string("65535"));
  AskWord("w", w, 0, 65535);
  EXPECT_EQ(w, 65535);
  int32_t l = 3;
  sp().push(std::string("-70000"));
  AskLongint("l", l, -100000, 0);
  EXPECT_EQ(l, -70000);
}

TEST_F(TextDialogTest, LengthIsAskedInTheUnitOfLengths) {
  long double x = 25.4L;
  sp().push(std::string("2"));
  AskLength("Breite", x, 0, 254);
  EXPECT_EQ(sp().asked()[0].text, "Breite [mm]");
  EXPECT_EQ(x, 2);

  desktopSettings.UnitSystem = 1;
  x = 25.4L;
  sp().clear();
  sp().push(std::string("2"));
  AskLength("Breite", x, 0, 254);
  EXPECT_EQ(sp().asked()[0].text, "Breite [inch]");
  EXPECT_EQ(sp().asked()[0].preset, S3(1));
  EXPECT_NEAR(static_cast<double>(x), 50.8, 1e-12);

  // 20 inch lie outside 0..254 mm (10 inch).
  sp().clear();
  sp().push(std::string("20"));
  sp().push(Cancel{});
  AskLength("Breite", x, 0, 254);
  EXPECT_NEAR(static_cast<double>(x), 50.8, 1e-12);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0], "Gültiger Wertebereich: " + S3(0) + " .. " + S3(10) + " !");

  // Unedited, the mm value comes back exactly.
  long double odd = 12.3456789L;
  sp().clear();
  programState.ErrorFlag = false;
  sp().push(S3(12.3456789L / 25.4L));
  AskLength("Breite", odd, 0, 254);
  EXPECT_EQ(odd, 12.3456789L);
}

TEST_F(TextDialogTest, NobodyToAnswerEndsTheNumberPromptsWithTheFlag) {
  static std::ostringstream log;
  auto previous = installPrompter(std::make_unique<BatchPrompter>(&log));
  int32_t n = 4;
  long double x = 2;
  AskInteger("n", n, 1, 9);
  const bool flagAfterInteger = programState.ErrorFlag;
  programState.ErrorFlag = false;
  AskReal("x", x, 0, 1);  // x itself lies outside the range
  const bool flagAfterReal = programState.ErrorFlag;
  std::unique_ptr<Prompter> batch = installPrompter(std::move(previous));
  EXPECT_TRUE(flagAfterInteger);
  EXPECT_TRUE(flagAfterReal);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(x, 2);
}

}  // namespace
}  // namespace qorva
