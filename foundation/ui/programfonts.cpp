#include "foundation/ui/programfonts.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QStringList>

#include "foundation/windowtext.h"

namespace qorva {

namespace {

struct FontName {
  const char* name;    // as the program and its files name it
  const char* family;  // the metric-compatible family the setup installs
};

constexpr FontName kFontNames[] = {
    {"Arial", "Liberation Sans"},          {"Helvetica", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},  {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},         {"MS Serif", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},    {"Courier", "Liberation Mono"},
};

// Where Debian puts the font files of the packages the setup installs.
constexpr const char* kFontFolders[] = {"/usr/share/fonts/truetype/liberation2", "/usr/share/fonts/truetype/wqy"};

}  // namespace

QString ProgramFontFamily(const QString& name) {
  const QString n = name.trimmed();
  for (const FontName& f : kFontNames)
    if (n.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) return QString::fromLatin1(f.family);
  return n;
}

void LoadProgramFonts() {
  static bool loaded = false;
  if (loaded || !QGuiApplication::instance()) return;
  loaded = true;
  for (const char* folder : kFontFolders) {
    const QDir dir(QString::fromLatin1(folder));
    for (const QString& file : dir.entryList({"*.ttf", "*.ttc", "*.otf"}, QDir::Files, QDir::Name))
      QFontDatabase::addApplicationFont(dir.filePath(file));
  }
  // Places that name a font directly (a style sheet, a stored dialog font) find the same family.
  for (const FontName& f : kFontNames)
    QFont::insertSubstitutions(QString::fromLatin1(f.name), {QString::fromLatin1(f.family), kCjkFontFamily});
}

QFont ProgramFont(const std::string& winName) {
  LoadProgramFonts();
  QFont font;
  font.setFamilies({ProgramFontFamily(QString::fromStdString(WinToUtf8(winName))), kCjkFontFamily});
  return font;
}

void InstallProgramFonts() {
  LoadProgramFonts();
  QFont font = QApplication::font();
  QStringList families = font.families();
  if (families.isEmpty()) families << font.family();
  if (!families.contains(kCjkFontFamily)) families << kCjkFontFamily;
  font.setFamilies(families);
  QApplication::setFont(font);
}

}  // namespace qorva
