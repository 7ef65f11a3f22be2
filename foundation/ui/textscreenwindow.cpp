#include "foundation/ui/textscreenwindow.h"

#include <QFont>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/ui/programfonts.h"

namespace qorva {

TextScreenWindow::TextScreenWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TextScreenWindow"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont font = ProgramFont("Courier");
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(13);
  Memo1->setFont(font);
  Memo1->setMinimumSize(513, 313);
  Button_ok = new QPushButton(QStringLiteral("OK"), this);
  Button_ok->setObjectName(QStringLiteral("Button_ok"));
  Button_ok->setDefault(true);
  layout->addWidget(Memo1, 1);
  layout->addWidget(Button_ok, 0, Qt::AlignHCenter);
  connect(Button_ok, &QPushButton::clicked, this, &QDialog::accept);
  resize(544, 408);
  Button_ok->setFocus();
}

}  // namespace qorva
