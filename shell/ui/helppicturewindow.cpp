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
  ListBox1 = new QComboBox(this);
  ListBox1->setObjectName("ListBox1");
  ListBox1->setMinimumContentsLength(40);
  top->addWidget(ListBox1, 1);
  auto* spin = new QVBoxLayout;
  spin->setSpacing(0);
  SpinUp = new QToolButton(this);
  SpinUp->setArrowType(Qt::UpArrow);
  SpinDown = new QToolButton(this);
  SpinDown->setArrowType(Qt::DownArrow);
  spin->addWidget(SpinUp);
  spin->addWidget(SpinDown);
  top->addLayout(spin);
  column->addLayout(top);
  auto* buttons = new QHBoxLayout;
  auto button = [this, buttons](QPushButton*& field, const char* name, const char* caption) {
    field = AddDialogButton(this, buttons, name, QString::fromUtf8(caption));
  };
  button(okButton, "okButton", "OK");
  button(helpButton, "helpButton", "&Hilfe");
  button(Button_neu, "Button_neu", "&Neu");
  button(Button_aendern, "Button_aendern", "&\xc3\x84ndern");
  button(Button_einfuegen, "Button_einfuegen", "&Einf\xc3\xbcgen");
  button(Button_loeschen, "Button_loeschen", "&L\xc3\xb6schen");
  column->addLayout(buttons);
  okButton->setDefault(true);

  connect(ListBox1, &QComboBox::currentIndexChanged, this, [this] {
    if (filling_) return;
    programState.ErrorFlag = false;
    Choose(HelpPicShow);
  });
  connect(SpinUp, &QToolButton::clicked, this, [this] { Step(-1); });
  connect(SpinDown, &QToolButton::clicked, this, [this] { Step(1); });
  connect(okButton, &QPushButton::clicked, this, [this] {
    action_ = HelpPicShow;
    reject();
  });
  connect(helpButton, &QPushButton::clicked, this, [] {
    ShowHelpText(0, "", 1);
    programState.ErrorFlag = false;
  });
  connect(Button_neu, &QPushButton::clicked, this, [this] {
    filling_ = true;
    ListBox1->setCurrentIndex(-1);
    filling_ = false;
    Choose(HelpPicAppend);
  });
  connect(Button_einfuegen, &QPushButton::clicked, this, [this] { Choose(HelpPicInsert); });
  connect(Button_loeschen, &QPushButton::clicked, this, [this] { Choose(HelpPicDelete); });
  connect(Button_aendern, &QPushButton::clicked, this, [this] { Choose(HelpPicChange); });
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
  ListBox1->clear();
  const int32_t count = static_cast<int32_t>(entries.size());
  count_ = count;
  for (const std::string& entry : entries) ListBox1->addItem(dosToQString(entry));
  ListBox1->setCurrentIndex(preselect >= 1 && preselect <= count ? preselect - 1 : -1);
  filling_ = false;
  action_ = HelpPicShow;
  ended_ = true;
}

HelpPictureNavigatorResult HelpPictureWindow::Result() const {
  return {ended_, action_, ListBox1->currentIndex() + 1};
}

void HelpPictureWindow::Choose(int32_t action) {
  action_ = action;
  ended_ = false;
  accept();
}

// The arrows at either end show the same entry again.
void HelpPictureWindow::Step(int delta) {
  const int next = ListBox1->currentIndex() + delta;
  filling_ = true;
  if (next >= 0 && next < count_) ListBox1->setCurrentIndex(next);
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
