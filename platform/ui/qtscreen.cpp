#include "platform/ui/qtscreen.h"

#include <QGuiApplication>
#include <QScreen>

namespace qorva {

namespace {
const QScreen* primary() { return QGuiApplication::primaryScreen(); }
}  // namespace

int QtScreenMetrics::width() const { return primary() ? primary()->geometry().width() : 1024; }
int QtScreenMetrics::height() const { return primary() ? primary()->geometry().height() : 768; }
int QtScreenMetrics::dotsPerInch() const {
  return primary() ? static_cast<int>(primary()->logicalDotsPerInch()) : 96;
}

}  // namespace qorva
