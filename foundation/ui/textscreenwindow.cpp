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
  screenTextEdit = new QPlainTextEdit(this);
  screenTextEdit->setObjectName(QStringLiteral("screenTextEdit"));
  screenTextEdit->setReadOnly(true);
  screenTextEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont font = ProgramFont("Courier");
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(13);
  screenTextEdit->setFont(font);
  screenTextEdit->setMinimumSize(513, 313);
  okButton = new QPushButton(QStringLiteral("OK"), this);
  okButton->setObjectName(QStringLiteral("okButton"));
  okButton->setDefault(true);
  layout->addWidget(screenTextEdit, 1);
  layout->addWidget(okButton, 0, Qt::AlignHCenter);
  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
  resize(544, 408);
  okButton->setFocus();
}

}  // namespace qorva
