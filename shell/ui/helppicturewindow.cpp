// helppicturewindow: the help-picture navigator window.
#include "shell/ui/helppicturewindow.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/ui/dialogparts.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/desktopsettings.h"

namespace qorva {

HelpPictureWindow::HelpPictureWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("HelpPictureWindow");
  setWindowFlag(Qt::Tool);
  auto* column = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  pictureIndexComboBox = new QComboBox(this);
  pictureIndexComboBox->setObjectName("pictureIndexComboBox");
  pictureIndexComboBox->setMinimumContentsLength(40);
  top->addWidget(pictureIndexComboBox, 1);
  auto* spin = new QVBoxLayout;
  spin->setSpacing(0);
  previousEntryButton = new QToolButton(this);
  previousEntryButton->setArrowType(Qt::UpArrow);
  nextEntryButton = new QToolButton(this);
  nextEntryButton->setArrowType(Qt::DownArrow);
  spin->addWidget(previousEntryButton);
  spin->addWidget(nextEntryButton);
  top->addLayout(spin);
  column->addLayout(top);
  auto* buttons = new QHBoxLayout;
  auto button = [this, buttons](QPushButton*& field, const char* name, const char* caption) {
    field = AddDialogButton(this, buttons, name, QString::fromUtf8(caption));
  };
  button(okButton, "okButton", "OK");
  button(helpButton, "helpButton", "&Hilfe");
  button(newEntryButton, "newEntryButton", "&Neu");
  button(changeEntryButton, "changeEntryButton", "&\xc3\x84ndern");
  button(insertEntryButton, "insertEntryButton", "&Einf\xc3\xbcgen");
  button(deleteEntryButton, "deleteEntryButton", "&L\xc3\xb6schen");
  column->addLayout(buttons);
  okButton->setDefault(true);

  connect(pictureIndexComboBox, &QComboBox::currentIndexChanged, this, [this] {
    if (filling_) return;
    programState.ErrorFlag = false;
    Choose(HelpPicShow);
  });
  connect(previousEntryButton, &QToolButton::clicked, this, [this] { Step(-1); });
  connect(nextEntryButton, &QToolButton::clicked, this, [this] { Step(1); });
  connect(okButton, &QPushButton::clicked, this, [this] {
    action_ = HelpPicShow;
    reject();
  });
  connect(helpButton, &QPushButton::clicked, this, [] {
    ShowHelpText(0, "", 1);
    programState.ErrorFlag = false;
  });
  connect(newEntryButton, &QPushButton::clicked, this, [this] {
    filling_ = true;
    pictureIndexComboBox->setCurrentIndex(-1);
    filling_ = false;
    Choose(HelpPicAppend);
  });
  connect(insertEntryButton, &QPushButton::clicked, this, [this] { Choose(HelpPicInsert); });
  connect(deleteEntryButton, &QPushButton::clicked, this, [this] { Choose(HelpPicDelete); });
  connect(changeEntryButton, &QPushButton::clicked, this, [this] { Choose(HelpPicChange); });
  framing_.setInterval(50);
  connect(&framing_, &QTimer::timeout, this, [this] { checkFraming(); });
  ScaleFormAt(this);
}

HelpPictureWindow::~HelpPictureWindow() {
  if (isVisible() || !placeKept_) keepPlace();
}

void HelpPictureWindow::keepPlace() {
  // The outer corner, title bar included, as the window manager placed it: a window put back at the
  // place of its client area would climb by its title bar each time. Once hidden, the window no
  // longer knows its frame.
  const QPoint corner = isVisible() ? frameGeometry().topLeft() : pos();
  desktopSettings.HelpPicFormLeft = corner.x();
  desktopSettings.HelpPicFormTop = corner.y();
  placeKept_ = true;
}

void HelpPictureWindow::done(int result) {
  keepPlace();
  QDialog::done(result);
}

void HelpPictureWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  placeOnScreen();
  // The window manager frames the window some time after it is shown, and only then is its outer
  // corner known: the corner is put right once it is (or after two seconds without a frame).
  framingChecks_ = 0;
  framing_.start();
}

void HelpPictureWindow::checkFraming() {
  const bool framed = frameGeometry() != geometry();
  if (framed || ++framingChecks_ >= 40) {
    framing_.stop();
    placeOnScreen();
  }
}

void HelpPictureWindow::placeOnScreen() {
  const QRect frame = frameGeometry();
  QPoint want(desktopSettings.HelpPicFormLeft, desktopSettings.HelpPicFormTop);
  QScreen* screen = QGuiApplication::screenAt(want + QPoint(frame.width() / 2, frame.height() / 2));
  if (!screen) screen = this->screen();
  if (screen) {
    // Never off the screen: the whole window, title bar and all, stays on the one it is on.
    const QRect avail = screen->availableGeometry();
    want.setX(std::clamp(want.x(), avail.left(), std::max(avail.left(), avail.right() + 1 - frame.width())));
    want.setY(std::clamp(want.y(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - frame.height())));
  }
  if (frame.topLeft() != want) move(pos() + (want - frame.topLeft()));
}

void HelpPictureWindow::FormShow(const std::vector<std::string>& entries, int32_t preselect) {
  filling_ = true;
  pictureIndexComboBox->clear();
  const int32_t count = static_cast<int32_t>(entries.size());
  count_ = count;
  for (const std::string& entry : entries) pictureIndexComboBox->addItem(dosToQString(entry));
  pictureIndexComboBox->setCurrentIndex(preselect >= 1 && preselect <= count ? preselect - 1 : -1);
  filling_ = false;
  action_ = HelpPicShow;
  ended_ = true;
}

HelpPictureNavigatorResult HelpPictureWindow::Result() const {
  return {ended_, action_, pictureIndexComboBox->currentIndex() + 1};
}

void HelpPictureWindow::Choose(int32_t action) {
  action_ = action;
  ended_ = false;
  accept();
}

// The arrows at either end show the same entry again.
void HelpPictureWindow::Step(int delta) {
  const int next = pictureIndexComboBox->currentIndex() + delta;
  filling_ = true;
  if (next >= 0 && next < count_) pictureIndexComboBox->setCurrentIndex(next);
  filling_ = false;
  programState.ErrorFlag = false;
  Choose(HelpPicShow);
}

HelpPictureNavigatorResult RunHelpPictureNavigator(const HelpPictureNavigatorRequest& request) {
  HelpPictureWindow form(GraphForm());
  form.setWindowTitle(dosToQString(request.caption));
  form.FormShow(request.entries, request.preselect);
  form.exec();
  return form.Result();
}

}  // namespace qorva
