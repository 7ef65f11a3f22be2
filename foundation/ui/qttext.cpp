#include "foundation/ui/qttext.h"

#include <QByteArray>

#include "foundation/windowtext.h"

namespace qorva {

QString dosToQString(const std::string& dos) { return QString::fromStdString(DosToUtf8(dos)); }

std::string qStringToDos(const QString& text) { return Utf8ToDos(text.toStdString()); }

}  // namespace qorva
