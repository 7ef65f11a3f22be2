#include "xbase/ui/axbnav.h"

#include <QHBoxLayout>

#include "platform/prompts.h"
#include "xbase/ui/axbgrids.h"

namespace qorva {

TXbNavigator::TXbNavigator(TXbGrid* grid, QWidget* parent) : QWidget(parent), grid_(grid) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(1);
  const char* texts[ButtonCount] = {"|<", "<", ">", ">|", "+", "-", "\xe2\x9f\xb3"};
  const char* names[ButtonCount] = {"NavFirst", "NavPrior", "NavNext", "NavLast", "NavInsert", "NavDelete",
                                    "NavRefresh"};
  for (int b = 0; b < ButtonCount; ++b) {
    buttons_[b] = new QToolButton(this);
    buttons_[b]->setText(QString::fromUtf8(texts[b]));
    buttons_[b]->setObjectName(names[b]);
    row->addWidget(buttons_[b]);
    connect(buttons_[b], &QToolButton::clicked, this, [this, b] { click(static_cast<Button>(b)); });
  }
  row->addStretch();
}

void TXbNavigator::click(Button b) {
  TXbGridModel* model = grid_->gridModel();
  if (!model) return;
  TXbPrimDataset* ds = model->dataset();
  XbGuarded([&] {
    switch (b) {
      case First: ds->First(); break;
      case Prior: ds->Prior(); break;
      case Next: ds->Next(); break;
      case Last: ds->Last(); break;
      case Insert: {
        if (model->ReadOnly) return;
        ds->Append();
        ds->Post();
        model->reload();
        break;
      }
      case Delete: {
        if (model->ReadOnly || ds->IsEmpty()) return;
        bool restore = ds->IsRecordDeleted();
        if (restore ? ConfirmRestore : ConfirmDelete) {
          auto answer = prompter().yesNo(restore ? "Datensatz restaurieren ?" : "Datensatz l\xc3\xb6schen ?", true);
          if (!answer || !*answer) return;
        }
        ds->SetRecordDeleted(!restore);
        model->reload();
        break;
      }
      case Refresh:
        ds->Refresh();
        model->reload();
        break;
      default: break;
    }
  });
  int row = model->activeRow();
  if (row >= 0) {
    QModelIndex at = grid_->currentIndex();
    grid_->setCurrentIndex(model->index(row, at.isValid() ? at.column() : 0));
  }
  emit clicked(b);
}

}  // namespace qorva
