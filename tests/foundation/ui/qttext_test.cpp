// DOS texts of the program in and out of Qt strings.
#include <gtest/gtest.h>

#include <QString>
#include <string>

#include "foundation/settings.h"
#include "foundation/ui/qttext.h"
#include "foundation/desktopsettings.h"

namespace qorva {
namespace {

TEST(QtText, DosTextsBecomeQStringsAndBack) {
  InitAllSettings();
  EXPECT_EQ(dosToQString("Gr\x94\xE1" "e 20\xF8" "C"), QString::fromUtf8("Gr\u00f6\u00dfe 20\u00b0C"));
  EXPECT_EQ(dosToQString("kg/dm\xFC"), QString::fromUtf8("kg/dm\u00b3"));
  EXPECT_EQ(dosToQString("N/mm\xFD").size(), 5);
  EXPECT_EQ(qStringToDos(QString::fromUtf8("\u00c4nderung 5\u00b0 \u00b1 1 mm\u00b2 \u00b3")),
            "\x8Enderung 5\xF8 \xF1 1 mm\xFD \xFC");
  EXPECT_EQ(qStringToDos(QString::fromUtf8("\u20ac")), "?");
  const std::string all = "QORVA - Konstantkraftfeder \x84\x94\x81\xE1";
  EXPECT_EQ(qStringToDos(dosToQString(all)), all);
  const std::string longText(400, '\x81');
  EXPECT_EQ(qStringToDos(dosToQString(longText)), longText);
}

TEST(QtText, PlainAsciiShowsTransliteration) {
  InitAllSettings();
  desktopSettings.PlainAscii = 1;
  EXPECT_EQ(dosToQString("Gr\x94\xE1" "e"), QString("Groesse"));
  InitAllSettings();
}

}  // namespace
}  // namespace qorva
