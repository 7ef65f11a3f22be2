#pragma once
// qttext: DOS code page texts of the program <-> QString, at the one place where texts enter and
// leave the windows (through DosToUtf8/Utf8ToDos, so the plain-ASCII setting applies).

#include <QString>
#include <string>

namespace qorva {

QString dosToQString(const std::string& dos);
std::string qStringToDos(const QString& text);

}  // namespace qorva
