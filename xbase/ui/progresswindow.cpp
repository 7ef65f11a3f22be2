#include "xbase/ui/progresswindow.h"

#include <QApplication>
#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QProgressDialog>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include "xbase/enginestate.h"

namespace qorva {

namespace {

// One window serves every message: the engine shows one message at a time.
class ProgressWindowImpl : public QWidget {
 public:
  ProgressWindowImpl() : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("XbMsg");
    // Yellow, so that a notice of the engine stands out over the work it interrupts; the panels
    // take the window's colour.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 0));
    setPalette(pal);
    setAutoFillBackground(true);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(2, 2, 2, 2);
    panel_ = new QFrame(this);
    panel_->setFrameShape(QFrame::Box);
    auto* inner = new QVBoxLayout(panel_);
    label_ = new QLabel(panel_);
    label_->setObjectName("XbMsgText");
    label_->setAlignment(Qt::AlignCenter);
    inner->addWidget(label_);
    outer->addWidget(panel_);
  }

  void showMessage(const QString& caption, const QString& text, int width, int height) {
    // Without a caption the window has no frame at all, as a plain notice over the work.
    Qt::WindowFlags flags = Qt::Tool | Qt::WindowStaysOnTopHint;
    if (caption.isEmpty()) flags |= Qt::FramelessWindowHint;
    if (windowFlags() != flags) setWindowFlags(flags);
    setWindowTitle(caption);
    label_->setText(text);
    if (width != width_ || height != height_ || !isVisible()) {
      width_ = width;
      height_ = height;
      resize(width, height);
      centre();
    }
    show();
    label_->repaint();
    // The engine keeps working on this thread: let the window appear meanwhile.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }

 private:
  void centre() {
    QRect over;
    if (QWidget* active = QApplication::activeWindow(); active && active != this) {
      over = active->frameGeometry();
    } else if (const QScreen* s = QApplication::primaryScreen()) {
      over = s->geometry();
    }
    if (over.isValid()) move(over.x() + (over.width() - width()) / 2, over.y() + (over.height() - height()) / 2);
  }

  QFrame* panel_;
  QLabel* label_;
  int width_ = 0, height_ = 0;
};

QPointer<ProgressWindowImpl>& window() {
  static QPointer<ProgressWindowImpl> w;
  return w;
}

}  // namespace

namespace {

QPointer<QProgressDialog>& progress() {
  static QPointer<QProgressDialog> p;
  return p;
}

}  // namespace

QWidget* XbMsgWindow() { return window().data(); }

QWidget* XbProgressDialog() { return progress().data(); }

void InstallQtXbMsgView(Services& s) {
  s.MessageWindowShow = [](const std::string& caption, const std::string& text, int32_t width, int32_t height) {
    if (!window()) {
      window() = new ProgressWindowImpl;
      // A window without parent is not freed by the application: free it when the application ends.
      qAddPostRoutine([] { delete window().data(); });
    }
    window()->showMessage(QString::fromStdString(caption), QString::fromStdString(text), width, height);
  };
  s.MessageWindowHide = [] {
    if (window()) window()->hide();
  };
  s.ProgressOpen = [](const std::string& caption, int32_t steps) {
    delete progress().data();
    // Not modal and without a cancel button: the engine's work cannot be broken off halfway.
    auto* dialog = new QProgressDialog(QApplication::activeWindow());
    dialog->setObjectName("XbProgress");
    dialog->setWindowTitle(QString::fromStdString(caption));
    dialog->setLabelText(QString::fromStdString(caption));
    dialog->setCancelButton(nullptr);
    dialog->setRange(0, steps);
    dialog->setValue(0);
    dialog->setMinimumDuration(0);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->show();
    progress() = dialog;
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
  s.ProgressStep = [](int32_t position) {
    if (!progress()) return;
    progress()->setValue(position);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  };
  s.ProgressClose = [] {
    if (!progress()) return;
    progress()->hide();
    progress()->deleteLater();
    progress() = nullptr;
  };
}

}  // namespace qorva
