// The program's font names resolve to the families the setup installs, whichever other fonts the
// machine has (this machine's font configuration may map "Arial" to another family altogether), and
// the menus find Chinese and Korean characters in the CJK font.
#include "foundation/ui/programfonts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QRawFont>

namespace qorva {
namespace {

TEST(ProgramFonts, TheProgramsFontNamesResolveToTheInstalledFamilies) {
  const struct {
    const char* name;
    const char* family;
  } cases[] = {
      {"Arial", "Liberation Sans"},         {"arial", "Liberation Sans"},
      {"Times New Roman", "Liberation Serif"}, {"Courier New", "Liberation Mono"},
      {"Courier", "Liberation Mono"},       {" Arial ", "Liberation Sans"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgramFontFamily(c.name).toStdString(), c.family) << c.name;
    QFont font = ProgramFont(c.name);
    font.setPixelSize(20);
    // The family really drawn with, not only the one asked for.
    EXPECT_EQ(QFontInfo(font).family().toStdString(), c.family) << c.name;
    EXPECT_EQ(QRawFont::fromFont(font).familyName().toStdString(), c.family) << c.name;
  }
  // A name the program does not know is asked for as it is.
  EXPECT_EQ(ProgramFontFamily("DejaVu Sans").toStdString(), "DejaVu Sans");
  // Places that name a font directly find the same family through the substitution.
  QFont direct("Arial");
  direct.setPixelSize(20);
  EXPECT_EQ(QFontInfo(direct).family().toStdString(), "Liberation Sans");
}

TEST(ProgramFonts, ChineseAndKoreanTextsFindTheirCharactersInTheCjkFont) {
  const QFont before = QApplication::font();
  InstallProgramFonts();
  const QFont menu = QApplication::font();
  for (auto ws : {QFontDatabase::SimplifiedChinese, QFontDatabase::Korean}) {
    const QRawFont raw = QRawFont::fromFont(menu, ws);
    EXPECT_EQ(raw.familyName().toStdString(), kCjkFontFamily) << ws;
  }
  // The error-messages item in Chinese and Korean.
  const QRawFont cjk = QRawFont::fromFont(ProgramFont("Arial"), QFontDatabase::SimplifiedChinese);
  for (char32_t c : {U'\u9519', U'\u8BEF', U'\uC5D0', U'\uB7EC'}) EXPECT_TRUE(cjk.supportsCharacter(c)) << int(c);
  // Latin texts keep the application's own font.
  EXPECT_EQ(menu.families().front(), before.families().isEmpty() ? before.family() : before.families().front());
  QApplication::setFont(before);
}

}  // namespace
}  // namespace qorva
