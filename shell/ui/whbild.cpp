// whbild: the help-picture navigator window.
#include "shell/ui/whbild.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "foundation/kwenvar.h"
#include "foundation/msgbox.h"
#include "foundation/ui/dialogparts.h"
#include "foundation/ui/fmxutil2.h"
#include "foundation/ui/qttext.h"
#include "foundation/wkwenvar.h"

namespace qorva {

TForm_hilfebild::TForm_hilfebild(QWidget* parent) : QDialog(parent) {
  setObjectName("Form_hilfebild");
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
  button(Button_ok, "Button_ok", "OK");
  button(Button_help, "Button_help", "&Hilfe");
  button(Button_neu, "Button_neu", "&Neu");
  button(Button_aendern, "Button_aendern", "&\xc3\x84ndern");
  button(Button_einfuegen, "Button_einfuegen", "&Einf\xc3\xbcgen");
  button(Button_loeschen, "Button_loeschen", "&L\xc3\xb6schen");
  column->addLayout(buttons);
  Button_ok->setDefault(true);

  connect(ListBox1, &QComboBox::currentIndexChanged, this, [this] {
    if (filling_) return;
    kwenvar.ErrorFlag = false;
    Choose(HelpPicShow);
  });
  connect(SpinUp, &QToolButton::clicked, this, [this] { Step(-1); });
  connect(SpinDown, &QToolButton::clicked, this, [this] { Step(1); });
  connect(Button_ok, &QPushButton::clicked, this, [this] {
    kwenvar.ErrorFlag = true;
    action_ = HelpPicShow;
    reject();
  });
  connect(Button_help, &QPushButton::clicked, this, [] {
    ShowHelpText(0, "", 1);
    kwenvar.ErrorFlag = false;
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
  ScaleFormAt(this);
}

TForm_hilfebild::~TForm_hilfebild() {
  wkwenvar.HelpPicFormLeft = x();
  wkwenvar.HelpPicFormTop = y();
}

void TForm_hilfebild::FormShow(const std::vector<std::string>& entries, int32_t preselect) {
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

HelpPictureNavigatorResult TForm_hilfebild::Result() const {
  return {ended_, action_, ListBox1->currentIndex() + 1};
}

void TForm_hilfebild::Choose(int32_t action) {
  action_ = action;
  ended_ = false;
  accept();
}

// The arrows at either end show the same entry again.
void TForm_hilfebild::Step(int delta) {
  const int next = ListBox1->currentIndex() + delta;
  filling_ = true;
  if (next >= 0 && next < count_) ListBox1->setCurrentIndex(next);
  filling_ = false;
  kwenvar.ErrorFlag = false;
  Choose(HelpPicShow);
}

HelpPictureNavigatorResult RunHelpPictureNavigator(const HelpPictureNavigatorRequest& request) {
  TForm_hilfebild form(GraphForm());
  form.setWindowTitle(dosToQString(request.caption));
  form.FormShow(request.entries, request.preselect);
  form.exec();
  return form.Result();
}

}  // namespace qorva
