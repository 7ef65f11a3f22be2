#include "foundation/ui/windowsizing.h"

#include <QFont>
#include <QMainWindow>
#include <QPalette>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "foundation/graphicssettings.h"
#include "foundation/programstate.h"
#include "foundation/desktopsettings.h"
#include "platform/screen.h"

namespace qorva {

namespace {

QPointer<QWidget>& graphForm() {
  static QPointer<QWidget> form;
  return form;
}

constexpr const char* kDesignSize = "qorvaDesignSize";
constexpr const char* kDesignFont = "qorvaDesignFont";
constexpr const char* kDesignGeometry = "qorvaDesignGeometry";

// Outer rectangle of the graphics window, or the screen when there is none.
QRect referenceRect() {
  if (QWidget* g = GraphForm()) return g->frameGeometry();
  return QRect(0, 0, screenMetrics().width(), screenMetrics().height());
}

// Sizes the form and scales its fonts; returns the new size.
QSize scaleSizeAndFont(QWidget* form) {
  QVariant ds = form->property(kDesignSize);
  if (!ds.isValid()) {
    // A form laid out by a layout is designed at the size its layout asks for: a form not shown yet
    // has the small default size of a child, which the layout would then squeeze its fields into.
    QSize design = form->size();
    if (form->layout()) design = design.expandedTo(form->sizeHint());
    form->setProperty(kDesignSize, design);
    form->setProperty(kDesignFont, form->font());
  }
  QSize design = form->property(kDesignSize).toSize();
  QSize sized(design.width() * desktopSettings.DialogScale / 100, design.height() * desktopSettings.DialogScale / 100);
  form->resize(sized);
  // Controls placed by their design positions scale with the form, or a smaller form would cut
  // them off (a layout places its own controls again).
  for (QWidget* child : form->findChildren<QWidget*>()) {
    if (child->isWindow()) continue;
    QVariant dg = child->property(kDesignGeometry);
    if (!dg.isValid()) {
      child->setProperty(kDesignGeometry, child->geometry());
      dg = child->property(kDesignGeometry);
    }
    const QRect r = dg.toRect();
    const int s = desktopSettings.DialogScale;
    child->setGeometry(r.x() * s / 100, r.y() * s / 100, r.width() * s / 100, r.height() * s / 100);
  }

  QFont font = form->property(kDesignFont).value<QFont>();
  const double factor = desktopSettings.DialogFontScale / 100.0;
  if (factor > 0 && desktopSettings.DialogFontScale != 100) {
    if (font.pointSizeF() > 0) {
      font.setPointSizeF(font.pointSizeF() * factor);
    } else if (font.pixelSize() > 0) {
      font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * factor))));
    }
  }
  form->setFont(font);
  return form->size();
}

QColor fromTColor(TColor c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

}  // namespace

void SetGraphForm(QWidget* form) { graphForm() = form; }

QWidget* GraphForm() { return graphForm().data(); }

void ScaleCenterForm(QWidget* form) {
  if (!form) return;
  QSize s = scaleSizeAndFont(form);
  QRect g = referenceRect();
  int left = g.left() + std::max((g.width() - s.width()) / 2, 0);
  int top = g.top() + std::max((g.height() - s.height()) / 2, 0) + 20;
  form->move(left, top);
}

void ScaleFormAt(QWidget* form) {
  if (!form) return;
  scaleSizeAndFont(form);
  form->move(desktopSettings.HelpPicFormLeft, desktopSettings.HelpPicFormTop);
}

void ScaleForm(QWidget* form) {
  if (!form) return;
  scaleSizeAndFont(form);
}

void SetupGraphForm(QWidget* form) {
  if (!form) return;
  int w = programState.GraphResX > 0 ? programState.GraphResX + 1 : MaxGraphClientWidth();
  int h = programState.GraphResY > 0 ? programState.GraphResY + 1 : MaxGraphClientHeight();
  form->resize(w, h);
  form->move(0, 0);
  // The background colour is the drawing area's: the menu bar and the status areas of a main window
  // keep the desktop's palette, or they would show dark text on a dark drawing background.
  QWidget* area = form;
  if (auto* main = qobject_cast<QMainWindow*>(form); main && main->centralWidget()) area = main->centralWidget();
  QPalette pal = area->palette();
  pal.setColor(QPalette::Window, fromTColor(graphicsSettings.BackgroundColor));
  area->setPalette(pal);
  area->setAutoFillBackground(true);
  form->setToolTipDuration(100000);
  for (QWidget* child : form->findChildren<QWidget*>()) child->setToolTipDuration(100000);
}

namespace {
// A main window not shown yet has no frame (the configuration is read before it opens): its frame
// is reckoned as the start without a configuration reckons it, or the window would reach past the
// screen's edges.
constexpr int kUnshownFrameWidth = 9;
constexpr int kUnshownFrameHeight = 91;
}  // namespace

int32_t MaxGraphClientWidth() {
  int frame = 0;
  if (QWidget* g = GraphForm()) {
    frame = g->isVisible() ? g->frameGeometry().width() - g->width() : kUnshownFrameWidth;
  }
  return screenMetrics().width() - frame;
}

int32_t MaxGraphClientHeight() {
  if (QWidget* g = GraphForm(); g && !g->isVisible())
    return screenMetrics().height() - kUnshownFrameHeight;
  int diff = 0;
  if (QWidget* g = GraphForm()) diff = g->height() - g->frameGeometry().height();
  return screenMetrics().height() + static_cast<int32_t>(std::lround(1.65 * diff));
}

}  // namespace qorva
