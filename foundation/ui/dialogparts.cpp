// dialogparts: pieces shared by the dialogs.
#include "foundation/ui/dialogparts.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace qorva {

QPushButton* MakeDialogButton(QWidget* owner, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, owner);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

QPushButton* AddDialogButton(QWidget* owner, QBoxLayout* row, const char* name, const QString& caption) {
  QPushButton* b = MakeDialogButton(owner, name, caption);
  row->addWidget(b);
  return b;
}

QPushButton* AddOkRow(QDialog* dialog, QBoxLayout* column, const char* name) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  QPushButton* ok = AddDialogButton(dialog, row, name, "OK");
  ok->setDefault(true);
  column->addLayout(row);
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  return ok;
}

}  // namespace qorva
