#pragma once
// programfonts: the font names the program draws and prints with ("Arial", "Times New Roman",
// "Courier New" and their like, from its settings and stored files) stand for the metric-compatible
// families that the setup installs, and the menus take the CJK font for Chinese and Korean texts.
// The mapping is the program's own, not the machine's font configuration: texts keep their widths
// and drawings their layout whichever other fonts a machine has.

#include <QFont>
#include <QString>
#include <string>

namespace qorva {

// The CJK family of the menus and dialogs.
inline constexpr const char* kCjkFontFamily = "WenQuanYi Micro Hei";

// The family a program font name stands for: "Arial" gives "Liberation Sans", "Times New Roman"
// "Liberation Serif", "Courier New" "Liberation Mono" (case does not matter); other names are
// kept as they are.
QString ProgramFontFamily(const QString& name);

// Loads the installed font files of the mapped families and the CJK font into the application
// (once; needs the application object) and enters the program's names as substitutions.
void LoadProgramFonts();

// A font of the family the program font name (Windows code page) stands for, with the CJK font
// behind it for characters the family has not.
QFont ProgramFont(const std::string& winName);

// Loads the fonts and puts the CJK font behind the application's own font, so that Chinese and
// Korean menus and dialogs show their characters.
void InstallProgramFonts();

}  // namespace qorva
